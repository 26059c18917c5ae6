#pragma once

#include "connection.h"

#include <QString>
#include <functional>

// Preparing a database for the client: tables, indexes, the paging procedure of the server engine,
// the built-in Admin row and the first dictionary entries. The client itself never creates tables.
namespace Schema {

// The schema script of an engine, as orvane-db runs it.
QString script(Engine engine);
// True when the database already holds the schema (the Customer or Pub_User table exists).
bool isPresent(Connection& connection);
// Runs the schema script and the seed rows; DbError when the schema is already there.
void create(Connection& connection);
// Creates an empty SQLite database file (the client refuses to create one); DbError when it exists.
void createSqliteFile(const QString& path);

struct DemoOptions {
    qint64 count = 0;
    quint32 seed = 20261211;
    std::function<void(qint64 done)> progress;   // called now and then
};
// Adds generated customers: Chinese company names, linkmen and addresses, both scopes and both data
// types, codes in the real format. Returns the number added.
qint64 addDemoCustomers(Connection& connection, const DemoOptions& options);

} // namespace Schema
