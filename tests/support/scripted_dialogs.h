#pragma once

#include "dialogs.h"

#include <QList>
#include <QStringList>

// Answers the program's questions from a script and records everything it was shown.
// Installs itself for its lifetime.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        QString kind;   // "notice", "message", "yesno", "okcancel", "error", "open", "save"
        QString text;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Answers for the next questions, in order; a question with no answer queued gets No / Cancel.
    void answerYes(int times = 1);
    void answerNo(int times = 1);
    void answerFile(const QString& path);   // next open or save dialog

    QList<Shown> shown;
    QStringList texts() const;               // every text shown, in order
    QString lastText() const;
    int count(const QString& kind) const;
    void clear() { shown.clear(); }

    void notice(QWidget* parent, const QString& text) override;
    void message(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    bool askOkCancel(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    QString openFile(QWidget* parent, const QString& caption, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter) override;

private:
    QList<bool> m_answers;
    QStringList m_files;
    Dialogs* m_previous = nullptr;
};
