#include "customer_fixture.h"
#include "customer_pager.h"
#include "customer_query.h"
#include "data_set.h"
#include "db_error.h"
#include "test_database.h"
#include "wait_indicator.h"

#include <QtTest>

class TestCustomerQuery : public QObject {
    Q_OBJECT
private slots:
    void filterTriple_data();
    void filterTriple();
    void pagingCallTexts();
    void pageCount_data();
    void pageCount();

    void quotedValuesRun_data();
    void quotedValuesRun();
    void totalsAndBounds_data();
    void totalsAndBounds();
    void lastPageHoldsTheRest_data();
    void lastPageHoldsTheRest();
    void conditionsSelectTheirRows_data();
    void conditionsSelectTheirRows();
    void failedFetchKeepsThePage_data();
    void failedFetchKeepsThePage();
    void waitWindowAroundEveryFetch();
};

void TestCustomerQuery::filterTriple_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QStringList>("boxes");   // company, linkman, data type, area, level, source, reject
    QTest::addColumn<QString>("querySql");
    QTest::addColumn<QString>("pagingFilter");
    QTest::addColumn<QString>("description");

    const QString headY = QStringLiteral("select * from Customer where 1=1 and Self_Data='Y' ");
    const QString pagY = QStringLiteral("Self_Data=''Y'' ");
    const QString descY = QStringLiteral("查询内部资料全部条件：");
    auto only = [](int box, const QString& value) {
        QStringList b(7);
        b[box] = value;
        return b;
    };

    {
        QStringList b(7);
        b[0] = QStringLiteral("ABC");
        b[4] = QStringLiteral("VIP");
        QTest::newRow("example: ABC and VIP")
            << "Y" << b
            << headY + "and Company_Name like '%ABC%' and Customer_Level=  'VIP' "
            << pagY + "and Company_Name like ''%ABC%'' and Customer_Level=  ''VIP'' "
            << descY + QStringLiteral("公司名称包含：ABC 客户等级为->VIP  ");
    }
    QTest::newRow("no condition, scope Y") << "Y" << QStringList(7) << headY << pagY << descY;
    QTest::newRow("no condition, scope N")
        << "N" << QStringList(7) << QStringLiteral("select * from Customer where 1=1 and Self_Data='N' ")
        << QStringLiteral("Self_Data=''N'' ") << QStringLiteral("查询托管资料全部条件：");
    QTest::newRow("company") << "Y" << only(0, QStringLiteral("华为")) << headY + QStringLiteral("and Company_Name like '%华为%' ")
                             << pagY + QStringLiteral("and Company_Name like ''%华为%'' ")
                             << descY + QStringLiteral("公司名称包含：华为 ");
    QTest::newRow("linkman") << "Y" << only(1, QStringLiteral("张")) << headY + QStringLiteral("and main_linkman like '%张%' ")
                             << pagY + QStringLiteral("and main_linkman like ''%张%'' ")
                             << descY + QStringLiteral("主要联系人包含->张  ");
    QTest::newRow("data type") << "Y" << only(2, QStringLiteral("个人数据"))
                               << headY + QStringLiteral("and Data_Type = '个人数据' ")
                               << pagY + QStringLiteral("and Data_Type = ''个人数据'' ")
                               << descY + QStringLiteral("数据类型为->个人数据  ");
    QTest::newRow("area") << "Y" << only(3, QStringLiteral("华东")) << headY + QStringLiteral("and area=  '华东' ")
                          << pagY + QStringLiteral("and area=  ''华东'' ") << descY + QStringLiteral("行政区域为->华东  ");
    QTest::newRow("level") << "Y" << only(4, QStringLiteral("白金")) << headY + QStringLiteral("and Customer_Level=  '白金' ")
                           << pagY + QStringLiteral("and Customer_Level=  ''白金'' ") << descY + QStringLiteral("客户等级为->白金  ");
    QTest::newRow("source") << "Y" << only(5, QStringLiteral("展会")) << headY + QStringLiteral("and Data_Source = '展会' ")
                            << pagY + QStringLiteral("and Data_Source = ''展会'' ") << descY + QStringLiteral("客户来源为->展会 ");
    QTest::newRow("returned mail") << "Y" << only(6, QStringLiteral("是")) << headY + QStringLiteral("and RejectData = '是' ")
                                   << pagY + QStringLiteral("and RejectData = ''是'' ") << descY + QStringLiteral("退信数据为->是 ");
    QTest::newRow("blanks only count as text")
        << "Y" << only(0, QStringLiteral("  ")) << headY + QStringLiteral("and Company_Name like '%  %' ")
        << pagY + QStringLiteral("and Company_Name like ''%  %'' ") << descY + QStringLiteral("公司名称包含：   ");
    QTest::newRow("single quote in a value")
        << "Y" << only(0, QStringLiteral("O'Brien")) << headY + QStringLiteral("and Company_Name like '%O''Brien%' ")
        << pagY + QStringLiteral("and Company_Name like ''%O''''Brien%'' ") << descY + QStringLiteral("公司名称包含：O'Brien ");
    QStringList all{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                    QStringLiteral("e"), QStringLiteral("f"), QStringLiteral("g")};
    QTest::newRow("every box, in order")
        << "N" << all
        << QStringLiteral("select * from Customer where 1=1 and Self_Data='N' and Company_Name like '%a%' and main_linkman like "
                          "'%b%' and Data_Type = 'c' and area=  'd' and Customer_Level=  'e' and Data_Source = 'f' and "
                          "RejectData = 'g' ")
        << QStringLiteral("Self_Data=''N'' and Company_Name like ''%a%'' and main_linkman like ''%b%'' and Data_Type = ''c'' "
                          "and area=  ''d'' and Customer_Level=  ''e'' and Data_Source = ''f'' and RejectData = ''g'' ")
        << QStringLiteral("查询托管资料全部条件：公司名称包含：a 主要联系人包含->b  数据类型为->c  行政区域为->d  客户等级为->e  "
                          "客户来源为->f 退信数据为->g ");
}

