// orvane-bench: the customer window's quick query and paging at scale, on SQLite and PostgreSQL,
// next to the bare engine running the equivalent plain statements. Prints figures; asserts nothing.
//
// The generated databases are kept between runs (a SQLite file, and the PostgreSQL cluster's data
// folder when the bench starts its own cluster), because building a million rows takes a while.
#include "connection.h"
#include "customer_pager.h"
#include "customer_query.h"
#include "data_set.h"
#include "db_error.h"
#include "schema.h"
#include "sql_text.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>

namespace {

void say(const QString& line)
{
    const QByteArray b = line.toUtf8() + '\n';
    std::fwrite(b.constData(), 1, b.size(), stdout);
    std::fflush(stdout);
}

struct Stats {
    double median = 0;
    double min = 0;
};

Stats measure(int repeat, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int i = 0; i < repeat; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

// ------------------------------------------------------------------ the bare engines

// The statements as the engine runs them with nothing of ours between: every row stepped through and
// every column read, as a client would.
class BareEngine {
public:
    virtual ~BareEngine() = default;
    virtual qint64 count(const QString& sql) = 0;
    virtual int rows(const QString& sql) = 0;
    // A new link to the database, with caches as cold as the client's new connection has them.
    virtual void reopen() = 0;
};

class BareSqlite final : public BareEngine {
public:
    explicit BareSqlite(const QString& path) : m_path(path) { reopen(); }
    ~BareSqlite() override { sqlite3_close(m_db); }
    void reopen() override
    {
        sqlite3_close(m_db);
        m_db = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw DbError(QStringLiteral("cannot open %1").arg(m_path));
    }
    qint64 count(const QString& sql) override
    {
        sqlite3_stmt* st = prepare(sql);
        qint64 n = -1;
        if (sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return n;
    }
    int rows(const QString& sql) override
    {
        sqlite3_stmt* st = prepare(sql);
        int n = 0;
        const int cols = sqlite3_column_count(st);
        qint64 bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++n;
            for (int c = 0; c < cols; ++c) {
                sqlite3_column_text(st, c);
                bytes += sqlite3_column_bytes(st, c);
            }
        }
        sqlite3_finalize(st);
        m_sink += bytes;
        return n;
    }

private:
    sqlite3_stmt* prepare(const QString& sql)
    {
        sqlite3_stmt* st = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(m_db)));
        return st;
    }
    QString m_path;
    sqlite3* m_db = nullptr;
    qint64 m_sink = 0;
};

// PostgreSQL through the Qt driver on its own connection, forward-only: libpq plus the driver's
// thin row loop, without the data set or the paging procedure.
class BarePostgres final : public BareEngine {
public:
    explicit BarePostgres(const ConnectionSettings& s) : m_settings(s) { reopen(); }
    void reopen() override
    {
        close();
        m_name = QStringLiteral("bare-pg-%1").arg(++m_serial);
        const ConnectionSettings& s = m_settings;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        const QStringList hostPort = s.server.split(QLatin1Char(':'));
        db.setHostName(hostPort.value(0));
        if (hostPort.size() > 1)
            db.setPort(hostPort.value(1).toInt());
        db.setDatabaseName(s.database);
        db.setUserName(s.user);
        db.setPassword(s.password);
        if (!db.open())
            throw DbError(db.lastError().text());
    }
    ~BarePostgres() override { close(); }
    void close()
    {
        if (m_name.isEmpty())
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
        m_name.clear();
    }
    qint64 count(const QString& sql) override
    {
        QSqlQuery q = run(sql);
        return q.next() ? q.value(0).toLongLong() : -1;
    }
    int rows(const QString& sql) override
    {
        QSqlQuery q = run(sql);
        int n = 0;
        const int cols = q.record().count();
        while (q.next()) {
            ++n;
            for (int c = 0; c < cols; ++c)
                q.value(c);
        }
        return n;
    }

private:
    QSqlQuery run(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        q.setForwardOnly(true);
        if (!q.exec(sql))
            throw DbError(q.lastError().text());
        return q;
    }
    ConnectionSettings m_settings;
    QString m_name;
    int m_serial = 0;
};

