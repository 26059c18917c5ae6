#pragma once

#include <QString>

// A customer query in its three renderings: the SELECT that counts (and later exports) the rows,
// the condition handed to the paging procedure (its quotes doubled), and the readable description.
struct FilterTriple {
    QString querySql;
    QString pagingFilter;
    QString queryDescription;
};

// What the quick-query boxes hold, as typed.
struct QuickQueryInput {
    QString companyName;   // edQryCName
    QString linkMan;       // QryCLinkMan
    QString dataType;      // cbxDataType
    QString area;          // cbx_Area
    QString level;         // cbxLevel
    QString source;        // cbxSource
    QString reject;        // cbxReject
};

// Builds the filter triple of the quick query. A box counts when its text is not empty; blanks
// count as text. Values have their quotes doubled in QuerySql and doubled twice in PagingFilter.
class CustomerQuery {
public:
    static FilterTriple build(const QString& selfDataFlag, const QuickQueryInput& input);

    // The renderings' heads: the scope condition, and the description's title.
    static QString querySqlHead(const QString& selfDataFlag);
    static QString pagingFilterHead(const QString& selfDataFlag);
    static QString descriptionHead(const QString& selfDataFlag);
};
