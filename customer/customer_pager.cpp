#include "customer_pager.h"

#include "connection.h"
#include "data_set.h"
#include "wait_indicator.h"

namespace {
const QString kCallHead = QStringLiteral("exec GetPagingData 'Customer','ID',100,");
}

CustomerPager::CustomerPager(DataSet& page) : ADOCustomerPage(page) {}

QString CustomerPager::firstPageSql(const QString& pagingFilter)
{
    return kCallHead + QStringLiteral("1,'ASC','*','") + pagingFilter + QStringLiteral("','' ");
}

QString CustomerPager::pageSql(const QString& pagingFilter, int page)
{
    return kCallHead + QString::number(page) + QStringLiteral(",'ASC','*','") + pagingFilter + QStringLiteral("',''  ");
}

int CustomerPager::pageCountFor(qint64 total)
{
    if (total <= PageSize)
        return 1;
    return static_cast<int>((total + PageSize - 1) / PageSize);
}

QString CustomerPager::totalText(qint64 total)
{
    return QStringLiteral("查询出总数据条数为:") + QString::number(total) + QStringLiteral("条");
}

void CustomerPager::run(const FilterTriple& filter)
{
    WaitScope wait;
    m_filter = filter;
    m_pagingSql = firstPageSql(filter.pagingFilter);
    // The count goes first: on SQLite it also prepares the paging of this condition.
    ADOCustomer.querySql = filter.querySql;
    ADOCustomer.recordCount = 0;
    const qint64 n = ADOCustomerPage.connection().countRows(filter.querySql);
    ADOCustomer.recordCount = n;
    ADOCustomerPage.close();
    ADOCustomerPage.setSql(m_pagingSql);
    ADOCustomerPage.open();

    m_hasQuery = true;
    m_currentPage = 1;
    m_pageCount = pageCountFor(n);
    m_totalLabel = totalText(n);
    m_totalPageLabel = QStringLiteral("总页数为：") + QString::number(m_pageCount);
    m_currentPageLabel = QStringLiteral("当前页为：1");
}

void CustomerPager::loadPage(int page)
{
    WaitScope wait;
    ADOCustomerPage.close();
    ADOCustomerPage.setSql(pageSql(m_filter.pagingFilter, page));
    ADOCustomerPage.open();
    m_currentPage = page;
    m_currentPageLabel = QStringLiteral("当前页：") + QString::number(page);
}

bool CustomerPager::firstPage()
{
    if (!m_hasQuery || m_currentPage == 1)
        return false;
    loadPage(1);
    return true;
}

bool CustomerPager::priorPage()
{
    if (!m_hasQuery || m_currentPage <= 1)
        return false;
    loadPage(m_currentPage - 1);
    return true;
}

bool CustomerPager::nextPage()
{
    if (!m_hasQuery || m_currentPage >= m_pageCount)
        return false;
    loadPage(m_currentPage + 1);
    return true;
}

bool CustomerPager::lastPage()
{
    if (!m_hasQuery || m_currentPage == m_pageCount)
        return false;
    loadPage(m_pageCount);
    return true;
}
