#include "error_handler.h"

#include "db_error.h"
#include "dialogs.h"

#include <QWidget>
#include <exception>

namespace {

QWidget* errorParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

void showError(const QString& text)
{
    // A second failure while reporting the first must not take the program down.
    try {
        dialogs().error(errorParent(), text);
    } catch (...) {
    }
}

} // namespace

ErrorHandler::ErrorHandler(int& argc, char** argv) : QApplication(argc, argv) {}

QString ErrorHandler::unknownErrorText() { return QStringLiteral("发生未知错误，当前操作已停止。"); }

bool ErrorHandler::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DbError& e) {
        showError(e.message());
    } catch (const std::exception& e) {
        const QString text = QString::fromLocal8Bit(e.what());
        showError(text.isEmpty() ? unknownErrorText() : text);
    } catch (...) {
        showError(unknownErrorText());
    }
    return false;
}
