#include "app_fixture.h"
#include "customer_window.h"
#include "main_window.h"
#include "scripted_dialogs.h"
#include "shell_commands.h"
#include "wait_indicator.h"
#include "wait_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDateEdit>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>


// A child that is "editing": it refuses to close and counts the questions.
class RefusingChild : public QWidget {
    Q_OBJECT
public:
    int asked = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++asked;
        event->ignore();
    }
};

class PlainChild : public QWidget {
    Q_OBJECT
};

// A derived class is a class of its own for the one-window rule.
class DerivedChild : public PlainChild {
    Q_OBJECT
};

namespace {

// Runs the deletions and queued closes that closing a child leaves behind.
void flushDeletes()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Logs in as code with an empty password box, as the dialog would.
MainWindow::LoginStep loginAs(const QString& code, int* runs = nullptr)
{
    return [code, runs](MainWindow&) {
        if (runs)
            ++*runs;
        return DM_Init().CheckLogin(code, QString());
    };
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void frame();
    void menuStructure();
    void rights_data();
    void rights();
    void switchUserReadsRightsAgain();
    void customerWindowOpensOnce();
    void closedChildIsGone();
    void showChildFormByExactClass();
    void exitQuestion_data();
    void exitQuestion();
    void refusingChildKeepsMainWindowOpen();
    void switchUserKeepsRefusingChild();
    void switchUserCancelledEndsRun();
    void switchUserWhileEditingCustomer();
    void dictionaryCommands();
    void contactAndHelp();
    void dateBoxesShowIsoDates();
    void windowCommands();
    void waitWindow();
};

void TestMainWindow::frame()
{
    AppFixture app(Engine::SQLite);
    MainWindow main;
    QCOMPARE(main.windowTitle(), QStringLiteral("Orvane系统"));
    QVERIFY(main.windowState() & Qt::WindowMaximized);
    QVERIFY(main.mdiArea());
    const int widths[] = {200, 200, 150, 50};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(main.statusPanel(i)->width(), widths[i]);
    QVERIFY(!main.statusPanel(4));
    // Until a login has read the rights nothing is granted.
    QVERIFY(!main.menuItem(QStringLiteral("MI_UserSetting"))->isEnabled());
    QVERIFY(!main.menuItem(QStringLiteral("N3"))->isVisible());
    QVERIFY(!main.menuItem(QStringLiteral("N23"))->isVisible());
    main.setWindowState(Qt::WindowNoState);
    QCOMPARE(main.size(), QSize(987, 643));
}

void TestMainWindow::menuStructure()
{
    AppFixture app(Engine::SQLite);
    MainWindow main;
    const QList<QPair<QString, QString>> menus = {
        {"N2", "系统设置&S"}, {"N9", "客户资料&C"}, {"V1", "视图&V"},
        {"N28", "错误数据处理"}, {"N23", "查看操作日志"}, {"N8", "关于"},
    };
    const QList<QStringList> items = {
        {"MI_UserSetting=用户管理", "N19=修改密码", "N11=切换用户", "N20=执行升级程序语句", "N18=-", "N12=退出系统"},
        {"N1=内部客户资料", "N3=托管客户资料", "N4=-", "N5=职位设置", "N6=行业设置", "N7=行政区域设置", "N22=国家设置",
         "N10=省份设置", "N21=城市设置", "N27=客户来源设置"},
        {"Cascade1=Cascade 层叠", "itle1=Title 排列", "ArrangeIcons1=ArrangeIcons 排列图标", "N13=-",
         "N14=关闭所有窗口", "N15=最小化所有窗口", "N16=最大化所有窗口"},
        {"N17=更改错误数据", "N29=-", "N30=导入退信客户资料", "N31=-", "N32=接硬件采集数据"},
        {"N24=查询日志", "N25=导出日志"},
        {"N33=联系我们", "N34=帮助文件"},
    };
    const QList<QAction*> top = main.menuBar()->actions();
    QCOMPARE(top.size(), menus.size());
    for (int m = 0; m < menus.size(); ++m) {
        QCOMPARE(top[m]->text(), menus[m].second);
        QCOMPARE(top[m]->menu()->objectName(), menus[m].first);
        QCOMPARE(main.menuItem(menus[m].first), top[m]);
        QStringList seen;
        for (QAction* a : top[m]->menu()->actions())
            seen << a->objectName() + QLatin1Char('=') + (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(seen, items[m]);
        for (QAction* a : top[m]->menu()->actions())
            QCOMPARE(main.menuItem(a->objectName()), a);
    }
}

void TestMainWindow::rights_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QVariant>("outData");
    QTest::addColumn<QVariant>("actionLog");
    QTest::addColumn<bool>("userSetting");
    QTest::addColumn<bool>("n3");
    QTest::addColumn<bool>("n23");
    for (Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
        const char* e = engine == Engine::SQLite ? "sqlite" : "postgresql";
        // Admin is the seeded row with every right.
        QTest::addRow("%s: Admin", e) << engine << "Admin" << QVariant() << QVariant() << true << true << true;
        QTest::addRow("%s: admin in lower case", e) << engine << "admin" << QVariant(true) << QVariant(true) << false << true << true;
        QTest::addRow("%s: rights never ticked", e) << engine << "U01" << QVariant() << QVariant() << false << false << false;
        QTest::addRow("%s: rights false", e) << engine << "U01" << QVariant(false) << QVariant(false) << false << false << false;
        QTest::addRow("%s: entrusted only", e) << engine << "U01" << QVariant(true) << QVariant(false) << false << true << false;
        QTest::addRow("%s: logs only", e) << engine << "U01" << QVariant() << QVariant(true) << false << false << true;
    }
}

void TestMainWindow::rights()
{
    QFETCH(Engine, engine);
    QFETCH(QString, code);
    QFETCH(QVariant, outData);
    QFETCH(QVariant, actionLog);
    QFETCH(bool, userSetting);
    QFETCH(bool, n3);
    QFETCH(bool, n23);
    SKIP_WITHOUT_ENGINE(engine);
    AppFixture app(engine);
    if (code != QLatin1String("Admin")) {
        if (code.compare(QLatin1String("admin"), Qt::CaseInsensitive) == 0)
            app.connection().execute(QStringLiteral("delete from Pub_User where UserCode='Admin'"));
        app.addUser(code, QStringLiteral("某人"), QVariant(), outData, actionLog);
    }
    MainWindow main;
    main.setLoginStep(loginAs(code));
    QVERIFY(main.startSession());
    QCOMPARE(app.dataModule().CurrentUserCode, code);
    QCOMPARE(main.menuItem(QStringLiteral("MI_UserSetting"))->isEnabled(), userSetting);
    QVERIFY(main.menuItem(QStringLiteral("MI_UserSetting"))->isVisible());
    QCOMPARE(main.menuItem(QStringLiteral("N3"))->isVisible(), n3);
    QCOMPARE(main.menuItem(QStringLiteral("N23"))->isVisible(), n23);
}

void TestMainWindow::switchUserReadsRightsAgain()
{
    AppFixture app(Engine::SQLite);
    app.addUser(QStringLiteral("U01"), QStringLiteral("某人"), QVariant());
    MainWindow main;
    main.setLoginStep(loginAs(QStringLiteral("Admin")));
    QVERIFY(main.startSession());
    QVERIFY(main.menuItem(QStringLiteral("N3"))->isVisible());
    main.setLoginStep(loginAs(QStringLiteral("U01")));
    main.N11Click();
    QCOMPARE(app.dataModule().CurrentUserCode, QStringLiteral("U01"));
    QVERIFY(!main.menuItem(QStringLiteral("MI_UserSetting"))->isEnabled());
    QVERIFY(!main.menuItem(QStringLiteral("N3"))->isVisible());
    QVERIFY(!main.menuItem(QStringLiteral("N23"))->isVisible());
}

void TestMainWindow::customerWindowOpensOnce()
{
    AppFixture app(Engine::SQLite);
    MainWindow main;
    main.setLoginStep(loginAs(QStringLiteral("Admin")));
    main.setWindowState(Qt::WindowNoState);
    main.resize(1000, 700);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QSize outer = main.frameGeometry().size();

    main.N1Click();
    main.N1Click();
    QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
    QMdiSubWindow* sub = main.mdiArea()->subWindowList().first();
    auto* customers = qobject_cast<CustomerWindow*>(sub->widget());
    QVERIFY(customers);
    QCOMPARE(customers->selfDataFlag(), QStringLiteral("Y"));
    QCOMPARE(customers->windowTitle(), QStringLiteral("内部客户资料"));
    QCOMPARE(sub->x(), 2);
    QCOMPARE(sub->width(), outer.width() - 80);
    QCOMPARE(sub->height(), outer.height() - 100);
    if (outer == QSize(1000, 700))
        QCOMPARE(sub->size(), QSize(920, 600));

    main.N3Click();
    QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(main.mdiArea()->subWindowList().first(), sub);
    QCOMPARE(customers->selfDataFlag(), QStringLiteral("N"));
    QCOMPARE(customers->windowTitle(), QStringLiteral("托管客户资料"));
    QCOMPARE(sub->windowTitle(), QStringLiteral("托管客户资料"));
}

void TestMainWindow::closedChildIsGone()
{
    AppFixture app(Engine::SQLite);
    MainWindow main;
    main.show();
    main.setLoginStep(loginAs(QStringLiteral("Admin")));
    QPointer<QMdiSubWindow> first = main.openCustomerWindow(QStringLiteral("Y"));
    QPointer<QWidget> inner = first->widget();
    QVERIFY(first->close());
    flushDeletes();
    QVERIFY(!first);
    QVERIFY(!inner);
    QVERIFY(main.mdiArea()->subWindowList().isEmpty());

    // A window that closes itself (its own exit button) takes its frame with it.
    QPointer<QMdiSubWindow> second = main.openCustomerWindow(QStringLiteral("Y"));
    QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
    QPointer<QWidget> secondInner = second->widget();
    QVERIFY(second->widget()->close());
    flushDeletes();
    QVERIFY(!secondInner);
    QVERIFY(!second);
    QVERIFY(main.mdiArea()->subWindowList().isEmpty());
    main.N1Click();
    QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
}

void TestMainWindow::showChildFormByExactClass()
{
    AppFixture app(Engine::SQLite);
    MainWindow main;
    QMdiSubWindow* plain = main.ShowChildForm<PlainChild>();
    QMdiSubWindow* derived = main.ShowChildForm<DerivedChild>();
    QVERIFY(plain != derived);
    QCOMPARE(main.ShowChildForm<PlainChild>(), plain);
    QCOMPARE(main.ShowChildForm<DerivedChild>(), derived);
    QCOMPARE(main.mdiArea()->subWindowList().size(), 2);
}

void TestMainWindow::exitQuestion_data()
{
    QTest::addColumn<bool>("throughMenu");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closed");
    QTest::newRow("退出系统, yes, no") << true << QList<bool>{true, false} << 2 << false;
    QTest::newRow("退出系统, no") << true << QList<bool>{false} << 1 << false;
    QTest::newRow("退出系统, yes, yes") << true << QList<bool>{true, true} << 2 << true;
    QTest::newRow("close box, yes") << false << QList<bool>{true} << 1 << true;
    QTest::newRow("close box, no") << false << QList<bool>{false} << 1 << false;
}

void TestMainWindow::exitQuestion()
{
    QFETCH(bool, throughMenu);
    QFETCH(QList<bool>, answers);
    QFETCH(int, questions);
    QFETCH(bool, closed);
    AppFixture app(Engine::SQLite);
    ScriptedDialogs dialogs;
    for (bool yes : answers)
        yes ? dialogs.answerYes() : dialogs.answerNo();
    MainWindow main;
    main.setLoginStep(loginAs(QStringLiteral("Admin")));
    main.show();
    QTest::qWait(1);
    main.ShowChildForm<PlainChild>();
    if (throughMenu)
        main.menuItem(QStringLiteral("N12"))->trigger();
    else
        main.close();
    QCOMPARE(dialogs.count(QStringLiteral("yesno")), questions);
    for (const auto& shown : dialogs.shown)
        QCOMPARE(shown.text, QStringLiteral("确定退出系统吗？"));
    QCOMPARE(!main.isVisible(), closed);
    QVERIFY(!main.hasRunEnded());
}

void TestMainWindow::refusingChildKeepsMainWindowOpen()
{
    AppFixture app(Engine::SQLite);
    ScriptedDialogs dialogs;
    dialogs.answerYes(3);
    MainWindow main;
    main.setLoginStep(loginAs(QStringLiteral("Admin")));
    main.show();
    main.ShowChildForm<PlainChild>();
    QMdiSubWindow* sub = main.ShowChildForm<RefusingChild>();
    auto* child = static_cast<RefusingChild*>(sub->widget());
    main.close();
    QVERIFY(main.isVisible());
    QCOMPARE(child->asked, 1);
    QCOMPARE(dialogs.count(QStringLiteral("yesno")), 0);   // the child said no before the question
    QCOMPARE(main.mdiArea()->subWindowList().size(), 2);   // asked, not closed
    QVERIFY(child->isVisible());
}

void TestMainWindow::switchUserKeepsRefusingChild()
{
    AppFixture app(Engine::SQLite);
    ScriptedDialogs dialogs;
    int logins = 0;
    MainWindow main;
    main.setLoginStep(loginAs(QStringLiteral("Admin"), &logins));
    main.show();
    QTest::qWait(1);   // the first appearance logs in
    QCOMPARE(logins, 1);
    QPointer<QMdiSubWindow> plain = main.ShowChildForm<PlainChild>();
    QPointer<QMdiSubWindow> refusing = main.ShowChildForm<RefusingChild>();
    QPointer<QMdiSubWindow> customers = main.openCustomerWindow(QStringLiteral("Y"));

    main.menuItem(QStringLiteral("N11"))->trigger();
    flushDeletes();
    QCOMPARE(logins, 2);
    QVERIFY(!plain);
    QVERIFY(!customers);
    QVERIFY(refusing);
    QCOMPARE(main.mdiArea()->subWindowList(), QList<QMdiSubWindow*>{refusing.data()});
    QVERIFY(main.isVisible());
    QCOMPARE(dialogs.count(QStringLiteral("yesno")), 0);
}

void TestMainWindow::switchUserCancelledEndsRun()
{
    AppFixture app(Engine::SQLite);
    ScriptedDialogs dialogs;
    MainWindow main;
    main.setLoginStep(loginAs(QStringLiteral("Admin")));
    main.show();
    QTest::qWait(1);
    QMdiSubWindow* sub = main.ShowChildForm<RefusingChild>();
    auto* child = static_cast<RefusingChild*>(sub->widget());
    QSignalSpy ended(&main, &MainWindow::runEnded);
    main.setLoginStep([](MainWindow&) { return false; });
    main.N11Click();
    QCOMPARE(ended.count(), 1);
    QVERIFY(!main.isVisible());
    QCOMPARE(dialogs.count(QStringLiteral("yesno")), 0);
    QCOMPARE(child->asked, 1);   // once by the switch; not again when the run ends
    QCOMPARE(app.dataModule().CurrentUserCode, QStringLiteral("Admin"));
}

// The real customer window in the middle of adding a record.
void TestMainWindow::switchUserWhileEditingCustomer()
{
    AppFixture app(Engine::SQLite);
    ScriptedDialogs dialogs;
    int logins = 0;
    MainWindow main;
    main.setLoginStep(loginAs(QStringLiteral("Admin"), &logins));
    QVERIFY(main.startSession());
    QPointer<QMdiSubWindow> sub = main.openCustomerWindow(QStringLiteral("Y"));
    auto* customers = static_cast<CustomerWindow*>(sub->widget());
    auto* add = customers->findChild<QAbstractButton*>(QStringLiteral("TB_Add"));
    QVERIFY(add);
    add->click();
    QCOMPARE(customers->editMode(), 1);

    main.N11Click();
    flushDeletes();
    QCOMPARE(logins, 2);
    QVERIFY(sub);
    QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(customers->editMode(), 1);
    // Leaving the program is refused by the editing window before the question is asked.
    dialogs.clear();
    main.close();
    QVERIFY(sub);
    QCOMPARE(dialogs.count(QStringLiteral("yesno")), 0);
}

void TestMainWindow::dictionaryCommands()
{
    AppFixture app(Engine::SQLite);
    ScriptedDialogs dialogs;
    QVERIFY(!shellCommands());
    {
        MainWindow main;
        QCOMPARE(shellCommands(), static_cast<ShellCommands*>(&main));
        const QList<QPair<QString, QString>> tables = {{"Position", "N5"}, {"Trade", "N6"}, {"Area", "N7"},
                                                       {"Country", "N22"}, {"Province", "N10"}, {"City", "N21"},
                                                       {"DataSource", "N27"}};
        for (const auto& [table, item] : tables) {
            QSignalSpy triggered(main.menuItem(item), &QAction::triggered);
            shellCommands()->runDictionaryCommand(table);
            QCOMPARE(triggered.count(), 1);
        }
        QSignalSpy city(main.menuItem(QStringLiteral("N21")), &QAction::triggered);
        shellCommands()->runDictionaryCommand(QStringLiteral("Customer"));
        QCOMPARE(city.count(), 0);
    }
    QVERIFY(!shellCommands());
}

void TestMainWindow::contactAndHelp()
{
    AppFixture app(Engine::SQLite);
    QTemporaryDir dir;
    MainWindow main;
    QList<QUrl> opened;
    main.setUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    main.menuItem(QStringLiteral("N33"))->trigger();
    QCOMPARE(opened, QList<QUrl>{QUrl(MainWindow::makerUrl())});
    QVERIFY(opened.first().isValid());
    QVERIFY(opened.first().scheme().startsWith(QLatin1String("http")));

    opened.clear();
    const QString help = dir.filePath(QStringLiteral("help.html"));
    main.setHelpFilePath(help);
    main.menuItem(QStringLiteral("N34"))->trigger();
    QVERIFY(opened.isEmpty());   // missing: nothing is shown
    QFile f(help);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html></html>");
    f.close();
    main.menuItem(QStringLiteral("N34"))->trigger();
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(help)});
}

