// Files to and from the camera: 60-byte upload records that the camera
// acknowledges, downloads carried in the video stream with gap recovery,
// and the shell upload for cameras without a transfer service.

#include "upgrade/UvcUpgradeTask.h"

#include "comm/Util.h"
#include "upgrade/LocalFiles.h"
#include "uvc/ExtensionUnit.h"
#include "uvc/UvcDevice.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kBlock = ExtensionUnit::kBlockSize;

// Upload records.
constexpr int kPacketHeader = 8;
constexpr int kPacketData = 52;
constexpr int kMaxCamPath = 51;
constexpr uint8_t kCmdResetTransState = 8;
constexpr qint64 kMaxUploadSize = 0xFFFFFFFFll;  // the record's length field
constexpr uint32_t kStateCheckEvery = 1000;
constexpr uint32_t kSendLogEvery = 10000;
constexpr int kMaxSendErrors = 20;        // the next one ends the upload
constexpr int kMaxCompletionFailures = 10;
constexpr int kCompletionPassMs = 10;
constexpr int kResendAfterMs = 10;        // a pass slower than this resends
constexpr int kCompletionLimitMs = 60000; // a camera that never completes

// Stream downloads.
constexpr uint8_t kDownStart = 0;
constexpr uint8_t kDownFinished = 2;
constexpr uint8_t kDownResend = 3;
constexpr uint8_t kDownGenerate = 5;
constexpr uint32_t kDownPackLen = 0x40000;
constexpr int kStreamHeader = 12;
constexpr int kMaxDownName = 46;
constexpr uint32_t kMaxDownloadSize = 256u << 20;  // before a buffer is sized for it
constexpr int kStartSettleMs = 500;
constexpr int kGeneratePollMs = 500;
constexpr int kGeneratePolls = 60;
constexpr int kReceivePassMs = 50;
constexpr qint64 kForceResendAfterMs = 18001;
constexpr qint64 kDownloadLimitMs = 30001;
constexpr int kFinishPollMs = 30;
constexpr qint64 kFinishLimitMs = 10000;  // the camera confirming the end

// Shell upload.
constexpr int kShellLineMax = 46;
constexpr char kShellLinePrefix[] = "/log/r ";
constexpr int kMaxShellLines = 9999;  // the line number has at most 4 digits
constexpr int kShellLinePauseMs = 20;
constexpr int kShellBatchLines = 100;
constexpr int kShellBatchPauseMs = 500;
constexpr int kShellSetupPauseMs = 100;
constexpr int kShellSettleMs = 2500;
constexpr int kJoinPauseMs = 100;

uint32_t packetCount(qint64 length, uint32_t packetSize)
{
    return uint32_t((length + packetSize - 1) / packetSize);
}

// Upload packet seq (from 1) of data: sequence, CRC-16 over header and
// data taken with the CRC field zero, length, data; the rest zero.
void buildPacket(const QByteArray& data, uint32_t seq, uint8_t* block)
{
    std::memset(block, 0, kBlock);
    const qint64 from = qint64(seq - 1) * kPacketData;
    const int length = int(std::min<qint64>(kPacketData, data.size() - from));
    qToLittleEndian<quint32>(seq, block);
    qToLittleEndian<quint16>(quint16(length), block + 6);
    std::memcpy(block + kPacketHeader, data.constData() + from, size_t(length));
    qToLittleEndian<quint16>(Util::crc16ForBuf(block, uint32_t(kPacketHeader + length)), block + 4);
}

// CRC-32 of a stream packet taken with its CRC field (bytes 4-7) zero.
uint32_t streamPacketCrc(const uint8_t* packet, int size)
{
    static const uint8_t zeros[4] = {};
    uint32_t crc = Util::crc32Init();
    crc = Util::crc32Update(packet, 4, crc);
    crc = Util::crc32Update(zeros, 4, crc);
    crc = Util::crc32Update(packet + 8, uint32_t(size - 8), crc);
    return Util::crc32Final(crc);
}

