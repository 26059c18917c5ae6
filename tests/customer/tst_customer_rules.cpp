#include "customer_fixture.h"
#include "customer_rules.h"
#include "data_module.h"
#include "data_set.h"
#include "date_text.h"
#include "db_error.h"
#include "test_database.h"

#include <QtTest>

namespace {
const QString kFirm = QStringLiteral("企业数据");
const QString kPerson = QStringLiteral("个人数据");

} // namespace

class TestCustomerRules : public QObject {
    Q_OBJECT
private slots:
    void existsSql_data();
    void existsSql();
    void duplicates_data();
    void duplicates();
    void saveChecks_data();
    void saveChecks();
    void newRecordDefaults_data();
    void newRecordDefaults();
    void captions();
    void pickList_data();
    void pickList();
    void rights_data();
    void rights();
};

void TestCustomerRules::existsSql_data()
{
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("linkMan");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("dataType");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("sql");
    QTest::newRow("enterprise, no linkman")
        << "大华" << "" << "Y" << kFirm << "北京"
        << QStringLiteral("select id from Customer where Company_Name ='大华' and Self_Data='Y'  and Data_type='企业数据' ");
    QTest::newRow("enterprise with linkman")
        << "大华" << "张三" << "N" << kFirm << "北京"
        << QStringLiteral("select id from Customer where Company_Name ='大华' and Self_Data='N' and Main_LinkMan='张三' and "
                          "Data_type='企业数据' ");
    QTest::newRow("personal")
        << "大华" << "张三" << "Y" << kPerson << "北京路1号"
        << QStringLiteral("select id from Customer where  Self_Data='Y' and Main_LinkMan='张三' and Data_type='个人数据' and "
                          "Address='北京路1号' ");
    QTest::newRow("quotes doubled")
        << "O'Neil" << "D'Arcy" << "Y" << kFirm << ""
        << QStringLiteral("select id from Customer where Company_Name ='O''Neil' and Self_Data='Y' and Main_LinkMan='D''Arcy' and "
                          "Data_type='企业数据' ");
    QTest::newRow("no data type: no query") << "大华" << "张三" << "Y" << "" << "" << QString();
    QTest::newRow("other data type: no query") << "大华" << "张三" << "Y" << "其它" << "" << QString();
}

void TestCustomerRules::existsSql()
{
    QFETCH(QString, company);
    QFETCH(QString, linkMan);
    QFETCH(QString, flag);
    QFETCH(QString, dataType);
    QFETCH(QString, address);
    QTEST(CustomerRules::customerExistsSql(company, linkMan, flag, dataType, address), "sql");
}

void TestCustomerRules::duplicates_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<QStringList>("candidate");   // company, linkman, scope, data type, address
    QTest::addColumn<bool>("exists");
    // Stored: enterprise 大华科技 (linkman 张三, scope Y); person 李四 at 长安街1号 (scope Y);
    // enterprise O'Neil Ltd (scope Y).
    struct Case {
        const char* name;
        QStringList candidate;
        bool exists;
    };
    const QList<Case> cases{
        {"same company, no linkman", {"大华科技", "", "Y", kFirm, ""}, true},
        {"same company and linkman", {"大华科技", "张三", "Y", kFirm, "别处"}, true},
        {"same company, other linkman", {"大华科技", "王五", "Y", kFirm, ""}, false},
        {"same company, other scope", {"大华科技", "", "N", kFirm, ""}, false},
        {"same company, personal type", {"大华科技", "", "Y", kPerson, ""}, false},
        {"company differs in case only", {"o'neil ltd", "", "Y", kFirm, ""}, true},
        {"person same linkman and address", {"", "李四", "Y", kPerson, "长安街1号"}, true},
        {"person same linkman, other address", {"", "李四", "Y", kPerson, "长安街2号"}, false},
        {"person other scope", {"", "李四", "N", kPerson, "长安街1号"}, false},
        {"no data type", {"大华科技", "张三", "Y", "", ""}, false},
    };
    for (Engine e : {Engine::SQLite, Engine::PostgreSQL})
        for (const Case& c : cases)
            QTest::addRow("%s: %s", e == Engine::SQLite ? "sqlite" : "postgresql", c.name) << e << c.candidate << c.exists;
}

