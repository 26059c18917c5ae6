#include "customer_fixture.h"
#include "customer_window.h"
#include "data_module.h"
#include "data_set.h"
#include "date_box.h"
#include "date_text.h"
#include "schema.h"
#include "scripted_dialogs.h"
#include "shell_commands.h"
#include "test_database.h"

#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kSaveFirst = QStringLiteral("请先保存当前编辑的信息.");

struct RecordingShell : ShellCommands {
    QStringList ran;
    std::function<void(const QString&)> onRun;
    void runDictionaryCommand(const QString& table) override
    {
        ran << table;
        if (onRun)
            onRun(table);
    }
};

// A customer window on a fresh database, logged in as the given user, with scripted dialogs.
struct Fixture {
    explicit Fixture(Engine engine = Engine::SQLite, const QString& user = QStringLiteral("Admin"))
        : db(engine), dm(db.folder() + QStringLiteral("/Account.Ini"))
    {
        db.connection().execute(
            QStringLiteral("insert into Pub_User (UserCode, UserName) values ('nobody', '无权限')"));
        db.connection().execute(QStringLiteral(
            "insert into Pub_User (UserCode, UserName, New, Edit, Del, Query, Export, Import, Print) "
            "values ('printer', '打印员', 0, 0, 0, 1, 0, 0, 1)"));
        conn = &db.connection();
        dm.adoptConnection(db.release());
        dm.CurrentUserCode = user;
        setDataModule(&dm);
    }
    ~Fixture()
    {
        window.reset();
        setDataModule(nullptr);
    }
    CustomerWindow& open(const QString& flag = QStringLiteral("Y"))
    {
        window = std::make_unique<CustomerWindow>();
        window->setSelfDataFlag(flag);
        window->resize(1000, 700);
        window->show();
        // The toolbar lays its buttons out (and shows them) from the event loop.
        QCoreApplication::processEvents();
        return *window;
    }
    template <class T>
    T* child(const char* name) const
    {
        T* w = window->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    void click(const char* button) { child<QAbstractButton>(button)->click(); }
    QTabWidget* pages() const { return child<QTabWidget>("PageInput"); }
    QTableView* grid() const { return child<QTableView>("DBG_Customer"); }
    qint64 count(const QString& where = QStringLiteral("1=1"))
    {
        return conn->countRows(QStringLiteral("select * from Customer where ") + where);
    }
    void selectRows(const QList<int>& rows)
    {
        QTableView* g = grid();
        g->clearSelection();
        for (int r : rows)
            g->selectionModel()->select(g->model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    TestDatabase db;
    DataModule dm;
    Connection* conn = nullptr;
    ScriptedDialogs dialogs;
    std::unique_ptr<CustomerWindow> window;
};

} // namespace

class TestCustomerWindow : public QObject {
    Q_OBJECT
private slots:
    void layoutAndCaptions();
    void importMenuFollowsScope();
    void refusalsWhileEditing();
    void addAndSave_data();
    void addAndSave();
    void saveRefusals();
    void badDateKeepsRecordPending();
    void editSkipsDuplicateTest();
    void deleteSelectedRows();
    void rightsHideButtonsButGridMenuDeletes();
    void quickQueryAndPaging();
    void pickListsRefillAndPlusButtons();
    void navigationMovesWithinPage();
    void keyboard();
    void exitClosesTheMdiChild();
    void screenshots();
};

void TestCustomerWindow::layoutAndCaptions()
{
    Fixture f;
    CustomerWindow& w = f.open();
    QVERIFY2(f.dialogs.shown.isEmpty(), qPrintable(f.dialogs.texts().join(QLatin1Char('|'))));
    QCOMPARE(w.windowTitle(), QStringLiteral("内部客户资料"));
    const QList<std::pair<const char*, QString>> buttons{
        {"TB_Add", "增加&A"},  {"TB_Edit", "修改&E"}, {"TB_Delete", "删除&D"}, {"TB_Save", "保存&S"},
        {"TB_Cancel", "取消&C"}, {"TB_First", "最前"}, {"TB_Prio", "向前"},     {"TB_Next", "向后"},
        {"TB_Last", "最后"},   {"TB_Import", "导入"}, {"TB_Export", "导出"},   {"TB_Print", "打印"},
        {"TB_Exit", "退出&X"}};
    for (const auto& [name, text] : buttons) {
        QCOMPARE(f.child<QToolButton>(name)->text(), text);
        QVERIFY2(f.child<QToolButton>(name)->isVisible(), name);   // Admin holds every right
    }
    QCOMPARE(f.child<QToolButton>("TB_First")->toolTip(), QStringLiteral("第一张单"));
    QCOMPARE(f.child<QToolButton>("TB_Prio")->toolTip(), QStringLiteral("前一张单"));
    QCOMPARE(f.child<QToolButton>("TB_Next")->toolTip(), QStringLiteral("后一张单"));
    QCOMPARE(f.child<QToolButton>("TB_Last")->toolTip(), QStringLiteral("第末张单"));
    QStringList printItems;
    for (QAction* a : f.child<QToolButton>("TB_Print")->menu()->actions())
        printItems << a->text();
    QCOMPARE(printItems, (QStringList{"打印信封", "信封页面调整", "打印客户详细信息", "客户详细信息页面调整"}));

    QCOMPARE(f.pages()->count(), 2);
    QCOMPARE(f.pages()->tabText(0), QStringLiteral("客户列表"));
    QCOMPARE(f.pages()->tabText(1), QStringLiteral("详细资料"));
    QCOMPARE(f.pages()->currentIndex(), 0);
    QStringList headers;
    for (int c = 0; c < f.grid()->model()->columnCount(); ++c)
        headers << f.grid()->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"客户编号", "数据类型", "公司名称", "主联系人", "地址", "电话", "行政区域", "客户来源"}));
    QCOMPARE(f.grid()->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(f.grid()->selectionMode(), QAbstractItemView::ExtendedSelection);

    QCOMPARE(f.child<QPushButton>("SB_Qry")->text(), QStringLiteral("查   询"));
    QVERIFY(f.child<QPushButton>("SB_Qry")->isEnabled());
    QVERIFY(!f.child<QPushButton>("btSaveQuery")->isEnabled());
    for (const char* b : {"BtnFirst", "BtnPri", "BtnNext", "BtnLast"})
        QVERIFY(!f.child<QPushButton>(b)->isEnabled());
    QCOMPARE(f.child<QLabel>("LbCurrentPage")->text(), QStringLiteral("当前页："));
    QCOMPARE(f.child<QLabel>("LbTotalPage")->text(), QStringLiteral("总页数："));
    QVERIFY(f.child<QLineEdit>("Edit1")->text().isEmpty());
    QVERIFY(f.child<QLineEdit>("Edit1")->isReadOnly());
    QStringList reject;
    for (int i = 0; i < f.child<QComboBox>("cbxReject")->count(); ++i)
        reject << f.child<QComboBox>("cbxReject")->itemText(i);
    QCOMPARE(reject, (QStringList{"", "是", "否"}));
    QCOMPARE(f.child<QComboBox>("cbxSource")->count(), 5);   // the built-in items before the first drop-down

    // Browse mode: the detail panel is read-only; code and dates are never editable.
    QVERIFY(!f.child<QWidget>("MainFrame")->isEnabled());
    f.click("TB_Add");
    QVERIFY(f.child<QWidget>("MainFrame")->isEnabled());
    QVERIFY(!f.child<QLineEdit>("edCode")->isEnabled());
    QVERIFY(!f.child<DateBox>("dtUpdate_Date")->isEnabled());
    QVERIFY(!f.child<DateBox>("dtCreate_Date")->isEnabled());
    QVERIFY(f.child<DateBox>("dtBorn_Date")->isEnabled());
    QCOMPARE(f.child<QToolButton>("btAddPosition")->toolTip(), QStringLiteral("点击增加"));
}