bool stopped(const char* what)
{
    qCritical() << what << "stopped on request";
    return false;
}

// Digits of n below 10000 as the shell line's " n" takes them.
int numberLength(int n)
{
    return n < 10 ? 1 : n < 100 ? 2 : n < 1000 ? 3 : 4;
}

int shellLineBytes(int n)
{
    const int fixed = int(sizeof(kShellLinePrefix)) - 1 + 1 + numberLength(n);
    return (kShellLineMax - fixed) / 2;
}

// Lines a shell upload of size bytes takes, or -1 beyond the line numbers.
int shellLineCount(qint64 size)
{
    int lines = 0;
    for (qint64 left = size; left > 0; left -= shellLineBytes(lines)) {
        if (++lines > kMaxShellLines)
            return -1;
    }
    return lines;
}

} // namespace

struct UvcUpgradeTask::UploadRun
{
    QByteArray data;
    uint32_t count = 0;      // packets
    uint32_t next = 1;       // sequence of the next packet to send
    int errors = 0;
    uint32_t knownDone = 0;  // the camera's done sequence at the last read
    uint8_t lastState = 0;
    int steps = 0;
    uint32_t perStep = 0;
    int stepIndex = 1;
    QElapsedTimer clock;
};

struct UvcUpgradeTask::DownloadRequest
{
    QByteArray name;
    uint32_t expected = 0;  // 0: whatever the camera reports
    bool generate = false;
};

// --- record upload ---

bool UvcUpgradeTask::fileUploadByUvc(const QString& localPath, const QString& camPath,
                                      bool compressed, int steps)
{
    UploadRun run;
    run.clock.start();
    qInfo() << "start tick: " << run.clock.msecsSinceReference();
    if (!LocalFiles::readAll(localPath, &run.data, "open file failed", kMaxUploadSize)
        || !startUpload(run, localPath, camPath, compressed))
        return false;
    run.steps = steps;
    run.perStep = steps > 0 ? run.count / uint32_t(steps) : 0;
    if (!sendUploadPackets(run))
        return false;
    qInfo() << "send finished";
    return awaitUploadComplete(run, localPath);
}

bool UvcUpgradeTask::startUpload(UploadRun& run, const QString& localPath, const QString& camPath,
                                  bool compressed)
{
    const QByteArray path = QFile::encodeName(camPath);
    if (!workDev_ || path.size() > kMaxCamPath) {
        // A cut path would put the file somewhere else on the camera.
        qCritical() << "Cannot upload to" << camPath << (workDev_ ? "path too long" : "no device");
        return false;
    }
    uint8_t block[kBlock] = {kCmdResetTransState};
    if (!workDev_->ugUpCmd(block)) {
        qCritical() << "UG_UVC_UP_CMD_RESET_TRANS_STATE failed";
        return false;
    }
    std::memset(block, 0, kBlock);
    block[0] = uint8_t(compressed ? 4 : 0);
    qToLittleEndian<quint32>(uint32_t(run.data.size()), block + 1);
    qToLittleEndian<quint16>(kPacketData, block + 5);
    std::memcpy(block + 7, path.constData(), size_t(path.size()));
    run.count = packetCount(run.data.size(), kPacketData);
    qInfo() << "send file len =" << run.data.size() << "pack_cnt =" << run.count;
    if (!workDev_->transFileStart(block)) {
        qCritical() << "transFileStart failed" << localPath;
        return false;
    }
    return sleepMs(10) || stopped("Upload");
}

