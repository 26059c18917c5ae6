// The schema on both engines: every table and column with the family the client needs, server keys,
// the seed rows, case-insensitive text, the paging procedure of the server, refusing a second
// initialisation, and the generated demo customers.
#include "connection.h"
#include "data_module.h"
#include "date_text.h"
#include "db_error.h"
#include "demo_customer_generator.h"
#include "schema.h"
#include "sql_text.h"
#include "test_database.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

using F = FieldFamily;
struct Column {
    const char* name;
    FieldFamily family;
};
struct Table {
    const char* name;
    const char* key;
    bool serverKey;
    QList<Column> columns;
};

// What the client reads and writes, table by table ("free" columns are text here).
const QList<Table>& expectedTables()
{
    static const QList<Column> dictionary = {{"ID", F::Integer}, {"Name", F::Text}};
    static const QList<Table> tables = {
        {"Pub_User", "UserCode", false,
         {{"UserCode", F::Text},     {"UserName", F::Text},       {"DutyName", F::Text},    {"Email", F::Text},
          {"Fax", F::Text},          {"Tel", F::Text},            {"MobileNo", F::Text},    {"UserPassWord", F::Text},
          {"Sex", F::Text},          {"HireDate", F::DateTime},   {"JG", F::Text},          {"XL", F::Text},
          {"School", F::Text},       {"SFNo", F::Text},           {"LiveAddress", F::Text}, {"SFAddress", F::Text},
          {"JobProfile", F::Text},   {"New", F::Boolean},         {"Edit", F::Boolean},     {"Del", F::Boolean},
          {"Query", F::Boolean},     {"Export", F::Boolean},      {"Import", F::Boolean},   {"Print", F::Boolean},
          {"Edit_OutData", F::Boolean}, {"Action_Log", F::Boolean}, {"EngUserName", F::Text}, {"FjPath", F::Text},
          {"ModifyDate", F::DateTime}, {"AllowUsed", F::Boolean},  {"LoginIP", F::Text},     {"Age", F::Integer},
          {"Photo", F::Binary},      {"UseAccount", F::Text},     {"RolePriv", F::Integer}, {"CustPriv", F::Boolean},
          {"BasePriv", F::Boolean},  {"Priv", F::Integer},        {"ImagePath", F::Text},   {"CustExport", F::Boolean},
          {"CustPrint", F::Boolean}, {"LXJLExport", F::Boolean},  {"BackRestoreDBBase", F::Boolean},
          {"ExportToEmail", F::Boolean}, {"NeedAudit", F::Boolean}, {"AuditCode", F::Text}, {"AuditName", F::Text}}},
        {"Customer", "ID", true,
         {{"ID", F::Integer},           {"Code", F::Text},           {"Self_Data", F::Text},
          {"Data_Type", F::Text},       {"Company_Name", F::Text},   {"Main_LinkMan", F::Text},
          {"Position_Name", F::Text},   {"Tel_Area_Code", F::Text},  {"Tel", F::Text},
          {"Fax", F::Text},             {"Post_Code", F::Text},      {"Address", F::Text},
          {"Email", F::Text},           {"Http", F::Text},           {"Register_Bankrol", F::Number},
          {"Register_Date", F::DateTime}, {"Employee_Count", F::Text}, {"Data_Source", F::Text},
          {"Area", F::Text},            {"Province", F::Text},       {"Company_Property", F::Text},
          {"Customer_Level", F::Text},  {"Update_Date", F::DateTime}, {"Create_Date", F::DateTime},
          {"Trade", F::Text},           {"YearSaleMoney", F::Text},  {"Enterprise_Property", F::Text},
          {"Other_LinkMans", F::Text},  {"Main_Trade", F::Text},     {"Remark", F::Text},
          {"Trustee", F::Text},         {"RejectData", F::Text},     {"ID_Card", F::Text},
          {"Job_Desc", F::Text},        {"In_Come", F::Text},        {"Sex", F::Text},
          {"Born_Date", F::DateTime},   {"Money", F::Text},          {"Live_Like", F::Text},
          {"Food_Set", F::Text},        {"Car_Code", F::Text},       {"Car_Name", F::Text},
          {"Car_Made_From", F::Text},   {"Buy_Car_Date", F::DateTime}, {"House_Area", F::Text},
          {"Insure", F::Text},          {"Country", F::Text},        {"City", F::Text},
          {"Comsum_Character", F::Text}}},
        {"Action_log", "id", true,
         {{"id", F::Integer}, {"UserCode", F::Text}, {"Action_DateTime", F::DateTime}, {"Translate_Sql", F::Text},
          {"RecordCount", F::Integer}, {"Action_Des", F::Text}}},
        {"Adjust_log", "id", true,
         {{"id", F::Integer}, {"Customer_Name", F::Text}, {"Customer_Code", F::Text}, {"Data_Type", F::Text},
          {"Note", F::Text}, {"Adjust_Flag", F::Boolean}, {"Create_Date", F::DateTime}}},
        {"Position", "ID", true, dictionary},
        {"Trade", "ID", true, dictionary},
        {"Area", "ID", true, dictionary},
        {"Province", "ID", true, dictionary},
        {"City", "ID", true, dictionary},
        {"Country", "ID", true, dictionary},
        {"DataSource", "ID", true, dictionary},
    };
    return tables;
}

