// orvane-db as the user runs it: reading Account.Ini, init on a new or existing database, demo N,
// and the refusals with their messages and exit statuses.
#include "connection.h"
#include "db_error.h"
#include "schema.h"
#include "test_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& arguments, const QString& program = QStringLiteral(ORVANE_DB_PROGRAM))
{
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start();
    Run r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("orvane-db did not finish: ") + p.errorString();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(content);
    return path;
}

QString sqliteIni(const QTemporaryDir& dir, const QString& database, const QString& engine = QStringLiteral("sqlite"))
{
    return writeFile(dir.filePath("Account.Ini"),
                     QString("[Pellacor]\r\nEngine=%1\r\nServerName=.\r\nDataBase=%2\r\nDBLogon=\r\nLogonPass=\r\n")
                         .arg(engine, database)
                         .toUtf8());
}

std::unique_ptr<Connection> openSqlite(const QString& path)
{
    ConnectionSettings s;
    s.database = path;
    auto c = std::make_unique<Connection>(s);
    c->open();
    return c;
}

void checkDemoRows(Connection& c, qint64 expected)
{
    QSqlQuery q = c.query("select Code, Self_Data from Customer");
    static const QRegularExpression format("^[IO][0-9]{8,15}$");
    QSet<QString> codes;
    qint64 n = 0;
    while (q.next()) {
        const QString code = q.value(0).toString();
        QVERIFY2(format.match(code).hasMatch(), qPrintable(code));
        QCOMPARE(code.startsWith('I'), q.value(1).toString() == "Y");
        codes.insert(code);
        ++n;
    }
    QCOMPARE(n, expected);
    QCOMPARE(codes.size(), expected);
}

} // namespace

