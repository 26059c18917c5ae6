#pragma once

#include "connection.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <memory>

// The data module: the one shared connection, the settings it came from, the logged-in user and
// the small helpers every window uses.
class DataModule {
public:
    // iniPath: the Account.Ini to read; by default the one beside the running executable.
    explicit DataModule(QString iniPath = {});
    ~DataModule();

    // Reads the settings and opens the connection. Throws DbError whose message explains the cause
    // (missing or unreadable Account.Ini, unknown Engine, missing database file, not a database,
    // server not answering); the start-up shows connectFailureText() then.
    void DataModuleCreate();
    static QString connectFailureText();   // "数据库连接不上，请查看INI文件或网络."

    // The value of Key in section Pellacor of Account.Ini, read anew on every call; empty when missing.
    QString ReadConfigValue(const QString& key) const;
    QString iniPath() const { return m_iniPath; }
    // The settings as the connection uses them; DbError for an unknown Engine.
    ConnectionSettings readSettings() const;
    // "Provider=SQLOLEDB.1;Password=...;Persist Security Info=True;User ID=...;Initial Catalog=...;Data Source=...;"
    static QString connectionString(const QString& logonPass, const QString& dbLogon, const QString& dataBase,
                                    const QString& serverName);
    QString ConnectionString() const { return m_connectionString; }

    // True when TableName holds a row whose FieldName equals Value:
    // select * from <TableName> where <FieldName> ='<Value>'   (the value's quotes doubled)
    bool RecordExists(const QString& value, const QString& fieldName, const QString& tableName);
    static QString recordExistsSql(const QString& value, const QString& fieldName, const QString& tableName);

    // A customer code for this moment: prefix, two-digit year, then month, day, hour, minute, second and
    // millisecond without leading zeros. A code this process already gave is never given again: the
    // moment moves on by one millisecond until the code is new.
    QString NewCustomerCode(const QString& prefix);
    static QString formatCustomerCode(const QString& prefix, const QDateTime& moment);
    // The same rule with the moment given, for tests and bulk tools.
    QString newCustomerCodeAt(const QString& prefix, QDateTime moment);

    Connection& connection();
    bool hasConnection() const { return m_connection != nullptr; }
    // Takes a connection opened elsewhere (tests, tools).
    void adoptConnection(std::unique_ptr<Connection> connection);

    QString CurrentUserCode;

    // The login check. With an empty password:
    //   select a.UserName,a.UserCode from Pub_User a where a.UserCode='<code>' and (a.UserPassWord is null or a.UserPassWord='') 
    // otherwise:
    //   select a.UserName,a.UserCode from Pub_User a where a.UserCode='<code>' and a.UserPassWord='<password>' 
    // (values' quotes doubled). On a match CurrentUserCode becomes the row's UserCode and true is returned;
    // userName receives the first row's UserName, or the empty text when nothing matched.
    bool CheckLogin(const QString& userCode, const QString& password, QString* userName = nullptr);
    static QString checkLoginSql(const QString& userCode, const QString& password);

    // The current user's Pub_User row read as rights: select * from Pub_User where UserCode='<code>'
    // Returns false for every right when the row is missing; NULL is false.
    bool userRight(const QString& column);
    // Several rights from one read of the row, by the column names given.
    QHash<QString, bool> userRights(const QStringList& columns);
    static QString userRowSql(const QString& userCode);

private:
    QString m_iniPath;
    QString m_connectionString;
    std::unique_ptr<Connection> m_connection;
    QSet<QString> m_givenCodes;
};

// The process's data module (set by whoever created it: the application, a tool or a test).
DataModule& DM_Init();
void setDataModule(DataModule* module);
