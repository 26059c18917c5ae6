#pragma once

#include "connection.h"

#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// A fresh database for one test, on either engine: a new SQLite file in a temporary folder, or a new
// database in the throwaway PostgreSQL cluster that the test fixture started.
class TestDatabase {
public:
    // withSchema: the project's schema and seed rows are in place.
    TestDatabase(Engine engine, bool withSchema = true);
    ~TestDatabase();

    // False (with the reason) when the PostgreSQL cluster is not running; tests then QSKIP.
    static bool postgresAvailable(QString* why = nullptr);

    Connection& connection() { return *m_connection; }
    // The settings of this database, to open further connections to it.
    ConnectionSettings settings() const { return m_settings; }
    std::unique_ptr<Connection> openAnother() const;
    // An Account.Ini in a temporary folder that points at this database.
    QString writeIni(const QString& extraLines = {}) const;
    QString folder() const { return m_dir.path(); }
    // Gives the connection away (to a data module); connection() is unusable afterwards.
    std::unique_ptr<Connection> release() { return std::move(m_connection); }

private:
    QTemporaryDir m_dir;
    ConnectionSettings m_settings;
    QString m_pgDatabase;
    std::unique_ptr<Connection> m_connection;
};

Q_DECLARE_METATYPE(Engine)

// The column "engine" of a data table, with one row per engine.
inline void addEngines()
{
    QTest::addColumn<Engine>("engine");
    QTest::newRow("sqlite") << Engine::SQLite;
    QTest::newRow("postgresql") << Engine::PostgreSQL;
}

// Inside a test function: skips PostgreSQL rows when the cluster is not there.
#define SKIP_WITHOUT_ENGINE(engine)                                                                    \
    do {                                                                                               \
        QString why_;                                                                                  \
        if ((engine) == Engine::PostgreSQL && !TestDatabase::postgresAvailable(&why_))                 \
            QSKIP(qPrintable(why_));                                                                   \
    } while (false)
