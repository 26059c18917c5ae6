#include "field_binding.h"

#include "data_set.h"
#include "date_box.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

FieldBinding::FieldBinding(DataSet* dataSet, QObject* parent) : QObject(parent), m_ds(dataSet)
{
    connect(m_ds, &DataSet::dataReset, this, &FieldBinding::refresh);
    connect(m_ds, &DataSet::currentChanged, this, &FieldBinding::refresh);
    connect(m_ds, &DataSet::rowChanged, this, &FieldBinding::onRowChanged);
    connect(m_ds, &DataSet::rowRemoved, this, &FieldBinding::refresh);
}

void FieldBinding::add(Kind kind, QWidget* widget, const QString& field)
{
    m_items.append(Item{kind, widget, field, QString()});
    show(m_items.last(), QString());
    m_items.last().shown = textOf(m_items.last());
}

void FieldBinding::bind(QLineEdit* edit, const QString& field) { add(Kind::Line, edit, field); }
void FieldBinding::bind(QComboBox* box, const QString& field) { add(Kind::Combo, box, field); }
void FieldBinding::bind(QPlainTextEdit* edit, const QString& field) { add(Kind::Plain, edit, field); }
void FieldBinding::bind(DateBox* box, const QString& field) { add(Kind::Date, box, field); }

QStringList FieldBinding::fields() const
{
    QStringList out;
    for (const Item& i : m_items)
        out << i.field;
    return out;
}

QWidget* FieldBinding::control(const QString& field) const
{
    for (const Item& i : m_items)
        if (i.field.compare(field, Qt::CaseInsensitive) == 0)
            return i.widget;
    return nullptr;
}

QString FieldBinding::controlText(const QString& field) const
{
    for (const Item& i : m_items)
        if (i.field.compare(field, Qt::CaseInsensitive) == 0)
            return textOf(i);
    return {};
}

QString FieldBinding::textOf(const Item& item)
{
    if (!item.widget)
        return {};
    switch (item.kind) {
    case Kind::Line: return static_cast<QLineEdit*>(item.widget.data())->text();
    case Kind::Combo: return static_cast<QComboBox*>(item.widget.data())->currentText();
    case Kind::Plain: return static_cast<QPlainTextEdit*>(item.widget.data())->toPlainText();
    case Kind::Date: return static_cast<DateBox*>(item.widget.data())->text();
    }
    return {};
}

void FieldBinding::show(Item& item, const QString& text)
{
    if (!item.widget)
        return;
    switch (item.kind) {
    case Kind::Line: {
        auto* e = static_cast<QLineEdit*>(item.widget.data());
        e->setText(text);
        e->setCursorPosition(0);
        break;
    }
    case Kind::Combo: {
        auto* b = static_cast<QComboBox*>(item.widget.data());
        if (b->isEditable())
            b->setEditText(text);
        else
            b->setCurrentIndex(b->findText(text, Qt::MatchExactly));
        break;
    }
    case Kind::Plain: static_cast<QPlainTextEdit*>(item.widget.data())->setPlainText(text); break;
    case Kind::Date: static_cast<DateBox*>(item.widget.data())->setText(text); break;
    }
}

void FieldBinding::refresh()
{
    if (m_writing)
        return;
    const bool hasRow = m_ds && m_ds->isOpen() && m_ds->recNo() >= 0;
    for (Item& item : m_items) {
        QString text;
        if (hasRow && m_ds->hasField(item.field))
            text = m_ds->asString(item.field);
        show(item, text);
        item.shown = textOf(item);
    }
}

void FieldBinding::onRowChanged(int row)
{
    if (m_ds && row == m_ds->recNo())
        refresh();
}

bool FieldBinding::isModified() const
{
    for (const Item& item : m_items)
        if (item.widget && textOf(item) != item.shown)
            return true;
    return false;
}

void FieldBinding::writeBack()
{
    if (!m_ds)
        return;
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(m_writing);
    for (Item& item : m_items) {
        if (!item.widget)
            continue;
        const QString now = textOf(item);
        if (now == item.shown)
            continue;
        m_ds->setAsString(item.field, now);
        item.shown = now;
    }
}
