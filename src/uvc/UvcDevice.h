#pragma once

#include "platform/CameraHandle.h"
#include "uvc/AiCommands.h"
#include "uvc/CameraCommands.h"
#include "uvc/ControlTransport.h"
#include "uvc/DeviceIdentity.h"
#include "uvc/GimbalPresets.h"
#include "uvc/MessageChannel.h"
#include "uvc/NetworkCalls.h"
#include "uvc/ParameterRecords.h"
#include "uvc/PictureTransfers.h"
#include "uvc/StandardControls.h"
#include "uvc/StreamCapture.h"
#include "uvc/StreamReceiver.h"
#include "uvc/UpgradeSelectors.h"
#include "uvc/AiStatus.h"
#include "uvc/ButtonAction.h"
#include "uvc/CameraStatus.h"
#include "uvc/ProtocolMsg.h"
#include "uvc/UpgradeFileDownloadState.h"
#include "uvc/UpgradeFileUpState.h"
#include "uvc/UvcCommand.h"
#include "uvc/UvcPreSetPosInfo.h"
#include "uvc/UvcCtrlSelector.h"
#include "uvc/UvcTiming.h"
#include "uvc/VideoControlUnits.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QSharedPointer>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <utility>

namespace vesk {
namespace pc {

// One camera: the facade the windows call. It owns its parts (control
// transport, message channel, standard controls, identity, network calls,
// pictures, AI and gimbal, presets, camera commands, parameter records,
// upgrade selectors) and forwards to them, and to the process's stream
// capture, whose frames it receives while it owns that; this thread runs
// the channel's passes. Its own state is its mode, its initialisation and
// the status block.
class UvcDevice : public QThread,
                  public MessageResult,
                  public PictureKinds,
                  public StreamReceiver
{
    Q_OBJECT
public:
    enum DevMode { DevModeUvc = 0, DevModeNet = 1, DevModeUvcUpgrade = 2 };
    enum DevStatus { DevStatusResume = 1, DevStatusSleep = 3 };

    using CameraParamRange = StandardControls::CameraParamRange;

    UvcDevice(QSharedPointer<CameraHandle> device, DevMode mode, QObject* parent = nullptr);
    ~UvcDevice() override;

    // Cameras shared between threads are made and released through these, so
    // that one whose thread cannot be stopped is kept rather than freed.
    static QSharedPointer<UvcDevice> create(QSharedPointer<CameraHandle> device, DevMode mode);
    static void destroy(UvcDevice* device);
    // Frees kept cameras whose thread has ended since; returns how many remain.
    static int reapParkedDevices();

    int open();
    void close();
    bool isOpen() const { return transport_.isOpen(); }

    int64_t locationId() const { return locationId_; }
    uint16_t vendorId() const { return vendorId_; }
    uint16_t productId() const { return productId_; }
    DevMode devMode() const { return DevMode(mode_.load()); }
    void setDevMode(DevMode mode) { mode_ = mode; }
    int systemType() const { return systemType_; }
    void setSystemType(int type) { systemType_ = type; }
    // In its upgrade system: it takes nothing but an upgrade.
    bool waitsForUpgrade() const { return devMode() == DevModeUvc && systemType_ == 2; }
    UvcTiming timing() const { return transport_.timing(); }
    void setTiming(const UvcTiming& timing) { transport_.setTiming(timing); }
    // The interface and unit ids the descriptors announced.
    int interfaceNumber() const { return transport_.interfaceNumber(); }
    VideoControlUnits units() const { return transport_.units(); }
    ProtocolMsg& protocol() { return channel_.protocol(); }

    // Class-specific requests (run by ControlTransport): SET_CUR, and the
    // GET request given by its code. Bytes moved, or -1.
    int setDataWithLengthSelectorUnitId(uint8_t* data, int length, int selector, UvcUnitKind kind,
                                        int unitId)
    { return transport_.setDataWithLengthSelectorUnitId(data, length, selector, kind, unitId); }
    int getDataByTypeLengthSelectorUnitId(uint8_t* data, int type, int length, int selector,
                                          UvcUnitKind kind, int unitId)
    { return transport_.getDataByTypeLengthSelectorUnitId(data, type, length, selector, kind, unitId); }

    // The standard control table (run by StandardControls).
    bool controlIsAvailable(UvcCtrlSelectorType type) const
    { return controls_.controlIsAvailable(type); }
    bool capabilitiesForControl(uint8_t* capabilities, UvcCtrlSelectorType type)
    { return controls_.capabilitiesForControl(capabilities, type); }
    bool getLowHighValueStepSizeDefaultValueForControl(UvcUTCtrlRequest* min, UvcUTCtrlRequest* max,
                                                       UvcUTCtrlRequest* res, UvcUTCtrlRequest* def,
                                                       UvcCtrlSelectorType type)
    { return controls_.getLowHighValueStepSizeDefaultValueForControl(min, max, res, def, type); }
    bool getValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type)
    { return controls_.getValueForControl(value, type); }
    bool setValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type)
    { return controls_.setValueForControl(value, type); }

