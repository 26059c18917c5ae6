// The connection on both engines: statement text as given, batches, the paging procedure, counts,
// and refusing what cannot be opened.
#include "connection.h"
#include "db_error.h"
#include "sql_text.h"
#include "test_database.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

// 300 customers: IDs ascend with the insert order; every sixth is entrusted, so 250 are internal.
QList<qlonglong> fillCustomers(Connection& c)
{
    QStringList batch;
    for (int i = 1; i <= 300; ++i) {
        const QString scope = i % 6 == 0 ? "N" : "Y";
        const QString name = i == 7 ? QString("O'Brien 贸易") : QString("公司%1").arg(i);
        batch << QString("insert into Customer (Code, Self_Data, Data_Type, Company_Name, RejectData, Create_Date, Update_Date) "
                         "values ('I%1', '%2', '企业数据', '%3', '否', '2026-12-11 10:00:00', '2026-12-11 10:00:00')")
                     .arg(i)
                     .arg(scope, SqlText::escape(name));
    }
    c.execute(batch.join(";\n"));
    QList<qlonglong> internal;
    QSqlQuery q = c.query("select ID from Customer where Self_Data='Y' order by ID");
    while (q.next())
        internal << q.value(0).toLongLong();
    return internal;
}

QList<qlonglong> idsOf(QSqlQuery q)
{
    QList<qlonglong> ids;
    const int col = q.record().indexOf("ID");
    while (q.next())
        ids << q.value(col).toLongLong();
    return ids;
}

QString pageCall(int page, const QString& condition, bool firstForm)
{
    // The two spellings the client sends: one trailing blank for a new query, two for later pages.
    return QString("exec GetPagingData 'Customer','ID',100,%1,'ASC','*','%2',''%3")
        .arg(page)
        .arg(condition, firstForm ? " " : "  ");
}

} // namespace