void TestCustomerQuery::filterTriple()
{
    QFETCH(QString, flag);
    QFETCH(QStringList, boxes);
    QuickQueryInput in{boxes[0], boxes[1], boxes[2], boxes[3], boxes[4], boxes[5], boxes[6]};
    const FilterTriple t = CustomerQuery::build(flag, in);
    QTEST(t.querySql, "querySql");
    QTEST(t.pagingFilter, "pagingFilter");
    QTEST(t.queryDescription, "description");
}

void TestCustomerQuery::pagingCallTexts()
{
    QCOMPARE(CustomerPager::firstPageSql(QStringLiteral("Self_Data=''Y'' ")),
             QStringLiteral("exec GetPagingData 'Customer','ID',100,1,'ASC','*','Self_Data=''Y'' ','' "));
    QCOMPARE(CustomerPager::pageSql(QStringLiteral("Self_Data=''Y'' "), 12),
             QStringLiteral("exec GetPagingData 'Customer','ID',100,12,'ASC','*','Self_Data=''Y'' ',''  "));
    QCOMPARE(CustomerPager::totalText(0), QStringLiteral("查询出总数据条数为:0条"));
    QCOMPARE(CustomerPager::totalText(1000000), QStringLiteral("查询出总数据条数为:1000000条"));
}

void TestCustomerQuery::pageCount_data()
{
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("pages");
    QTest::newRow("0") << qint64(0) << 1;
    QTest::newRow("1") << qint64(1) << 1;
    QTest::newRow("100") << qint64(100) << 1;
    QTest::newRow("101") << qint64(101) << 2;
    QTest::newRow("200") << qint64(200) << 2;
    QTest::newRow("201") << qint64(201) << 3;
    QTest::newRow("1000000") << qint64(1000000) << 10000;
    QTest::newRow("1000001") << qint64(1000001) << 10001;
}

void TestCustomerQuery::pageCount()
{
    QFETCH(qint64, total);
    QTEST(CustomerPager::pageCountFor(total), "pages");
}

void TestCustomerQuery::quotedValuesRun_data() { addEngines(); }

// A quote inside a value keeps the statements' meaning: the count and the paging call find the row.
void TestCustomerQuery::quotedValuesRun()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    CustomerRow a;
    a.company = QStringLiteral("O'Brien 贸易");
    a.linkMan = QStringLiteral("D'Arcy");
    CustomerRow b;
    b.company = QStringLiteral("OBrien 贸易");
    b.linkMan = QStringLiteral("Darcy");
    CustomerRow c = a;
    c.scope = QStringLiteral("N");
    insertCustomers(db.connection(), {a, b, c});

    DataSet page(db.connection());
    CustomerPager pager(page);
    QuickQueryInput in;
    in.companyName = QStringLiteral("O'Brien");
    in.linkMan = QStringLiteral("'Arc");
    pager.run(CustomerQuery::build(QStringLiteral("Y"), in));
    QCOMPARE(pager.total().recordCount, qint64(1));
    QCOMPARE(page.recordCount(), 1);
    QCOMPARE(page.asString(QStringLiteral("Company_Name")), a.company);

    // A value made only of quotes must not break out of either literal.
    in = {};
    in.companyName = QStringLiteral("'' or 1=1 --");
    pager.run(CustomerQuery::build(QStringLiteral("Y"), in));
    QCOMPARE(pager.total().recordCount, qint64(0));
    QCOMPARE(page.recordCount(), 0);
    QVERIFY(page.hasField(QStringLiteral("Company_Name")));
}

