#include "scripted_dialogs.h"

ScriptedDialogs::ScriptedDialogs() { m_previous = setDialogs(this); }
ScriptedDialogs::~ScriptedDialogs() { setDialogs(m_previous); }

void ScriptedDialogs::answerYes(int times)
{
    for (int i = 0; i < times; ++i)
        m_answers << true;
}

void ScriptedDialogs::answerNo(int times)
{
    for (int i = 0; i < times; ++i)
        m_answers << false;
}

void ScriptedDialogs::answerFile(const QString& path) { m_files << path; }

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto& s : shown)
        out << s.text;
    return out;
}

QString ScriptedDialogs::lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }

int ScriptedDialogs::count(const QString& kind) const
{
    int n = 0;
    for (const auto& s : shown)
        n += s.kind == kind;
    return n;
}

void ScriptedDialogs::notice(QWidget*, const QString& text) { shown.append({QStringLiteral("notice"), text}); }
void ScriptedDialogs::message(QWidget*, const QString& text) { shown.append({QStringLiteral("message"), text}); }

bool ScriptedDialogs::askYesNo(QWidget*, const QString& text)
{
    shown.append({QStringLiteral("yesno"), text});
    return m_answers.isEmpty() ? false : m_answers.takeFirst();
}

bool ScriptedDialogs::askOkCancel(QWidget*, const QString& text)
{
    shown.append({QStringLiteral("okcancel"), text});
    return m_answers.isEmpty() ? false : m_answers.takeFirst();
}

void ScriptedDialogs::error(QWidget*, const QString& text) { shown.append({QStringLiteral("error"), text}); }

QString ScriptedDialogs::openFile(QWidget*, const QString& caption, const QString&)
{
    shown.append({QStringLiteral("open"), caption});
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}

QString ScriptedDialogs::saveFile(QWidget*, const QString& caption, const QString&, const QString&)
{
    shown.append({QStringLiteral("save"), caption});
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}
