#include "data_set.h"

#include "date_text.h"
#include "db_error.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <algorithm>

namespace {

FieldFamily familyOfMetaType(int id)
{
    switch (id) {
    case QMetaType::Bool: return FieldFamily::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return FieldFamily::Integer;
    case QMetaType::Double:
    case QMetaType::Float: return FieldFamily::Number;
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime: return FieldFamily::DateTime;
    case QMetaType::QByteArray: return FieldFamily::Binary;
    default: return FieldFamily::Text;
    }
}

QString baseTableOf(const QString& sql)
{
    static const QRegularExpression from(QStringLiteral(R"(^\s*select\b.*?\bfrom\s+([A-Za-z_][A-Za-z0-9_]*))"),
                                         QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = from.match(sql);
    return m.hasMatch() ? m.captured(1) : QString();
}

const QString kConflict = QStringLiteral("该记录已被其他用户修改或删除，本次更改没有保存。请重新查询后再试。");

} // namespace

DataSet::DataSet(Connection& connection, QObject* parent) : QObject(parent), m_conn(connection) {}
DataSet::~DataSet() = default;

void DataSet::setSql(const QString& sql)
{
    m_sql = sql;
    m_tableName.clear();
}

void DataSet::setTableName(const QString& table)
{
    m_tableName = table;
    m_sql.clear();
}

void DataSet::requireOpen() const
{
    if (m_state == State::Inactive)
        throw DbError(QStringLiteral("数据集没有打开"));
}

void DataSet::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged(s);
}

void DataSet::open()
{
    if (isOpen())
        return;
    QString sql = m_sql;
    if (!m_tableName.isEmpty())
        sql = QStringLiteral("select * from ") + m_tableName;
    if (sql.trimmed().isEmpty())
        throw DbError(QStringLiteral("数据集没有指定语句"));

    QString base;
    if (!m_tableName.isEmpty())
        base = m_tableName;
    else if (const auto call = Connection::parsePagingCall(sql))
        base = call->table;
    else
        base = baseTableOf(sql);

    // The catalog is read first: on PostgreSQL a second statement would end the streaming result.
    const TableInfo* info = nullptr;
    if (!base.isEmpty()) {
        try {
            info = &m_conn.tableInfo(base);
        } catch (const DbError&) {
            info = nullptr;   // a view or a derived result: read-only
        }
    }
    QSqlQuery q = m_conn.query(sql);
    m_baseTable = info ? info->name : QString();

    QVector<Field> fields;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i) {
        Field f;
        f.name = rec.fieldName(i);
        f.tableColumn = info ? info->indexOf(f.name) : -1;
        f.family = f.tableColumn >= 0 ? info->columns[f.tableColumn].family : familyOfMetaType(rec.field(i).metaType().id());
        fields << f;
    }
    QVector<Row> rows;
    while (q.next()) {
        Row r(fields.size());
        for (int i = 0; i < fields.size(); ++i)
            r[i] = typedValue(fields[i].family, q.value(i));
        rows << std::move(r);
    }
    if (q.lastError().isValid())
        throw DbError(Connection::errorText(q));

    m_fields = std::move(fields);
    m_rows = std::move(rows);
    try {
        checkFieldList();
    } catch (...) {
        m_fields.clear();
        m_rows.clear();
        throw;
    }
    m_current = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    setState(State::Browse);
    emit dataReset();
    emit currentChanged(m_current);
}

void DataSet::checkFieldList() const
{
    for (const FieldDecl& d : m_fieldList) {
        const int i = fieldIndex(d.name);
        if (i < 0)
            throw DbError(QStringLiteral("打开数据集失败：%1 中没有字段 %2").arg(m_baseTable.isEmpty() ? m_sql : m_baseTable, d.name));
        if (m_fields[i].family != d.family)
            throw DbError(QStringLiteral("打开数据集失败：字段 %1 的类型应为%2，实际为%3")
                              .arg(d.name, familyName(d.family), familyName(m_fields[i].family)));
    }
}