void TestCustomerRules::duplicates()
{
    QFETCH(Engine, engine);
    QFETCH(QStringList, candidate);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    CustomerRow firm;
    firm.company = QStringLiteral("大华科技");
    firm.linkMan = QStringLiteral("张三");
    CustomerRow person;
    person.dataType = kPerson;
    person.linkMan = QStringLiteral("李四");
    person.address = QStringLiteral("长安街1号");
    CustomerRow quoted;
    quoted.company = QStringLiteral("O'Neil Ltd");
    insertCustomers(db.connection(), {firm, person, quoted});
    CustomerRules rules(db.connection());
    QTEST(rules.CustomerExists(candidate[0], candidate[1], candidate[2], candidate[3], candidate[4]), "exists");
}

void TestCustomerRules::saveChecks_data()
{
    QTest::addColumn<int>("editMode");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QString>("dataType");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("linkMan");
    QTest::addColumn<bool>("tableThere");   // false: any statement on Customer fails
    QTest::addColumn<int>("verdict");
    using V = CustomerRules::SaveVerdict;
    QTest::newRow("adding a duplicate") << 1 << true << kFirm << "大华科技" << "" << true << int(V::Duplicate);
    QTest::newRow("duplicate comes before not pending") << 1 << false << kFirm << "大华科技" << "" << true << int(V::Duplicate);
    QTest::newRow("adding a new name") << 1 << true << kFirm << "新公司" << "" << true << int(V::Save);
    QTest::newRow("editing: no duplicate test") << 2 << true << kFirm << "大华科技" << "" << false << int(V::Save);
    QTest::newRow("nothing pending") << 0 << false << kFirm << "大华科技" << "" << false << int(V::NotPending);
    QTest::newRow("no data type: no query") << 1 << true << "" << "大华科技" << "张三" << false << int(V::NoDataType);
    QTest::newRow("no names: no query") << 1 << true << kFirm << "" << "" << false << int(V::NoName);
    QTest::newRow("data type checked before names") << 1 << true << "" << "" << "" << false << int(V::NoDataType);
    QTest::newRow("a linkman alone is enough") << 2 << true << kPerson << "" << "张三" << false << int(V::Save);
}

void TestCustomerRules::saveChecks()
{
    QFETCH(int, editMode);
    QFETCH(bool, pending);
    QFETCH(QString, dataType);
    QFETCH(QString, company);
    QFETCH(QString, linkMan);
    QFETCH(bool, tableThere);
    QFETCH(int, verdict);
    TestDatabase db(Engine::SQLite);
    CustomerRow firm;
    firm.company = QStringLiteral("大华科技");
    insertCustomers(db.connection(), {firm});
    // Without the table any duplicate query would fail: the rows that expect none prove it ran none.
    if (!tableThere)
        db.connection().execute(QStringLiteral("alter table Customer rename to Customer_gone"));
    CustomerRules rules(db.connection());
    CustomerRules::SaveInput in;
    in.editMode = editMode;
    in.pending = pending;
    in.dataType = dataType;
    in.companyName = company;
    in.mainLinkMan = linkMan;
    in.selfDataFlag = QStringLiteral("Y");
    CustomerRules::SaveVerdict got = CustomerRules::SaveVerdict::Save;
    try {
        got = rules.checkSave(in);
    } catch (const DbError& e) {
        QFAIL(qPrintable(QStringLiteral("a statement ran: ") + e.message()));
    }
    QCOMPARE(int(got), verdict);
}

void TestCustomerRules::newRecordDefaults_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("sqlite Y") << Engine::SQLite << "Y" << "I";
    QTest::newRow("sqlite N") << Engine::SQLite << "N" << "O";
    QTest::newRow("postgresql Y") << Engine::PostgreSQL << "Y" << "I";
    QTest::newRow("postgresql N") << Engine::PostgreSQL << "N" << "O";
}

