#pragma once

#include <QByteArray>
#include <QString>

// Files written on Windows workstations hold GBK (code page 936); files of ours hold UTF-8.
namespace TextCodec {

bool isValidUtf8(const QByteArray& bytes);
QString fromGbk(const QByteArray& bytes);        // throws DbError when the bytes are not GBK
QByteArray toGbk(const QString& text);           // throws DbError for characters GBK lacks
// UTF-8 when the bytes are valid UTF-8 (a byte-order mark is dropped), GBK otherwise.
QString decodeGuess(const QByteArray& bytes);

} // namespace TextCodec
