// The camera's three pictures moved in 60-byte records: downloads on
// extension-unit selector 4, uploads on selector 3, one transfer per pass
// of the device thread.

#include "uvc/UvcDevice.h"

#include "comm/Util.h"
#include "comm/UpgradeCodes.h"

#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSaveFile>

#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kBlock = UvcDevice::kXuTransferLength;
constexpr int kPieceSize = 51;         // file bytes in one record
constexpr int kMaxErrors = 7;          // failed transfers that end a picture transfer
constexpr uint32_t kBatchRecords = 1000;
constexpr int kSlots = 3;

// Record types on the two selectors.
constexpr uint8_t kControlRecord = 1;
constexpr uint8_t kRequestRecord = 0;
constexpr uint8_t kInfoReply = 1;
constexpr uint8_t kDataReply = 2;
constexpr uint8_t kResendRequest = 3;
constexpr uint8_t kUploadData = 4;
constexpr uint8_t kPicturePresent = 1;
constexpr uint8_t kUploadReceiving = 1;
constexpr uint8_t kUploadComplete = 2;

// Camera file names leave room for their NUL in the request and announcement.
constexpr int kMaxDownloadName = 51;
constexpr int kMaxUploadName = 50;

enum class Role { Thumbnail, Full, Upload };

struct KindRow
{
    unsigned kind;
    const char* deviceFile;
    int slot;
    Role role;
};

const KindRow kKinds[] = {
    {UvcDevice::ImageThumbnail0, "/app/private/mask0.jpg", 0, Role::Thumbnail},
    {UvcDevice::ImageThumbnail1, "/app/private/mask1.jpg", 1, Role::Thumbnail},
    {UvcDevice::ImageThumbnail2, "/app/private/mask2.jpg", 2, Role::Thumbnail},
    {UvcDevice::ImageFull0, "/app/private/mask0.jpg", 0, Role::Full},
    {UvcDevice::ImageFull1, "/app/private/mask1.jpg", 1, Role::Full},
    {UvcDevice::ImageFull2, "/app/private/mask2.jpg", 2, Role::Full},
    {UvcDevice::ImageUpload0, "/app/private/mask0.jpg", 0, Role::Upload},
    {UvcDevice::ImageUpload1, "/app/private/mask1.jpg", 1, Role::Upload},
    {UvcDevice::ImageUpload2, "/app/private/mask2.jpg", 2, Role::Upload},
};