void TestCustomerWindow::importMenuFollowsScope()
{
    Fixture f;
    CustomerWindow& w = f.open();
    QMenu* menu = f.child<QToolButton>("TB_Import")->menu();
    auto* inner = f.child<QAction>("MIInner");
    auto* out = f.child<QAction>("MIOut");
    QCOMPARE(inner->text(), QStringLiteral("内部客户资料"));
    QCOMPARE(out->text(), QStringLiteral("托管客户资料"));
    emit menu->aboutToShow();
    QVERIFY(inner->isEnabled());
    QVERIFY(!out->isEnabled());
    w.setSelfDataFlag(QStringLiteral("N"));
    emit menu->aboutToShow();
    QVERIFY(!inner->isEnabled());
    QVERIFY(out->isEnabled());
    QSignalSpy spy(&w, &CustomerWindow::importRequested);
    out->trigger();
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("N"));
}

void TestCustomerWindow::refusalsWhileEditing()
{
    Fixture f;
    insertNumbered(*f.conn, 3);
    CustomerWindow& w = f.open();
    f.click("SB_Qry");
    f.click("TB_Add");
    QCOMPARE(w.editMode(), 1);
    QCOMPARE(w.windowTitle(), QStringLiteral("内部客户资料--增加"));
    QCOMPARE(f.pages()->currentIndex(), 1);
    QVERIFY(f.dialogs.shown.isEmpty());
    QCOMPARE(w.customerPage()->recordCount(), 4);

    // Adding or editing again does nothing and says nothing.
    f.click("TB_Add");
    f.click("TB_Edit");
    QCOMPARE(w.editMode(), 1);
    QCOMPARE(w.customerPage()->recordCount(), 4);
    QVERIFY(f.dialogs.shown.isEmpty());

    f.pages()->setCurrentIndex(0);
    QCOMPARE(f.pages()->currentIndex(), 1);
    QCOMPARE(f.dialogs.lastText(), kSaveFirst);
    for (const char* nav : {"TB_First", "TB_Prio", "TB_Next", "TB_Last"}) {
        f.dialogs.clear();
        f.click(nav);
        QCOMPARE(f.dialogs.texts(), QStringList{kSaveFirst});
        QCOMPARE(f.dialogs.shown.first().kind, QStringLiteral("notice"));
    }
    QCOMPARE(w.customerPage()->recNo(), 3);
    QVERIFY(w.customerPage()->isEditing());

    // Deleting would move off the new record and post it unchecked.
    f.dialogs.clear();
    f.selectRows({0});
    f.click("TB_Delete");
    QCOMPARE(f.dialogs.texts(), QStringList{kSaveFirst});
    QCOMPARE(f.count(), qint64(3));

    f.dialogs.clear();
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("当前处于编辑状态,请先保存数据.")});

    f.click("TB_Cancel");
    QCOMPARE(w.editMode(), 0);
    QCOMPARE(w.windowTitle(), QStringLiteral("内部客户资料"));
    QCOMPARE(w.customerPage()->recordCount(), 3);
    QCOMPARE(f.count(), qint64(3));
    f.dialogs.clear();
    f.pages()->setCurrentIndex(0);
    QCOMPARE(f.pages()->currentIndex(), 0);
    QVERIFY(f.dialogs.shown.isEmpty());

    // Save with nothing pending does nothing.
    f.click("TB_Save");
    QVERIFY(f.dialogs.shown.isEmpty());
    // Edit on an empty page does nothing.
    QuickQueryInput none;
    none.companyName = QStringLiteral("没有这家");
    w.runQuery(CustomerQuery::build(QStringLiteral("Y"), none), true);
    QCOMPARE(w.customerPage()->recordCount(), 0);
    f.click("TB_Edit");
    QCOMPARE(w.editMode(), 0);
    QVERIFY(w.close());
}

