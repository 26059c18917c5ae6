#pragma once

#include "customer_pager.h"
#include "customer_query.h"
#include "customer_rules.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class DataSet;
class DataSetModel;
class DateBox;
class FieldBinding;
class PickListBox;
class QAction;
class QCloseEvent;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolBar;
class QToolButton;

// The customer records window (TfrmCustomer): list page with quick query and paging, detail page
// bound to the current row of the page on show. The main window shows it in an MDI child.
class CustomerWindow : public QWidget {
    Q_OBJECT
public:
    explicit CustomerWindow(QWidget* parent = nullptr);
    ~CustomerWindow() override;

    // "Y" for internal customers, "N" for entrusted ones; read by every operation when it runs.
    void setSelfDataFlag(const QString& flag);
    QString selfDataFlag() const { return SelfDataFlag; }
    // 0 browsing, 1 adding, 2 editing.
    int editMode() const { return EditMode; }

    // Runs a filter triple as the new query (the advanced query hands its triple here) and shows
    // its totals. quick: the page buttons are enabled whatever the total.
    void runQuery(const FilterTriple& filter, bool quick = false);
    const CustomerPager& pager() const { return *m_pager; }
    // "保存查询条件" is enabled by each query; saving the query disables it again.
    void setSaveQueryEnabled(bool enabled);
    // The page on show (the reports print from it).
    DataSet* customerPage() const { return ADOCustomerPage; }

    // Handlers, named after the controls that trigger them.
    void FormShow();
    void TB_AddClick();
    void TB_EditClick();
    void TB_SaveClick();
    void TB_CancelClick();
    void TB_DeleteClick();
    void TB_FirstClick();
    void TB_PrioClick();
    void TB_NextClick();
    void TB_LastClick();
    void SB_QryClick();
    void BtnFirstClick();
    void BtnPriClick();
    void BtnNextClick();
    void BtnLastClick();
    void Button1Click();   // "全选"

signals:
    // Commands whose windows live elsewhere.
    void advancedQueryRequested();
    void saveQueryRequested();
    void exportRequested();
    void importRequested(const QString& selfDataFlag);
    // 0 "打印信封", 1 "信封页面调整", 2 "打印客户详细信息", 3 "客户详细信息页面调整".
    void printRequested(int item);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolBar();
    QWidget* buildListPage();
    QWidget* buildDetailPage();
    QLineEdit* lineFor(const QString& field);
    QComboBox* fixedList(const QString& field, const QStringList& items);
    QWidget* pickList(const QString& field, const QString& table, PickListBox** box = nullptr);
    DateBox* dateFor(const QString& field);
    QPlainTextEdit* memoFor(const QString& field);

    void SetEditMode(int mode);
    void ApplyUserRights();
    void ShowQueryTotals(bool quick);
    void pageFetched();
    bool FillPickList(PickListBox* box, const QString& table);
    void PageInputChanging(int index);
    void PopupMenu1Popup();
    void refusedWhileEditing();
    void showCurrentInGrid(int row);
    void gridCurrentChanged(int row);
    QToolButton* acceleratorButton(int key) const;
    // Runs a handler; a failure is shown as the application's error box and ends the handler.
    void guarded(const std::function<void()>& work);

    QString SelfDataFlag = QStringLiteral("Y");
    int EditMode = 0;
    bool m_shown = false;
    int m_pageIndex = 0;
    bool m_revertingPage = false;
    bool m_syncingGrid = false;

    DataSet* ADOCustomerPage = nullptr;
    std::unique_ptr<CustomerPager> m_pager;
    std::unique_ptr<CustomerRules> m_rules;
    FieldBinding* DS_Customer = nullptr;
    DataSetModel* m_gridModel = nullptr;

    QToolBar* m_toolBar = nullptr;
    QToolButton* TB_Add = nullptr;
    QToolButton* TB_Edit = nullptr;
    QToolButton* TB_Delete = nullptr;
    QToolButton* TB_Save = nullptr;
    QToolButton* TB_Cancel = nullptr;
    QToolButton* TB_First = nullptr;
    QToolButton* TB_Prio = nullptr;
    QToolButton* TB_Next = nullptr;
    QToolButton* TB_Last = nullptr;
    QToolButton* TB_Import = nullptr;
    QToolButton* TB_Export = nullptr;
    QToolButton* TB_Print = nullptr;
    QToolButton* TB_Exit = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* MIInner = nullptr;
    QAction* MIOut = nullptr;
    QMenu* PrintMenu = nullptr;

    QTabWidget* PageInput = nullptr;

    QLineEdit* edQryCName = nullptr;
    QLineEdit* QryCLinkMan = nullptr;
    QComboBox* cbxDataType = nullptr;
    PickListBox* cbx_Area = nullptr;
    QComboBox* cbxLevel = nullptr;
    PickListBox* cbxSource = nullptr;
    QComboBox* cbxReject = nullptr;
    QPushButton* SB_Qry = nullptr;
    QPushButton* SB_AQry = nullptr;
    QPushButton* btSaveQuery = nullptr;

    QTableView* DBG_Customer = nullptr;
    QMenu* GridMenu = nullptr;
    QAction* N6 = nullptr;
    QAction* N7 = nullptr;

    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* BtnFirst = nullptr;
    QPushButton* BtnPri = nullptr;
    QPushButton* BtnNext = nullptr;
    QPushButton* BtnLast = nullptr;
    QLabel* LbCurrentPage = nullptr;
    QLabel* LbTotalPage = nullptr;

    QWidget* MainFrame = nullptr;
    QComboBox* cbDataType = nullptr;     // the detail page's "数据类型："
    QLineEdit* edCompanyName = nullptr;
    QLineEdit* edMainLinkMan = nullptr;
    QLineEdit* edAddress = nullptr;
};