    // Message channel. The caller's frame is never changed: each send numbers
    // and prepares its own copy.
    ErrorType sendMsgSync(ProtocolMsg::FrmPacket& frame, QByteArray& response)
    { return channel_.sendMsgSync(frame, response); }
    ErrorType sendMsgSyncNonBlock(ProtocolMsg::FrmPacket& frame, QSharedPointer<QString> method,
                                  QObject* receiver)
    { return channel_.sendMsgSyncNonBlock(frame, std::move(method), receiver); }
    ErrorType sendMsgAsync(ProtocolMsg::FrmPacket& frame, bool needResponse)
    { return channel_.sendMsgAsync(frame, needResponse); }
    ErrorType sendMsgAsyncDirectly(ProtocolMsg::FrmPacket& frame)
    { return channel_.sendMsgAsyncDirectly(frame); }
    int queuedCount() const { return channel_.queuedCount(); }

    // Status block.
    bool getCameraStatus(CameraStatus& status);
    CameraStatus cachedStatus() const;
    int statusPollCounter() const { return statusPollCounter_; }
    // Written with every command that changes the camera's state, to put the
    // next read off; each write also starts a new command generation.
    void setStatusPollCounter(int value)
    {
        statusPollCounter_ = value;
        ++commandGeneration_;
    }
    // A status read asked for in an earlier generation than this may predate
    // a command: devStateUpdate carries the generation its read was asked in.
    quint64 commandGeneration() const { return commandGeneration_; }
    bool statusReportEnabled() const { return statusReport_; }
    void setStatusReportEnabled(bool enabled) { statusReport_ = enabled; }

    // Identity (run by DeviceIdentity). The queries refuse to run before initDev
    // has succeeded; initDev runs them itself. In network mode they need HTTP.
    QString getDevVersion()
    { return identityQueryAllowed() ? identity_.queryDevVersion(viaNetwork()) : QString(); }
    QByteArray getDevUuid()
    { return identityQueryAllowed() ? identity_.queryDevUuid(viaNetwork()) : QByteArray(); }
    QJsonObject getDevInfo()
    { return identityQueryAllowed() ? identity_.queryDevInfo(viaNetwork()) : QJsonObject(); }
    QString getDevSn()
    { return identityQueryAllowed() ? identity_.queryDevSn(viaNetwork()) : QString(); }
    bool initDev();
    bool isInited() const { return inited_; }
    // 1 newer firmware exists, 0 up to date, 2 latest version unknown.
    int isUpgradeNeeded(QString& info) { return identity_.isUpgradeNeeded(info); }
    int getProductType() { return identity_.getProductType(); }
    bool is4K() const { return identity_.is4K(); }
    QJsonObject getDevInfoForServer() const { return identity_.getDevInfoForServer(); }

