// Data sets on both engines: reading, write-back by key, server keys, conflicts with another
// workstation, declared field lists.
#include "data_set.h"
#include "data_set_model.h"
#include "db_error.h"
#include "test_database.h"

#include <QSignalSpy>
#include <QTest>

namespace {

void addErrorRows(Connection& c)
{
    c.execute("insert into Adjust_log (Customer_Name, Customer_Code, Data_Type, Note, Adjust_Flag, Create_Date) values "
              "('甲公司', 'I1', '企业数据', '电话错误', 0, '2026-12-01 00:00:00');"
              "insert into Adjust_log (Customer_Name, Customer_Code, Data_Type, Note, Adjust_Flag, Create_Date) values "
              "('乙公司', 'I2', '个人数据', '地址错误', 1, '2026-12-02 09:30:15')");
}

} // namespace

class TstDataSet : public QObject {
    Q_OBJECT
private slots:
    void readsFieldsAsText_data() { addEngines(); }
    void readsFieldsAsText()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        addErrorRows(db.connection());
        DataSet ds(db.connection());
        ds.setSql("select * from Adjust_log order by id");
        ds.open();
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.baseTable().toLower(), QString("adjust_log"));
        // Every spelling of a column finds it, whatever the engine returns.
        QCOMPARE(ds.asString("customer_name"), QString("甲公司"));
        QCOMPARE(ds.asString("Customer_Name"), QString("甲公司"));
        QCOMPARE(ds.asString("create_Date"), QString("2026-12-01"));
        QCOMPARE(ds.asBool("Adjust_Flag"), false);
        ds.next();
        QCOMPARE(ds.asString("CREATE_DATE"), QString("2026-12-02 09:30:15"));
        QCOMPARE(ds.asBool("adjust_flag"), true);
        QCOMPARE(ds.asString("Adjust_Flag"), QString("True"));
        QVERIFY(!ds.eof());
        ds.next();
        QVERIFY(ds.eof());
        QVERIFY_THROWS_EXCEPTION(DbError, ds.value("NoSuchField"));
    }

    void appendEditDeleteReachTheTable_data() { addEngines(); }
    void appendEditDeleteReachTheTable()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        addErrorRows(c);
        DataSet ds(c);
        ds.setSql("select * from Adjust_log where 1>1");
        ds.open();
        QVERIFY(ds.isEmpty());

        ds.append();
        QCOMPARE(ds.state(), DataSet::State::Insert);
        ds.setValue("Customer_Name", "丙公司");
        ds.setAsString("Create_Date", "2026-12-11 08:00:01");
        ds.setAsString("Adjust_Flag", "1");
        ds.post();
        QCOMPARE(ds.state(), DataSet::State::Browse);
        const qlonglong id = ds.asInt("id");
        QVERIFY(id > 0);   // the server's key, read back
        QVERIFY(c.hasRows(QString("select * from Adjust_log where id = %1 and Customer_Name = '丙公司' and Adjust_Flag = 1 "
                                  "and Create_Date = '2026-12-11 08:00:01'")
                              .arg(id)));

        ds.edit();
        ds.setValue("Note", "已更正");
        ds.setAsString("Create_Date", "");
        ds.post();
        QVERIFY(c.hasRows(QString("select * from Adjust_log where id = %1 and Note = '已更正' and Create_Date is null").arg(id)));

        ds.remove();
        QVERIFY(ds.isEmpty());
        QVERIFY(!c.hasRows(QString("select * from Adjust_log where id = %1").arg(id)));
        QCOMPARE(c.countRows("select * from Adjust_log"), 2);
    }

    void cancelDiscards_data() { addEngines(); }
    void cancelDiscards()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        addErrorRows(db.connection());
        DataSet ds(db.connection());
        ds.setTableName("Adjust_log");
        ds.open();
        ds.append();
        ds.setValue("Customer_Name", "不要");
        ds.cancel();
        QCOMPARE(ds.recordCount(), 2);
        ds.first();
        ds.edit();
        ds.setValue("Customer_Name", "改了又放弃");
        ds.cancel();
        QCOMPARE(ds.asString("Customer_Name"), QString("甲公司"));
        QCOMPARE(db.connection().countRows("select * from Adjust_log where Customer_Name='甲公司'"), 1);
    }

    void badTextIsRefused()
    {
        TestDatabase db(Engine::SQLite);
        DataSet ds(db.connection());
        ds.setTableName("Adjust_log");
        ds.open();
        ds.append();
        try {
            ds.setAsString("Create_Date", "2026-13-40");
            QFAIL("an impossible date was taken");
        } catch (const DbError& e) {
            QVERIFY(e.message().contains("日期"));
        }
        QVERIFY_THROWS_EXCEPTION(DbError, ds.setAsString("Adjust_Flag", "也许"));
        ds.cancel();
        QVERIFY_THROWS_EXCEPTION(DbError, ds.setValue("Note", "not editing"));
    }

    // Another workstation changed or deleted the row after it was read: the write fails, nothing
    // of theirs is overwritten, and our change stays pending.
    void conflicts_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("deleting");
        for (const Engine e : {Engine::SQLite, Engine::PostgreSQL}) {
            const char* name = e == Engine::SQLite ? "sqlite" : "postgresql";
            QTest::addRow("%s: edit a changed row", name) << e << "update Adjust_log set Note = '他人修改' where Customer_Name = '甲公司'" << false;
            QTest::addRow("%s: edit a deleted row", name) << e << "delete from Adjust_log where Customer_Name = '甲公司'" << false;
            QTest::addRow("%s: delete a changed row", name) << e << "update Adjust_log set Note = '他人修改' where Customer_Name = '甲公司'" << true;
        }
    }
    void conflicts()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, meanwhile);
        QFETCH(bool, deleting);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        addErrorRows(db.connection());
        DataSet ds(db.connection());
        ds.setSql("select * from Adjust_log order by id");
        ds.open();
        auto other = db.openAnother();
        other->execute(meanwhile);
        if (deleting) {
            QVERIFY_THROWS_EXCEPTION(DbError, ds.remove());
            QCOMPARE(ds.recordCount(), 2);
            QVERIFY(db.connection().hasRows("select * from Adjust_log where Note = '他人修改'"));
            return;
        }
        ds.edit();
        ds.setValue("Note", "我的修改");
        try {
            ds.post();
            QFAIL("a stale row was overwritten");
        } catch (const DbError& e) {
            QVERIFY(e.message().contains("其他用户"));
        }
        QCOMPARE(ds.state(), DataSet::State::Edit);
        QVERIFY(!db.connection().hasRows("select * from Adjust_log where Note = '我的修改'"));
    }

    void declaredFieldList_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("family");
        QTest::addColumn<bool>("opens");
        for (const Engine e : {Engine::SQLite, Engine::PostgreSQL}) {
            const char* name = e == Engine::SQLite ? "sqlite" : "postgresql";
            QTest::addRow("%s: as declared", name) << e << "HireDate" << int(FieldFamily::DateTime) << true;
            QTest::addRow("%s: missing column", name) << e << "NoSuchColumn" << int(FieldFamily::Text) << false;
            QTest::addRow("%s: boolean declared as text", name) << e << "New" << int(FieldFamily::Text) << false;
            QTest::addRow("%s: text declared as date", name) << e << "UserName" << int(FieldFamily::DateTime) << false;
        }
    }
    void declaredFieldList()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, field);
        QFETCH(int, family);
        QFETCH(bool, opens);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        DataSet ds(db.connection());
        ds.setTableName("Pub_User");
        ds.setFieldList({{"UserCode", FieldFamily::Text}, {"Photo", FieldFamily::Binary}, {field, FieldFamily(family)}});
        if (opens) {
            ds.open();
            QVERIFY(ds.isOpen());
        } else {
            QVERIFY_THROWS_EXCEPTION(DbError, ds.open());
            QVERIFY(!ds.isOpen());
        }
    }

    // A page from the paging procedure is written back to Customer; a new row gets the server's ID.
    void pagingResultWritesBack_data() { addEngines(); }
    void pagingResultWritesBack()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        c.execute("insert into Customer (Code, Self_Data, Data_Type, Company_Name, RejectData) values ('I1', 'Y', '企业数据', '老公司', '否')");
        DataSet page(c);
        page.setSql("exec GetPagingData 'Customer','ID',100,1,'ASC','*','Self_Data=''Y'' ','' ");
        page.open();
        QCOMPARE(page.recordCount(), 1);
        QCOMPARE(page.baseTable().toLower(), QString("customer"));
        page.edit();
        page.setValue("Company_Name", "新名称");
        page.post();
        page.append();
        page.setValue("Code", "I2");
        page.setValue("Self_Data", "Y");
        page.setValue("Data_Type", "个人数据");
        page.setValue("Main_LinkMan", "张三");
        page.setAsString("Register_Bankrol", "1234.5");
        page.post();
        QVERIFY(page.asInt("ID") > 0);
        QCOMPARE(page.asString("Register_Bankrol"), QString("1234.5"));
        QVERIFY(c.hasRows("select * from Customer where Company_Name = '新名称' and Code = 'I1'"));
        QVERIFY(c.hasRows(QString("select * from Customer where ID = %1 and Main_LinkMan = '张三'").arg(page.asInt("ID"))));
    }

    void modelShowsAndSorts()
    {
        TestDatabase db(Engine::SQLite);
        addErrorRows(db.connection());
        DataSet ds(db.connection());
        ds.setSql("select * from Adjust_log order by id");
        ds.open();
        DataSetModel model(&ds, {{"Customer_Name", "客户名称"}, {"Create_Date", "日期"}});
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("客户名称"));
        QCOMPARE(model.index(1, 1).data().toString(), QString("2026-12-02 09:30:15"));
        model.sort(1, Qt::DescendingOrder);
        QCOMPARE(model.index(0, 0).data().toString(), QString("乙公司"));
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        ds.append();
        QCOMPARE(model.rowCount(), 3);
        ds.cancel();
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(reset.count() >= 2);
    }
};

QTEST_GUILESS_MAIN(TstDataSet)
#include "tst_dataset.moc"
