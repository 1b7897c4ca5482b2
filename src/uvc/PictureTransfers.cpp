// The queue of picture transfers that the device thread serves, and the
// local files each kind writes or reads.

#include "uvc/PictureTransfers.h"

#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

enum class Role { Thumbnail, Full, Upload };

struct KindRow
{
    unsigned kind;
    const char* deviceFile;
    int slot;
    Role role;
};

const KindRow kKinds[] = {
    {PictureKinds::ImageThumbnail0, "/app/private/mask0.jpg", 0, Role::Thumbnail},
    {PictureKinds::ImageThumbnail1, "/app/private/mask1.jpg", 1, Role::Thumbnail},
    {PictureKinds::ImageThumbnail2, "/app/private/mask2.jpg", 2, Role::Thumbnail},
    {PictureKinds::ImageFull0, "/app/private/mask0.jpg", 0, Role::Full},
    {PictureKinds::ImageFull1, "/app/private/mask1.jpg", 1, Role::Full},
    {PictureKinds::ImageFull2, "/app/private/mask2.jpg", 2, Role::Full},
    {PictureKinds::ImageUpload0, "/app/private/mask0.jpg", 0, Role::Upload},
    {PictureKinds::ImageUpload1, "/app/private/mask1.jpg", 1, Role::Upload},
    {PictureKinds::ImageUpload2, "/app/private/mask2.jpg", 2, Role::Upload},
};

const KindRow* rowFor(unsigned kind)
{
    for (const KindRow& row : kKinds) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

// Only a definite answer settles a thumbnail; a failure is asked again.
bool settles(int result)
{
    return result == PictureKinds::kDownloadFetched || result == PictureKinds::kDownloadUnchanged
           || result == PictureKinds::kDownloadMissing;
}

template <int N>
void storePath(QMutex& mutex, QString (&paths)[N], int slot, const QString& path)
{
    if (slot < 0 || slot >= N)
        return;
    QMutexLocker lock(&mutex);
    paths[slot] = path;
}

template <int N>
QString loadPath(QMutex& mutex, const QString (&paths)[N], int slot)
{
    if (slot < 0 || slot >= N)
        return {};
    QMutexLocker lock(&mutex);
    return paths[slot];
}

} // namespace

PictureTransfers::PictureTransfers(ControlPort& control, MessagePort& channel, QObject* parent)
    : QObject(parent)
    , control_(control)
    , channel_(channel)
{
}

bool PictureTransfers::startFileDownloadAsync(ImageTransType type)
{
    const KindRow* row = rowFor(type);
    if (!row || row->role == Role::Upload)
        return false;
    pendingTransfers_.fetch_or(type);
    return true;
}

bool PictureTransfers::startFileUploadAsync(ImageTransType type)
{
    const KindRow* row = rowFor(type);
    if (!row || row->role != Role::Upload)
        return false;
    pendingTransfers_.fetch_or(type);
    return true;
}

void PictureTransfers::runPictureTransfer()
{
    const unsigned pending = pendingTransfers_;
    if (pending == 0)
        return;
    const unsigned kind = pending & (~pending + 1u);  // lowest bit first
    // Cleared before the transfer, so a request made meanwhile runs again.
    pendingTransfers_.fetch_and(~kind);
    const KindRow* row = rowFor(kind);
    if (!row)
        return;  // bits beyond the table cannot be set; nothing to run
    const QString path = localPathFor(ImageTransType(kind));
    if (row->role == Role::Upload) {
        fileUploadByUvc(path, QLatin1String(row->deviceFile));
        return;
    }
    const bool thumbnail = row->role == Role::Thumbnail;
    const int result = fileDownloadByUvc(path, QLatin1String(row->deviceFile), thumbnail);
    if (thumbnail && settles(result))
        settledThumbnails_.fetch_or(kind);
    emit fileDownloadDone(kind, result);
}

void PictureTransfers::setThumbnailPath(int slot, const QString& path)
{
    storePath(pathMutex_, thumbnailPaths_, slot, path);
}

QString PictureTransfers::thumbnailPath(int slot) const
{
    return loadPath(pathMutex_, thumbnailPaths_, slot);
}

void PictureTransfers::setFullPicturePath(int slot, const QString& path)
{
    storePath(pathMutex_, fullPicturePaths_, slot, path);
}

QString PictureTransfers::fullPicturePath(int slot) const
{
    return loadPath(pathMutex_, fullPicturePaths_, slot);
}

QString PictureTransfers::localPathFor(ImageTransType type) const
{
    const KindRow* row = rowFor(type);
    if (!row)
        return {};
    return row->role == Role::Thumbnail ? thumbnailPath(row->slot) : fullPicturePath(row->slot);
}


} // namespace pc
} // namespace vesk