const QStringList kRights = {"New", "Edit", "Del", "Query", "Export", "Import", "Print", "Edit_OutData", "Action_Log"};

QStringList column(Connection& c, const QString& sql)
{
    QStringList out;
    QSqlQuery q = c.query(sql);
    while (q.next())
        out << q.value(0).toString();
    return out;
}

qint64 scalar(Connection& c, const QString& sql)
{
    QSqlQuery q = c.query(sql);
    return q.next() ? q.value(0).toLongLong() : -1;
}

void addCustomer(Connection& c, const QString& code, const QString& scope, const QString& company,
                 const QString& extraColumns = {}, const QString& extraValues = {})
{
    c.execute(QString("insert into Customer (Code, Self_Data, Data_Type, Company_Name, RejectData, Create_Date, Update_Date%1) "
                      "values ('%2', '%3', '企业数据', '%4', '否', '2026-12-11 10:00:00', '2026-12-11 10:00:00'%5)")
                  .arg(extraColumns, SqlText::escape(code), scope, SqlText::escape(company), extraValues));
}

QList<qlonglong> ids(QSqlQuery q)
{
    QList<qlonglong> out;
    const int col = q.record().indexOf("id");
    while (q.next())
        out << q.value(col).toLongLong();
    return out;
}

} // namespace

