#include "customer_window.h"

#include "data_module.h"
#include "data_set.h"
#include "data_set_model.h"
#include "date_box.h"
#include "db_error.h"
#include "dialogs.h"
#include "field_binding.h"
#include "pick_list_box.h"
#include "shell_commands.h"

#include <QAbstractItemView>
#include <algorithm>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kEmptySql = QStringLiteral("select *  from Customer where 1>1");
const QString kSaveFirst = QStringLiteral("请先保存当前编辑的信息.");
const QString kEditing = QStringLiteral("当前处于编辑状态,请先保存数据.");
const QString kDeleteQuestion = QStringLiteral("确实要删除当前数据吗？");

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

} // namespace

CustomerWindow::CustomerWindow(QWidget* parent) : QWidget(parent)
{
    Connection& conn = DM_Init().connection();
    ADOCustomerPage = new DataSet(conn, this);
    ADOCustomerPage->setObjectName(QStringLiteral("ADOCustomerPage"));
    ADOCustomerPage->setSql(kEmptySql);
    m_pager = std::make_unique<CustomerPager>(*ADOCustomerPage);
    m_rules = std::make_unique<CustomerRules>(conn);
    DS_Customer = new FieldBinding(ADOCustomerPage, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    buildToolBar();
    layout->addWidget(m_toolBar);

    PageInput = new QTabWidget(this);
    PageInput->setObjectName(QStringLiteral("PageInput"));
    PageInput->addTab(buildListPage(), QStringLiteral("客户列表"));
    PageInput->addTab(buildDetailPage(), QStringLiteral("详细资料"));
    layout->addWidget(PageInput, 1);
    connect(PageInput, &QTabWidget::currentChanged, this, &CustomerWindow::PageInputChanging);

    connect(ADOCustomerPage, &DataSet::currentChanged, this, &CustomerWindow::showCurrentInGrid);
    qApp->installEventFilter(this);

    SetEditMode(0);
    resize(900, 600);
}

CustomerWindow::~CustomerWindow()
{
    qApp->removeEventFilter(this);
}

void CustomerWindow::setSelfDataFlag(const QString& flag) { SelfDataFlag = flag; }

void CustomerWindow::setSaveQueryEnabled(bool enabled) { btSaveQuery->setEnabled(enabled); }

// ---------------------------------------------------------------- layout

void CustomerWindow::buildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto button = [this](const char* name, const QString& text, const QString& hint, void (CustomerWindow::*handler)()) {
        auto* b = new QToolButton(m_toolBar);
        b->setObjectName(QLatin1String(name));
        b->setText(text);
        // The ampersand underlines the accelerator; the key itself is handled by this window only
        // (see eventFilter) so that it never competes with the main menu's letters.
        b->setShortcut(QKeySequence());
        b->setToolTip(hint.isEmpty() ? QString(text).remove(QLatin1Char('&')) : hint);
        b->setAutoRaise(true);
        m_toolBar->addWidget(b)->setObjectName(QLatin1String(name) + QStringLiteral("Action"));
        if (handler)
            connect(b, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
        return b;
    };
    TB_Add = button("TB_Add", QStringLiteral("增加&A"), {}, &CustomerWindow::TB_AddClick);
    TB_Edit = button("TB_Edit", QStringLiteral("修改&E"), {}, &CustomerWindow::TB_EditClick);
    TB_Delete = button("TB_Delete", QStringLiteral("删除&D"), {}, &CustomerWindow::TB_DeleteClick);
    TB_Save = button("TB_Save", QStringLiteral("保存&S"), {}, &CustomerWindow::TB_SaveClick);
    TB_Cancel = button("TB_Cancel", QStringLiteral("取消&C"), {}, &CustomerWindow::TB_CancelClick);
    m_toolBar->addSeparator();
    TB_First = button("TB_First", QStringLiteral("最前"), QStringLiteral("第一张单"), &CustomerWindow::TB_FirstClick);
    TB_Prio = button("TB_Prio", QStringLiteral("向前"), QStringLiteral("前一张单"), &CustomerWindow::TB_PrioClick);
    TB_Next = button("TB_Next", QStringLiteral("向后"), QStringLiteral("后一张单"), &CustomerWindow::TB_NextClick);
    TB_Last = button("TB_Last", QStringLiteral("最后"), QStringLiteral("第末张单"), &CustomerWindow::TB_LastClick);

    TB_Import = button("TB_Import", QStringLiteral("导入"), {}, nullptr);
    PopupMenu1 = new QMenu(TB_Import);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    MIInner = PopupMenu1->addAction(QStringLiteral("内部客户资料"));
    MIInner->setObjectName(QStringLiteral("MIInner"));
    MIOut = PopupMenu1->addAction(QStringLiteral("托管客户资料"));
    MIOut->setObjectName(QStringLiteral("MIOut"));
    TB_Import->setMenu(PopupMenu1);
    TB_Import->setPopupMode(QToolButton::InstantPopup);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &CustomerWindow::PopupMenu1Popup);
    connect(MIInner, &QAction::triggered, this, [this] { emit importRequested(QStringLiteral("Y")); });
    connect(MIOut, &QAction::triggered, this, [this] { emit importRequested(QStringLiteral("N")); });

    TB_Export = button("TB_Export", QStringLiteral("导出"), {}, nullptr);
    connect(TB_Export, &QToolButton::clicked, this, &CustomerWindow::exportRequested);

    TB_Print = button("TB_Print", QStringLiteral("打印"), {}, nullptr);
    PrintMenu = new QMenu(TB_Print);
    PrintMenu->setObjectName(QStringLiteral("PrintMenu"));
    const QStringList printItems{QStringLiteral("打印信封"), QStringLiteral("信封页面调整"), QStringLiteral("打印客户详细信息"),
                                 QStringLiteral("客户详细信息页面调整")};
    for (int i = 0; i < printItems.size(); ++i)
        connect(PrintMenu->addAction(printItems[i]), &QAction::triggered, this, [this, i] { emit printRequested(i); });
    TB_Print->setMenu(PrintMenu);
    TB_Print->setPopupMode(QToolButton::InstantPopup);
    m_toolBar->findChild<QAction*>(QStringLiteral("TB_PrintAction"))->setVisible(false);

    m_toolBar->addSeparator();
    TB_Exit = button("TB_Exit", QStringLiteral("退出&X"), {}, nullptr);
    connect(TB_Exit, &QToolButton::clicked, this, [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    });
}

