#pragma once

// An upgrade engine on a simulated camera listed in a registry of its own,
// with every wait at 1 %, a camera handle that can fail or swallow chosen
// requests, and a probe that calls the engine's steps one by one.

#include "support/LogCapture.h"
#include "support/TestFiles.h"
#include "support/SimFixture.h"
#include "upgrade/UvcPatchUpgrade.h"
#include "upgrade/UvcUpgradeTask.h"
#include "uvc/UvcDevices.h"

#include <QList>
#include <QMutex>
#include <QSharedPointer>
#include <QStringList>
#include <QtTest>

#include <functional>

namespace vesk {
namespace pc {

class UvcPatchUpgradeProbe
{
public:
    explicit UvcPatchUpgradeProbe(UvcPatchUpgrade& engine)
        : e(*engine.task_)
    {
    }
    bool upload(const QString& local, const QString& cam, bool compressed, int steps = 0)
    {
        return e.fileUploadByUvc(local, cam, compressed, steps);
    }
    bool download(const QString& cam, const QString& local, int expected, bool generate = false)
    {
        return e.fileDownloadByUvc(cam, local, expected, generate);
    }
    bool shellUpload(const QString& local, const QString& cam) { return e.fileUploadSyscallV0(local, cam); }
    bool patchList(const QString& image, const QString& package, const QString& out,
                   const QList<uint32_t>& splitPoints, int steps = 0)
    {
        return e.bspatchListGenerate(image, package, out, splitPoints, steps);
    }
    bool compress(const QString& in, const QString& out) { return e.fileCompress(in, out); }
    bool reopen(int seconds, int steps) { return e.reopenWithDelay(seconds, steps); }
    QSharedPointer<UvcDevice> workingDevice() const { return e.workDev_; }
    void setTimePercent(int percent) { e.timing_.upgradeTimePercent = percent; }
    void setTimeoutPercent(int percent) { e.timing_.upgradeTimeoutPercent = percent; }
    // The stand-in for the maker's upgrade tool of old cameras.
    void setToolPath(const QString& path) { e.toolPath_ = path; }

    struct Download
    {
        int state = 0;
        uint32_t doneSeq = 0;
        uint32_t recvHigh = 0;
        uint32_t packCount = 0;
    };
    Download downloadState()
    {
        QMutexLocker lock(&e.download_.mutex);
        return {e.download_.state, e.download_.doneSeq, e.download_.recvHigh, e.download_.packCount};
    }

private:
    UvcUpgradeTask& e;
};

} // namespace pc
} // namespace vesk

// What the handle does with one request: pass it on, fail it, or report it
// done without the camera seeing it.
enum class Fault { Pass, Fail, Swallow };
// Decides for the n-th (from 0) SET_CUR on an extension-unit selector.
using FaultRule = std::function<Fault(uint8_t selector, int n)>;
Q_DECLARE_METATYPE(FaultRule)
// Told of every such SET_CUR as it is made, on the sender's thread.
using RequestWatch = std::function<void(uint8_t selector, const QByteArray& block)>;

// The simulated camera behind a handle that applies the rule and keeps
// every block the host tried to set, by selector.
class FaultyHandle : public vesk::pc::CameraHandle
{
public:
    FaultyHandle(QSharedPointer<vesk::pc::CameraHandle> inner, const FaultRule* rule,
                 const FaultRule* readRule, const RequestWatch* watch)
        : inner_(inner), rule_(rule), readRule_(readRule), watch_(watch)
    {
    }
    vesk::pc::UsbDeviceInfo info() const override { return inner_->info(); }
    bool openControlInterface() override { return inner_->openControlInterface(); }
    void closeControlInterface() override { inner_->closeControlInterface(); }
    bool isControlInterfaceOpen() const override { return inner_->isControlInterfaceOpen(); }
    int interfaceNumber() const override { return inner_->interfaceNumber(); }
    QByteArray controlDescriptors() const override { return inner_->controlDescriptors(); }
    vesk::pc::CaptureSession* capture() override { return inner_->capture(); }
    int controlRequest(vesk::pc::UvcRequest request, vesk::pc::UvcUnitKind kind, uint8_t unitId,
                       uint8_t selector, uint8_t* data, int length) override
    {
        Fault fault = Fault::Pass;
        if (request == vesk::pc::UvcRequest::SetCur && kind == vesk::pc::UvcUnitKind::ExtensionUnit
            && selector != 2 && *watch_)
            (*watch_)(selector, QByteArray(reinterpret_cast<const char*>(data), length));
        if (request == vesk::pc::UvcRequest::SetCur && kind == vesk::pc::UvcUnitKind::ExtensionUnit
            && selector != 2) {
            QMutexLocker lock(&mutex_);
            const int n = attempts_[selector].size();
            attempts_[selector] << QByteArray(reinterpret_cast<const char*>(data), length);
            if (*rule_)
                fault = (*rule_)(selector, n);
        }
        if (request == vesk::pc::UvcRequest::GetCur && kind == vesk::pc::UvcUnitKind::ExtensionUnit
            && selector != 2 && *readRule_) {
            QMutexLocker lock(&mutex_);
            fault = (*readRule_)(selector, reads_[selector]++);
        }
        if (fault == Fault::Fail)
            return -1;
        if (fault == Fault::Swallow)
            return length;
        return inner_->controlRequest(request, kind, unitId, selector, data, length);
    }
    QList<QByteArray> attempts(uint8_t selector) const
    {
        QMutexLocker lock(&mutex_);
        return attempts_.value(selector);
    }

private:
    QSharedPointer<vesk::pc::CameraHandle> inner_;
    const FaultRule* rule_;
    const FaultRule* readRule_;  // GET_CUR on the same selectors
    const RequestWatch* watch_;
    mutable QMutex mutex_;
    QHash<uint8_t, QList<QByteArray>> attempts_;
    QHash<uint8_t, int> reads_;
};

