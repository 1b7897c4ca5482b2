#include "sim/SimUpgradeService.h"

#include "comm/Util.h"
#include "package/LZMA.h"
#include "sim/SimBlock.h"
#include "uvc/ExtensionUnit.h"
#include "uvc/UpgradeMagic.h"

#include <QDebug>
#include <QtEndian>

#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kBlock = SimBlock::kSize;
constexpr uint8_t kSelFileStart = ExtensionUnit::kUpgradeStartSelector;
constexpr uint8_t kSelSyscall = ExtensionUnit::kSyscallSelector;
constexpr uint8_t kSelDownload = ExtensionUnit::kFileDownloadSelector;
constexpr uint8_t kSelCommand = ExtensionUnit::kUpgradeCommandSelector;
constexpr uint8_t kSelFileData = ExtensionUnit::kUpgradeDataSelector;
constexpr uint8_t kSelVersion = ExtensionUnit::kUpgradeVersionSelector;

constexpr int kPacketData = 52;
constexpr uint8_t kCmdBsPatch = 5;
constexpr uint8_t kCmdPackLog = 9;
constexpr uint8_t kDownStart = 0;
constexpr uint8_t kDownFinished = 2;
constexpr uint8_t kDownResend = 3;
constexpr uint8_t kDownGenerate = 5;
constexpr int kStreamHeader = 12;  // sequence, CRC-32, data length
constexpr uint8_t kUpContainer = 4;      // upload start flags: an LZMA upload container
constexpr uint8_t kUpBadContainer = 4;   // upload state: the container did not unpack
constexpr int kContainerHeader = 9;      // "lzma", the LZMA2 property, the u32 unpacked length
constexpr uint32_t kPackageMagic = 0xAB20EC98;
constexpr uint32_t kMaxImage = 64u << 20;

// The block text by a short name.
const auto textAt = SimBlock::textAt;

// The upload container: "lzma", the property byte, the u32 length, then the
// raw LZMA2 stream.
bool unpackContainer(const QByteArray& container, QByteArray* file)
{
    if (container.size() < kContainerHeader || !container.startsWith("lzma"))
        return false;
    const uint32_t length = qFromLittleEndian<quint32>(container.constData() + 5);
    return LZMA::decode2(container.mid(kContainerHeader), file, length, uint8_t(container[4])) == LZMA::kOk
        && uint32_t(file->size()) == length;
}

} // namespace

SimUpgradeService::SimUpgradeService(const SimUpgradeModel& model)
    : model_(model)
{
}

int SimUpgradeService::write(uint8_t selector, const uint8_t* block)
{
    switch (selector) {
    case kSelFileStart: startUpload(block); break;
    case kSelSyscall: takeSyscall(block); break;
    case kSelDownload:
        note(SimEvent::Download, textAt(block, 13), SimBlock::bytes(block));
        if (block[0] == kDownGenerate)
            generate(textAt(block, 13), qFromLittleEndian<quint32>(block + 5));
        takeDownloadRequest(block);
        break;
    case kSelCommand: takeCommand(block); break;
    case kSelFileData: takePacket(block); break;
    default: return -1;
    }
    return kBlock;
}

int SimUpgradeService::read(uint8_t selector, uint8_t* block)
{
    std::memset(block, 0, kBlock);
    switch (selector) {
    case kSelFileStart: upState(block); break;
    case kSelDownload: downloadState(block); break;
    case kSelCommand: commandState(block); break;
    case kSelFileData: {
        const QByteArray magic = toolRuns_ ? QByteArray(UpgradeMagic::kUpgradeTool, 10) : model_.magic;
        std::memcpy(block, magic.constData(), size_t(qMin(int(magic.size()), kBlock)));
        break;
    }
    case kSelVersion: qToLittleEndian<quint32>(model_.programVersion, block); break;
    default: return -1;
    }
    return kBlock;
}

void SimUpgradeService::setKnobs(const SimUpgradeKnobs& knobs)
{
    knobs_ = knobs;
    refusing_ = knobs.refusedPackets;
}