bool UvcUpgradeTask::sendUploadPackets(UploadRun& run)
{
    uint8_t block[kBlock];
    while (run.next <= run.count) {
        if (isStopping())
            return stopped("Upload");
        if (run.next % kStateCheckEvery == 0 && run.lastState != UpgradeFileUpState::kComplete) {
            bool retry = false;
            if (!checkUploadState(run, &retry))
                return false;
            if (retry)
                continue;
        }
        buildPacket(run.data, run.next, block);
        // A resent packet does not count again, and never past the steps.
        if (run.steps > 0 && run.stepIndex <= run.steps
            && run.next >= uint32_t(run.stepIndex) * run.perStep) {
            raiseProgress();
            ++run.stepIndex;
        }
        if (workDev_->transFileTrans(block) != 0) {
            if (!countUploadError(run, kMaxSendErrors))
                return false;
            continue;
        }
        if (run.next % kSendLogEvery == 0)
            qInfo() << "send len " << qint64(run.next) * kPacketData << run.next;
        ++run.next;
    }
    return true;
}

// Reads the camera's state in the middle of an upload; *retry when the read
// failed and may be tried again.
bool UvcUpgradeTask::checkUploadState(UploadRun& run, bool* retry)
{
    UpgradeFileUpState state;
    if (workDev_->transFileTransStateGet(&state) != 0) {
        *retry = true;
        return countUploadError(run, kMaxSendErrors);
    }
    if (state.state != UpgradeFileUpState::kReceiving && state.state != UpgradeFileUpState::kComplete) {
        qCritical() << "invalid transfer state:" << int(state.state);
        return false;
    }
    if (state.fileLen != uint32_t(run.data.size())) {
        qCritical() << "invalid file_len " << state.fileLen;
        return false;
    }
    if (state.doneSeq == run.knownDone)
        qInfo() << "done_seq not increase " << state.doneSeq;
    if (!sleepMs(20))
        return stopped("Upload");
    run.knownDone = std::min(state.doneSeq, run.count);
    run.lastState = state.state;
    return true;
}

bool UvcUpgradeTask::countUploadError(UploadRun& run, int limit)
{
    if (++run.errors <= limit)
        return true;
    qCritical() << "Too many data transmission errors";
    return false;
}

// After the last packet: waits for the camera to report the file complete,
// resending the first packet it lacks while its done sequence stands still.
bool UvcUpgradeTask::awaitUploadComplete(UploadRun& run, const QString& localPath)
{
    uint8_t block[kBlock];
    uint32_t candidate = run.knownDone + 1;
    run.errors = 0;
    // Nanoseconds: at the scale of tests the threshold is below a millisecond.
    const qint64 resendAfterNs = qint64(kResendAfterMs) * 1000000 * timing_.upgradeTimePercent / 100;
    QElapsedTimer phase;
    phase.start();
    qint64 lastPass = 0;
    for (;;) {
        if (!sleepMs(kCompletionPassMs))
            return stopped("Upload");
        const qint64 now = phase.nsecsElapsed();
        if (phase.elapsed() >= scaledMs(kCompletionLimitMs)) {
            qCritical() << "Upload not complete after" << phase.elapsed() << "ms";
            return false;
        }
        UpgradeFileUpState state;
        if (workDev_->transFileTransStateGet(&state) != 0) {
            if (!countUploadError(run, kMaxCompletionFailures))
                return false;
            continue;
        }
        if (state.state == UpgradeFileUpState::kComplete) {
            qInfo() << "transfer check finished";
            qInfo() << "upload" << localPath << "end tick: " << run.clock.msecsSinceReference()
                     << " duration: " << run.clock.elapsed() / 1000.0;
            return true;
        }
        if (state.state != UpgradeFileUpState::kReceiving) {
            qCritical() << "invalid transfer state: " << int(state.state);
            return false;
        }
        if (state.doneSeq > run.count) {
            qCritical() << "invalid done_seq" << state.doneSeq << "of" << run.count;
            return false;
        }
        if (state.doneSeq != run.knownDone || candidate == run.next) {
            // The camera moved on (or has every packet): follow it.
            qInfo() << "done_seq" << state.doneSeq << "last" << run.knownDone;
            run.knownDone = state.doneSeq;
            candidate = state.doneSeq + 1;
        } else if (now - lastPass > resendAfterNs) {
            qInfo() << "need resend seq " << candidate;
            buildPacket(run.data, candidate, block);
            if (workDev_->transFileTrans(block) != 0 && !countUploadError(run, kMaxCompletionFailures))
                return false;
        }
        lastPass = now;
    }
}