// ------------------------------------------------------------------ databases

void fill(Connection& c, qint64 rows)
{
    Schema::create(c);
    Schema::DemoOptions o;
    o.count = rows;
    QElapsedTimer t;
    t.start();
    qint64 last = 0;
    o.progress = [&](qint64 done) {
        if (done - last >= 100000 || done == rows) {
            last = done;
            say(QStringLiteral("  ... %1 rows, %2 s").arg(done).arg(t.elapsed() / 1000.0, 0, 'f', 1));
        }
    };
    Schema::addDemoCustomers(c, o);
    c.execute(QStringLiteral("analyze"));
    say(QStringLiteral("  built %1 customers in %2 s").arg(rows).arg(t.elapsed() / 1000.0, 0, 'f', 1));
}

ConnectionSettings sqliteDatabase(const QString& cacheDir, qint64 rows, bool rebuild)
{
    ConnectionSettings s;
    s.engine = Engine::SQLite;
    s.baseDir = cacheDir;
    s.database = QStringLiteral("customers-%1.db").arg(rows);
    const QString path = s.sqliteFilePath();
    if (rebuild)
        QFile::remove(path);
    if (QFileInfo::exists(path)) {
        say(QStringLiteral("SQLite: reusing %1").arg(path));
        return s;
    }
    say(QStringLiteral("SQLite: building %1").arg(path));
    // Built under another name first, so an interrupted build is never taken for a finished one.
    ConnectionSettings building = s;
    building.database += QStringLiteral(".building");
    QFile::remove(building.sqliteFilePath());
    Schema::createSqliteFile(building.sqliteFilePath());
    {
        Connection c(building);
        c.open();
        fill(c, rows);
        c.close();
    }
    if (!QFile::rename(building.sqliteFilePath(), path))
        throw DbError(QStringLiteral("cannot rename %1").arg(building.sqliteFilePath()));
    return s;
}

QString pgBinDir()
{
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return versions.isEmpty() ? QString() : root.filePath(versions.last() + QStringLiteral("/bin"));
}

int runTool(const QString& program, const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (geteuid() == 0) {
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + args);
    } else {
        p.start(program, args);
    }
    p.waitForFinished(300000);
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// A cluster of the bench's own in cacheDir/pg: started with the test script the first time, started
// again on its kept data folder afterwards.
class OwnCluster {
public:
    OwnCluster(QString dir, QString script) : m_dir(std::move(dir)), m_script(std::move(script)) {}
    ~OwnCluster() { stop(); }

    int start()
    {
        const QString data = m_dir + QStringLiteral("/data");
        if (QFileInfo::exists(data + QStringLiteral("/PG_VERSION"))) {
            QFile conf(data + QStringLiteral("/postgresql.conf"));
            int port = 0;
            if (conf.open(QIODevice::ReadOnly)) {
                static const QRegularExpression re(QStringLiteral(R"(^port = (\d+)$)"), QRegularExpression::MultilineOption);
                auto it = re.globalMatch(QString::fromUtf8(conf.readAll()));
                while (it.hasNext())
                    port = it.next().captured(1).toInt();
            }
            QString log;
            if (port > 0
                && runTool(pgBinDir() + QStringLiteral("/pg_ctl"),
                           {QStringLiteral("-D"), data, QStringLiteral("-l"), m_dir + QStringLiteral("/server.log"),
                            QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
                           &log)
                       == 0) {
                m_started = true;
                say(QStringLiteral("PostgreSQL: restarted the kept cluster on port %1").arg(port));
                return port;
            }
            say(QStringLiteral("PostgreSQL: the kept cluster did not start (%1); making a new one").arg(log.trimmed()));
        }
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("bash"), {m_script, QStringLiteral("start"), m_dir});
        p.waitForFinished(300000);
        QFile portFile(m_dir + QStringLiteral("/port"));
        if (!portFile.open(QIODevice::ReadOnly))
            throw DbError(QStringLiteral("the PostgreSQL cluster did not start: ") + QString::fromLocal8Bit(p.readAll()));
        m_started = true;
        return QString::fromUtf8(portFile.readAll()).trimmed().toInt();
    }
    void stop()
    {
        if (!m_started)
            return;
        m_started = false;
        QProcess p;
        p.start(QStringLiteral("bash"), {m_script, QStringLiteral("stop"), m_dir});
        p.waitForFinished(120000);
    }

private:
    QString m_dir;
    QString m_script;
    bool m_started = false;
};

