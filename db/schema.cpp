#include "schema.h"

#include "date_text.h"
#include "db_error.h"
#include "demo_customer_generator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

QString resourceText(const QString& name)
{
    QFile f(QStringLiteral(":/db/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("程序中缺少数据库脚本 %1").arg(name));
    return QString::fromUtf8(f.readAll());
}

sqlite3* sqliteHandle(Connection& connection)
{
    const QVariant v = connection.database().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        throw DbError(QStringLiteral("无法取得 SQLite 数据库连接"));
    sqlite3* h = *static_cast<sqlite3* const*>(v.data());
    if (!h)
        throw DbError(QStringLiteral("SQLite 数据库没有打开"));
    return h;
}

// A transaction on the shared connection that is rolled back unless committed.
class Transaction {
public:
    explicit Transaction(Connection& connection) : m_db(connection.database())
    {
        if (!m_db.transaction())
            throw DbError(QStringLiteral("无法开始事务：%1").arg(m_db.lastError().text()));
    }
    ~Transaction()
    {
        if (!m_done)
            m_db.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit()
    {
        if (!m_db.commit())
            throw DbError(QStringLiteral("无法提交事务：%1").arg(m_db.lastError().text()));
        m_done = true;
    }

private:
    QSqlDatabase m_db;
    bool m_done = false;
};

QString insertHead()
{
    return QStringLiteral("insert into Customer (") + DemoCustomerGenerator::columns().join(QStringLiteral(", "))
           + QStringLiteral(") values ");
}

// Codes already stored are never generated again; new rows are entered after the last one stored.
DemoCustomerGenerator prepareGenerator(Connection& connection, const Schema::DemoOptions& options)
{
    QDateTime start(QDate(2019, 1, 2), QTime(8, 30));
    QSqlQuery last = connection.query(QStringLiteral("select max(Create_Date) from Customer"));
    if (last.next()) {
        const QDateTime stored = DateText::fromVariant(last.value(0));
        if (stored.isValid() && stored > start)
            start = stored;
    }
    DemoCustomerGenerator generator(options.seed, start, options.count);
    QSqlQuery codes = connection.query(QStringLiteral("select Code from Customer where Code is not null"));
    while (codes.next())
        generator.reserveCode(codes.value(0).toString());
    return generator;
}

// The raw engine calls of the bulk insert, each failure rolling the whole insert back.
class SqliteBulk {
public:
    explicit SqliteBulk(sqlite3* h) : m_h(h) {}
    ~SqliteBulk()
    {
        if (m_stmt)
            sqlite3_finalize(m_stmt);
        if (m_open)
            sqlite3_exec(m_h, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    SqliteBulk(const SqliteBulk&) = delete;
    SqliteBulk& operator=(const SqliteBulk&) = delete;

    [[noreturn]] void fail(const QString& what) const
    {
        throw DbError(QStringLiteral("%1：%2").arg(what, QString::fromUtf8(sqlite3_errmsg(m_h))));
    }
    void exec(const QString& sql, const QString& what) const
    {
        if (sqlite3_exec(m_h, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(what);
    }
    void begin()
    {
        // IMMEDIATE: the write lock is held from here, so the codes read next stay the stored ones.
        exec(QStringLiteral("BEGIN IMMEDIATE"), QStringLiteral("无法开始事务"));
        m_open = true;
    }
    void commit()
    {
        exec(QStringLiteral("COMMIT"), QStringLiteral("无法提交演示客户"));
        m_open = false;
    }
    sqlite3_stmt* prepare(const QString& sql)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_h, text.constData(), static_cast<int>(text.size()), &m_stmt, nullptr) != SQLITE_OK)
            fail(QStringLiteral("无法准备插入语句"));
        return m_stmt;
    }
    qint64 integer(const char* sql) const
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_h, sql, -1, &st, nullptr) != SQLITE_OK)
            fail(QStringLiteral("无法读取数据库"));
        const qint64 v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
        sqlite3_finalize(st);
        return v;
    }
    // Name and statement of every index of Customer the schema declared.
    QList<QPair<QString, QString>> customerIndexes() const
    {
        QList<QPair<QString, QString>> out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_h, "select name, sql from sqlite_master where type = 'index' and tbl_name = 'Customer' "
                               "collate nocase and sql is not null", -1, &st, nullptr) != SQLITE_OK)
            fail(QStringLiteral("无法读取索引"));
        while (sqlite3_step(st) == SQLITE_ROW)
            out.append({QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)))});
        sqlite3_finalize(st);
        return out;
    }

