#pragma once

#include <QString>
#include <QWidget>

class QCloseEvent;

// The customer records window (TfrmCustomer): list page with quick query and paging, detail page
// bound to the current row. The main window shows it in an MDI child.
class CustomerWindow : public QWidget {
    Q_OBJECT
public:
    explicit CustomerWindow(QWidget* parent = nullptr);
    ~CustomerWindow() override;

    // "Y" for internal customers, "N" for hosted ones.
    void setSelfDataFlag(const QString& flag);
    QString selfDataFlag() const { return m_selfDataFlag; }
    // 0 browsing, 1 adding, 2 editing.
    int editMode() const { return m_editMode; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString m_selfDataFlag = QStringLiteral("Y");
    int m_editMode = 0;
};