void SimUpgradeService::attach(const QSharedPointer<SimJournal>& journal, int boot)
{
    journal_ = journal;
    boot_ = boot;
}

SimUpgradeService::Restart SimUpgradeService::takeRestart()
{
    const Restart asked = restart_;
    restart_ = Restart();
    return asked;
}

void SimUpgradeService::note(SimEvent::Kind kind, const QByteArray& text, const QByteArray& data)
{
    if (journal_)
        journal_->add({boot_, kind, text, data});
}

void SimUpgradeService::startUpload(const uint8_t* block)
{
    upFlags_ = block[0];
    fileLen_ = qFromLittleEndian<quint32>(block + 1);
    uploadPath_ = textAt(block, 7);
    uploaded_.clear();
    doneSeq_ = 0;
    upState_ = fileLen_ == 0 ? 2 : 1;
    if (upState_ == 2)
        completeUpload();
}

// A whole upload becomes the file at its path, a container unpacked first.
void SimUpgradeService::completeUpload()
{
    // The unpacked file goes into an empty array: decoding writes from its
    // first byte and would leave a longer container's tail behind.
    QByteArray file;
    if (!(upFlags_ & kUpContainer))
        file = uploaded_;
    else if (!unpackContainer(uploaded_, &file)) {
        qWarning() << "Simulated camera: upload container for" << uploadPath_ << "does not unpack";
        upState_ = kUpBadContainer;
        return;
    }
    model_.files.insert(uploadPath_, file);
    note(SimEvent::Upload, uploadPath_, file);
}

// The camera rebuilds its present firmware under the requested name, as
// long as the host expects (without an expected length, as long as the
// package whose patch head lies there, its total length at byte 8): the
// present image repeated or cut to that length.
void SimUpgradeService::generate(const QByteArray& name, uint32_t expected)
{
    if (model_.presentImage.isEmpty())
        return;
    const QByteArray head = model_.files.value(name);
    uint32_t length = expected;
    if (length == 0 && head.size() >= 12 && qFromLittleEndian<quint32>(head.constData()) == kPackageMagic)
        length = qFromLittleEndian<quint32>(head.constData() + 8);
    QByteArray image = model_.presentImage;
    if (length != 0) {
        const int total = int(qMin(length, kMaxImage));
        while (image.size() < total)
            image += model_.presentImage;
        image.truncate(total);
    }
    model_.files.insert(name, image);
}

// Takes the next packet in order when its CRC-16 holds; others are dropped
// and the host resends from the done sequence.
void SimUpgradeService::takePacket(const uint8_t* block)
{
    const uint32_t seq = qFromLittleEndian<quint32>(block);
    const uint16_t crc = qFromLittleEndian<quint16>(block + 4);
    const int length = qFromLittleEndian<quint16>(block + 6);
    uint8_t check[kBlock];
    std::memcpy(check, block, kBlock);
    check[4] = check[5] = 0;
    const bool fits = length >= 1 && length <= kPacketData;
    const bool refused = refusing_ != 0;
    if (refused && refusing_ > 0)
        --refusing_;
    const bool transferring = upState_ == 1 || upState_ == 2;
    if (refused || !transferring || !fits || Util::crc16ForBuf(check, uint32_t(8 + length)) != crc) {
        ++badPackets_;
        return;
    }
    if (seq >= 1 && seq <= doneSeq_) {  // a resend of one it has: written again in its place
        ++duplicatePackets_;
        const int at = int((seq - 1) * kPacketData);
        const bool fitsItsPlace = seq < doneSeq_ ? length == kPacketData : at + length == uploaded_.size();
        if (upState_ == 1 && fitsItsPlace)
            uploaded_.replace(at, length, reinterpret_cast<const char*>(block) + 8, length);
        return;
    }
    if (upState_ != 1 || seq != doneSeq_ + 1)
        return;  // ahead of a gap: the host resends from the done sequence
    uploaded_.append(reinterpret_cast<const char*>(block) + 8, length);
    doneSeq_ = seq;
    if (uint32_t(uploaded_.size()) >= fileLen_) {
        upState_ = 2;
        completeUpload();
    }
}

