// The data module: settings, connection string, codes, the quoted look-ups, start-up failures.
#include "data_module.h"
#include "db_error.h"
#include "test_database.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(content);
    return path;
}

QDateTime at(int y, int mo, int d, int h, int mi, int s, int ms) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms)); }

} // namespace

class TstDataModule : public QObject {
    Q_OBJECT
private slots:
    void customerCode_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("code");
        QTest::newRow("internal") << "I" << at(2009, 3, 5, 8, 7, 6, 45) << "I093587645";
        QTest::newRow("entrusted") << "O" << at(2012, 11, 23, 14, 35, 52, 123) << "O121123143552123";
        QTest::newRow("year 2000") << "I" << at(2000, 1, 1, 0, 0, 0, 0) << "I00110000";
        QTest::newRow("colliding moment a") << "I" << at(2009, 1, 12, 10, 5, 6, 7) << "I0911210567";
        QTest::newRow("colliding moment b") << "I" << at(2009, 11, 2, 10, 5, 6, 7) << "I0911210567";
    }
    void customerCode()
    {
        QFETCH(QString, prefix);
        QFETCH(QDateTime, moment);
        QFETCH(QString, code);
        QCOMPARE(DataModule::formatCustomerCode(prefix, moment), code);
    }

    // One process never gives one code twice: not for two calls in one millisecond, and not for two
    // moments whose texts coincide. The format stays the same.
    void codesAreNeverRepeated()
    {
        DataModule dm(QStringLiteral("/nonexistent/Account.Ini"));
        const QDateTime same = at(2026, 12, 11, 9, 0, 0, 5);
        const QString first = dm.newCustomerCodeAt("I", same);
        const QString second = dm.newCustomerCodeAt("I", same);
        QCOMPARE(first, QString("I2612119005"));
        QCOMPARE(second, QString("I2612119006"));   // the next millisecond
        QCOMPARE(dm.newCustomerCodeAt("O", same), QString("O2612119005"));   // prefixes do not collide
        QCOMPARE(dm.newCustomerCodeAt("I", at(2009, 1, 12, 10, 5, 6, 7)), QString("I0911210567"));
        QCOMPARE(dm.newCustomerCodeAt("I", at(2009, 11, 2, 10, 5, 6, 7)), QString("I0911210568"));

        QSet<QString> codes;
        for (int i = 0; i < 20000; ++i) {
            const QString c = dm.NewCustomerCode("I");
            QVERIFY(c.size() >= 9 && c.size() <= 16);
            codes.insert(c);
        }
        QCOMPARE(codes.size(), 20000);
    }

    void connectionString_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("text");
        QTest::newRow("this machine") << "." << "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;Initial Catalog=crm;Data Source=.;";
        QTest::newRow("empty values") << "" << "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;Initial Catalog=crm;Data Source=;";
    }
    void connectionString()
    {
        QFETCH(QString, server);
        QFETCH(QString, text);
        QCOMPARE(DataModule::connectionString("pw", "sa", "crm", server), text);
    }

    void readConfigValue()
    {
        QTemporaryDir dir;
        const QString ini = writeFile(dir, "Account.Ini", "[PELLACOR]\nSERVERNAME=.\ndatabase=crm\n");
        DataModule dm(ini);
        QCOMPARE(dm.ReadConfigValue("ServerName"), QString("."));
        QCOMPARE(dm.ReadConfigValue("DataBase"), QString("crm"));
        QCOMPARE(dm.ReadConfigValue("LogonPass"), QString());
        DataModule none(dir.filePath("missing.ini"));
        QCOMPARE(none.ReadConfigValue("ServerName"), QString());
    }

    void statementsQuoteValues()
    {
        QCOMPARE(DataModule::recordExistsSql("A01", "UserCode", "Pub_User"), QString("select * from Pub_User where UserCode ='A01'"));
        QCOMPARE(DataModule::recordExistsSql("O'B", "UserCode", "Pub_User"), QString("select * from Pub_User where UserCode ='O''B'"));
        QCOMPARE(DataModule::checkLoginSql("Admin", ""),
                 QString("select a.UserName,a.UserCode from Pub_User a where a.UserCode='Admin' and (a.UserPassWord is null or a.UserPassWord='') "));
        QCOMPARE(DataModule::checkLoginSql("Admin", "x' or '1'='1"),
                 QString("select a.UserName,a.UserCode from Pub_User a where a.UserCode='Admin' and a.UserPassWord='x'' or ''1''=''1' "));
        QCOMPARE(DataModule::userRowSql("Admin"), QString("select * from Pub_User where UserCode='Admin' "));
    }

    void recordExistsOnTheDatabase()
    {
        TestDatabase db(Engine::SQLite);
        DataModule dm(db.writeIni());
        dm.DataModuleCreate();
        QVERIFY(dm.RecordExists("Admin", "UserCode", "Pub_User"));
        QVERIFY(!dm.RecordExists("Nobody", "UserCode", "Pub_User"));
        // A quote in the value is a character of the value, not the end of the literal.
        QVERIFY(!dm.RecordExists("x' or '1'='1", "UserCode", "Pub_User"));
        dm.connection().execute("insert into Pub_User (UserCode, UserName) values ('O''B', '欧')");
        QVERIFY(dm.RecordExists("O'B", "UserCode", "Pub_User"));
        QCOMPARE(dm.ConnectionString(), DataModule::connectionString("", "", db.settings().sqliteFilePath(), "."));
    }

    void loginCheckSetsTheUser()
    {
        TestDatabase db(Engine::SQLite);
        DataModule dm(db.writeIni());
        dm.DataModuleCreate();
        QString name = "stale";
        QVERIFY(!dm.CheckLogin("Admin", "wrong", &name));
        QCOMPARE(name, QString());
        QCOMPARE(dm.CurrentUserCode, QString());
        QVERIFY(dm.CheckLogin("Admin", "", &name));
        QCOMPARE(dm.CurrentUserCode, QString("Admin"));
        QVERIFY(!name.isEmpty());
        QVERIFY(dm.userRight("Edit_OutData"));
    }

    // Start-up failures say what is wrong and leave files alone.
    void startupFailures_data()
    {
        QTest::addColumn<QByteArray>("ini");       // empty: no Account.Ini at all
        QTest::addColumn<QByteArray>("dbFile");    // content of data.db; empty: no file
        QTest::addColumn<QString>("expected");
        QTest::newRow("no ini") << QByteArray() << QByteArray() << "找不到配置文件";
        QTest::newRow("unknown engine") << QByteArray("[Pellacor]\nEngine=oracle\nDataBase=data.db\n") << QByteArray() << "Engine";
        QTest::newRow("missing database file") << QByteArray("[Pellacor]\nDataBase=data.db\n") << QByteArray() << "不存在";
        QTest::newRow("not a database") << QByteArray("[Pellacor]\nEngine=SQLite\nDataBase=data.db\n")
                                        << QByteArray("hello, this is not sqlite").repeated(100) << "不是可用的数据库";
        QTest::newRow("server not answering") << QByteArray("[Pellacor]\nEngine=postgresql\nServerName=127.0.0.1:1\nDataBase=x\n")
                                              << QByteArray() << "无法连接";
    }
    void startupFailures()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, dbFile);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString iniPath = ini.isEmpty() ? dir.filePath("Account.Ini") : writeFile(dir, "Account.Ini", ini);
        if (!dbFile.isEmpty())
            writeFile(dir, "data.db", dbFile);
        DataModule dm(iniPath);
        try {
            dm.DataModuleCreate();
            QFAIL("the start-up went on");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
        }
        QVERIFY(!dm.hasConnection());
        QFile left(dir.filePath("data.db"));
        if (dbFile.isEmpty()) {
            QVERIFY(!left.exists());
        } else {
            QVERIFY(left.open(QIODevice::ReadOnly));
            QCOMPARE(left.readAll(), dbFile);
        }
    }
};

QTEST_GUILESS_MAIN(TstDataModule)
#include "tst_data_module.moc"
