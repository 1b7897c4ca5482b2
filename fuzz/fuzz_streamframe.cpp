// Frames of the video stream that carry a file from the camera: where the
// capture cuts each frame, and the upgrade engine taking the packets of a
// download (sequence, CRC-32, length, data). The harness makes the CRC of
// every other packet hold so that the store behind the check is reached.

#include "FuzzSupport.h"

#include "comm/Util.h"
#include "platform/EmptyBackend.h"
#include "upgrade/UvcUpgradeTask.h"
#include "uvc/StreamCapture.h"
#include "uvc/UpgradeFileDownloadState.h"
#include "uvc/UvcDevices.h"

#include <QtEndian>

namespace vesk {
namespace pc {

// Reaches the engine's download state, as the tests' probe does.
class UvcPatchUpgradeProbe
{
public:
    explicit UvcPatchUpgradeProbe(UvcUpgradeTask& engine)
        : e(engine)
    {
    }
    void begin(const UpgradeFileDownloadState& state) { e.beginDownload(state); }
    bool advance()
    {
        QMutexLocker lock(&e.download_.mutex);
        return e.advanceDoneSeq();
    }
    void check()
    {
        QMutexLocker lock(&e.download_.mutex);
        FUZZ_PROMISE(e.download_.doneSeq <= e.download_.recvHigh);
        FUZZ_PROMISE(e.download_.recvHigh <= e.download_.packCount);
    }

private:
    UvcUpgradeTask& e;
};

} // namespace pc
} // namespace vesk

using namespace vesk::pc;

namespace {

void sealPacket(QByteArray& packet)
{
    QByteArray zeroed = packet;
    qToLittleEndian<quint32>(0, zeroed.data() + 4);
    const uint32_t crc = Util::crc32ForBuf(reinterpret_cast<const uint8_t*>(zeroed.constData()),
                                           uint32_t(zeroed.size()));
    qToLittleEndian<quint32>(crc, packet.data() + 4);
}

// A download the engine accepted: at most 64 packets of at most 512 bytes.
UpgradeFileDownloadState acceptedDownload(fuzz::Input& in)
{
    UpgradeFileDownloadState state;
    state.state = UpgradeFileDownloadState::kTransferring;
    state.packLen = 1 + in.byte() % 512;
    state.fileLen = 1 + in.u32() % (64 * state.packLen);
    return state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    const QByteArray whole(reinterpret_cast<const char*>(data), int(size));
    const int64_t span = StreamCapture::frameSpan(whole);
    FUZZ_PROMISE(span == -1 || (span >= 12 && span <= whole.size()));

    static EmptyBackend backend;
    static UvcDevices registry(backend);
    UvcUpgradeTask engine(QStringLiteral("fuzz"), UvcPatchUpgrade::UvcTaskUpgrade, registry);
    UvcPatchUpgradeProbe probe(engine);
    fuzz::Input in(data, size);
    probe.begin(acceptedDownload(in));
    for (int n = 0; in.left() > 0; ++n) {
        QByteArray packet = in.take(12 + (in.byte() | (in.byte() & 1u) << 8));
        if (packet.size() >= 12 && n % 2 == 0)
            sealPacket(packet);
        engine.onStreamVideoData(packet);
        probe.advance();
        probe.check();
    }
    return 0;
}