void DataSet::close()
{
    if (!isOpen())
        return;
    if (m_state == State::Insert && m_current >= 0)
        m_rows.remove(m_current);
    m_rows.clear();
    m_fields.clear();
    m_original.clear();
    m_current = -1;
    m_bof = m_eof = true;
    setState(State::Inactive);
    emit dataReset();
    emit currentChanged(-1);
}

QString DataSet::fieldName(int index) const { return m_fields.value(index).name; }
FieldFamily DataSet::fieldFamily(int index) const { return m_fields.value(index).family; }

int DataSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int DataSet::requireField(const QString& name) const
{
    requireOpen();
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("数据集中没有字段 %1").arg(name));
    return i;
}

const DataSet::Row* DataSet::currentRow() const
{
    if (m_current < 0 || m_current >= m_rows.size())
        return nullptr;
    return &m_rows[m_current];
}

void DataSet::setRecNo(int row)
{
    requireOpen();
    if (m_rows.isEmpty())
        return;
    row = std::clamp(row, 0, static_cast<int>(m_rows.size()) - 1);
    if (row == m_current)
        return;
    if (isEditing())
        post();
    m_current = row;
    emit currentChanged(m_current);
}

void DataSet::first()
{
    requireOpen();
    setRecNo(0);
    m_bof = true;
    m_eof = m_rows.isEmpty();
}

void DataSet::last()
{
    requireOpen();
    setRecNo(m_rows.size() - 1);
    m_eof = true;
    m_bof = m_rows.isEmpty();
}

void DataSet::next()
{
    requireOpen();
    if (m_current + 1 >= m_rows.size()) {
        if (isEditing())
            post();
        m_eof = true;
        return;
    }
    setRecNo(m_current + 1);
    m_bof = false;
    m_eof = false;
}

void DataSet::prior()
{
    requireOpen();
    if (m_current <= 0) {
        if (isEditing())
            post();
        m_bof = true;
        return;
    }
    setRecNo(m_current - 1);
    m_bof = false;
    m_eof = false;
}

QVariant DataSet::value(const QString& field) const
{
    const int i = requireField(field);
    const Row* r = currentRow();
    return r ? (*r)[i] : QVariant();
}

QVariant DataSet::value(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fields.size())
        return {};
    return m_rows[row][column];
}

QString DataSet::textOf(FieldFamily family, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (family) {
    case FieldFamily::DateTime: return DateText::fromDateTime(v.toDateTime());
    case FieldFamily::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldFamily::Number: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        return ok ? QString::number(d, 'g', 15) : v.toString();
    }
    case FieldFamily::Binary: return QString::fromUtf8(v.toByteArray());
    default: return v.toString();
    }
}

QString DataSet::displayText(int row, int column) const
{
    if (column < 0 || column >= m_fields.size())
        return {};
    return textOf(m_fields[column].family, value(row, column));
}

QString DataSet::asString(const QString& field) const
{
    const int i = requireField(field);
    return textOf(m_fields[i].family, value(field));
}

bool DataSet::asBool(const QString& field) const
{
    return typedValue(FieldFamily::Boolean, value(field)).toBool();
}

qlonglong DataSet::asInt(const QString& field) const { return value(field).toLongLong(); }
bool DataSet::isNull(const QString& field) const { return value(field).isNull(); }

QVariant DataSet::typedValue(FieldFamily family, const QVariant& raw)
{
    if (!raw.isValid() || raw.isNull())
        return QVariant();
    switch (family) {
    case FieldFamily::Integer: {
        bool ok = false;
        const qlonglong n = raw.toLongLong(&ok);
        return ok ? QVariant(n) : raw;
    }
    case FieldFamily::Number: {
        bool ok = false;
        const double d = raw.toDouble(&ok);
        return ok ? QVariant(d) : raw;
    }
    case FieldFamily::Boolean:
        if (raw.metaType().id() == QMetaType::QString) {
            const QString s = raw.toString().trimmed().toLower();
            return QVariant(s == QLatin1String("1") || s == QLatin1String("true") || s == QLatin1String("t") || s == QLatin1String("yes"));
        }
        return QVariant(raw.toBool());
    case FieldFamily::DateTime: {
        const QDateTime dt = DateText::fromVariant(raw);
        return dt.isValid() ? QVariant(dt) : raw;
    }
    case FieldFamily::Binary: return QVariant(raw.toByteArray());
    case FieldFamily::Text: return QVariant(raw.toString());
    }
    return raw;
}