    QString sn() const { return identity_.identity().sn; }
    QByteArray uuid() const { return identity_.identity().uuid; }
    QString devVersion() const { return identity_.identity().version; }
    QString latestVersion() const { return identity_.identity().latestVersion; }
    void setLatestVersion(const QString& version) { identity_.setLatestVersion(version); }
    QJsonObject devInfo() const { return identity_.identity().info; }
    // The upgrade thread hands a camera object it opened again the info of
    // the one it replaces, which it cannot query in the upgrade system.
    void setDevInfo(const QJsonObject& info) { identity_.setDevInfo(info); }
    QString devName() const { return identity_.identity().name; }
    QString ipAddr() const { return identity_.identity().ip; }
    int socVersion() const { return identity_.identity().socVersion; }
    int upgradeNeeded() const { return identity_.identity().upgradeNeeded; }
    // The serial number as it may appear in a name or a path: letters,
    // digits, '-' and '_' only.
    static QString safeSerial(const QString& serial) { return DeviceIdentity::safeSerial(serial); }

    // --- Network-mode services (run by NetworkCalls) ---
    // In network mode HTTP requests to the camera's own server; in the other
    // modes the first two are protocol frames and the last two refuse. A
    // time-out, a broken reply or a status other than 200 is a failure.
    int reqDevChangeIpAddr(const QString& ip)
    { return identityQueryAllowed() ? changeIpAddr(ip) : -1; }
    int reqDevUpgrade()  // 0 or -1
    {
        return identityQueryAllowed()
            ? network_.reqDevUpgrade(ipAddr(), viaNetwork(), devMode() == DevModeUvcUpgrade)
            : -1;
    }
    // Stores the camera's log archive under {data}/log; 0 or -1, and a failed
    // download leaves no file.
    int getDevLogFile()
    { return identityQueryAllowed() && netModeOnly() ? network_.getDevLogFile(ipAddr(), uuid()) : -1; }
    QString lastLogFile() const { return network_.lastLogFile(); }  // the last stored archive
    // Whether the request could start.
    bool reqDevReboot() { return netModeOnly() && network_.reqDevReboot(ipAddr()); }
    // --- end of network-mode services ---

    // --- Standard UVC controls (run by StandardControls, behind the guards of
    // direct transfers) ---
    // Results 0 or -1; getters write their outputs only when every read has
    // succeeded, range readers only when all four values came back.
    int uvcFocusGet(bool& autoFocus, int& value)
    { return controlsAllowed() ? controls_.uvcFocusGet(autoFocus, value) : -1; }
    int uvcExposureGet(bool& autoExposure, int& value)
    { return controlsAllowed() ? controls_.uvcExposureGet(autoExposure, value) : -1; }
    int uvcBacklightCompensationControlGet(bool& autoOn, int& value)
    { return controlsAllowed() ? controls_.uvcBacklightCompensationControlGet(autoOn, value) : -1; }
    int uvcGainControlGet(bool& autoOn, int& value)
    { return controlsAllowed() ? controls_.uvcGainControlGet(autoOn, value) : -1; }
    int uvcWhiteBalanceTemperatureControlGet(bool& autoWb, int& value)
    { return controlsAllowed() ? controls_.uvcWhiteBalanceTemperatureControlGet(autoWb, value) : -1; }
    int uvcBrightnessControlGet(int& value)
    { return controlsAllowed() ? controls_.uvcBrightnessControlGet(value) : -1; }
    int uvcContrastControlGet(bool& autoOn, int& value)
    { return controlsAllowed() ? controls_.uvcContrastControlGet(autoOn, value) : -1; }
    int uvcSaturationControlGet(int& value)
    { return controlsAllowed() ? controls_.uvcSaturationControlGet(value) : -1; }
    int uvcSharpnessControlGet(int& value)
    { return controlsAllowed() ? controls_.uvcSharpnessControlGet(value) : -1; }
    int uvcHueControlGet(bool& autoOn, int& value)
    { return controlsAllowed() ? controls_.uvcHueControlGet(autoOn, value) : -1; }
    int uvcPanTiltAbsoluteControlGet(int32_t& pan, int32_t& tilt)
    { return controlsAllowed() ? controls_.uvcPanTiltAbsoluteControlGet(pan, tilt) : -1; }