QWidget* CustomerWindow::buildListPage()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(4, 4, 4, 4);

    auto* panel = new QWidget(page);
    panel->setObjectName(QStringLiteral("QueryPanel"));
    auto* g = new QGridLayout(panel);
    g->setContentsMargins(0, 0, 0, 0);
    edQryCName = new QLineEdit(panel);
    edQryCName->setObjectName(QStringLiteral("edQryCName"));
    QryCLinkMan = new QLineEdit(panel);
    QryCLinkMan->setObjectName(QStringLiteral("QryCLinkMan"));
    cbxDataType = new QComboBox(panel);
    cbxDataType->setObjectName(QStringLiteral("cbxDataType"));
    cbxDataType->setEditable(true);
    cbxDataType->setInsertPolicy(QComboBox::NoInsert);
    cbxDataType->addItems({QString(), QStringLiteral("企业数据"), QStringLiteral("个人数据")});
    cbx_Area = new PickListBox(panel);
    cbx_Area->setObjectName(QStringLiteral("cbx_Area"));
    cbx_Area->setTable(QStringLiteral("Area"));
    cbx_Area->setRefill([this](PickListBox* b) { return FillPickList(b, b->table()); });
    cbxLevel = new QComboBox(panel);
    cbxLevel->setObjectName(QStringLiteral("cbxLevel"));
    cbxLevel->setEditable(true);
    cbxLevel->setInsertPolicy(QComboBox::NoInsert);
    cbxLevel->addItems({QString(), QStringLiteral("VIP"), QStringLiteral("普通"), QStringLiteral("白金"), QStringLiteral("钻石")});
    cbxSource = new PickListBox(panel);
    cbxSource->setObjectName(QStringLiteral("cbxSource"));
    cbxSource->setTable(QStringLiteral("DataSource"));
    cbxSource->addItems({QString(), QStringLiteral("网上"), QStringLiteral("展会"), QStringLiteral("人工"), QStringLiteral("报刊")});
    cbxSource->setRefill([this](PickListBox* b) { return FillPickList(b, b->table()); });
    cbxReject = new QComboBox(panel);
    cbxReject->setObjectName(QStringLiteral("cbxReject"));
    cbxReject->addItems({QString(), QStringLiteral("是"), QStringLiteral("否")});
    for (QComboBox* b : {cbxDataType, cbxLevel, static_cast<QComboBox*>(cbx_Area), static_cast<QComboBox*>(cbxSource)})
        b->setCurrentIndex(0);

    SB_Qry = new QPushButton(QStringLiteral("查   询"), panel);
    SB_Qry->setObjectName(QStringLiteral("SB_Qry"));
    SB_AQry = new QPushButton(QStringLiteral("高级查询"), panel);
    SB_AQry->setObjectName(QStringLiteral("SB_AQry"));
    btSaveQuery = new QPushButton(QStringLiteral("保存查询条件"), panel);
    btSaveQuery->setObjectName(QStringLiteral("btSaveQuery"));
    btSaveQuery->setEnabled(false);
    connect(SB_Qry, &QPushButton::clicked, this, &CustomerWindow::SB_QryClick);
    connect(SB_AQry, &QPushButton::clicked, this, [this] {
        if (EditMode > 0) {
            refusedWhileEditing();
            return;
        }
        emit advancedQueryRequested();
    });
    connect(btSaveQuery, &QPushButton::clicked, this, &CustomerWindow::saveQueryRequested);

    g->addWidget(caption(QStringLiteral("公司名称："), panel), 0, 0);
    g->addWidget(edQryCName, 0, 1);
    g->addWidget(caption(QStringLiteral("联系人："), panel), 0, 2);
    g->addWidget(QryCLinkMan, 0, 3);
    g->addWidget(caption(QStringLiteral("数据类型："), panel), 0, 4);
    g->addWidget(cbxDataType, 0, 5);
    g->addWidget(caption(QStringLiteral("行政区域："), panel), 0, 6);
    g->addWidget(cbx_Area, 0, 7);
    g->addWidget(caption(QStringLiteral("客户等级："), panel), 1, 0);
    g->addWidget(cbxLevel, 1, 1);
    g->addWidget(caption(QStringLiteral("客户来源："), panel), 1, 2);
    g->addWidget(cbxSource, 1, 3);
    g->addWidget(caption(QStringLiteral("退信数据："), panel), 1, 4);
    g->addWidget(cbxReject, 1, 5);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SB_Qry);
    buttons->addWidget(SB_AQry);
    buttons->addWidget(btSaveQuery);
    g->addLayout(buttons, 1, 6, 1, 2);
    for (int c : {1, 3, 5, 7})
        g->setColumnStretch(c, 1);
    v->addWidget(panel);

    m_gridModel = new DataSetModel(ADOCustomerPage,
                                   {{QStringLiteral("Code"), QStringLiteral("客户编号")},
                                    {QStringLiteral("Data_Type"), QStringLiteral("数据类型")},
                                    {QStringLiteral("Company_Name"), QStringLiteral("公司名称")},
                                    {QStringLiteral("Main_LinkMan"), QStringLiteral("主联系人")},
                                    {QStringLiteral("Address"), QStringLiteral("地址")},
                                    {QStringLiteral("Tel"), QStringLiteral("电话")},
                                    {QStringLiteral("Area"), QStringLiteral("行政区域")},
                                    {QStringLiteral("Data_Source"), QStringLiteral("客户来源")}},
                                   this);
    DBG_Customer = new QTableView(page);
    DBG_Customer->setObjectName(QStringLiteral("DBG_Customer"));
    DBG_Customer->setModel(m_gridModel);
    DBG_Customer->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBG_Customer->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DBG_Customer->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBG_Customer->setSortingEnabled(true);
    DBG_Customer->horizontalHeader()->setSortIndicatorShown(true);
    DBG_Customer->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    DBG_Customer->horizontalHeader()->setStretchLastSection(true);
    DBG_Customer->verticalHeader()->setDefaultSectionSize(DBG_Customer->fontMetrics().height() + 6);
    DBG_Customer->setAlternatingRowColors(true);
    const int widths[] = {130, 80, 220, 90, 240, 110, 90};
    for (int i = 0; i < 7; ++i)
        DBG_Customer->setColumnWidth(i, widths[i]);
    connect(DBG_Customer->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { gridCurrentChanged(current.isValid() ? current.row() : -1); });
    connect(DBG_Customer, &QTableView::doubleClicked, this, [this] { PageInput->setCurrentIndex(1); });

    GridMenu = new QMenu(DBG_Customer);
    GridMenu->setObjectName(QStringLiteral("PopupMenu2"));
    N6 = GridMenu->addAction(QStringLiteral("全选"));
    N6->setObjectName(QStringLiteral("N6"));
    N7 = GridMenu->addAction(QStringLiteral("删除"));
    N7->setObjectName(QStringLiteral("N7"));
    connect(N6, &QAction::triggered, this, &CustomerWindow::Button1Click);
    connect(N7, &QAction::triggered, this, &CustomerWindow::TB_DeleteClick);
    DBG_Customer->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBG_Customer, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { GridMenu->popup(DBG_Customer->viewport()->mapToGlobal(pos)); });
    v->addWidget(DBG_Customer, 1);

    auto* bar = new QHBoxLayout;
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setMinimumWidth(220);
    Button1 = new QPushButton(QStringLiteral("全选"), page);
    Button1->setObjectName(QStringLiteral("Button1"));
    connect(Button1, &QPushButton::clicked, this, &CustomerWindow::Button1Click);
    auto pageButton = [&](QPushButton*& b, const char* name, const QString& text, void (CustomerWindow::*handler)()) {
        b = new QPushButton(text, page);
        b->setObjectName(QLatin1String(name));
        b->setEnabled(false);
        connect(b, &QPushButton::clicked, this, handler);
    };
    pageButton(BtnFirst, "BtnFirst", QStringLiteral("首页"), &CustomerWindow::BtnFirstClick);
    pageButton(BtnPri, "BtnPri", QStringLiteral("上一页"), &CustomerWindow::BtnPriClick);
    pageButton(BtnNext, "BtnNext", QStringLiteral("下一页"), &CustomerWindow::BtnNextClick);
    pageButton(BtnLast, "BtnLast", QStringLiteral("尾页"), &CustomerWindow::BtnLastClick);
    LbCurrentPage = new QLabel(m_pager->currentPageLabel(), page);
    LbCurrentPage->setObjectName(QStringLiteral("LbCurrentPage"));
    LbCurrentPage->setMinimumWidth(110);
    LbTotalPage = new QLabel(m_pager->totalPageLabel(), page);
    LbTotalPage->setObjectName(QStringLiteral("LbTotalPage"));
    LbTotalPage->setMinimumWidth(110);
    bar->addWidget(Edit1);
    bar->addWidget(Button1);
    bar->addStretch(1);
    bar->addWidget(BtnFirst);
    bar->addWidget(BtnPri);
    bar->addWidget(BtnNext);
    bar->addWidget(BtnLast);
    bar->addSpacing(12);
    bar->addWidget(LbCurrentPage);
    bar->addWidget(LbTotalPage);
    v->addLayout(bar);
    return page;
}