ConnectionSettings pgDatabase(ConnectionSettings server, qint64 rows, bool rebuild)
{
    ConnectionSettings admin = server;
    admin.database = QStringLiteral("postgres");
    ConnectionSettings s = server;
    s.database = QStringLiteral("orvane_bench_%1").arg(rows);
    Connection a(admin);
    a.open();
    const bool exists = a.hasRows(QStringLiteral("select 1 from pg_database where datname='%1'").arg(s.database));
    if (exists && !rebuild) {
        Connection c(s);
        c.open();
        bool complete = false;
        try {
            complete = Schema::isPresent(c) && c.countRows(QStringLiteral("select * from Customer")) == rows;
        } catch (const DbError&) {
        }
        if (complete) {
            say(QStringLiteral("PostgreSQL: reusing database %1").arg(s.database));
            return s;
        }
    }
    say(QStringLiteral("PostgreSQL: building database %1").arg(s.database));
    a.execute(QStringLiteral("drop database if exists %1").arg(s.database));
    a.execute(QStringLiteral("create database %1 encoding 'UTF8' template template0").arg(s.database));
    Connection c(s);
    c.open();
    fill(c, rows);
    return s;
}

// ------------------------------------------------------------------ the cases

struct Result {
    QString name;
    Stats client;
    Stats bare;
};

void printResults(const QString& engine, const QList<Result>& results)
{
    say(QString());
    say(QStringLiteral("%1 — median / fastest of the runs, milliseconds").arg(engine));
    say(QStringLiteral("  %1 %2 %3 %4").arg(QStringLiteral("case"), -46).arg(QStringLiteral("client"), 17)
            .arg(QStringLiteral("bare engine"), 17).arg(QStringLiteral("ratio"), 7));
    for (const Result& r : results) {
        const QString client = QStringLiteral("%1 / %2").arg(r.client.median, 0, 'f', 1).arg(r.client.min, 0, 'f', 1);
        const QString bare = r.bare.median > 0 ? QStringLiteral("%1 / %2").arg(r.bare.median, 0, 'f', 1).arg(r.bare.min, 0, 'f', 1)
                                               : QStringLiteral("-");
        const QString ratio = r.bare.median > 0 ? QString::number(r.client.median / r.bare.median, 'f', 2) : QStringLiteral("-");
        say(QStringLiteral("  %1 %2 %3 %4").arg(r.name, -46).arg(client, 17).arg(bare, 17).arg(ratio, 7));
    }
}

const QString kEmptySelect = QStringLiteral("select *  from Customer where 1>1");

// The plain statement equivalent to page p of a paging call with this condition.
QString plainPage(const QString& condition, int page)
{
    return QStringLiteral("select * from Customer where %1 order by ID limit 100 offset %2")
        .arg(condition)
        .arg(qint64(page - 1) * 100);
}

