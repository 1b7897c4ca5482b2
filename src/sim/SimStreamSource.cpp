#include "sim/SimStreamSource.h"

#include "sim/SimUpgradeService.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

constexpr int kCrcOffset = 4;
constexpr char kPadByte = '\xA5';

// Whether a one-time fault aimed at packet is due for seq; marks it fired.
bool fires(int packet, uint32_t seq, bool* fired)
{
    if (packet <= 0 || uint32_t(packet) != seq || *fired)
        return false;
    *fired = true;
    return true;
}

} // namespace

void SimStreamSource::setFaults(const SimStreamFaults& faults)
{
    faults_ = faults;
    dropped_ = swapped_ = corrupted_ = gapped_ = inGap_ = gone_ = leaving_ = false;
    resendsAtGap_ = 0;
}

bool SimStreamSource::held(bool counted)
{
    if (faults_.heldChecks == 0)
        return false;
    if (counted && faults_.heldChecks > 0)
        --faults_.heldChecks;
    return true;
}

QList<QByteArray> SimStreamSource::next(SimUpgradeService& service, CaptureSession::PixelFormat format)
{
    if (!service.isStreaming() || !service.streamsIn(format))
        return {};
    if (inGap_ && service.resendRequests() == resendsAtGap_)
        return {};
    inGap_ = false;
    const uint32_t seq = service.streamCursor();
    const uint32_t count = service.streamPacketCount();
    if (seq == 0 || seq > count)
        return {};  // all sent; a resend request starts again
    QList<uint32_t> order{seq};
    if (seq < count && fires(faults_.swapPacket, seq, &swapped_))
        order = {seq + 1, seq};
    service.setStreamCursor(seq + uint32_t(order.size()));

    QList<QByteArray> frames;
    for (uint32_t n : order) {
        if (fires(faults_.dropPacket, n, &dropped_)) {
            qDebug() << "Simulated stream: packet" << n << "dropped";
            continue;
        }
        frames << frameOf(service, n);
        if (fires(faults_.goneAfterPacket, n, &gone_)) {
            qDebug() << "Simulated stream: the camera goes after packet" << n;
            leaving_ = true;
            break;
        }
        if (fires(faults_.gapAfterPacket, n, &gapped_)) {
            qDebug() << "Simulated stream: silent after packet" << n << "until a resend";
            inGap_ = true;
            resendsAtGap_ = service.resendRequests();
            break;
        }
    }
    return frames;
}

bool SimStreamSource::takeLeaving()
{
    const bool leaving = leaving_;
    leaving_ = false;
    return leaving;
}

QByteArray SimStreamSource::frameOf(const SimUpgradeService& service, uint32_t seq)
{
    QByteArray frame = service.streamPacket(seq);
    if (fires(faults_.corruptCrcPacket, seq, &corrupted_))
        frame[kCrcOffset] = char(frame[kCrcOffset] ^ 0xFF);
    if (faults_.padBytes > 0)
        frame.append(QByteArray(faults_.padBytes, kPadByte));
    return frame;
}

} // namespace pc
} // namespace vesk
