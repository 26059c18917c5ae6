#include "db_error.h"
#include "error_handler.h"
#include "scripted_dialogs.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <stdexcept>

namespace {

// Runs a piece of work when it receives its event, as a menu command runs inside the event loop.
class Worker : public QObject {
public:
    std::function<void()> work;
    int handled = 0;

    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        work();
        return true;
    }
};

} // namespace

class TestErrorHandler : public QObject {
    Q_OBJECT

private slots:
    void errorsReachTheUser_data();
    void errorsReachTheUser();
    void buttonCommandFails();
};

void TestErrorHandler::errorsReachTheUser_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("database error") << 0 << QStringLiteral("no such table: Pub_Userx");
    QTest::newRow("standard exception") << 1 << QStringLiteral("bad thing");
    QTest::newRow("anything else") << 2 << ErrorHandler::unknownErrorText();
}

void TestErrorHandler::errorsReachTheUser()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    ScriptedDialogs shown;
    Worker worker;
    worker.work = [kind] {
        if (kind == 0)
            throw DbError(QStringLiteral("no such table: Pub_Userx"));
        if (kind == 1)
            throw std::runtime_error("bad thing");
        throw 42;
    };
    QCoreApplication::postEvent(&worker, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&worker, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    // Both commands ran, each stopped, and the loop went on after them.
    QCOMPARE(worker.handled, 2);
    QCOMPARE(shown.count(QStringLiteral("error")), 2);
    QCOMPARE(shown.lastText(), text);

    worker.work = [] {};
    QCoreApplication::postEvent(&worker, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(worker.handled, 3);
    QCOMPARE(shown.count(QStringLiteral("error")), 2);
}

void TestErrorHandler::buttonCommandFails()
{
    ScriptedDialogs shown;
    QPushButton button(QStringLiteral("查询"));
    int clicks = 0;
    connect(&button, &QPushButton::clicked, [&] {
        ++clicks;
        throw DbError(QStringLiteral("连接已断开"));
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(shown.texts(), (QStringList{QStringLiteral("连接已断开"), QStringLiteral("连接已断开")}));
    QVERIFY(button.isEnabled());
}

int main(int argc, char** argv)
{
    ErrorHandler app(argc, argv);
    TestErrorHandler test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_error_handler.moc"