class TstConnection : public QObject {
    Q_OBJECT
private slots:
    void parsePagingCall_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("condition");
        QTest::newRow("first page, one blank") << "exec GetPagingData 'Customer','ID',100,1,'ASC','*','Self_Data=''Y'' ','' " << 1
                                               << "Self_Data='Y' ";
        QTest::newRow("later page, two blanks") << "exec GetPagingData 'Customer','ID',100,12,'ASC','*','Self_Data=''N'' ',''  "
                                                << 12 << "Self_Data='N' ";
        QTest::newRow("value with a quote") << "exec GetPagingData 'Customer','ID',100,2,'ASC','*','a like ''%O''''B%'' ',''" << 2
                                            << "a like '%O''B%' ";
        QTest::newRow("not a paging call") << "select * from Customer" << -1 << "";
    }
    void parsePagingCall()
    {
        QFETCH(QString, sql);
        QFETCH(int, page);
        QFETCH(QString, condition);
        const auto call = Connection::parsePagingCall(sql);
        if (page < 0) {
            QVERIFY(!call);
            return;
        }
        QVERIFY(call);
        QCOMPARE(call->table, QString("Customer"));
        QCOMPARE(call->key, QString("ID"));
        QCOMPARE(call->pageSize, 100);
        QCOMPARE(call->page, page);
        QCOMPARE(call->condition, condition);
        QCOMPARE(call->extra, QString());
    }

    void splitStatements_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("plain") << "select 1; select 2;\n" << QStringList{"select 1", "select 2"};
        QTest::newRow("semicolon in a literal") << "insert into t values ('a;b'); select 2"
                                                << QStringList{"insert into t values ('a;b')", "select 2"};
        QTest::newRow("doubled quote") << "select 'it''s; fine'; select 3" << QStringList{"select 'it''s; fine'", "select 3"};
        QTest::newRow("comments") << "-- a; comment\nselect 1; /* b; c */ select 2"
                                  << QStringList{"-- a; comment\nselect 1", "/* b; c */ select 2"};
        QTest::newRow("dollar quote") << "create function f() returns int as $$ begin return 1; end $$ language plpgsql; select 1"
                                      << QStringList{"create function f() returns int as $$ begin return 1; end $$ language plpgsql",
                                                     "select 1"};
        QTest::newRow("trigger body") << "create trigger tr after insert on t begin update t set a=1; end; select 1"
                                      << QStringList{"create trigger tr after insert on t begin update t set a=1; end", "select 1"};
    }
    void splitStatements()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, statements);
        QCOMPARE(Connection::splitStatements(script), statements);
    }

    void batchStopsAtFirstFailure_data() { addEngines(); }
    void batchStopsAtFirstFailure()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine, false);
        Connection& c = db.connection();
        c.execute("create table t (a integer)");
        QVERIFY_THROWS_EXCEPTION(DbError, c.execute("insert into t values (1); insert into t values (2);\n"
                                                    "insert into missing_table values (3); insert into t values (4)"));
        QSqlQuery q = c.query("select a from t order by a");
        QList<int> seen;
        while (q.next())
            seen << q.value(0).toInt();
        QCOMPARE(seen, (QList<int>{1, 2}));
        QCOMPARE(c.execute("update t set a = a + 10"), 2);
    }

    void paging_data() { addEngines(); }
    void paging()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        const QList<qlonglong> internal = fillCustomers(c);
        QCOMPARE(internal.size(), 250);
        const QString cond = "Self_Data=''Y'' ";
        QCOMPARE(c.countRows("select * from Customer where 1=1 and Self_Data='Y' "), 250);

        QCOMPARE(idsOf(c.query(pageCall(1, cond, true))), internal.mid(0, 100));
        QCOMPARE(idsOf(c.query(pageCall(2, cond, false))), internal.mid(100, 100));
        QCOMPARE(idsOf(c.query(pageCall(3, cond, false))), internal.mid(200, 50));
        // Past the end: no rows, still every column.
        QSqlQuery beyond = c.query(pageCall(4, cond, false));
        QVERIFY(!beyond.next());
        QVERIFY(beyond.record().indexOf("Comsum_Character") >= 0);

        // Rows added and removed meanwhile, also by another workstation, move the pages.
        c.execute("delete from Customer where ID = " + QString::number(internal[0]));
        QCOMPARE(idsOf(c.query(pageCall(3, cond, false))), internal.mid(201, 49));
        auto other = db.openAnother();
        other->execute("delete from Customer where ID = " + QString::number(internal[1]));
        QCOMPARE(idsOf(c.query(pageCall(3, cond, false))), internal.mid(202, 48));
    }

    void pagingEmptyResultHasEveryColumn_data() { addEngines(); }
    void pagingEmptyResultHasEveryColumn()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        fillCustomers(c);
        const TableInfo& info = c.tableInfo("Customer");
        QSqlQuery q = c.query(pageCall(1, "Self_Data=''Y'' and Company_Name like ''%无此公司%'' ", true));
        QVERIFY(!q.next());
        QCOMPARE(q.record().count(), info.columns.size());
        for (const ColumnInfo& col : info.columns)
            QVERIFY2(q.record().indexOf(col.name) >= 0, qPrintable(col.name));
    }

    // A typed value with a quote, doubled for the statement and again for the paging argument,
    // still finds exactly the row it names.
    void quoteKeepsMeaning_data() { addEngines(); }
    void quoteKeepsMeaning()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        fillCustomers(c);
        const QString typed = "O'Brien";
        const QString where = "Self_Data='Y' and Company_Name like '%" + SqlText::escape(typed) + "%' ";
        QCOMPARE(c.countRows("select * from Customer where 1=1 and " + where), 1);
        const QString paging = "Self_Data=''Y'' and Company_Name like ''%" + SqlText::escapeTwice(typed) + "%'' ";
        QSqlQuery q = c.query(pageCall(1, paging, true));
        QVERIFY(q.next());
        QCOMPARE(q.value(q.record().indexOf("Company_Name")).toString(), QString("O'Brien 贸易"));
        QVERIFY(!q.next());
        QSqlQuery q2 = c.query(pageCall(2, paging, false));
        QVERIFY(!q2.next());
    }

    void caseInsensitiveText_data() { addEngines(); }
    void caseInsensitiveText()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        Connection& c = db.connection();
        fillCustomers(c);
        QVERIFY(c.hasRows("select id from Customer where Company_Name ='o''brien 贸易' and data_type='企业数据'"));
        QCOMPARE(c.countRows("select * from Customer where company_name like '%BRIEN%'"), 1);
    }

    void missingFileIsNotCreated()
    {
        QTemporaryDir dir;
        ConnectionSettings s;
        s.baseDir = dir.path();
        s.database = "nothing.db";
        Connection c(s);
        try {
            c.open();
            QFAIL("a missing database file was opened");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains("不存在"), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(dir.filePath("nothing.db")));
    }

    void notADatabaseIsLeftUntouched()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("notes.db");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("这不是数据库。").repeated(200));
        f.close();
        const auto hash = [&] {
            QFile r(path);
            r.open(QIODevice::ReadOnly);
            return QCryptographicHash::hash(r.readAll(), QCryptographicHash::Sha256);
        };
        const QByteArray before = hash();
        ConnectionSettings s;
        s.database = path;
        Connection c(s);
        QVERIFY_THROWS_EXCEPTION(DbError, c.open());
        QVERIFY(!c.isOpen());
        QCOMPARE(hash(), before);
        QVERIFY(!QFile::exists(path + "-wal"));
    }

    void serverNotAnswering()
    {
        // Port 1 on loopback: nothing listens there.
        ConnectionSettings s;
        s.engine = Engine::PostgreSQL;
        s.server = "127.0.0.1:1";
        s.database = "orvane";
        s.user = "nobody";
        Connection c(s);
        try {
            c.open();
            QFAIL("a server that is not there answered");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains("127.0.0.1:1"), qPrintable(e.message()));
        }
        QVERIFY(!c.isOpen());
    }

    void tableInfoFamilies_data() { addEngines(); }
    void tableInfoFamilies()
    {
        QFETCH(Engine, engine);
        SKIP_WITHOUT_ENGINE(engine);
        TestDatabase db(engine);
        const TableInfo& t = db.connection().tableInfo("customer");
        QCOMPARE(t.key.size(), 1);
        QCOMPARE(t.key[0].toLower(), QString("id"));
        QVERIFY(t.columns[t.indexOf("ID")].serverAssigned);
        QCOMPARE(t.columns[t.indexOf("Register_Date")].family, FieldFamily::DateTime);
        QCOMPARE(t.columns[t.indexOf("company_name")].family, FieldFamily::Text);
        const TableInfo& u = db.connection().tableInfo("Pub_User");
        QCOMPARE(u.columns[u.indexOf("New")].family, FieldFamily::Boolean);
        QCOMPARE(u.columns[u.indexOf("Photo")].family, FieldFamily::Binary);
        QCOMPARE(u.columns[u.indexOf("Age")].family, FieldFamily::Integer);
        QVERIFY_THROWS_EXCEPTION(DbError, db.connection().tableInfo("NoSuchTable"));
    }
};

QTEST_GUILESS_MAIN(TstConnection)
#include "tst_connection.moc"
