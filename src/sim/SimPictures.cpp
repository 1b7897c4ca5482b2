#include "sim/SimPictures.h"

#include "comm/Util.h"
#include "uvc/ExtensionUnit.h"

#include <QtEndian>

#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kBlock = ExtensionUnit::kBlockSize;
constexpr int kPiece = 51;
constexpr uint8_t kUploadSelector = ExtensionUnit::kPictureUploadSelector;
constexpr uint8_t kDownloadSelector = ExtensionUnit::kPictureDownloadSelector;
constexpr uint8_t kRequest = 0;
constexpr uint8_t kControl = 1;
constexpr uint8_t kInfo = 1;
constexpr uint8_t kData = 2;
constexpr uint8_t kResend = 3;
constexpr uint8_t kUploadData = 4;
constexpr uint16_t kThumbnailWidth = 64;
constexpr int kMasks = 3;
constexpr uint32_t kLargestUpload = 0x100000;  // the camera's own limit, beyond the host's

bool allZeroFrom(const uint8_t* block, int from)
{
    for (int i = from; i < kBlock; ++i) {
        if (block[i])
            return false;
    }
    return true;
}

QByteArray nameAt(const uint8_t* block, int offset)
{
    const char* text = reinterpret_cast<const char*>(block) + offset;
    return QByteArray(text, int(strnlen(text, size_t(kBlock - offset))));
}

// CRC-16 of bytes from..to with the record's own field (5-6) taken as 0.
uint16_t crcOf(const uint8_t* block, int from, int to)
{
    uint8_t copy[kBlock];
    std::memcpy(copy, block, kBlock);
    qToLittleEndian<quint16>(0, copy + 5);
    return Util::crc16ForBuf(copy + from, uint32_t(to - from + 1));
}

// Takes a one-time fault when it hits this sequence.
bool hits(uint32_t& fault, uint32_t sequence)
{
    if (fault == 0 || fault != sequence)
        return false;
    fault = 0;
    return true;
}

} // namespace

SimPictures::SimPictures(const QHash<QByteArray, QByteArray>& pictures,
                         const QHash<QByteArray, QByteArray>& thumbnails)
    : pictures_(pictures)
    , thumbnails_(thumbnails)
{
}

int SimPictures::write(uint8_t selector, const uint8_t* block)
{
    Switch& sw = selector == kUploadSelector ? upSwitch_ : downSwitch_;
    const bool active = sessionActive(selector);
    if (active && block[0] == kControl && allZeroFrom(block, 1)) {
        endSession(selector);
        return kBlock;
    }
    const bool opens = block[0] == kRequest && !allZeroFrom(block, 1);
    const uint8_t follower = selector == kUploadSelector ? kUploadData : kResend;
    if (!opens && !(active && block[0] == follower)) {
        takeSwitchBlock(sw, block);
        return kBlock;
    }
    if (sw.controlPending) {  // that control record opened this transfer
        sw.block = sw.beforeControl;
        sw.controlPending = false;
    }
    if (selector == kUploadSelector)
        takeUploadRecord(block);
    else
        takeDownloadRecord(block);
    return kBlock;
}

int SimPictures::read(uint8_t selector, uint8_t* block)
{
    std::memset(block, 0, kBlock);
    if (!sessionActive(selector)) {
        const Switch& sw = selector == kUploadSelector ? upSwitch_ : downSwitch_;
        std::memcpy(block, sw.block.constData(), kBlock);
        return kBlock;
    }
    if (selector == kUploadSelector) {
        uploadState(block);
    } else if (download_.infoPending) {
        infoReply(block);
    } else if (faults_.shortReplies > 0) {
        --faults_.shortReplies;
        return kBlock - 1;
    } else {
        dataReply(block);
    }
    return kBlock;
}

void SimPictures::setPicture(const QByteArray& name, const QByteArray& full, const QByteArray& thumbnail)
{
    pictures_.insert(name, full);
    if (thumbnail.isEmpty())
        thumbnails_.remove(name);
    else
        thumbnails_.insert(name, thumbnail);
}

void SimPictures::removePicture(const QByteArray& name)
{
    pictures_.remove(name);
    thumbnails_.remove(name);
}

void SimPictures::removeMask(int index)
{
    if (index >= 0 && index < kMasks)
        removePicture(maskName(index));
}

QByteArray SimPictures::maskName(int index)
{
    return "/app/private/mask" + QByteArray::number(index) + ".jpg";
}

uint8_t SimPictures::switchValue(uint8_t selector) const
{
    const Switch& sw = selector == kUploadSelector ? upSwitch_ : downSwitch_;
    return uint8_t(sw.block[0]);
}

bool SimPictures::sessionActive(uint8_t selector) const
{
    return selector == kUploadSelector ? upload_.active : download_.active;
}

void SimPictures::endSession(uint8_t selector)
{
    if (selector == kUploadSelector)
        upload_ = Upload();
    else
        download_ = Download();
}

// A control-like block is taken as the switch, remembering the value it
// replaced in case the next block shows it opened a transfer instead.
void SimPictures::takeSwitchBlock(Switch& sw, const uint8_t* block)
{
    sw.beforeControl = sw.block;
    sw.controlPending = block[0] == kControl && allZeroFrom(block, 1);
    sw.block = QByteArray(reinterpret_cast<const char*>(block), kBlock);
}