void DataSet::setValue(const QString& field, const QVariant& v)
{
    const int i = requireField(field);
    if (!isEditing())
        throw DbError(QStringLiteral("数据集不在编辑状态，不能修改字段 %1").arg(m_fields[i].name));
    m_rows[m_current][i] = typedValue(m_fields[i].family, v);
    emit rowChanged(m_current);
}

void DataSet::setAsString(const QString& field, const QString& text)
{
    const int i = requireField(field);
    const FieldFamily fam = m_fields[i].family;
    if (fam == FieldFamily::Text || fam == FieldFamily::Binary) {
        setValue(field, text);
        return;
    }
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        setValue(field, QVariant());
        return;
    }
    switch (fam) {
    case FieldFamily::Integer: {
        bool ok = false;
        const qlonglong n = t.toLongLong(&ok);
        if (!ok)
            throw DbError(QStringLiteral("“%1”不是有效的整数（字段 %2）").arg(text, m_fields[i].name));
        setValue(field, n);
        return;
    }
    case FieldFamily::Number: {
        bool ok = false;
        const double d = t.toDouble(&ok);
        if (!ok)
            throw DbError(QStringLiteral("“%1”不是有效的数值（字段 %2）").arg(text, m_fields[i].name));
        setValue(field, d);
        return;
    }
    case FieldFamily::DateTime: {
        const QDateTime dt = DateText::parse(t);
        if (!dt.isValid())
            throw DbError(QStringLiteral("“%1”不是有效的日期，请按 YYYY-MM-DD 输入（字段 %2）").arg(text, m_fields[i].name));
        setValue(field, dt);
        return;
    }
    case FieldFamily::Boolean: {
        const QString s = t.toLower();
        if (s == QLatin1String("1") || s == QLatin1String("true") || s == QStringLiteral("是"))
            setValue(field, true);
        else if (s == QLatin1String("0") || s == QLatin1String("false") || s == QStringLiteral("否"))
            setValue(field, false);
        else
            throw DbError(QStringLiteral("“%1”不是有效的逻辑值（字段 %2）").arg(text, m_fields[i].name));
        return;
    }
    default: break;
    }
}

void DataSet::append()
{
    requireOpen();
    if (isEditing())
        post();
    m_rows.append(Row(m_fields.size()));
    m_current = m_rows.size() - 1;
    m_eof = m_bof = false;
    setState(State::Insert);
    emit rowInserted(m_current);
    emit currentChanged(m_current);
}

void DataSet::edit()
{
    requireOpen();
    if (isEditing())
        return;
    if (!currentRow())
        throw DbError(QStringLiteral("没有可修改的记录"));
    m_original = m_rows[m_current];
    setState(State::Edit);
}

void DataSet::cancel()
{
    if (m_state == State::Insert) {
        const int row = m_current;
        m_rows.remove(row);
        m_current = std::min(row, static_cast<int>(m_rows.size()) - 1);
        setState(State::Browse);
        emit rowRemoved(row);
        emit currentChanged(m_current);
    } else if (m_state == State::Edit) {
        m_rows[m_current] = m_original;
        m_original.clear();
        setState(State::Browse);
        emit rowChanged(m_current);
    }
}

QVariant DataSet::bindable(int fieldIndex, const QVariant& typed) const
{
    const FieldFamily fam = m_fields[fieldIndex].family;
    if (typed.isNull() || !typed.isValid()) {
        // A typed NULL so that the driver binds the right kind of NULL.
        switch (fam) {
        case FieldFamily::Integer:
        case FieldFamily::Boolean: return QVariant(QMetaType::fromType<qlonglong>());
        case FieldFamily::Number: return QVariant(QMetaType::fromType<double>());
        case FieldFamily::Binary: return QVariant(QMetaType::fromType<QByteArray>());
        default: return QVariant(QMetaType::fromType<QString>());
        }
    }
    switch (fam) {
    case FieldFamily::Boolean: return QVariant(typed.toBool() ? 1LL : 0LL);
    case FieldFamily::DateTime: {
        const QDateTime dt = typed.toDateTime();
        return dt.isValid() ? QVariant(DateText::storage(dt)) : typed;
    }
    default: return typed;
    }
}

