#include "login_dialog.h"

#include "data_module.h"
#include "dialogs.h"
#include "main_window.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

bool isEnter(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

LoginDialog::LoginDialog(MainWindow* mainWindow, QWidget* parent)
    : QDialog(parent ? parent : mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                                | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Tamsor-Orvane"));

    TbUser = new DataSet(DM_Init().connection(), this);
    TbUser->setObjectName(QStringLiteral("TbUser"));
    TbUser->setTableName(QStringLiteral("Pub_User"));
    TbUser->setFieldList(userFieldList());

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);

    Image1 = new QLabel(panel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(picture());

    auto* userLabel = new QLabel(QStringLiteral("用户账号："), panel);
    userLabel->setObjectName(QStringLiteral("Label1"));
    auto* passLabel = new QLabel(QStringLiteral("用户密码："), panel);
    passLabel->setObjectName(QStringLiteral("Label2"));

    CbUserCode = new QComboBox(panel);
    CbUserCode->setObjectName(QStringLiteral("CbUserCode"));
    CbUserCode->setEditable(true);
    CbUserCode->setInsertPolicy(QComboBox::NoInsert);
    CbUserCode->setMinimumWidth(180);
    userLabel->setBuddy(CbUserCode);

    EdPassWord = new QLineEdit(panel);
    EdPassWord->setObjectName(QStringLiteral("EdPassWord"));
    EdPassWord->setEchoMode(QLineEdit::Password);
    passLabel->setBuddy(EdPassWord);

    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(14);
    fields->addWidget(userLabel, 0, 0);
    fields->addWidget(CbUserCode, 0, 1);
    fields->addWidget(passLabel, 1, 0);
    fields->addWidget(EdPassWord, 1, 1);

    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(12, 12, 18, 12);
    panelLayout->setSpacing(18);
    panelLayout->addWidget(Image1);
    panelLayout->addLayout(fields, 1);

    SBOk = new QToolButton(this);
    SBOk->setObjectName(QStringLiteral("SBOk"));
    SBOk->setText(QStringLiteral("登录"));
    SBOk->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    SBCancel = new QToolButton(this);
    SBCancel->setObjectName(QStringLiteral("SBCancel"));
    SBCancel->setText(QStringLiteral("取消"));
    SBCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    for (QToolButton* b : {SBOk, SBCancel}) {
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setMinimumWidth(80);
    }
    connect(SBOk, &QToolButton::clicked, this, &LoginDialog::SBOkClick);
    connect(SBCancel, &QToolButton::clicked, this, &LoginDialog::SBCancelClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SBOk);
    buttons->addWidget(SBCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    CbUserCode->installEventFilter(this);
    if (CbUserCode->lineEdit())
        CbUserCode->lineEdit()->installEventFilter(this);
    EdPassWord->installEventFilter(this);
    CbUserCode->setFocus();
}

LoginDialog::~LoginDialog() = default;

QList<FieldDecl> LoginDialog::userFieldList()
{
    using F = FieldFamily;
    return {
        {QStringLiteral("UserCode"), F::Text},        {QStringLiteral("UserName"), F::Text},
        {QStringLiteral("DutyName"), F::Text},        {QStringLiteral("Email"), F::Text},
        {QStringLiteral("Fax"), F::Text},             {QStringLiteral("Tel"), F::Text},
        {QStringLiteral("MobileNo"), F::Text},        {QStringLiteral("UserPassWord"), F::Text},
        {QStringLiteral("Sex"), F::Text},             {QStringLiteral("HireDate"), F::DateTime},
        {QStringLiteral("JG"), F::Text},              {QStringLiteral("XL"), F::Text},
        {QStringLiteral("School"), F::Text},          {QStringLiteral("SFNo"), F::Text},
        {QStringLiteral("LiveAddress"), F::Text},     {QStringLiteral("SFAddress"), F::Text},
        {QStringLiteral("JobProfile"), F::Text},      {QStringLiteral("EngUserName"), F::Text},
        {QStringLiteral("FjPath"), F::Text},          {QStringLiteral("ModifyDate"), F::DateTime},
        {QStringLiteral("AllowUsed"), F::Boolean},    {QStringLiteral("LoginIP"), F::Text},
        {QStringLiteral("Age"), F::Integer},          {QStringLiteral("Photo"), F::Binary},
        {QStringLiteral("UseAccount"), F::Text},      {QStringLiteral("RolePriv"), F::Integer},
        {QStringLiteral("CustPriv"), F::Boolean},     {QStringLiteral("BasePriv"), F::Boolean},
        {QStringLiteral("Priv"), F::Integer},         {QStringLiteral("ImagePath"), F::Text},
        {QStringLiteral("CustExport"), F::Boolean},   {QStringLiteral("CustPrint"), F::Boolean},
        {QStringLiteral("LXJLExport"), F::Boolean},   {QStringLiteral("BackRestoreDBBase"), F::Boolean},
        {QStringLiteral("ExportToEmail"), F::Boolean}, {QStringLiteral("NeedAudit"), F::Boolean},
        {QStringLiteral("AuditCode"), F::Text},       {QStringLiteral("AuditName"), F::Text},
    };
}

// Our own artwork: a badge with a person and a key, drawn so that no image file has to ship.
QPixmap LoginDialog::picture()
{
    const qreal ratio = 2.0;
    QPixmap pm(QSize(96, 112) * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient bg(0, 0, 0, 112);
    bg.setColorAt(0, QColor(0x3d, 0x7e, 0xc9));
    bg.setColorAt(1, QColor(0x1c, 0x4a, 0x8a));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(2, 2, 92, 108), 12, 12);

    p.setBrush(QColor(255, 255, 255, 235));
    p.drawEllipse(QPointF(42, 36), 15, 15);
    QPainterPath body;
    body.moveTo(14, 88);
    body.cubicTo(14, 60, 70, 60, 70, 88);
    body.closeSubpath();
    p.drawPath(body);

    QPen keyPen(QColor(0xf2, 0xb6, 0x32), 5, Qt::SolidLine, Qt::RoundCap);
    p.setPen(keyPen);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(70, 66), 8, 8);
    p.drawLine(QPointF(70, 74), QPointF(70, 98));
    p.drawLine(QPointF(70, 90), QPointF(78, 90));
    p.drawLine(QPointF(70, 97), QPointF(76, 97));
    return pm;
}

void LoginDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void LoginDialog::FormShow()
{
    if (!TbUser->isOpen())
        TbUser->open();
    TbUser->first();
    CbUserCode->clear();
    while (!TbUser->eof()) {
        CbUserCode->addItem(TbUser->asString(QStringLiteral("UserCode")).trimmed());
        TbUser->next();
    }
    CbUserCode->setEditText(QString());
}

bool LoginDialog::CheckLogin(const QString& userCode, const QString& password)
{
    QString userName;
    const bool ok = DM_Init().CheckLogin(userCode, password, &userName);
    if (m_mainWindow)
        m_mainWindow->setStatusText(2, QStringLiteral("当前用户：") + userName);
    ShowConnectionInfo();
    return ok;
}

void LoginDialog::ShowConnectionInfo()
{
    if (!m_mainWindow)
        return;
    const QString server = DM_Init().ReadConfigValue(QStringLiteral("ServerName"));
    m_mainWindow->setStatusText(0, server == QLatin1String(".") ? QStringLiteral("服务器名称：本机")
                                                                 : QStringLiteral("服务器名称：") + server);
    m_mainWindow->setStatusText(1, QStringLiteral("数据库名称：") + DM_Init().ReadConfigValue(QStringLiteral("DataBase")));
}

void LoginDialog::SBOkClick()
{
    if (CheckLogin(CbUserCode->currentText(), EdPassWord->text())) {
        LoginOK = true;
        accept();
        return;
    }
    dialogs().notice(this, QStringLiteral("密码输入不正确"));
    EdPassWord->clear();
    LoginOK = false;
    EdPassWord->setFocus();
}

void LoginDialog::SBCancelClick() { reject(); }

bool LoginDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (isEnter(event)) {
        if (watched == EdPassWord) {
            SBOkClick();
            return true;
        }
        if (watched == CbUserCode || (CbUserCode && watched == CbUserCode->lineEdit())) {
            EdPassWord->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