void SimPictures::takeDownloadRecord(const uint8_t* block)
{
    if (block[0] == kRequest) {
        startDownload(block);
    } else if (block[0] == kResend && download_.active) {
        const uint32_t sequence = qFromLittleEndian<quint32>(block + 1);
        resendRequests_ << sequence;
        download_.next = sequence;
        download_.deferred = 0;
    }
}

void SimPictures::takeUploadRecord(const uint8_t* block)
{
    if (block[0] == kRequest)
        startUpload(block);
    else if (block[0] == kUploadData && upload_.active)
        takeData(block);
}

void SimPictures::startDownload(const uint8_t* block)
{
    const QByteArray name = nameAt(block, 7);
    download_ = Download();
    download_.active = true;
    download_.infoPending = true;
    download_.present = pictures_.contains(name);
    const bool thumbnail = qFromLittleEndian<quint16>(block + 1) == kThumbnailWidth;
    download_.content = thumbnail && thumbnails_.contains(name) ? thumbnails_.value(name)
                                                                 : pictures_.value(name);
}

void SimPictures::infoReply(uint8_t* block)
{
    download_.infoPending = false;
    block[0] = kInfo;
    block[1] = download_.present ? 1 : 0;
    if (!download_.present)
        return;
    const QByteArray& content = download_.content;
    qToLittleEndian<quint32>(0x00010000, block + 2);
    qToLittleEndian<quint32>(uint32_t(content.size()), block + 6);
    qToLittleEndian<quint16>(kPiece, block + 10);
    uint32_t crc = Util::crc32ForBuf(reinterpret_cast<const uint8_t*>(content.constData()),
                                     uint32_t(content.size()));
    if (faults_.wrongInfoCrc) {
        faults_.wrongInfoCrc = false;
        crc ^= 0x5A5A5A5A;
    }
    qToLittleEndian<quint32>(crc, block + 12);
    std::memcpy(block + 16, "jpeg", 4);
}

void SimPictures::dataReply(uint8_t* block)
{
    uint32_t sequence = download_.next;
    if (download_.deferred) {
        sequence = download_.deferred;
        download_.deferred = 0;
    } else {
        if (hits(faults_.dropReply, sequence))
            ++sequence;
        if (hits(faults_.reorderReply, sequence)) {
            download_.deferred = sequence;
            ++sequence;
        }
        download_.next = sequence + 1;
    }
    const QByteArray& content = download_.content;
    const int64_t offset = int64_t(sequence - 1) * kPiece;
    const int length = int(qBound<int64_t>(0, content.size() - offset, kPiece));
    block[0] = kData;
    qToLittleEndian<quint32>(sequence, block + 1);
    qToLittleEndian<quint16>(uint16_t(length), block + 7);
    if (length > 0)
        std::memcpy(block + 9, content.constData() + offset, size_t(length));
    uint16_t crc = crcOf(block, 0, 8 + length);
    if (hits(faults_.badCrcReply, sequence))
        crc ^= 0xFFFF;
    qToLittleEndian<quint16>(crc, block + 5);
    ++dataRepliesSent_;
}

void SimPictures::startUpload(const uint8_t* block)
{
    upload_ = Upload();
    const uint32_t length = qFromLittleEndian<quint32>(block + 1);
    if (length == 0 || length > kLargestUpload || qFromLittleEndian<quint16>(block + 5) != kPiece)
        return;
    upload_.active = true;
    upload_.state = 1;
    upload_.length = length;
    upload_.name = nameAt(block, 7);
    upload_.content = QByteArray(int(length), '\0');
    upload_.taken = QVector<bool>(int((length + kPiece - 1) / kPiece), false);
}

void SimPictures::takeData(const uint8_t* block)
{
    const uint32_t sequence = qFromLittleEndian<quint32>(block + 1);
    const int length = qFromLittleEndian<quint16>(block + 7);
    const bool damaged = hits(faults_.badCrcRecord, sequence);
    if (hits(faults_.dropRecord, sequence))
        return;
    if (damaged || length > kPiece || qFromLittleEndian<quint16>(block + 5) != crcOf(block, 1, 8 + length)) {
        ++damagedRecords_;
        return;
    }
    const int64_t offset = int64_t(sequence - 1) * kPiece;
    if (sequence == 0 || sequence > uint32_t(upload_.taken.size())
        || length != int(qMin<int64_t>(kPiece, upload_.length - offset)))
        return;
    std::memcpy(upload_.content.data() + offset, block + 9, size_t(length));
    upload_.taken[int(sequence - 1)] = true;
    ++recordsTaken_;
    while (upload_.done < uint32_t(upload_.taken.size()) && upload_.taken[int(upload_.done)])
        ++upload_.done;
    if (upload_.done == uint32_t(upload_.taken.size()) && upload_.state != 2) {
        upload_.state = 2;
        setPicture(upload_.name, upload_.content, QByteArray());
    }
}

void SimPictures::uploadState(uint8_t* block) const
{
    block[0] = upload_.state;
    qToLittleEndian<quint32>(upload_.done, block + 1);
    qToLittleEndian<quint32>(upload_.length, block + 5);
}

} // namespace pc
} // namespace vesk