private:
    sqlite3* m_h;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_open = false;
};

// One transaction and one prepared statement. A large insert drops the Customer indexes first and
// builds them again at the end (a sort instead of a million random index updates): a million rows
// take about half a minute. Everything happens inside the transaction, so a failure leaves the
// table and its indexes as they were.
qint64 addSqlite(Connection& connection, const Schema::DemoOptions& options)
{
    sqlite3* h = sqliteHandle(connection);
    const qint64 cacheBefore = SqliteBulk(h).integer("pragma cache_size");
    struct CacheRestore {
        sqlite3* h;
        qint64 size;
        ~CacheRestore()
        {
            sqlite3_exec(h, QByteArray("pragma cache_size = " + QByteArray::number(size)).constData(), nullptr, nullptr, nullptr);
        }
    } restore{h, cacheBefore};
    sqlite3_exec(h, "pragma cache_size = -262144", nullptr, nullptr, nullptr);   // 256 MB while it runs

    SqliteBulk bulk(h);
    bulk.begin();
    DemoCustomerGenerator generator = prepareGenerator(connection, options);

    QList<QPair<QString, QString>> indexes;
    const qint64 stored = bulk.integer("select count(*) from Customer");
    if (options.count >= 20000 && options.count >= stored) {
        indexes = bulk.customerIndexes();
        for (const auto& index : indexes)
            bulk.exec(QStringLiteral("drop index \"%1\"").arg(index.first), QStringLiteral("无法暂时删除索引 %1").arg(index.first));
    }

    const int columnCount = static_cast<int>(DemoCustomerGenerator::columns().size());
    QString sql = insertHead() + QLatin1Char('(');
    for (int i = 0; i < columnCount; ++i)
        sql += i ? QStringLiteral(", ?") : QStringLiteral("?");
    sql += QLatin1Char(')');
    sqlite3_stmt* stmt = bulk.prepare(sql);
    std::vector<QByteArray> buffers(static_cast<size_t>(columnCount));
    for (qint64 n = 0; n < options.count; ++n) {
        const std::vector<QString>& row = generator.next();
        for (int i = 0; i < columnCount; ++i) {
            const QString& v = row[static_cast<size_t>(i)];
            if (v.isNull()) {
                sqlite3_bind_null(stmt, i + 1);
                continue;
            }
            QByteArray& b = buffers[static_cast<size_t>(i)];
            b = v.toUtf8();
            sqlite3_bind_text(stmt, i + 1, b.constData(), static_cast<int>(b.size()), SQLITE_STATIC);
        }
        if (sqlite3_step(stmt) != SQLITE_DONE)
            bulk.fail(QStringLiteral("添加第 %1 个演示客户失败").arg(n + 1));
        sqlite3_reset(stmt);
        if (options.progress && (n + 1) % 10000 == 0)
            options.progress(n + 1);
    }
    for (const auto& index : indexes)
        bulk.exec(index.second, QStringLiteral("无法重建索引 %1").arg(index.first));
    bulk.commit();
    return options.count;
}

PGconn* postgresHandle(Connection& connection)
{
    const QVariant v = connection.database().driver()->handle();
    // The driver registers the handle under libpq's struct name.
    if (!v.isValid() || (qstrcmp(v.typeName(), "PGconn*") != 0 && qstrcmp(v.typeName(), "pg_conn*") != 0))
        throw DbError(QStringLiteral("无法取得 PostgreSQL 数据库连接"));
    PGconn* pg = *static_cast<PGconn* const*>(v.data());
    if (!pg)
        throw DbError(QStringLiteral("PostgreSQL 数据库没有连接"));
    return pg;
}

QString postgresMessage(PGconn* pg) { return QString::fromUtf8(PQerrorMessage(pg)).trimmed(); }

