#include "uicomm/RSlider.h"

#include <QWheelEvent>

RSlider::RSlider(QWidget* parent) : QSlider(parent) {}

RSlider::~RSlider() = default;

void RSlider::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