    int uvcFocusSet(bool autoFocus, int value)
    { return controlsAllowed() ? controls_.uvcFocusSet(autoFocus, value) : -1; }
    int uvcExposureSet(bool autoExposure, int value)
    { return controlsAllowed() ? controls_.uvcExposureSet(autoExposure, value) : -1; }
    int uvcBacklightCompensationControlSet(bool, int value)  // the flag is not sent
    { return controlsAllowed() ? controls_.uvcBacklightCompensationControlSet(value) : -1; }
    int uvcGainControlSet(bool, int value)  // the flag is not sent
    { return controlsAllowed() ? controls_.uvcGainControlSet(value) : -1; }
    int uvcWhiteBalanceTemperatureControlSet(bool autoWb, int value)
    { return controlsAllowed() ? controls_.uvcWhiteBalanceTemperatureControlSet(autoWb, value) : -1; }
    int uvcContrastControlSet(int value)
    { return controlsAllowed() ? controls_.uvcContrastControlSet(value) : -1; }
    int uvcSaturationControlSet(int value)
    { return controlsAllowed() ? controls_.uvcSaturationControlSet(value) : -1; }
    int uvcSharpnessControlSet(int value)
    { return controlsAllowed() ? controls_.uvcSharpnessControlSet(value) : -1; }
    int uvcHueControlSet(int value)
    { return controlsAllowed() ? controls_.uvcHueControlSet(value) : -1; }

    int uvcFocusRangeAbsGet(CameraParamRange& range)
    { return controlsAllowed() ? controls_.uvcFocusRangeAbsGet(range) : -1; }
    int uvcExposureRangeAbsGet(CameraParamRange& range)
    { return controlsAllowed() ? controls_.uvcExposureRangeAbsGet(range) : -1; }
    int uvcBacklightCompensationControlRangeGet(CameraParamRange& range)
    { return controlsAllowed() ? controls_.uvcBacklightCompensationControlRangeGet(range) : -1; }
    int uvcGainControlRangeGet(CameraParamRange& range)
    { return controlsAllowed() ? controls_.uvcGainControlRangeGet(range) : -1; }
    int uvcWhiteBalanceColorTemperatureControlRangeGet(CameraParamRange& range)
    { return controlsAllowed() ? controls_.uvcWhiteBalanceColorTemperatureControlRangeGet(range) : -1; }
    int uvcContrastControlRangeGet(CameraParamRange& range)
    { return controlsAllowed() ? controls_.uvcContrastControlRangeGet(range) : -1; }
    int uvcSaturationControlRangeGet(CameraParamRange& range)
    { return controlsAllowed() ? controls_.uvcSaturationControlRangeGet(range) : -1; }
    int uvcSharpnessControlRangeGet(CameraParamRange& range)
    { return controlsAllowed() ? controls_.uvcSharpnessControlRangeGet(range) : -1; }
    int uvcHueControlRangeGet(CameraParamRange& range)
    { return controlsAllowed() ? controls_.uvcHueControlRangeGet(range) : -1; }