QLineEdit* CustomerWindow::lineFor(const QString& field)
{
    auto* e = new QLineEdit(MainFrame);
    e->setObjectName(QStringLiteral("ed") + field);
    DS_Customer->bind(e, field);
    return e;
}

QComboBox* CustomerWindow::fixedList(const QString& field, const QStringList& items)
{
    auto* b = new QComboBox(MainFrame);
    b->setObjectName(QStringLiteral("cb") + field);
    b->addItems(items);
    DS_Customer->bind(b, field);
    return b;
}

QWidget* CustomerWindow::pickList(const QString& field, const QString& table, PickListBox** out)
{
    auto* holder = new QWidget(MainFrame);
    auto* h = new QHBoxLayout(holder);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(1);
    auto* box = new PickListBox(holder);
    box->setObjectName(QStringLiteral("cb") + field);
    box->setTable(table);
    box->setRefill([this](PickListBox* b) { return FillPickList(b, b->table()); });
    DS_Customer->bind(box, field);
    auto* plus = new QToolButton(holder);
    plus->setObjectName(QStringLiteral("btAdd") + table);
    plus->setText(QStringLiteral("+"));
    plus->setToolTip(QStringLiteral("点击增加"));
    plus->setFocusPolicy(Qt::NoFocus);
    connect(plus, &QToolButton::clicked, this, [this, table] {
        if (ShellCommands* shell = shellCommands())
            guarded([&] { shell->runDictionaryCommand(table); });
    });
    h->addWidget(box, 1);
    h->addWidget(plus);
    if (out)
        *out = box;
    return holder;
}