QString DataSet::whereForRow(const Row& original, QVariantList& binds) const
{
    const TableInfo& info = m_conn.tableInfo(m_baseTable);
    const bool pg = m_conn.engine() == Engine::PostgreSQL;
    QStringList parts;
    auto addMatch = [&](int f) {
        const QString col = info.columns[m_fields[f].tableColumn].name;
        const QVariant v = original[f];
        if (v.isNull()) {
            parts << col + QStringLiteral(" is null");
            return;
        }
        // Compare as the engine stores the value: a date-time typed in by hand may be held without its
        // time on SQLite, and a numeric on PostgreSQL is compared as the double it was read as.
        const FieldFamily fam = m_fields[f].family;
        if (fam == FieldFamily::DateTime)
            parts << (pg ? col + QStringLiteral(" = cast(? as timestamp)") : QStringLiteral("julianday(") + col + QStringLiteral(") = julianday(?)"));
        else if (fam == FieldFamily::Number && pg)
            parts << QStringLiteral("cast(") + col + QStringLiteral(" as double precision) = ?");
        else
            parts << col + QStringLiteral(" = ?");
        binds << bindable(f, v);
    };
    bool keyed = !info.key.isEmpty();
    for (const QString& k : info.key)
        if (fieldIndex(k) < 0)
            keyed = false;
    // The key finds the row; every other column read must still hold what was read, so a change
    // made meanwhile by another workstation is never overwritten.
    if (keyed)
        for (const QString& k : info.key)
            addMatch(fieldIndex(k));
    for (int f = 0; f < m_fields.size(); ++f) {
        if (m_fields[f].tableColumn < 0 || m_fields[f].family == FieldFamily::Binary)
            continue;
        if (keyed && info.key.contains(info.columns[m_fields[f].tableColumn].name, Qt::CaseInsensitive))
            continue;
        addMatch(f);
    }
    if (parts.isEmpty())
        throw DbError(QStringLiteral("数据表 %1 没有可用于定位记录的字段").arg(m_baseTable));
    return parts.join(QStringLiteral(" and "));
}

void DataSet::post()
{
    if (m_state == State::Insert)
        postInsert();
    else if (m_state == State::Edit)
        postEdit();
}

