#pragma once

#include "data_set.h"

#include <QDialog>
#include <QList>

class MainWindow;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

// The login dialog (TfrmLogin): checks a user code and password against Pub_User, keeps the code as
// DM_Init().CurrentUserCode and writes server, database and user into the main window's status bar.
// It only reports the outcome; the main window ends the run when loginOK() is false after it closed.
class LoginDialog final : public QDialog {
    Q_OBJECT
public:
    // mainWindow receives the status-bar texts; it may be null (nothing is written then).
    explicit LoginDialog(MainWindow* mainWindow, QWidget* parent = nullptr);
    ~LoginDialog() override;

    bool loginOK() const { return LoginOK; }

    // The check of one attempt; writes panel 2 and then panels 0 and 1 whatever the outcome.
    bool CheckLogin(const QString& userCode, const QString& password);
    void ShowConnectionInfo();

    // Every column of Pub_User but the nine rights, with the family the login's list needs.
    static QList<FieldDecl> userFieldList();
    static QPixmap picture();

    void SBOkClick();
    void SBCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();

    MainWindow* m_mainWindow;
    bool LoginOK = false;
    bool m_shown = false;
    DataSet* TbUser = nullptr;
    QLabel* Image1 = nullptr;
    QComboBox* CbUserCode = nullptr;
    QLineEdit* EdPassWord = nullptr;
    QToolButton* SBOk = nullptr;
    QToolButton* SBCancel = nullptr;
};
