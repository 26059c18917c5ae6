#pragma once

#include "connection.h"

#include <QObject>
#include <QVariant>
#include <QVector>

// A field that a data set declares it needs; opening fails when the result lacks it or holds it
// with a type of another family.
struct FieldDecl {
    QString name;
    FieldFamily family;
};

// A static cursor over the rows of a table, a SELECT or the paging call, edited in place and
// written back row by row to its base table by key. Each write checks that the row still holds
// the values it was read with, so another workstation's change or delete is never overwritten.
class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Insert, Edit };

    explicit DataSet(Connection& connection, QObject* parent = nullptr);
    ~DataSet() override;

    Connection& connection() const { return m_conn; }

    // What open() runs: a statement, or all rows of a table.
    void setSql(const QString& sql);
    QString sql() const { return m_sql; }
    void setTableName(const QString& table);
    QString tableName() const { return m_tableName; }
    void setFieldList(QList<FieldDecl> fields) { m_fieldList = std::move(fields); }

    void open();
    void close();   // a pending insert or edit is discarded
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Insert || m_state == State::Edit; }
    // The table that writes go to: the named table, the table after FROM, or the paged table.
    QString baseTable() const { return m_baseTable; }

    int recordCount() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    int recNo() const { return m_current; }            // 0-based current row, -1 when empty
    void setRecNo(int row);                            // posts a pending change first
    void first();
    void prior();
    void next();
    void last();
    bool eof() const { return m_eof; }                 // a next() ran past the last row, or no rows
    bool bof() const { return m_bof; }

    int fieldCount() const { return m_fields.size(); }
    QString fieldName(int index) const;
    int fieldIndex(const QString& name) const;         // without regard to case; -1 when missing
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    FieldFamily fieldFamily(int index) const;

    // Values of the current row (the pending row while inserting or editing), by name without regard
    // to case; DbError for an unknown field.
    QVariant value(const QString& field) const;
    QString asString(const QString& field) const;      // dates as YYYY-MM-DD[ hh:mm:ss]; NULL as ""
    bool asBool(const QString& field) const;           // NULL is false
    qlonglong asInt(const QString& field) const;
    bool isNull(const QString& field) const;
    // Values of any row, for views.
    QVariant value(int row, int column) const;
    QString displayText(int row, int column) const;

    // Change the pending row (Insert or Edit state; DbError otherwise).
    void setValue(const QString& field, const QVariant& value);
    // Text as a user typed it, converted by the field's type: the empty text leaves a date or number NULL;
    // text that is no number or date gives DbError naming the field.
    void setAsString(const QString& field, const QString& text);

    void append();   // a new row at the end becomes current, in Insert state
    void edit();     // the current row goes into Edit state
    void post();     // write the pending row; on failure it stays pending
    void cancel();   // discard the pending row
    void remove();   // delete the current row from the base table, then from the set

    // Reorders the rows on show (no statement runs).
    void sortBy(int column, Qt::SortOrder order);

    // Converts a value read from the database to the field's family.
    static QVariant typedValue(FieldFamily family, const QVariant& raw);
    static QString textOf(FieldFamily family, const QVariant& typed);

signals:
    void dataReset();                  // opened, closed or reordered
    void rowChanged(int row);          // values of a row changed
    void rowInserted(int row);
    void rowRemoved(int row);
    void currentChanged(int row);
    void stateChanged(DataSet::State state);

private:
    struct Field {
        QString name;
        FieldFamily family;
        int tableColumn;   // index in the base table's columns, -1 when not a column of it
    };
    using Row = QVector<QVariant>;

    void requireOpen() const;
    int requireField(const QString& name) const;
    const Row* currentRow() const;
    void setState(State s);
    void checkFieldList() const;
    QVariant bindable(int fieldIndex, const QVariant& typed) const;
    QString whereForRow(const Row& original, QVariantList& binds) const;
    void postInsert();
    void postEdit();

    Connection& m_conn;
    QString m_sql;
    QString m_tableName;
    QString m_baseTable;
    QList<FieldDecl> m_fieldList;
    QVector<Field> m_fields;
    QVector<Row> m_rows;
    Row m_original;        // the row as read, while editing
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    State m_state = State::Inactive;
};