DateBox* CustomerWindow::dateFor(const QString& field)
{
    auto* d = new DateBox(MainFrame);
    d->setObjectName(QStringLiteral("dt") + field);
    DS_Customer->bind(d, field);
    return d;
}

QPlainTextEdit* CustomerWindow::memoFor(const QString& field)
{
    auto* m = new QPlainTextEdit(MainFrame);
    m->setObjectName(QStringLiteral("mm") + field);
    m->setTabChangesFocus(true);
    m->setFixedHeight(m->fontMetrics().height() * 3 + 12);
    DS_Customer->bind(m, field);
    return m;
}

QWidget* CustomerWindow::buildDetailPage()
{
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    MainFrame = new QWidget;
    MainFrame->setObjectName(QStringLiteral("MainFrame"));
    scroll->setWidget(MainFrame);
    auto* outer = new QVBoxLayout(MainFrame);
    outer->setContentsMargins(6, 6, 6, 6);

    auto* g = new QGridLayout;
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(4);
    int row = 0;
    int col = 0;
    // Three label/control pairs per row, in the order of the record.
    auto put = [&](const QString& label, QWidget* w, int span = 1) {
        if (col + span > 3) {
            ++row;
            col = 0;
        }
        g->addWidget(caption(label, MainFrame), row, col * 2);
        g->addWidget(w, row, col * 2 + 1, 1, span * 2 - 1);
        col += span;
    };
    auto wide = [&](const QString& label, QWidget* w) {
        if (col != 0) {
            ++row;
            col = 0;
        }
        auto* l = caption(label, MainFrame);
        l->setAlignment(Qt::AlignRight | Qt::AlignTop);
        g->addWidget(l, row, 0);
        g->addWidget(w, row, 1, 1, 5);
        ++row;
    };

    cbDataType = fixedList(QStringLiteral("Data_Type"), {QString(), QStringLiteral("企业数据"), QStringLiteral("个人数据")});
    put(QStringLiteral("数据类型："), cbDataType);
    QLineEdit* code = lineFor(QStringLiteral("Code"));
    code->setEnabled(false);
    put(QStringLiteral("客户编号："), code);
    edCompanyName = lineFor(QStringLiteral("Company_Name"));
    put(QStringLiteral("公司名称："), edCompanyName);
    edMainLinkMan = lineFor(QStringLiteral("Main_LinkMan"));
    put(QStringLiteral("主联系人："), edMainLinkMan);
    put(QStringLiteral("职位名称："), pickList(QStringLiteral("Position_Name"), QStringLiteral("Position")));
    {
        auto* tel = new QWidget(MainFrame);
        auto* h = new QHBoxLayout(tel);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(2);
        QLineEdit* areaCode = lineFor(QStringLiteral("Tel_Area_Code"));
        areaCode->setParent(tel);
        areaCode->setMaximumWidth(60);
        QLineEdit* number = lineFor(QStringLiteral("Tel"));
        number->setParent(tel);
        h->addWidget(areaCode);
        h->addWidget(number, 1);
        put(QStringLiteral("区号/电话："), tel);
    }
    put(QStringLiteral("联系传真："), lineFor(QStringLiteral("Fax")));
    put(QStringLiteral("邮政编码："), lineFor(QStringLiteral("Post_Code")));
    edAddress = lineFor(QStringLiteral("Address"));
    put(QStringLiteral("客户地址："), edAddress);
    put(QStringLiteral("电子信箱："), lineFor(QStringLiteral("Email")));
    put(QStringLiteral("公司主页："), lineFor(QStringLiteral("Http")));
    put(QStringLiteral("注册资金："), lineFor(QStringLiteral("Register_Bankrol")));
    put(QStringLiteral("成立日期："), dateFor(QStringLiteral("Register_Date")));
    put(QStringLiteral("公司人数："), lineFor(QStringLiteral("Employee_Count")));
    put(QStringLiteral("客户来源："), pickList(QStringLiteral("Data_Source"), QStringLiteral("DataSource")));
    put(QStringLiteral("行政区域："), pickList(QStringLiteral("Area"), QStringLiteral("Area")));
    put(QStringLiteral("所属省份："), pickList(QStringLiteral("Province"), QStringLiteral("Province")));
    put(QStringLiteral("经济性质："), fixedList(QStringLiteral("Company_Property"),
                                              {QString(), QStringLiteral("内资"), QStringLiteral("外资"), QStringLiteral("其它")}));
    put(QStringLiteral("客户等级："),
        fixedList(QStringLiteral("Customer_Level"),
                  {QString(), QStringLiteral("VIP"), QStringLiteral("普通"), QStringLiteral("白金"), QStringLiteral("钻石")}));
    DateBox* updated = dateFor(QStringLiteral("Update_Date"));
    updated->setEnabled(false);
    put(QStringLiteral("更新日期："), updated);
    DateBox* created = dateFor(QStringLiteral("Create_Date"));
    created->setEnabled(false);
    put(QStringLiteral("创建日期："), created);
    put(QStringLiteral("所属行业："), pickList(QStringLiteral("Trade"), QStringLiteral("Trade")));
    put(QStringLiteral("年销售额："), lineFor(QStringLiteral("YearSaleMoney")));
    put(QStringLiteral("企业性质："), lineFor(QStringLiteral("Enterprise_Property")));
    put(QStringLiteral("托管人："), lineFor(QStringLiteral("Trustee")));
    {
        auto* reject = new QComboBox(MainFrame);
        reject->setObjectName(QStringLiteral("cbRejectData"));
        reject->setEditable(true);
        reject->setInsertPolicy(QComboBox::NoInsert);
        reject->addItems({QStringLiteral("否"), QStringLiteral("是")});
        reject->setStyleSheet(QStringLiteral("color: red;"));
        DS_Customer->bind(reject, QStringLiteral("RejectData"));
        if (col + 1 > 3) {
            ++row;
            col = 0;
        }
        auto* l = caption(QStringLiteral("是否退信数据："), MainFrame);
        l->setStyleSheet(QStringLiteral("color: red;"));
        g->addWidget(l, row, col * 2);
        g->addWidget(reject, row, col * 2 + 1);
        ++col;
    }
    wide(QStringLiteral("其他联系人："), memoFor(QStringLiteral("Other_LinkMans")));
    wide(QStringLiteral("主营业务："), memoFor(QStringLiteral("Main_Trade")));
    wide(QStringLiteral("备注内容："), memoFor(QStringLiteral("Remark")));
    for (int c : {1, 3, 5})
        g->setColumnStretch(c, 1);
    outer->addLayout(g);

    auto* personal = new QGroupBox(QStringLiteral("个人详细信息"), MainFrame);
    personal->setObjectName(QStringLiteral("GroupPersonal"));
    auto* p = new QGridLayout(personal);
    p->setHorizontalSpacing(6);
    p->setVerticalSpacing(4);
    int prow = 0;
    int pcol = 0;
    auto pput = [&](const QString& label, QWidget* w) {
        if (pcol == 3) {
            ++prow;
            pcol = 0;
        }
        w->setParent(personal);
        p->addWidget(caption(label, personal), prow, pcol * 2);
        p->addWidget(w, prow, pcol * 2 + 1);
        ++pcol;
    };
    pput(QStringLiteral("身份证号："), lineFor(QStringLiteral("ID_Card")));
    pput(QStringLiteral("职业名称："), lineFor(QStringLiteral("Job_Desc")));
    pput(QStringLiteral("收入情况："), lineFor(QStringLiteral("In_Come")));
    pput(QStringLiteral("性别："), fixedList(QStringLiteral("Sex"), {QString(), QStringLiteral("男"), QStringLiteral("女")}));
    pput(QStringLiteral("出生日期："), dateFor(QStringLiteral("Born_Date")));
    pput(QStringLiteral("金额："), lineFor(QStringLiteral("Money")));
    pput(QStringLiteral("个人爱好："), lineFor(QStringLiteral("Live_Like")));
    pput(QStringLiteral("套餐："), lineFor(QStringLiteral("Food_Set")));
    pput(QStringLiteral("车牌号码："), lineFor(QStringLiteral("Car_Code")));
    pput(QStringLiteral("车辆品牌："), lineFor(QStringLiteral("Car_Name")));
    pput(QStringLiteral("制造商名："), lineFor(QStringLiteral("Car_Made_From")));
    pput(QStringLiteral("购车日期："), dateFor(QStringLiteral("Buy_Car_Date")));
    pput(QStringLiteral("住房面积："), lineFor(QStringLiteral("House_Area")));
    pput(QStringLiteral("投保单位："), lineFor(QStringLiteral("Insure")));
    pput(QStringLiteral("国籍："), pickList(QStringLiteral("Country"), QStringLiteral("Country")));
    pput(QStringLiteral("城市："), pickList(QStringLiteral("City"), QStringLiteral("City")));
    {
        ++prow;
        auto* l = caption(QStringLiteral("消费特征："), personal);
        l->setAlignment(Qt::AlignRight | Qt::AlignTop);
        QPlainTextEdit* m = memoFor(QStringLiteral("Comsum_Character"));
        m->setParent(personal);
        p->addWidget(l, prow, 0);
        p->addWidget(m, prow, 1, 1, 5);
    }
    for (int c : {1, 3, 5})
        p->setColumnStretch(c, 1);
    outer->addWidget(personal);
    outer->addStretch(1);

    return scroll;
}

