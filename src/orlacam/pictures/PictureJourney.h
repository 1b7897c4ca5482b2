#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class ImageCrop;
class ImageItem;
class MsgProgressUi;
class QWidget;

// Adding a background picture to a slot: choose a file, crop it, make its
// thumbnail and upload it with a progress box. Each step is a slot that
// follows a signal, so the window keeps running, and each looks the camera
// up again by serial. Every way out ends the journey (finished()) with the
// user told why; it deletes itself then.
class PictureJourney : public QObject
{
    Q_OBJECT
public:
    // No progress report for this long ends an upload as failed.
    static constexpr int kUploadSilenceMs = 60000;

    PictureJourney(QWidget* window, const QString& sn, int slot, ImageItem* item);
    ~PictureJourney() override;

    // Opens the file dialog; false when the camera or its picture paths
    // are not there.
    bool start();

signals:
    // The camera holds the new picture.
    void uploaded(ImageItem* item);
    void finished();

private slots:
    void onFileChosen(const QString& path);
    void onPictureLoaded(bool valid);
    void onCropFinished(int result);
    void onUploadProgress(int value);
    void onDevChanged(const QByteArray& sn, bool present);
    void onUploadSilent();

private:
    bool picturePaths(QString* full, QString* thumbnail) const;
    void queueUpload();
    void showProgressBox();
    void tell(const char* title, const QString& text);
    void endUpload(int value);
    void finish();

    QPointer<QWidget> window_;
    const QString sn_;
    const int slot_;
    QPointer<ImageItem> item_;
    QPointer<ImageCrop> crop_;
    QPointer<MsgProgressUi> box_;
    QTimer silence_;
    bool uploading_ = false;
    bool finished_ = false;
};
