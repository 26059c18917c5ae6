#include "main_window.h"

#include "change_password_dialog.h"
#include "customer_window.h"
#include "data_module.h"
#include "dialogs.h"
#include "login_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTimer>

namespace {

const QString kExitQuestion = QStringLiteral("确定退出系统吗？");
const QString kNotYet = QStringLiteral("此功能尚未提供");
const char* const kChildProperty = "orvaneChildForm";

struct Dictionary {
    const char* item;
    const char* table;
    const char* caption;      // the menu item
    const char* windowTitle;  // the dictionary window's caption
};

const Dictionary kDictionaries[] = {
    {"N5", "Position", "职位设置", "基本资料-职位设置"},
    {"N6", "Trade", "行业设置", "基本资料-行业设置"},
    {"N7", "Area", "行政区域设置", "基本资料-行政区域设置"},
    {"N22", "Country", "国家设置", "基本资料-国家设置"},
    {"N10", "Province", "省份设置", "基本资料-省份设置"},
    {"N21", "City", "城市设置", "基本资料-城市设置"},
    {"N27", "DataSource", "客户来源设置", "基本资料-数据来源设置"},
};

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orvane系统"));
    m_helpFilePath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help.html"));
    m_urlOpener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("MdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);

    buildMenu();
    buildStatusBar();
    resize(987, 643);
    setWindowState(Qt::WindowMaximized);
    FormCreate();
    setShellCommands(this);
}

MainWindow::~MainWindow()
{
    if (shellCommands() == this)
        setShellCommands(nullptr);
}

// Dates read YYYY-MM-DD everywhere: our own texts go through DateText; Qt's date boxes get the same
// form unless a window chose a format of its own.
void MainWindow::FormCreate()
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China));
    m_defaultDateFormat = QDateEdit().displayFormat();
    m_defaultDateTimeFormat = QDateTimeEdit().displayFormat();
    // Watches the whole application: date boxes of every window, and the MDI children's frames.
    qApp->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A child window that closed itself (its own exit button) leaves an empty frame behind; close that too.
    // The frame has forgotten its widget by now, so it remembers it under kChildProperty.
    if (event->type() == QEvent::ChildRemoved) {
        auto* sub = qobject_cast<QMdiSubWindow*>(watched);
        if (sub && sub->mdiArea() == m_mdiArea && !sub->isHidden()
            && sub->property(kChildProperty).value<quintptr>() == quintptr(static_cast<QChildEvent*>(event)->child()))
            QMetaObject::invokeMethod(sub, &QWidget::close, Qt::QueuedConnection);
    } else if (event->type() == QEvent::Polish) {
        if (auto* edit = qobject_cast<QDateTimeEdit*>(watched); edit && !qobject_cast<QTimeEdit*>(edit)) {
            if (qobject_cast<QDateEdit*>(edit)) {
                if (edit->displayFormat() == m_defaultDateFormat)
                    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
            } else if (edit->displayFormat() == m_defaultDateTimeFormat) {
                edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd ") + QLocale().timeFormat(QLocale::ShortFormat));
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QMenu* MainWindow::addMenu(const QString& name, const QString& caption)
{
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    m_items.insert(name, menu->menuAction());
    return menu;
}

QAction* MainWindow::addItem(QMenu* menu, const QString& name, const QString& caption, void (MainWindow::*handler)())
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    if (handler)
        connect(item, &QAction::triggered, this, handler);
    m_items.insert(name, item);
    return item;
}

QAction* MainWindow::addSeparator(QMenu* menu, const QString& name)
{
    QAction* separator = menu->addSeparator();
    separator->setObjectName(name);
    m_items.insert(name, separator);
    return separator;
}

void MainWindow::buildMenu()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* system = addMenu(QStringLiteral("N2"), QStringLiteral("系统设置&S"));
    addItem(system, QStringLiteral("MI_UserSetting"), QStringLiteral("用户管理"), &MainWindow::MI_UserSettingClick);
    addItem(system, QStringLiteral("N19"), QStringLiteral("修改密码"), &MainWindow::N19Click);
    addItem(system, QStringLiteral("N11"), QStringLiteral("切换用户"), &MainWindow::N11Click);
    addItem(system, QStringLiteral("N20"), QStringLiteral("执行升级程序语句"), &MainWindow::N20Click);
    addSeparator(system, QStringLiteral("N18"));
    addItem(system, QStringLiteral("N12"), QStringLiteral("退出系统"), &MainWindow::N12Click);

    QMenu* customers = addMenu(QStringLiteral("N9"), QStringLiteral("客户资料&C"));
    addItem(customers, QStringLiteral("N1"), QStringLiteral("内部客户资料"), &MainWindow::N1Click);
    addItem(customers, QStringLiteral("N3"), QStringLiteral("托管客户资料"), &MainWindow::N3Click);
    addSeparator(customers, QStringLiteral("N4"));
    for (const Dictionary& d : kDictionaries) {
        QAction* item = addItem(customers, QString::fromLatin1(d.item), QString::fromUtf8(d.caption), nullptr);
        const QString table = QString::fromLatin1(d.table);
        const QString title = QString::fromUtf8(d.windowTitle);
        connect(item, &QAction::triggered, this, [this, table, title] { dictionaryClick(table, title); });
    }

    QMenu* view = addMenu(QStringLiteral("V1"), QStringLiteral("视图&V"));
    addItem(view, QStringLiteral("Cascade1"), QStringLiteral("Cascade 层叠"), &MainWindow::Cascade1Click);
    addItem(view, QStringLiteral("itle1"), QStringLiteral("Title 排列"), &MainWindow::itle1Click);
    addItem(view, QStringLiteral("ArrangeIcons1"), QStringLiteral("ArrangeIcons 排列图标"), &MainWindow::ArrangeIcons1Click);
    addSeparator(view, QStringLiteral("N13"));
    addItem(view, QStringLiteral("N14"), QStringLiteral("关闭所有窗口"), &MainWindow::N14Click);
    addItem(view, QStringLiteral("N15"), QStringLiteral("最小化所有窗口"), &MainWindow::N15Click);
    addItem(view, QStringLiteral("N16"), QStringLiteral("最大化所有窗口"), &MainWindow::N16Click);

    QMenu* errorData = addMenu(QStringLiteral("N28"), QStringLiteral("错误数据处理"));
    addItem(errorData, QStringLiteral("N17"), QStringLiteral("更改错误数据"), &MainWindow::N17Click);
    addSeparator(errorData, QStringLiteral("N29"));
    addItem(errorData, QStringLiteral("N30"), QStringLiteral("导入退信客户资料"), &MainWindow::N30Click);
    addSeparator(errorData, QStringLiteral("N31"));
    addItem(errorData, QStringLiteral("N32"), QStringLiteral("接硬件采集数据"), &MainWindow::N32Click);

    QMenu* logs = addMenu(QStringLiteral("N23"), QStringLiteral("查看操作日志"));
    addItem(logs, QStringLiteral("N24"), QStringLiteral("查询日志"), &MainWindow::N24Click);
    addItem(logs, QStringLiteral("N25"), QStringLiteral("导出日志"), &MainWindow::N25Click);

    QMenu* about = addMenu(QStringLiteral("N8"), QStringLiteral("关于"));
    addItem(about, QStringLiteral("N33"), QStringLiteral("联系我们"), &MainWindow::N33Click);
    addItem(about, QStringLiteral("N34"), QStringLiteral("帮助文件"), &MainWindow::N34Click);

    // Nothing is granted before a login has read the user's rights.
    m_items.value(QStringLiteral("MI_UserSetting"))->setEnabled(false);
    m_items.value(QStringLiteral("N3"))->setVisible(false);
    m_items.value(QStringLiteral("N23"))->setVisible(false);
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("SB"));
    const int widths[] = {200, 200, 150, 50};
    const QString texts[] = {QStringLiteral("当前服务器名："), QStringLiteral("数据库名称："), QStringLiteral("当前用户："), QString()};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(texts[i], bar);
        panel->setObjectName(QStringLiteral("SBPanel%1").arg(i));
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setFixedWidth(widths[i]);
        panel->setContentsMargins(3, 0, 3, 0);
        bar->addWidget(panel);
        m_panels << panel;
    }
}

