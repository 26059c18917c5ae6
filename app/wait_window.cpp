#include "wait_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QScreen>

WaitWindow::WaitWindow(QWidget* over) : QFrame(over, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmWait"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setFixedSize(407, 60);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_label = new QLabel(waitText(), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    QFont font(fontFamily());
    font.setPixelSize(15);
    font.setBold(true);
    m_label->setFont(font);
    m_label->move(96, 24);
    m_label->adjustSize();
    // Raised text: a light copy of the glyphs offset up and to the left.
    auto* raised = new QGraphicsDropShadowEffect(m_label);
    raised->setBlurRadius(0);
    raised->setColor(Qt::white);
    raised->setOffset(-1, -1);
    m_label->setGraphicsEffect(raised);
}

WaitWindow::~WaitWindow()
{
    if (waitIndicator() == this)
        setWaitIndicator(nullptr);
}

QString WaitWindow::waitText() { return QStringLiteral("正在处理数据请稍等........"); }

QString WaitWindow::fontFamily()
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& wanted : {QStringLiteral("幼圆"), QStringLiteral("YouYuan"), QStringLiteral("WenQuanYi Micro Hei"),
                                  QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC")}) {
        if (installed.contains(wanted, Qt::CaseInsensitive))
            return wanted;
    }
    for (const QString& family : installed) {
        if (QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
            return family;
    }
    return QApplication::font().family();
}

void WaitWindow::centreOverOwner()
{
    QRect area;
    if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr; owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (QScreen* s = screen())
        area = s->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(width() / 2, height() / 2));
}

// Only paint and window events run here: a click queued meanwhile must not start a second command
// inside the one that is working.
void WaitWindow::showWait()
{
    centreOverOwner();
    show();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitWindow::hideWait()
{
    hide();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