// --- stream download ---

bool UvcUpgradeTask::streamActivate()
{
    if (workDev_ && workDev_->streamActivate(UvcDevice::ImageFormat(streamType_)))
        return true;
    qCritical() << "stream Active failed";
    if (workDev_)
        workDev_->streamDeactivate();
    return false;
}

void UvcUpgradeTask::streamDeactivate()
{
    if (workDev_)
        workDev_->streamDeactivate();
}

bool UvcUpgradeTask::fileDownloadByUvc(const QString& camName, const QString& localPath,
                                        int expectedLen, bool generate)
{
    DownloadRequest request;
    request.name = QFile::encodeName(camName);
    request.expected = uint32_t(expectedLen);
    request.generate = generate;
    if (!workDev_ || request.name.size() > kMaxDownName || expectedLen < 0) {
        qCritical() << "Cannot download" << camName << expectedLen << (workDev_ ? "" : "no device");
        return false;
    }
    UpgradeFileDownloadState state;
    if (!negotiateDownload(request, &state))
        return false;
    beginDownload(state);
    if (!streamActivate()) {
        qCritical() << "streamActivate failed";
        endDownload(0);
        return false;
    }
    if (!receiveDownload(request)) {
        streamDeactivate();
        endDownload(0);
        return false;
    }
    return finishDownload(request, localPath);
}

bool UvcUpgradeTask::requestDownload(const DownloadRequest& request, uint8_t command, uint32_t offset)
{
    uint8_t block[kBlock] = {command};
    qToLittleEndian<quint32>(offset, block + 1);
    qToLittleEndian<quint32>(request.expected, block + 5);
    qToLittleEndian<quint32>(kDownPackLen, block + 9);
    std::memcpy(block + 13, request.name.constData(), size_t(request.name.size()));
    return workDev_->fileDownloadReq(block);
}

namespace {

// The camera's answer to a download request, checked before anything is
// sized for it. The length is known only once the file is generated.
bool downloadStateAcceptable(const UpgradeFileDownloadState& state, const QByteArray& name,
                             uint32_t expected)
{
    if (state.state != UpgradeFileDownloadState::kTransferring
        && state.state != UpgradeFileDownloadState::kGenerating) {
        qCritical() << "Invalid state: " << int(state.state);
        return false;
    }
    const bool lengthKnown = state.state == UpgradeFileDownloadState::kTransferring;
    if (lengthKnown && expected != 0 && state.fileLen != expected) {
        qCritical() << "Invalid state file_len" << state.fileLen << ", expect" << expected;
        return false;
    }
    if (lengthKnown && state.fileLen > kMaxDownloadSize) {
        qCritical() << "Invalid state file_len" << state.fileLen << "above the limit" << kMaxDownloadSize;
        return false;
    }
    if (state.offset != 0) {
        qCritical() << "Invalid state offset" << state.offset;
        return false;
    }
    if (state.packLen != kDownPackLen) {
        qCritical() << "Invalid state pack_len" << state.packLen;
        return false;
    }
    if (state.fileName != name) {
        qCritical() << "Invalid state file_name:" << state.fileName << name;
        return false;
    }
    return true;
}

} // namespace

bool UvcUpgradeTask::negotiateDownload(const DownloadRequest& request, UpgradeFileDownloadState* state)
{
    if (!requestDownload(request, request.generate ? kDownGenerate : kDownStart, 0)) {
        qCritical() << "fileDownloadReq failed for start request";
        return false;
    }
    qInfo() << "start download:" << request.name << 0 << request.expected << kDownPackLen;
    if (!sleepMs(kStartSettleMs))
        return stopped("Download");
    if (!workDev_->fileDownloadStateGet(state)
        || !downloadStateAcceptable(*state, request.name, request.expected))
        return false;
    const bool generating = state->state == UpgradeFileDownloadState::kGenerating;
    for (int polls = 0; state->state == UpgradeFileDownloadState::kGenerating; ++polls) {
        if (polls == kGeneratePolls) {
            qCritical() << "wait fw generate timeout";
            return false;
        }
        if (!sleepMs(kGeneratePollMs))
            return stopped("Download");
        if (!workDev_->fileDownloadStateGet(state))
            return false;
    }
    if (state->state != UpgradeFileDownloadState::kTransferring) {
        qCritical() << "Invalid file download state" << int(state->state);
        return false;
    }
    return !generating || downloadStateAcceptable(*state, request.name, request.expected);
}

