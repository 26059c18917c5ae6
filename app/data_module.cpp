#include "data_module.h"

#include "data_set.h"
#include "db_error.h"
#include "ini_file.h"
#include "sql_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
DataModule* g_module = nullptr;
const QString kSection = QStringLiteral("Pellacor");
} // namespace

DataModule& DM_Init()
{
    if (!g_module)
        throw DbError(QStringLiteral("数据模块尚未创建"));
    return *g_module;
}

void setDataModule(DataModule* module) { g_module = module; }

DataModule::DataModule(QString iniPath) : m_iniPath(std::move(iniPath))
{
    if (m_iniPath.isEmpty())
        m_iniPath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Account.Ini"));
}

DataModule::~DataModule()
{
    if (g_module == this)
        g_module = nullptr;
}

QString DataModule::connectFailureText() { return QStringLiteral("数据库连接不上，请查看INI文件或网络."); }

QString DataModule::ReadConfigValue(const QString& key) const { return IniFile(m_iniPath).value(kSection, key); }

QString DataModule::connectionString(const QString& logonPass, const QString& dbLogon, const QString& dataBase,
                                     const QString& serverName)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + logonPass + QStringLiteral(";Persist Security Info=True;User ID=")
           + dbLogon + QStringLiteral(";Initial Catalog=") + dataBase + QStringLiteral(";Data Source=") + serverName
           + QStringLiteral(";");
}

ConnectionSettings DataModule::readSettings() const
{
    const QFileInfo ini(m_iniPath);
    if (!ini.exists())
        throw DbError(QStringLiteral("找不到配置文件 %1").arg(QDir::toNativeSeparators(m_iniPath)));
    if (!ini.isFile() || !ini.isReadable())
        throw DbError(QStringLiteral("无法读取配置文件 %1").arg(QDir::toNativeSeparators(m_iniPath)));
    ConnectionSettings s;
    s.password = ReadConfigValue(QStringLiteral("LogonPass"));
    s.user = ReadConfigValue(QStringLiteral("DBLogon"));
    s.database = ReadConfigValue(QStringLiteral("DataBase"));
    s.server = ReadConfigValue(QStringLiteral("ServerName"));
    const QString engine = ReadConfigValue(QStringLiteral("Engine"));
    const auto e = ConnectionSettings::parseEngine(engine);
    if (!e)
        throw DbError(QStringLiteral("配置文件中的 Engine=%1 无法识别，应为 sqlite 或 postgresql").arg(engine));
    s.engine = *e;
    s.baseDir = ini.absolutePath();
    return s;
}

void DataModule::DataModuleCreate()
{
    const ConnectionSettings s = readSettings();
    m_connectionString = connectionString(s.password, s.user, s.database, s.server);
    m_connection.reset();
    auto c = std::make_unique<Connection>(s);
    c->open();
    m_connection = std::move(c);
}

Connection& DataModule::connection()
{
    if (!m_connection)
        throw DbError(connectFailureText());
    return *m_connection;
}

void DataModule::adoptConnection(std::unique_ptr<Connection> connection) { m_connection = std::move(connection); }

QString DataModule::recordExistsSql(const QString& value, const QString& fieldName, const QString& tableName)
{
    return QStringLiteral("select * from ") + tableName + QStringLiteral(" where ") + fieldName + QStringLiteral(" =") + QStringLiteral("'")
           + SqlText::escape(value) + QStringLiteral("'");
}

bool DataModule::RecordExists(const QString& value, const QString& fieldName, const QString& tableName)
{
    return connection().hasRows(recordExistsSql(value, fieldName, tableName));
}

QString DataModule::formatCustomerCode(const QString& prefix, const QDateTime& moment)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    const QString year = QString::number(d.year()).rightJustified(4, QLatin1Char('0'));
    return prefix + year.mid(2, 2) + QString::number(d.month()) + QString::number(d.day()) + QString::number(t.hour())
           + QString::number(t.minute()) + QString::number(t.second()) + QString::number(t.msec());
}

QString DataModule::newCustomerCodeAt(const QString& prefix, QDateTime moment)
{
    QString code = formatCustomerCode(prefix, moment);
    // Different moments can share a text (I0911210567 is both 2009-01-12 and 2009-11-02 10:05:06.007),
    // and fast callers ask twice within one millisecond: step on until the text is new.
    while (m_givenCodes.contains(code)) {
        moment = moment.addMSecs(1);
        code = formatCustomerCode(prefix, moment);
    }
    m_givenCodes.insert(code);
    return code;
}

QString DataModule::NewCustomerCode(const QString& prefix) { return newCustomerCodeAt(prefix, QDateTime::currentDateTime()); }

QString DataModule::checkLoginSql(const QString& userCode, const QString& password)
{
    if (password.isEmpty())
        return QStringLiteral("select a.UserName,a.UserCode from Pub_User a where a.UserCode='") + SqlText::escape(userCode)
               + QStringLiteral("' and (a.UserPassWord is null or a.UserPassWord='') ");
    return QStringLiteral("select a.UserName,a.UserCode from Pub_User a where a.UserCode='") + SqlText::escape(userCode)
           + QStringLiteral("' and a.UserPassWord='") + SqlText::escape(password) + QStringLiteral("' ");
}

bool DataModule::CheckLogin(const QString& userCode, const QString& password, QString* userName)
{
    QSqlQuery q = connection().query(checkLoginSql(userCode, password));
    const bool found = q.next();
    if (userName)
        *userName = found ? q.value(0).toString() : QString();
    if (found)
        CurrentUserCode = q.value(1).toString();
    return found;
}

QString DataModule::userRowSql(const QString& userCode)
{
    return QStringLiteral("select * from Pub_User where UserCode='") + SqlText::escape(userCode) + QStringLiteral("' ");
}

bool DataModule::userRight(const QString& column) { return userRights({column}).value(column); }

QHash<QString, bool> DataModule::userRights(const QStringList& columns)
{
    DataSet user(connection());
    user.setSql(userRowSql(CurrentUserCode));
    user.open();
    QHash<QString, bool> rights;
    for (const QString& c : columns)
        rights.insert(c, !user.isEmpty() && user.asBool(c));
    return rights;
}
