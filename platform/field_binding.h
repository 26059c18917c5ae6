#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class DataSet;
class DateBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Binds edit controls to fields of a data set: each control shows its field of the current row,
// and what the user changed is written back as typed text (DataSet::setAsString) before a post.
// Controls the user did not touch are not written, so a value that a control cannot show exactly
// (a time of day, an item missing from a fixed list) is never replaced by what it shows.
class FieldBinding : public QObject {
    Q_OBJECT
public:
    explicit FieldBinding(DataSet* dataSet, QObject* parent = nullptr);

    DataSet* dataSet() const { return m_ds; }

    void bind(QLineEdit* edit, const QString& field);
    // Editable boxes show the text as it is; a fixed list shows the matching item, or none.
    void bind(QComboBox* box, const QString& field);
    void bind(QPlainTextEdit* edit, const QString& field);
    void bind(DateBox* box, const QString& field);

    QStringList fields() const;
    QWidget* control(const QString& field) const;   // nullptr when the field is not bound
    // The text a control holds now.
    QString controlText(const QString& field) const;

    // Shows the current row (empty controls when the data set is closed or empty).
    void refresh();
    // True when some control holds text other than what it showed.
    bool isModified() const;
    // Writes the changed controls into the pending row. DbError from a text the field cannot take
    // (a date that is none) leaves the controls as typed; what was written before stays written.
    void writeBack();

private:
    enum class Kind { Line, Combo, Plain, Date };
    struct Item {
        Kind kind;
        QPointer<QWidget> widget;
        QString field;
        QString shown;
    };
    void add(Kind kind, QWidget* widget, const QString& field);
    static QString textOf(const Item& item);
    static void show(Item& item, const QString& text);
    void onRowChanged(int row);

    QPointer<DataSet> m_ds;
    QList<Item> m_items;
    bool m_writing = false;
};