class TstSchema : public QObject {
    Q_OBJECT
private slots:
    void tablesAndColumns_data() { addEngines(); }
    void tablesAndColumns()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        for (const Table& t : expectedTables()) {
            const TableInfo& info = db.connection().tableInfo(t.name);
            QCOMPARE(info.columns.size(), t.columns.size());
            for (const Column& col : t.columns) {
                const int i = info.indexOf(col.name);
                QVERIFY2(i >= 0, qPrintable(QString("%1.%2 missing").arg(t.name, col.name)));
                QVERIFY2(info.columns[i].family == col.family,
                         qPrintable(QString("%1.%2 is %3").arg(t.name, col.name, familyName(info.columns[i].family))));
                const bool isKey = QString(col.name).compare(t.key, Qt::CaseInsensitive) == 0;
                QCOMPARE(info.columns[i].serverAssigned, isKey && t.serverKey);
            }
            QCOMPARE(info.key.size(), 1);
            QCOMPARE(info.key[0].toLower(), QString(t.key).toLower());
        }
    }

    // Rows inserted as the client inserts them: no key given, values as quoted text.
    void serverKeysAndClientInserts_data() { addEngines(); }
    void serverKeysAndClientInserts()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        addCustomer(c, "I1", "Y", "甲公司");
        addCustomer(c, "I2", "Y", "乙公司", ", Register_Bankrol, Register_Date", ", 150.5, '2001-02-03'");
        const QList<qlonglong> customerIds = ids(c.query("select ID from Customer order by ID"));
        QCOMPARE(customerIds.size(), 2);
        QVERIFY(customerIds[0] > 0 && customerIds[1] > customerIds[0]);
        QSqlQuery money = c.query("select Register_Bankrol from Customer where Register_Bankrol > 100");
        QVERIFY(money.next());
        QCOMPARE(money.value(0).toDouble(), 150.5);

        // The history insert of the query log: the count as quoted digits, the time as text.
        c.execute("insert into Action_log (UserCode,Action_DateTime,Translate_Sql,RecordCount,Action_Des) values "
                  "('Admin','2026-12-11 09:05:07','公司名称包含：科技 ','12','查询')");
        QSqlQuery log = c.query("select id, RecordCount, Action_DateTime from Action_log where RecordCount = 12");
        QVERIFY(log.next());
        QVERIFY(log.value(0).toLongLong() > 0);
        QCOMPARE(DateText::fromVariant(log.value(2)), QDateTime(QDate(2026, 12, 11), QTime(9, 5, 7)));

        c.execute("insert into Adjust_log (Customer_Name, Customer_Code, Data_Type, Note, Adjust_Flag, Create_Date) "
                  "values ('甲公司', 'I1', '企业数据', '电话有误', 0, '2026-12-11 10:00:00')");
        QCOMPARE(scalar(c, "select count(*) from Adjust_log where Adjust_Flag=0 and id > 0"), 1);

        // The dictionary editor inserts the name alone.
        c.execute("insert into Trade (Name) values ('测试行业')");
        QVERIFY(scalar(c, "select ID from Trade where Name='测试行业'") > 0);
    }

    void adminSeeded_data() { addEngines(); }
    void adminSeeded()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        QCOMPARE(column(c, "select UserCode from Pub_User"), QStringList{"Admin"});
        QSqlQuery q = c.query("select * from Pub_User where UserCode='Admin'");
        QVERIFY(q.next());
        QVERIFY(q.isNull(q.record().indexOf("UserPassWord")));
        QVERIFY(!q.value(q.record().indexOf("UserName")).toString().trimmed().isEmpty());
        for (const QString& right : kRights)
            QVERIFY2(q.value(q.record().indexOf(right)).toInt() == 1, qPrintable(right));
        // Rights the client does not use stay unset.
        QVERIFY(q.isNull(q.record().indexOf("CustPriv")));
        // The login statement with an empty password finds the row.
        QVERIFY(c.hasRows(DataModule::checkLoginSql("Admin", "")));
        QVERIFY(!c.hasRows(DataModule::checkLoginSql("Admin", "x")));
    }

    void dictionariesSeeded_data() { addEngines(); }
    void dictionariesSeeded()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        const QMap<QString, QStringList> mustHold = {
            {"Position", {"总经理", "经理", "主管", "职员"}},
            {"Trade", {"信息技术", "商业贸易", "机械制造"}},
            {"Area", {"华东", "华南", "华北", "华中", "西南", "西北", "东北"}},
            {"Province", {"北京市", "广东省", "新疆维吾尔自治区", "澳门特别行政区"}},
            {"City", {"北京", "上海", "广州", "深圳"}},
            {"Country", {"中国"}},
            {"DataSource", {"网上", "展会", "人工", "报刊"}},
        };
        for (auto it = mustHold.begin(); it != mustHold.end(); ++it) {
            // As the pick lists read them.
            const QStringList names = column(c, "select name from " + it.key() + " ");
            QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
            for (const QString& n : names)
                QVERIFY2(!n.isEmpty() && n == n.trimmed(), qPrintable(it.key()));
            for (const QString& wanted : it.value())
                QVERIFY2(names.contains(wanted), qPrintable(it.key() + ": " + wanted));
        }
        QCOMPARE(scalar(c, "select count(*) from Province"), 34);
        // The entries the demo data draws on are all there.
        const QList<QPair<QString, QStringList>> used = {{"Area", DemoCustomerGenerator::areas()},
                                                         {"DataSource", DemoCustomerGenerator::dataSources()},
                                                         {"Trade", DemoCustomerGenerator::trades()},
                                                         {"Position", DemoCustomerGenerator::positions()},
                                                         {"Province", DemoCustomerGenerator::provinces()},
                                                         {"City", DemoCustomerGenerator::cities()}};
        for (const auto& [table, values] : used) {
            const QStringList names = column(c, "select name from " + table + " ");
            for (const QString& v : values)
                QVERIFY2(names.contains(v), qPrintable(table + ": " + v));
        }
    }

    // Text compares without regard to letter case, in =, LIKE and unique keys; table and column
    // names resolve in any case.
    void caseInsensitive_data() { addEngines(); }
    void caseInsensitive()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        addCustomer(c, "I261211", "Y", "ABC Trading 科技");
        QCOMPARE(scalar(c, "select count(*) from Customer where Company_Name='abc trading 科技'"), 1);
        QCOMPARE(scalar(c, "select count(*) from Customer where Company_Name like '%trading%'"), 1);
        QCOMPARE(scalar(c, "select count(*) from Customer where Company_Name like 'abc%'"), 1);
        QCOMPARE(scalar(c, "select count(*) from Customer where Company_Name like '%科技%'"), 1);
        QCOMPARE(scalar(c, "select count(*) from customer where code='i261211' and self_data='y' and data_type='企业数据'"), 1);
        QCOMPARE(scalar(c, "select count(*) from Pub_User where UserCode='ADMIN'"), 1);
        QVERIFY_THROWS_EXCEPTION(DbError, addCustomer(c, "i261211", "N", "另一家"));
        c.execute("insert into Adjust_log (Customer_Name, Note, Create_Date) values ('甲', 'x', '2026-12-11')");
        QSqlQuery q = c.query("select create_date, create_Date, Create_Date, adjust_flag, Note, note from ADJUST_LOG");
        QVERIFY(q.next());
        QCOMPARE(DateText::fromVariant(q.value(0)).date(), QDate(2026, 12, 11));
        QCOMPARE(DateText::fromVariant(q.value(2)).date(), QDate(2026, 12, 11));
        QCOMPARE(q.value(4).toString(), QString("x"));
    }

    // Codes identify customers (grid, scanner): no two rows share one; rows without a code are allowed.
    void codesAreUnique_data() { addEngines(); }
    void codesAreUnique()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        addCustomer(c, "O2612111", "N", "甲");
        QVERIFY_THROWS_EXCEPTION(DbError, addCustomer(c, "O2612111", "N", "乙"));
        c.execute("insert into Customer (Self_Data, Company_Name) values ('Y', '无编号一')");
        c.execute("insert into Customer (Self_Data, Company_Name) values ('Y', '无编号二')");
        QCOMPARE(scalar(c, "select count(*) from Customer"), 3);
    }

    // Date conditions of the advanced query compare stored date-times with YYYY-MM-DD text.
    void dateConditions_data() { addEngines(); }
    void dateConditions()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        addCustomer(c, "I1", "Y", "甲", ", Register_Date", ", '2026-12-11 09:05:00.123'");
        addCustomer(c, "I2", "Y", "乙", ", Register_Date", ", '2026-12-12'");
        QCOMPARE(column(c, "select Code from Customer where Register_Date >= '2026-12-11' and Register_Date < '2026-12-12'"),
                 QStringList{"I1"});
        QCOMPARE(column(c, "select Code from Customer where Register_Date >= '2026-12-12' and Register_Date <= '2026-12-12 23:59:59'"),
                 QStringList{"I2"});
        QSqlQuery q = c.query("select Register_Date from Customer where Code='I1'");
        QVERIFY(q.next());
        QCOMPARE(DateText::fromVariant(q.value(0)), QDateTime(QDate(2026, 12, 11), QTime(9, 5, 0, 123)));
    }

    // The returned-mail update marks every customer of that name; the quick query then finds them.
    void returnedMail_data() { addEngines(); }
    void returnedMail()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        addCustomer(c, "I1", "Y", "甲公司");
        addCustomer(c, "O1", "N", "甲公司");
        addCustomer(c, "I2", "Y", "乙公司");
        QCOMPARE(c.execute("update Customer set RejectData='是' where Company_Name='甲公司' "), 2);
        QCOMPARE(c.countRows("select * from Customer where 1=1 and Self_Data='Y' and RejectData='是' "), 1);
        QCOMPARE(c.countRows("select * from Customer where 1=1 and Self_Data='N' and RejectData='是' "), 1);
    }

    void createRefusesSecondTime_data() { addEngines(); }
    void createRefusesSecondTime()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        QVERIFY(Schema::isPresent(c));
        addCustomer(c, "I1", "Y", "甲公司");
        try {
            Schema::create(c);
            QFAIL("a second create was accepted");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains("已经初始化"), qPrintable(e.message()));
        }
        QCOMPARE(scalar(c, "select count(*) from Customer"), 1);
        QCOMPARE(scalar(c, "select count(*) from Pub_User"), 1);
        QCOMPARE(scalar(c, "select count(*) from Area"), 9);
    }

    // A database holding only one of the tables is taken as initialised too: nothing is mixed in.
    void partialSchemaCounts_data() { addEngines(); }
    void partialSchemaCounts()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine, false);
        Connection& c = db.connection();
        QVERIFY(!Schema::isPresent(c));
        c.execute("create table pub_user (usercode varchar(8))");
        QVERIFY(Schema::isPresent(c));
        QVERIFY_THROWS_EXCEPTION(DbError, Schema::create(c));
        QVERIFY_THROWS_EXCEPTION(DbError, c.tableInfo("Customer"));
    }

    // A failing script leaves nothing behind: it runs in one transaction.
    void failedCreateLeavesNothing_data() { addEngines(); }
    void failedCreateLeavesNothing()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine, false);
        Connection& c = db.connection();
        // A table of that name that is not ours makes the script fail halfway.
        c.execute("create table Action_log (x integer)");
        QVERIFY(!Schema::isPresent(c));
        QVERIFY_THROWS_EXCEPTION(DbError, Schema::create(c));
        QVERIFY(!Schema::isPresent(c));
        c.execute("drop table Action_log");
        Schema::create(c);
        QVERIFY(Schema::isPresent(c));
        QCOMPARE(scalar(c, "select count(*) from Pub_User"), 1);
    }

    void sqliteFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("sub/folder/orvane.db");
        Schema::createSqliteFile(path);
        QCOMPARE(QFileInfo(path).size(), 0);
        try {
            Schema::createSqliteFile(path);
            QFAIL("an existing file was accepted");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains("已经存在"), qPrintable(e.message()));
        }
        ConnectionSettings s;
        s.database = path;
        Connection c(s);
        c.open();
        Schema::create(c);
        QSqlQuery q = c.query("pragma journal_mode");
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString().toLower(), QString("wal"));
        c.close();

        // A file that is not empty is never replaced either.
        const QString other = dir.filePath("notes.txt");
        QFile f(other);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
        f.close();
        QVERIFY_THROWS_EXCEPTION(DbError, Schema::createSqliteFile(other));
        QFile r(other);
        QVERIFY(r.open(QIODevice::ReadOnly));
        QCOMPARE(r.readAll(), QByteArray("keep me"));
        QVERIFY_THROWS_EXCEPTION(DbError, Schema::createSqliteFile(QString()));
    }

    // The server's paging function against the plain ordered list, for several conditions, page
    // sizes and both orders, every page and the pages just outside.
    void pagingProcedure_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::newRow("scope") << "Self_Data='Y'";
        QTest::newRow("other scope and a word") << "Self_Data='N' and Company_Name like '%科技%'";
        QTest::newRow("quoted value") << "Self_Data='Y' and Company_Name like '%O''Brien%'";
        QTest::newRow("case of the value") << "self_data='y' and company_name like '%SHOP%'";
        QTest::newRow("nothing matches") << "Self_Data='Y' and Company_Name='无此公司'";
    }
    void pagingProcedure()
    {
        SKIP_WITHOUT_ENGINE(Engine::PostgreSQL);
        QFETCH(QString, condition);
        TestDatabase db(Engine::PostgreSQL);
        Connection& c = db.connection();
        QStringList batch;
        for (int i = 1; i <= 700; ++i) {
            const QString scope = i % 3 == 0 ? "N" : "Y";
            const QString name = i % 50 == 0 ? "O'Brien Shop" : i % 4 == 0 ? QString("科技公司%1").arg(i) : QString("商行%1").arg(i);
            batch << QString("insert into Customer (Code, Self_Data, Company_Name) values ('I%1', '%2', '%3')")
                         .arg(i)
                         .arg(scope, SqlText::escape(name));
        }
        c.execute(batch.join(";\n"));
        c.execute("delete from Customer where ID % 7 = 0");   // gaps in the keys

        for (const char* order : {"ASC", "DESC"}) {
            const QList<qlonglong> all = ids(c.query("select id from Customer where " + condition + " order by id " + order));
            for (const int size : {100, 7}) {
                const int pages = static_cast<int>((all.size() + size - 1) / size);
                for (int page = 0; page <= pages + 1; ++page) {
                    const QString call = QString("select * from GetPagingData('Customer','ID',%1,%2,'%3','*','%4','')")
                                             .arg(size)
                                             .arg(page)
                                             .arg(QString::fromLatin1(order), SqlText::escape(condition));
                    const QList<qlonglong> expected = page < 1 ? QList<qlonglong>() : all.mid((page - 1) * size, size);
                    QCOMPARE(ids(c.query(call)), expected);
                }
            }
        }
        // The client's spelling of the call, through the connection.
        const QString exec = "exec GetPagingData 'Customer','ID',100,1,'ASC','*','" + SqlText::escape(condition) + "','' ";
        QSqlQuery q = c.query(exec);
        QCOMPARE(q.record().count(), c.tableInfo("Customer").columns.size());
    }

    void pagingProcedureRefuses_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::newRow("another table") << "'Pub_User','ID',100,1,'ASC','*','1=1',''";
        QTest::newRow("another key") << "'Customer','Code',100,1,'ASC','*','1=1',''";
        QTest::newRow("a column list") << "'Customer','ID',100,1,'ASC','ID,Code','1=1',''";
        QTest::newRow("an order") << "'Customer','ID',100,1,'UP','*','1=1',''";
        QTest::newRow("page size 0") << "'Customer','ID',0,1,'ASC','*','1=1',''";
        QTest::newRow("a broken condition") << "'Customer','ID',100,1,'ASC','*','Self_Data=',''";
    }
    void pagingProcedureRefuses()
    {
        SKIP_WITHOUT_ENGINE(Engine::PostgreSQL);
        QFETCH(QString, arguments);
        TestDatabase db(Engine::PostgreSQL);
        QVERIFY_THROWS_EXCEPTION(DbError, db.connection().query("select * from GetPagingData(" + arguments + ")"));
    }

    void demoCustomers_data() { addEngines(); }
    void demoCustomers()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        Schema::DemoOptions options;
        options.count = 1500;
        QCOMPARE(Schema::addDemoCustomers(c, options), 1500);
        QCOMPARE(scalar(c, "select count(*) from Customer"), 1500);

        static const QRegularExpression format("^[IO][0-9]{8,15}$");
        QSet<QString> codes;
        QSqlQuery q = c.query("select Code, Self_Data, Create_Date, Data_Type, RejectData, Company_Name, Main_LinkMan, "
                              "Customer_Level, Update_Date from Customer order by ID");
        QDateTime previous;
        while (q.next()) {
            const QString code = q.value(0).toString();
            QVERIFY2(format.match(code).hasMatch(), qPrintable(code));
            codes.insert(code.toUpper());
            QCOMPARE(code.left(1), QString(q.value(1).toString() == "Y" ? "I" : "O"));
            // The code is the one the customer window would have given at the moment of entry.
            const QDateTime created = DateText::fromVariant(q.value(2));
            QCOMPARE(DataModule::formatCustomerCode(code.left(1), created), code);
            QVERIFY(!previous.isValid() || created > previous);
            previous = created;
            QVERIFY(DateText::fromVariant(q.value(8)) >= created);
            QVERIFY(QStringList({"企业数据", "个人数据"}).contains(q.value(3).toString()));
            QVERIFY(QStringList({"是", "否"}).contains(q.value(4).toString()));
            QVERIFY(!q.value(6).toString().isEmpty());
            if (q.value(3).toString() == "企业数据")
                QVERIFY(!q.value(5).toString().isEmpty());
            QVERIFY(q.isNull(7) || QStringList({"VIP", "普通", "白金", "钻石"}).contains(q.value(7).toString()));
        }
        QCOMPARE(codes.size(), 1500);
        for (const char* scope : {"Y", "N"})
            for (const char* type : {"企业数据", "个人数据"})
                QVERIFY(scalar(c, QString("select count(*) from Customer where Self_Data='%1' and Data_Type='%2'").arg(QString::fromUtf8(scope), QString::fromUtf8(type))) > 50);
        QVERIFY(scalar(c, "select count(*) from Customer where RejectData='是'") > 0);

        // Pick-list columns hold dictionary entries.
        const QList<QPair<QString, QString>> picked = {{"Area", "Area"},         {"Data_Source", "DataSource"},
                                                       {"Trade", "Trade"},       {"Position_Name", "Position"},
                                                       {"Province", "Province"}, {"City", "City"}};
        for (const auto& [col, dict] : picked)
            QCOMPARE(scalar(c, QString("select count(*) from Customer where %1 is not null and %1 not in (select Name from %2)")
                                   .arg(col, dict)),
                     0);
        // A two-character word finds some companies, not most.
        const qint64 companies = scalar(c, "select count(*) from Customer where Company_Name is not null");
        const qint64 tech = scalar(c, "select count(*) from Customer where Company_Name like '%科技%'");
        QVERIFY2(tech * 40 > companies && tech * 4 < companies, qPrintable(QString("%1 of %2").arg(tech).arg(companies)));
        QVERIFY(scalar(c, "select count(distinct Company_Name) from Customer") * 10 > companies * 9);

        // A second run adds more, after the first ones, without repeating a code.
        options.count = 300;
        QCOMPARE(Schema::addDemoCustomers(c, options), 300);
        QCOMPARE(scalar(c, "select count(distinct Code) from Customer"), 1800);
        QSqlQuery order = c.query("select count(*) from Customer a where exists (select 1 from Customer b where b.ID < a.ID "
                                  "and b.Create_Date >= a.Create_Date)");
        QVERIFY(order.next());
        QCOMPARE(order.value(0).toLongLong(), 0);
    }

    void demoIsDeterministic()
    {
        auto names = [](quint32 seed) {
            TestDatabase db(Engine::SQLite);
            Schema::DemoOptions options;
            options.count = 200;
            options.seed = seed;
            Schema::addDemoCustomers(db.connection(), options);
            return column(db.connection(), "select coalesce(Company_Name, '') || '/' || Main_LinkMan || '/' || Code "
                                           "from Customer order by ID");
        };
        const QStringList first = names(7);
        QCOMPARE(first.size(), 200);
        QCOMPARE(names(7), first);
        QVERIFY(names(8) != first);
    }

    // Codes already stored are never given to a generated row, even where the generator would
    // have made them.
    void demoAvoidsStoredCodes()
    {
        Schema::DemoOptions options;
        options.count = 50;
        TestDatabase first(Engine::SQLite);
        Schema::addDemoCustomers(first.connection(), options);
        const QStringList firstCodes = column(first.connection(), "select Code from Customer order by ID limit 10");
        QCOMPARE(firstCodes.size(), 10);

        TestDatabase db(Engine::SQLite);
        Connection& c = db.connection();
        for (const QString& code : firstCodes)
            c.execute(QString("insert into Customer (Code, Self_Data, Create_Date) values ('%1', '%2', '2018-05-01 10:00:00')")
                          .arg(code, code.startsWith('I') ? "Y" : "N"));
        QCOMPARE(Schema::addDemoCustomers(c, options), 50);
        QCOMPARE(scalar(c, "select count(distinct Code) from Customer"), 60);
    }

    // A large run builds the Customer indexes afresh: they are all back, and still enforce unique codes.
    void largeDemoKeepsIndexes_data() { addEngines(); }
    void largeDemoKeepsIndexes()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        const QString indexQuery = engine == Engine::SQLite
                                       ? "select lower(name) from sqlite_master where type='index' and tbl_name='Customer' order by 1"
                                       : "select lower(indexname) from pg_indexes where tablename='customer' order by 1";
        const QStringList before = column(c, indexQuery);
        QVERIFY(before.size() >= 4);
        Schema::DemoOptions options;
        options.count = 20000;
        qint64 lastProgress = 0;
        options.progress = [&](qint64 done) { lastProgress = done; };
        QCOMPARE(Schema::addDemoCustomers(c, options), 20000);
        QCOMPARE(lastProgress, 20000);
        QCOMPARE(column(c, indexQuery), before);
        QCOMPARE(scalar(c, "select count(distinct Code) from Customer"), 20000);
        const QString someCode = column(c, "select Code from Customer where ID = 123").value(0);
        QVERIFY(!someCode.isEmpty());
        QVERIFY_THROWS_EXCEPTION(DbError, addCustomer(c, someCode, someCode.startsWith('I') ? "Y" : "N", "重复编号"));
    }

    void demoNeedsSchema_data() { addEngines(); }
    void demoNeedsSchema()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine, false);
        Schema::DemoOptions options;
        options.count = 10;
        try {
            Schema::addDemoCustomers(db.connection(), options);
            QFAIL("demo rows were added to a database without the schema");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains("orvane-db init"), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TstSchema)
#include "tst_schema.moc"
