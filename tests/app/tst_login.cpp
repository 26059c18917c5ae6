#include "app_fixture.h"
#include "login_dialog.h"
#include "main_window.h"
#include "scripted_dialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>


class TestLogin : public QObject {
    Q_OBJECT

private slots:
    void checkLogin_data();
    void checkLogin();
    void failedAttemptThroughDialog();
    void successThroughEnterKeys();
    void codeListIsTrimmed();
    void serverPanel_data();
    void serverPanel();
    void leavingWithoutLoginEndsRun_data();
    void leavingWithoutLoginEndsRun();
    void typedCodeTakesStoredSpelling();
};

// Stored password (null, empty, set) against what is typed.
void TestLogin::checkLogin_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ok");
    for (Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
        const char* e = engine == Engine::SQLite ? "sqlite" : "postgresql";
        QTest::addRow("%s: null password, empty box", e) << engine << QVariant() << QString() << true;
        QTest::addRow("%s: null password, typed", e) << engine << QVariant() << QStringLiteral("x") << false;
        QTest::addRow("%s: empty password, empty box", e) << engine << QVariant(QString("")) << QString() << true;
        QTest::addRow("%s: empty password, typed", e) << engine << QVariant(QString("")) << QStringLiteral("x") << false;
        QTest::addRow("%s: password, empty box", e) << engine << QVariant(QString("pw1")) << QString() << false;
        QTest::addRow("%s: password, right", e) << engine << QVariant(QString("pw1")) << QStringLiteral("pw1") << true;
        QTest::addRow("%s: password, wrong", e) << engine << QVariant(QString("pw1")) << QStringLiteral("pw2") << false;
        QTest::addRow("%s: quote in password", e) << engine << QVariant(QString("a'b")) << QStringLiteral("a'b") << true;
    }
}

void TestLogin::checkLogin()
{
    QFETCH(Engine, engine);
    QFETCH(QVariant, stored);
    QFETCH(QString, typed);
    QFETCH(bool, ok);
    SKIP_WITHOUT_ENGINE(engine);
    AppFixture app(engine);
    app.addUser(QStringLiteral("U01"), QStringLiteral("张三"), stored);
    app.dataModule().CurrentUserCode = QStringLiteral("Before");

    MainWindow main;
    LoginDialog login(&main);
    QCOMPARE(login.CheckLogin(QStringLiteral("U01"), typed), ok);
    QCOMPARE(app.dataModule().CurrentUserCode, ok ? QStringLiteral("U01") : QStringLiteral("Before"));
    QCOMPARE(main.statusText(2), ok ? QStringLiteral("当前用户：张三") : QStringLiteral("当前用户："));
}

void TestLogin::failedAttemptThroughDialog()
{
    AppFixture app(Engine::SQLite);
    app.addUser(QStringLiteral("U01"), QStringLiteral("张三"), QStringLiteral("pw1"));
    ScriptedDialogs answers;
    MainWindow main;
    LoginDialog login(&main);
    login.show();
    auto* code = login.findChild<QComboBox*>(QStringLiteral("CbUserCode"));
    auto* password = login.findChild<QLineEdit*>(QStringLiteral("EdPassWord"));
    QVERIFY(code && password);
    QCOMPARE(password->echoMode(), QLineEdit::Password);

    // A successful attempt first, so that the failed one must clear panel 2 again.
    QVERIFY(login.CheckLogin(QStringLiteral("U01"), QStringLiteral("pw1")));
    main.setStatusText(0, QString());
    main.setStatusText(1, QString());

    code->setEditText(QStringLiteral("U01"));
    password->setText(QStringLiteral("wrong"));
    login.findChild<QToolButton*>(QStringLiteral("SBOk"))->click();
    QCOMPARE(answers.count(QStringLiteral("notice")), 1);
    QCOMPARE(answers.lastText(), QStringLiteral("密码输入不正确"));
    QVERIFY(password->text().isEmpty());
    QCOMPARE(code->currentText(), QStringLiteral("U01"));
    QVERIFY(login.isVisible());
    QVERIFY(!login.loginOK());
    QCOMPARE(main.statusText(2), QStringLiteral("当前用户："));
    QCOMPARE(main.statusText(0), QStringLiteral("服务器名称：本机"));
    QVERIFY(main.statusText(1).startsWith(QStringLiteral("数据库名称：")));
    QVERIFY(main.statusText(1).size() > QStringLiteral("数据库名称：").size());
    // The last good login stays the current user.
    QCOMPARE(app.dataModule().CurrentUserCode, QStringLiteral("U01"));
}