    // Pan/tilt ranges, cached on first use (0 means not read yet).
    using PanTiltRanges = StandardControls::PanTiltRanges;
    bool uvcPanTiltRangeAbsGet() { return controlsAllowed() && controls_.uvcPanTiltRangeAbsGet(); }
    bool uvcPanTiltRangeRelGet() { return controlsAllowed() && controls_.uvcPanTiltRangeRelGet(); }
    PanTiltRanges panTiltRanges() const { return controls_.panTiltRanges(); }
    // Absolute move: clamped to the cached range, scaled by 3600 in 64 bits.
    int uvcPanTiltAbsoluteControl(int32_t pan, int32_t tilt)
    { return controlsAllowed() ? controls_.uvcPanTiltAbsoluteControl(pan, tilt) : -1; }
    // Relative move, each axis -1.0 .. 1.0 of the camera's top speed.
    int uvcPanTiltRelativeControl(double pan, double tilt)
    { return controlsAllowed() ? controls_.uvcPanTiltRelativeControl(pan, tilt) : -1; }
    // --- end of standard UVC controls ---

    // --- Camera parameter records (run by ParameterRecords) ---
    // Records on extension-unit selector 6, whose values come back in the
    // status block; face focus as message frames. Results 0 or -1.
    enum MediaMode { MediaModeNormal = 0, MediaModeVirtualBg = 1, MediaModeAutoFraming = 2 };
    enum MediaBgMode { MediaBgGreenScreen = 1, MediaBgReplace = 17, MediaBgBlur = 18 };
    enum MediaBgModeColorType { MediaBgColorBlue = 0, MediaBgColorGreen = 1 };

    int cameraSetMediaMode(MediaMode mode) { return records_.cameraSetMediaMode(mode); }
    int cameraSetHdr(bool on) { return records_.cameraSetHdr(on); }
    int cameraSetFaceAE(int on) { return records_.cameraSetFaceAE(on); }
    int cameraSetFov(int fov) { return records_.cameraSetFov(fov); }
    int cameraSetBgMode(MediaBgMode mode) { return records_.cameraSetBgMode(mode); }
    int cameraSetMaskLevel(int level) { return records_.cameraSetMaskLevel(level); }
    int cameraSetButtonMode(int mode) { return records_.cameraSetButtonMode(mode); }
    int cameraSetCustomizeButtonAction(ButtonAction action)
    { return records_.cameraSetCustomizeButtonAction(action); }
    int cameraSetNoiseCancellation(int on) { return records_.cameraSetNoiseCancellation(on); }
    int cameraSetSuspendTime(int seconds) { return records_.cameraSetSuspendTime(seconds); }
    int cameraSetVerticalMode(int mode) { return records_.cameraSetVerticalMode(mode); }
    int cameraSetAutoFramingMode(int8_t mode, int8_t size)
    { return records_.cameraSetAutoFramingMode(mode, size); }
    int cameraSetImageReplace(int operation, int index)
    { return records_.cameraSetImageReplace(operation, index); }
    int cameraSetBgColor(MediaBgModeColorType color) { return records_.cameraSetBgColor(color); }
    int cameraSetBgEnable(bool enable) { return records_.cameraSetBgEnable(enable); }
    int cameraSetPortraitMode(int mode) { return records_.cameraSetPortraitMode(mode); }
    int cameraSetFaceFocus(bool on) { return records_.cameraSetFaceFocus(on); }
    int cameraGetFaceFocus(QSharedPointer<QString> method = {}, QObject* receiver = nullptr,
                           GetMethod getMethod = GetMethodBlock)
    { return records_.cameraGetFaceFocus(std::move(method), receiver, getMethod); }
    // --- end of camera parameter records ---

    // --- Upgrade transfer selectors (run by UpgradeSelectors) ---
    // Raw 60-byte blocks for the upgrade thread, without guards.
    bool transFileStart(const uint8_t* record) { return upgradeSelectors_.transFileStart(record); }
    int transFileTransStateGet(UpgradeFileUpState* state)
    { return upgradeSelectors_.transFileTransStateGet(state); }
    bool ugSyscall(const uint8_t* block) { return upgradeSelectors_.ugSyscall(block); }
    bool ugSyscall(const QByteArray& line) { return upgradeSelectors_.ugSyscall(line); }
    bool fileDownloadReq(const uint8_t* record)
    { return upgradeSelectors_.fileDownloadReq(record); }
    bool fileDownloadStateGet(UpgradeFileDownloadState* state)
    { return upgradeSelectors_.fileDownloadStateGet(state); }
    bool ugUpCmd(const uint8_t* record) { return upgradeSelectors_.ugUpCmd(record); }
    bool ugUpCmdState(uint8_t* block) { return upgradeSelectors_.ugUpCmdState(block); }
    int transFileTrans(const uint8_t* record) { return upgradeSelectors_.transFileTrans(record); }
    bool transFileMagicGet(uint8_t* block) { return upgradeSelectors_.transFileMagicGet(block); }
    uint32_t getUpgradeProgramVer() { return upgradeSelectors_.getUpgradeProgramVer(); }
    // --- end of upgrade transfer selectors ---