void TestCustomerWindow::addAndSave_data() { addEngines(); }

void TestCustomerWindow::addAndSave()
{
    QFETCH(Engine, engine);
    SKIP_WITHOUT_ENGINE(engine);
    Fixture f(engine);
    CustomerWindow& w = f.open(QStringLiteral("N"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    f.click("TB_Add");
    QCOMPARE(w.windowTitle(), QStringLiteral("托管客户资料--增加"));
    QVERIFY(f.child<QLineEdit>("edCode")->text().startsWith(QLatin1Char('O')));
    QCOMPARE(f.child<QComboBox>("cbRejectData")->currentText(), QStringLiteral("否"));
    QVERIFY(!f.child<DateBox>("dtCreate_Date")->text().isEmpty());
    f.child<QComboBox>("cbData_Type")->setCurrentText(QStringLiteral("企业数据"));
    f.child<QLineEdit>("edCompany_Name")->setText(QStringLiteral("新星贸易"));
    f.child<QLineEdit>("edAddress")->setText(QStringLiteral("人民路 8 号"));
    f.child<QLineEdit>("edRegister_Bankrol")->setText(QStringLiteral("500000"));
    f.child<DateBox>("dtRegister_Date")->setText(QStringLiteral("2001-02-03"));
    f.child<QComboBox>("cbCustomer_Level")->setCurrentText(QStringLiteral("白金"));
    f.child<QComboBox>("cbArea")->setEditText(QStringLiteral("不在字典里"));
    f.click("TB_Save");
    QVERIFY2(f.dialogs.shown.isEmpty(), qPrintable(f.dialogs.texts().join(QLatin1Char('|'))));
    QCOMPARE(w.editMode(), 0);
    QCOMPARE(w.windowTitle(), QStringLiteral("托管客户资料"));
    QCOMPARE(f.pages()->currentIndex(), 1);   // the detail page stays on show

    DataSet* page = w.customerPage();
    const qlonglong id = page->asInt(QStringLiteral("ID"));
    QVERIFY(id > 0);
    QSqlQuery q = f.conn->query(QStringLiteral(
        "select Code, Self_Data, Data_Type, Company_Name, Address, Register_Bankrol, Register_Date, Customer_Level, Area, "
        "RejectData, Create_Date, Update_Date from Customer where ID=%1").arg(id));
    QVERIFY(q.next());
    QVERIFY(q.value(0).toString().startsWith(QLatin1Char('O')));
    QCOMPARE(q.value(0).toString(), f.child<QLineEdit>("edCode")->text());
    QCOMPARE(q.value(1).toString(), QStringLiteral("N"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("企业数据"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("新星贸易"));
    QCOMPARE(q.value(4).toString(), QStringLiteral("人民路 8 号"));
    QCOMPARE(q.value(5).toDouble(), 500000.0);
    QCOMPARE(DateText::fromVariant(q.value(6)).date(), QDate(2001, 2, 3));
    QCOMPARE(q.value(7).toString(), QStringLiteral("白金"));
    QCOMPARE(q.value(8).toString(), QStringLiteral("不在字典里"));
    QCOMPARE(q.value(9).toString(), QStringLiteral("否"));
    const QDateTime created = DateText::fromVariant(q.value(10));
    QVERIFY(created >= before && created <= QDateTime::currentDateTime().addSecs(1));
    QCOMPARE(DateText::fromVariant(q.value(11)), created);
    QCOMPARE(f.count(), qint64(1));
}

void TestCustomerWindow::saveRefusals()
{
    Fixture f;
    CustomerRow firm;
    firm.company = QStringLiteral("大华科技");
    insertCustomers(*f.conn, {firm});
    CustomerWindow& w = f.open();
    f.click("TB_Add");
    f.child<QLineEdit>("edCompany_Name")->setText(QStringLiteral("大华科技"));
    f.click("TB_Save");
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("数据类型不能为空")});
    QCOMPARE(f.dialogs.shown.last().kind, QStringLiteral("notice"));
    QCOMPARE(w.editMode(), 1);

    f.dialogs.clear();
    f.child<QComboBox>("cbData_Type")->setCurrentText(QStringLiteral("企业数据"));
    f.click("TB_Save");
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("已经有此客户名称的信息,不能重名")});
    QCOMPARE(f.dialogs.shown.last().kind, QStringLiteral("message"));
    QCOMPARE(w.editMode(), 1);
    QVERIFY(w.customerPage()->isEditing());

    f.dialogs.clear();
    f.child<QLineEdit>("edCompany_Name")->clear();
    f.click("TB_Save");
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("公司名称和主要联系人不能同时为空")});
    QCOMPARE(w.editMode(), 1);

    // The same name in the other scope is no duplicate.
    f.dialogs.clear();
    f.click("TB_Cancel");
    w.setSelfDataFlag(QStringLiteral("N"));
    f.click("TB_Add");
    f.child<QComboBox>("cbData_Type")->setCurrentText(QStringLiteral("企业数据"));
    f.child<QLineEdit>("edCompany_Name")->setText(QStringLiteral("大华科技"));
    f.click("TB_Save");
    QVERIFY(f.dialogs.shown.isEmpty());
    QCOMPARE(f.count(QStringLiteral("Company_Name='大华科技'")), qint64(2));
    QCOMPARE(f.count(QStringLiteral("Self_Data='N'")), qint64(1));
}

