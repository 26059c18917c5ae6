#pragma once

#include <QString>
#include <QStringList>

class Connection;
class DataModule;
class DataSet;

// The record rules of the customer window: defaults of a new record, the duplicate test, the save
// checks, captions by edit mode, rights and pick lists. No widgets: the window and the import use them.
class CustomerRules {
public:
    explicit CustomerRules(Connection& connection);

    // "内部客户资料" for scope Y, "托管客户资料" otherwise.
    static QString scopeTitle(const QString& selfDataFlag);
    // The window caption for an edit mode: the title, then "--增加" (1) or "--修改" (2).
    static QString editModeCaption(const QString& selfDataFlag, int editMode);

    // The duplicate test's statement, or the empty text when the data type asks for none.
    static QString customerExistsSql(const QString& companyName, const QString& mainLinkMan, const QString& selfDataFlag,
                                     const QString& dataType, const QString& address);
    bool CustomerExists(const QString& companyName, const QString& mainLinkMan, const QString& selfDataFlag,
                        const QString& dataType, const QString& address);

    // Fills the pending new row: code with prefix I (scope Y) or O, scope, both dates the same
    // moment, RejectData "否". Data_Type gets no default.
    static void applyNewRecordDefaults(DataSet& page, const QString& selfDataFlag, DataModule& dataModule);
    // Editing a record begins: Update_Date becomes now.
    static void beginEdit(DataSet& page);

    // What the save checks decided, in the order they run.
    enum class SaveVerdict { Save, Duplicate, NotPending, NoDataType, NoName };
    struct SaveInput {
        int editMode = 0;
        bool pending = false;   // the page data set is inserting or editing
        QString dataType;
        QString companyName;
        QString mainLinkMan;
        QString address;
        QString selfDataFlag;
    };
    // Runs the duplicate query when the rules ask for it (adding, with a company name or linkman).
    SaveVerdict checkSave(const SaveInput& input);
    // The text shown for a refusal; empty for Save and NotPending.
    static QString verdictText(SaveVerdict verdict);

    static QString pickListSql(const QString& table);
    // An empty item first, then the names trimmed, in the order the server gives them.
    QStringList pickListItems(const QString& table);

    struct Rights {
        bool add = false;        // New
        bool edit = false;       // Edit
        bool remove = false;     // Del
        bool import = false;     // Import
        bool exportData = false; // Export
        bool print = false;      // Print
        bool query = false;      // Query: SB_Qry and SB_AQry
    };
    // The current user's rights as the customer window obeys them.
    static Rights readRights(DataModule& dataModule);

private:
    Connection& m_conn;
};
