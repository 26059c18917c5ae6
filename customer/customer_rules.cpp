#include "customer_rules.h"

#include "connection.h"
#include "data_module.h"
#include "data_set.h"
#include "sql_text.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {
const QString kEnterprise = QStringLiteral("企业数据");
const QString kPersonal = QStringLiteral("个人数据");
} // namespace

CustomerRules::CustomerRules(Connection& connection) : m_conn(connection) {}

QString CustomerRules::scopeTitle(const QString& selfDataFlag)
{
    return selfDataFlag == QLatin1String("Y") ? QStringLiteral("内部客户资料") : QStringLiteral("托管客户资料");
}

QString CustomerRules::editModeCaption(const QString& selfDataFlag, int editMode)
{
    const QString title = scopeTitle(selfDataFlag);
    if (editMode == 1)
        return title + QStringLiteral("--增加");
    if (editMode == 2)
        return title + QStringLiteral("--修改");
    return title;
}

QString CustomerRules::customerExistsSql(const QString& companyName, const QString& mainLinkMan, const QString& selfDataFlag,
                                         const QString& dataType, const QString& address)
{
    using SqlText::escape;
    if (dataType == kEnterprise) {
        if (mainLinkMan.isEmpty())
            return QStringLiteral("select id from Customer where Company_Name ='") + escape(companyName)
                   + QStringLiteral("' and Self_Data='") + escape(selfDataFlag) + QStringLiteral("'  and Data_type='")
                   + escape(dataType) + QStringLiteral("' ");
        return QStringLiteral("select id from Customer where Company_Name ='") + escape(companyName)
               + QStringLiteral("' and Self_Data='") + escape(selfDataFlag) + QStringLiteral("' and Main_LinkMan='")
               + escape(mainLinkMan) + QStringLiteral("' and Data_type='") + escape(dataType) + QStringLiteral("' ");
    }
    if (dataType == kPersonal)
        return QStringLiteral("select id from Customer where  Self_Data='") + escape(selfDataFlag)
               + QStringLiteral("' and Main_LinkMan='") + escape(mainLinkMan) + QStringLiteral("' and Data_type='")
               + escape(dataType) + QStringLiteral("' and Address='") + escape(address) + QStringLiteral("' ");
    return {};
}

bool CustomerRules::CustomerExists(const QString& companyName, const QString& mainLinkMan, const QString& selfDataFlag,
                                   const QString& dataType, const QString& address)
{
    const QString sql = customerExistsSql(companyName, mainLinkMan, selfDataFlag, dataType, address);
    if (sql.isEmpty())
        return false;
    return m_conn.hasRows(sql);
}

void CustomerRules::applyNewRecordDefaults(DataSet& page, const QString& selfDataFlag, DataModule& dataModule)
{
    const bool internal = selfDataFlag == QLatin1String("Y");
    page.setValue(QStringLiteral("Code"), dataModule.NewCustomerCode(internal ? QStringLiteral("I") : QStringLiteral("O")));
    page.setValue(QStringLiteral("Self_Data"), internal ? QStringLiteral("Y") : QStringLiteral("N"));
    const QDateTime now = QDateTime::currentDateTime();
    page.setValue(QStringLiteral("Update_Date"), now);
    page.setValue(QStringLiteral("Create_Date"), now);
    page.setValue(QStringLiteral("RejectData"), QStringLiteral("否"));
}

void CustomerRules::beginEdit(DataSet& page)
{
    page.edit();
    page.setValue(QStringLiteral("Update_Date"), QDateTime::currentDateTime());
}

CustomerRules::SaveVerdict CustomerRules::checkSave(const SaveInput& in)
{
    if (in.editMode == 1 && (!in.companyName.isEmpty() || !in.mainLinkMan.isEmpty())
        && CustomerExists(in.companyName, in.mainLinkMan, in.selfDataFlag, in.dataType, in.address))
        return SaveVerdict::Duplicate;
    if (!in.pending)
        return SaveVerdict::NotPending;
    if (in.dataType.isEmpty())
        return SaveVerdict::NoDataType;
    if (in.companyName.isEmpty() && in.mainLinkMan.isEmpty())
        return SaveVerdict::NoName;
    return SaveVerdict::Save;
}

QString CustomerRules::verdictText(SaveVerdict verdict)
{
    switch (verdict) {
    case SaveVerdict::Duplicate: return QStringLiteral("已经有此客户名称的信息,不能重名");
    case SaveVerdict::NoDataType: return QStringLiteral("数据类型不能为空");
    case SaveVerdict::NoName: return QStringLiteral("公司名称和主要联系人不能同时为空");
    case SaveVerdict::Save:
    case SaveVerdict::NotPending: break;
    }
    return {};
}

QString CustomerRules::pickListSql(const QString& table) { return QStringLiteral("select name from ") + table + QStringLiteral(" "); }

QStringList CustomerRules::pickListItems(const QString& table)
{
    QStringList items{QString()};
    QSqlQuery q = m_conn.query(pickListSql(table));
    while (q.next())
        items << q.value(0).toString().trimmed();
    return items;
}

CustomerRules::Rights CustomerRules::readRights(DataModule& dm)
{
    const QHash<QString, bool> granted = dm.userRights(
        {QStringLiteral("New"), QStringLiteral("Edit"), QStringLiteral("Del"), QStringLiteral("Import"),
         QStringLiteral("Export"), QStringLiteral("Print"), QStringLiteral("Query")});
    Rights r;
    r.add = granted.value(QStringLiteral("New"));
    r.edit = granted.value(QStringLiteral("Edit"));
    r.remove = granted.value(QStringLiteral("Del"));
    r.import = granted.value(QStringLiteral("Import"));
    r.exportData = granted.value(QStringLiteral("Export"));
    r.print = granted.value(QStringLiteral("Print"));
    r.query = granted.value(QStringLiteral("Query"));
    return r;
}
