#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <unordered_set>
#include <vector>

// Generated customers for trying the program and for measuring it: Chinese company names, linkmen
// and addresses that look like a small business's register, both scopes and both data types, codes
// in the format of the customer window. The same seed and start give the same rows.
class DemoCustomerGenerator {
public:
    // start: the Create_Date of the first row; later rows follow at gaps that spread `count` rows over
    // about six years.
    DemoCustomerGenerator(quint32 seed, const QDateTime& start, qint64 count);

    // The Customer columns every generated row carries values for (all values as text).
    static const QStringList& columns();

    // A code already stored: never given to a generated row.
    void reserveCode(const QString& code);

    // The next row, one value per column; a null QString stands for NULL.
    const std::vector<QString>& next();

    // The city names, areas, sources and the like that rows take from the seeded dictionaries.
    static QStringList areas();
    static QStringList dataSources();
    static QStringList trades();
    static QStringList positions();
    static QStringList provinces();
    static QStringList cities();

private:
    std::uint64_t random();
    int below(int n);                 // 0 .. n-1
    bool chance(int percent);
    template <typename T> const T& pickWeighted(const T* items, int n);
    QString digits(int n);
    QString letters(int minLength, int maxLength);
    QString personName();
    QString newCode(const QString& prefix);
    static std::uint64_t codeKey(const QString& code);

    std::uint64_t m_state;
    QDateTime m_moment;
    qint64 m_gapSeconds;
    std::unordered_set<std::uint64_t> m_codes;
    std::vector<QString> m_row;
};
