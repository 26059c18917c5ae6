#pragma once

#include "shell_commands.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <functional>

class CustomerWindow;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

// The MDI frame (TfrmMain): menus obeying the user's rights, the status bar, the login at first show
// and at every switch of user, the exit question, and the opening of every other window.
class MainWindow final : public QMainWindow, public ShellCommands {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // One login: shows the login dialog and gives true after a successful check. Tests replace it.
    using LoginStep = std::function<bool(MainWindow&)>;
    void setLoginStep(LoginStep step) { m_loginStep = std::move(step); }
    // Opens an address with the desktop's default program (a browser, the help viewer).
    using UrlOpener = std::function<bool(const QUrl&)>;
    void setUrlOpener(UrlOpener opener) { m_urlOpener = std::move(opener); }
    void setHelpFilePath(const QString& path) { m_helpFilePath = path; }
    QString helpFilePath() const { return m_helpFilePath; }
    static QString makerUrl();

    // The login and what follows it (the first appearance, and again after a switch of user): the Admin
    // test and ApplyMenuRights. Without a successful login the run ends and false is returned.
    bool startSession();
    bool hasRunEnded() const { return m_runEnded; }
    void ApplyMenuRights();

    // The one MDI child whose widget is exactly of class cls (not a derived one), brought to the front;
    // create() makes it when there is none.
    QMdiSubWindow* ShowChildForm(const QMetaObject& cls, const std::function<QWidget*()>& create);
    template <class W>
    QMdiSubWindow* ShowChildForm()
    {
        return ShowChildForm(W::staticMetaObject, [] { return new W; });
    }
    QMdiSubWindow* findChildForm(const QMetaObject& cls) const;
    // Opens the customer window for internal ("Y") or entrusted ("N") customers.
    QMdiSubWindow* openCustomerWindow(const QString& selfDataFlag);

    // ShellCommands: runs the dictionary item of the table.
    void runDictionaryCommand(const QString& table) override;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    QLabel* statusPanel(int index) const;
    QString statusText(int index) const;
    void setStatusText(int index, const QString& text);
    // A menu item or a top-level menu by its component name (N2, MI_UserSetting, N23 ...).
    QAction* menuItem(const QString& name) const;

    // Menu commands, named after their items.
    void MI_UserSettingClick();
    void N19Click();
    void N11Click();
    void N20Click();
    void N12Click();
    void N1Click();
    void N3Click();
    void Cascade1Click();
    void itle1Click();
    void ArrangeIcons1Click();
    void N14Click();
    void N15Click();
    void N16Click();
    void N17Click();
    void N30Click();
    void N32Click();
    void N24Click();
    void N25Click();
    void N33Click();
    void N34Click();

signals:
    // The login was left without success: the window has closed without asking anything.
    void runEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildMenu();
    void buildStatusBar();
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, void (MainWindow::*handler)());
    QAction* addSeparator(QMenu* menu, const QString& name);
    void dictionaryClick(const QString& table, const QString& caption);
    void notYetAvailable();
    bool runLoginDialog();
    void endRun();
    bool childrenMayClose();
    QList<QPointer<QMdiSubWindow>> childForms() const;

    QMdiArea* m_mdiArea = nullptr;
    QList<QLabel*> m_panels;
    QHash<QString, QAction*> m_items;
    LoginStep m_loginStep;
    UrlOpener m_urlOpener;
    QString m_helpFilePath;
    QString m_defaultDateFormat;
    QString m_defaultDateTimeFormat;
    bool m_firstShowDone = false;
    bool m_runEnded = false;
};