// ---------------------------------------------------------------- behaviour

void CustomerWindow::guarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const DbError& e) {
        dialogs().error(this, e.message());
    } catch (const std::exception& e) {
        dialogs().error(this, QString::fromLocal8Bit(e.what()));
    }
}

void CustomerWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void CustomerWindow::FormShow()
{
    guarded([this] {
        if (!ADOCustomerPage->isOpen())
            ADOCustomerPage->open();
        PageInput->setCurrentIndex(0);
        SetEditMode(0);
        ApplyUserRights();
    });
}

void CustomerWindow::SetEditMode(int mode)
{
    EditMode = mode;
    setWindowTitle(CustomerRules::editModeCaption(SelfDataFlag, EditMode));
    MainFrame->setEnabled(EditMode > 0);
}

void CustomerWindow::ApplyUserRights()
{
    const CustomerRules::Rights r = CustomerRules::readRights(DM_Init());
    auto showButton = [this](const char* name, bool visible) {
        if (auto* a = m_toolBar->findChild<QAction*>(QLatin1String(name) + QStringLiteral("Action")))
            a->setVisible(visible);
    };
    showButton("TB_Add", r.add);
    showButton("TB_Edit", r.edit);
    showButton("TB_Delete", r.remove);
    showButton("TB_Import", r.import);
    showButton("TB_Export", r.exportData);
    showButton("TB_Print", r.print);
    SB_Qry->setEnabled(r.query);
    SB_AQry->setEnabled(r.query);
}

