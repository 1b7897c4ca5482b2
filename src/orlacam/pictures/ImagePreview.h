#pragma once

#include "uicomm/OWidget.h"

#include <QImage>

// A camera picture at a size that fits the screen. The picture may still be
// on its way from the camera: until the file is there the window stays black
// and looks for it every second. Escape closes it.
class ImagePreview : public OWidget
{
    Q_OBJECT
public:
    explicit ImagePreview(QWidget* parent = nullptr);
    ImagePreview(const QString& path, QWidget* parent = nullptr);
    ~ImagePreview() override;

    void init();
    void loadImage();
    bool isLoaded() const { return loaded_; }

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString path_;
    QImage image_;
    bool loaded_ = false;
    int timerId_ = 0;
};
