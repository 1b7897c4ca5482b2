#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

// The reference window of the main window's keyboard shortcuts: one
// read-only table of key, "---" and what the key does. Fixed text; it does
// not read the bindings.
class HotKeyList : public QWidget
{
    Q_OBJECT
public:
    explicit HotKeyList(QWidget* parent = nullptr);
    ~HotKeyList() override;

    static constexpr int kRowCount = 24;

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void retranslate();
    // The width of the stored language and the rows' heights for it.
    void fitLanguage();
    void evenRowHeights();

    QLabel* lbHotkeyTitle = nullptr;
    QTableWidget* tbHotkeyList = nullptr;
};