class FaultyBackend : public vesk::pc::SimBackend
{
public:
    FaultRule rule;
    FaultRule readRule;
    RequestWatch watch;
    QSharedPointer<FaultyHandle> last;
    QSharedPointer<vesk::pc::CameraHandle> openDevice(uint32_t locationId) override
    {
        const QSharedPointer<vesk::pc::CameraHandle> inner = SimBackend::openDevice(locationId);
        if (!inner)
            return inner;
        last = QSharedPointer<FaultyHandle>::create(inner, &rule, &readRule, &watch);
        return last;
    }
};

// The camera link's fast timing, with an upgrade's waits at 1 %.
inline vesk::pc::UvcTiming rigTiming()
{
    vesk::pc::UvcTiming timing = fastTiming();
    timing.statusPollPasses = 1 << 30;  // the wire holds only what a test caused
    timing.settleBeforeOpenMs = 1;
    timing.settleAfterOpenMs = 1;
    timing.initRetryMs = 5;
    timing.upgradeTimePercent = 1;
    // Time-outs at 5 %: streams pass the test thread's events and must still
    // fit on a loaded machine.
    timing.upgradeTimeoutPercent = 5;
    return timing;
}

inline vesk::pc::SimCameraModel rigCamera(int systemType = 2)
{
    vesk::pc::SimCameraModel model;
    model.usb = {QStringLiteral("rig-cam"), 0x03100000, 0x3564, 0xFEF2, 0xEF, 0x02};
    model.serial = QByteArray("RIG000000001").leftJustified(14, '\0');
    model.systemType = int8_t(systemType);
    return model;
}

// The camera listed and initialised, then the engine made for it.
struct EngineRig
{
    FaultyBackend backend;
    QSharedPointer<vesk::pc::SimCamera> camera;
    QScopedPointer<vesk::pc::UvcDevices> registry;
    QSharedPointer<vesk::pc::UvcDevice> device;
    QScopedPointer<vesk::pc::UvcPatchUpgrade> engine;

    // sn: the serial the registry lists the camera by, when it is not the
    // model's own (a camera whose device information is refused).
    explicit EngineRig(const vesk::pc::SimCameraModel& model = rigCamera(), QString sn = QString())
    {
        vesk::pc::UvcTiming::setDefaults(rigTiming());
        camera = backend.plug(model);
        registry.reset(new vesk::pc::UvcDevices(backend));
        registry->onDevInserted(model.usb);
        if (sn.isEmpty())
            sn = QString::fromLatin1(model.serial.constData());
        // The arrival settles on timers of this thread; ready() tells whether it came.
        static_cast<void>(
            QTest::qWaitFor([&] { return (device = registry->getDevBySn(sn)) && device->isInited(); }, 10000));
        engine.reset(new vesk::pc::UvcPatchUpgrade(sn, vesk::pc::UvcPatchUpgrade::UvcTaskUpgrade, *registry));
        camera->clearRequests();
    }
    ~EngineRig()
    {
        engine.reset();
        if (device)
            device->setDevMode(vesk::pc::UvcDevice::DevModeUvc);
        device.clear();
        registry->releaseAll();
    }
    bool ready() const { return device && device->isInited(); }
    vesk::pc::UvcPatchUpgradeProbe probe() { return vesk::pc::UvcPatchUpgradeProbe(*engine); }
    QList<QByteArray> attempts(uint8_t selector) const
    {
        return backend.last ? backend.last->attempts(selector) : QList<QByteArray>();
    }
};

// Files in a folder whose names start with prefix (temporary files left
// behind show here).
inline QStringList filesLike(const QString& folder, const QString& prefix)
{
    return QDir(folder).entryList({prefix + "*"}, QDir::Files | QDir::Hidden);
}