void TestLogin::successThroughEnterKeys()
{
    AppFixture app(Engine::SQLite);
    app.addUser(QStringLiteral("U01"), QStringLiteral("张三"), QStringLiteral("pw1"));
    ScriptedDialogs answers;
    MainWindow main;
    LoginDialog login(&main);
    login.show();
    QVERIFY(QTest::qWaitForWindowActive(&login));
    auto* code = login.findChild<QComboBox*>(QStringLiteral("CbUserCode"));
    auto* password = login.findChild<QLineEdit*>(QStringLiteral("EdPassWord"));
    code->setFocus();
    QTest::keyClicks(code, QStringLiteral("U01"));
    QTest::keyClick(code->lineEdit(), Qt::Key_Return);
    QVERIFY(password->hasFocus());
    QCOMPARE(code->count(), 2);   // Enter adds nothing to the list
    QTest::keyClicks(password, QStringLiteral("pw1"));
    QTest::keyClick(password, Qt::Key_Return);
    QVERIFY(login.loginOK());
    QCOMPARE(login.result(), int(QDialog::Accepted));
    QVERIFY(!login.isVisible());
    QCOMPARE(answers.shown.size(), 0);
    QCOMPARE(app.dataModule().CurrentUserCode, QStringLiteral("U01"));
    QCOMPARE(main.statusText(2), QStringLiteral("当前用户：张三"));
}

void TestLogin::codeListIsTrimmed()
{
    AppFixture app(Engine::SQLite);
    app.addUser(QStringLiteral("  B02 "), QStringLiteral("李四"), QVariant());
    MainWindow main;
    LoginDialog login(&main);
    login.show();
    auto* code = login.findChild<QComboBox*>(QStringLiteral("CbUserCode"));
    QStringList items;
    for (int i = 0; i < code->count(); ++i)
        items << code->itemText(i);
    QVERIFY2(items.contains(QStringLiteral("Admin")), qPrintable(items.join(',')));
    QVERIFY2(items.contains(QStringLiteral("B02")), qPrintable(items.join(',')));
    QVERIFY(code->currentText().isEmpty());
    // A code typed by hand goes to the check as typed, blanks included.
    QVERIFY(login.CheckLogin(QStringLiteral("  B02 "), QString()));
    QCOMPARE(app.dataModule().CurrentUserCode, QStringLiteral("  B02 "));
}

void TestLogin::serverPanel_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("panel0");
    QTest::newRow("this machine") << QStringLiteral(".") << QStringLiteral("服务器名称：本机");
    QTest::newRow("instance") << QStringLiteral("DBSRV\\SQL2008") << QStringLiteral("服务器名称：DBSRV\\SQL2008");
    QTest::newRow("dot and more") << QStringLiteral("./x") << QStringLiteral("服务器名称：./x");
    QTest::newRow("empty") << QString() << QStringLiteral("服务器名称：");
}

void TestLogin::serverPanel()
{
    QFETCH(QString, server);
    QFETCH(QString, panel0);
    AppFixture app(Engine::SQLite);
    MainWindow main;
    QCOMPARE(main.statusText(0), QStringLiteral("当前服务器名："));
    QCOMPARE(main.statusText(1), QStringLiteral("数据库名称："));
    QCOMPARE(main.statusText(2), QStringLiteral("当前用户："));
    QCOMPARE(main.statusText(3), QString());
    // The file is read again at the attempt: a change made after start-up shows.
    app.rewriteIni(server, QStringLiteral("客户库"));
    LoginDialog login(&main);
    QVERIFY(!login.CheckLogin(QStringLiteral("nobody"), QString()));
    QCOMPARE(main.statusText(0), panel0);
    QCOMPARE(main.statusText(1), QStringLiteral("数据库名称：客户库"));
}

void TestLogin::leavingWithoutLoginEndsRun_data()
{
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("取消") << false;
    QTest::newRow("close box") << true;
}

// The real login step of the main window: leaving the dialog closes the frame without the exit question.
void TestLogin::leavingWithoutLoginEndsRun()
{
    QFETCH(bool, byCloseBox);
    AppFixture app(Engine::SQLite);
    ScriptedDialogs answers;
    answers.answerNo(5);
    MainWindow main;
    QSignalSpy ended(&main, &MainWindow::runEnded);
    bool sawDialog = false;
    // Showing the frame runs the login from the event loop; this answers it from inside the dialog's loop.
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, [&] {
        auto* login = qobject_cast<LoginDialog*>(QApplication::activeModalWidget());
        if (!login)
            return;
        answer.stop();
        sawDialog = true;
        if (byCloseBox)
            login->close();
        else
            login->findChild<QToolButton*>(QStringLiteral("SBCancel"))->click();
    });
    answer.start();
    main.show();
    QTRY_VERIFY(main.hasRunEnded());
    QVERIFY(sawDialog);
    QCOMPARE(ended.count(), 1);
    QVERIFY(main.hasRunEnded());
    QVERIFY(!main.isVisible());
    QCOMPARE(answers.count(QStringLiteral("yesno")), 0);
}

// The code typed in another letter case finds the row; the row's own spelling becomes the current user.
void TestLogin::typedCodeTakesStoredSpelling()
{
    AppFixture app(Engine::SQLite);
    MainWindow main;
    LoginDialog login(&main);
    QVERIFY(login.CheckLogin(QStringLiteral("admin"), QString()));
    QCOMPARE(app.dataModule().CurrentUserCode, QStringLiteral("Admin"));
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