void UvcUpgradeTask::beginDownload(const UpgradeFileDownloadState& state)
{
    raiseProgress();
    const uint32_t count = packetCount(state.fileLen, state.packLen);
    QMutexLocker lock(&download_.mutex);
    download_.recvHigh = 0;
    download_.doneSeq = 0;
    download_.gapWarned = 0;
    download_.packCount = count;
    // Bounded: the length was checked against the limit before.
    download_.buffer = QByteArray(int(qint64(count) * (state.packLen + kStreamHeader)), '\0');
    download_.state = 1;
    download_.fileLen = state.fileLen;
    download_.offset = state.offset;
    download_.packLen = state.packLen;
    qInfo() << "start successfully, state" << int(download_.state) << "packets" << count;
}

void UvcUpgradeTask::endDownload(uint8_t state)
{
    QMutexLocker lock(&download_.mutex);
    download_.state = state;
    download_.buffer = QByteArray();
    download_.packCount = 0;
}

// Moves the done sequence over the packets stored in order; the caller
// holds the lock. True when every packet is in.
bool UvcUpgradeTask::advanceDoneSeq()
{
    DownloadState& d = download_;
    const qint64 slot = qint64(d.packLen) + kStreamHeader;
    while (d.doneSeq < d.recvHigh) {
        const uint32_t i = d.doneSeq;
        const uint32_t seq = qFromLittleEndian<quint32>(d.buffer.constData() + i * slot);
        if (seq != i + 1) {
            if (d.gapWarned != i + 1)  // once per gap, not at every pass
                qWarning() << "Invalid i =" << i << ", seq =" << seq;
            d.gapWarned = i + 1;
            break;
        }
        d.doneSeq = i + 1;
        if (d.doneSeq % 10 == 0)
            qDebug() << "done_seq =" << d.doneSeq;
    }
    return d.doneSeq == d.packCount;
}

bool UvcUpgradeTask::receiveDownload(const DownloadRequest& request)
{
    QElapsedTimer clock;
    clock.start();
    uint32_t checkedDone = 0;
    for (;;) {
        uint32_t done = 0;
        uint32_t count = 0;
        {
            QMutexLocker lock(&download_.mutex);
            if (advanceDoneSeq())
                return true;
            done = download_.doneSeq;
            count = download_.packCount;
        }
        // The pass paces the resend requests that the stream must answer, so
        // it scales as a time-out: at the waits' scale it would be a spin that
        // starves the stream and floods the camera with requests.
        if (!sleepScaledMs(scaledMs(kReceivePassMs)))
            return stopped("Download");
        bool restart = false;
        {
            // Frames may have filled the gap during the pause: only a packet
            // still missing is asked for again.
            QMutexLocker lock(&download_.mutex);
            advanceDoneSeq();
            done = download_.doneSeq;
            restart = download_.recvHigh == count && done < count;
        }
        if (restart) {
            qInfo() << "Require restart" << done + 1;
            if (!requestDownload(request, kDownResend, done + 1))
                return false;
        }
        if (done != checkedDone) {
            UpgradeFileDownloadState state;
            if (!workDev_->fileDownloadStateGet(&state))
                return false;
            if (state.state != UpgradeFileDownloadState::kTransferring) {
                qCritical("Invalid file download state %d", state.state);
                return false;
            }
            checkedDone = done;
        }
        const qint64 elapsed = clock.elapsed();
        if (elapsed >= scaledMs(kForceResendAfterMs)) {
            // From now on every pass asks for the first missing packet.
            QMutexLocker lock(&download_.mutex);
            download_.recvHigh = download_.packCount;
        }
        if (elapsed >= scaledMs(kDownloadLimitMs)) {
            qCritical() << "Unexpected timeout" << elapsed << "ms";
            return false;
        }
    }
}

