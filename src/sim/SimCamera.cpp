#include "sim/SimCamera.h"

#include "sim/SimDescriptors.h"
#include "sim/SimStatusBlock.h"
#include "uvc/ExtensionUnit.h"
#include "uvc/IdentityTables.h"

#include <QDebug>
#include <QMutexLocker>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr uint8_t kMessageSelector = ExtensionUnit::kMessageSelector;
constexpr uint8_t kStatusSelector = ExtensionUnit::kStatusSelector;
constexpr uint8_t kPresetSelector = ExtensionUnit::kPresetSelector;
constexpr uint8_t kPictureUploadSelector = ExtensionUnit::kPictureUploadSelector;
constexpr uint8_t kPictureDownloadSelector = ExtensionUnit::kPictureDownloadSelector;
constexpr int kBlockSize = ExtensionUnit::kBlockSize;
constexpr uint16_t kCmdDevStatus = 0x13C2;
constexpr uint16_t kCmdRestoreFactory = 0x13C4;
constexpr uint8_t kImageRecordId = 0x0E;  // operation, then the picture's index
constexpr uint8_t kImageDelete = 1;

// The node a denied open names: there is no real one.
QString simNode(const UsbDeviceInfo& usb)
{
    return QStringLiteral("/dev/sim/") + usb.key;
}

const QByteArray* valueFor(const SimControl& control, UvcRequest request)
{
    switch (request) {
    case UvcRequest::GetCur: return &control.cur;
    case UvcRequest::GetMin: return &control.min;
    case UvcRequest::GetMax: return &control.max;
    case UvcRequest::GetRes: return &control.res;
    case UvcRequest::GetDef: return &control.def;
    default: return nullptr;
    }
}

int copyOut(const QByteArray& value, uint8_t* data, int length)
{
    const int moved = std::min(length, int(value.size()));
    std::memcpy(data, value.constData(), size_t(moved));
    return moved;
}

// The auto-exposure mode takes one mode bit, and only one that its GET_RES
// bitmap offers (1 manual, 2 auto, 4 shutter priority, 8 aperture priority).
bool acceptsValue(const SimControl& control, const uint8_t* data)
{
    constexpr uint8_t kAeModeSelector = 0x02;
    if (control.unit != UvcUnitKind::CameraTerminal || control.selector != kAeModeSelector)
        return true;
    const uint8_t mode = data[0];
    const uint8_t offered = control.res.isEmpty() ? 0 : uint8_t(control.res[0]);
    return mode != 0 && (mode & (mode - 1)) == 0 && (mode & offered) != 0;
}

bool isPictureSelector(uint8_t selector)
{
    return selector == kPictureUploadSelector || selector == kPictureDownloadSelector;
}

} // namespace

SimCamera::SimCamera(const SimCameraModel& model, const QSharedPointer<SimJournal>& journal)
    : model_(model)
    , replies_(model.identityReplies())
    , journal_(journal ? journal : QSharedPointer<SimJournal>::create())
    , presets_(model.presets)
    , pictures_(model.pictures, model.thumbnails)
    , stream_(model.stream.faults)
{
    upgrade_ = SimUpgradeService(model_.upgrade);
    upgrade_.setKnobs(upgradeKnobs());
    upgrade_.attach(journal_, model_.boot);
    upgradeSystem_ = model_.systemType != 1;
    if (model_.factoryStatusBlock.isEmpty())
        model_.factoryStatusBlock = model_.statusBlock;
    productType_ = productTypeOfIndices(model_.productIndex, model_.platformIndex);
    for (auto it = model_.replies.cbegin(); it != model_.replies.cend(); ++it)
        replies_.insert(it.key(), it.value());
    if (!model_.netAddress.isEmpty())
        startNetwork();
}

SimCamera::~SimCamera()
{
    // Before any member their threads read goes.
    endNetwork();
    net_.reset();
    capture_.close();
}

UsbDeviceInfo SimCamera::info() const
{
    QMutexLocker lock(&mutex_);
    return model_.usb;
}

bool SimCamera::openControlInterface()
{
    QMutexLocker lock(&mutex_);
    // In network operation it has no video-control interface.
    if (!plugged_ || model_.knobs.openFails || !model_.netAddress.isEmpty())
        return false;
    if (model_.knobs.openDenied) {
        qWarning() << "Simulated camera: permission denied on" << simNode(model_.usb);
        return false;
    }
    if (model_.knobs.interfaceHeldByDriver)
        qDebug() << "Simulated camera: interface held by another driver";
    open_ = true;
    return true;
}

