#include "data_module.h"
#include "db_error.h"
#include "dialogs.h"
#include "error_handler.h"
#include "main_window.h"
#include "wait_window.h"

int main(int argc, char** argv)
{
    ErrorHandler app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Orvane"));

    DataModule dataModule;
    setDataModule(&dataModule);
    try {
        dataModule.DataModuleCreate();
    } catch (const DbError& e) {
        // The second line names the cause (which file, which server), so the user knows what to fix.
        dialogs().message(nullptr, DataModule::connectFailureText() + QLatin1Char('\n') + e.message());
        setDataModule(nullptr);
        return 1;
    }

    int status = 0;
    {
        MainWindow mainWindow;
        WaitWindow wait(&mainWindow);
        setWaitIndicator(&wait);
        QObject::connect(&mainWindow, &MainWindow::runEnded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        mainWindow.show();
        status = ErrorHandler::exec();
        setWaitIndicator(nullptr);
    }
    setDataModule(nullptr);
    return status;
}