void TestCustomerWindow::badDateKeepsRecordPending()
{
    Fixture f;
    CustomerWindow& w = f.open();
    f.click("TB_Add");
    f.child<QComboBox>("cbData_Type")->setCurrentText(QStringLiteral("个人数据"));
    f.child<QLineEdit>("edMain_LinkMan")->setText(QStringLiteral("赵六"));
    f.child<DateBox>("dtBorn_Date")->setText(QStringLiteral("1990-13-45"));
    f.click("TB_Save");
    QCOMPARE(f.dialogs.count(QStringLiteral("error")), 1);
    QVERIFY(f.dialogs.lastText().contains(QStringLiteral("Born_Date")));
    QCOMPARE(w.editMode(), 1);
    QCOMPARE(f.count(), qint64(0));
    QCOMPARE(f.child<QLineEdit>("edMain_LinkMan")->text(), QStringLiteral("赵六"));   // nothing typed is lost

    f.dialogs.clear();
    f.child<DateBox>("dtBorn_Date")->setText(QStringLiteral("1990-12-05"));
    f.click("TB_Save");
    QVERIFY(f.dialogs.shown.isEmpty());
    QCOMPARE(w.editMode(), 0);
    QSqlQuery q = f.conn->query(QStringLiteral("select Main_LinkMan, Born_Date from Customer"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("赵六"));
    QCOMPARE(DateText::fromVariant(q.value(1)).date(), QDate(1990, 12, 5));
}

void TestCustomerWindow::editSkipsDuplicateTest()
{
    Fixture f;
    insertNumbered(*f.conn, 3);
    CustomerWindow& w = f.open();
    f.click("SB_Qry");
    w.customerPage()->setRecNo(1);
    const QDateTime stamped = w.customerPage()->value(QStringLiteral("Update_Date")).toDateTime();
    f.click("TB_Edit");
    QCOMPARE(w.editMode(), 2);
    QCOMPARE(w.windowTitle(), QStringLiteral("内部客户资料--修改"));
    QCOMPARE(f.pages()->currentIndex(), 1);
    QCOMPARE(f.child<QLineEdit>("edCompany_Name")->text(), QStringLiteral("测试公司2"));
    f.child<QLineEdit>("edCompany_Name")->setText(QStringLiteral("测试公司1"));   // another record's name
    f.click("TB_Save");
    QVERIFY(f.dialogs.shown.isEmpty());
    QCOMPARE(w.editMode(), 0);
    QCOMPARE(f.count(QStringLiteral("Company_Name='测试公司1'")), qint64(2));
    QSqlQuery q = f.conn->query(QStringLiteral("select Update_Date, Main_LinkMan, Create_Date from Customer where Company_Name='测试公司1' "
                                               "and Main_LinkMan='联系人2'"));
    QVERIFY(q.next());
    QVERIFY(DateText::fromVariant(q.value(0)) > stamped);
    // Untouched controls are not written: the creation time keeps its seconds.
    QCOMPARE(DateText::fromVariant(q.value(2)), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    // The totals stay as the query left them.
    QCOMPARE(f.child<QLineEdit>("Edit1")->text(), QStringLiteral("查询出总数据条数为:3条"));
}

void TestCustomerWindow::deleteSelectedRows()
{
    Fixture f;
    insertNumbered(*f.conn, 6);
    CustomerWindow& w = f.open();
    f.click("SB_Qry");
    QCOMPARE(w.customerPage()->recordCount(), 6);

    f.grid()->clearSelection();
    f.click("TB_Delete");
    QVERIFY(f.dialogs.shown.isEmpty());   // nothing selected: no question

    f.selectRows({4, 1, 3});
    f.dialogs.answerNo();
    f.click("TB_Delete");
    QCOMPARE(f.dialogs.count(QStringLiteral("yesno")), 1);
    QCOMPARE(f.count(), qint64(6));

    f.dialogs.clear();
    f.selectRows({4, 1, 3});
    f.dialogs.answerYes();
    f.click("TB_Delete");
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("确实要删除当前数据吗？")});
    QCOMPARE(f.count(), qint64(3));
    QStringList left;
    QSqlQuery q = f.conn->query(QStringLiteral("select Company_Name from Customer order by ID"));
    while (q.next())
        left << q.value(0).toString();
    QCOMPARE(left, (QStringList{"测试公司1", "测试公司3", "测试公司6"}));
    QCOMPARE(w.customerPage()->recordCount(), 3);
    QCOMPARE(f.child<QLineEdit>("Edit1")->text(), QStringLiteral("查询出总数据条数为:6条"));

    // "全选" selects the page; sorted rows are deleted as shown.
    f.grid()->sortByColumn(2, Qt::DescendingOrder);
    f.click("Button1");
    QCOMPARE(f.grid()->selectionModel()->selectedRows().size(), 3);
    f.dialogs.answerYes();
    f.click("TB_Delete");
    QCOMPARE(f.count(), qint64(0));
}

