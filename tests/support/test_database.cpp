#include "test_database.h"

#include "db_error.h"
#include "schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <atomic>

namespace {

QString stateDir() { return QProcessEnvironment::systemEnvironment().value(QStringLiteral("ORVANE_PG_STATE")); }

QString readState(const QString& name)
{
    QFile f(stateDir() + QLatin1Char('/') + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).trimmed();
}

ConnectionSettings pgSettings(const QString& database)
{
    ConnectionSettings s;
    s.engine = Engine::PostgreSQL;
    s.server = QStringLiteral("127.0.0.1:") + readState(QStringLiteral("port"));
    s.database = database;
    s.user = QStringLiteral("postgres");
    return s;
}

std::atomic<int> g_counter{0};

} // namespace

bool TestDatabase::postgresAvailable(QString* why)
{
    if (stateDir().isEmpty()) {
        if (why)
            *why = QStringLiteral("PostgreSQL tests skipped: ORVANE_PG_STATE is not set (run the tests through ctest)");
        return false;
    }
    if (readState(QStringLiteral("port")).isEmpty()) {
        const QString reason = readState(QStringLiteral("skip"));
        if (why)
            *why = QStringLiteral("PostgreSQL tests skipped: ")
                   + (reason.isEmpty() ? QStringLiteral("the test cluster is not running") : reason);
        return false;
    }
    return true;
}

TestDatabase::TestDatabase(Engine engine, bool withSchema)
{
    if (engine == Engine::SQLite) {
        m_settings.engine = Engine::SQLite;
        m_settings.baseDir = m_dir.path();
        m_settings.database = QStringLiteral("test.db");
        Schema::createSqliteFile(m_settings.sqliteFilePath());
    } else {
        QString why;
        if (!postgresAvailable(&why))
            throw DbError(why);
        m_pgDatabase = QStringLiteral("orvane_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++g_counter);
        Connection admin(pgSettings(QStringLiteral("postgres")));
        admin.open();
        admin.execute(QStringLiteral("drop database if exists %1").arg(m_pgDatabase));
        admin.execute(QStringLiteral("create database %1 encoding 'UTF8' template template0").arg(m_pgDatabase));
        m_settings = pgSettings(m_pgDatabase);
    }
    m_connection = std::make_unique<Connection>(m_settings);
    m_connection->open();
    if (withSchema)
        Schema::create(*m_connection);
}

TestDatabase::~TestDatabase()
{
    m_connection.reset();
    if (!m_pgDatabase.isEmpty()) {
        try {
            Connection admin(pgSettings(QStringLiteral("postgres")));
            admin.open();
            admin.execute(QStringLiteral("drop database if exists %1 with (force)").arg(m_pgDatabase));
        } catch (const DbError&) {
            // The cluster is thrown away after the run anyway.
        }
    }
}

std::unique_ptr<Connection> TestDatabase::openAnother() const
{
    auto c = std::make_unique<Connection>(m_settings);
    c->open();
    return c;
}

QString TestDatabase::writeIni(const QString& extraLines) const
{
    const QString path = m_dir.filePath(QStringLiteral("Account.Ini"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError(QStringLiteral("cannot write ") + path);
    QString text = QStringLiteral("[Pellacor]\n");
    text += QStringLiteral("Engine=%1\n").arg(m_settings.engine == Engine::SQLite ? "sqlite" : "postgresql");
    text += QStringLiteral("ServerName=%1\n").arg(m_settings.engine == Engine::SQLite ? "." : m_settings.server);
    text += QStringLiteral("DataBase=%1\n").arg(m_settings.engine == Engine::SQLite ? m_settings.sqliteFilePath() : m_settings.database);
    text += QStringLiteral("DBLogon=%1\nLogonPass=%2\n").arg(m_settings.user, m_settings.password);
    text += extraLines;
    f.write(text.toUtf8());
    return path;
}