// One COPY ... FROM STDIN on the driver's own link (inside its open transaction). Ends the copy on
// the way out when it was not finished, so that the rollback that follows can run.
class PostgresCopy {
public:
    PostgresCopy(PGconn* pg, const QString& statement) : m_pg(pg)
    {
        // Whatever the driver left unread would make the server refuse the COPY.
        while (PGresult* r = PQgetResult(m_pg))
            PQclear(r);
        PGresult* r = PQexec(m_pg, statement.toUtf8().constData());
        const bool ok = PQresultStatus(r) == PGRES_COPY_IN;
        const QString why = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        PQclear(r);
        if (!ok)
            throw DbError(QStringLiteral("添加演示客户失败：%1").arg(why.isEmpty() ? postgresMessage(m_pg) : why));
        m_open = true;
    }
    ~PostgresCopy()
    {
        if (m_open) {
            PQputCopyEnd(m_pg, "cancelled");
            while (PGresult* r = PQgetResult(m_pg))
                PQclear(r);
        }
    }
    PostgresCopy(const PostgresCopy&) = delete;
    PostgresCopy& operator=(const PostgresCopy&) = delete;

    void send(const QByteArray& data)
    {
        if (!data.isEmpty() && PQputCopyData(m_pg, data.constData(), static_cast<int>(data.size())) != 1)
            throw DbError(QStringLiteral("添加演示客户失败：%1").arg(postgresMessage(m_pg)));
    }
    void finish()
    {
        m_open = false;
        if (PQputCopyEnd(m_pg, nullptr) != 1)
            throw DbError(QStringLiteral("添加演示客户失败：%1").arg(postgresMessage(m_pg)));
        QString why;
        while (PGresult* r = PQgetResult(m_pg)) {
            if (PQresultStatus(r) != PGRES_COMMAND_OK && why.isEmpty())
                why = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
            PQclear(r);
        }
        if (!why.isEmpty())
            throw DbError(QStringLiteral("添加演示客户失败：%1").arg(why));
    }

private:
    PGconn* m_pg;
    bool m_open = false;
};

// A value in COPY's text format: backslash, tab, newline and carriage return escaped, \N for NULL.
void appendCopyValue(QByteArray& out, const QString& value)
{
    if (value.isNull()) {
        out += "\\N";
        return;
    }
    const QByteArray text = value.toUtf8();
    if (!text.contains('\\') && !text.contains('\t') && !text.contains('\n') && !text.contains('\r')) {
        out += text;
        return;
    }
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

// COPY rather than INSERT statements: the server takes the rows about six times faster.
qint64 addPostgres(Connection& connection, const Schema::DemoOptions& options)
{
    const int columnCount = static_cast<int>(DemoCustomerGenerator::columns().size());
    Transaction transaction(connection);
    DemoCustomerGenerator generator = prepareGenerator(connection, options);
    // As on SQLite, a large insert builds the secondary indexes afresh at the end (inside the
    // transaction: a failure restores them). The key stays, its values only ever grow.
    QList<QPair<QString, QString>> indexes;
    {
        QSqlQuery stored = connection.query(QStringLiteral("select count(*) from Customer"));
        const qint64 storedRows = stored.next() ? stored.value(0).toLongLong() : 0;
        if (options.count >= 20000 && options.count >= storedRows) {
            QSqlQuery q = connection.query(QStringLiteral(
                "select i.relname, pg_get_indexdef(i.oid) from pg_index x join pg_class i on i.oid = x.indexrelid "
                "where x.indrelid = 'customer'::regclass and not x.indisprimary "
                "and not exists (select 1 from pg_constraint c where c.conindid = x.indexrelid)"));
            while (q.next())
                indexes.append({q.value(0).toString(), q.value(1).toString()});
        }
    }
    for (const auto& index : indexes)
        connection.execute(QStringLiteral("drop index \"%1\"").arg(index.first));
    if (!indexes.isEmpty())
        connection.execute(QStringLiteral("set local maintenance_work_mem = '256MB'"));

    {
        PostgresCopy copy(postgresHandle(connection),
                          QStringLiteral("copy Customer (") + DemoCustomerGenerator::columns().join(QStringLiteral(", "))
                              + QStringLiteral(") from stdin"));
        constexpr qsizetype chunk = 1 << 20;
        QByteArray buffer;
        buffer.reserve(chunk + 4096);
        for (qint64 n = 0; n < options.count; ++n) {
            const std::vector<QString>& row = generator.next();
            for (int i = 0; i < columnCount; ++i) {
                if (i)
                    buffer += '\t';
                appendCopyValue(buffer, row[static_cast<size_t>(i)]);
            }
            buffer += '\n';
            if (buffer.size() >= chunk) {
                copy.send(buffer);
                buffer.clear();
            }
            if (options.progress && (n + 1) % 10000 == 0)
                options.progress(n + 1);
        }
        copy.send(buffer);
        copy.finish();
    }
    for (const auto& index : indexes) {
        try {
            connection.execute(index.second);
        } catch (const DbError& e) {
            throw DbError(QStringLiteral("无法重建索引 %1：%2").arg(index.first, e.message()));
        }
    }
    transaction.commit();
    // After a bulk load: fresh statistics and visibility map, so that the planner and the paging
    // function's index-only scans see the new rows at once instead of after the next autovacuum.
    // (A small addition is left to autovacuum: this takes seconds on a large table.)
    if (!indexes.isEmpty()) {
        try {
            connection.execute(QStringLiteral("vacuum analyze Customer"));
        } catch (const DbError&) {
            // Only the table's owner may vacuum it; autovacuum does the same work a little later.
        }
    }
    return options.count;
}

} // namespace

