#include "startup.h"

#include "data_module.h"
#include "db_error.h"
#include "dialogs.h"
#include "main_window.h"
#include "wait_window.h"

#include <QApplication>

int runApplication(const QString& iniPath)
{
    DataModule dataModule(iniPath);
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
        QObject::connect(&mainWindow, &MainWindow::runEnded, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        mainWindow.show();
        status = QApplication::exec();
        setWaitIndicator(nullptr);
    }
    setDataModule(nullptr);
    return status;
}