QString SimCamera::accessDeniedNode() const
{
    QMutexLocker lock(&mutex_);
    return model_.knobs.openDenied ? simNode(model_.usb) : QString();
}

void SimCamera::closeControlInterface()
{
    QMutexLocker lock(&mutex_);
    open_ = false;
}

bool SimCamera::isControlInterfaceOpen() const
{
    QMutexLocker lock(&mutex_);
    return open_;
}

int SimCamera::interfaceNumber() const
{
    QMutexLocker lock(&mutex_);
    return model_.interfaceNumber;
}

QByteArray SimCamera::controlDescriptors() const
{
    QMutexLocker lock(&mutex_);
    return simControlDescriptors(model_);
}

int SimCamera::controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t unitId,
                              uint8_t selector, uint8_t* data, int length)
{
    struct Active
    {
        std::atomic<int>& count;
        explicit Active(std::atomic<int>& c) : count(c) { ++count; }
        ~Active() { --count; }
    } active(active_);
    int delayMs = 0;
    {
        QMutexLocker lock(&mutex_);
        delayMs = model_.knobs.transferDelayMs;
    }
    if (delayMs > 0)  // a slow bus: the request holds its caller, not the camera
        QThread::msleep(ulong(delayMs));

    QMutexLocker lock(&mutex_);
    SimRequestRecord record;
    record.request = request;
    record.kind = kind;
    record.unitId = unitId;
    record.selector = selector;
    record.length = length;
    if (request == UvcRequest::SetCur && data && length > 0)
        record.data = QByteArray(reinterpret_cast<const char*>(data), length);
    if (plugged_ && open_ && data && length > 0 && unitId == unitIdOf(kind))
        record.result = answer(request, kind, selector, data, length);
    if (request != UvcRequest::SetCur && record.result > 0)
        record.data = QByteArray(reinterpret_cast<const char*>(data), record.result);
    if (model_.requestLog != 0)
        log_.append(record);
    if (model_.requestLog >= 0 && log_.size() > model_.requestLog)
        log_.removeFirst();
    if (restart_) {  // the request went through; then the camera goes
        restart(*restart_);
        restart_.reset();
    }
    if (switchAsked_) {
        switchNetwork(*switchAsked_);
        switchAsked_.reset();
    }
    return record.result;
}

uint8_t SimCamera::unitIdOf(UvcUnitKind kind) const
{
    switch (kind) {
    case UvcUnitKind::CameraTerminal: return model_.cameraTerminalId;
    case UvcUnitKind::ProcessingUnit: return model_.processingUnitId;
    case UvcUnitKind::ExtensionUnit: return model_.extensionUnitId;
    }
    return 0;
}

int SimCamera::answer(UvcRequest request, UvcUnitKind kind, uint8_t selector, uint8_t* data,
                      int length)
{
    if (kind == UvcUnitKind::ExtensionUnit)
        return answerExtension(request, selector, data, length);
    return answerStandard(request, kind, selector, data, length);
}

int SimCamera::answerStandard(UvcRequest request, UvcUnitKind kind, uint8_t selector,
                              uint8_t* data, int length)
{
    for (SimControl& control : model_.controls) {
        if (control.unit != kind || control.selector != selector)
            continue;
        if (request == UvcRequest::GetInfo) {
            data[0] = control.info;
            return 1;
        }
        if (request == UvcRequest::SetCur) {
            if (!acceptsValue(control, data))
                return -1;
            const int moved = std::min(length, control.length());
            std::memcpy(control.cur.data(), data, size_t(moved));
            applyControl(control, productType_, model_.statusBlock);
            return moved;
        }
        if (request == UvcRequest::GetCur && control.readFails)
            return -1;
        const QByteArray* value = valueFor(control, request);
        return value ? copyOut(*value, data, length) : -1;
    }
    return -1;  // the camera stalls a control it does not have
}