void TestCustomerQuery::totalsAndBounds_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    for (Engine e : {Engine::SQLite, Engine::PostgreSQL}) {
        const char* name = e == Engine::SQLite ? "sqlite" : "postgresql";
        for (auto [rows, pages] : {std::pair{0, 1}, {100, 1}, {101, 2}, {200, 2}, {201, 3}})
            QTest::addRow("%s %d rows", name, rows) << e << rows << pages;
    }
}

void TestCustomerQuery::totalsAndBounds()
{
    QFETCH(Engine, engine);
    QFETCH(int, rows);
    QFETCH(int, pages);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    insertNumbered(db.connection(), rows);
    insertNumbered(db.connection(), 7, QStringLiteral("N"));   // the other scope is never counted

    DataSet page(db.connection());
    CustomerPager pager(page);
    QCOMPARE(pager.currentPageLabel(), QStringLiteral("当前页："));
    QCOMPARE(pager.totalPageLabel(), QStringLiteral("总页数："));
    QVERIFY(!pager.nextPage());   // nothing to page before a query

    pager.run(CustomerQuery::build(QStringLiteral("Y"), {}));
    QCOMPARE(pager.total().recordCount, qint64(rows));
    QCOMPARE(pager.totalLabel(), QStringLiteral("查询出总数据条数为:%1条").arg(rows));
    QCOMPARE(pager.pageCount(), pages);
    QCOMPARE(pager.totalPageLabel(), QStringLiteral("总页数为：%1").arg(pages));
    QCOMPARE(pager.currentPageLabel(), QStringLiteral("当前页为：1"));
    QCOMPARE(pager.currentPage(), 1);
    QCOMPARE(page.recordCount(), std::min(rows, 100));
    QVERIFY(page.hasField(QStringLiteral("Comsum_Character")));

    // On page 1: "首页" and "上一页" do nothing.
    QVERIFY(!pager.firstPage());
    QVERIFY(!pager.priorPage());
    QCOMPARE(pager.currentPageLabel(), QStringLiteral("当前页为：1"));

    QCOMPARE(pager.nextPage(), pages > 1);
    QCOMPARE(pager.lastPage(), pages > 2);
    QCOMPARE(pager.currentPage(), pages);
    // On the last page: "下一页" and "尾页" do nothing.
    QVERIFY(!pager.nextPage());
    QVERIFY(!pager.lastPage());
    const int lastRows = rows == 0 ? 0 : rows - (pages - 1) * 100;
    QCOMPARE(page.recordCount(), lastRows);
    if (pages > 1) {
        QCOMPARE(pager.currentPageLabel(), QStringLiteral("当前页：%1").arg(pages));
        QVERIFY(pager.priorPage());
        QCOMPARE(pager.currentPage(), pages - 1);
        QCOMPARE(page.recordCount(), 100);
        QVERIFY(pager.lastPage());
        QVERIFY(pager.firstPage());
        QCOMPARE(pager.currentPageLabel(), QStringLiteral("当前页：1"));
        QCOMPARE(page.asString(QStringLiteral("Company_Name")), QStringLiteral("测试公司1"));
    }
}

void TestCustomerQuery::lastPageHoldsTheRest_data() { addEngines(); }

// 250 matching rows: page 1 the 100 smallest IDs, page 3 the last 50.
void TestCustomerQuery::lastPageHoldsTheRest()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    // Matching rows interleaved with rows of the other scope, so IDs have gaps.
    QList<CustomerRow> rows;
    for (int i = 1; i <= 250; ++i) {
        CustomerRow r;
        r.company = QStringLiteral("甲%1").arg(i, 3, 10, QLatin1Char('0'));
        rows << r;
        CustomerRow other = r;
        other.scope = QStringLiteral("N");
        rows << other;
    }
    insertCustomers(db.connection(), rows);
    QSqlQuery ids = db.connection().query(QStringLiteral("select ID from Customer where Self_Data='Y' order by ID"));
    QList<qlonglong> all;
    while (ids.next())
        all << ids.value(0).toLongLong();
    QCOMPARE(all.size(), 250);

    DataSet page(db.connection());
    CustomerPager pager(page);
    pager.run(CustomerQuery::build(QStringLiteral("Y"), {}));
    QCOMPARE(pager.pageCount(), 3);
    QCOMPARE(page.recordCount(), 100);
    page.first();
    QCOMPARE(page.asInt(QStringLiteral("ID")), all.first());
    page.last();
    QCOMPARE(page.asInt(QStringLiteral("id")), all.at(99));

    QVERIFY(pager.lastPage());
    QCOMPARE(page.recordCount(), 50);
    QList<qlonglong> got;
    for (int i = 0; i < page.recordCount(); ++i) {
        page.setRecNo(i);
        got << page.asInt(QStringLiteral("ID"));
    }
    QCOMPARE(got, all.mid(200));
    QCOMPARE(pager.currentPageLabel(), QStringLiteral("当前页：3"));
}

