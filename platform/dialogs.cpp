#include "dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
QtDialogs g_qtDialogs;
Dialogs* g_dialogs = nullptr;

const QString kCaption = QStringLiteral("提示");

QString appTitle()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Orvane") : name;
}
} // namespace

Dialogs& dialogs() { return g_dialogs ? *g_dialogs : g_qtDialogs; }

Dialogs* setDialogs(Dialogs* d)
{
    Dialogs* old = g_dialogs;
    g_dialogs = d;
    return old;
}

void QtDialogs::notice(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, kCaption, text, QMessageBox::Ok);
}

void QtDialogs::message(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, appTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::askYesNo(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, kCaption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
    return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::askOkCancel(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, kCaption, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    return box.exec() == QMessageBox::Ok;
}

void QtDialogs::error(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, appTitle(), text, QMessageBox::Ok);
}

QString QtDialogs::openFile(QWidget* parent, const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString QtDialogs::saveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}
