#pragma once

#include <QString>

// Statement text is built by splicing values between fixed pieces. Every typed or imported value
// goes through sqlEscape so that a single quote inside it cannot end the literal early.
namespace SqlText {

// The value with each single quote doubled, ready to stand between single quotes.
QString escape(const QString& value);

// The value escaped twice: for conditions that are themselves passed inside a quoted argument
// (the paging call's condition).
QString escapeTwice(const QString& value);

// The text with each doubled single quote turned back into one (the reverse of escape).
QString unescape(const QString& text);

} // namespace SqlText