void TestCustomerWindow::rightsHideButtonsButGridMenuDeletes()
{
    Fixture f(Engine::SQLite, QStringLiteral("nobody"));
    insertNumbered(*f.conn, 4);
    CustomerWindow& w = f.open();
    for (const char* b : {"TB_Add", "TB_Edit", "TB_Delete", "TB_Import", "TB_Export", "TB_Print"})
        QVERIFY2(!f.child<QToolButton>(b)->isVisible(), b);
    for (const char* b : {"TB_Save", "TB_Cancel", "TB_First", "TB_Next", "TB_Exit"})
        QVERIFY2(f.child<QToolButton>(b)->isVisible(), b);
    QVERIFY(!f.child<QPushButton>("SB_Qry")->isEnabled());
    QVERIFY(!f.child<QPushButton>("SB_AQry")->isEnabled());

    // The grid's menu is no right of its own.
    w.runQuery(CustomerQuery::build(QStringLiteral("Y"), {}), true);
    f.selectRows({0, 2});
    f.dialogs.answerYes();
    f.child<QAction>("N7")->trigger();
    QCOMPARE(f.dialogs.count(QStringLiteral("yesno")), 1);
    QCOMPARE(f.count(), qint64(2));
    f.child<QAction>("N6")->trigger();
    QCOMPARE(f.grid()->selectionModel()->selectedRows().size(), 2);

    Fixture g(Engine::SQLite, QStringLiteral("printer"));
    g.open();
    QVERIFY(g.child<QToolButton>("TB_Print")->isVisible());
    QVERIFY(!g.child<QToolButton>("TB_Add")->isVisible());
    QVERIFY(g.child<QPushButton>("SB_Qry")->isEnabled());
}

