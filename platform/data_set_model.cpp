#include "data_set_model.h"

#include "data_set.h"

DataSetModel::DataSetModel(DataSet* dataSet, QList<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_ds(dataSet), m_columns(std::move(columns))
{
    auto resetAll = [this] {
        beginResetModel();
        endResetModel();
    };
    connect(m_ds, &DataSet::dataReset, this, resetAll);
    // Rows are appended and removed one at a time; a reset keeps the view's picture right without
    // tracking indexes, and pages are small.
    connect(m_ds, &DataSet::rowInserted, this, resetAll);
    connect(m_ds, &DataSet::rowRemoved, this, resetAll);
    connect(m_ds, &DataSet::rowChanged, this, [this](int row) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

DataSetModel::DataSetModel(DataSet* dataSet, QObject* parent) : DataSetModel(dataSet, {}, parent) { m_allFields = true; }

int DataSetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_ds)
        return 0;
    return m_ds->recordCount();
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    if (m_allFields)
        return m_ds ? m_ds->fieldCount() : 0;
    return m_columns.size();
}

int DataSetModel::fieldOf(int column) const
{
    if (!m_ds)
        return -1;
    if (m_allFields)
        return column;
    return column >= 0 && column < m_columns.size() ? m_ds->fieldIndex(m_columns[column].field) : -1;
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const int f = fieldOf(index.column());
    if (f < 0)
        return {};
    return m_ds->displayText(index.row(), f);
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (m_allFields)
        return m_ds ? m_ds->fieldName(section) : QVariant();
    return section < m_columns.size() ? m_columns[section].caption : QVariant();
}

void DataSetModel::sort(int column, Qt::SortOrder order)
{
    const int f = fieldOf(column);
    if (f < 0 || !m_ds->isOpen())
        return;
    m_ds->sortBy(f, order);
}