class TstOrvaneDb : public QObject {
    Q_OBJECT
private slots:
    void refusals_data()
    {
        QTest::addColumn<QString>("ini");          // Account.Ini text; "-" for no file at all
        QTest::addColumn<QString>("existing");     // content of orvane.db before the run; "-" for none
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString sqlite = "[Pellacor]\nEngine=sqlite\nDataBase=orvane.db\n";
        QTest::newRow("no ini") << "-" << "-" << QStringList{"init"} << 3 << "找不到配置文件";
        QTest::newRow("no ini, demo") << "-" << "-" << QStringList{"demo", "10"} << 3 << "找不到配置文件";
        QTest::newRow("unknown engine") << "[Pellacor]\nEngine=oracle\nDataBase=orvane.db\n" << "-" << QStringList{"init"} << 4
                                        << "Engine=oracle";
        QTest::newRow("no database named") << "[Pellacor]\nEngine=sqlite\n" << "-" << QStringList{"init"} << 3 << "DataBase";
        QTest::newRow("not a database") << sqlite << "这不是数据库，这是一份笔记。" << QStringList{"init"} << 6 << "数据库连接不上";
        QTest::newRow("demo before init") << sqlite << "" << QStringList{"demo", "10"} << 7 << "orvane-db init";
        QTest::newRow("demo without a file") << sqlite << "-" << QStringList{"demo", "10"} << 6 << "数据库连接不上";
        QTest::newRow("demo count missing") << sqlite << "-" << QStringList{"demo"} << 2 << "demo";
        QTest::newRow("demo count zero") << sqlite << "-" << QStringList{"demo", "0"} << 2 << "demo";
        QTest::newRow("demo count not a number") << sqlite << "-" << QStringList{"demo", "many"} << 2 << "demo";
        QTest::newRow("unknown command") << sqlite << "-" << QStringList{"drop"} << 2 << "用法";
        QTest::newRow("no command") << sqlite << "-" << QStringList{} << 2 << "用法";
        QTest::newRow("unreachable server") << "[Pellacor]\nEngine=postgresql\nServerName=127.0.0.1:1\nDataBase=orvane\nDBLogon=x\n"
                                            << "-" << QStringList{"init"} << 6 << "数据库连接不上";
    }
    void refusals()
    {
        QFETCH(QString, ini);
        QFETCH(QString, existing);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString iniPath = dir.filePath("Account.Ini");
        if (ini != "-")
            writeFile(iniPath, ini.toUtf8());
        const QString dbPath = dir.filePath("orvane.db");
        if (existing != "-")
            writeFile(dbPath, existing.toUtf8());

        const Run r = runTool(QStringList{"--ini", iniPath} + arguments);
        QVERIFY2(r.status == status, qPrintable(QString("status %1: %2").arg(r.status).arg(r.err)));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        // Nothing is created or changed by a refused run.
        if (existing == "-") {
            QVERIFY(!QFile::exists(dbPath));
        } else {
            QFile f(dbPath);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(f.readAll()), existing);
        }
        QVERIFY(!QFile::exists(dbPath + "-wal"));
    }

    void initAndDemoOnSqlite()
    {
        QTemporaryDir dir;
        const QString ini = sqliteIni(dir, "data/orvane.db");   // relative to the folder of the ini
        const QString dbPath = dir.filePath("data/orvane.db");

        Run r = runTool({"--ini", ini, "init"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains("Admin"), qPrintable(r.out));
        QVERIFY(QFile::exists(dbPath));
        {
            auto c = openSqlite(dbPath);
            QVERIFY(Schema::isPresent(*c));
        }

        r = runTool({"--ini", ini, "init"});
        QCOMPARE(r.status, 5);
        QVERIFY2(r.err.contains("已经初始化"), qPrintable(r.err));

        r = runTool({"--ini", ini, "demo", "1000"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains("1000") && r.out.contains("秒"), qPrintable(r.out));
        auto c = openSqlite(dbPath);
        checkDemoRows(*c, 1000);
    }

    // Without --ini the Account.Ini beside the program is read, and a relative DataBase is taken
    // from that folder.
    void iniBesideTheProgram()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath("orvane-db");
        QVERIFY(QFile::copy(QStringLiteral(ORVANE_DB_PROGRAM), program));
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
        Run r = runTool({"init"}, program);
        QCOMPARE(r.status, 3);
        QVERIFY2(r.err.contains(QDir::toNativeSeparators(dir.filePath("Account.Ini"))), qPrintable(r.err));

        sqliteIni(dir, "orvane.db", "");   // an empty Engine is SQLite
        r = runTool({"init"}, program);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        auto c = openSqlite(dir.filePath("orvane.db"));
        QVERIFY(Schema::isPresent(*c));
    }

    // An existing empty file (what a copy of a fresh database looks like) is initialised in place.
    void initOnEmptyFile()
    {
        QTemporaryDir dir;
        const QString ini = sqliteIni(dir, dir.filePath("orvane.db"));
        writeFile(dir.filePath("orvane.db"), QByteArray());
        const Run r = runTool({"--ini", ini, "init"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        auto c = openSqlite(dir.filePath("orvane.db"));
        QVERIFY(Schema::isPresent(*c));
    }

    void initAndDemoOnPostgres()
    {
        SKIP_WITHOUT_ENGINE(Engine::PostgreSQL);
        TestDatabase db(Engine::PostgreSQL, false);
        const QString ini = db.writeIni();
        Run r = runTool({"--ini", ini, "init"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        r = runTool({"--ini", ini, "init"});
        QCOMPARE(r.status, 5);
        r = runTool({"--ini", ini, "demo", "700"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        auto c = db.openAnother();
        checkDemoRows(*c, 700);
        QSqlQuery q = c->query("select count(*) from GetPagingData('Customer','ID',100,1,'ASC','*','Self_Data=''Y''','')");
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 100);
    }

    // A database that is not there yet is created when the login may create databases.
    void createsMissingPostgresDatabase()
    {
        SKIP_WITHOUT_ENGINE(Engine::PostgreSQL);
        TestDatabase admin(Engine::PostgreSQL, false);
        ConnectionSettings target = admin.settings();
        target.database = QString("Orvane_New_%1").arg(QCoreApplication::applicationPid());
        QTemporaryDir dir;
        const QString ini = writeFile(dir.filePath("Account.Ini"),
                                      QString("[Pellacor]\nEngine=PostgreSQL\nServerName=%1\nDataBase=%2\nDBLogon=%3\nLogonPass=\n")
                                          .arg(target.server, target.database, target.user)
                                          .toUtf8());
        const Run r = runTool({"--ini", ini, "init"});
        bool opened = false;
        try {
            Connection c(target);
            c.open();
            opened = Schema::isPresent(c);
        } catch (const DbError&) {
        }
        admin.connection().execute(QString("drop database if exists \"%1\" with (force)").arg(target.database));
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(target.database), qPrintable(r.out));
        QVERIFY(opened);
    }
};

QTEST_GUILESS_MAIN(TstOrvaneDb)
#include "tst_orvane_db.moc"
