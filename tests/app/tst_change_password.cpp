#include "app_fixture.h"
#include "change_password_dialog.h"
#include "scripted_dialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>


namespace {

// The dialog as the main window opens it for the logged-in user, with its boxes at hand.
struct Dialog {
    ChangePasswordDialog dialog;
    QLineEdit* user;
    QLineEdit* oldPass;
    QLineEdit* newPass;
    QLineEdit* confirm;
    QPushButton* ok;

    Dialog()
        : user(dialog.findChild<QLineEdit*>(QStringLiteral("edUser"))),
          oldPass(dialog.findChild<QLineEdit*>(QStringLiteral("Ed_OldPass"))),
          newPass(dialog.findChild<QLineEdit*>(QStringLiteral("Ed_NewPass"))),
          confirm(dialog.findChild<QLineEdit*>(QStringLiteral("Ed_NewPass_Cfm"))),
          ok(dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1")))
    {
        dialog.show();
        dialog.activateWindow();
    }
    void fill(const QString& o, const QString& n, const QString& c)
    {
        oldPass->setText(o);
        newPass->setText(n);
        confirm->setText(c);
    }
};

void addEngineRows(const char* name)
{
    QTest::addRow("sqlite: %s", name) << Engine::SQLite;
    QTest::addRow("postgresql: %s", name) << Engine::PostgreSQL;
}

} // namespace

class TestChangePassword : public QObject {
    Q_OBJECT

private slots:
    void statements_data();
    void statements();
    void dialogLayout();
    void emptyNewPasswordTwice_data();
    void emptyNewPasswordTwice();
    void newPasswordsDifferInCase_data();
    void newPasswordsDifferInCase();
    void wrongOldPassword_data();
    void wrongOldPassword();
    void secondOkAfterSuccessRefused_data();
    void secondOkAfterSuccessRefused();
    void userWithoutPasswordSetsOne_data();
    void userWithoutPasswordSetsOne();
    void onlyOwnRowChanges();
    void enterMovesOn();
};

void TestChangePassword::statements_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("oldPass");
    QTest::addColumn<QString>("newPass");
    QTest::addColumn<QString>("select");
    QTest::addColumn<QString>("update");
    QTest::newRow("plain") << "U01" << "old" << "new"
                           << "select * from Pub_User where  UserCode='U01' and UserPassWord='old' "
                           << "update Pub_User set UserPassWord = 'new'where UserCode='U01' and UserPassWord='old' ";
    QTest::newRow("empty old") << "U01" << "" << "new"
                               << "select * from Pub_User where  UserCode='U01' and (UserPassWord is null or UserPassWord='') "
                               << "update Pub_User set UserPassWord = 'new'where UserCode='U01' and (UserPassWord is null or UserPassWord='') ";
    QTest::newRow("empty new") << "U01" << "old" << ""
                               << "select * from Pub_User where  UserCode='U01' and UserPassWord='old' "
                               << "update Pub_User set UserPassWord = ''where UserCode='U01' and UserPassWord='old' ";
    QTest::newRow("quotes") << "O'B" << "a'b" << "c'd"
                            << "select * from Pub_User where  UserCode='O''B' and UserPassWord='a''b' "
                            << "update Pub_User set UserPassWord = 'c''d'where UserCode='O''B' and UserPassWord='a''b' ";
}

void TestChangePassword::statements()
{
    QFETCH(QString, code);
    QFETCH(QString, oldPass);
    QFETCH(QString, newPass);
    QFETCH(QString, select);
    QFETCH(QString, update);
    QCOMPARE(ChangePasswordDialog::selectSql(code, oldPass), select);
    QCOMPARE(ChangePasswordDialog::updateSql(code, newPass, oldPass), update);
}

void TestChangePassword::dialogLayout()
{
    AppFixture app(Engine::SQLite);
    app.dataModule().CurrentUserCode = QStringLiteral("Admin");
    Dialog d;
    QCOMPARE(d.dialog.windowTitle(), QStringLiteral("修改密码"));
    QCOMPARE(d.user->text(), QStringLiteral("Admin"));
    QVERIFY(d.user->isReadOnly());
    for (QLineEdit* e : {d.oldPass, d.newPass, d.confirm}) {
        QCOMPARE(e->echoMode(), QLineEdit::Normal);
        QVERIFY(e->text().isEmpty());
    }
    QCOMPARE(d.ok->text(), QStringLiteral("确定"));
    QCOMPARE(d.dialog.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->text(), QStringLiteral("取消"));
}

