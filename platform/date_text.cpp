#include "date_text.h"

#include <QRegularExpression>

namespace DateText {

QString fromDate(const QDate& date) { return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString(); }

QString fromDateTime(const QDateTime& moment)
{
    if (!moment.isValid())
        return {};
    const QTime t = moment.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return fromDate(moment.date());
    return moment.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString stamp(const QDateTime& moment) { return moment.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }

QString storage(const QDateTime& moment)
{
    if (!moment.isValid())
        return {};
    if (moment.time().msec() != 0)
        return moment.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    return stamp(moment);
}

QString now() { return stamp(QDateTime::currentDateTime()); }

QDateTime parse(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{4})[-/.](\d{1,2})[-/.](\d{1,2})(?:[ T]+(\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,6}))?)?)?\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return {};
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid())
        return {};
    int ms = 0;
    if (m.hasCaptured(7) && !m.captured(7).isEmpty())
        ms = m.captured(7).left(3).leftJustified(3, QLatin1Char('0')).toInt();
    const QTime t(m.captured(4).isEmpty() ? 0 : m.captured(4).toInt(), m.captured(5).isEmpty() ? 0 : m.captured(5).toInt(),
                  m.captured(6).isEmpty() ? 0 : m.captured(6).toInt(), ms);
    if (!t.isValid())
        return {};
    return QDateTime(d, t);
}

QDateTime fromVariant(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return value.toDateTime();
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    default:
        return parse(value.toString());
    }
}

} // namespace DateText
