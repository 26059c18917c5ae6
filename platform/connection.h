#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

enum class Engine { SQLite, PostgreSQL };

// What a value of a column is, whatever the engine calls its type.
enum class FieldFamily { Text, Integer, Number, DateTime, Boolean, Binary };
QString familyName(FieldFamily family);

struct ConnectionSettings {
    Engine engine = Engine::SQLite;
    QString server;    // PostgreSQL: host, "." for this machine, "host:port" allowed
    QString database;  // SQLite: the database file (relative to baseDir unless absolute); PostgreSQL: the database
    QString user;
    QString password;
    QString baseDir;   // folder that a relative SQLite path is taken from

    // "sqlite" (also the empty text) or "postgresql", without regard to case; nullopt otherwise.
    static std::optional<Engine> parseEngine(const QString& text);
    QString sqliteFilePath() const;
};

struct ColumnInfo {
    QString name;        // as the catalog spells it
    FieldFamily family = FieldFamily::Text;
    bool serverAssigned = false;  // the server gives the value on insert (identity / autoincrement)
};

struct TableInfo {
    QString name;
    QList<ColumnInfo> columns;
    QStringList key;     // primary key columns; empty when the table has none
    int indexOf(const QString& column) const;  // without regard to case; -1 when missing
};

// The one stored paging procedure call the client issues:
// exec GetPagingData 'Customer','ID',100,N,'ASC','*','<condition, quotes doubled>',''
struct PagingCall {
    QString table;
    QString key;
    int pageSize = 100;
    int page = 1;
    QString order;       // ASC or DESC
    QString columns;
    QString condition;   // with its quotes as the server receives them (undoubled once)
    QString extra;
    QString argumentText;  // everything after the procedure name, as written
};

// The shared link to the database. Statement text runs as given; the engine's dialect differences
// that the client's statements rely on (the paging procedure, batches) are settled here.
class Connection {
public:
    explicit Connection(ConnectionSettings settings);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the link; throws DbError saying what is wrong. A missing SQLite file is never created,
    // and a file that is not a database is left untouched.
    void open();
    void close();
    bool isOpen() const;
    Engine engine() const { return m_settings.engine; }
    const ConnectionSettings& settings() const { return m_settings; }
    QSqlDatabase database() const;

    // Runs one statement or a batch of statements in order. Stops at the first failing statement
    // with DbError; what ran before stays done. Returns the rows changed by the last statement.
    int execute(const QString& sql);
    // Runs a statement that yields rows (a SELECT or the paging call); the result stands before its first row.
    QSqlQuery query(const QString& sql);
    // Number of rows that a SELECT yields, counted by the server (rows are not fetched).
    qint64 countRows(const QString& selectSql);
    // True when the SELECT yields at least one row.
    bool hasRows(const QString& selectSql);

    // Catalog knowledge of a table (cached for the life of the connection); throws when it does not exist.
    const TableInfo& tableInfo(const QString& table);

    static std::optional<PagingCall> parsePagingCall(const QString& sql);
    // Splits a script into statements at semicolons outside quotes, comments and dollar quotes.
    static QStringList splitStatements(const QString& script);
    // The engine's message of the last failure of q, or of the database.
    static QString errorText(const QSqlQuery& q);

private:
    struct PagingIndex;
    QSqlQuery runSelect(const QString& sql);
    QSqlQuery sqlitePage(const PagingCall& call);
    const PagingIndex& sqlitePagingIndex(const QString& table, const QString& key, bool descending, int pageSize,
                                         const QString& condition);
    quint64 sqliteChangeStamp();

    ConnectionSettings m_settings;
    QString m_name;
    QHash<QString, TableInfo> m_tables;
    std::vector<std::unique_ptr<PagingIndex>> m_paging;
};