void DataSet::postInsert()
{
    if (m_baseTable.isEmpty())
        throw DbError(QStringLiteral("该数据集是只读的，不能增加记录"));
    const TableInfo& info = m_conn.tableInfo(m_baseTable);
    Row& row = m_rows[m_current];
    QStringList cols, marks;
    QVariantList binds;
    for (int f = 0; f < m_fields.size(); ++f) {
        if (m_fields[f].tableColumn < 0 || row[f].isNull())
            continue;
        const ColumnInfo& c = info.columns[m_fields[f].tableColumn];
        cols << c.name;
        marks << (m_conn.engine() == Engine::PostgreSQL && c.family == FieldFamily::DateTime ? QStringLiteral("cast(? as timestamp)")
                                                                                               : QStringLiteral("?"));
        binds << bindable(f, row[f]);
    }
    const QString sql = cols.isEmpty()
                            ? QStringLiteral("insert into %1 default values returning *").arg(info.name)
                            : QStringLiteral("insert into %1 (%2) values (%3) returning *")
                                  .arg(info.name, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    QSqlQuery q(m_conn.database());
    if (!q.prepare(sql))
        throw DbError(Connection::errorText(q));
    for (const QVariant& b : binds)
        q.addBindValue(b);
    if (!q.exec())
        throw DbError(Connection::errorText(q));
    // The row as the server stored it: its key, defaults and conversions.
    if (q.next()) {
        const QSqlRecord rec = q.record();
        for (int f = 0; f < m_fields.size(); ++f) {
            const int c = rec.indexOf(m_fields[f].name);
            if (c >= 0)
                row[f] = typedValue(m_fields[f].family, q.value(c));
        }
    }
    setState(State::Browse);
    emit rowChanged(m_current);
}

void DataSet::postEdit()
{
    if (m_baseTable.isEmpty())
        throw DbError(QStringLiteral("该数据集是只读的，不能修改记录"));
    const TableInfo& info = m_conn.tableInfo(m_baseTable);
    Row& row = m_rows[m_current];
    QStringList sets;
    QVariantList binds;
    for (int f = 0; f < m_fields.size(); ++f) {
        if (m_fields[f].tableColumn < 0)
            continue;
        const QVariant& now = row[f];
        const QVariant& was = m_original[f];
        if (now.isNull() == was.isNull() && (now.isNull() || now == was))
            continue;
        const ColumnInfo& c = info.columns[m_fields[f].tableColumn];
        sets << c.name
                    + (m_conn.engine() == Engine::PostgreSQL && c.family == FieldFamily::DateTime ? QStringLiteral(" = cast(? as timestamp)")
                                                                                                 : QStringLiteral(" = ?"));
        binds << bindable(f, now);
    }
    if (sets.isEmpty()) {
        m_original.clear();
        setState(State::Browse);
        return;
    }
    QVariantList whereBinds;
    const QString where = whereForRow(m_original, whereBinds);
    QSqlQuery q(m_conn.database());
    if (!q.prepare(QStringLiteral("update %1 set %2 where %3").arg(info.name, sets.join(QLatin1Char(',')), where)))
        throw DbError(Connection::errorText(q));
    for (const QVariant& b : binds + whereBinds)
        q.addBindValue(b);
    if (!q.exec())
        throw DbError(Connection::errorText(q));
    if (q.numRowsAffected() == 0)
        throw DbError(kConflict);
    m_original.clear();
    setState(State::Browse);
    emit rowChanged(m_current);
}

void DataSet::remove()
{
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (!currentRow())
        throw DbError(QStringLiteral("没有可删除的记录"));
    if (m_baseTable.isEmpty())
        throw DbError(QStringLiteral("该数据集是只读的，不能删除记录"));
    const Row original = m_state == State::Edit ? m_original : m_rows[m_current];
    QVariantList binds;
    const QString where = whereForRow(original, binds);
    QSqlQuery q(m_conn.database());
    if (!q.prepare(QStringLiteral("delete from %1 where %2").arg(m_conn.tableInfo(m_baseTable).name, where)))
        throw DbError(Connection::errorText(q));
    for (const QVariant& b : binds)
        q.addBindValue(b);
    if (!q.exec())
        throw DbError(Connection::errorText(q));
    if (q.numRowsAffected() == 0)
        throw DbError(kConflict);
    const int row = m_current;
    m_rows.remove(row);
    m_original.clear();
    m_current = std::min(row, static_cast<int>(m_rows.size()) - 1);
    m_eof = m_rows.isEmpty();
    setState(State::Browse);
    emit rowRemoved(row);
    emit currentChanged(m_current);
}

void DataSet::sortBy(int column, Qt::SortOrder order)
{
    requireOpen();
    if (column < 0 || column >= m_fields.size())
        return;
    if (isEditing())
        post();
    const FieldFamily fam = m_fields[column].family;
    auto less = [&](const Row& a, const Row& b) {
        const QVariant& x = a[column];
        const QVariant& y = b[column];
        if (x.isNull() || y.isNull())
            return x.isNull() && !y.isNull();
        switch (fam) {
        case FieldFamily::Integer: return x.toLongLong() < y.toLongLong();
        case FieldFamily::Number: return x.toDouble() < y.toDouble();
        case FieldFamily::DateTime: return x.toDateTime() < y.toDateTime();
        case FieldFamily::Boolean: return x.toBool() < y.toBool();
        default: return QString::localeAwareCompare(x.toString(), y.toString()) < 0;
        }
    };
    const Row* cur = currentRow();
    const Row keep = cur ? *cur : Row();
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
    else
        std::stable_sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) { return less(b, a); });
    if (cur) {
        const auto it = std::find(m_rows.begin(), m_rows.end(), keep);
        m_current = it == m_rows.end() ? 0 : static_cast<int>(it - m_rows.begin());
    }
    emit dataReset();
    emit currentChanged(m_current);
}