    // --- AI and gimbal commands (run by AiCommands) ---
    int aiSetGestureCtrlIndividual(int gesture, bool on)
    { return ai_.aiSetGestureCtrlIndividual(gesture, on); }
    int aiSetTrackingMode(int mode) { return ai_.aiSetTrackingMode(mode); }
    int aiGetAiStatus(AiStatus* status, QSharedPointer<QString> method = {},
                      QObject* receiver = nullptr, GetMethod getMethod = GetMethodBlock)
    { return ai_.aiGetAiStatus(status, std::move(method), receiver, getMethod); }
    int aiSetGestureZoomFactor(float factor) { return ai_.aiSetGestureZoomFactor(factor); }
    int aiSetButtonSwitchForKo(bool on) { return ai_.aiSetButtonSwitchForKo(on); }
    int aiGimbalSpeedCtrl(double first, double second)
    { return ai_.aiGimbalSpeedCtrl(first, second); }
    int aiSetGimbalBootPos(float first, float second, float third, float fourth)
    { return ai_.aiSetGimbalBootPos(first, second, third, fourth); }
    int aiGetGimbalBootPos(float& first, float& second, float& third, float& fourth)
    { return ai_.aiGetGimbalBootPos(first, second, third, fourth); }
    int aiTrgGimbalBootPos() { return ai_.aiTrgGimbalBootPos(); }
    int aiSetEnabled(bool enabled) { return ai_.aiSetEnabled(enabled); }
    int gimbalGetAttitudeInfo(int16_t& x, int16_t& y, int16_t& z)
    { return ai_.gimbalGetAttitudeInfo(x, y, z); }
    int gimbalSpeedCtrl(double first, double second) { return ai_.gimbalSpeedCtrl(first, second); }
    int gimbalSetSpeedPosition(int16_t x, int16_t y, int16_t z, double speedX, double speedY,
                               double speedZ)
    { return ai_.gimbalSetSpeedPosition(x, y, z, speedX, speedY, speedZ); }
    int gimbalLock(bool lock) { return ai_.gimbalLock(lock); }
    int aiSetTargetSelect(bool on) { return ai_.aiSetTargetSelect(on); }
    int aiGetTargetSelect(bool& on) { return ai_.aiGetTargetSelect(on); }
    int aiSetGestureCtrl(bool on) { return ai_.aiSetGestureCtrl(on); }
    int aiGetGestureCtrl(bool& on) { return ai_.aiGetGestureCtrl(on); }
    int aiSetGimbalLock(bool lock) { return ai_.aiSetGimbalLock(lock); }
    int aiGetGimbalLock(bool& lock) { return ai_.aiGetGimbalLock(lock); }
    int gimbalReset() { return ai_.gimbalReset(); }
    // --- end of AI and gimbal commands ---

    // --- Gimbal presets (run by GimbalPresets) ---
    int presetPositionAdd(UvcPreSetPosInfo* info) { return presets_.presetPositionAdd(info); }
    int presetPositionRemove(uint8_t id) { return presets_.presetPositionRemove(id); }
    int presetPositionTrigger(uint8_t id) { return presets_.presetPositionTrigger(id); }
    int presetPositionGet(uint8_t id, UvcPreSetPosInfo* info)
    { return presets_.presetPositionGet(id, info); }
    // --- end of gimbal presets ---