QLabel* MainWindow::statusPanel(int index) const { return m_panels.value(index); }

QString MainWindow::statusText(int index) const
{
    QLabel* panel = statusPanel(index);
    return panel ? panel->text() : QString();
}

void MainWindow::setStatusText(int index, const QString& text)
{
    if (QLabel* panel = statusPanel(index)) {
        panel->setText(text);
        panel->setToolTip(text);
    }
}

QAction* MainWindow::menuItem(const QString& name) const { return m_items.value(name); }

QString MainWindow::makerUrl() { return QStringLiteral("https://orvane.example.com/"); }

// ---- login and rights -------------------------------------------------------------------------

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_firstShowDone) {
        m_firstShowDone = true;
        // After the frame has appeared, from the event loop, so that cancelling can end the run.
        QTimer::singleShot(0, this, [this] { startSession(); });
    }
}

bool MainWindow::runLoginDialog()
{
    LoginDialog login(this);
    login.exec();
    return login.loginOK();
}

bool MainWindow::startSession()
{
    const bool ok = m_loginStep ? m_loginStep(*this) : runLoginDialog();
    if (!ok) {
        endRun();
        return false;
    }
    m_items.value(QStringLiteral("MI_UserSetting"))->setEnabled(DM_Init().CurrentUserCode == QLatin1String("Admin"));
    ApplyMenuRights();
    return true;
}