void TestCustomerQuery::conditionsSelectTheirRows_data() { addEngines(); }

// Each condition restricts the rows the way its box says; comparison ignores letter case.
void TestCustomerQuery::conditionsSelectTheirRows()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    CustomerRow a;
    a.company = QStringLiteral("Acme 北京分公司");
    a.linkMan = QStringLiteral("王小明");
    a.level = QStringLiteral("VIP");
    CustomerRow b;
    b.company = QStringLiteral("北京大华");
    b.dataType = QStringLiteral("个人数据");
    b.linkMan = QStringLiteral("李四");
    b.reject = QStringLiteral("是");
    CustomerRow c;
    c.company = QStringLiteral("上海 ACME");
    c.linkMan = QStringLiteral("王五");
    insertCustomers(db.connection(), {a, b, c});

    DataSet page(db.connection());
    CustomerPager pager(page);
    auto count = [&](QuickQueryInput in) {
        pager.run(CustomerQuery::build(QStringLiteral("Y"), in));
        return pager.total().recordCount;
    };
    QuickQueryInput in;
    in.companyName = QStringLiteral("北京");
    QCOMPARE(count(in), qint64(2));
    in.companyName = QStringLiteral("acme");
    QCOMPARE(count(in), qint64(2));
    in = {};
    in.linkMan = QStringLiteral("王");
    QCOMPARE(count(in), qint64(2));
    in.level = QStringLiteral("VIP");
    QCOMPARE(count(in), qint64(1));
    in = {};
    in.reject = QStringLiteral("是");
    QCOMPARE(count(in), qint64(1));
    QCOMPARE(page.asString(QStringLiteral("Company_Name")), b.company);
    in = {};
    in.dataType = QStringLiteral("个人数据");
    QCOMPARE(count(in), qint64(1));
}

void TestCustomerQuery::failedFetchKeepsThePage_data() { addEngines(); }

// When a page cannot be fetched the current page number stays with the page the labels show.
void TestCustomerQuery::failedFetchKeepsThePage()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    TestDatabase db(engine);
    insertNumbered(db.connection(), 250);
    DataSet page(db.connection());
    CustomerPager pager(page);
    pager.run(CustomerQuery::build(QStringLiteral("Y"), {}));
    QVERIFY(pager.nextPage());
    QCOMPARE(pager.currentPage(), 2);

    db.connection().execute(QStringLiteral("alter table Customer rename to Customer_gone"));
    QVERIFY_THROWS_EXCEPTION(DbError, pager.nextPage());
    QCOMPARE(pager.currentPage(), 2);
    QCOMPARE(pager.currentPageLabel(), QStringLiteral("当前页：2"));
    QVERIFY_THROWS_EXCEPTION(DbError, pager.lastPage());
    QCOMPARE(pager.currentPage(), 2);

    db.connection().execute(QStringLiteral("alter table Customer_gone rename to Customer"));
    QVERIFY(pager.nextPage());
    QCOMPARE(pager.currentPage(), 3);
    QCOMPARE(page.recordCount(), 50);
}

namespace {
struct CountingWait : WaitIndicator {
    int shown = 0;
    int hidden = 0;
    void showWait() override { ++shown; }
    void hideWait() override { ++hidden; }
};
} // namespace

// The wait window is up while the server counts and pages, and down again also when a fetch fails.
void TestCustomerQuery::waitWindowAroundEveryFetch()
{
    TestDatabase db(Engine::SQLite);
    insertNumbered(db.connection(), 150);
    CountingWait wait;
    setWaitIndicator(&wait);
    DataSet page(db.connection());
    CustomerPager pager(page);
    pager.run(CustomerQuery::build(QStringLiteral("Y"), {}));
    QCOMPARE(wait.shown, 1);
    QCOMPARE(wait.hidden, 1);
    QVERIFY(pager.nextPage());
    QCOMPARE(wait.shown, 2);
    QVERIFY(!pager.nextPage());   // at the bound nothing is fetched
    QCOMPARE(wait.shown, 2);
    QuickQueryInput bad;
    bad.companyName = QStringLiteral("x");
    FilterTriple broken = CustomerQuery::build(QStringLiteral("Y"), bad);
    broken.querySql += QStringLiteral(" and NoSuchColumn = 1");
    QVERIFY_THROWS_EXCEPTION(DbError, pager.run(broken));
    QCOMPARE(wait.shown, 3);
    QCOMPARE(wait.hidden, 3);
    // The renderings keep what was built; the page that was on show stays paged by the old numbers.
    QCOMPARE(pager.filter().querySql, broken.querySql);
    setWaitIndicator(nullptr);
}

QTEST_GUILESS_MAIN(TestCustomerQuery)
#include "tst_customer_query.moc"