    // --- Camera commands (run by CameraCommands) ---
    static constexpr int kResetConfirmed = CameraCommands::kResetConfirmed;
    static constexpr int kResetUnanswered = CameraCommands::kResetUnanswered;

    bool cameraZoomRangeGet() { return camera_.cameraZoomRangeGet(); }
    bool cameraFocusRangeGet() { return camera_.cameraFocusRangeGet(); }
    int cameraSetZoomRatio(double ratio, int16_t speed, int method)
    { return camera_.cameraSetZoomRatio(ratio, speed, method); }
    double cameraGetZoomRatio() { return camera_.cameraGetZoomRatio(); }
    int normalizedZoom(int value) { return camera_.normalizedZoom(value); }
    int cameraSetAutoFocus(bool on) { return camera_.cameraSetAutoFocus(on); }
    int cameraGetAutoFocus() { return camera_.cameraGetAutoFocus(); }
    int cameraSetFocusRatio(int percentage) { return camera_.cameraSetFocusRatio(percentage); }
    int cameraGetFocusRatio(uint8_t* autoFocus) { return camera_.cameraGetFocusRatio(autoFocus); }
    int cameraSetAntiFlicker(int mode) { return camera_.cameraSetAntiFlicker(mode); }
    int cameraGetAntiFlicker() { return camera_.cameraGetAntiFlicker(); }
    int cameraRestoreFactorySettings() { return camera_.cameraRestoreFactorySettings(); }
    int cameraSetDevRunStatus(DevStatus status) { return camera_.cameraSetDevRunStatus(status); }
    int cameraGetDevRunStatus(int* status, QSharedPointer<QString> method = {},
                              QObject* receiver = nullptr, GetMethod getMethod = GetMethodBlock)
    { return camera_.cameraGetDevRunStatus(status, std::move(method), receiver, getMethod); }
    int cameraIndicateUpgrade() { return camera_.cameraIndicateUpgrade(); }
    int setUgMode(uint8_t mode) { return camera_.setUgMode(mode); }
    int cameraPrepareLog() { return camera_.cameraPrepareLog(); }
    static bool makeShellFrame(const QByteArray& line, ProtocolMsg::FrmPacket& frame)
    { return CameraCommands::makeShellFrame(line, frame); }
    // --- end of camera commands ---

    // --- Picture transfers (run by PictureTransfers) ---
    // The camera's three pictures; the kinds, results and limits are those
    // of PictureKinds. A started transfer runs on a later pass of the device
    // thread; the main window fills the local paths on selection.
    bool startFileDownloadAsync(ImageTransType type)
    { return pictures_.startFileDownloadAsync(type); }
    bool startFileUploadAsync(ImageTransType type) { return pictures_.startFileUploadAsync(type); }
    unsigned pendingTransfers() const { return pictures_.pendingTransfers(); }
    unsigned settledThumbnails() const { return pictures_.settledThumbnails(); }
    int fileDownloadByUvc(const QString& localPath, const QString& deviceFile, bool thumbnail)
    { return pictures_.fileDownloadByUvc(localPath, deviceFile, thumbnail); }
    bool fileUploadByUvc(const QString& localPath, const QString& deviceFile)
    { return pictures_.fileUploadByUvc(localPath, deviceFile); }
    void setThumbnailPath(int slot, const QString& path) { pictures_.setThumbnailPath(slot, path); }
    QString thumbnailPath(int slot) const { return pictures_.thumbnailPath(slot); }
    void setFullPicturePath(int slot, const QString& path)
    { pictures_.setFullPicturePath(slot, path); }
    QString fullPicturePath(int slot) const { return pictures_.fullPicturePath(slot); }
    QString localPathFor(ImageTransType type) const { return pictures_.localPathFor(type); }
    // --- end of picture transfers ---

