#pragma once

#include <QSlider>

// A slider the mouse wheel cannot move, so scrolling a page never changes a
// camera value by accident. Forms create it as a promoted QSlider.
class RSlider : public QSlider
{
public:
    explicit RSlider(QWidget* parent = nullptr);
    ~RSlider() override;

protected:
    // Ignored, so the wheel goes on to the widget that holds the slider.
    void wheelEvent(QWheelEvent* event) override;
};
