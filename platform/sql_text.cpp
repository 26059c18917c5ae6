#include "sql_text.h"

namespace SqlText {

QString escape(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

QString escapeTwice(const QString& value) { return escape(escape(value)); }

QString unescape(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("''"), QStringLiteral("'"));
    return out;
}

} // namespace SqlText
