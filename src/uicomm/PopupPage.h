#pragma once

#include <QList>
#include <QWidget>

class QPushButton;

// The look and the leave rule shared by the small pages that open beside a
// row of the system setting page: a frameless panel with rounded corners,
// 240 px wide, of 49 px rows with 1 px gaps, each row one button. The page
// hides itself when the mouse leaves it, unless it leaves back towards the
// row that opened it.
class PopupPage : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRowWidth = 240;
    static constexpr int kRowHeight = 49;

    // One row: row widget, button and text; the text is translated in the
    // page's context unless the page keeps its texts fixed.
    struct Row
    {
        const char* widget;
        const char* button;
        const char* text;
    };

    // Whether the mouse, last seen at pos (page coordinates) as it left,
    // went back towards the row that opened the page.
    bool keepsOpenOnLeave(const QPoint& pos) const;

protected:
    enum Texts { Translated, Fixed };
    enum Tick { NoTick, WithTick };
    PopupPage(const char* context, const Row* rows, int count, Texts texts, Tick tick, QWidget* parent);

    QPushButton* rowButton(int row) const { return buttons_.value(row); }
    // Ticks one row and clears the others; -1 clears all.
    void tickRow(int row);
    void retranslateRows();
    // What a click on a row does; the page hides itself afterwards.
    virtual void rowChosen(int row) = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const char* context_;
    const Row* rows_;
    Texts texts_;
    QList<QPushButton*> buttons_;
};
