#include "connection.h"

#include "db_error.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>
#include <algorithm>
#include <sqlite3.h>

QString familyName(FieldFamily family)
{
    switch (family) {
    case FieldFamily::Text: return QStringLiteral("文本");
    case FieldFamily::Integer: return QStringLiteral("整数");
    case FieldFamily::Number: return QStringLiteral("数值");
    case FieldFamily::DateTime: return QStringLiteral("日期时间");
    case FieldFamily::Boolean: return QStringLiteral("逻辑");
    case FieldFamily::Binary: return QStringLiteral("二进制");
    }
    return {};
}

std::optional<Engine> ConnectionSettings::parseEngine(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t.isEmpty() || t == QLatin1String("sqlite"))
        return Engine::SQLite;
    if (t == QLatin1String("postgresql") || t == QLatin1String("postgres"))
        return Engine::PostgreSQL;
    return std::nullopt;
}

QString ConnectionSettings::sqliteFilePath() const
{
    if (database.isEmpty())
        return {};
    if (QDir::isAbsolutePath(database))
        return database;
    return QDir(baseDir.isEmpty() ? QDir::currentPath() : baseDir).filePath(database);
}

int TableInfo::indexOf(const QString& column) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// Page boundaries of one paging condition on the embedded engine: the key of the first row of every
// page, so that any page is one short range scan instead of an OFFSET over all rows before it.
struct Connection::PagingIndex {
    QString table;
    QString key;
    bool descending = false;
    int pageSize = 100;
    QString condition;     // normalised
    quint64 stamp = 0;     // the database's change stamp when it was built
    qint64 total = 0;
    std::vector<qint64> firstKeys;
};

namespace {

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.data());
}

QString sqliteMessage(sqlite3* h) { return QString::fromUtf8(sqlite3_errmsg(h)); }

// Whitespace outside quotes collapsed to one blank, letters outside quotes lowered, a leading
// "1=1 and" dropped: two spellings of one condition share one paging index.
QString normaliseCondition(const QString& condition)
{
    QString out;
    out.reserve(condition.size());
    QChar quote;
    bool space = false;
    for (const QChar c : condition) {
        if (!quote.isNull()) {
            out += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c.isSpace()) {
            space = true;
            continue;
        }
        if (space && !out.isEmpty())
            out += QLatin1Char(' ');
        space = false;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quote = c;
        out += c.toLower();
    }
    static const QRegularExpression head(QStringLiteral("^1 ?= ?1 and "));
    out.remove(head);
    return out;
}

bool isIdentifier(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(s).hasMatch();
}

FieldFamily sqliteFamily(const QString& declared)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("BOOL")) || t == QLatin1String("BIT"))
        return FieldFamily::Boolean;
    if (t.contains(QLatin1String("INT")))
        return FieldFamily::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")))
        return FieldFamily::Text;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return FieldFamily::DateTime;
    if (t.contains(QLatin1String("BLOB")) || t.isEmpty())
        return FieldFamily::Binary;
    return FieldFamily::Number;
}

FieldFamily pgFamily(const QString& dataType, const QString& udt, const QString& domain)
{
    if (domain.compare(QLatin1String("bit01"), Qt::CaseInsensitive) == 0 || dataType == QLatin1String("boolean"))
        return FieldFamily::Boolean;
    if (dataType == QLatin1String("smallint") || dataType == QLatin1String("integer") || dataType == QLatin1String("bigint"))
        return FieldFamily::Integer;
    if (dataType.startsWith(QLatin1String("timestamp")) || dataType == QLatin1String("date")
        || dataType.startsWith(QLatin1String("time")))
        return FieldFamily::DateTime;
    if (dataType == QLatin1String("bytea"))
        return FieldFamily::Binary;
    if (dataType == QLatin1String("numeric") || dataType == QLatin1String("real") || dataType == QLatin1String("double precision")
        || dataType == QLatin1String("money"))
        return FieldFamily::Number;
    Q_UNUSED(udt);
    return FieldFamily::Text;
}

} // namespace

