#include "error_handler.h"
#include "startup.h"

int main(int argc, char** argv)
{
    ErrorHandler app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Orvane"));
    return runApplication();
}
