#pragma once

#include "data_module.h"
#include "test_database.h"

#include <QString>
#include <QVariant>
#include <memory>

// A fresh database with the schema, and the process's data module opened on it through an
// Account.Ini, as the program starts. The data module is uninstalled again at the end.
class AppFixture {
public:
    explicit AppFixture(Engine engine);
    ~AppFixture();

    TestDatabase& database() { return *m_db; }
    DataModule& dataModule() { return *m_module; }
    Connection& connection() { return m_module->connection(); }
    QString iniPath() const { return m_iniPath; }

    // A Pub_User row; a null password (QVariant()) stores NULL, rights left NULL unless given.
    void addUser(const QString& code, const QString& name, const QVariant& password,
                 const QVariant& editOutData = {}, const QVariant& actionLog = {});
    // The stored password, or "<null>".
    QString storedPassword(const QString& code);
    // Rewrites Account.Ini with other ServerName and DataBase texts (the connection stays open).
    void rewriteIni(const QString& serverName, const QString& dataBase);

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DataModule> m_module;
    QString m_iniPath;
};

QString sqlValue(const QVariant& value);