void TestChangePassword::emptyNewPasswordTwice_data()
{
    QTest::addColumn<Engine>("engine");
    addEngineRows("empty twice");
}

void TestChangePassword::emptyNewPasswordTwice()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    AppFixture app(engine);
    app.addUser(QStringLiteral("U01"), QStringLiteral("张三"), QStringLiteral("pw1"));
    app.dataModule().CurrentUserCode = QStringLiteral("U01");
    ScriptedDialogs shown;
    Dialog d;
    d.fill(QStringLiteral("pw1"), QString(), QString());
    d.ok->click();
    QCOMPARE(shown.texts(), QStringList{QStringLiteral("修改密码成功")});
    QCOMPARE(shown.shown.first().kind, QStringLiteral("message"));
    QCOMPARE(app.storedPassword(QStringLiteral("U01")), QString());
    QVERIFY(d.dialog.isVisible());
    QCOMPARE(d.oldPass->text(), QStringLiteral("pw1"));   // boxes stay as they were
    QVERIFY(app.dataModule().CheckLogin(QStringLiteral("U01"), QString()));
    QVERIFY(!app.dataModule().CheckLogin(QStringLiteral("U01"), QStringLiteral("pw1")));
}

void TestChangePassword::newPasswordsDifferInCase_data()
{
    QTest::addColumn<Engine>("engine");
    addEngineRows("differ in case");
}

void TestChangePassword::newPasswordsDifferInCase()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    AppFixture app(engine);
    app.addUser(QStringLiteral("U01"), QStringLiteral("张三"), QStringLiteral("pw1"));
    app.dataModule().CurrentUserCode = QStringLiteral("U01");
    ScriptedDialogs shown;
    Dialog d;
    QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
    d.fill(QStringLiteral("pw1"), QStringLiteral("secret"), QStringLiteral("Secret"));
    d.ok->click();
    QCOMPARE(shown.texts(), QStringList{QStringLiteral("输入的新密码两次不一样")});
    QCOMPARE(shown.shown.first().kind, QStringLiteral("message"));
    QCOMPARE(d.oldPass->text(), QStringLiteral("pw1"));
    QVERIFY(d.newPass->text().isEmpty());
    QVERIFY(d.confirm->text().isEmpty());
    QVERIFY(d.confirm->hasFocus());
    QCOMPARE(app.storedPassword(QStringLiteral("U01")), QStringLiteral("pw1"));
}

void TestChangePassword::wrongOldPassword_data()
{
    QTest::addColumn<Engine>("engine");
    addEngineRows("wrong old");
}

void TestChangePassword::wrongOldPassword()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    AppFixture app(engine);
    app.addUser(QStringLiteral("U01"), QStringLiteral("张三"), QStringLiteral("pw1"));
    app.dataModule().CurrentUserCode = QStringLiteral("U01");
    ScriptedDialogs shown;
    Dialog d;
    QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
    // An empty box does not pass for a user who has a password.
    for (const QString& old : {QStringLiteral("pw2"), QString()}) {
        shown.clear();
        d.fill(old, QStringLiteral("neu"), QStringLiteral("neu"));
        d.confirm->setFocus();
        d.ok->click();
        QCOMPARE(shown.texts(), QStringList{QStringLiteral("输入的原密码不正确")});
        QVERIFY(d.oldPass->text().isEmpty());
        QVERIFY(d.newPass->text().isEmpty());
        QVERIFY(d.confirm->text().isEmpty());
        QVERIFY(d.oldPass->hasFocus());
        QCOMPARE(app.storedPassword(QStringLiteral("U01")), QStringLiteral("pw1"));
    }
}

void TestChangePassword::secondOkAfterSuccessRefused_data()
{
    QTest::addColumn<Engine>("engine");
    addEngineRows("second ok");
}

