#include "pick_list_box.h"

#include <QLineEdit>

PickListBox::PickListBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void PickListBox::setItems(const QStringList& items)
{
    const QString text = currentText();
    const bool blocked = blockSignals(true);
    clear();
    addItems(items);
    if (isEditable())
        setEditText(text);
    else
        setCurrentIndex(findText(text, Qt::MatchExactly));
    blockSignals(blocked);
}

void PickListBox::showPopup()
{
    if (m_refill && !m_refill(this))
        return;
    QComboBox::showPopup();
}