QList<Result> runCases(const QString& engineName, const ConnectionSettings& settings, BareEngine& bare, int repeat,
                       const QString& fragment)
{
    QList<Result> results;
    const QString scope = QStringLiteral("Y");

    struct Query {
        QString label;
        FilterTriple filter;
        QString condition;   // the WHERE condition as the server reads it
    };
    QuickQueryInput withFragment;
    withFragment.companyName = fragment;
    const FilterTriple fragmentFilter = CustomerQuery::build(scope, withFragment);
    const FilterTriple allFilter = CustomerQuery::build(scope, {});
    const QList<Query> queries{
        {QStringLiteral("company like '%%1%'").arg(fragment), fragmentFilter, SqlText::unescape(fragmentFilter.pagingFilter)},
        {QStringLiteral("no condition"), allFilter, SqlText::unescape(allFilter.pagingFilter)},
    };

    for (const Query& q : queries) {
        const QString countSql = QStringLiteral("select count(*) from Customer where ") + q.condition;
        const qint64 total = bare.count(countSql);
        const int pages = CustomerPager::pageCountFor(total);
        say(QStringLiteral("%1: %2 — %3 rows, %4 pages").arg(engineName, q.label).arg(total).arg(pages));

        // The quick query as the window runs it: server count, then page 1, on a connection that has not
        // seen this condition before.
        std::unique_ptr<Connection> conn;
        std::unique_ptr<DataSet> page;
        std::unique_ptr<CustomerPager> pager;
        auto fresh = [&] {
            pager.reset();
            page.reset();
            conn = std::make_unique<Connection>(settings);
            conn->open();
            page = std::make_unique<DataSet>(*conn);
            // As the window does when it opens, before any query.
            page->setSql(kEmptySelect);
            page->open();
            pager = std::make_unique<CustomerPager>(*page);
        };
        auto barePage1 = [&] {
            bare.count(countSql);
            bare.rows(plainPage(q.condition, 1));
        };
        Result r;
        r.name = q.label + QStringLiteral(": total + page 1, new link");
        r.bare = measure(repeat, [&] {
            bare.reopen();
            bare.rows(kEmptySelect);
        }, barePage1);
        r.client = measure(repeat, fresh, [&] { pager->run(q.filter); });
        if (pager->total().recordCount != total || page->recordCount() != std::min<qint64>(total, 100))
            throw DbError(QStringLiteral("the client counted %1 rows, the engine %2").arg(pager->total().recordCount).arg(total));
        results << r;

        Result counted;
        counted.name = q.label + QStringLiteral(": of which the total");
        counted.bare = measure(repeat, [&] {
            bare.reopen();
            bare.rows(kEmptySelect);
        }, [&] { bare.count(countSql); });
        counted.client = measure(repeat, fresh, [&] { conn->countRows(q.filter.querySql); });
        results << counted;

        Result first;
        first.name = q.label + QStringLiteral(": of which page 1");
        first.bare = measure(repeat, [&] {
            bare.reopen();
            bare.rows(kEmptySelect);
            bare.count(countSql);
        }, [&] { bare.rows(plainPage(q.condition, 1)); });
        first.client = measure(repeat, [&] {
            fresh();
            conn->countRows(q.filter.querySql);
            page->close();
            page->setSql(CustomerPager::firstPageSql(q.filter.pagingFilter));
        }, [&] { page->open(); });
        results << first;

        // Again on the same links: the client's page boundaries of this condition are still valid.
        Result again;
        again.name = q.label + QStringLiteral(": total + page 1, again");
        again.bare = measure(repeat, nullptr, barePage1);
        again.client = measure(repeat, nullptr, [&] { pager->run(q.filter); });
        results << again;

        for (int p : {std::max(1, pages / 2), pages}) {
            Result pr;
            pr.name = q.label + (p == pages ? QStringLiteral(": last page %1").arg(p) : QStringLiteral(": page %1").arg(p));
            pr.bare = measure(repeat, nullptr, [&] { bare.rows(plainPage(q.condition, p)); });
            pr.client = measure(repeat, nullptr, [&] { pager->loadPage(p); });
            const int expected = int(std::min<qint64>(100, total - qint64(p - 1) * 100));
            if (page->recordCount() != std::max(0, expected))
                throw DbError(QStringLiteral("page %1 held %2 rows, not %3").arg(p).arg(page->recordCount()).arg(expected));
            results << pr;
        }
    }
    return results;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Customer query and paging figures on SQLite and PostgreSQL."));
    p.addHelpOption();
    const QCommandLineOption rowsOpt(QStringLiteral("rows"), QStringLiteral("customers in the database"), QStringLiteral("N"),
                                     QStringLiteral("1000000"));
    const QCommandLineOption cacheOpt(QStringLiteral("cache"), QStringLiteral("folder that keeps the generated databases"),
                                      QStringLiteral("DIR"), QStringLiteral(ORVANE_BENCH_CACHE));
    const QCommandLineOption engineOpt(QStringLiteral("engine"), QStringLiteral("sqlite, postgresql or both"), QStringLiteral("E"),
                                       QStringLiteral("both"));
    const QCommandLineOption repeatOpt(QStringLiteral("repeat"), QStringLiteral("runs of each case"), QStringLiteral("R"),
                                       QStringLiteral("5"));
    const QCommandLineOption fragmentOpt(QStringLiteral("fragment"), QStringLiteral("two characters of a company name"),
                                         QStringLiteral("TEXT"), QStringLiteral("科技"));
    const QCommandLineOption rebuildOpt(QStringLiteral("rebuild"), QStringLiteral("build the databases anew"));
    const QCommandLineOption pgServerOpt(QStringLiteral("pg-server"),
                                         QStringLiteral("host:port of a PostgreSQL server to use instead of a cluster of our own"),
                                         QStringLiteral("HOST:PORT"));
    const QCommandLineOption pgUserOpt(QStringLiteral("pg-user"), QStringLiteral("PostgreSQL login"), QStringLiteral("USER"),
                                       QStringLiteral("postgres"));
    const QCommandLineOption pgPasswordOpt(QStringLiteral("pg-password"), QStringLiteral("PostgreSQL password"),
                                           QStringLiteral("PASSWORD"));
    p.addOptions({rowsOpt, cacheOpt, engineOpt, repeatOpt, fragmentOpt, rebuildOpt, pgServerOpt, pgUserOpt, pgPasswordOpt});
    p.process(app);

    const qint64 rows = p.value(rowsOpt).toLongLong();
    const int repeat = std::max(1, p.value(repeatOpt).toInt());
    const QString engine = p.value(engineOpt).toLower();
    const QString cache = QDir(p.value(cacheOpt)).absolutePath();
    QDir().mkpath(cache);
    const bool rebuild = p.isSet(rebuildOpt);

    try {
        if (engine == QLatin1String("sqlite") || engine == QLatin1String("both")) {
            const ConnectionSettings s = sqliteDatabase(cache, rows, rebuild);
            BareSqlite bare(s.sqliteFilePath());
            printResults(QStringLiteral("SQLite %1 customers").arg(rows),
                         runCases(QStringLiteral("SQLite"), s, bare, repeat, p.value(fragmentOpt)));
        }
        if (engine == QLatin1String("postgresql") || engine == QLatin1String("both")) {
            std::unique_ptr<OwnCluster> cluster;
            ConnectionSettings server;
            server.engine = Engine::PostgreSQL;
            server.user = p.value(pgUserOpt);
            server.password = p.value(pgPasswordOpt);
            if (p.isSet(pgServerOpt)) {
                server.server = p.value(pgServerOpt);
            } else {
                cluster = std::make_unique<OwnCluster>(cache + QStringLiteral("/pg"), QStringLiteral(ORVANE_PG_SCRIPT));
                server.server = QStringLiteral("127.0.0.1:%1").arg(cluster->start());
            }
            const ConnectionSettings s = pgDatabase(server, rows, rebuild);
            {
                BarePostgres bare(s);
                printResults(QStringLiteral("PostgreSQL %1 customers").arg(rows),
                             runCases(QStringLiteral("PostgreSQL"), s, bare, repeat, p.value(fragmentOpt)));
            }
        }
    } catch (const DbError& e) {
        say(QStringLiteral("failed: ") + e.message());
        return 1;
    }
    return 0;
}
