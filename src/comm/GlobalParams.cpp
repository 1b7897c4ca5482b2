#include "comm/GlobalParams.h"

#include "comm/AppPaths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonValue>
#include <QRegularExpression>
#include <QSettings>
#include <QSysInfo>
#include <QVariant>

#include <climits>
#include <cmath>
#include <variant>
#include <vector>

namespace vesk {
namespace pc {

namespace {

using GP = GlobalParams;
using Member = std::variant<QString GP::*, int GP::*, uint16_t GP::*, double GP::*, bool GP::*>;

enum KeyFlag {
    kReadWrite = 0,
    kReadOnly = 1,   // loaded, never saved: the file keeps the user's text
    kBoolAsInt = 2,  // saved as 0 or 1 rather than false or true
};

using TextCheck = bool (*)(const QString&);

// One key of the settings ini. Whole numbers outside [min, max], and texts
// that their check refuses, cannot work and fall back to the default.
struct KeyDef
{
    KeyDef(const char* g, const char* k, QString GP::*m, const char* d, int f = kReadWrite)
        : group(g), key(k), member(m), def(QString::fromLatin1(d)), flags(f) {}
    KeyDef(const char* g, const char* k, QString GP::*m, const char* d, TextCheck c)
        : group(g), key(k), member(m), def(QString::fromLatin1(d)), check(c) {}
    KeyDef(const char* g, const char* k, int GP::*m, int d, qint64 lo = INT_MIN, qint64 hi = INT_MAX,
           int f = kReadWrite)
        : group(g), key(k), member(m), def(d), min(lo), max(hi), flags(f) {}
    KeyDef(const char* g, const char* k, uint16_t GP::*m, int d)
        : group(g), key(k), member(m), def(d), min(1), max(65535) {}
    KeyDef(const char* g, const char* k, double GP::*m, double d)
        : group(g), key(k), member(m), def(d) {}
    KeyDef(const char* g, const char* k, bool GP::*m, bool d, int f = kReadWrite)
        : group(g), key(k), member(m), def(d), flags(f) {}

    QString path() const { return QLatin1String(group) + QLatin1Char('/') + QLatin1String(key); }

    const char* group;
    const char* key;
    Member member;
    QVariant def;
    qint64 min = INT_MIN;
    qint64 max = INT_MAX;
    int flags = kReadWrite;
    TextCheck check = nullptr;
};

// The first two octets of the pool's addresses, each followed by a dot
// ("192.168."): the pool appends the third octet, so anything else would
// put other text into the camera URLs.
bool isTwoOctetPrefix(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:(?:25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])\\.){2}$"));
    return form.match(text).hasMatch();
}

KeyDef readOnly(KeyDef def)
{
    def.flags |= kReadOnly;
    return def;
}

const std::vector<KeyDef>& keyTable()
{
    static const std::vector<KeyDef> table = {
        {"cloud_server", "fw_query_url", &GP::fw_query_url,
         "http://firmware.kestro.invalid:10010/firmware/dev_query/"},
        {"cloud_server", "log_server_host", &GP::log_server_host, "log.kestro.invalid"},
        {"local_server", "host_ip", &GP::host_ip, "192.168.88.20"},
        {"local_server", "host_ip_prefix", &GP::host_ip_prefix, "192.168.", &isTwoOctetPrefix},
        {"local_server", "host_ip_seg_end", &GP::host_ip_seg_end, 128, 0, 255},
        {"local_server", "host_ip_seg_start", &GP::host_ip_seg_start, 89, 0, 255},
        {"local_server", "host_port", &GP::host_port, 10086},
        {"product_info", "device_port", &GP::device_port, 10086},
        {"product_info", "branch", &GP::branch, "OA_E"},
        {"product_info", "platform", &GP::platform, "Hi3516DV300"},
        {"product_info", "product", &GP::product, "Kestro_zuki_2P"},
        {"product_info", "seqid", &GP::seqid, ""},
        {"product_info", "status", &GP::status, "debug"},
        {"product_info", "version", &GP::version, "0.0.0.0"},
        {"gimbal_ctrl", "preset_speed_ref", &GP::preset_speed_ref, 20.0},
        {"gimbal_ctrl", "ctrl_speed_ref", &GP::ctrl_speed_ref, 30.0},
        {"language", "language_type", &GP::language_type, -1, -1, 5},
        {"software_pc", "pc_branch", &GP::pc_branch, "OA_E"},
        {"software_pc", "pc_platform", &GP::pc_platform, "Win_x64"},
        {"software_pc", "pc_status", &GP::pc_status, "release"},
        {"software_pc", "pc_macos_monterey", &GP::pc_macos_monterey, false},
        {"software_pc", "auto_framing_tips", &GP::auto_framing_tips, false},
        {"software_pc", "remote_ctrl_tips", &GP::remote_ctrl_tips, false},
        {"software_pc", "pc_virtual_bg", &GP::pc_virtual_bg, true},
        readOnly({"others", "upgrade_method", &GP::upgrade_method, 0}),
        readOnly({"others", "ug_info_type", &GP::ug_info_type, 0}),
        readOnly({"others", "font", &GP::font, "SourceHanSansCN-Bold.otf"}),
        {"others", "shortcut_range", &GP::shortcut_range, 0},
        {"others", "shortcut_ext", &GP::shortcut_ext, false, kBoolAsInt},
        {"others", "fallback_enable", &GP::fallback_enable, true},
    };
    return table;
}

const char* const kPcSeqidKey = "software_pc/pc_seqid";
const int kPcSoftwareVer[4] = {1, 0, 5, 4};

// The firmware identity of the selected camera, as JSON key and member.
const struct
{
    const char* name;
    QString GP::*member;
} kProductKeys[] = {
    {"product", &GP::product}, {"branch", &GP::branch}, {"platform", &GP::platform},
    {"status", &GP::status},   {"version", &GP::version}, {"seqid", &GP::seqid},
};

bool flagFromText(const QString& text)
{
    const QString t = text.trimmed();
    return !(t.isEmpty() || t == QLatin1String("0") || t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0);
}

template <typename T>
T boundedNumber(qint64 value, const KeyDef& def)
{
    if (value >= def.min && value <= def.max)
        return static_cast<T>(value);
    qWarning() << "Setting" << def.path() << "=" << value << "cannot work; using" << def.def.toInt();
    return static_cast<T>(def.def.toInt());
}

QString checkedText(const QString& text, const KeyDef& def)
{
    if (!def.check || def.check(text))
        return text;
    qWarning() << "Setting" << def.path() << "=" << text << "cannot work; using" << def.def.toString();
    return def.def.toString();
}

// Converts what the file holds (invalid when the key is missing) into a member.
struct Loader
{
    const KeyDef& def;
    const QVariant& stored;