bool CustomerWindow::FillPickList(PickListBox* box, const QString& table)
{
    bool ok = false;
    guarded([&] {
        box->setItems(m_rules->pickListItems(table));
        ok = true;
    });
    return ok;
}

void CustomerWindow::refusedWhileEditing() { dialogs().notice(this, kSaveFirst); }

void CustomerWindow::PageInputChanging(int index)
{
    if (m_revertingPage)
        return;
    if (EditMode > 0 && index != m_pageIndex) {
        m_revertingPage = true;
        PageInput->setCurrentIndex(m_pageIndex);
        m_revertingPage = false;
        refusedWhileEditing();
        return;
    }
    m_pageIndex = index;
}

void CustomerWindow::PopupMenu1Popup()
{
    const bool internal = SelfDataFlag == QLatin1String("Y");
    MIInner->setEnabled(internal);
    MIOut->setEnabled(!internal && SelfDataFlag == QLatin1String("N"));
}

void CustomerWindow::showCurrentInGrid(int row)
{
    if (m_syncingGrid || row < 0 || row >= m_gridModel->rowCount())
        return;
    const QModelIndex current = DBG_Customer->selectionModel()->currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    m_syncingGrid = true;
    DBG_Customer->selectionModel()->setCurrentIndex(m_gridModel->index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncingGrid = false;
}

void CustomerWindow::gridCurrentChanged(int row)
{
    if (m_syncingGrid || row < 0 || !ADOCustomerPage->isOpen() || ADOCustomerPage->isEditing())
        return;
    m_syncingGrid = true;
    guarded([&] { ADOCustomerPage->setRecNo(row); });
    m_syncingGrid = false;
}

void CustomerWindow::TB_AddClick()
{
    if (EditMode > 0)
        return;
    guarded([this] {
        if (!ADOCustomerPage->isOpen()) {
            // A failed query leaves the page closed; a new record still needs the columns.
            ADOCustomerPage->setSql(kEmptySql);
            ADOCustomerPage->open();
        }
        PageInput->setCurrentIndex(1);
        SetEditMode(1);
        ADOCustomerPage->append();
        CustomerRules::applyNewRecordDefaults(*ADOCustomerPage, SelfDataFlag, DM_Init());
        cbDataType->setFocus();
    });
}

void CustomerWindow::TB_EditClick()
{
    if (EditMode > 0 || !ADOCustomerPage->isOpen() || ADOCustomerPage->isEmpty())
        return;
    guarded([this] {
        PageInput->setCurrentIndex(1);
        SetEditMode(2);
        CustomerRules::beginEdit(*ADOCustomerPage);
    });
}

void CustomerWindow::TB_SaveClick()
{
    guarded([this] {
        CustomerRules::SaveInput in;
        in.editMode = EditMode;
        in.pending = ADOCustomerPage->isEditing();
        in.dataType = cbDataType->currentText();
        in.companyName = edCompanyName->text();
        in.mainLinkMan = edMainLinkMan->text();
        in.address = edAddress->text();
        in.selfDataFlag = SelfDataFlag;
        const CustomerRules::SaveVerdict verdict = m_rules->checkSave(in);
        switch (verdict) {
        case CustomerRules::SaveVerdict::Duplicate: dialogs().message(this, CustomerRules::verdictText(verdict)); return;
        case CustomerRules::SaveVerdict::NotPending: return;
        case CustomerRules::SaveVerdict::NoDataType:
            dialogs().notice(this, CustomerRules::verdictText(verdict));
            cbDataType->setFocus();
            return;
        case CustomerRules::SaveVerdict::NoName:
            dialogs().notice(this, CustomerRules::verdictText(verdict));
            edCompanyName->setFocus();
            return;
        case CustomerRules::SaveVerdict::Save: break;
        }
        DS_Customer->writeBack();
        ADOCustomerPage->post();
        SetEditMode(0);
    });
}

void CustomerWindow::TB_CancelClick()
{
    guarded([this] {
        ADOCustomerPage->cancel();
        DS_Customer->refresh();
        SetEditMode(0);
    });
}

void CustomerWindow::TB_DeleteClick()
{
    const QModelIndexList selected = DBG_Customer->selectionModel()->selectedRows();
    if (selected.isEmpty() || !ADOCustomerPage->isOpen())
        return;
    // Deleting moves the current row, which would post a pending record past its checks.
    if (EditMode > 0) {
        refusedWhileEditing();
        return;
    }
    if (!dialogs().askYesNo(this, kDeleteQuestion))
        return;
    QList<int> rows;
    for (const QModelIndex& i : selected)
        rows << i.row();
    // From the last row to the first, so that each deletion leaves the rows still to go in place.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    guarded([&] {
        for (int row : rows) {
            if (row >= ADOCustomerPage->recordCount())
                continue;
            ADOCustomerPage->setRecNo(row);
            ADOCustomerPage->remove();
        }
    });
}

