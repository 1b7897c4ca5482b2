#include "support/ParamsTestEnv.h"
#include "support/LogCapture.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QSettings>
#include <QSysInfo>
#include <QThread>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

using vesk::pc::GlobalParams;

namespace {

// One read-write member: how to set it, read it, and the value set.
struct Field
{
    const char* name;
    std::function<void(GlobalParams&)> set;
    std::function<QVariant(const GlobalParams&)> get;
    QVariant value;
};

#define FIELD(m, v)                                                                      \
    Field { #m, [](GlobalParams& p) { p.m = v; },                                       \
            [](const GlobalParams& p) { return QVariant::fromValue(p.m); }, QVariant::fromValue(v) }

const QList<Field>& fields()
{
    static const QList<Field> list = {
        FIELD(fw_query_url, QStringLiteral("http://fw.test.invalid:1/q/")),
        FIELD(log_server_host, QString()),
        FIELD(host_ip, QStringLiteral("192.168.7.20")),
        FIELD(host_ip_prefix, QStringLiteral("10.9.")),
        FIELD(host_ip_seg_start, 3),
        FIELD(host_ip_seg_end, 200),
        FIELD(host_port, uint16_t(8080)),
        FIELD(device_port, uint16_t(65535)),
        FIELD(branch, QStringLiteral("x, y")),
        FIELD(platform, QStringLiteral("P1")),
        FIELD(product, QStringLiteral("Kestro_orla")),
        FIELD(seqid, QStringLiteral("S-1")),
        FIELD(status, QStringLiteral("release")),
        FIELD(version, QStringLiteral("1.2.3.4")),
        FIELD(preset_speed_ref, 12.5),
        FIELD(ctrl_speed_ref, 0.25),
        FIELD(language_type, 4),
        FIELD(pc_branch, QStringLiteral("B")),
        FIELD(pc_platform, QStringLiteral("Linux")),
        FIELD(pc_status, QStringLiteral("test")),
        FIELD(pc_macos_monterey, true),
        FIELD(auto_framing_tips, true),
        FIELD(remote_ctrl_tips, true),
        FIELD(pc_virtual_bg, false),
        FIELD(shortcut_range, 2),
        FIELD(shortcut_ext, true),
        FIELD(fallback_enable, false),
    };
    return list;
}

QVariant memberValue(const GlobalParams& p, const QString& name)
{
    for (const Field& f : fields()) {
        if (name == QLatin1String(f.name))
            return f.get(p);
    }
    return QVariant();
}

} // namespace

class tst_GlobalParams : public QObject
{
    Q_OBJECT

    TestHome home_;
    ParamsTestEnv env_{home_};

private slots:
    void init() { env_.reset(); }
    void cleanup() { ParamsTestEnv::restoreIps(); }

    void roundTripThroughDestruction()
    {
        auto p = env_.open();
        for (const Field& f : fields())
            f.set(*p);
        p->upgrade_method = 5;  // read only: never saved
        p->addOneDevInfo(QStringLiteral("Cam A"), QStringLiteral("SN1"));
        p->addOneDevInfo(QStringLiteral("Cam, B"), QStringLiteral("SN2"));
        p->setDevFocusMode(3, QStringLiteral("SN2"));
        const QList<GlobalParams::DevInfo> before = p->devInfos();
        p.reset();

        p = env_.open();
        for (const Field& f : fields())
            QCOMPARE(f.get(*p), f.value);
        QCOMPARE(p->upgrade_method, 0);
        QCOMPARE(p->pc_seqid, QString::fromUtf8(QSysInfo::machineUniqueId()));
        const QList<GlobalParams::DevInfo> after = p->devInfos();
        QCOMPARE(after.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(after[i].dev_name, before[i].dev_name);
            QCOMPARE(after[i].dev_sn, before[i].dev_sn);
            QCOMPARE(after[i].dev_time, before[i].dev_time);
        }
        QCOMPARE(after[1].focus_mode, 3u);
    }

    void savedTextAndInstalledDefaultUntouched()
    {
        const QByteArray installed = "[others]\nshortcut_ext=true\nupgrade_method=07\nug_info_type=1x\n"
                                     "font=Custom Font.otf\n";
        env_.writeFile(env_.defaultIni(), installed);
        auto p = env_.open();
        QCOMPARE(QFileInfo::exists(env_.dataIni()), true);  // copied before reading
        QCOMPARE(p->upgrade_method, 7);
        QCOMPARE(p->ug_info_type, 0);
        QCOMPARE(p->font, QStringLiteral("Custom Font.otf"));
        QCOMPARE(p->shortcut_ext, true);
        p->upgrade_method = 0;
        p->font = QStringLiteral("Other.otf");
        QVERIFY(p->saveParams());
        p.reset();

        const QByteArray saved = env_.readFile(env_.dataIni());
        QVERIFY(saved.contains("\nshortcut_ext=1\n"));
        QVERIFY(saved.contains("\nupgrade_method=07\n"));
        QVERIFY(saved.contains("\nug_info_type=1x\n"));
        QVERIFY(saved.contains("\nfont=Custom Font.otf\n"));
        QVERIFY(saved.contains("\npc_seqid="));
        QCOMPARE(env_.readFile(env_.defaultIni()), installed);
    }