bool UvcUpgradeTask::finishDownload(const DownloadRequest& request, const QString& localPath)
{
    streamDeactivate();
    raiseProgress();
    // The packets are ours from here: frames still queued find no transfer.
    QByteArray buffer;
    uint32_t count = 0;
    qint64 slot = 0;
    {
        QMutexLocker lock(&download_.mutex);
        buffer.swap(download_.buffer);
        count = download_.packCount;
        slot = qint64(download_.packLen) + kStreamHeader;
        download_.state = 0;
        download_.packCount = 0;
    }
    if (!requestDownload(request, kDownFinished, 0))
        return false;
    UpgradeFileDownloadState state;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (!workDev_->fileDownloadStateGet(&state)) {
            qCritical() << "req filedownload state failed";
            return false;
        }
        if (state.state != UpgradeFileDownloadState::kTransferring)
            break;
        if (clock.elapsed() >= scaledMs(kFinishLimitMs)) {
            qCritical() << "filedownload not finished after" << clock.elapsed() << "ms";
            return false;
        }
        if (!sleepMs(kFinishPollMs))
            return stopped("Download");
    }
    if (state.state != UpgradeFileDownloadState::kFinished) {
        qCritical("Invalid filedownload state %d", state.state);
        return false;
    }
    QList<QByteArray> pieces;
    for (uint32_t i = 0; i < count; ++i) {
        const char* packet = buffer.constData() + i * slot;
        pieces << QByteArray::fromRawData(packet + kStreamHeader, int(qFromLittleEndian<quint32>(packet + 8)));
    }
    if (!LocalFiles::writeAll(localPath, pieces, "write file failed: i =")) {
        endDownload(3);
        return false;
    }
    qInfo() << "download " << request.name << "successfully";
    qInfo() << "save to " << localPath;
    return true;
}

void UvcUpgradeTask::onStreamVideoData(QByteArray data)
{
    if (data.size() <= kStreamHeader) {
        qWarning() << "Received size is less than" << kStreamHeader << ":" << data.size();
        return;
    }
    const auto* packet = reinterpret_cast<const uint8_t*>(data.constData());
    const uint32_t seq = qFromLittleEndian<quint32>(data.constData());
    const uint32_t crc = qFromLittleEndian<quint32>(data.constData() + 4);
    const uint32_t length = qFromLittleEndian<quint32>(data.constData() + 8);
    const uint32_t actualCrc = streamPacketCrc(packet, data.size());

    QMutexLocker lock(&download_.mutex);
    DownloadState& d = download_;
    if (d.state != 1) {
        qWarning() << int(d.state) << " not trans state";
        return;
    }
    if (seq == 0 || seq > d.packCount) {
        qCritical() << "Invalid seq" << seq << "of" << d.packCount;
        return;
    }
    if (seq <= d.doneSeq) {
        qWarning() << "Repeated pack seq" << seq;
        return;
    }
    // Every packet but the last is full; the last carries the rest.
    const uint32_t expected = seq < d.packCount ? d.packLen : d.fileLen - (d.packCount - 1) * d.packLen;
    if (length != expected) {
        qCritical() << "Invalid seq =" << seq << ", pack_len =" << length;
        return;
    }
    if (qint64(data.size()) != qint64(length) + kStreamHeader) {
        qCritical() << "size " << data.size() << "!= " << qint64(length) + kStreamHeader;
        return;
    }
    if (actualCrc != crc) {
        qCritical() << "Invalid crc:" << Qt::hex << crc << actualCrc << Qt::dec << "in seq" << seq;
        return;
    }
    const qint64 slot = qint64(d.packLen) + kStreamHeader;
    std::memcpy(d.buffer.data() + (seq - 1) * slot, data.constData(), size_t(data.size()));
    d.recvHigh = std::max(d.recvHigh, seq);
    qDebug() << "trans_file_recv_seq =" << seq;
}