void CustomerWindow::TB_FirstClick()
{
    if (EditMode > 0)
        return refusedWhileEditing();
    if (ADOCustomerPage->isOpen())
        guarded([this] { ADOCustomerPage->first(); });
}

void CustomerWindow::TB_PrioClick()
{
    if (EditMode > 0)
        return refusedWhileEditing();
    if (ADOCustomerPage->isOpen())
        guarded([this] { ADOCustomerPage->prior(); });
}

void CustomerWindow::TB_NextClick()
{
    if (EditMode > 0)
        return refusedWhileEditing();
    if (ADOCustomerPage->isOpen())
        guarded([this] { ADOCustomerPage->next(); });
}

void CustomerWindow::TB_LastClick()
{
    if (EditMode > 0)
        return refusedWhileEditing();
    if (ADOCustomerPage->isOpen())
        guarded([this] { ADOCustomerPage->last(); });
}

void CustomerWindow::Button1Click() { DBG_Customer->selectAll(); }

void CustomerWindow::SB_QryClick()
{
    QuickQueryInput in;
    in.companyName = edQryCName->text();
    in.linkMan = QryCLinkMan->text();
    in.dataType = cbxDataType->currentText();
    in.area = cbx_Area->currentText();
    in.level = cbxLevel->currentText();
    in.source = cbxSource->currentText();
    in.reject = cbxReject->currentText();
    runQuery(CustomerQuery::build(SelfDataFlag, in), true);
}

