#include "uicomm/OWidget.h"

#include "uicomm/ScreenPlacement.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr qreal kCornerRadius = 10.0;
}

OWidget::OWidget(QWidget* parent) : QWidget(parent)
{
    // A QWidget subclass draws its style-sheet background only when asked to.
    setAttribute(Qt::WA_StyledBackground, true);
}

OWidget::~OWidget() = default;

void OWidget::centreOnParent()
{
    placeWindow(this, parentWidget(), WindowPlace::Centred);
}

void OWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragging = true;
        pressPos = event->globalPos();
        windowPos = frameGeometry().topLeft();
    }
    QWidget::mousePressEvent(event);
}

void OWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void OWidget::mouseMoveEvent(QMouseEvent* event)
{
    // Buttons held now do not matter: the press and the release decide.
    if (dragging)
        move(windowPos + (event->globalPos() - pressPos));
    QWidget::mouseMoveEvent(event);
}

void OWidget::paintEvent(QPaintEvent* event)
{
    if (!roundedMask) {
        QWidget::paintEvent(event);
        return;
    }
    // Masked again on every paint, so the corners follow every resize.
    applyRoundedMask(this);
}

void OWidget::applyRoundedMask(QWidget* widget)
{
    QBitmap bitmap(widget->size());
    bitmap.fill(Qt::color0);
    QPainter painter(&bitmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawRoundedRect(bitmap.rect(), kCornerRadius, kCornerRadius, Qt::AbsoluteSize);
    painter.end();
    widget->setMask(bitmap);
}