Connection::Connection(ConnectionSettings settings)
    : m_settings(std::move(settings)), m_name(QStringLiteral("orvane-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

Connection::~Connection()
{
    close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase Connection::database() const { return QSqlDatabase::database(m_name, false); }

bool Connection::isOpen() const { return QSqlDatabase::contains(m_name) && database().isOpen(); }

void Connection::close()
{
    m_paging.clear();
    m_tables.clear();
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase db = database();
        db.close();
    }
}

void Connection::open()
{
    close();
    if (m_settings.engine == Engine::SQLite) {
        const QString path = m_settings.sqliteFilePath();
        if (path.isEmpty())
            throw DbError(QStringLiteral("Account.Ini 中没有指定数据库文件 (DataBase)。"));
        const QFileInfo info(path);
        if (!info.exists())
            throw DbError(QStringLiteral("数据库文件不存在：%1").arg(QDir::toNativeSeparators(path)));
        if (!info.isFile() || !info.isReadable())
            throw DbError(QStringLiteral("数据库文件无法读取：%1").arg(QDir::toNativeSeparators(path)));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
        if (!db.open())
            throw DbError(QStringLiteral("数据库打开失败：%1").arg(db.lastError().text()));
        // SQLite reads the header only on the first statement: a file that is not a database fails here,
        // before anything could be written to it.
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
            const QString why = probe.lastError().databaseText();
            probe = QSqlQuery();
            db.close();
            throw DbError(QStringLiteral("%1 不是可用的数据库文件：%2").arg(QDir::toNativeSeparators(path), why));
        }
        probe.exec(QStringLiteral("pragma foreign_keys = on"));
        return;
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    QString host = m_settings.server.trimmed();
    int port = 5432;
    const auto colon = host.lastIndexOf(QLatin1Char(':'));
    if (colon > 0) {
        bool ok = false;
        port = host.mid(colon + 1).toInt(&ok);
        if (!ok)
            throw DbError(QStringLiteral("服务器名称中的端口无效：%1").arg(m_settings.server));
        host = host.left(colon);
    }
    if (host.isEmpty() || host == QLatin1String("."))
        host = QStringLiteral("localhost");
    db.setHostName(host);
    db.setPort(port);
    db.setDatabaseName(m_settings.database);
    db.setUserName(m_settings.user);
    db.setPassword(m_settings.password);
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    if (!db.open())
        throw DbError(QStringLiteral("无法连接数据库服务器 %1:%2：%3").arg(host).arg(port).arg(db.lastError().text()));
    QSqlQuery q(db);
    q.exec(QStringLiteral("set client_encoding to 'UTF8'"));
}

QString Connection::errorText(const QSqlQuery& q)
{
    const QSqlError e = q.lastError();
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    return text;
}

std::optional<PagingCall> Connection::parsePagingCall(const QString& sql)
{
    static const QRegularExpression head(QStringLiteral(R"(^\s*exec(?:ute)?\s+GetPagingData\s+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = head.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    PagingCall call;
    call.argumentText = sql.mid(m.capturedEnd()).trimmed();
    // Arguments: quoted strings (quotes doubled inside) or bare numbers, separated by commas.
    QStringList args;
    const QString& t = call.argumentText;
    int i = 0;
    while (i < t.size()) {
        while (i < t.size() && t[i].isSpace())
            ++i;
        QString arg;
        if (i < t.size() && t[i] == QLatin1Char('\'')) {
            ++i;
            for (;;) {
                if (i >= t.size())
                    throw DbError(QStringLiteral("GetPagingData 的参数缺少结束引号"));
                if (t[i] == QLatin1Char('\'')) {
                    if (i + 1 < t.size() && t[i + 1] == QLatin1Char('\'')) {
                        arg += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                arg += t[i++];
            }
        } else {
            while (i < t.size() && t[i] != QLatin1Char(','))
                arg += t[i++];
            arg = arg.trimmed();
        }
        args << arg;
        while (i < t.size() && t[i].isSpace())
            ++i;
        if (i < t.size()) {
            if (t[i] != QLatin1Char(','))
                throw DbError(QStringLiteral("GetPagingData 的参数格式不正确"));
            ++i;
        }
    }
    if (args.size() < 7)
        throw DbError(QStringLiteral("GetPagingData 需要 8 个参数"));
    bool okSize = false, okPage = false;
    call.table = args[0];
    call.key = args[1];
    call.pageSize = args[2].toInt(&okSize);
    call.page = args[3].toInt(&okPage);
    call.order = args[4].trimmed().toUpper();
    call.columns = args[5];
    call.condition = args[6];
    call.extra = args.value(7);
    if (!okSize || !okPage || call.pageSize <= 0)
        throw DbError(QStringLiteral("GetPagingData 的页大小或页号不是整数"));
    if (call.order.isEmpty())
        call.order = QStringLiteral("ASC");
    return call;
}

QStringList Connection::splitStatements(const QString& script)
{
    QStringList out;
    QString cur;
    const int n = script.size();
    int i = 0;
    auto flush = [&] {
        const QString s = cur.trimmed();
        if (!s.isEmpty())
            out << s;
        cur.clear();
    };
    while (i < n) {
        const QChar c = script[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const int start = i++;
            while (i < n) {
                if (script[i] == c) {
                    if (i + 1 < n && script[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            cur += script.mid(start, i - start);
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && script[i + 1] == QLatin1Char('-')) {
            const int end = script.indexOf(QLatin1Char('\n'), i);
            const int stop = end < 0 ? n : end;
            cur += script.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && script[i + 1] == QLatin1Char('*')) {
            const int end = script.indexOf(QStringLiteral("*/"), i + 2);
            const int stop = end < 0 ? n : end + 2;
            cur += script.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == QLatin1Char('$')) {
            static const QRegularExpression tagRe(QStringLiteral(R"(\G\$([A-Za-z_][A-Za-z0-9_]*)?\$)"));
            const auto m = tagRe.match(script, i, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch()) {
                const QString tag = m.captured(0);
                const int end = script.indexOf(tag, i + tag.size());
                const int stop = end < 0 ? n : end + tag.size();
                cur += script.mid(i, stop - i);
                i = stop;
                continue;
            }
        }
        if (c == QLatin1Char(';')) {
            // A trigger body holds semicolons up to its END.
            static const QRegularExpression trigger(QStringLiteral(R"(^\s*create\s+(temp\s+|temporary\s+)?trigger\b)"),
                                                    QRegularExpression::CaseInsensitiveOption);
            static const QRegularExpression endRe(QStringLiteral(R"(\bend\s*$)"), QRegularExpression::CaseInsensitiveOption);
            if (trigger.match(cur).hasMatch() && !endRe.match(cur).hasMatch()) {
                cur += c;
                ++i;
                continue;
            }
            flush();
            ++i;
            continue;
        }
        cur += c;
        ++i;
    }
    flush();
    return out;
}

int Connection::execute(const QString& sql)
{
    if (!isOpen())
        throw DbError(QStringLiteral("数据库没有连接"));
    if (parsePagingCall(sql)) {
        QSqlQuery q = query(sql);
        Q_UNUSED(q);
        return 0;
    }
    const QStringList statements = splitStatements(sql);
    int affected = 0;
    for (const QString& statement : statements) {
        QSqlQuery q(database());
        q.setForwardOnly(true);
        if (!q.exec(statement))
            throw DbError(errorText(q));
        affected = q.numRowsAffected();
    }
    return affected;
}

QSqlQuery Connection::runSelect(const QString& sql)
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw DbError(errorText(q));
    return q;
}

QSqlQuery Connection::query(const QString& sql)
{
    if (!isOpen())
        throw DbError(QStringLiteral("数据库没有连接"));
    if (const auto call = parsePagingCall(sql)) {
        if (m_settings.engine == Engine::SQLite)
            return sqlitePage(*call);
        // The server owns the procedure; its arguments pass through as written.
        return runSelect(QStringLiteral("select * from GetPagingData(") + call->argumentText + QLatin1Char(')'));
    }
    return runSelect(sql);
}

bool Connection::hasRows(const QString& selectSql)
{
    QSqlQuery q = query(selectSql);
    return q.next();
}

qint64 Connection::countRows(const QString& selectSql)
{
    if (!isOpen())
        throw DbError(QStringLiteral("数据库没有连接"));
    if (m_settings.engine == Engine::SQLite) {
        // A plain "select * from T where C" over a table with an integer key is counted while the paging
        // index of C is built, in the same pass.
        static const QRegularExpression simple(QStringLiteral(R"(^\s*select\s+\*\s+from\s+([A-Za-z_][A-Za-z0-9_]*)\s+where\s+(.*)$)"),
                                               QRegularExpression::CaseInsensitiveOption
                                                   | QRegularExpression::DotMatchesEverythingOption);
        const auto m = simple.match(selectSql);
        if (m.hasMatch()) {
            const TableInfo& info = tableInfo(m.captured(1));
            if (info.key.size() == 1 && info.columns[info.indexOf(info.key[0])].family == FieldFamily::Integer) {
                try {
                    return sqlitePagingIndex(info.name, info.key[0], false, 100, m.captured(2)).total;
                } catch (const DbError&) {
                    // Not a bare condition (an ORDER BY, say): count it as a whole below.
                }
            }
        }
    }
    QString inner = selectSql.trimmed();
    while (inner.endsWith(QLatin1Char(';')))
        inner.chop(1);
    QSqlQuery q = runSelect(QStringLiteral("select count(*) from (") + inner + QStringLiteral("\n) orvane_count"));
    if (!q.next())
        throw DbError(QStringLiteral("无法统计查询结果的行数"));
    return q.value(0).toLongLong();
}

quint64 Connection::sqliteChangeStamp()
{
    sqlite3* h = sqliteHandle(database());
    QSqlQuery q = runSelect(QStringLiteral("pragma data_version"));
    const quint64 other = q.next() ? q.value(0).toULongLong() : 0;
    const quint64 own = h ? static_cast<quint64>(sqlite3_total_changes64(h)) : 0;
    return (other << 40) ^ own;
}

const Connection::PagingIndex& Connection::sqlitePagingIndex(const QString& table, const QString& key, bool descending,
                                                             int pageSize, const QString& condition)
{
    const QString norm = normaliseCondition(condition);
    const quint64 stamp = sqliteChangeStamp();
    for (auto it = m_paging.begin(); it != m_paging.end(); ++it) {
        PagingIndex& p = **it;
        if (p.table.compare(table, Qt::CaseInsensitive) == 0 && p.key.compare(key, Qt::CaseInsensitive) == 0
            && p.descending == descending && p.pageSize == pageSize && p.condition == norm) {
            if (p.stamp == stamp)
                return p;
            m_paging.erase(it);
            break;
        }
    }
    sqlite3* h = sqliteHandle(database());
    if (!h)
        throw DbError(QStringLiteral("无法取得 SQLite 连接"));
    auto idx = std::make_unique<PagingIndex>();
    idx->table = table;
    idx->key = key;
    idx->descending = descending;
    idx->pageSize = pageSize;
    idx->condition = norm;
    idx->stamp = stamp;
    // No ORDER BY: the engine may then answer from whichever index covers the condition (as it does
    // for count(*)); the keys are put in order here.
    const QByteArray sql = QStringLiteral("select %1 from %2 where %3\n")
                               .arg(key, table, condition.trimmed().isEmpty() ? QStringLiteral("1=1") : condition)
                               .toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK)
        throw DbError(sqliteMessage(h));
    std::vector<qint64> keys;
    bool ordered = true;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const qint64 k = sqlite3_column_int64(stmt, 0);
        if (!keys.empty() && k < keys.back())
            ordered = false;
        keys.push_back(k);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw DbError(sqliteMessage(h));
    if (!ordered)
        std::sort(keys.begin(), keys.end());
    if (descending)
        std::reverse(keys.begin(), keys.end());
    const qint64 n = static_cast<qint64>(keys.size());
    for (qint64 i = 0; i < n; i += pageSize)
        idx->firstKeys.push_back(keys[static_cast<size_t>(i)]);
    idx->total = n;
    // A few recent conditions are enough: paging follows the last query.
    if (m_paging.size() >= 8)
        m_paging.erase(m_paging.begin());
    m_paging.push_back(std::move(idx));
    return *m_paging.back();
}

QSqlQuery Connection::sqlitePage(const PagingCall& call)
{
    if (!isIdentifier(call.table) || !isIdentifier(call.key))
        throw DbError(QStringLiteral("GetPagingData 的表名或键名无效"));
    if (call.order != QLatin1String("ASC") && call.order != QLatin1String("DESC"))
        throw DbError(QStringLiteral("GetPagingData 的排序只能是 ASC 或 DESC"));
    const bool desc = call.order == QLatin1String("DESC");
    const QString columns = call.columns.trimmed().isEmpty() ? QStringLiteral("*") : call.columns;
    const QString cond = call.condition.trimmed().isEmpty() ? QStringLiteral("1=1") : call.condition;
    const QString dir = desc ? QStringLiteral("desc") : QStringLiteral("asc");
    if (call.page < 1)
        return runSelect(QStringLiteral("select %1 from %2 where 0").arg(columns, call.table));
    if (call.page == 1)
        return runSelect(QStringLiteral("select %1 from %2 where %3\n order by %4 %5 limit %6")
                             .arg(columns, call.table, cond, call.key, dir)
                             .arg(call.pageSize));
    const PagingIndex& idx = sqlitePagingIndex(call.table, call.key, desc, call.pageSize, call.condition);
    const auto page = static_cast<size_t>(call.page - 1);
    if (page >= idx.firstKeys.size())
        return runSelect(QStringLiteral("select %1 from %2 where 0").arg(columns, call.table));
    return runSelect(QStringLiteral("select %1 from %2 where %3 %4 %5 and (%6\n) order by %3 %7 limit %8")
                         .arg(columns, call.table, call.key, desc ? QStringLiteral("<=") : QStringLiteral(">="))
                         .arg(idx.firstKeys[page])
                         .arg(cond, dir)
                         .arg(call.pageSize));
}

const TableInfo& Connection::tableInfo(const QString& table)
{
    const QString lookup = table.toLower();
    if (auto it = m_tables.constFind(lookup); it != m_tables.constEnd())
        return *it;
    if (!isIdentifier(table))
        throw DbError(QStringLiteral("表名无效：%1").arg(table));
    TableInfo info;
    if (m_settings.engine == Engine::SQLite) {
        QSqlQuery q = runSelect(QStringLiteral("select name, type, pk from pragma_table_info('%1')").arg(table));
        QString name;
        QList<QPair<int, QString>> keys;
        while (q.next()) {
            ColumnInfo c;
            c.name = q.value(0).toString();
            c.family = sqliteFamily(q.value(1).toString());
            const int pk = q.value(2).toInt();
            if (pk > 0)
                keys.append({pk, c.name});
            info.columns << c;
        }
        std::sort(keys.begin(), keys.end());
        for (const auto& k : keys)
            info.key << k.second;
        // A lone INTEGER PRIMARY KEY is the rowid: the engine assigns it.
        if (info.key.size() == 1) {
            const int i = info.indexOf(info.key[0]);
            if (info.columns[i].family == FieldFamily::Integer)
                info.columns[i].serverAssigned = true;
        }
        QSqlQuery n = runSelect(QStringLiteral("select name from sqlite_master where type in ('table','view') and name = '%1' collate nocase")
                                    .arg(table));
        info.name = n.next() ? n.value(0).toString() : table;
    } else {
        QSqlQuery q = runSelect(QStringLiteral("select column_name, data_type, udt_name, coalesce(domain_name, ''), "
                                               "coalesce(column_default, ''), is_identity, table_name "
                                               "from information_schema.columns where table_schema = current_schema() "
                                               "and table_name = lower('%1') order by ordinal_position")
                                    .arg(table));
        while (q.next()) {
            ColumnInfo c;
            c.name = q.value(0).toString();
            c.family = pgFamily(q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
            c.serverAssigned = q.value(5).toString() == QLatin1String("YES")
                               || q.value(4).toString().startsWith(QLatin1String("nextval("));
            info.columns << c;
            info.name = q.value(6).toString();
        }
        QSqlQuery k = runSelect(QStringLiteral("select a.attname from pg_index i join pg_attribute a on a.attrelid = i.indrelid "
                                               "and a.attnum = any(i.indkey) where i.indisprimary and i.indrelid = "
                                               "to_regclass(lower('%1')) order by array_position(i.indkey, a.attnum)")
                                    .arg(table));
        while (k.next())
            info.key << k.value(0).toString();
    }
    if (info.columns.isEmpty())
        throw DbError(QStringLiteral("数据表不存在：%1").arg(table));
    return *m_tables.insert(lookup, info);
}