// --- shell upload ---

bool UvcUpgradeTask::sendShellLine(const QByteArray& line)
{
    ProtocolMsg::FrmPacket frame;
    if (!workDev_ || !UvcDevice::makeShellFrame(line, frame)) {
        qCritical() << "Cannot send shell line" << line;
        return false;
    }
    const UvcDevice::ErrorType result = workDev_->sendMsgAsyncDirectly(frame);
    if (result != UvcDevice::ErrSuccess) {
        qCritical() << "sendMsgAsyncDirectly failed" << result << line;
        return false;
    }
    return true;
}

bool UvcUpgradeTask::fileUploadSyscallV0(const QString& localPath, const QString& camName)
{
    QByteArray data;
    if (!LocalFiles::readInstalled(localPath, &data, "open file failed", kMaxUploadSize))
        return false;
    qInfo() << "send file len =" << data.size();
    const int lines = shellLineCount(data.size());
    if (lines < 0) {
        qCritical() << "File too large for a shell upload:" << data.size();
        return false;
    }
    if (!sendShellLine(R"(echo "echo -n \$1 > /log/\$2" > /log/r)")
        || !(sleepMs(kShellSetupPauseMs) || stopped("Shell upload"))
        || !sendShellLine("chmod +x /log/r"))
        return false;
    QElapsedTimer clock;
    clock.start();
    qInfo() << "Start to upload file:" << localPath;
    int sent = 0;
    for (int n = 1; n <= lines; ++n) {
        const int take = std::min(shellLineBytes(n), data.size() - sent);
        const QByteArray line =
            kShellLinePrefix + data.mid(sent, take).toHex() + ' ' + QByteArray::number(n);
        if (!sleepMs(kShellLinePauseMs))
            return stopped("Shell upload");
        if (!sendShellLine(line))
            return false;
        sent += take;
        if (n % kShellBatchLines == 0) {
            raiseProgress();
            qInfo() << "send len =" << sent;
            if (!sleepMs(kShellBatchPauseMs))
                return stopped("Shell upload");
        }
    }
    qInfo() << "send finished";
    qInfo() << "send len =" << sent;
    qInfo() << "Upload end, time spent:" << clock.elapsed();
    for (int i = 0; i < 2; ++i) {
        if (!sleepMs(kShellSettleMs))
            return stopped("Shell upload");
        raiseProgress();
    }
    qInfo() << "Start to trans join shell and join all seq string";
    if (transFileJoinSeqString(lines, camName) != 0) {
        qCritical() << "trans join shell and join all seq string failed";
        return false;
    }
    return true;
}

int UvcUpgradeTask::transFileJoinSeqString(int count, const QString& camName)
{
    const QByteArray lines[] = {
        QByteArray(R"(echo -n "for i in \$(seq %d); do " > /log/m1)")
            .replace("%d", QByteArray::number(count)),
        R"(echo -n "cat \$i | while read -n 2 " > /log/m2)",
        R"(echo -n "j; do echo -en \"\\x\$j\"" > /log/m3)",
        QByteArray(R"(echo -n " >> %s; done; done" > /log/m4)").replace("%s", QFile::encodeName(camName)),
        "cd /log&&mv m1 m&&cat m2>>m&&cat m3>>m",
        "cd /log&&mv m n&&cat m4>>n&&rm m*&&/bin/sh n&",
    };
    for (const QByteArray& line : lines) {
        if (&line != lines && !sleepMs(kJoinPauseMs)) {
            stopped("Shell upload");
            return -1;
        }
        if (!sendShellLine(line))
            return -1;
    }
    return 0;
}

} // namespace pc
} // namespace vesk
