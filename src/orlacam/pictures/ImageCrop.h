#pragma once

#include "orlacam/pictures/PictureCrop.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace Ui {
class ImageCrop;
}

// The crop window of a new background picture: a 16:9 selection over the
// picture that the user moves and resizes by its corners; OK writes the
// selection as a 1536 x 864 JPEG small enough for the camera. The window
// is application-modal and answers with finished() rather than a loop of
// its own, so the caller's flow goes on from a slot. It shows the picture
// decoded at about the size shown; the full-size decoding, cropping and
// encoding after OK run on the global thread pool.
class ImageCrop : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kCropped = 0x4000;    // QMessageBox::Yes
    static constexpr int kCancelled = 0x400000;  // QMessageBox::Cancel
    static constexpr int kSaveFailed = -1;
    static constexpr int kOutputWidth = vesk::pc::PictureCrop::kOutputWidth;
    static constexpr int kOutputHeight = vesk::pc::PictureCrop::kOutputHeight;
    static constexpr int kMinSelectionWidth = 320;

    explicit ImageCrop(QWidget* parent = nullptr);
    ~ImageCrop() override;

    void setImagePath(const QString& path);  // kept only if the file exists
    void setOutputFilePath(const QString& path) { outputPath_ = path; }
    // Measures and decodes the picture; true when it is a readable picture
    // within the size limits.
    bool imageIsValid();
    // The same off the window's thread: loaded() tells the outcome.
    void loadImage();
    // Shows the window; finished() follows OK, Cancel or a close.
    void open();
    QRect selection() const { return selection_; }
    QRect displayRect() const { return display_; }

signals:
    void loaded(bool valid);
    void finished(int result);

public slots:
    void on_pbOK_clicked();
    void on_pbCancel_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool imageEventProcess(QEvent* event);
    // Display rectangle and first selection, once the picture area has its size.
    void ensureLayout();
    void paintPicture();
    void hover(const QPoint& point);
    void moveSelection(const QPoint& point);
    void resizeSelection(const QPoint& point);
    void setShown(const QImage& picture, const QSize& source);
    void finish(int result);

    Ui::ImageCrop* ui = nullptr;
    int result_ = -1;
    bool done_ = false;
    QString sourcePath_;
    QString outputPath_;
    QImage picture_;  // as decoded for the screen
    QImage shown_;    // scaled to the display rectangle
    QSize source_;    // the file's own size
    QSize working_;   // the size the selection maps onto
    bool saving_ = false;
    QRect display_{QPoint(-1, -1), QPoint(-2, -2)};
    QRect selection_{QPoint(-1, -1), QPoint(-2, -2)};
    QPoint last_;
    bool pressed_ = false;
    bool resizing_ = false;
    bool moving_ = false;
    int corner_ = 0;  // 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right
    bool dragging_ = false;
    QPoint dragStart_;
    QPoint windowStart_;
};
