#pragma once

#include "wait_indicator.h"

#include <QFrame>

class QLabel;

// The small "please wait" window that long operations show (frmWait). It lives for the whole run,
// frameless and on top, centred over the window it was created for.
class WaitWindow final : public QFrame, public WaitIndicator {
    Q_OBJECT
public:
    explicit WaitWindow(QWidget* over = nullptr);
    ~WaitWindow() override;

    void showWait() override;
    void hideWait() override;

    QLabel* label() const { return m_label; }
    static QString waitText();         // "正在处理数据请稍等........"
    // "幼圆" where installed, otherwise an installed CJK face.
    static QString fontFamily();

private:
    void centreOverOwner();

    QLabel* m_label = nullptr;
};