    // The installed default may be read-only; the user's copy must not be, or
    // every save would fail. Run as an ordinary user, since root writes anyway.
    void readOnlyDefaultStillSaves()
    {
        QTemporaryDir shared;
        QVERIFY(shared.isValid());
        QVERIFY(QFile::setPermissions(shared.path(), QFileDevice::Permissions(0x7777)));
        const QString installed = shared.path() + "/install/kestro_macos.ini";
        const QString data = shared.path() + "/data/kestro_macos.ini";
        env_.writeFile(installed, "[others]\nshortcut_range=2\n");
        QVERIFY(QDir().mkpath(shared.path() + "/data"));
        QVERIFY(QFile::setPermissions(shared.path() + "/data", QFileDevice::Permissions(0x7777)));
        QVERIFY(QFile::setPermissions(installed, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

        const pid_t pid = fork();
        if (pid == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                std::_Exit(3);
            GlobalParams p(data, installed);
            std::_Exit(p.shortcut_range != 2 ? 4 : p.saveParams() ? 0 : 5);
        }
        int status = -1;
        QCOMPARE(waitpid(pid, &status, 0), pid);
        QVERIFY(WIFEXITED(status));
        if (WEXITSTATUS(status) == 3)
            QSKIP("cannot switch to an unprivileged user");
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFile::permissions(data).testFlag(QFile::WriteOwner));
    }

    void noIniGivesDefaults()
    {
        auto p = env_.open();
        const QJsonObject expected{{"product", "Kestro_zuki_2P"}, {"branch", "OA_E"},
                                   {"platform", "Hi3516DV300"},   {"status", "debug"},
                                   {"version", "0.0.0.0"},        {"seqid", ""},
                                   {"pkg_type", 1}};
        QCOMPARE(p->getProductInfo(), expected);
        QCOMPARE(p->fw_query_url, QStringLiteral("http://firmware.kestro.invalid:10010/firmware/dev_query/"));
        QCOMPARE(p->log_server_host, QStringLiteral("log.kestro.invalid"));
        QCOMPARE(p->host_ip, QStringLiteral("192.168.88.20"));
        QCOMPARE(p->host_ip_prefix, QStringLiteral("192.168."));
        QCOMPARE(p->host_ip_seg_start, 89);
        QCOMPARE(p->host_ip_seg_end, 128);
        QCOMPARE(p->host_port, uint16_t(10086));
        QCOMPARE(p->device_port, uint16_t(10086));
        QCOMPARE(p->preset_speed_ref, 20.0);
        QCOMPARE(p->ctrl_speed_ref, 30.0);
        QCOMPARE(p->language_type, -1);
        QCOMPARE(p->pc_platform, QStringLiteral("Win_x64"));
        QCOMPARE(p->pc_status, QStringLiteral("release"));
        QCOMPARE(p->pc_virtual_bg, true);
        QCOMPARE(p->remote_ctrl_tips, false);
        QCOMPARE(p->font, QStringLiteral("SourceHanSansCN-Bold.otf"));
        QCOMPARE(p->fallback_enable, true);
        QCOMPARE(p->shortcut_ext, false);
        p.reset();
        QVERIFY(QFileInfo::exists(env_.dataIni()));  // the first save writes it
        QVERIFY(!QFileInfo::exists(env_.defaultIni()));
    }

    void pcSoftwareInfo()
    {
        env_.writeFile(env_.dataIni(), "[software_pc]\npc_seqid=from-the-file\npc_branch=OA_W\n");
        auto p = env_.open();
        const QJsonObject expected{{"product", "Kestro_orla_pc"},
                                   {"branch", "OA_W"},
                                   {"platform", "Win_x64"},
                                   {"status", "release"},
                                   {"version", "1.0.5.4"},
                                   {"seqid", QString::fromUtf8(QSysInfo::machineUniqueId())},
                                   {"pkg_type", 0}};
        QCOMPARE(p->getPcSoftwareInfo(), expected);
        QCOMPARE(p->getPcSoftwareVer(), QStringLiteral("1.0.5.4"));
    }

    void setProductInfoTakesStringsOnly()
    {
        auto p = env_.open();
        p->setProductInfo(QJsonObject{{"product", "Kestro_orla_4k"}, {"branch", 5}, {"version", "2.0.0.1"},
                                      {"seqid", "SQ"}, {"status", "test"}});
        const QJsonObject expected{{"product", "Kestro_orla_4k"}, {"branch", ""}, {"platform", ""},
                                   {"status", "test"},            {"version", "2.0.0.1"},
                                   {"seqid", "SQ"},               {"pkg_type", 1}};
        QCOMPARE(p->getProductInfo(), expected);
    }

    void conversions_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("expected");
        QTest::newRow("port too large") << QByteArray("[local_server]\nhost_port=70000") << "host_port" << "10086";
        QTest::newRow("port not a number") << QByteArray("[local_server]\nhost_port=abc") << "host_port" << "10086";
        QTest::newRow("port zero") << QByteArray("[local_server]\nhost_port=0") << "host_port" << "10086";
        QTest::newRow("port fine") << QByteArray("[local_server]\nhost_port=8080") << "host_port" << "8080";
        QTest::newRow("device port") << QByteArray("[product_info]\ndevice_port=65536") << "device_port" << "10086";
        QTest::newRow("segment 300") << QByteArray("[local_server]\nhost_ip_seg_start=300") << "host_ip_seg_start"
                                     << "89";
        QTest::newRow("segment -1") << QByteArray("[local_server]\nhost_ip_seg_end=-1") << "host_ip_seg_end"
                                    << "128";
        QTest::newRow("language 9") << QByteArray("[language]\nlanguage_type=9") << "language_type" << "-1";
        QTest::newRow("language -2") << QByteArray("[language]\nlanguage_type=-2") << "language_type" << "-1";
        QTest::newRow("language 3") << QByteArray("[language]\nlanguage_type=3") << "language_type" << "3";
        QTest::newRow("number text") << QByteArray("[others]\nshortcut_range=abc") << "shortcut_range" << "0";
        QTest::newRow("double text") << QByteArray("[gimbal_ctrl]\nctrl_speed_ref=fast") << "ctrl_speed_ref"
                                     << "0";
        QTest::newRow("FALSE") << QByteArray("[software_pc]\npc_virtual_bg=FALSE") << "pc_virtual_bg" << "false";
        QTest::newRow("empty flag") << QByteArray("[software_pc]\npc_virtual_bg=") << "pc_virtual_bg" << "false";
        QTest::newRow("flag 0") << QByteArray("[others]\nfallback_enable=0") << "fallback_enable" << "false";
        QTest::newRow("flag no") << QByteArray("[others]\nfallback_enable=no") << "fallback_enable" << "true";
        QTest::newRow("flag yes") << QByteArray("[others]\nshortcut_ext=yes") << "shortcut_ext" << "true";
        QTest::newRow("commas") << QByteArray("[cloud_server]\nlog_server_host=a, b") << "log_server_host"
                                << "a, b";
        const QByteArray prefix = "[local_server]\nhost_ip_prefix=";
        QTest::newRow("prefix fine") << prefix + "10.0." << "host_ip_prefix" << "10.0.";
        QTest::newRow("prefix 255.0.") << prefix + "255.0." << "host_ip_prefix" << "255.0.";
        QTest::newRow("prefix URL text") << prefix + "a/b?c#" << "host_ip_prefix" << "192.168.";
        QTest::newRow("prefix three octets") << prefix + "192.168.200" << "host_ip_prefix" << "192.168.";
        QTest::newRow("prefix no dot") << prefix + "192.168" << "host_ip_prefix" << "192.168.";
        QTest::newRow("prefix octet 256") << prefix + "10.256." << "host_ip_prefix" << "192.168.";
        QTest::newRow("prefix leading zero") << prefix + "10.01." << "host_ip_prefix" << "192.168.";
        QTest::newRow("prefix blank") << prefix + "10. 1." << "host_ip_prefix" << "192.168.";
        QTest::newRow("prefix empty") << prefix << "host_ip_prefix" << "192.168.";
    }