    void operator()(QString& out) const
    {
        out = checkedText(GP::iniTextFor(stored, def.def.toString()), def);
    }
    void operator()(int& out) const { out = boundedNumber<int>(GP::iniNumberFor(stored, def.def.toInt()), def); }
    void operator()(uint16_t& out) const
    {
        out = boundedNumber<uint16_t>(GP::iniNumberFor(stored, def.def.toInt()), def);
    }
    void operator()(double& out) const
    {
        out = def.def.toDouble();
        if (!stored.isValid())
            return;
        bool ok = false;
        const double v = GP::iniTextFor(stored, QString()).trimmed().toDouble(&ok);
        if (!ok)
            out = 0.0;
        else if (std::isfinite(v))
            out = v;
        else
            qWarning() << "Setting" << def.path() << "is not finite; using" << out;
    }
    void operator()(bool& out) const
    {
        out = stored.isValid() ? flagFromText(GP::iniTextFor(stored, QString())) : def.def.toBool();
    }
};

QVariant toStored(const QString& v, const KeyDef&) { return v; }
QVariant toStored(int v, const KeyDef&) { return v; }
QVariant toStored(uint16_t v, const KeyDef&) { return int(v); }
QVariant toStored(double v, const KeyDef&) { return v; }
QVariant toStored(bool v, const KeyDef& def)
{
    return (def.flags & kBoolAsInt) ? QVariant(v ? 1 : 0) : QVariant(v);
}

} // namespace

GlobalParams& GlobalParams::get()
{
    static GlobalParams instance(
        AppPaths::dataPath(QLatin1String("config/") + QLatin1String(AppPaths::kSettingsIni)),
        AppPaths::installPath(QLatin1String("config/") + QLatin1String(AppPaths::kSettingsIni)));
    return instance;
}

GlobalParams::GlobalParams(const QString& dataIni, const QString& defaultIni)
    : QObject(nullptr), iniPath_(dataIni)
{
    QMutexLocker lock(&mutex_);
    openSettings(defaultIni);
    qRegisterMetaType<GlobalParams::UgProgressEnum>("GlobalParams::UgProgressEnum");
    initIpPool();
}

GlobalParams::~GlobalParams()
{
    QMutexLocker lock(&mutex_);
    saveParams();
    ipPool_.clear();
}