int SimCamera::answerExtension(UvcRequest request, uint8_t selector, uint8_t* data, int length)
{
    if (length != kBlockSize || transferFails(selector))
        return -1;
    if (request == UvcRequest::SetCur && selector == model_.knobs.setFailsOnSelector)
        return -1;  // on every selector, the message channel's included
    if (selector == kMessageSelector) {
        if (request == UvcRequest::SetCur)
            return takeMessage(data, length);
        return request == UvcRequest::GetCur ? channel_.read(data, length, model_.knobs) : -1;
    }
    if (request == UvcRequest::SetCur) {
        if (upgradeSystem_) {
            const int moved = upgrade_.write(selector, data);
            takeUpgradeWrite(selector, data);
            return moved;
        }
        if (selector == kStatusSelector) {  // a parameter record, taken only whole
            if (model_.knobs.recordWriteBytes < length)
                return model_.knobs.recordWriteBytes;
            applyParamRecord(data, productType_, model_.statusBlock);
            if (data[0] == kImageRecordId && data[1] == 2 && data[2] == kImageDelete)
                pictures_.removeMask(data[3]);
        }
        if (selector == kPresetSelector)
            return presets_.write(data, length);
        if (isPictureSelector(selector))
            return pictures_.write(selector, data);
        extensionRecords_[selector] = QByteArray(reinterpret_cast<const char*>(data), length);
        return length;
    }
    if (request != UvcRequest::GetCur || selector == model_.knobs.getFailsOnSelector)
        return -1;
    std::memset(data, 0, size_t(length));
    if (extensionReplies_.contains(selector))
        return copyOut(extensionReplies_.value(selector), data, length);
    if (upgradeSystem_)
        return upgrade_.read(selector, data);
    if (selector == kPresetSelector)
        return presets_.read(data, length);
    if (isPictureSelector(selector))
        return pictures_.read(selector, data);
    if (selector == kStatusSelector) {
        copyOut(model_.statusBlock.left(kBlockSize), data, length);
        return std::min(length, model_.knobs.statusReadBytes);
    }
    copyOut(extensionRecords_.value(selector), data, length);
    return length;
}

// A message frame written to the camera: answered, as a state query in the
// layout its reader expects unless a reply was set for it.
int SimCamera::takeMessage(uint8_t* data, int length)
{
    const uint16_t command = qFromBigEndian<quint16>(data + 10);
    QHash<uint16_t, QByteArray> replies = replies_;
    if (!replies.contains(command)) {
        const QByteArray state = stateReplies_.answer(command, runStateOf(model_.statusBlock, productType_));
        if (!state.isNull())
            replies.insert(command, state);
    }
    if (channel_.write(data, length, model_.knobs, replies)) {
        stateReplies_.take(data);
        takeCameraFrame(data);
        takeUpgradeFrame(data);
        takeNetworkFrame(data);
    }
    return length;
}

// A frame for the camera itself that changes what it reports: the run
// status, and the factory reset.
void SimCamera::takeCameraFrame(const uint8_t* frame)
{
    const int length = qFromBigEndian<quint16>(frame + 1) & 0x0FFF;
    const uint16_t command = qFromBigEndian<quint16>(frame + 10);
    if (command == kCmdDevStatus && length >= 14 && frame[12] == 1)
        applyRunStatus(frame[13], productType_, model_.statusBlock);
    else if (command == kCmdRestoreFactory && length >= 13 && frame[12] == 1)
        restoreFactorySettings();
}

// Every setting as it left the factory: the controls at their defaults,
// the status block the model's factory one with what follows the controls
// taken from them. The camera stays in the run state it is in.
void SimCamera::restoreFactorySettings()
{
    const uint8_t runState = runStateOf(model_.statusBlock, productType_);
    model_.statusBlock = model_.factoryStatusBlock;
    applyRunStatus(runState, productType_, model_.statusBlock);
    for (SimControl& control : model_.controls) {
        control.cur = control.def;
        applyControl(control, productType_, model_.statusBlock);
    }
    stateReplies_.forget();
    qInfo() << "Simulated camera" << model_.name << "restored its factory settings";
}

CaptureSession* SimCamera::capture()
{
    QMutexLocker lock(&mutex_);
    return model_.stream.hasCapture ? &capture_ : nullptr;
}

QList<CaptureSession::Format> SimCamera::captureFormats() const
{
    QMutexLocker lock(&mutex_);
    return model_.stream.formats;
}

bool SimCamera::streamHeld(bool counted)
{
    QMutexLocker lock(&mutex_);
    return stream_.held(counted);
}

QList<QByteArray> SimCamera::takeStreamFrames(CaptureSession::PixelFormat format)
{
    QMutexLocker lock(&mutex_);
    if (!plugged_)
        return {};
    const QList<QByteArray> frames = stream_.next(upgrade_, format);
    if (stream_.takeLeaving())
        restart(SimUpgradeService::Restart{0, 0, 0, false});
    return frames;
}

