// The records a camera answers while a picture is fetched from it (the
// information reply, then data replies of 51 bytes with a CRC-16 each), and
// the status block and preset records read on the other selectors. The
// camera behind the camera object answers every GET from the fuzzer's bytes;
// the harness makes the data replies' CRCs hold.

#include "FuzzSupport.h"

#include "comm/Util.h"
#include "platform/CameraHandle.h"
#include "uvc/ExtensionUnit.h"
#include "uvc/UvcDevice.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QtEndian>

using namespace vesk::pc;

namespace {

constexpr int kBlock = ExtensionUnit::kBlockSize;

// Answers GETs on the picture, status and preset selectors with the next
// 60 bytes of the script; everything else fails, so that the camera
// object's own thread reads nothing.
class ScriptedCamera : public CameraHandle
{
public:
    void setScript(const QByteArray& script)
    {
        QMutexLocker lock(&mutex_);
        script_ = script;
        at_ = 0;
    }
    UsbDeviceInfo info() const override { return {QStringLiteral("fuzz"), 0x7100000, 0x3564, 0xFEF2, 0xEF, 0x02}; }
    bool openControlInterface() override { return true; }
    void closeControlInterface() override {}
    bool isControlInterfaceOpen() const override { return true; }
    int interfaceNumber() const override { return 0; }
    QByteArray controlDescriptors() const override { return {}; }
    CaptureSession* capture() override { return nullptr; }
    int controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t, uint8_t selector, uint8_t* data,
                       int length) override
    {
        if (kind != UvcUnitKind::ExtensionUnit || selector == ExtensionUnit::kMessageSelector)
            return -1;
        if (request != UvcRequest::GetCur)
            return length;
        QMutexLocker lock(&mutex_);
        if (at_ >= script_.size() || length != kBlock)
            return -1;
        QByteArray block = script_.mid(at_, kBlock).leftJustified(kBlock, '\0');
        at_ += kBlock;
        if (selector == ExtensionUnit::kPictureDownloadSelector)
            sealDataReply(block);
        std::memcpy(data, block.constData(), kBlock);
        return kBlock;
    }

private:
    // The CRC-16 of a data reply (type 2) over its header and piece, taken
    // with its own field as 0.
    static void sealDataReply(QByteArray& block)
    {
        const int length = qFromLittleEndian<quint16>(block.constData() + 7);
        if (block.at(0) != 2 || length > 51)
            return;
        block[5] = block[6] = 0;
        const uint16_t crc = Util::crc16ForBuf(reinterpret_cast<const uint8_t*>(block.constData()),
                                               uint32_t(9 + length));
        qToLittleEndian<quint16>(crc, block.data() + 5);
    }
    QMutex mutex_;
    QByteArray script_;
    int at_ = 0;
};

struct Camera
{
    QSharedPointer<ScriptedCamera> handle = QSharedPointer<ScriptedCamera>::create();
    QSharedPointer<UvcDevice> device = UvcDevice::create(handle, UvcDevice::DevModeUvc);

    Camera()
    {
        UvcTiming timing;
        timing.passMs = 60000;  // the camera object's thread stays out of the way
        timing.fullPictureWaitMs = 0;
        timing.pictureBatchPauseMs = 0;
        timing.pictureDownloadTimeoutMs = 5000;
        device->setTiming(timing);
        device->setSystemType(1);
        device->open();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    static Camera camera;
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    camera.handle->setScript(in.rest());

    fuzz::Sandbox box;
    const QString local = box.file(QStringLiteral("mask0.jpg"));
    const int result = camera.device->fileDownloadByUvc(local, QStringLiteral("/app/private/mask0.jpg"), mode & 1);
    FUZZ_PROMISE(result == UvcDevice::kDownloadFetched || result == UvcDevice::kDownloadUnchanged
                 || result == UvcDevice::kDownloadFailed || result == UvcDevice::kDownloadMissing);
    // A fetched picture is whole and below the size limit; anything else
    // leaves no file behind.
    if (result == UvcDevice::kDownloadFetched)
        FUZZ_PROMISE(QFileInfo(local).size() > 0 && QFileInfo(local).size() < UvcDevice::kMaxPictureSize);
    else
        FUZZ_PROMISE(!QFileInfo::exists(local));
    FUZZ_PROMISE(QDir(box.work()).entryList(QDir::Files | QDir::Hidden).size() <= 1);
    FUZZ_PROMISE(box.clean());

    CameraStatus status;
    camera.device->getCameraStatus(status);
    UvcPreSetPosInfo preset;
    camera.device->presetPositionGet(uint8_t(mode >> 1), &preset);
    return 0;
}