void TestMainWindow::dateBoxesShowIsoDates()
{
    AppFixture app(Engine::SQLite);
    MainWindow main;
    QDateEdit plain(QDate(2026, 3, 5));
    QDateEdit chosen(QDate(2026, 3, 5));
    chosen.setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    plain.show();
    chosen.show();
    QCOMPARE(plain.displayFormat(), QStringLiteral("yyyy-MM-dd"));
    QCOMPARE(plain.text(), QStringLiteral("2026-03-05"));
    QCOMPARE(chosen.displayFormat(), QStringLiteral("dd.MM.yyyy"));
}

void TestMainWindow::windowCommands()
{
    AppFixture app(Engine::SQLite);
    MainWindow main;
    main.setLoginStep(loginAs(QStringLiteral("Admin")));
    main.setWindowState(Qt::WindowNoState);
    main.resize(900, 600);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QMdiSubWindow* a = main.ShowChildForm<PlainChild>();
    QMdiSubWindow* b = main.ShowChildForm<DerivedChild>();

    main.menuItem(QStringLiteral("itle1"))->trigger();
    const QRect area = main.mdiArea()->viewport()->rect();
    QCOMPARE(a->width(), area.width());
    QCOMPARE(b->width(), area.width());
    QCOMPARE(a->y(), 0);
    QCOMPARE(b->y(), a->height());
    QCOMPARE(a->height() + b->height(), area.height());

    main.menuItem(QStringLiteral("N15"))->trigger();
    QVERIFY(a->isMinimized() && b->isMinimized());
    main.menuItem(QStringLiteral("ArrangeIcons1"))->trigger();
    QCOMPARE(a->geometry().bottom(), area.bottom());
    QCOMPARE(b->geometry().bottom(), area.bottom());
    QCOMPARE(a->x(), 0);
    QCOMPARE(b->x(), a->width());
    main.menuItem(QStringLiteral("N16"))->trigger();
    // As in every MDI frame one child shows maximised; the next one activated is maximised too.
    QVERIFY(b->isMaximized());
    main.mdiArea()->setActiveSubWindow(a);
    QVERIFY(a->isMaximized());
    main.menuItem(QStringLiteral("N14"))->trigger();
    flushDeletes();
    QVERIFY(main.mdiArea()->subWindowList().isEmpty());
    // Nothing open: the commands do nothing.
    for (const char* item : {"Cascade1", "itle1", "ArrangeIcons1", "N14", "N15", "N16"})
        main.menuItem(QString::fromLatin1(item))->trigger();
}