void TestChangePassword::secondOkAfterSuccessRefused()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    AppFixture app(engine);
    app.addUser(QStringLiteral("U01"), QStringLiteral("张三"), QStringLiteral("pw1"));
    app.dataModule().CurrentUserCode = QStringLiteral("U01");
    ScriptedDialogs shown;
    Dialog d;
    d.fill(QStringLiteral("pw1"), QStringLiteral("neu"), QStringLiteral("neu"));
    d.ok->click();
    d.ok->click();
    QCOMPARE(shown.texts(), (QStringList{QStringLiteral("修改密码成功"), QStringLiteral("输入的原密码不正确")}));
    QCOMPARE(app.storedPassword(QStringLiteral("U01")), QStringLiteral("neu"));
    QVERIFY(app.dataModule().CheckLogin(QStringLiteral("U01"), QStringLiteral("neu")));
}

void TestChangePassword::userWithoutPasswordSetsOne_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<QVariant>("stored");
    for (Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
        const char* e = engine == Engine::SQLite ? "sqlite" : "postgresql";
        QTest::addRow("%s: null", e) << engine << QVariant();
        QTest::addRow("%s: empty", e) << engine << QVariant(QString(""));
    }
}

// A user who logs in with an empty box can also give themselves a password with an empty old box.
void TestChangePassword::userWithoutPasswordSetsOne()
{
    QFETCH(Engine, engine);
    QFETCH(QVariant, stored);
    SKIP_WITHOUT_ENGINE(engine);
    AppFixture app(engine);
    app.addUser(QStringLiteral("U01"), QStringLiteral("张三"), stored);
    app.dataModule().CurrentUserCode = QStringLiteral("U01");
    QVERIFY(app.dataModule().CheckLogin(QStringLiteral("U01"), QString()));
    ScriptedDialogs shown;
    Dialog d;
    d.fill(QString(), QStringLiteral("neu"), QStringLiteral("neu"));
    d.ok->click();
    QCOMPARE(shown.texts(), QStringList{QStringLiteral("修改密码成功")});
    QCOMPARE(app.storedPassword(QStringLiteral("U01")), QStringLiteral("neu"));
    QVERIFY(app.dataModule().CheckLogin(QStringLiteral("U01"), QStringLiteral("neu")));
    QVERIFY(!app.dataModule().CheckLogin(QStringLiteral("U01"), QString()));
}

void TestChangePassword::onlyOwnRowChanges()
{
    AppFixture app(Engine::SQLite);
    app.addUser(QStringLiteral("U01"), QStringLiteral("张三"), QVariant());
    app.addUser(QStringLiteral("U02"), QStringLiteral("李四"), QVariant());
    app.dataModule().CurrentUserCode = QStringLiteral("U01");
    ScriptedDialogs shown;
    Dialog d;
    d.fill(QString(), QStringLiteral("neu"), QStringLiteral("neu"));
    d.ok->click();
    QCOMPARE(app.storedPassword(QStringLiteral("U01")), QStringLiteral("neu"));
    QCOMPARE(app.storedPassword(QStringLiteral("U02")), QStringLiteral("<null>"));
    QCOMPARE(app.storedPassword(QStringLiteral("Admin")), QStringLiteral("<null>"));
}

void TestChangePassword::enterMovesOn()
{
    AppFixture app(Engine::SQLite);
    app.dataModule().CurrentUserCode = QStringLiteral("Admin");
    ScriptedDialogs shown;
    Dialog d;
    QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
    QVERIFY(d.oldPass->hasFocus());
    QTest::keyClick(d.oldPass, Qt::Key_Return);
    QVERIFY(d.newPass->hasFocus());
    QTest::keyClick(d.newPass, Qt::Key_Enter);
    QVERIFY(d.confirm->hasFocus());
    QTest::keyClick(d.confirm, Qt::Key_Return);
    QVERIFY(d.ok->hasFocus());
    QVERIFY(shown.shown.isEmpty());   // Enter in the boxes never runs 确定 by itself
    QVERIFY(d.dialog.isVisible());
}

QTEST_MAIN(TestChangePassword)
#include "tst_change_password.moc"
