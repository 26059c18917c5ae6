#include "change_password_dialog.h"

#include "data_module.h"
#include "dialogs.h"
#include "sql_text.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
// The size of Pub_User.UserPassWord; a longer password would be cut or refused by the server.
constexpr int kPasswordLength = 10;
} // namespace

ChangePasswordDialog::ChangePasswordDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmChangePassWord"));
    setWindowTitle(QStringLiteral("修改密码"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    edUser = new QLineEdit(panel);
    edUser->setObjectName(QStringLiteral("edUser"));
    edUser->setReadOnly(true);
    edUser->setFocusPolicy(Qt::NoFocus);
    QPalette grey = edUser->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    edUser->setPalette(grey);

    Ed_OldPass = new QLineEdit(panel);
    Ed_OldPass->setObjectName(QStringLiteral("Ed_OldPass"));
    Ed_NewPass = new QLineEdit(panel);
    Ed_NewPass->setObjectName(QStringLiteral("Ed_NewPass"));
    Ed_NewPass->setMaxLength(kPasswordLength);
    Ed_NewPass_Cfm = new QLineEdit(panel);
    Ed_NewPass_Cfm->setObjectName(QStringLiteral("Ed_NewPass_Cfm"));
    Ed_NewPass_Cfm->setMaxLength(kPasswordLength);

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setVerticalSpacing(10);
    const QList<QPair<QString, QLineEdit*>> rows = {
        {QStringLiteral("当前用户："), edUser},
        {QStringLiteral("原 密 码："), Ed_OldPass},
        {QStringLiteral("新 密 码："), Ed_NewPass},
        {QStringLiteral("新 密 码："), Ed_NewPass_Cfm},
    };
    for (int i = 0; i < rows.size(); ++i) {
        auto* label = new QLabel(rows[i].first, panel);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setBuddy(rows[i].second);
        rows[i].second->setMinimumWidth(170);
        grid->addWidget(label, i, 0);
        grid->addWidget(rows[i].second, i, 1);
    }

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("确定"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("取消"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    connect(BitBtn1, &QPushButton::clicked, this, &ChangePasswordDialog::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &ChangePasswordDialog::BitBtn2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(Ed_OldPass, Ed_NewPass);
    setTabOrder(Ed_NewPass, Ed_NewPass_Cfm);
    setTabOrder(Ed_NewPass_Cfm, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    for (QLineEdit* e : {Ed_OldPass, Ed_NewPass, Ed_NewPass_Cfm})
        e->installEventFilter(this);
    Ed_OldPass->setFocus();
}

ChangePasswordDialog::~ChangePasswordDialog() = default;

// A user who never had a password holds NULL; an empty box must find that row as it finds ''.
QString ChangePasswordDialog::oldPasswordCondition(const QString& oldPassword)
{
    if (oldPassword.isEmpty())
        return QStringLiteral("' and (UserPassWord is null or UserPassWord='') ");
    return QStringLiteral("' and UserPassWord='") + SqlText::escape(oldPassword) + QStringLiteral("' ");
}

QString ChangePasswordDialog::selectSql(const QString& userCode, const QString& oldPassword)
{
    return QStringLiteral("select * from Pub_User where  UserCode='") + SqlText::escape(userCode)
           + oldPasswordCondition(oldPassword);
}

QString ChangePasswordDialog::updateSql(const QString& userCode, const QString& newPassword, const QString& oldPassword)
{
    return QStringLiteral("update Pub_User set UserPassWord = '") + SqlText::escape(newPassword)
           + QStringLiteral("'where UserCode='") + SqlText::escape(userCode) + oldPasswordCondition(oldPassword);
}

void ChangePasswordDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void ChangePasswordDialog::FormShow() { edUser->setText(DM_Init().CurrentUserCode); }

void ChangePasswordDialog::BitBtn1Click()
{
    Connection& conn = DM_Init().connection();
    const QString userCode = DM_Init().CurrentUserCode;
    QSqlQuery found = conn.query(selectSql(userCode, Ed_OldPass->text()));
    if (!found.next()) {
        dialogs().message(this, QStringLiteral("输入的原密码不正确"));
        Ed_NewPass_Cfm->clear();
        Ed_NewPass->clear();
        Ed_OldPass->clear();
        Ed_OldPass->setFocus();
        return;
    }
    found = QSqlQuery();
    if (Ed_NewPass->text() != Ed_NewPass_Cfm->text()) {
        dialogs().message(this, QStringLiteral("输入的新密码两次不一样"));
        Ed_NewPass_Cfm->clear();
        Ed_NewPass->clear();
        Ed_NewPass_Cfm->setFocus();
        return;
    }
    conn.execute(updateSql(userCode, Ed_NewPass->text(), Ed_OldPass->text()));
    dialogs().message(this, QStringLiteral("修改密码成功"));
}

void ChangePasswordDialog::BitBtn2Click() { reject(); }

bool ChangePasswordDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == Ed_OldPass)
                Ed_NewPass->setFocus(Qt::TabFocusReason);
            else if (watched == Ed_NewPass)
                Ed_NewPass_Cfm->setFocus(Qt::TabFocusReason);
            else if (watched == Ed_NewPass_Cfm)
                BitBtn1->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