    void conversions()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, member);
        QFETCH(QString, expected);
        env_.writeFile(env_.dataIni(), ini + "\n");
        auto p = env_.open();
        QCOMPARE(memberValue(*p, member).toString(), expected);
    }

    void unreadableIniKeptAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("header without ]") << QByteArray("[others]\nshortcut_range=3\n[local_server\nhost_port=1\n");
        QTest::newRow("line without =") << QByteArray("[others]\nshortcut_range=3\nthis is no key\n");
        QTest::newRow("binary") << QByteArray("[others]\nshortcut_range=3\n") + QByteArray::fromHex("0001fffe80") + "\n";
    }

    void unreadableIniKeptAside()
    {
        QFETCH(QByteArray, content);
        env_.writeFile(env_.dataIni(), content);
        auto p = env_.open();
        const QString corrupt = env_.dataIni() + ".corrupt";
        QCOMPARE(env_.readFile(corrupt), content);
        QCOMPARE(p->keptAsidePath(), corrupt);  // for the window to tell the user
        QCOMPARE(p->shortcut_range, 3);  // what Qt could read is kept
        QVERIFY(!QFileInfo::exists(env_.dataIni()));
        p.reset();

        QSettings fresh(env_.dataIni(), QSettings::IniFormat);
        fresh.allKeys();
        QCOMPARE(fresh.status(), QSettings::NoError);
        QCOMPARE(fresh.value("others/shortcut_range").toInt(), 3);
        QCOMPARE(fresh.value("product_info/product").toString(), QStringLiteral("Kestro_zuki_2P"));
        const QByteArray unreadablePart = content.mid(int(qstrlen("[others]\nshortcut_range=3\n")));
        QVERIFY(!env_.readFile(env_.dataIni()).contains(unreadablePart));
        QCOMPARE(env_.readFile(corrupt), content);
        QVERIFY(env_.open()->keptAsidePath().isEmpty());  // the fresh file reads
    }

    // Where the unreadable file cannot go (a folder of that name with a
    // file in it), nothing is named as kept aside.
    void unreadableIniThatStaysIsNotNamed()
    {
        env_.writeFile(env_.dataIni(), "[others\n");
        env_.writeFile(env_.dataIni() + ".corrupt/inside", "x");
        QVERIFY(env_.open()->keptAsidePath().isEmpty());
        QCOMPARE(env_.readFile(env_.dataIni() + ".corrupt/inside"), QByteArray("x"));
    }

    void hugeDevInfoSize_data()
    {
        QTest::addColumn<QByteArray>("size");
        QTest::addColumn<int>("records");
        QTest::newRow("int max") << QByteArray("2147483647") << 64;
        QTest::newRow("beyond 64 bits") << QByteArray("99999999999999999999") << 0;
        QTest::newRow("negative") << QByteArray("-2147483648") << 0;
        QTest::newRow("65") << QByteArray("65") << 64;
    }

    void hugeDevInfoSize()
    {
        QFETCH(QByteArray, size);
        QFETCH(int, records);
        env_.writeFile(env_.dataIni(), "[dev_info]\n1\\dev_sn=A\nsize=" + size + "\n");
        QElapsedTimer timer;
        timer.start();
        LogCapture log;
        auto p = env_.open();
        QVERIFY2(timer.elapsed() < 5000, "loading must stay bounded");
        QCOMPARE(p->devInfos().size(), records);
        QCOMPARE(log.countOf(QtWarningMsg, QStringLiteral("dev_info holds")) > 0, records == 64);
        if (records) {
            QCOMPARE(p->devInfos().at(0).dev_sn, QStringLiteral("A"));
            QCOMPARE(p->devInfos().at(63).dev_name, QStringLiteral("63"));
        }
    }

    void failedSaveIsLogged()
    {
        // A regular file where the config directory should be: nothing can
        // be created below it, whoever runs the test.
        env_.writeFile(home_.dataDir() + "/config", "not a directory");
        LogCapture log;
        auto p = env_.open();
        QCOMPARE(p->saveParams(), false);
        QVERIFY(log.countOf(QtCriticalMsg, QStringLiteral("Cannot create the settings directory")) > 0);
        p->addOneDevInfo(QStringLiteral("Cam"), QStringLiteral("SN"));
        const int before = log.countOf(QtCriticalMsg, QString());
        p.reset();
        QVERIFY(log.countOf(QtCriticalMsg, QString()) > before);  // the destructor's save is reported too
    }

    void progressSignalCrossesThreads()
    {
        auto p = env_.open();
        QVERIFY(QMetaType::type("GlobalParams::UgProgressEnum") != QMetaType::UnknownType);
        QList<int> types;
        QStringList texts;
        connect(p.get(), &GlobalParams::devUpgradeProgress, this,
                [&](GlobalParams::UgProgressEnum type, QString uuid, QString msg) {
                    types.append(type);
                    texts << uuid + "/" + msg;
                },
                Qt::QueuedConnection);
        std::unique_ptr<QThread> server(QThread::create([&] {
            emit p->devUpgradeProgress(GlobalParams::UgStep, QStringLiteral("u1"), QStringLiteral("50"));
            emit p->devUpgradeProgress(GlobalParams::UgSuccess, QStringLiteral("u1"), QStringLiteral("done"));
        }));
        server->start();
        QVERIFY(server->wait(5000));
        QTRY_COMPARE(types, (QList<int>{1, 3}));
        QCOMPARE(texts, (QStringList{"u1/50", "u1/done"}));
    }
};

QTEST_GUILESS_MAIN(tst_GlobalParams)
#include "tst_globalparams.moc"
