#pragma once

#include "uvc/ControlPort.h"
#include "uvc/MessagePort.h"
#include "uvc/PictureKinds.h"

#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>

namespace vesk {
namespace pc {

// The camera's three pictures moved in 60-byte records: downloads on
// extension-unit selector 4, uploads on selector 3. Requests are queued as
// bits; the device thread runs one per pass through runPictureTransfer.
class PictureTransfers : public QObject, public PictureKinds
{
    Q_OBJECT
public:
    PictureTransfers(ControlPort& control, MessagePort& channel, QObject* parent = nullptr);

    // True when type is one single kind of the family; it then runs on a
    // later pass of the device thread.
    bool startFileDownloadAsync(ImageTransType type);
    bool startFileUploadAsync(ImageTransType type);
    unsigned pendingTransfers() const { return pendingTransfers_; }
    // Thumbnail bits whose question is answered (fetched, unchanged, or no
    // picture); a failed download leaves its bit clear so it is asked again.
    unsigned settledThumbnails() const { return settledThumbnails_; }
    // One queued transfer, the lowest kind first.
    void runPictureTransfer();

    // Callable directly while nothing else uses selectors 3 and 4.
    int fileDownloadByUvc(const QString& localPath, const QString& deviceFile, bool thumbnail);
    bool fileUploadByUvc(const QString& localPath, const QString& deviceFile);

    // Local files, slot 0 to 2.
    void setThumbnailPath(int slot, const QString& path);
    QString thumbnailPath(int slot) const;
    void setFullPicturePath(int slot, const QString& path);
    QString fullPicturePath(int slot) const;
    // The local file that a kind writes or reads (empty for no single kind).
    QString localPathFor(ImageTransType type) const;

signals:
    void fileDownloadDone(unsigned int type, int result);
    // 10 to 90 while sending, 100 at success, kErrCodeFailure on failure.
    void fileUploadProgress(int progress);

private:
    static constexpr int kSlots = 3;

    ControlPort& control_;
    MessagePort& channel_;
    std::atomic<unsigned> pendingTransfers_{0};
    std::atomic<unsigned> settledThumbnails_{0};
    mutable QMutex pathMutex_;
    QString thumbnailPaths_[kSlots];
    QString fullPicturePaths_[kSlots];
};

} // namespace pc
} // namespace vesk
