#include "app_fixture.h"

#include "db_error.h"
#include "ini_file.h"
#include "sql_text.h"

#include <QFile>
#include <QSqlQuery>

QString sqlValue(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return QLatin1Char('\'') + SqlText::escape(value.toString()) + QLatin1Char('\'');
}

AppFixture::AppFixture(Engine engine) : m_db(std::make_unique<TestDatabase>(engine))
{
    m_iniPath = m_db->writeIni();
    m_module = std::make_unique<DataModule>(m_iniPath);
    m_module->DataModuleCreate();
    setDataModule(m_module.get());
}

AppFixture::~AppFixture()
{
    setDataModule(nullptr);
    m_module.reset();
    m_db.reset();
}

void AppFixture::addUser(const QString& code, const QString& name, const QVariant& password,
                         const QVariant& editOutData, const QVariant& actionLog)
{
    connection().execute(QStringLiteral("insert into Pub_User (UserCode, UserName, UserPassWord, Edit_OutData, Action_Log) "
                                        "values (%1, %2, %3, %4, %5)")
                             .arg(sqlValue(code), sqlValue(name), sqlValue(password), sqlValue(editOutData),
                                  sqlValue(actionLog)));
}

QString AppFixture::storedPassword(const QString& code)
{
    QSqlQuery q = connection().query(QStringLiteral("select UserPassWord from Pub_User where UserCode=%1").arg(sqlValue(code)));
    if (!q.next())
        throw DbError(QStringLiteral("no user ") + code);
    return q.value(0).isNull() ? QStringLiteral("<null>") : q.value(0).toString();
}

void AppFixture::rewriteIni(const QString& serverName, const QString& dataBase)
{
    IniFile old(m_iniPath);
    QString text = QStringLiteral("[Pellacor]\n");
    text += QStringLiteral("Engine=%1\n").arg(old.value(QStringLiteral("Pellacor"), QStringLiteral("Engine")));
    text += QStringLiteral("ServerName=%1\nDataBase=%2\n").arg(serverName, dataBase);
    text += QStringLiteral("DBLogon=%1\nLogonPass=%2\n")
                .arg(old.value(QStringLiteral("Pellacor"), QStringLiteral("DBLogon")),
                     old.value(QStringLiteral("Pellacor"), QStringLiteral("LogonPass")));
    QFile f(m_iniPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError(QStringLiteral("cannot write ") + m_iniPath);
    f.write(text.toUtf8());
}
