#pragma once

#include "customer_query.h"

#include <QString>

class DataSet;

// The rows of the last query as far as the client keeps them: the statement and the total that the
// server counted. Rows themselves are never held; the export streams them from querySql.
struct QueryTotal {
    QString querySql = QStringLiteral("select *  from Customer where 1>1");
    qint64 recordCount = 0;
};

// The last query and the page on show: counts the matching rows on the server, fetches pages of
// 100 rows through GetPagingData into the page data set, and keeps the paging state and labels.
// Every fetch shows the wait window.
class CustomerPager {
public:
    static constexpr int PageSize = 100;

    explicit CustomerPager(DataSet& page);

    // Page 1 of a new query: "...,100,1,'ASC','*','<filter>','' " (one blank at the end).
    static QString firstPageSql(const QString& pagingFilter);
    // Any page afterwards: "...,100,<p>,'ASC','*','<filter>',''  " (two blanks at the end).
    static QString pageSql(const QString& pagingFilter, int page);
    // Pages of a total: rounded up, at least 1.
    static int pageCountFor(qint64 total);
    static QString totalText(qint64 total);   // "查询出总数据条数为:n条"

    // Runs a new query: the renderings are kept as given (also when a fetch fails), the total is
    // counted on the server, then page 1 is fetched. Paging state changes only when both succeed.
    void run(const FilterTriple& filter);

    // The paging buttons. Each returns false and does nothing at its bound or before any query;
    // CurrentPage moves only once the page has been fetched.
    bool firstPage();
    bool priorPage();
    bool nextPage();
    bool lastPage();
    // Fetches page p of the last query.
    void loadPage(int page);

    bool hasQuery() const { return m_hasQuery; }
    const FilterTriple& filter() const { return m_filter; }
    QString pagingSql() const { return m_pagingSql; }
    const QueryTotal& total() const { return ADOCustomer; }
    int currentPage() const { return m_currentPage; }
    int pageCount() const { return m_pageCount; }

    // The paging bar's texts: empty, "当前页：" and "总页数：" before any query; after a query
    // "当前页为：1" and "总页数为：n"; after paging "当前页：p".
    QString totalLabel() const { return m_totalLabel; }
    QString currentPageLabel() const { return m_currentPageLabel; }
    QString totalPageLabel() const { return m_totalPageLabel; }

private:
    DataSet& ADOCustomerPage;
    QueryTotal ADOCustomer;
    FilterTriple m_filter;
    QString m_pagingSql;
    bool m_hasQuery = false;
    int m_currentPage = 1;
    int m_pageCount = 1;
    QString m_totalLabel;
    QString m_currentPageLabel = QStringLiteral("当前页：");
    QString m_totalPageLabel = QStringLiteral("总页数：");
};
