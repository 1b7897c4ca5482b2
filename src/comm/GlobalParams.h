#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class QSettings;
class QVariant;

namespace vesk {
namespace pc {

// The process-wide parameter store: every persistent setting of the settings
// ini as a public member, the remembered cameras, the pool of camera addresses
// for network mode, and the firmware identities sent to the query server.
//
// Members are read and assigned directly; an assignment reaches the ini with
// the next saveParams(). Record and pool operations take the store's lock, so
// any thread may call them.
class GlobalParams : public QObject
{
    Q_OBJECT

public:
    // Kind of an upgrade-progress report, as the camera numbers it.
    enum UgProgressEnum : int32_t {
        UgStart = 0,
        UgStep = 1,
        UgError = 2,
        UgSuccess = 3,
        UgFailure = 4,
    };
    Q_ENUM(UgProgressEnum)

    // One preset position; kept in memory only.
    struct PrePosParam
    {
        int16_t pan = 0;   // hundredths of a degree
        int16_t tilt = 0;  // hundredths of a degree
        uint16_t aux = 0;
        QString name;
        double zoom = 1.0;
        bool used = false;
    };

    // One remembered camera, keyed by its serial number.
    struct DevInfo
    {
        QString dev_name;
        QString dev_sn;
        int64_t dev_time = 0;  // seconds since the epoch, when first added
        uint32_t focus_mode = 0;
        QString img_mini[3];
        QString img_preview[3];
        PrePosParam prepos[3];
    };

    // One entry of the address pool. owner is null when nobody holds or
    // reserves the address.
    struct IpAddrInfo
    {
        QString ip;
        bool inUse = false;
        QByteArray owner;
        int idleMs = 0;
        bool existed = false;  // the subnet was already local when the pool was built

        // existed is deliberately not compared.
        bool operator==(const IpAddrInfo& other) const;
    };

    static constexpr int kMaxDevInfos = 10;        // records kept when adding
    static constexpr int kMaxLoadedDevInfos = 64;  // records read from the ini
    static constexpr int kIpPoolSize = 20;

    // The single instance on the real data and installed paths.
    static GlobalParams& get();

    // dataIni is where the settings are read and saved; defaultIni is the
    // installed default, read (never written) when dataIni does not exist.
    GlobalParams(const QString& dataIni, const QString& defaultIni);
    ~GlobalParams() override;  // saves

    // Writes every read-write key and syncs; false (and logged) on failure.
    bool saveParams();
    // Where a settings file that could not be read was kept aside, when
    // this store replaced it; empty when the file was read (or missing).
    QString keptAsidePath() const { return keptAside_; }

    QJsonObject getProductInfo() const;
    void setProductInfo(const QJsonObject& info);
    static QString getPcSoftwareVer();
    QJsonObject getPcSoftwareInfo() const;

    // Camera records.
    void addOneDevInfo(const QString& name, const QString& sn);
    void setDevName(const QString& name, const QString& sn);
    void setDevFocusMode(unsigned int mode, const QString& sn);  // not saved here
    unsigned int getDevFocusMode(const QString& sn) const;
    DevInfo getDevInfo(const QString& sn) const;  // ignores letter case
    PrePosParam getPreposParam(const QString& sn, int index) const;
    void setPreposParam(const QString& sn, const PrePosParam& param, int index);
    QList<DevInfo> devInfos() const;
    static void printDevInfo(const DevInfo& info);

    // Address pool.
    QString applyForAnIpAddr(const QByteArray& devId, bool inUse);
    void releaseAnIpAddr(const QString& ip);
    void deleteAnIpAddr(const QString& ip);
    void updateGlobalParams();  // one ageing tick of 500 ms
    IpAddrInfo getLocalJustAddedIp() const;
    QList<IpAddrInfo> getLocalJustRemovedIps() const;
    QList<IpAddrInfo> ipPool() const;

    // An ini value as text (a value with commas comes back from QSettings as a
    // list); def when the key is missing.
    static QString iniTextFor(const QVariant& value, const QString& def);
    // An ini value as a 64-bit whole number: def when missing, 0 when no number.
    static qint64 iniNumberFor(const QVariant& value, qint64 def);

    // Settings. Defaults live in the key table of GlobalParams.cpp.
    QString fw_query_url;
    QString log_server_host;
    QString host_ip;
    QString host_ip_prefix;
    int host_ip_seg_start = 0;
    int host_ip_seg_end = 0;
    uint16_t host_port = 0;
    uint16_t device_port = 0;
    QString branch;
    QString platform;
    QString product;
    QString seqid;
    QString status;
    QString version;
    int upgrade_method = 0;  // read only
    double preset_speed_ref = 0.0;
    double ctrl_speed_ref = 0.0;
    int language_type = -1;
    QString pc_branch;
    QString pc_platform;
    QString pc_seqid;  // always the machine's unique id; written, never read
    QString pc_status;
    bool pc_macos_monterey = false;
    bool auto_framing_tips = false;
    bool remote_ctrl_tips = false;
    bool pc_virtual_bg = false;
    int ug_info_type = 0;  // read only
    QString font;          // read only
    int shortcut_range = 0;
    bool shortcut_ext = false;
    bool fallback_enable = false;

signals:
    // Emitted by the local HTTP server for each progress report of a camera.
    void devUpgradeProgress(GlobalParams::UgProgressEnum type, QString uuid, QString msg);

private:
    Q_DISABLE_COPY(GlobalParams)

    void openSettings(const QString& defaultIni);
    void copyInstalledDefault(const QString& defaultIni) const;
    void keepCorruptAside();
    void initParams(QSettings& source);
    void loadDevInfos(QSettings& source);
    void saveDevInfos(QSettings& target) const;
    bool syncSettings();
    int indexOfSn(const QString& sn, Qt::CaseSensitivity cs) const;
    void initIpPool();

    mutable QRecursiveMutex mutex_;
    QString iniPath_;
    QString keptAside_;
    std::unique_ptr<QSettings> settings_;
    QList<IpAddrInfo> ipPool_;
    QList<DevInfo> devInfos_;
};

} // namespace pc
} // namespace vesk