    // --- Stream capture (run by the process's StreamCapture) ---
    // Files come back from the camera inside video frames. One capture exists
    // in the process at a time: opening one closes any other camera's.
    enum ImageFormat { ImageFormatMjpeg = 0, ImageFormatYuyv = 1 };  // 1280x720 / 640x360
    // The capture's unique id: "0x" and location, vendor and product in hex.
    QString getLocationId() const
    {
        return QString::asprintf("0x%x%04x%04x", uint32_t(locationId_), unsigned(vendorId_),
                                 unsigned(productId_));
    }
    // Bit 0 motion JPEG 1280x720, bit 1 YUV 640x360, at 30 fps.
    uint32_t captureFormats()
    { return StreamCapture::captureFormats(device_.data(), getLocationId()); }
    bool initAvCapture(ImageFormat format)
    { return StreamCapture::get().open(this, device_, getLocationId(), format == ImageFormatYuyv); }
    bool streamActivate(ImageFormat format)
    { return StreamCapture::get().activate(this, device_, getLocationId(), format == ImageFormatYuyv); }
    void streamDeactivate() { StreamCapture::get().stop(this); }
    // Returns when no frame of this camera can arrive any more.
    void deinitAvCapture() { StreamCapture::get().close(this); }
    // True when another program holds the stream, or the camera has no capture.
    bool streamIsOccupied()
    { return StreamCapture::streamIsOccupied(device_.data(), getLocationId()); }
    // A frame cut to its header and payload; emitted as streamVideoData.
    // Called on the capture's thread, so receivers get it queued.
    void onStreamVideoData(const uint8_t* data, unsigned int length) override;
    // --- end of stream capture ---

signals:
    void devStateUpdate(vesk::pc::CameraStatus status, quint64 generation);
    void fileDownloadDone(unsigned int type, int result);
    // 10 to 90 while sending, 100 at success, kErrCodeFailure on failure.
    void fileUploadProgress(int progress);
    void streamVideoData(QByteArray data);

protected:
    void run() override;

private:
    // The device thread's duties in each pass beside the channel's own.
    MessageChannel::Hooks passHooks();
    // What the command parts' guards test.
    UvcCommand::DeviceState commandState() const;
    bool controlsAllowed() const
    { return controlGuards_.allowed(kTransferGuards, UvcCommand::MainSystem); }
    void pollStatus();

    // Identity and network calls: the guards and the mode around the parts.
    bool identityQueryAllowed() const;
    bool viaNetwork() const { return devMode() == DevModeNet; }
    bool netModeOnly() const;  // logged when not
    DeviceIdentity::NetworkQueries networkQueries();
    int changeIpAddr(const QString& ip)  // initDev's road: no inited guard
    { return network_.changeIpAddr(ip, viaNetwork(), ipAddr()); }

    QSharedPointer<CameraHandle> device_;  // shared with the transport; the capture uses it
    int64_t locationId_ = -1;
    uint16_t vendorId_ = 0;
    uint16_t productId_ = 0;
    std::atomic<int> mode_;
    std::atomic<int> systemType_{0};
    std::atomic<int> statusPollCounter_{0};
    std::atomic<quint64> commandGeneration_{0};
    std::atomic<bool> statusReport_{false};
    std::atomic<bool> inited_{false};

    // The parts below take these two as their ports: declared first, they
    // are built before and destroyed after the parts.
    ControlTransport transport_;
    MessageChannel channel_;
    // The guards of the standard controls, which test none themselves.
    UvcCommand controlGuards_;

    StandardControls controls_;

    DeviceIdentity identity_;
    NetworkCalls network_;

    mutable QMutex statusMutex_;
    CameraStatus cachedStatus_;

    PictureTransfers pictures_;
    AiCommands ai_;
    GimbalPresets presets_;
    CameraCommands camera_;
    ParameterRecords records_;
    UpgradeSelectors upgradeSelectors_;
};

} // namespace pc
} // namespace vesk
