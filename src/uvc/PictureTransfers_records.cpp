// One picture download or upload in 60-byte records, with the retries,
// checks and time-outs of each direction.

#include "uvc/PictureTransfers.h"

#include "comm/Util.h"
#include "comm/UpgradeCodes.h"
#include "uvc/ExtensionUnit.h"

#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>
#include <functional>

namespace vesk {
namespace pc {

namespace {

constexpr int kBlock = ExtensionUnit::kBlockSize;
constexpr int kPieceSize = 51;         // file bytes in one record
constexpr int kMaxErrors = 7;          // failed transfers that end a picture transfer
constexpr uint32_t kBatchRecords = 1000;

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

// Download parameters: width, height, quality.
struct PictureShape
{
    uint16_t width;
    uint16_t height;
    uint16_t quality;
};
constexpr PictureShape kThumbnailShape = {64, 36, 90};
constexpr PictureShape kFullShape = {1536, 864, 0};

// A data record's CRC-16 over the given bytes with its own field (5-6) as 0.
uint16_t recordCrc(const uint8_t* block, int from, int to)
{
    uint8_t copy[kBlock];
    std::memcpy(copy, block, kBlock);
    qToLittleEndian<quint16>(0, copy + 5);
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
    PictureChannel(ControlPort& control, MessagePort& channel, int selector, const char* failText)
        : control_(control)
        , channel_(channel)
        , selector_(selector)
        , failText_(failText)
        , unitId_(control.units().extensionUnitId)
        , timing_(control.timing())
    {
        startTick_ = nowTick();
        clock_.start();
    }

    bool set(uint8_t* block)
    {
        return control_.setDataWithLengthSelectorUnitId(block, kBlock, selector_,
                                                        UvcUnitKind::ExtensionUnit, unitId_)
               == kBlock;
    }
    bool get(uint8_t* block)
    {
        std::memset(block, 0, kBlock);
        return control_.getDataByTypeLengthSelectorUnitId(block, int(UvcRequest::GetCur), kBlock,
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

    ControlPort& control_;
    MessagePort& channel_;
    const int selector_;
    const char* const failText_;
    const uint8_t unitId_;
    const UvcTiming timing_;
    qint64 startTick_ = 0;
    QElapsedTimer clock_;
};

const char kDownloadFailed[] = "VESK_UVC_XU_CTRL_FILE_DOWNLOAD failed";
const char kUploadFailed[] = "VESK_UVC_XU_CTRL_FILE_UPLOAD failed";
const char kClosing[] = "Picture transfer stopped: the camera is closing";

} // namespace

// One download: control record, request, information reply, data replies.
class PictureDownload : PictureChannel
{
public:
    PictureDownload(ControlPort& control, MessagePort& channel, const QString& localPath,
                    const QString& deviceFile, bool thumbnail)
        : PictureChannel(control, channel, ExtensionUnit::kPictureDownloadSelector, kDownloadFailed)
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
            return PictureKinds::kDownloadFailed;
        }
        const int64_t local = localCrc(localPath_);
        if (!sendControl()) {
            qCritical() << kDownloadFailed << deviceFile_;
            return PictureKinds::kDownloadFailed;
        }
        if (!sendRequest(name)) {
            qCritical() << kDownloadFailed << localPath_;
            return PictureKinds::kDownloadFailed;
        }
        if (!thumbnail_ && !channel_.sleepPass(timing_.fullPictureWaitMs)) {
            qWarning() << kClosing;
            return endWith(PictureKinds::kDownloadFailed);
        }
        const int infoResult = readInfo();
        if (infoResult != 0)
            return endWith(infoResult);
        if (int64_t(crc_) == local) {
            qDebug() << "Image on device is same with local" << deviceFile_;
            return endWith(PictureKinds::kDownloadUnchanged);
        }
        if (!localPath_.isEmpty())
            QFile::remove(localPath_);  // no stale picture stays once the fetch begins
        if (size_ >= uint64_t(PictureKinds::kMaxPictureSize)) {
            qCritical() << "File size is too large:" << size_;
            return endWith(PictureKinds::kDownloadFailed);
        }
        if (size_ == 0) {
            qCritical() << "File size is invalid:" << size_;
            return endWith(PictureKinds::kDownloadFailed);
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
        qToLittleEndian<quint16>(shape.width, block + 1);
        qToLittleEndian<quint16>(shape.height, block + 3);
        qToLittleEndian<quint16>(shape.quality, block + 5);
        std::memcpy(block + 7, name.constData(), size_t(name.size()));
        return set(block);
    }

    // 0 when the picture is there, else the download's result.
    int readInfo()
    {
        uint8_t block[kBlock];
        if (!get(block)) {
            qCritical() << kDownloadFailed;
            return PictureKinds::kDownloadFailed;
        }
        if (block[0] != kInfoReply) {
            qCritical() << "Get image info failed" << block[0];
            return PictureKinds::kDownloadFailed;
        }
        if (block[1] != kPicturePresent) {
            qInfo() << "Image state error or image does not exist" << block[1];
            return PictureKinds::kDownloadMissing;
        }
        size_ = qFromLittleEndian<quint32>(block + 6);
        crc_ = qFromLittleEndian<quint32>(block + 12);
        const char* text = reinterpret_cast<const char*>(block + 16);
        qDebug() << "Start to download file:" << qFromLittleEndian<quint32>(block + 2) << size_ << qFromLittleEndian<quint16>(block + 10)
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
                return endWith(PictureKinds::kDownloadFailed);
            if (!channel_.channelRunning()) {
                qWarning() << kClosing;
                return endWith(PictureKinds::kDownloadFailed);
            }
            if (uint64_t(data_.size()) >= size_)
                return finish();
            if (!get(block)) {
                if (!countError(errors))
                    return endWith(PictureKinds::kDownloadFailed);
                continue;
            }
            const int step = takeReply(block, expected);
            if (step < 0)
                return endWith(PictureKinds::kDownloadFailed);
            if (step > 0 && (expected - 1) % kBatchRecords == 0) {
                qInfo() << "send len " << data_.size() << expected - 1;
                channel_.sleepPass(timing_.pictureBatchPauseMs);
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
        const int length = qFromLittleEndian<quint16>(block + 7);
        if (length > kPieceSize) {
            qCritical() << "Data length error:" << length;
            return -1;
        }
        const uint16_t received = qFromLittleEndian<quint16>(block + 5);
        const uint16_t computed = recordCrc(block, 0, 8 + length);
        if (received != computed) {
            qCritical() << "crc error:" << received << computed;
            return -1;
        }
        const uint32_t sequence = qFromLittleEndian<quint32>(block + 1);
        if (sequence != expected) {
            qInfo() << "Seq error, require to resend seq" << expected << sequence;
            block[0] = kResendRequest;
            qToLittleEndian<quint32>(expected, block + 1);
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
            return PictureKinds::kDownloadFailed;
        }
        // Written beside the target and renamed when complete.
        QSaveFile file(localPath_);
        if (localPath_.isEmpty() || !file.open(QIODevice::WriteOnly)
            || file.write(data_) != data_.size() || !file.commit()) {
            qCritical() << "Failed to write picture" << localPath_ << file.errorString();
            return PictureKinds::kDownloadFailed;
        }
        logEnd("download", deviceFile_);
        return PictureKinds::kDownloadFetched;
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
    PictureUpload(ControlPort& control, MessagePort& channel, const QString& localPath,
                  const QString& deviceFile, std::function<void(int)> progress)
        : PictureChannel(control, channel, ExtensionUnit::kPictureUploadSelector, kUploadFailed)
        , progress_(std::move(progress))
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
        if (!channel_.sleepPass(timing_.uploadStartWaitMs))
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
        progress_(kErrCodeFailure);
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
        if (size <= 0 || size >= PictureKinds::kMaxPictureSize) {
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
        qToLittleEndian<quint32>(uint32_t(data_.size()), block + 1);
        qToLittleEndian<quint16>(kPieceSize, block + 5);
        std::memcpy(block + 7, name_.constData(), size_t(name_.size()));
        return set(block);
    }

    bool writeRecord(uint32_t sequence)
    {
        const int64_t offset = int64_t(sequence - 1) * kPieceSize;
        const int length = int(qMin<int64_t>(kPieceSize, data_.size() - offset));
        uint8_t block[kBlock] = {};
        block[0] = kUploadData;
        qToLittleEndian<quint32>(sequence, block + 1);
        qToLittleEndian<quint16>(uint16_t(length), block + 7);
        std::memcpy(block + 9, data_.constData() + offset, size_t(length));
        qToLittleEndian<quint16>(recordCrc(block, 1, 8 + length), block + 5);
        return set(block);
    }

    bool readState(UploadState& state)
    {
        uint8_t block[kBlock];
        if (!get(block))
            return false;
        state.state = block[0];
        state.done = qFromLittleEndian<quint32>(block + 1);
        state.fileLength = qFromLittleEndian<quint32>(block + 5);
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
        return channel_.sleepPass(timing_.pictureBatchPauseMs);
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
            if (!channel_.channelRunning())
                return stopped();
            if (sequence % kBatchRecords == 0 && lastState != kUploadComplete && checked != sequence) {
                checked = sequence;
                if (!checkBatch(errors, lastState))
                    return channel_.channelRunning() ? fail() : stopped();
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
                    progress_(progressStep);
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
                progress_(kErrCodeSuccess);
                return true;
            } else if (state.state != kUploadReceiving) {
                qCritical() << "invalid transfer state: " << state.state;
                return fail();
            } else if (!resendIfStalled(state.done, lastDone, still, errors)) {
                return fail();
            }
            if (!channel_.sleepPass(timing_.uploadCheckPeriodMs))
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

    const std::function<void(int)> progress_;
    const QString localPath_;
    const QString deviceFile_;
    QByteArray name_;
    QByteArray data_;
    uint32_t packCount_ = 0;
    uint32_t notedDone_ = 0;
};

int PictureTransfers::fileDownloadByUvc(const QString& localPath, const QString& deviceFile,
                                        bool thumbnail)
{
    return PictureDownload(control_, channel_, localPath, deviceFile, thumbnail).run();
}

bool PictureTransfers::fileUploadByUvc(const QString& localPath, const QString& deviceFile)
{
    auto progress = [this](int value) { emit fileUploadProgress(value); };
    return PictureUpload(control_, channel_, localPath, deviceFile, progress).run();
}

} // namespace pc
} // namespace vesk