void TestCustomerWindow::quickQueryAndPaging()
{
    Fixture f;
    insertNumbered(*f.conn, 250, QStringLiteral("Y"), QStringLiteral("甲公司"));
    insertNumbered(*f.conn, 20, QStringLiteral("Y"), QStringLiteral("乙公司"));
    CustomerWindow& w = f.open();
    f.child<QLineEdit>("edQryCName")->setText(QStringLiteral("甲"));
    f.click("SB_Qry");
    QCOMPARE(f.child<QLineEdit>("Edit1")->text(), QStringLiteral("查询出总数据条数为:250条"));
    QCOMPARE(f.child<QLabel>("LbTotalPage")->text(), QStringLiteral("总页数为：3"));
    QCOMPARE(f.child<QLabel>("LbCurrentPage")->text(), QStringLiteral("当前页为：1"));
    QVERIFY(f.child<QPushButton>("btSaveQuery")->isEnabled());
    for (const char* b : {"BtnFirst", "BtnPri", "BtnNext", "BtnLast"})
        QVERIFY(f.child<QPushButton>(b)->isEnabled());
    QCOMPARE(w.pager().filter().querySql,
             QStringLiteral("select * from Customer where 1=1 and Self_Data='Y' and Company_Name like '%甲%' "));
    QCOMPARE(w.pager().total().querySql, w.pager().filter().querySql);
    QCOMPARE(f.grid()->model()->rowCount(), 100);

    // The boxes changed, the paging still follows the last query.
    f.child<QLineEdit>("edQryCName")->setText(QStringLiteral("乙"));
    f.click("BtnNext");
    QCOMPARE(f.child<QLabel>("LbCurrentPage")->text(), QStringLiteral("当前页：2"));
    QCOMPARE(w.customerPage()->recordCount(), 100);
    QVERIFY(w.customerPage()->asString(QStringLiteral("Company_Name")).startsWith(QStringLiteral("甲公司")));
    f.click("BtnLast");
    QCOMPARE(f.child<QLabel>("LbCurrentPage")->text(), QStringLiteral("当前页：3"));
    QCOMPARE(w.customerPage()->recordCount(), 50);
    f.click("BtnNext");   // at the bound: nothing
    QCOMPARE(w.pager().currentPage(), 3);
    f.click("BtnFirst");
    QCOMPARE(f.child<QLabel>("LbCurrentPage")->text(), QStringLiteral("当前页：1"));
    f.click("BtnPri");
    QCOMPARE(w.pager().currentPage(), 1);
    QVERIFY(f.dialogs.shown.isEmpty());

    // A new query takes the boxes as they are now; 0 rows give one page.
    f.child<QLineEdit>("edQryCName")->setText(QStringLiteral("丙"));
    f.click("SB_Qry");
    QCOMPARE(f.child<QLineEdit>("Edit1")->text(), QStringLiteral("查询出总数据条数为:0条"));
    QCOMPARE(f.child<QLabel>("LbTotalPage")->text(), QStringLiteral("总页数为：1"));
    QCOMPARE(f.grid()->model()->rowCount(), 0);
    f.click("BtnNext");
    f.click("BtnLast");
    QCOMPARE(f.child<QLabel>("LbCurrentPage")->text(), QStringLiteral("当前页为：1"));

    // A failing count is reported, and the window stays usable.
    f.conn->execute(QStringLiteral("alter table Customer rename to Customer_gone"));
    f.click("SB_Qry");
    QCOMPARE(f.dialogs.count(QStringLiteral("error")), 1);
    f.conn->execute(QStringLiteral("alter table Customer_gone rename to Customer"));
    f.child<QLineEdit>("edQryCName")->clear();
    f.click("SB_Qry");
    QCOMPARE(f.child<QLineEdit>("Edit1")->text(), QStringLiteral("查询出总数据条数为:270条"));
}