void SimUpgradeService::takeDownloadRequest(const uint8_t* block)
{
    downloadRequests_ << QByteArray(reinterpret_cast<const char*>(block), kBlock);
    const uint8_t command = block[0];
    if (command == kDownFinished) {
        downState_ = 2;
        return;
    }
    if (command == kDownResend) {
        downOffset_ = qFromLittleEndian<quint32>(block + 1);
        streamNext_ = qMax(downOffset_, 1u);
        ++resends_;
        return;
    }
    if (command != kDownStart && command != kDownGenerate)
        return;
    downName_ = textAt(block, 13);
    downOffset_ = qFromLittleEndian<quint32>(block + 1);
    packLen_ = qFromLittleEndian<quint32>(block + 9);
    if (packLen_ == 0)
        packLen_ = kStreamPacketSize;  // the camera's own
    streamNext_ = qMax(downOffset_, 1u);
    resends_ = 0;
    const auto file = model_.files.constFind(downName_);
    if (file == model_.files.cend()) {
        downState_ = 0;  // nothing to send: an invalid state
        downLen_ = 0;
        return;
    }
    downLen_ = uint32_t(file->size());
    generatingReads_ = command == kDownGenerate ? model_.generateReads : 0;
    downState_ = 1;
}

bool SimUpgradeService::streamsIn(CaptureSession::PixelFormat format) const
{
    return (streamType_ == kStreamMjpeg && format == CaptureSession::PixelFormat::Mjpeg)
        || (streamType_ == kStreamYuv && format == CaptureSession::PixelFormat::Yuyv);
}

bool SimUpgradeService::isStreaming() const
{
    return downState_ == 1 && generatingReads_ == 0;
}

uint32_t SimUpgradeService::streamPacketCount() const
{
    return packLen_ ? uint32_t((uint64_t(downLen_) + packLen_ - 1) / packLen_) : 0;
}

QByteArray SimUpgradeService::streamPacket(uint32_t seq) const
{
    if (seq == 0 || seq > streamPacketCount())
        return {};
    const QByteArray data = model_.files.value(downName_).mid(int(int64_t(seq - 1) * packLen_),
                                                             int(packLen_));
    QByteArray packet(kStreamHeader, '\0');
    packet.append(data);
    auto* header = reinterpret_cast<uint8_t*>(packet.data());
    qToLittleEndian<quint32>(seq, header);
    qToLittleEndian<quint32>(uint32_t(data.size()), header + 8);
    qToLittleEndian<quint32>(Util::crc32ForBuf(header, uint32_t(packet.size())), header + 4);
    return packet;
}

void SimUpgradeService::takeCommand(const uint8_t* block)
{
    commands_ << QByteArray(reinterpret_cast<const char*>(block), kBlock);
    std::memcpy(lastCommand_, block, kBlock);
    note(SimEvent::Command, QByteArray(), SimBlock::bytes(block));
    runCommand(block);
}

void SimUpgradeService::upState(uint8_t* block) const
{
    block[0] = upState_;
    qToLittleEndian<quint32>(doneSeq_, block + 1);
    qToLittleEndian<quint32>(fileLen_, block + 5);
}

void SimUpgradeService::downloadState(uint8_t* block)
{
    const bool generating = generatingReads_ > 0;
    if (generating)
        --generatingReads_;
    block[0] = generating ? 7 : downState_;
    qToLittleEndian<quint32>(generating ? 0 : downLen_, block + 5);
    qToLittleEndian<quint32>(downOffset_, block + 9);
    qToLittleEndian<quint32>(packLen_, block + 13);
    std::memcpy(block + 17, downName_.constData(), size_t(qMin(int(downName_.size()), kBlock - 18)));
}

void SimUpgradeService::commandState(uint8_t* block)
{
    block[0] = lastCommand_[0];
    if (lastCommand_[0] == kCmdBsPatch)
        block[1] = patchStatus();
    else if (lastCommand_[0] == kCmdPackLog)
        qToLittleEndian<quint32>(packedLogSize_, block + 1);
}

} // namespace pc
} // namespace vesk