void TestCustomerRules::newRecordDefaults()
{
    QFETCH(Engine, engine);
    QFETCH(QString, flag);
    QFETCH(QString, prefix);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    DataModule dm(db.folder() + QStringLiteral("/Account.Ini"));
    DataSet page(db.connection());
    page.setSql(QStringLiteral("select *  from Customer where 1>1"));
    page.open();
    page.append();
    const QDateTime before = QDateTime::currentDateTime();
    CustomerRules::applyNewRecordDefaults(page, flag, dm);
    const QDateTime after = QDateTime::currentDateTime();
    const QString code = page.asString(QStringLiteral("Code"));
    QVERIFY2(code.startsWith(prefix), qPrintable(code));
    QVERIFY(code.size() >= 9 && code.size() <= 16);
    QCOMPARE(page.asString(QStringLiteral("Self_Data")), flag);
    QCOMPARE(page.asString(QStringLiteral("RejectData")), QStringLiteral("否"));
    QVERIFY(page.isNull(QStringLiteral("Data_Type")));
    const QDateTime created = page.value(QStringLiteral("Create_Date")).toDateTime();
    QCOMPARE(page.value(QStringLiteral("Update_Date")).toDateTime(), created);
    QVERIFY(created >= before.addMSecs(-1) && created <= after.addMSecs(1));

    page.setValue(QStringLiteral("Data_Type"), kFirm);
    page.setValue(QStringLiteral("Company_Name"), QStringLiteral("新客户"));
    page.post();
    QVERIFY(page.asInt(QStringLiteral("ID")) > 0);
    QSqlQuery q = db.connection().query(QStringLiteral("select Code, Self_Data, RejectData, Create_Date from Customer"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), code);
    QCOMPARE(q.value(1).toString(), flag);
    QCOMPARE(q.value(2).toString(), QStringLiteral("否"));
    QCOMPARE(DateText::fromVariant(q.value(3)).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
             created.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));

    // Editing stamps Update_Date anew and leaves Create_Date.
    QTest::qWait(5);
    CustomerRules::beginEdit(page);
    QVERIFY(page.value(QStringLiteral("Update_Date")).toDateTime() > created);
    QCOMPARE(page.value(QStringLiteral("Create_Date")).toDateTime(), created);
}

void TestCustomerRules::captions()
{
    QCOMPARE(CustomerRules::editModeCaption(QStringLiteral("Y"), 0), QStringLiteral("内部客户资料"));
    QCOMPARE(CustomerRules::editModeCaption(QStringLiteral("Y"), 1), QStringLiteral("内部客户资料--增加"));
    QCOMPARE(CustomerRules::editModeCaption(QStringLiteral("Y"), 2), QStringLiteral("内部客户资料--修改"));
    QCOMPARE(CustomerRules::editModeCaption(QStringLiteral("N"), 0), QStringLiteral("托管客户资料"));
    QCOMPARE(CustomerRules::editModeCaption(QStringLiteral("N"), 1), QStringLiteral("托管客户资料--增加"));
    QCOMPARE(CustomerRules::editModeCaption(QStringLiteral("N"), 2), QStringLiteral("托管客户资料--修改"));
}

void TestCustomerRules::pickList_data() { addEngines(); }

void TestCustomerRules::pickList()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    QCOMPARE(CustomerRules::pickListSql(QStringLiteral("Area")), QStringLiteral("select name from Area "));
    db.connection().execute(QStringLiteral("delete from Area"));
    db.connection().execute(QStringLiteral("insert into Area (Name) values ('  华东 ')"));
    db.connection().execute(QStringLiteral("insert into Area (Name) values ('西北')"));
    db.connection().execute(QStringLiteral("insert into Area (Name) values ('东北  ')"));
    CustomerRules rules(db.connection());
    QCOMPARE(rules.pickListItems(QStringLiteral("Area")),
             (QStringList{QString(), QStringLiteral("华东"), QStringLiteral("西北"), QStringLiteral("东北")}));
    db.connection().execute(QStringLiteral("delete from Area"));
    QCOMPARE(rules.pickListItems(QStringLiteral("Area")), QStringList{QString()});
    QVERIFY_THROWS_EXCEPTION(DbError, rules.pickListItems(QStringLiteral("NoSuchTable")));
}

void TestCustomerRules::rights_data() { addEngines(); }

void TestCustomerRules::rights()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    db.connection().execute(QStringLiteral("insert into Pub_User (UserCode, UserName) values ('u1', '无权限')"));
    db.connection().execute(
        QStringLiteral("insert into Pub_User (UserCode, UserName, New, Edit, Del, Query, Export, Import, Print) "
                       "values ('u2', '部分', 1, 0, 1, 1, 0, 1, 0)"));
    DataModule dm(db.folder() + QStringLiteral("/Account.Ini"));
    dm.adoptConnection(db.release());

    dm.CurrentUserCode = QStringLiteral("u1");
    CustomerRules::Rights r = CustomerRules::readRights(dm);
    QVERIFY(!r.add && !r.edit && !r.remove && !r.query && !r.exportData && !r.import && !r.print);

    dm.CurrentUserCode = QStringLiteral("u2");
    r = CustomerRules::readRights(dm);
    QVERIFY(r.add);
    QVERIFY(!r.edit);
    QVERIFY(r.remove);
    QVERIFY(r.query);
    QVERIFY(!r.exportData);
    QVERIFY(r.import);
    QVERIFY(!r.print);

    dm.CurrentUserCode = QStringLiteral("nobody");
    r = CustomerRules::readRights(dm);
    QVERIFY(!r.add && !r.query);
}

QTEST_GUILESS_MAIN(TestCustomerRules)
#include "tst_customer_rules.moc"