void TestCustomerWindow::pickListsRefillAndPlusButtons()
{
    Fixture f;
    RecordingShell shell;
    setShellCommands(&shell);
    CustomerWindow& w = f.open();
    f.click("TB_Add");
    auto* box = f.child<QComboBox>("cbPosition_Name");
    box->setEditText(QStringLiteral("我打的字"));
    box->showPopup();
    box->hidePopup();
    QCOMPARE(box->itemText(0), QString());
    QCOMPARE(box->count(), 1 + int(f.conn->countRows(QStringLiteral("select name from Position "))));
    QCOMPARE(box->currentText(), QStringLiteral("我打的字"));   // a refill keeps what was typed

    // "+" runs the main window's dictionary command; the new name is listed at the next drop-down.
    shell.onRun = [&](const QString& table) {
        f.conn->execute(QStringLiteral("insert into %1 (Name) values ('  新职位  ')").arg(table));
    };
    f.click("btAddPosition");
    QCOMPARE(shell.ran, QStringList{QStringLiteral("Position")});
    QCOMPARE(box->findText(QStringLiteral("新职位")), -1);
    box->showPopup();
    box->hidePopup();
    QVERIFY(box->findText(QStringLiteral("新职位")) > 0);

    const QList<std::pair<const char*, QString>> plus{{"btAddTrade", "Trade"},       {"btAddArea", "Area"},
                                                      {"btAddProvince", "Province"}, {"btAddDataSource", "DataSource"},
                                                      {"btAddCountry", "Country"},   {"btAddCity", "City"}};
    shell.onRun = nullptr;
    for (const auto& [button, table] : plus) {
        f.click(button);
        QCOMPARE(shell.ran.last(), table);
    }

    // The query panel's source list leaves its built-in items at the first drop-down.
    auto* source = f.child<QComboBox>("cbxSource");
    f.click("TB_Cancel");
    source->showPopup();
    source->hidePopup();
    QCOMPARE(source->count(), 1 + int(f.conn->countRows(QStringLiteral("select name from DataSource "))));
    setShellCommands(nullptr);
    Q_UNUSED(w);
}

