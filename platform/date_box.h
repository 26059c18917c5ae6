#pragma once

#include <QDateTime>
#include <QWidget>

class QLineEdit;
class QToolButton;
class QCalendarWidget;
class QMenu;

// A date entry that may be empty: a text box that takes YYYY-MM-DD (with an optional time) and a
// button that drops down a calendar. The empty text stands for no date.
class DateBox : public QWidget {
    Q_OBJECT
public:
    explicit DateBox(QWidget* parent = nullptr);

    // The text as shown or typed; the empty text for no date.
    QString text() const;
    void setText(const QString& text);
    // The date and time the text names; invalid when the box is empty or holds no date.
    QDateTime dateTime() const;
    void setDateTime(const QDateTime& moment);   // an invalid moment empties the box
    bool isEmpty() const;
    void clear();

    void setReadOnly(bool readOnly);
    bool isReadOnly() const;
    QLineEdit* lineEdit() const { return m_edit; }

signals:
    // The user changed the text (typing or picking a day).
    void textEdited(const QString& text);

private:
    void showCalendar();
    void pick(const QDate& day);

    QLineEdit* m_edit;
    QToolButton* m_button;
    QMenu* m_popup;
    QCalendarWidget* m_calendar;
};
