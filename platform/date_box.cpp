#include "date_box.h"

#include "date_text.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QWidgetAction>

DateBox::DateBox(QWidget* parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_button(new QToolButton(this)), m_popup(new QMenu(this)),
      m_calendar(new QCalendarWidget(m_popup))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    m_edit->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
    m_button->setArrowType(Qt::DownArrow);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setToolTip(QStringLiteral("选择日期"));
    setFocusProxy(m_edit);

    auto* holder = new QWidgetAction(m_popup);
    holder->setDefaultWidget(m_calendar);
    m_popup->addAction(holder);
    m_popup->addSeparator();
    QAction* none = m_popup->addAction(QStringLiteral("清除日期"));
    connect(none, &QAction::triggered, this, [this] {
        if (isReadOnly() || m_edit->text().isEmpty())
            return;
        m_edit->clear();
        emit textEdited(QString());
    });

    connect(m_edit, &QLineEdit::textEdited, this, &DateBox::textEdited);
    connect(m_button, &QToolButton::clicked, this, &DateBox::showCalendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, &DateBox::pick);
    connect(m_calendar, &QCalendarWidget::activated, this, &DateBox::pick);
}

QString DateBox::text() const { return m_edit->text(); }

void DateBox::setText(const QString& text) { m_edit->setText(text); }

QDateTime DateBox::dateTime() const { return DateText::parse(m_edit->text().trimmed()); }

void DateBox::setDateTime(const QDateTime& moment)
{
    m_edit->setText(moment.isValid() ? DateText::fromDateTime(moment) : QString());
}

bool DateBox::isEmpty() const { return m_edit->text().trimmed().isEmpty(); }

void DateBox::clear() { m_edit->clear(); }

void DateBox::setReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
    m_button->setEnabled(!readOnly);
}

bool DateBox::isReadOnly() const { return m_edit->isReadOnly(); }

void DateBox::showCalendar()
{
    if (isReadOnly())
        return;
    const QDateTime shown = dateTime();
    m_calendar->setSelectedDate(shown.isValid() ? shown.date() : QDate::currentDate());
    m_popup->popup(mapToGlobal(QPoint(0, height())));
}

void DateBox::pick(const QDate& day)
{
    m_popup->hide();
    if (isReadOnly() || !day.isValid())
        return;
    // Picking a day keeps the time of day that the box held.
    const QDateTime before = dateTime();
    const QDateTime picked(day, before.isValid() ? before.time() : QTime(0, 0));
    const QString text = DateText::fromDateTime(picked);
    if (text == m_edit->text())
        return;
    m_edit->setText(text);
    emit textEdited(text);
}
