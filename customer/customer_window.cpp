#include "customer_window.h"

#include "dialogs.h"

#include <QCloseEvent>

CustomerWindow::CustomerWindow(QWidget* parent) : QWidget(parent) {}

CustomerWindow::~CustomerWindow() = default;

void CustomerWindow::setSelfDataFlag(const QString& flag)
{
    m_selfDataFlag = flag;
}

void CustomerWindow::closeEvent(QCloseEvent* event)
{
    if (m_editMode > 0) {
        dialogs().notice(this, QStringLiteral("当前处于编辑状态,请先保存数据."));
        event->ignore();
        return;
    }
    event->accept();
}