void TestMainWindow::waitWindow()
{
    AppFixture app(Engine::SQLite);
    MainWindow main;
    main.setLoginStep(loginAs(QStringLiteral("Admin")));
    main.setWindowState(Qt::WindowNoState);
    main.setGeometry(100, 80, 900, 600);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    WaitWindow wait(&main);
    QCOMPARE(wait.size(), QSize(407, 60));
    QVERIFY(wait.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(wait.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(wait.label()->text(), QStringLiteral("正在处理数据请稍等........"));
    QCOMPARE(wait.label()->pos(), QPoint(96, 24));
    QCOMPARE(wait.label()->font().pixelSize(), 15);
    QVERIFY(wait.label()->font().bold());
    QVERIFY(wait.label()->width() + 96 <= 407);

    setWaitIndicator(&wait);
    bool visibleDuring = false;
    try {
        withWait([&] {
            visibleDuring = wait.isVisible();
            throw std::runtime_error("stop");
        });
    } catch (const std::runtime_error&) {
    }
    QVERIFY(visibleDuring);
    QVERIFY(!wait.isVisible());   // hidden also when the work stopped on an error
    wait.showWait();
    QVERIFY(qAbs(wait.frameGeometry().center().x() - main.frameGeometry().center().x()) <= 1);
    QVERIFY(qAbs(wait.frameGeometry().center().y() - main.frameGeometry().center().y()) <= 1);
    wait.hideWait();
    QVERIFY(!wait.isVisible());
    setWaitIndicator(nullptr);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
