#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

// The one place where dates become text and text becomes dates: YYYY-MM-DD, followed by
// " hh:mm:ss" when the time of day is not midnight. Statements, grids, sheets and reports use it.
namespace DateText {

QString fromDate(const QDate& date);                 // "2026-12-11"
QString fromDateTime(const QDateTime& moment);       // "2026-12-11" or "2026-12-11 09:05:00"
QString stamp(const QDateTime& moment);              // always with the time: "2026-12-11 00:00:00"
QString storage(const QDateTime& moment);            // what is written to a date-time column, with ms when not 0
QString now();                                       // stamp(QDateTime::currentDateTime())

// Reads YYYY-MM-DD with an optional time (hh:mm, hh:mm:ss, hh:mm:ss.zzz, 'T' or blank between);
// also YYYY/MM/DD and YYYY.MM.DD. Invalid QDateTime for anything else; empty text is invalid too.
QDateTime parse(const QString& text);

// A date-time read from a database value of any engine (QDateTime, QDate or text).
QDateTime fromVariant(const QVariant& value);

} // namespace DateText
