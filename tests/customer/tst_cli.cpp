#include "customer_fixture.h"
#include "test_database.h"

#include <QProcess>
#include <QtTest>

namespace {
struct Run {
    int code = -1;
    QStringList out;
    QString err;
};

Run cli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ORVANE_CLI), args);
    if (!p.waitForFinished(60000))
        qFatal("orvane-cli did not finish");
    Run r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void queryAndPage_data();
    void queryAndPage();
    void refusals();
};

void TestCli::queryAndPage_data()
{
    addEngines();
}

void TestCli::queryAndPage()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    insertNumbered(db.connection(), 150, QStringLiteral("Y"), QStringLiteral("甲'乙公司"));
    insertNumbered(db.connection(), 30, QStringLiteral("Y"), QStringLiteral("丙公司"));
    db.connection().execute(QStringLiteral("update Pub_User set UserPassWord='s3cret' where UserCode='Admin'"));
    const QString ini = db.writeIni();

    Run r = cli({QStringLiteral("--ini"), ini, QStringLiteral("query-customers"), QStringLiteral("--scope"), QStringLiteral("Y"),
                 QStringLiteral("--company"), QStringLiteral("'乙"), QStringLiteral("--user"), QStringLiteral("Admin"),
                 QStringLiteral("--password"), QStringLiteral("s3cret"), QStringLiteral("--show-sql")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out.value(0), QStringLiteral("select * from Customer where 1=1 and Self_Data='Y' and Company_Name like '%''乙%' "));
    QCOMPARE(r.out.value(1), QStringLiteral("Self_Data=''Y'' and Company_Name like ''%''''乙%'' "));
    QCOMPARE(r.out.value(2), QStringLiteral("查询内部资料全部条件：公司名称包含：'乙 "));
    QCOMPARE(r.out.value(3), QStringLiteral("查询出总数据条数为:150条"));
    QCOMPARE(r.out.value(4), QStringLiteral("总页数为：2"));
    QCOMPARE(r.out.value(5), QStringLiteral("当前页为：1"));
    QCOMPARE(r.out.size(), 6 + 100);
    QVERIFY(r.out.value(6).endsWith(QStringLiteral("\t甲'乙公司1")));

    r = cli({QStringLiteral("--ini"), ini, QStringLiteral("query-customers"), QStringLiteral("--scope"), QStringLiteral("Y"),
             QStringLiteral("--user"), QStringLiteral("Admin"), QStringLiteral("--password"), QStringLiteral("s3cret"),
             QStringLiteral("--page"), QStringLiteral("2")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out.mid(0, 3), (QStringList{QStringLiteral("查询出总数据条数为:180条"), QStringLiteral("总页数为：2"),
                                            QStringLiteral("当前页：2")}));
    QCOMPARE(r.out.size(), 3 + 80);
    QVERIFY(r.out.last().endsWith(QStringLiteral("\t丙公司30")));

    r = cli({QStringLiteral("--ini"), ini, QStringLiteral("query-customers"), QStringLiteral("--scope"), QStringLiteral("Y"),
             QStringLiteral("--user"), QStringLiteral("Admin"), QStringLiteral("--password"), QStringLiteral("s3cret"),
             QStringLiteral("--page"), QStringLiteral("3")});
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QStringLiteral("共 2 页")));
}

void TestCli::refusals()
{
    TestDatabase db(Engine::SQLite);
    db.connection().execute(QStringLiteral("insert into Pub_User (UserCode, UserName, Query) values ('viewer', '查询员', 0)"));
    db.connection().execute(QStringLiteral("insert into Pub_User (UserCode, UserName, Query) values ('inside', '内部', 1)"));
    const QString ini = db.writeIni();
    const QStringList base{QStringLiteral("--ini"), ini, QStringLiteral("query-customers"), QStringLiteral("--scope")};

    Run r = cli(base + QStringList{QStringLiteral("Y"), QStringLiteral("--user"), QStringLiteral("viewer")});
    QCOMPARE(r.code, 3);
    QVERIFY2(r.err.contains(QStringLiteral("没有数据查询权限")), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());

    r = cli(base + QStringList{QStringLiteral("Y"), QStringLiteral("--user"), QStringLiteral("inside"), QStringLiteral("--password"),
                               QStringLiteral("wrong")});
    QCOMPARE(r.code, 3);
    QVERIFY(r.err.contains(QStringLiteral("密码输入不正确")));

    r = cli(base + QStringList{QStringLiteral("N"), QStringLiteral("--user"), QStringLiteral("inside")});
    QCOMPARE(r.code, 3);
    QVERIFY(r.err.contains(QStringLiteral("托管")));
    r = cli(base + QStringList{QStringLiteral("Y"), QStringLiteral("--user"), QStringLiteral("inside")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.value(0), QStringLiteral("查询出总数据条数为:0条"));

    r = cli(base + QStringList{QStringLiteral("y"), QStringLiteral("--user"), QStringLiteral("inside")});
    QCOMPARE(r.code, 2);
    r = cli({QStringLiteral("--ini"), db.folder() + QStringLiteral("/missing.ini"), QStringLiteral("query-customers"),
             QStringLiteral("--scope"), QStringLiteral("Y"), QStringLiteral("--user"), QStringLiteral("Admin")});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("数据库连接不上")));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
