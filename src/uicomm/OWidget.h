#pragma once

#include <QPoint>
#include <QWidget>

// Base of the frameless boxes: the user moves them by dragging their body,
// and every paint masks them to a rectangle with corners of radius 10.
class OWidget : public QWidget
{
    Q_OBJECT

public:
    explicit OWidget(QWidget* parent = nullptr);
    ~OWidget() override;

    // A subclass clears this in its constructor to stay a plain rectangle.
    bool roundedMask = true;

    // Masks any widget to its rectangle with corners of radius 10.
    static void applyRoundedMask(QWidget* widget);

protected:
    // For the boxes, as they are shown: centred on the parent's window, whole
    // on the screen and below the parent's title bar.
    void centreOnParent();

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool dragging = false;
    QPoint pressPos;   // global mouse position at the press
    QPoint windowPos;  // frame top-left at the press
};
