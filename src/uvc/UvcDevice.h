#pragma once

#include "platform/CameraHandle.h"
#include "uvc/ControlTransport.h"
#include "uvc/DeviceIdentity.h"
#include "uvc/MessageChannel.h"
#include "uvc/NetworkCalls.h"
#include "uvc/PictureTransfers.h"
#include "uvc/StandardControls.h"
#include "uvc/StreamReceiver.h"
#include "uvc/AiStatus.h"
#include "uvc/ButtonAction.h"
#include "uvc/CameraStatus.h"
#include "uvc/ProtocolMsg.h"
#include "uvc/UpgradeFileDownloadState.h"
#include "uvc/UpgradeFileUpState.h"
#include "uvc/UvcPreSetPosInfo.h"
#include "uvc/UvcCtrlSelector.h"
#include "uvc/UvcTiming.h"
#include "uvc/VideoControlUnits.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QRecursiveMutex>
#include <QSharedPointer>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>

namespace vesk {
namespace pc {

// One camera: the facade the windows call. It owns its parts (control
// transport, message channel, standard controls, identity, network calls,
// pictures) and forwards to them, and to the process's stream capture,
// whose frames it receives while it owns that; this thread runs the
// channel's passes.
// The other UvcDevice_*.cpp files hold its status and commands.
class UvcDevice : public QThread,
                  public MessageResult,
                  public PictureKinds,
                  public StreamReceiver
{
    Q_OBJECT
public:
    enum DevMode { DevModeUvc = 0, DevModeNet = 1, DevModeUvcUpgrade = 2 };
    enum GetMethod { GetMethodBlock = 0, GetMethodNonBlock = 1 };
    enum DevStatus { DevStatusResume = 1, DevStatusSleep = 3 };

    using CameraParamRange = StandardControls::CameraParamRange;

    // Extension-unit selectors; every transfer on them is 60 bytes.
    static constexpr int kXuUpgradeFileSelector = 1;
    static constexpr int kXuMessageSelector = MessageChannel::kMessageSelector;
    static constexpr int kXuStatusSelector = 6;
    static constexpr int kXuTransferLength = MessageChannel::kTransferLength;

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
    UvcTiming timing() const;
    void setTiming(const UvcTiming& timing);
    int interfaceNumber() const;
    VideoControlUnits units() const;
    ProtocolMsg& protocol() { return channel_.protocol(); }

    // The ports its parts use, and tests drive.
    ControlPort& controlPort() { return transport_; }
    MessagePort& messagePort() { return channel_; }

    // Class-specific requests: SET_CUR, and the GET request given by its code.
    // Bytes moved, or -1. The caller names the unit's kind: ids alone can
    // coincide, and a backend routes standard controls by kind.
    int controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t* data, int length,
                       int selector, int unitId);
    int setDataWithLengthSelectorUnitId(uint8_t* data, int length, int selector, UvcUnitKind kind,
                                        int unitId);
    int getDataByTypeLengthSelectorUnitId(uint8_t* data, int type, int length, int selector,
                                          UvcUnitKind kind, int unitId);
    // SET_CUR then GET_CUR on one selector with no other transfer between them.
    // The GET's byte count, or -1 when the SET did not move length bytes.
    int setThenGetWithLengthSelectorUnitId(uint8_t* setData, uint8_t* getData, int length,
                                           int selector, UvcUnitKind kind, int unitId);
    // The id of the unit of this kind, as the descriptors announced it.
    uint8_t unitIdFor(UvcUnitKind kind) const;
    // Held across a longer exchange that must not interleave with others.
    QRecursiveMutex* transferLock() { return transport_.transferLock(); }