void MainWindow::ApplyMenuRights()
{
    const QHash<QString, bool> granted = DM_Init().userRights({QStringLiteral("Edit_OutData"), QStringLiteral("Action_Log")});
    m_items.value(QStringLiteral("N3"))->setVisible(granted.value(QStringLiteral("Edit_OutData")));
    m_items.value(QStringLiteral("N23"))->setVisible(granted.value(QStringLiteral("Action_Log")));
}

void MainWindow::endRun()
{
    m_runEnded = true;
    close();
    emit runEnded();
}

// ---- MDI children ------------------------------------------------------------------------------

QList<QPointer<QMdiSubWindow>> MainWindow::childForms() const
{
    QList<QPointer<QMdiSubWindow>> out;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder))
        out << sub;
    return out;
}

QMdiSubWindow* MainWindow::findChildForm(const QMetaObject& cls) const
{
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (sub->widget() && sub->widget()->metaObject() == &cls)
            return sub;
    }
    return nullptr;
}

QMdiSubWindow* MainWindow::ShowChildForm(const QMetaObject& cls, const std::function<QWidget*()>& create)
{
    if (QMdiSubWindow* sub = findChildForm(cls)) {
        m_mdiArea->setActiveSubWindow(sub);
        sub->raise();
        return sub;
    }
    QWidget* widget = create();
    widget->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setProperty(kChildProperty, QVariant::fromValue(quintptr(widget)));
    sub->show();
    return sub;
}

QMdiSubWindow* MainWindow::openCustomerWindow(const QString& selfDataFlag)
{
    QMdiSubWindow* sub = ShowChildForm<CustomerWindow>();
    if (!sub->isMaximized()) {
        const QSize outer = frameGeometry().size();
        sub->setGeometry(2, sub->y(), outer.width() - 80, outer.height() - 100);
    }
    auto* customers = static_cast<CustomerWindow*>(sub->widget());
    customers->setSelfDataFlag(selfDataFlag);
    customers->setWindowTitle(selfDataFlag == QLatin1String("N") ? QStringLiteral("托管客户资料")
                                                                  : QStringLiteral("内部客户资料"));
    return sub;
}

