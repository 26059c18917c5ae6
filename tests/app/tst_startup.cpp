#include "app_fixture.h"
#include "login_dialog.h"
#include "main_window.h"
#include "scripted_dialogs.h"
#include "startup.h"
#include "wait_indicator.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {

// Calls step every few milliseconds from inside whatever loop runs, until it returns true.
class Poller {
public:
    explicit Poller(std::function<bool()> step)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this, step] {
            if (step())
                m_timer.stop();
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

MainWindow* visibleMainWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<MainWindow*>(w); main && main->isVisible())
            return main;
    }
    return nullptr;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void unreachableDatabase_data();
    void unreachableDatabase();
    void loginCancelledEndsRun();
    void loginThenExit();
};

void TestStartup::unreachableDatabase_data()
{
    QTest::addColumn<QString>("iniText");   // empty: no Account.Ini at all
    QTest::newRow("no Account.Ini") << QString();
    QTest::newRow("database file missing") << QStringLiteral("[Pellacor]\nEngine=sqlite\nDataBase=missing.db\n");
    QTest::newRow("unknown engine") << QStringLiteral("[Pellacor]\nEngine=oracle\nServerName=.\nDataBase=x\n");
}

void TestStartup::unreachableDatabase()
{
    QFETCH(QString, iniText);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Account.Ini"));
    if (!iniText.isEmpty()) {
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(iniText.toUtf8());
    }
    ScriptedDialogs shown;
    QCOMPARE(runApplication(ini), 1);
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(shown.shown.first().kind, QStringLiteral("message"));
    const QStringList lines = shown.lastText().split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("数据库连接不上，请查看INI文件或网络."));
    QCOMPARE(lines.size(), 2);
    QVERIFY(!lines.last().trimmed().isEmpty());
    QVERIFY(!visibleMainWindow());
    // Nothing was created that a later run could trip over, and no missing file was made.
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing.db"))));
}

void TestStartup::loginCancelledEndsRun()
{
    TestDatabase db(Engine::SQLite);
    const QString ini = db.writeIni();
    ScriptedDialogs shown;
    Poller cancel([] {
        auto* login = qobject_cast<LoginDialog*>(QApplication::activeModalWidget());
        if (!login)
            return false;
        login->findChild<QToolButton*>(QStringLiteral("SBCancel"))->click();
        return true;
    });
    QCOMPARE(runApplication(ini), 0);
    QCOMPARE(shown.count(QStringLiteral("yesno")), 0);
    QVERIFY(!visibleMainWindow());
    QVERIFY(!waitIndicator());
}

void TestStartup::loginThenExit()
{
    TestDatabase db(Engine::SQLite);
    const QString ini = db.writeIni();
    ScriptedDialogs shown;
    shown.answerYes();
    bool loggedIn = false;
    bool waitInstalled = false;
    QString user;
    Poller drive([&] {
        if (!loggedIn) {
            auto* login = qobject_cast<LoginDialog*>(QApplication::activeModalWidget());
            if (!login)
                return false;
            login->findChild<QComboBox*>(QStringLiteral("CbUserCode"))->setEditText(QStringLiteral("Admin"));
            login->findChild<QToolButton*>(QStringLiteral("SBOk"))->click();
            loggedIn = true;
            return false;
        }
        MainWindow* main = visibleMainWindow();
        if (!main || QApplication::activeModalWidget())
            return false;
        waitInstalled = waitIndicator() != nullptr;
        user = main->statusText(2);
        main->close();
        return true;
    });
    QCOMPARE(runApplication(ini), 0);
    QVERIFY(loggedIn);
    QVERIFY(waitInstalled);
    QCOMPARE(user, QStringLiteral("当前用户：系统管理员"));
    QCOMPARE(shown.texts(), QStringList{QStringLiteral("确定退出系统吗？")});
    QVERIFY(!waitIndicator());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
