#pragma once

#include <QComboBox>
#include <functional>

// An editable drop-down whose items are refilled each time it drops down, so that a name added
// to its dictionary meanwhile is offered at once. The typed text is kept across a refill.
class PickListBox : public QComboBox {
    Q_OBJECT
public:
    explicit PickListBox(QWidget* parent = nullptr);

    // The dictionary table the items come from.
    void setTable(const QString& table) { m_table = table; }
    QString table() const { return m_table; }

    // Replaces the items, keeping the text in the box.
    void setItems(const QStringList& items);

    // Called before each drop-down to refill the box (FillPickList). Returning false (the refill
    // failed and the user was told) keeps the list closed.
    void setRefill(std::function<bool(PickListBox*)> refill) { m_refill = std::move(refill); }

    void showPopup() override;

private:
    QString m_table;
    std::function<bool(PickListBox*)> m_refill;
};