// Asks each child as closing would, without closing it: one that is editing says no.
bool MainWindow::childrenMayClose()
{
    for (const QPointer<QMdiSubWindow>& sub : childForms()) {
        if (!sub || !sub->widget())
            continue;
        QCloseEvent query;
        QCoreApplication::sendEvent(sub->widget(), &query);
        if (!query.isAccepted())
            return false;
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_runEnded) {
        event->accept();
        return;
    }
    if (!childrenMayClose() || !dialogs().askYesNo(this, kExitQuestion)) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---- menu commands -----------------------------------------------------------------------------

void MainWindow::notYetAvailable() { dialogs().notice(this, kNotYet); }

void MainWindow::MI_UserSettingClick() { notYetAvailable(); }

void MainWindow::N19Click()
{
    ChangePasswordDialog dialog(this);
    dialog.exec();
}

void MainWindow::N11Click()
{
    N14Click();
    startSession();
}

void MainWindow::N20Click() { notYetAvailable(); }

void MainWindow::N12Click()
{
    if (dialogs().askYesNo(this, kExitQuestion))
        close();
}

void MainWindow::N1Click() { openCustomerWindow(QStringLiteral("Y")); }
void MainWindow::N3Click() { openCustomerWindow(QStringLiteral("N")); }

void MainWindow::dictionaryClick(const QString& table, const QString& caption)
{
    Q_UNUSED(table);
    Q_UNUSED(caption);
    notYetAvailable();
}

void MainWindow::runDictionaryCommand(const QString& table)
{
    for (const Dictionary& d : kDictionaries) {
        if (table.compare(QLatin1String(d.table), Qt::CaseInsensitive) == 0) {
            if (QAction* item = menuItem(QString::fromLatin1(d.item)))
                item->trigger();
            return;
        }
    }
}

void MainWindow::Cascade1Click() { m_mdiArea->cascadeSubWindows(); }

// Horizontal tiling: the open children one under the other, each as wide as the frame, leaving the
// bottom row to the minimised ones.
void MainWindow::itle1Click()
{
    QList<QMdiSubWindow*> open;
    int iconRow = 0;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isVisible())
            continue;
        if (sub->isMinimized())
            iconRow = qMax(iconRow, sub->height());
        else
            open << sub;
    }
    if (open.isEmpty())
        return;
    const QRect area = m_mdiArea->viewport()->rect().adjusted(0, 0, 0, -iconRow);
    const int each = qMax(1, area.height() / int(open.size()));
    for (int i = 0; i < open.size(); ++i) {
        QMdiSubWindow* sub = open[i];
        if (sub->isMaximized())
            sub->showNormal();
        const int height = i == open.size() - 1 ? area.height() - each * i : each;
        sub->setGeometry(area.x(), area.y() + each * i, area.width(), height);
    }
}

// Minimised children in rows along the bottom edge, left to right.
void MainWindow::ArrangeIcons1Click()
{
    const QRect area = m_mdiArea->viewport()->rect();
    int x = 0;
    int y = area.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized() || !sub->isVisible())
            continue;
        const QSize size = sub->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= rowHeight;
            rowHeight = 0;
        }
        rowHeight = qMax(rowHeight, size.height());
        sub->move(x, y - size.height());
        x += size.width();
    }
}

void MainWindow::N14Click()
{
    for (const QPointer<QMdiSubWindow>& sub : childForms()) {
        if (sub)
            sub->close();
    }
}

void MainWindow::N15Click()
{
    for (const QPointer<QMdiSubWindow>& sub : childForms()) {
        if (sub)
            sub->showMinimized();
    }
}

void MainWindow::N16Click()
{
    for (const QPointer<QMdiSubWindow>& sub : childForms()) {
        if (sub)
            sub->showMaximized();
    }
}

void MainWindow::N17Click() { notYetAvailable(); }
void MainWindow::N30Click() { notYetAvailable(); }
void MainWindow::N32Click() { notYetAvailable(); }
void MainWindow::N24Click() { notYetAvailable(); }
void MainWindow::N25Click() { notYetAvailable(); }

void MainWindow::N33Click() { m_urlOpener(QUrl(makerUrl())); }

void MainWindow::N34Click()
{
    if (!QFileInfo::exists(m_helpFilePath))
        return;
    m_urlOpener(QUrl::fromLocalFile(m_helpFilePath));
}
