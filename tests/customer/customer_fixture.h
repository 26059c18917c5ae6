#pragma once

#include "connection.h"
#include "sql_text.h"

#include <QString>
#include <QStringList>

// Rows for customer tests, written by statement so that a test controls every value it compares.
struct CustomerRow {
    QString scope = QStringLiteral("Y");
    QString dataType = QStringLiteral("企业数据");
    QString company;
    QString linkMan;
    QString address;
    QString level;
    QString reject = QStringLiteral("否");
};

inline void insertCustomers(Connection& c, const QList<CustomerRow>& rows, const QString& codePrefix = QStringLiteral("T"))
{
    static int serial = 0;
    auto lit = [](const QString& v) {
        return v.isNull() ? QStringLiteral("NULL") : QLatin1Char('\'') + SqlText::escape(v) + QLatin1Char('\'');
    };
    QStringList batch;
    for (const CustomerRow& r : rows) {
        batch << QStringLiteral("insert into Customer (Code, Self_Data, Data_Type, Company_Name, Main_LinkMan, Address, "
                                "Customer_Level, RejectData, Create_Date, Update_Date) values (%1,%2,%3,%4,%5,%6,%7,%8,"
                                "'2026-01-02 03:04:05','2026-01-02 03:04:05')")
                     .arg(lit(codePrefix + QString::number(++serial)), lit(r.scope), lit(r.dataType), lit(r.company),
                          lit(r.linkMan), lit(r.address), lit(r.level), lit(r.reject));
        if (batch.size() == 200) {
            c.execute(batch.join(QStringLiteral(";\n")));
            batch.clear();
        }
    }
    if (!batch.isEmpty())
        c.execute(batch.join(QStringLiteral(";\n")));
}

// n enterprise rows of one scope named "<company><i>".
inline void insertNumbered(Connection& c, int n, const QString& scope = QStringLiteral("Y"),
                           const QString& company = QStringLiteral("测试公司"))
{
    QList<CustomerRow> rows;
    for (int i = 1; i <= n; ++i) {
        CustomerRow r;
        r.scope = scope;
        r.company = company + QString::number(i);
        r.linkMan = QStringLiteral("联系人") + QString::number(i);
        rows << r;
    }
    insertCustomers(c, rows);
}