QString GlobalParams::iniTextFor(const QVariant& value, const QString& def)
{
    if (!value.isValid())
        return def;
    // Unquoted commas make QSettings split the text; join it the way Qt writes it.
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

qint64 GlobalParams::iniNumberFor(const QVariant& value, qint64 def)
{
    if (!value.isValid())
        return def;
    bool ok = false;
    const qint64 n = iniTextFor(value, QString()).trimmed().toLongLong(&ok);
    return ok ? n : 0;
}

// Reads from the data copy when there is one (making it from the installed
// default if need be) and always saves to the data copy.
void GlobalParams::openSettings(const QString& defaultIni)
{
    if (!QFileInfo::exists(iniPath_))
        copyInstalledDefault(defaultIni);
    const bool fromData = QFileInfo::exists(iniPath_);
    std::unique_ptr<QSettings> source(new QSettings(fromData ? iniPath_ : defaultIni, QSettings::IniFormat));
    source->allKeys();  // parses every section now, so format errors show in status()
    const bool unreadable = source->status() != QSettings::NoError;
    if (unreadable)
        qWarning() << "Settings file unreadable:" << source->fileName() << source->status()
                   << "- loading what could be read";
    initParams(*source);
    if (fromData && !unreadable) {
        settings_ = std::move(source);
        return;
    }
    source.reset();
    if (fromData)
        keepCorruptAside();
    settings_.reset(new QSettings(iniPath_, QSettings::IniFormat));
}

void GlobalParams::copyInstalledDefault(const QString& defaultIni) const
{
    if (!QFileInfo::exists(defaultIni)) {
        qDebug() << "No settings file at" << iniPath_ << "nor" << defaultIni << "- using defaults";
        return;
    }
    const QString dir = QFileInfo(iniPath_).absolutePath();
    if (!QDir().mkpath(dir) || !AppPaths::copyToData(defaultIni, iniPath_))
        qWarning() << "Cannot copy" << defaultIni << "to" << iniPath_ << "- reading the installed default";
}

// The unreadable file stays for the user to inspect; the next save writes a
// fresh one in its place.
void GlobalParams::keepCorruptAside()
{
    const QString corrupt = iniPath_ + QLatin1String(".corrupt");
    if (QFileInfo::exists(corrupt))
        QFile::remove(corrupt);
    if (QFile::rename(iniPath_, corrupt)) {
        qWarning() << "Unreadable settings kept as" << corrupt;
        keptAside_ = corrupt;
    } else {
        qCritical() << "Cannot keep the unreadable settings aside as" << corrupt;
    }
}

void GlobalParams::initParams(QSettings& source)
{
    for (const KeyDef& def : keyTable()) {
        const QVariant stored = source.value(def.path());
        std::visit([&](auto member) { Loader{def, stored}(this->*member); }, def.member);
    }
    loadDevInfos(source);
    pc_seqid = QString::fromUtf8(QSysInfo::machineUniqueId());
}

bool GlobalParams::saveParams()
{
    QMutexLocker lock(&mutex_);
    const QString dir = QFileInfo(iniPath_).absolutePath();
    if (!QDir().mkpath(dir)) {
        qCritical() << "Cannot create the settings directory" << dir << "- settings not saved";
        return false;
    }
    QSettings& target = *settings_;
    for (const KeyDef& def : keyTable()) {
        if (def.flags & kReadOnly)
            continue;
        std::visit([&](auto member) { target.setValue(def.path(), toStored(this->*member, def)); },
                   def.member);
    }
    target.setValue(QLatin1String(kPcSeqidKey), pc_seqid);
    saveDevInfos(target);
    return syncSettings();
}

bool GlobalParams::syncSettings()
{
    settings_->sync();
    if (settings_->status() == QSettings::NoError)
        return true;
    qCritical() << "Saving the settings to" << iniPath_ << "failed:" << settings_->status();
    // QSettings keeps its first error for good; a fresh object lets the next
    // save report for itself.
    settings_.reset(new QSettings(iniPath_, QSettings::IniFormat));
    return false;
}

QJsonObject GlobalParams::getProductInfo() const
{
    QMutexLocker lock(&mutex_);
    QJsonObject info;
    for (const auto& key : kProductKeys)
        info.insert(QLatin1String(key.name), this->*key.member);
    info.insert(QStringLiteral("pkg_type"), 1);
    return info;
}

void GlobalParams::setProductInfo(const QJsonObject& info)
{
    QMutexLocker lock(&mutex_);
    for (const auto& key : kProductKeys)
        this->*key.member = info.value(QLatin1String(key.name)).toString();
}

QString GlobalParams::getPcSoftwareVer()
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(kPcSoftwareVer[0])
        .arg(kPcSoftwareVer[1])
        .arg(kPcSoftwareVer[2])
        .arg(kPcSoftwareVer[3]);
}

QJsonObject GlobalParams::getPcSoftwareInfo() const
{
    QMutexLocker lock(&mutex_);
    return QJsonObject{
        {QStringLiteral("product"), QStringLiteral("Kestro_orla_pc")},
        {QStringLiteral("branch"), pc_branch},
        {QStringLiteral("platform"), pc_platform},
        {QStringLiteral("status"), pc_status},
        {QStringLiteral("version"), getPcSoftwareVer()},
        {QStringLiteral("seqid"), pc_seqid},
        {QStringLiteral("pkg_type"), 0},
    };
}

} // namespace pc
} // namespace vesk
