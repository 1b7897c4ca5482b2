#pragma once

#include "platform/CameraHandle.h"
#include "uvc/CameraStatus.h"
#include "uvc/ProtocolMsg.h"
#include "uvc/UvcCtrlSelector.h"
#include "uvc/UvcTiming.h"
#include "uvc/VideoControlUnits.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QRecursiveMutex>
#include <QSharedPointer>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <cstdint>

namespace vesk {
namespace pc {

class ReplyRelay;

// One camera: its control transport, its send queue with the device thread
// that moves message frames, and (in the other UvcDevice_*.cpp files) its
// status, identity and commands.
class UvcDevice : public QThread
{
    Q_OBJECT
public:
    enum DevMode { DevModeUvc = 0, DevModeNet = 1, DevModeUvcUpgrade = 2 };
    enum ErrorType {
        ErrSuccess = 0,
        ErrNetModeNotSupported = 1,
        ErrDevNotOpen = 2,
        ErrDataTooLong = 3,
        ErrDirectWriteFailed = 4,
        ErrNoReply = 5,
        ErrErrorReply = 6,
    };
    enum GetMethod { GetMethodBlock = 0, GetMethodNonBlock = 1 };
    enum DevStatus { DevStatusResume = 1, DevStatusSleep = 3 };

    struct CameraParamRange
    {
        int64_t min = 0;
        int64_t max = 0;
        int64_t step = 0;
        int64_t def = 0;
    };

    // Extension-unit selectors; every transfer on them is 60 bytes.
    static constexpr int kXuUpgradeFileSelector = 1;
    static constexpr int kXuMessageSelector = 2;
    static constexpr int kXuStatusSelector = 6;
    static constexpr int kXuTransferLength = 60;

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
    bool isOpen() const { return interfaceOpen_; }

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
    ProtocolMsg& protocol() { return protocol_; }

    // Class-specific requests: SET_CUR, and the GET request given by its code.
    // Bytes moved, or -1.
    int setDataWithLengthSelectorUnitId(uint8_t* data, int length, int selector, int unitId);
    int getDataByTypeLengthSelectorUnitId(uint8_t* data, int type, int length, int selector, int unitId);
    // SET_CUR then GET_CUR on one selector with no other transfer between them.
    // The GET's byte count, or -1 when the SET did not move length bytes.
    int setThenGetWithLengthSelectorUnitId(uint8_t* setData, uint8_t* getData, int length,
                                           int selector, int unitId);
    // Held across a longer exchange that must not interleave with others.
    QRecursiveMutex* transferLock() { return &transferLock_; }

    // The standard control table.
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
    int queuedCount() const;

    // Status block.
    bool getCameraStatus(CameraStatus& status);
    CameraStatus cachedStatus() const;
    int statusPollCounter() const { return statusPollCounter_; }
    void setStatusPollCounter(int value) { statusPollCounter_ = value; }
    bool statusReportEnabled() const { return statusReport_; }
    void setStatusReportEnabled(bool enabled) { statusReport_ = enabled; }

    // Identity. The queries refuse to run before initDev has succeeded; initDev
    // runs them itself. In network mode they need the camera's HTTP services.
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
    QString devName() const;
    QString ipAddr() const;
    int socVersion() const;
    int upgradeNeeded() const;
    // The serial number as it may appear in a name or a path: letters,
    // digits, '-' and '_' only.
    static QString safeSerial(const QString& serial);

signals:
    void devStateUpdate(vesk::pc::CameraStatus status);
    void fileDownloadDone(unsigned int type, int result);

protected:
    void run() override;

private:
    struct WaitRecord
    {
        QMutex mutex;
        QWaitCondition condition;
        bool done = false;
        int result = 0;
        QByteArray data;
    };

    struct SendPacket
    {
        QByteArray frame;  // wire form, the frame's length of bytes
        int length = 0;
        uint16_t sequence = 0;
        bool sent = false;
        QByteArray* response = nullptr;  // blocking sends only
        WaitRecord* waiter = nullptr;    // blocking sends only
        bool hasReceiver = false;        // non-blocking sends only
        QPointer<QObject> receiver;
        QSharedPointer<QString> method;
        QSharedPointer<ReplyRelay> relay;
        int polls = 0;
    };

    // Transport.
    int controlRequest(UvcRequest request, uint8_t* data, int length, int selector, int unitId);
    UvcUnitKind unitKindOf(int unitId) const;
    uint8_t unitIdFor(UvcUnitKind kind) const;
    bool validControl(UvcCtrlSelectorType type) const;

    // Queue.
    ErrorType checkBeforeSend(const ProtocolMsg::FrmPacket& frame, bool direct) const;
    SendPacket prepareEntry(const ProtocolMsg::FrmPacket& frame, uint8_t flagsToSet,
                            uint8_t flagsToClear);
    bool waitForReply(WaitRecord& waiter, int timeoutMs) const;
    void markForResend(const WaitRecord* waiter);
    void takeOutEntry(const WaitRecord* waiter);
    bool sleepPass(int ms);
    void onePass();
    void txOnePacket();
    void rx_msg();
    bool readIsDue();
    void deliverReply(uint8_t* block);
    void parseRecvData(const ProtocolMsg::FrmPacket& reply, const SendPacket& entry);
    void pollStatus();

    // Identity.
    struct Identity
    {
        QString name;
        QString ip;
        QString version;
        QString latestVersion;
        QString sn;
        QByteArray uuid;
        QJsonObject info;
        int socVersion = 0;
        int upgradeNeeded = 2;
    };
    Identity identity() const;
    bool identityQueryAllowed() const;
    bool netRoadMissing() const;
    bool queryIdentity(uint16_t command, QByteArray* data);
    QString queryDevVersion();
    QByteArray queryDevUuid();
    QJsonObject queryDevInfo();
    QString queryDevSn();
    bool waitForNetAddress();
    int reqDevChangeIpAddr(const QString& ip);
    bool takeIdentity(const QByteArray& uuid, const QString& version, const QJsonObject& info);

    QSharedPointer<CameraHandle> device_;
    int64_t locationId_ = -1;
    uint16_t vendorId_ = 0;
    uint16_t productId_ = 0;
    std::atomic<int> mode_;
    std::atomic<bool> interfaceOpen_{false};
    std::atomic<bool> running_{true};
    std::atomic<int> systemType_{0};
    std::atomic<int> statusPollCounter_{0};
    std::atomic<bool> statusReport_{false};
    std::atomic<int> productType_{5};
    std::atomic<bool> inited_{false};

    mutable QMutex stateMutex_;  // timing, units, interface number
    UvcTiming timing_;
    VideoControlUnits units_;
    int interfaceNumber_ = 0;

    QRecursiveMutex transferLock_;
    ProtocolMsg protocol_;
    mutable QRecursiveMutex queueMutex_;
    QList<SendPacket> queue_;

    QMutex passMutex_;  // lets close cut a pass's sleep short
    QWaitCondition passCondition_;

    mutable QMutex identityMutex_;
    Identity identity_;

    mutable QMutex statusMutex_;
    CameraStatus cachedStatus_;
};

} // namespace pc
} // namespace vesk