void CustomerWindow::runQuery(const FilterTriple& filter, bool quick)
{
    // A new page would discard the record being added or edited.
    if (EditMode > 0)
        return refusedWhileEditing();
    guarded([&] {
        m_pager->run(filter);
        pageFetched();
        ShowQueryTotals(quick);
    });
}

// A new page comes in ID order: no column is sorted any more.
void CustomerWindow::pageFetched() { DBG_Customer->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder); }

void CustomerWindow::ShowQueryTotals(bool quick)
{
    Edit1->setText(m_pager->totalLabel());
    LbTotalPage->setText(m_pager->totalPageLabel());
    LbCurrentPage->setText(m_pager->currentPageLabel());
    if (quick || m_pager->total().recordCount > CustomerPager::PageSize)
        for (QPushButton* b : {BtnFirst, BtnPri, BtnNext, BtnLast})
            b->setEnabled(true);
    btSaveQuery->setEnabled(true);
}

void CustomerWindow::BtnFirstClick()
{
    if (EditMode > 0)
        return refusedWhileEditing();
    guarded([this] {
        if (m_pager->firstPage()) {
            pageFetched();
            LbCurrentPage->setText(m_pager->currentPageLabel());
        }
    });
}

void CustomerWindow::BtnPriClick()
{
    if (EditMode > 0)
        return refusedWhileEditing();
    guarded([this] {
        if (m_pager->priorPage()) {
            pageFetched();
            LbCurrentPage->setText(m_pager->currentPageLabel());
        }
    });
}

void CustomerWindow::BtnNextClick()
{
    if (EditMode > 0)
        return refusedWhileEditing();
    guarded([this] {
        if (m_pager->nextPage()) {
            pageFetched();
            LbCurrentPage->setText(m_pager->currentPageLabel());
        }
    });
}

void CustomerWindow::BtnLastClick()
{
    if (EditMode > 0)
        return refusedWhileEditing();
    guarded([this] {
        if (m_pager->lastPage()) {
            pageFetched();
            LbCurrentPage->setText(m_pager->currentPageLabel());
        }
    });
}

void CustomerWindow::closeEvent(QCloseEvent* event)
{
    if (EditMode > 0) {
        dialogs().notice(this, kEditing);
        event->ignore();
        return;
    }
    event->accept();
}

QToolButton* CustomerWindow::acceleratorButton(int key) const
{
    QToolButton* b = nullptr;
    switch (key) {
    case Qt::Key_A: b = TB_Add; break;
    case Qt::Key_E: b = TB_Edit; break;
    case Qt::Key_D: b = TB_Delete; break;
    case Qt::Key_S: b = TB_Save; break;
    case Qt::Key_C: b = TB_Cancel; break;
    case Qt::Key_X: b = TB_Exit; break;
    default: return nullptr;
    }
    return b->isVisibleTo(m_toolBar) && b->isEnabled() ? b : nullptr;
}

bool CustomerWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);

    // The toolbar's Alt letters work while the focus is inside this window.
    if (key->modifiers() == Qt::AltModifier && widget && (widget == this || isAncestorOf(widget))) {
        if (QToolButton* b = acceleratorButton(key->key())) {
            if (type == QEvent::KeyPress)
                b->click();
            event->accept();
            return true;
        }
    }

    if (type == QEvent::KeyPress && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && key->modifiers() == Qt::NoModifier && widget && MainFrame->isAncestorOf(widget)
        && (qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget))) {
        focusNextChild();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