const KindRow* rowFor(unsigned kind)
{
    for (const KindRow& row : kKinds) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

// Download parameters: width, height, quality.
struct PictureShape
{
    uint16_t width;
    uint16_t height;
    uint16_t quality;
};
constexpr PictureShape kThumbnailShape = {64, 36, 90};
constexpr PictureShape kFullShape = {1536, 864, 0};

// Only a definite answer settles a thumbnail; a failure is asked again.
bool settles(int result)
{
    return result == UvcDevice::kDownloadFetched || result == UvcDevice::kDownloadUnchanged
           || result == UvcDevice::kDownloadMissing;
}

void putU16(uint8_t* at, uint16_t value)
{
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

void putU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

uint16_t u16At(const uint8_t* at)
{
    return uint16_t(at[0] | at[1] << 8);
}

uint32_t u32At(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

// A data record's CRC-16 over the given bytes with its own field (5-6) as 0.
uint16_t recordCrc(const uint8_t* block, int from, int to)
{
    uint8_t copy[kBlock];
    std::memcpy(copy, block, kBlock);
    putU16(copy + 5, 0);
    return Util::crc16ForBuf(copy + from, uint32_t(to - from + 1));
}

// CRC-32 of the local file, or -1 when there is none to read.
int64_t localCrc(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return -1;
    return Util::crc32ForFile(&file, 0, 0);
}

qint64 nowTick()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// What both directions share: the selector, the clock, the record moves.
class PictureChannel
{
public:
    PictureChannel(UvcDevice& device, int selector, const char* failText)
        : device_(device)
        , selector_(selector)
        , failText_(failText)
        , unitId_(device.units().extensionUnitId)
        , timing_(device.timing())
    {
        startTick_ = nowTick();
        clock_.start();
    }

    bool set(uint8_t* block)
    {
        return device_.setDataWithLengthSelectorUnitId(block, kBlock, selector_,
                                                       UvcUnitKind::ExtensionUnit, unitId_)
               == kBlock;
    }
    bool get(uint8_t* block)
    {
        std::memset(block, 0, kBlock);
        return device_.getDataByTypeLengthSelectorUnitId(block, int(UvcRequest::GetCur), kBlock,
                                                         selector_, UvcUnitKind::ExtensionUnit,
                                                         unitId_)
               == kBlock;
    }
    bool sendControl()
    {
        uint8_t block[kBlock] = {};
        block[0] = kControlRecord;
        return set(block);
    }
    // A failed transfer is counted; false once there have been too many.
    bool countError(int& errors) const
    {
        qCritical() << failText_;
        if (++errors < kMaxErrors)
            return true;
        qCritical() << "Too many data transmission errors";
        return false;
    }
    bool timedOut(int limitMs) const
    {
        if (clock_.elapsed() <= limitMs)
            return false;
        qCritical() << "Timeout for upload file";
        return true;
    }
    void logEnd(const char* what, const QString& deviceFile) const
    {
        qInfo() << what << deviceFile << "end tick: " << nowTick()
                << " duration: " << clock_.elapsed() / 1000;
    }

    UvcDevice& device_;
    const int selector_;
    const char* const failText_;
    const uint8_t unitId_;
    const UvcTiming timing_;
    qint64 startTick_ = 0;
    QElapsedTimer clock_;
};

void storePath(QMutex& mutex, QString (&paths)[kSlots], int slot, const QString& path)
{
    if (slot < 0 || slot >= kSlots)
        return;
    QMutexLocker lock(&mutex);
    paths[slot] = path;
}

QString loadPath(QMutex& mutex, const QString (&paths)[kSlots], int slot)
{
    if (slot < 0 || slot >= kSlots)
        return {};
    QMutexLocker lock(&mutex);
    return paths[slot];
}

const char kDownloadFailed[] = "VESK_UVC_XU_CTRL_FILE_DOWNLOAD failed";
const char kUploadFailed[] = "VESK_UVC_XU_CTRL_FILE_UPLOAD failed";
const char kClosing[] = "Picture transfer stopped: the camera is closing";

} // namespace

// One download: control record, request, information reply, data replies.
class PictureDownload : PictureChannel
{
public:
    PictureDownload(UvcDevice& device, const QString& localPath, const QString& deviceFile,
                    bool thumbnail)
        : PictureChannel(device, UvcDevice::kXuPictureDownloadSelector, kDownloadFailed)
        , localPath_(localPath)
        , deviceFile_(deviceFile)
        , thumbnail_(thumbnail)
    {
    }

    int run()
    {
        qInfo() << "start tick: " << startTick_ << deviceFile_ << (thumbnail_ ? "true" : "false");
        const QByteArray name = deviceFile_.toUtf8();
        if (name.isEmpty() || name.size() > kMaxDownloadName || name.contains('\0')) {
            qCritical() << "Invalid camera file name:" << deviceFile_;
            return UvcDevice::kDownloadFailed;
        }
        const int64_t local = localCrc(localPath_);
        if (!sendControl()) {
            qCritical() << kDownloadFailed << deviceFile_;
            return UvcDevice::kDownloadFailed;
        }
        if (!sendRequest(name)) {
            qCritical() << kDownloadFailed << localPath_;
            return UvcDevice::kDownloadFailed;
        }
        if (!thumbnail_ && !device_.sleepPass(timing_.fullPictureWaitMs)) {
            qWarning() << kClosing;
            return endWith(UvcDevice::kDownloadFailed);
        }
        const int infoResult = readInfo();
        if (infoResult != 0)
            return endWith(infoResult);
        if (int64_t(crc_) == local) {
            qDebug() << "Image on device is same with local" << deviceFile_;
            return endWith(UvcDevice::kDownloadUnchanged);
        }
        if (!localPath_.isEmpty())
            QFile::remove(localPath_);  // no stale picture stays once the fetch begins
        if (size_ >= uint64_t(UvcDevice::kMaxPictureSize)) {
            qCritical() << "File size is too large:" << size_;
            return endWith(UvcDevice::kDownloadFailed);
        }
        if (size_ == 0) {
            qCritical() << "File size is invalid:" << size_;
            return endWith(UvcDevice::kDownloadFailed);
        }
        return receive();
    }

private:
    int endWith(int result)
    {
        if (!sendControl())
            qCritical() << kDownloadFailed << deviceFile_;
        return result;
    }

    bool sendRequest(const QByteArray& name)
    {
        const PictureShape& shape = thumbnail_ ? kThumbnailShape : kFullShape;
        uint8_t block[kBlock] = {};
        block[0] = kRequestRecord;
        putU16(block + 1, shape.width);
        putU16(block + 3, shape.height);
        putU16(block + 5, shape.quality);
        std::memcpy(block + 7, name.constData(), size_t(name.size()));
        return set(block);
    }

    // 0 when the picture is there, else the download's result.
    int readInfo()
    {
        uint8_t block[kBlock];
        if (!get(block)) {
            qCritical() << kDownloadFailed;
            return UvcDevice::kDownloadFailed;
        }
        if (block[0] != kInfoReply) {
            qCritical() << "Get image info failed" << block[0];
            return UvcDevice::kDownloadFailed;
        }
        if (block[1] != kPicturePresent) {
            qInfo() << "Image state error or image does not exist" << block[1];
            return UvcDevice::kDownloadMissing;
        }
        size_ = u32At(block + 6);
        crc_ = u32At(block + 12);
        const char* text = reinterpret_cast<const char*>(block + 16);
        qDebug() << "Start to download file:" << u32At(block + 2) << size_ << u16At(block + 10)
                 << Qt::hex << crc_ << QByteArray(text, int(strnlen(text, kBlock - 16)));
        return 0;
    }

    int receive()
    {
        data_.reserve(int(size_));
        uint32_t expected = 1;
        int errors = 0;
        uint8_t block[kBlock];
        for (;;) {
            if (timedOut(timing_.pictureDownloadTimeoutMs))
                return endWith(UvcDevice::kDownloadFailed);
            if (!device_.channelRunning()) {
                qWarning() << kClosing;
                return endWith(UvcDevice::kDownloadFailed);
            }
            if (uint64_t(data_.size()) >= size_)
                return finish();
            if (!get(block)) {
                if (!countError(errors))
                    return endWith(UvcDevice::kDownloadFailed);
                continue;
            }
            const int step = takeReply(block, expected);
            if (step < 0)
                return endWith(UvcDevice::kDownloadFailed);
            if (step > 0 && (expected - 1) % kBatchRecords == 0) {
                qInfo() << "send len " << data_.size() << expected - 1;
                device_.sleepPass(timing_.pictureBatchPauseMs);
            }
        }
    }

    // 1 a piece taken, 0 a resend asked for, -1 a fault that ends the download.
    int takeReply(uint8_t* block, uint32_t& expected)
    {
        if (block[0] != kDataReply) {
            qCritical() << "Data type error:" << block[0];
            return -1;
        }
        const int length = u16At(block + 7);
        if (length > kPieceSize) {
            qCritical() << "Data length error:" << length;
            return -1;
        }
        const uint16_t received = u16At(block + 5);
        const uint16_t computed = recordCrc(block, 0, 8 + length);
        if (received != computed) {
            qCritical() << "crc error:" << received << computed;
            return -1;
        }
        const uint32_t sequence = u32At(block + 1);
        if (sequence != expected) {
            qInfo() << "Seq error, require to resend seq" << expected << sequence;
            block[0] = kResendRequest;
            putU32(block + 1, expected);
            if (set(block))
                return 0;
            qCritical() << kDownloadFailed;
            return -1;
        }
        const int room = int(qMin<uint64_t>(uint64_t(length), size_ - uint64_t(data_.size())));
        data_.append(reinterpret_cast<const char*>(block + 9), room);
        ++expected;
        return 1;
    }

    int finish()
    {
        qInfo() << "receive finished";
        if (!sendControl())
            qCritical() << kDownloadFailed << deviceFile_;
        const uint32_t crc = Util::crc32ForBuf(reinterpret_cast<const uint8_t*>(data_.constData()),
                                               uint32_t(data_.size()));
        if (crc != crc_) {
            qCritical() << "Picture checksum mismatch:" << Qt::hex << crc << "!=" << crc_;
            return UvcDevice::kDownloadFailed;
        }
        // Written beside the target and renamed when complete.
        QSaveFile file(localPath_);
        if (localPath_.isEmpty() || !file.open(QIODevice::WriteOnly)
            || file.write(data_) != data_.size() || !file.commit()) {
            qCritical() << "Failed to write picture" << localPath_ << file.errorString();
            return UvcDevice::kDownloadFailed;
        }
        logEnd("download", deviceFile_);
        return UvcDevice::kDownloadFetched;
    }

    const QString localPath_;
    const QString deviceFile_;
    const bool thumbnail_;
    uint64_t size_ = 0;
    uint32_t crc_ = 0;
    QByteArray data_;
};

// One upload: control record, announcement, data records, state checks.
class PictureUpload : PictureChannel
{
public:
    PictureUpload(UvcDevice& device, const QString& localPath, const QString& deviceFile)
        : PictureChannel(device, UvcDevice::kXuPictureUploadSelector, kUploadFailed)
        , localPath_(localPath)
        , deviceFile_(deviceFile)
    {
    }

    bool run()
    {
        qInfo() << "start tick: " << startTick_ << deviceFile_;
        if (!load())
            return fail(false);
        if (!sendControl() || !announce()) {
            qCritical() << kUploadFailed << localPath_;
            return fail(false);
        }
        if (!device_.sleepPass(timing_.uploadStartWaitMs))
            return stopped();
        return sendPhase() && checkPhase();
    }

private:
    struct UploadState
    {
        uint8_t state = 0;
        uint32_t done = 0;
        uint32_t fileLength = 0;
    };

    // Every way an upload can end short reports the failure, so no
    // progress box waits for ever.
    bool fail(bool endTransfer = true)
    {
        emit device_.fileUploadProgress(kErrCodeFailure);
        if (endTransfer && !sendControl())
            qCritical() << kUploadFailed << localPath_;
        return false;
    }

    bool stopped()
    {
        qWarning() << kClosing;
        return fail();
    }

    bool load()
    {
        if (localPath_.isEmpty() || !QFileInfo::exists(localPath_)) {
            qWarning() << "Upload file does not exist:" << localPath_;
            return false;
        }
        QFile file(localPath_);
        if (!file.open(QIODevice::ReadOnly)) {
            qCritical() << "open file failed" << localPath_ << file.errorString();
            return false;
        }
        const qint64 size = file.size();
        if (size <= 0 || size >= UvcDevice::kMaxPictureSize) {
            qCritical() << "Picture size refused:" << size << localPath_;
            return false;
        }
        data_ = file.read(size);
        if (data_.size() != size) {
            qCritical() << "open file failed" << localPath_ << file.errorString();
            return false;
        }
        name_ = deviceFile_.toUtf8();
        if (name_.isEmpty() || name_.size() > kMaxUploadName || name_.contains('\0')) {
            qCritical() << "Invalid camera file name:" << deviceFile_;
            return false;
        }
        packCount_ = (uint32_t(data_.size()) + kPieceSize - 1) / kPieceSize;
        return true;
    }

    bool announce()
    {
        qInfo() << "send file len =" << data_.size() << "pack_cnt =" << packCount_;
        uint8_t block[kBlock] = {};
        block[0] = kRequestRecord;
        putU32(block + 1, uint32_t(data_.size()));
        putU16(block + 5, kPieceSize);
        std::memcpy(block + 7, name_.constData(), size_t(name_.size()));
        return set(block);
    }

    bool writeRecord(uint32_t sequence)
    {
        const int64_t offset = int64_t(sequence - 1) * kPieceSize;
        const int length = int(qMin<int64_t>(kPieceSize, data_.size() - offset));
        uint8_t block[kBlock] = {};
        block[0] = kUploadData;
        putU32(block + 1, sequence);
        putU16(block + 7, uint16_t(length));
        std::memcpy(block + 9, data_.constData() + offset, size_t(length));
        putU16(block + 5, recordCrc(block, 1, 8 + length));
        return set(block);
    }

    bool readState(UploadState& state)
    {
        uint8_t block[kBlock];
        if (!get(block))
            return false;
        state.state = block[0];
        state.done = u32At(block + 1);
        state.fileLength = u32At(block + 5);
        return true;
    }

    // The state read before each thousandth record; false ends the upload.
    bool checkBatch(int& errors, uint8_t& lastState)
    {
        UploadState state;
        while (!readState(state)) {
            if (!countError(errors))
                return false;
        }
        if (state.state != kUploadReceiving && state.state != kUploadComplete) {
            qCritical() << "invalid transfer state:" << state.state;
            return false;
        }
        if (state.fileLength != uint32_t(data_.size())) {
            qCritical() << "invalid file_len " << state.fileLength;
            return false;
        }
        if (state.done == notedDone_)
            qInfo() << "done_seq not increase " << state.done;
        lastState = state.state;
        notedDone_ = state.done;
        return device_.sleepPass(timing_.pictureBatchPauseMs);
    }

    bool sendPhase()
    {
        uint32_t sequence = 1;
        uint32_t checked = 0;
        int64_t offset = 0;
        int progressStep = 0;
        int errors = 0;
        uint8_t lastState = 0;
        const int64_t size = data_.size();
        while (offset < size) {
            if (timedOut(timing_.pictureUploadSendTimeoutMs))
                return fail();
            if (!device_.channelRunning())
                return stopped();
            if (sequence % kBatchRecords == 0 && lastState != kUploadComplete && checked != sequence) {
                checked = sequence;
                if (!checkBatch(errors, lastState))
                    return device_.channelRunning() ? fail() : stopped();
            }
            if (!writeRecord(sequence)) {
                if (!countError(errors))
                    return fail();
                continue;
            }
            offset = qMin<int64_t>(offset + kPieceSize, size);
            if (sequence % kBatchRecords == 0)
                qInfo() << "send len " << offset << sequence;
            ++sequence;
            const int percent = int(offset * 100 / size);
            if (percent > progressStep + 10) {
                progressStep += 10;
                if (progressStep <= 90)
                    emit device_.fileUploadProgress(progressStep);
            }
        }
        return true;
    }

    bool checkPhase()
    {
        qInfo() << "send finished";
        int errors = 0;
        uint32_t lastDone = notedDone_;
        QElapsedTimer still;  // since the camera's done sequence last moved
        still.start();
        for (;;) {
            if (timedOut(timing_.pictureUploadCheckTimeoutMs))
                return fail();
            UploadState state;
            if (!readState(state)) {
                if (!countError(errors))
                    return fail();
            } else if (state.state == kUploadComplete) {
                qInfo() << "transfer check finished";
                if (!sendControl())
                    qCritical() << kUploadFailed << localPath_;
                logEnd("upload", deviceFile_);
                emit device_.fileUploadProgress(kErrCodeSuccess);
                return true;
            } else if (state.state != kUploadReceiving) {
                qCritical() << "invalid transfer state: " << state.state;
                return fail();
            } else if (!resendIfStalled(state.done, lastDone, still, errors)) {
                return fail();
            }
            if (!device_.sleepPass(timing_.uploadCheckPeriodMs))
                return stopped();
        }
    }

    // The camera takes records in order; when its done sequence stands
    // still, the record after it is written again.
    bool resendIfStalled(uint32_t done, uint32_t& lastDone, QElapsedTimer& still, int& errors)
    {
        if (done != lastDone) {
            lastDone = done;
            still.restart();
            return true;
        }
        if (done >= packCount_ || still.elapsed() < timing_.uploadResendAfterMs)
            return true;
        qInfo() << "need resend seq " << done + 1;
        still.restart();
        return writeRecord(done + 1) || countError(errors);
    }

    const QString localPath_;
    const QString deviceFile_;
    QByteArray name_;
    QByteArray data_;
    uint32_t packCount_ = 0;
    uint32_t notedDone_ = 0;
};

bool UvcDevice::startFileDownloadAsync(ImageTransType type)
{
    const KindRow* row = rowFor(type);
    if (!row || row->role == Role::Upload)
        return false;
    pendingTransfers_.fetch_or(type);
    return true;
}

bool UvcDevice::startFileUploadAsync(ImageTransType type)
{
    const KindRow* row = rowFor(type);
    if (!row || row->role != Role::Upload)
        return false;
    pendingTransfers_.fetch_or(type);
    return true;
}

int UvcDevice::fileDownloadByUvc(const QString& localPath, const QString& deviceFile, bool thumbnail)
{
    return PictureDownload(*this, localPath, deviceFile, thumbnail).run();
}

bool UvcDevice::fileUploadByUvc(const QString& localPath, const QString& deviceFile)
{
    return PictureUpload(*this, localPath, deviceFile).run();
}

void UvcDevice::runPictureTransfer()
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

void UvcDevice::setThumbnailPath(int slot, const QString& path)
{
    storePath(picturePathMutex_, thumbnailPaths_, slot, path);
}

QString UvcDevice::thumbnailPath(int slot) const
{
    return loadPath(picturePathMutex_, thumbnailPaths_, slot);
}

void UvcDevice::setFullPicturePath(int slot, const QString& path)
{
    storePath(picturePathMutex_, fullPicturePaths_, slot, path);
}

QString UvcDevice::fullPicturePath(int slot) const
{
    return loadPath(picturePathMutex_, fullPicturePaths_, slot);
}

QString UvcDevice::localPathFor(ImageTransType type) const
{
    const KindRow* row = rowFor(type);
    if (!row)
        return {};
    return row->role == Role::Thumbnail ? thumbnailPath(row->slot) : fullPicturePath(row->slot);
}

} // namespace pc
} // namespace vesk