SimStreamFaults SimCamera::streamFaults() const
{
    QMutexLocker lock(&mutex_);
    return stream_.faults();
}

void SimCamera::setStreamFaults(const SimStreamFaults& faults)
{
    QMutexLocker lock(&mutex_);
    stream_.setFaults(faults);
}

SimKnobs SimCamera::knobs() const
{
    QMutexLocker lock(&mutex_);
    return model_.knobs;
}

void SimCamera::setKnobs(const SimKnobs& knobs)
{
    QMutexLocker lock(&mutex_);
    model_.knobs = knobs;
    upgrade_.setKnobs(upgradeKnobs());
}

void SimCamera::setReply(uint16_t command, const QByteArray& data)
{
    QMutexLocker lock(&mutex_);
    model_.replies.insert(command, data);
    replies_.insert(command, data);
}

void SimCamera::setStatusBlock(const QByteArray& block)
{
    QMutexLocker lock(&mutex_);
    model_.statusBlock = block;
}

void SimCamera::setExtensionReply(uint8_t selector, const QByteArray& block)
{
    QMutexLocker lock(&mutex_);
    if (block.isEmpty())
        extensionReplies_.remove(selector);
    else
        extensionReplies_.insert(selector, block);
}

QByteArray SimCamera::preset(uint8_t id) const
{
    QMutexLocker lock(&mutex_);
    return presets_.record(id);
}

int SimCamera::triggeredPreset() const
{
    QMutexLocker lock(&mutex_);
    return presets_.lastTriggered();
}

void SimCamera::setRunsUpgradeSystem(bool on)
{
    QMutexLocker lock(&mutex_);
    upgradeSystem_ = on;
}

SimUpgradeService SimCamera::upgradeService() const
{
    QMutexLocker lock(&mutex_);
    return upgrade_;
}

void SimCamera::setPicture(const QByteArray& name, const QByteArray& full, const QByteArray& thumbnail)
{
    QMutexLocker lock(&mutex_);
    pictures_.setPicture(name, full, thumbnail);
}

void SimCamera::removePicture(const QByteArray& name)
{
    QMutexLocker lock(&mutex_);
    pictures_.removePicture(name);
}

void SimCamera::setPictureFaults(const SimPictures::Faults& faults)
{
    QMutexLocker lock(&mutex_);
    pictures_.setFaults(faults);
}

SimPictures SimCamera::pictures() const
{
    QMutexLocker lock(&mutex_);
    return pictures_;
}

QByteArray SimCamera::controlValue(UvcUnitKind unit, uint8_t selector) const
{
    QMutexLocker lock(&mutex_);
    for (const SimControl& control : model_.controls) {
        if (control.unit == unit && control.selector == selector)
            return control.cur;
    }
    return {};
}

bool SimCamera::setControlValue(UvcUnitKind unit, uint8_t selector, const QByteArray& cur)
{
    QMutexLocker lock(&mutex_);
    for (SimControl& control : model_.controls) {
        if (control.unit == unit && control.selector == selector && control.cur.size() == cur.size()) {
            control.cur = cur;
            return true;
        }
    }
    return false;
}

QList<SimRequestRecord> SimCamera::requests() const
{
    QMutexLocker lock(&mutex_);
    return log_;
}

QList<QByteArray> SimCamera::writtenFrames() const
{
    QMutexLocker lock(&mutex_);
    QList<QByteArray> frames;
    for (const SimRequestRecord& record : log_) {
        if (record.request == UvcRequest::SetCur && record.kind == UvcUnitKind::ExtensionUnit
            && record.selector == kMessageSelector)
            frames << record.data;
    }
    return frames;
}

void SimCamera::clearRequests()
{
    QMutexLocker lock(&mutex_);
    log_.clear();
}

int SimCamera::pendingReplies() const
{
    QMutexLocker lock(&mutex_);
    return channel_.pendingReplies();
}

int SimCamera::droppedFrames() const
{
    QMutexLocker lock(&mutex_);
    return channel_.droppedFrames();
}

void SimCamera::unplug()
{
    QMutexLocker lock(&mutex_);
    plugged_ = false;
    open_ = false;
    endNetwork();
}

bool SimCamera::isPlugged() const
{
    QMutexLocker lock(&mutex_);
    return plugged_;
}

} // namespace pc
} // namespace vesk
