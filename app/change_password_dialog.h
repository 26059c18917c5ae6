#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The current user changes their own password (TfrmChangePassWord). The old password is checked and
// repeated in the update's row condition; a user without a password (NULL or empty) passes with an
// empty old-password box.
class ChangePasswordDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ChangePasswordDialog(QWidget* parent = nullptr);
    ~ChangePasswordDialog() override;

    // select * from Pub_User where  UserCode='<code>' and UserPassWord='<old>' 
    // (with an empty old password: ... and (UserPassWord is null or UserPassWord='') )
    static QString selectSql(const QString& userCode, const QString& oldPassword);
    // update Pub_User set UserPassWord = '<new>'where UserCode='<code>' and UserPassWord='<old>' 
    static QString updateSql(const QString& userCode, const QString& newPassword, const QString& oldPassword);

    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    static QString oldPasswordCondition(const QString& oldPassword);

    bool m_shown = false;
    QLineEdit* edUser = nullptr;
    QLineEdit* Ed_OldPass = nullptr;
    QLineEdit* Ed_NewPass = nullptr;
    QLineEdit* Ed_NewPass_Cfm = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
};
