#pragma once

#include <QApplication>

// The application object. Any DbError or other exception that escapes an event handler (a menu
// command, a button, a timer) stops that handler only: its text is shown through dialogs().error
// and the event loop goes on, so the windows stay usable.
class ErrorHandler final : public QApplication {
    Q_OBJECT
public:
    ErrorHandler(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The text shown for an exception that is not a DbError and carries no message.
    static QString unknownErrorText();
};
