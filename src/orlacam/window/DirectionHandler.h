#pragma once

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>

// The round pan/tilt pad: the knob's direction and distance from the centre
// give a vertical and a horizontal speed in -1..1. A held knob repeats its
// speed every 100 ms; a release always ends with one zero emission.
class DirectionHandler : public QWidget
{
    Q_OBJECT
public:
    enum KeyNum { Left = 0, UpLeft, Up, UpRight, Right, DownRight, Down, DownLeft, Stop };
    static constexpr int kRepeatMs = 100;

    DirectionHandler(const QRect& geometry, QWidget* parent);

    void setBgDiameter(int diameter);
    void setSliderDiameter(int diameter);
    // Disabled, the pad shows its "off" images and ignores input; a knob
    // held at that moment is released first, so the camera gets its stop.
    void setWidgetState(bool enabled);
    bool widgetState() const { return enabled_; }

    // Full speed towards an arrow key (Qt key code); any other key stops.
    void dirCtrl(int key);
    // Lets go of whatever holds the knob (pointer, arrow key), sending the
    // stop; nothing when the knob is idle.
    void release();
    bool isHeld() const { return held_; }
    bool isHeldByPointer() const { return repeat_.isActive(); }

    int getKeyNum() const;
    void calCtrlRef();
    static double pointDis(int x1, int y1, int x2, int y2);
    static const char* directionName(int key);

signals:
    void ctrlRef(double vertical, double horizontal, bool first);
    void keyNumchanged(int key);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPoint centre() const { return QPoint(width() / 2, height() / 2); }
    // Where the knob may go: half the circle less half the knob.
    int reach() const;
    // Puts the knob at point (clamped to the circle) and derives the control
    // point and the magnitude from it.
    void placeKnob(const QPoint& point);
    void loadImages() const;

    QPoint knob_;
    QPoint control_;
    double magnitude_ = 0.0;
    bool held_ = false;
    QTimer repeat_;
    bool first_ = false;
    mutable QImage background_;
    mutable QImage slider_;
    mutable bool imagesStale_ = true;  // size or state changed since they were made
    int bgDiameter_ = -1;
    int sliderDiameter_ = -1;
    bool enabled_ = true;
};
