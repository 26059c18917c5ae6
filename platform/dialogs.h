#pragma once

#include <QString>

class QWidget;

// Every window asks the user through this interface, so tests can answer with a scripted double.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Message box with the caption "提示", the information icon and OK.
    virtual void notice(QWidget* parent, const QString& text) = 0;
    // The plain message dialog: the application's title as caption, one OK button.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // Yes/No box with the caption "提示" and the question icon; true only for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // OK/Cancel box with the caption "提示"; true only for OK.
    virtual bool askOkCancel(QWidget* parent, const QString& text) = 0;
    // An error that stopped the running command (the application's default error handling).
    virtual void error(QWidget* parent, const QString& text) = 0;
    // File-open dialog; the empty text when the user cancels.
    virtual QString openFile(QWidget* parent, const QString& caption, const QString& filter) = 0;
    // File-save dialog; the empty text when the user cancels.
    virtual QString saveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter) = 0;
};

// The process's dialogs: the Qt implementation unless a test installed another.
Dialogs& dialogs();
// Installs d (not owned) and returns the previous one; nullptr restores the Qt implementation.
Dialogs* setDialogs(Dialogs* d);

// The message-box implementation.
class QtDialogs final : public Dialogs {
public:
    void notice(QWidget* parent, const QString& text) override;
    void message(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    bool askOkCancel(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    QString openFile(QWidget* parent, const QString& caption, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter) override;
};