namespace Schema {

QString script(Engine engine)
{
    const QString own = resourceText(engine == Engine::SQLite ? QStringLiteral("sqlite.sql") : QStringLiteral("postgresql.sql"));
    return own + QLatin1Char('\n') + resourceText(QStringLiteral("seed.sql"));
}

bool isPresent(Connection& connection)
{
    if (connection.engine() == Engine::SQLite)
        return connection.hasRows(QStringLiteral("select name from sqlite_master where type = 'table' "
                                                 "and lower(name) in ('customer', 'pub_user')"));
    return connection.hasRows(QStringLiteral("select 1 where to_regclass('customer') is not null "
                                             "or to_regclass('pub_user') is not null"));
}

void create(Connection& connection)
{
    if (isPresent(connection))
        throw DbError(QStringLiteral("数据库已经初始化过（已有 Customer 或 Pub_User 表），没有做任何改动。"));
    const QString text = script(connection.engine());
    // Persistent in the file; it cannot change inside the transaction below. Readers then never
    // wait for the one writer.
    if (connection.engine() == Engine::SQLite)
        connection.execute(QStringLiteral("PRAGMA journal_mode=WAL"));
    Transaction transaction(connection);
    try {
        connection.execute(text);
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("建立数据库结构失败，没有做任何改动：%1").arg(e.message()));
    }
    transaction.commit();
}

void createSqliteFile(const QString& path)
{
    if (path.trimmed().isEmpty())
        throw DbError(QStringLiteral("没有指定数据库文件 (DataBase)。"));
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (info.exists() || info.isSymLink())
        throw DbError(QStringLiteral("数据库文件已经存在，不会覆盖它：%1").arg(shown));
    if (!QDir().mkpath(info.absolutePath()))
        throw DbError(QStringLiteral("无法建立数据库文件所在的文件夹：%1").arg(QDir::toNativeSeparators(info.absolutePath())));
    // An empty file is an empty SQLite database; NewOnly keeps a file that appeared meanwhile.
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw DbError(QStringLiteral("无法建立数据库文件 %1：%2").arg(shown, f.errorString()));
}

qint64 addDemoCustomers(Connection& connection, const DemoOptions& options)
{
    if (options.count < 0)
        throw DbError(QStringLiteral("演示客户的数量不能是负数。"));
    if (!isPresent(connection))
        throw DbError(QStringLiteral("数据库还没有初始化（没有 Customer 表），请先运行 orvane-db init。"));
    if (options.count == 0)
        return 0;
    if (connection.engine() == Engine::SQLite)
        return addSqlite(connection, options);
    return addPostgres(connection, options);
}

} // namespace Schema
