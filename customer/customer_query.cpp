#include "customer_query.h"

#include "sql_text.h"

namespace {

struct Fragment {
    QString sqlBefore, sqlAfter;
    QString pagingBefore, pagingAfter;
    QString descBefore, descAfter;
};

void append(FilterTriple& t, const Fragment& f, const QString& value)
{
    if (value.isEmpty())
        return;
    t.querySql += f.sqlBefore + SqlText::escape(value) + f.sqlAfter;
    t.pagingFilter += f.pagingBefore + SqlText::escapeTwice(value) + f.pagingAfter;
    t.queryDescription += f.descBefore + value + f.descAfter;
}

} // namespace

QString CustomerQuery::querySqlHead(const QString& flag)
{
    return QStringLiteral("select * from Customer where 1=1 and Self_Data='") + SqlText::escape(flag) + QStringLiteral("' ");
}

QString CustomerQuery::pagingFilterHead(const QString& flag)
{
    return QStringLiteral("Self_Data=''") + SqlText::escapeTwice(flag) + QStringLiteral("'' ");
}

QString CustomerQuery::descriptionHead(const QString& flag)
{
    return flag == QLatin1String("Y") ? QStringLiteral("查询内部资料全部条件：") : QStringLiteral("查询托管资料全部条件：");
}

FilterTriple CustomerQuery::build(const QString& flag, const QuickQueryInput& in)
{
    static const Fragment company{QStringLiteral("and Company_Name like '%"), QStringLiteral("%' "),
                                  QStringLiteral("and Company_Name like ''%"), QStringLiteral("%'' "),
                                  QStringLiteral("公司名称包含："), QStringLiteral(" ")};
    static const Fragment linkMan{QStringLiteral("and main_linkman like '%"), QStringLiteral("%' "),
                                  QStringLiteral("and main_linkman like ''%"), QStringLiteral("%'' "),
                                  QStringLiteral("主要联系人包含->"), QStringLiteral("  ")};
    static const Fragment dataType{QStringLiteral("and Data_Type = '"), QStringLiteral("' "),
                                   QStringLiteral("and Data_Type = ''"), QStringLiteral("'' "),
                                   QStringLiteral("数据类型为->"), QStringLiteral("  ")};
    static const Fragment area{QStringLiteral("and area=  '"), QStringLiteral("' "),
                               QStringLiteral("and area=  ''"), QStringLiteral("'' "),
                               QStringLiteral("行政区域为->"), QStringLiteral("  ")};
    static const Fragment level{QStringLiteral("and Customer_Level=  '"), QStringLiteral("' "),
                                QStringLiteral("and Customer_Level=  ''"), QStringLiteral("'' "),
                                QStringLiteral("客户等级为->"), QStringLiteral("  ")};
    static const Fragment source{QStringLiteral("and Data_Source = '"), QStringLiteral("' "),
                                 QStringLiteral("and Data_Source = ''"), QStringLiteral("'' "),
                                 QStringLiteral("客户来源为->"), QStringLiteral(" ")};
    static const Fragment reject{QStringLiteral("and RejectData = '"), QStringLiteral("' "),
                                 QStringLiteral("and RejectData = ''"), QStringLiteral("'' "),
                                 QStringLiteral("退信数据为->"), QStringLiteral(" ")};

    FilterTriple t{querySqlHead(flag), pagingFilterHead(flag), descriptionHead(flag)};
    append(t, company, in.companyName);
    append(t, linkMan, in.linkMan);
    append(t, dataType, in.dataType);
    append(t, area, in.area);
    append(t, level, in.level);
    append(t, source, in.source);
    append(t, reject, in.reject);
    return t;
}