    // The standard control table (UvcDevice_controls.cpp, run by StandardControls).
    bool controlIsAvailable(UvcCtrlSelectorType type) const;
    bool capabilitiesForControl(uint8_t* capabilities, UvcCtrlSelectorType type);
    bool getLowHighValueStepSizeDefaultValueForControl(UvcUTCtrlRequest* min, UvcUTCtrlRequest* max,
                                                       UvcUTCtrlRequest* res, UvcUTCtrlRequest* def,
                                                       UvcCtrlSelectorType type);
    bool getValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type);
    bool setValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type);

    // Message channel. The caller's frame is never changed: each send numbers
    // and prepares its own copy.
    ErrorType sendMsgSync(ProtocolMsg::FrmPacket& frame, QByteArray& response);
    ErrorType sendMsgSyncNonBlock(ProtocolMsg::FrmPacket& frame, QSharedPointer<QString> method,
                                  QObject* receiver);
    ErrorType sendMsgAsync(ProtocolMsg::FrmPacket& frame, bool needResponse);
    ErrorType sendMsgAsyncDirectly(ProtocolMsg::FrmPacket& frame);
    // Sleeps up to ms on the device thread; false once the camera closes.
    bool sleepPass(int ms) { return channel_.sleepPass(ms); }
    bool channelRunning() const { return channel_.channelRunning(); }
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
    QString getDevVersion();
    QByteArray getDevUuid();
    QJsonObject getDevInfo();
    QString getDevSn();
    bool initDev();
    bool isInited() const { return inited_; }
    // 1 newer firmware exists, 0 up to date, 2 latest version unknown.
    int isUpgradeNeeded(QString& info);
    int getProductType();
    bool is4K() const;
    QJsonObject getDevInfoForServer() const;

    QString sn() const;
    QByteArray uuid() const;
    QString devVersion() const;
    QString latestVersion() const;
    void setLatestVersion(const QString& version);
    QJsonObject devInfo() const;
    // The upgrade thread hands a camera object it opened again the info of
    // the one it replaces, which it cannot query in the upgrade system.
    void setDevInfo(const QJsonObject& info);
    QString devName() const;
    QString ipAddr() const;
    int socVersion() const;
    int upgradeNeeded() const;
    // The serial number as it may appear in a name or a path: letters,
    // digits, '-' and '_' only.
    static QString safeSerial(const QString& serial);

    // --- Network-mode services (UvcDevice_network.cpp, run by NetworkCalls) ---
    // In network mode HTTP requests to the camera's own server; in the other
    // modes the first two are protocol frames and the last two refuse. A
    // time-out, a broken reply or a status other than 200 is a failure.
    int reqDevChangeIpAddr(const QString& ip);  // 0 or -1
    int reqDevUpgrade();                        // 0 or -1
    // Stores the camera's log archive under {data}/log; 0 or -1, and a failed
    // download leaves no file.
    int getDevLogFile();
    QString lastLogFile() const;  // path of the last stored archive
    bool reqDevReboot();          // whether the request could start
    // --- end of network-mode services ---

    // --- Standard UVC controls (UvcDevice_controls.cpp, run by StandardControls) ---
    // Results 0 or -1; getters write their outputs only when every read has
    // succeeded, range readers only when all four values came back.
    int uvcFocusGet(bool& autoFocus, int& value);
    int uvcExposureGet(bool& autoExposure, int& value);
    int uvcBacklightCompensationControlGet(bool& autoOn, int& value);
    int uvcGainControlGet(bool& autoOn, int& value);
    int uvcWhiteBalanceTemperatureControlGet(bool& autoWb, int& value);
    int uvcBrightnessControlGet(int& value);
    int uvcContrastControlGet(bool& autoOn, int& value);
    int uvcSaturationControlGet(int& value);
    int uvcSharpnessControlGet(int& value);
    int uvcHueControlGet(bool& autoOn, int& value);
    int uvcPanTiltAbsoluteControlGet(int32_t& pan, int32_t& tilt);

    int uvcFocusSet(bool autoFocus, int value);
    int uvcExposureSet(bool autoExposure, int value);
    int uvcBacklightCompensationControlSet(bool unused, int value);
    int uvcGainControlSet(bool unused, int value);
    int uvcWhiteBalanceTemperatureControlSet(bool autoWb, int value);
    int uvcContrastControlSet(int value);
    int uvcSaturationControlSet(int value);
    int uvcSharpnessControlSet(int value);
    int uvcHueControlSet(int value);

    int uvcFocusRangeAbsGet(CameraParamRange& range);
    int uvcExposureRangeAbsGet(CameraParamRange& range);
    int uvcBacklightCompensationControlRangeGet(CameraParamRange& range);
    int uvcGainControlRangeGet(CameraParamRange& range);
    int uvcWhiteBalanceColorTemperatureControlRangeGet(CameraParamRange& range);
    int uvcContrastControlRangeGet(CameraParamRange& range);
    int uvcSaturationControlRangeGet(CameraParamRange& range);
    int uvcSharpnessControlRangeGet(CameraParamRange& range);
    int uvcHueControlRangeGet(CameraParamRange& range);

    // Pan/tilt ranges, cached on first use (0 means not read yet).
    using PanTiltRanges = StandardControls::PanTiltRanges;
    bool uvcPanTiltRangeAbsGet();
    bool uvcPanTiltRangeRelGet();
    PanTiltRanges panTiltRanges() const;
    // Absolute move: clamped to the cached range, scaled by 3600 in 64 bits.
    int uvcPanTiltAbsoluteControl(int32_t pan, int32_t tilt);
    // Relative move, each axis -1.0 .. 1.0 of the camera's top speed.
    int uvcPanTiltRelativeControl(double pan, double tilt);
    // --- end of standard UVC controls ---

    // --- Camera parameter records ---
    // Each setter writes one 60-byte record (id, data length, data) on
    // extension-unit selector 6; the camera reports the values back in its
    // status block. Results 0 or -1.
    enum MediaMode { MediaModeNormal = 0, MediaModeVirtualBg = 1, MediaModeAutoFraming = 2 };
    enum MediaBgMode { MediaBgGreenScreen = 1, MediaBgReplace = 17, MediaBgBlur = 18 };
    enum MediaBgModeColorType { MediaBgColorBlue = 0, MediaBgColorGreen = 1 };
    static constexpr int kXuParamRecordSelector = 6;

    int cameraSetMediaMode(MediaMode mode);
    int cameraSetHdr(bool on);
    int cameraSetFaceAE(int on);
    int cameraSetFov(int fov);
    int cameraSetBgMode(MediaBgMode mode);
    int cameraSetMaskLevel(int level);  // clamped to 0..100
    int cameraSetButtonMode(int mode);
    int cameraSetCustomizeButtonAction(ButtonAction action);
    int cameraSetNoiseCancellation(int on);
    // Seconds before automatic sleep; negative keeps the delay but turns it off.
    int cameraSetSuspendTime(int seconds);
    int cameraSetVerticalMode(int mode);
    int cameraSetAutoFramingMode(int8_t mode, int8_t size);
    int cameraSetImageReplace(int operation, int index);
    int cameraSetBgColor(MediaBgModeColorType color);
    int cameraSetBgEnable(bool enable);  // the record carries the inverse
    int cameraSetPortraitMode(int mode);
    // Face focus travels as message frames, not as a record.
    int cameraSetFaceFocus(bool on);
    // Blocking: the camera's face-focus byte, 0 when the exchange fails, -1
    // when refused. GetMethodNonBlock: the send result; the receiver's method
    // gets the byte later.
    int cameraGetFaceFocus(QSharedPointer<QString> method = {}, QObject* receiver = nullptr,
                           GetMethod getMethod = GetMethodBlock);
    // --- end of camera parameter records ---

    // --- Upgrade transfer selectors ---
    // Raw 60-byte blocks for the upgrade thread, which runs them while the
    // camera is in upgrade mode: no guards. A short transfer is a failure,
    // and a failed read leaves the caller's block or record untouched.
    bool transFileStart(const uint8_t* record);                   // selector 1
    int transFileTransStateGet(UpgradeFileUpState* state);        // selector 1, 0 or -1
    bool ugSyscall(const uint8_t* block);                         // selector 3, one shell line
    // The same for a line given as text; a line that does not fit (more
    // than 59 characters) is refused, not cut.
    bool ugSyscall(const QByteArray& line);
    bool fileDownloadReq(const uint8_t* record);                  // selector 4
    bool fileDownloadStateGet(UpgradeFileDownloadState* state);   // selector 4
    bool ugUpCmd(const uint8_t* record);                          // selector 5
    bool ugUpCmdState(uint8_t* block);                            // selector 5
    int transFileTrans(const uint8_t* record);                    // selector 6, 0 or -1
    bool transFileMagicGet(uint8_t* block);                       // selector 6
    uint32_t getUpgradeProgramVer();                              // selector 7, 0 on failure
    // --- end of upgrade transfer selectors ---

    // --- AI and gimbal commands (UvcDevice_ai.cpp) ---
    // Results 0 or -1; getters write their outputs only on full success.
    int aiSetGestureCtrlIndividual(int gesture, bool on);
    int aiSetTrackingMode(int mode);
    // Blocking fills status; GetMethodNonBlock hands the reply to the receiver's
    // method (int, int, int, int, float) later and returns the send result.
    int aiGetAiStatus(AiStatus* status, QSharedPointer<QString> method = {},
                      QObject* receiver = nullptr, GetMethod getMethod = GetMethodBlock);
    int aiSetGestureZoomFactor(float factor);
    int aiSetButtonSwitchForKo(bool on);
    int aiGimbalSpeedCtrl(double first, double second);
    int aiSetGimbalBootPos(float first, float second, float third, float fourth);
    int aiGetGimbalBootPos(float& first, float& second, float& third, float& fourth);
    int aiTrgGimbalBootPos();
    int aiSetEnabled(bool enabled);
    int gimbalGetAttitudeInfo(int16_t& x, int16_t& y, int16_t& z);
    int gimbalSpeedCtrl(double first, double second);
    // Target position of the three axes, and their speeds as fractions of 1.0.
    int gimbalSetSpeedPosition(int16_t x, int16_t y, int16_t z, double speedX, double speedY,
                               double speedZ);
    int gimbalLock(bool lock);
    // Switches on extension-unit selectors 3 to 6.
    int aiSetTargetSelect(bool on);
    int aiGetTargetSelect(bool& on);
    int aiSetGestureCtrl(bool on);
    int aiGetGestureCtrl(bool& on);
    int aiSetGimbalLock(bool lock);
    int aiGetGimbalLock(bool& lock);
    int gimbalReset();
    // --- end of AI and gimbal commands ---

    // --- Gimbal presets (UvcDevice_presets.cpp) ---
    // Transfers on extension-unit selector 7; 0 or -1. A name longer than 49
    // bytes is refused before sending. A get of a preset the camera does not
    // have gives 0 and sets only the id, to 255; on -1 the record is untouched.
    int presetPositionAdd(UvcPreSetPosInfo* info);
    int presetPositionRemove(uint8_t id);
    int presetPositionTrigger(uint8_t id);
    int presetPositionGet(uint8_t id, UvcPreSetPosInfo* info);
    // --- end of gimbal presets ---

    // --- Camera commands (UvcDevice_camera.cpp) ---
    // Zoom and focus ranges of the standard controls, read once and cached;
    // a minimum above the maximum is refused.
    bool cameraZoomRangeGet();
    bool cameraFocusRangeGet();
    // Method 1: vendor frame with ratio × 1000. Otherwise the standard zoom,
    // ratio 1.0 to 2.0 over the camera's range, held inside that range.
    int cameraSetZoomRatio(double ratio, int16_t speed, int method);
    // 1.0 to 2.0, the current value held inside the range (1.0 for a range of
    // one position); -1.0 on failure.
    double cameraGetZoomRatio();
    int normalizedZoom(int value);  // a raw zoom value as 0 to 100 of the range
    int cameraSetAutoFocus(bool on);
    int cameraGetAutoFocus();  // the control's byte, or -1
    int cameraSetFocusRatio(int percentage);  // held at 0 to 100
    // 0 to 100 of the focus range, the current value held inside it (0 for a
    // range of one position); *autoFocus written only on success.
    int cameraGetFocusRatio(uint8_t* autoFocus);
    int cameraSetAntiFlicker(int mode);  // 0 off, 1 50 Hz, 2 60 Hz
    int cameraGetAntiFlicker();
    // Waits for the camera's answer: kResetConfirmed once it confirmed,
    // kResetUnanswered when the frame reached it but no answer came (a camera
    // that restarts may not answer), -1 when refused, never written or
    // answered with an error.
    static constexpr int kResetConfirmed = 0;
    static constexpr int kResetUnanswered = 1;
    int cameraRestoreFactorySettings();
    int cameraSetDevRunStatus(DevStatus status);
    // Blocking fills *status; GetMethodNonBlock hands the first reply byte to
    // the receiver's method (int) later and returns the send result.
    int cameraGetDevRunStatus(int* status, QSharedPointer<QString> method = {},
                              QObject* receiver = nullptr, GetMethod getMethod = GetMethodBlock);
    // The camera's first reply byte (signed), or -1.
    int cameraIndicateUpgrade();
    int setUgMode(uint8_t mode);
    // Two shell lines that gather the camera's logs; 0 when both were sent,
    // -1 when a guard refused or a line could not be sent (both are tried).
    int cameraPrepareLog();
    // A shell text frame (command 0x11CD) carrying one line of at most 46
    // characters; a longer line is refused, never cut.
    static bool makeShellFrame(const QByteArray& line, ProtocolMsg::FrmPacket& frame);
    // --- end of camera commands ---

    // --- Picture transfers (UvcDevice_pictures.cpp, run by PictureTransfers) ---
    // The camera's three pictures; the kinds, results and limits are those
    // of PictureKinds.
    // True when type is one single kind of the family; it then runs on a
    // later pass of the device thread.
    bool startFileDownloadAsync(ImageTransType type);
    bool startFileUploadAsync(ImageTransType type);
    unsigned pendingTransfers() const;
    // Thumbnail bits whose question is answered (fetched, unchanged, or no
    // picture); a failed download leaves its bit clear so it is asked again.
    unsigned settledThumbnails() const;
    // Run on the device thread; callable directly while nothing else uses
    // selectors 3 and 4.
    int fileDownloadByUvc(const QString& localPath, const QString& deviceFile, bool thumbnail);
    bool fileUploadByUvc(const QString& localPath, const QString& deviceFile);
    // Local files, slot 0 to 2; the main window fills them on selection.
    void setThumbnailPath(int slot, const QString& path);
    QString thumbnailPath(int slot) const;
    void setFullPicturePath(int slot, const QString& path);
    QString fullPicturePath(int slot) const;
    // The local file that a kind writes or reads (empty for no single kind).
    QString localPathFor(ImageTransType type) const;
    // --- end of picture transfers ---

    // --- Stream capture (UvcDevice_capture.cpp) ---
    // Files come back from the camera inside video frames. One capture exists
    // in the process at a time: opening one closes any other camera's.
    enum ImageFormat { ImageFormatMjpeg = 0, ImageFormatYuyv = 1 };  // 1280x720 / 640x360
    // The capture's unique id: "0x" and location, vendor and product in hex.
    QString getLocationId() const;
    uint32_t captureFormats();  // bit 0 motion JPEG 1280x720, bit 1 YUV 640x360, at 30 fps
    bool initAvCapture(ImageFormat format);
    bool streamActivate(ImageFormat format);
    void streamDeactivate();
    // Returns when no frame of this camera can arrive any more.
    void deinitAvCapture();
    // True when another program holds the stream, or the camera has no capture.
    bool streamIsOccupied();
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
    void pollStatus();
    // One queued picture transfer, the lowest kind first: forwards to the
    // pictures part for the device thread's pass.
    void runPictureTransfer();

    // Identity: the guard and the mode around the identity part.
    bool identityQueryAllowed() const;
    bool viaNetwork() const;
    DeviceIdentity::NetworkQueries networkQueries();

    // --- Network-mode services (private) ---
    QString netDevVersion();
    QByteArray netDevUuid();
    QJsonObject netDevInfo();
    int changeIpAddr(const QString& ip);  // initDev's road: no inited guard
    // --- end of network-mode services (private) ---

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

    // --- Camera commands (state) ---
    // Cached ranges; a maximum of 0 means not read yet.
    bool zoomRangeKnown();
    bool focusRangeKnown();
    std::atomic<int64_t> zoomMin_{0};
    std::atomic<int64_t> zoomMax_{0};
    std::atomic<int64_t> focusMin_{0};
    std::atomic<int64_t> focusMax_{0};
    // --- end of camera commands (state) ---

    // --- Standard UVC controls (state) ---
    StandardControls controls_;
    // --- end of standard UVC controls (state) ---

    DeviceIdentity identity_;
    NetworkCalls network_;

    mutable QMutex statusMutex_;
    CameraStatus cachedStatus_;

    // --- Picture transfers (state) ---
    PictureTransfers pictures_;
};

} // namespace pc
} // namespace vesk