void TestCustomerWindow::navigationMovesWithinPage()
{
    Fixture f;
    insertNumbered(*f.conn, 5);
    CustomerWindow& w = f.open();
    f.click("SB_Qry");
    DataSet* page = w.customerPage();
    f.click("TB_Last");
    QCOMPARE(page->recNo(), 4);
    QCOMPARE(f.grid()->currentIndex().row(), 4);
    f.click("TB_Prio");
    QCOMPARE(page->recNo(), 3);
    f.click("TB_First");
    QCOMPARE(page->recNo(), 0);
    f.click("TB_Next");
    QCOMPARE(page->recNo(), 1);
    // A click in the grid moves the current record; the detail page shows it.
    f.grid()->setCurrentIndex(f.grid()->model()->index(3, 2));
    QCOMPARE(page->recNo(), 3);
    QCOMPARE(f.child<QLineEdit>("edCompany_Name")->text(), QStringLiteral("测试公司4"));
    QVERIFY(f.dialogs.shown.isEmpty());
}

void TestCustomerWindow::keyboard()
{
    Fixture f;
    CustomerWindow& w = f.open();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // Alt with the underlined letter presses the toolbar button.
    QTest::keyClick(f.grid(), Qt::Key_A, Qt::AltModifier);
    QCOMPARE(w.editMode(), 1);
    auto* company = f.child<QLineEdit>("edCompany_Name");
    company->setFocus();
    QTest::keyClicks(company, QStringLiteral("ab"));
    QTest::keyClick(company, Qt::Key_Return);
    QCOMPARE(company->text(), QStringLiteral("ab"));
    QCOMPARE(QApplication::focusWidget(), f.child<QLineEdit>("edMain_LinkMan"));
    f.child<QComboBox>("cbData_Type")->setCurrentText(QStringLiteral("企业数据"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QVERIFY2(f.dialogs.shown.isEmpty(), qPrintable(f.dialogs.texts().join(QLatin1Char('|'))));
    QCOMPARE(w.editMode(), 0);
    QCOMPARE(f.count(QStringLiteral("Company_Name='ab'")), qint64(1));
}

void TestCustomerWindow::exitClosesTheMdiChild()
{
    Fixture f;
    QMdiArea area;
    area.resize(1000, 700);
    auto* w = new CustomerWindow;
    w->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = area.addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    area.show();
    sub->show();
    QCoreApplication::processEvents();
    QPointer<QMdiSubWindow> alive(sub);
    w->TB_AddClick();
    QCOMPARE(sub->windowTitle(), QStringLiteral("内部客户资料--增加"));   // the child's caption is the frame's
    w->findChild<QToolButton*>(QStringLiteral("TB_Exit"))->click();
    QCoreApplication::processEvents();
    QVERIFY(alive);
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("当前处于编辑状态,请先保存数据.")});
    w->TB_CancelClick();
    w->findChild<QToolButton*>(QStringLiteral("TB_Exit"))->click();
    QTRY_VERIFY(!alive);
}

// Pictures of both pages with demo customers, for looking at the window: only when
// ORVANE_SCREENSHOT_DIR names a folder (run under xvfb-run with QT_QPA_PLATFORM=xcb).
void TestCustomerWindow::screenshots()
{
    const QString dir = qEnvironmentVariable("ORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("ORVANE_SCREENSHOT_DIR not set");
    Fixture f;
    Schema::DemoOptions demo;
    demo.count = 400;
    Schema::addDemoCustomers(*f.conn, demo);
    CustomerWindow& w = f.open();
    w.resize(1100, 720);
    QTest::qWait(50);
    f.child<QLineEdit>("edQryCName")->setText(QStringLiteral("公司"));
    f.click("SB_Qry");
    f.click("BtnNext");
    f.selectRows({2, 3, 5});
    QTest::qWait(50);
    QVERIFY(w.grab().save(dir + QStringLiteral("/customer_list.png")));
    f.grid()->setCurrentIndex(f.grid()->model()->index(3, 0));
    f.pages()->setCurrentIndex(1);
    QTest::qWait(50);
    QVERIFY(w.grab().save(dir + QStringLiteral("/customer_detail_browse.png")));
    f.click("TB_Edit");
    QTest::qWait(50);
    QVERIFY(w.grab().save(dir + QStringLiteral("/customer_detail_edit.png")));
    f.click("TB_Cancel");
    f.dialogs.clear();
    Fixture g(Engine::SQLite, QStringLiteral("nobody"));
    CustomerWindow& n = g.open(QStringLiteral("N"));
    n.resize(1100, 400);
    QTest::qWait(50);
    QVERIFY(n.grab().save(dir + QStringLiteral("/customer_no_rights.png")));
}

QTEST_MAIN(TestCustomerWindow)
#include "tst_customer_window.moc"
