#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class DataSet;

// Shows a data set in a view: one column per listed field, the header captions as given.
// Clicking a header sorts the rows on show.
class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString caption;
    };

    DataSetModel(DataSet* dataSet, QList<Column> columns, QObject* parent = nullptr);
    // With no column list every field of the data set is shown under its own name.
    explicit DataSetModel(DataSet* dataSet, QObject* parent = nullptr);

    DataSet* dataSet() const { return m_ds; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    int fieldOf(int column) const;
    QPointer<DataSet> m_ds;
    QList<Column> m_columns;
    bool m_allFields = false;
};
