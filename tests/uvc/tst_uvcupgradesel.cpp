// The upgrade transfer selectors against a simulated camera in its upgrade
// system: the blocks on the wire, the decoded replies, short and failed
// transfers that leave the caller's outputs alone, shell lines that do not
// fit, and the upgrade service's upload, download and command states.

#include "support/InitedCamera.h"
#include "support/TestHome.h"
#include "uvc/UpgradeCmdState.h"
#include "uvc/UpgradeMagic.h"

#include <QtTest>

#include <functional>

using namespace vesk::pc;

using BlockSet = std::function<bool(UvcDevice&, const uint8_t*)>;
Q_DECLARE_METATYPE(BlockSet)

namespace {

const uint8_t* bytes(const QByteArray& block)
{
    return reinterpret_cast<const uint8_t*>(block.constData());
}

// A camera running its upgrade system, with the camera object in upgrade
// mode as the upgrade thread leaves it.
struct UpgradingCamera : InitedCamera
{
    explicit UpgradingCamera(SimCameraModel model = SimCameraModel())
        : InitedCamera((model.systemType = 2, model))
    {
        device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    }
    ~UpgradingCamera() { device->setDevMode(UvcDevice::DevModeUvc); }
};

const char* const kLogName = "2f6c6f672f7665736b5f6c6f672e7461722e677a";  // "/log/vesk_log.tar.gz"

} // namespace

class tst_UvcUpgradeSel : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void setsOnTheWire_data();
    void setsOnTheWire();
    void failedSets_data();
    void failedSets();
    void upStateDecoded();
    void downloadStateDecoded_data();
    void downloadStateDecoded();
    void commandStateDecoded_data();
    void commandStateDecoded();
    void magic_data();
    void magic();
    void programVersion_data();
    void programVersion();
    void shortReadsLeaveOutputsAlone();
    void shellLines_data();
    void shellLines();
    void onlyUpgradeSelectorsInUpgradeMode();
    void uploadThroughTheService();
    void generatedDownloadStarts();
};

void tst_UvcUpgradeSel::setsOnTheWire_data()
{
    QTest::addColumn<BlockSet>("call");
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QByteArray>("block");
    QTest::newRow("upload start") << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.transFileStart(b); })
        << "01" << padded60("04e80300003400" "2f746d702f66772e62696e");
    QTest::newRow("system call") << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.ugSyscall(b); })
        << "03" << padded60("7265626f6f74");
    QTest::newRow("download request") << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.fileDownloadReq(b); })
        << "04" << padded60(QByteArray("05" "00000000" "00000000" "00000400") + kLogName);
    QTest::newRow("reset transfer state") << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.ugUpCmd(b); })
        << "05" << padded60("08");
    QTest::newRow("upload packet")
        << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.transFileTrans(b) == 0; })
        << "06" << padded60("01000000" "79a1" "0500" "68656c6c6f");
}

void tst_UvcUpgradeSel::setsOnTheWire()
{
    QFETCH(BlockSet, call);
    QFETCH(QString, selector);
    QFETCH(QByteArray, block);
    UpgradingCamera sim;
    QVERIFY(sim.inited);
    QVERIFY(call(*sim.device, bytes(block)));
    QCOMPARE(sim.wire(), QStringList{QStringLiteral("SET_CUR XU:%1/60 %2").arg(selector,
                                                        QString::fromLatin1(block.toHex()))});
}

void tst_UvcUpgradeSel::failedSets_data()
{
    QTest::addColumn<BlockSet>("call");
    QTest::addColumn<int>("selector");
    QTest::addColumn<QString>("line");
    QTest::newRow("start") << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.transFileStart(b); })
                           << 1 << "transFileStart failed";
    QTest::newRow("system call") << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.ugSyscall(b); })
                                 << 3 << "ugSyscall failed";
    QTest::newRow("download request")
        << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.fileDownloadReq(b); }) << 4
        << "fileDownloadReq failed";
    QTest::newRow("command") << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.ugUpCmd(b); }) << 5
                             << "VESK_UPDATR_UVC_XU_CS_UP_CMD failed";
    QTest::newRow("packet")
        << BlockSet([](UvcDevice& d, const uint8_t* b) { return d.transFileTrans(b) == 0; }) << 6
        << "transFileTrans failed";
}

void tst_UvcUpgradeSel::failedSets()
{
    QFETCH(BlockSet, call);
    QFETCH(int, selector);
    QFETCH(QString, line);
    SimCameraModel model;
    model.knobs.setFailsOnSelector = selector;
    UpgradingCamera sim(model);
    QTest::ignoreMessage(QtCriticalMsg, line.toUtf8().constData());
    QVERIFY(!call(*sim.device, bytes(padded60("08"))));
    QTest::ignoreMessage(QtCriticalMsg, line.toUtf8().constData());
    QVERIFY(!call(*sim.device, nullptr));
}

void tst_UvcUpgradeSel::upStateDecoded()
{
    UpgradingCamera sim;
    sim.camera->setExtensionReply(1, padded60("01" "0a000000" "e8030000" "ffff"));
    UpgradeFileUpState state;
    QCOMPARE(sim.device->transFileTransStateGet(&state), 0);
    QCOMPARE(state.state, uint8_t(1));
    QCOMPARE(state.doneSeq, 10u);
    QCOMPARE(state.fileLen, 1000u);
    QCOMPARE(sim.wire(), QStringList{"GET_CUR XU:01/60 " + padded60("01" "0a000000" "e8030000" "ffff").toHex()});
}

void tst_UvcUpgradeSel::downloadStateDecoded_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("state");
    QTest::addColumn<uint>("fileLen");
    QTest::addColumn<uint>("offset");
    QTest::addColumn<uint>("packLen");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("transferring") << padded60(QByteArray("01" "ffffffff" "00100000" "00000000" "00000400") + kLogName)
                                  << 1 << 4096u << 0u << 0x40000u << QByteArray("/log/vesk_log.tar.gz");
    QTest::newRow("generating") << padded60(QByteArray("07" "00000000" "00000000" "03000000" "00000400") + kLogName)
                                << 7 << 0u << 3u << 0x40000u << QByteArray("/log/vesk_log.tar.gz");
    // A name that fills the block without its zero is read up to the block's end.
    QTest::newRow("name without end") << padded60("02") .left(17) + QByteArray(43, 'n')
                                      << 2 << 0u << 0u << 0u << QByteArray(43, 'n');
}

void tst_UvcUpgradeSel::downloadStateDecoded()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, state);
    QFETCH(uint, fileLen);
    QFETCH(uint, offset);
    QFETCH(uint, packLen);
    QFETCH(QByteArray, name);
    UpgradingCamera sim;
    sim.camera->setExtensionReply(4, reply);
    UpgradeFileDownloadState decoded;
    QVERIFY(sim.device->fileDownloadStateGet(&decoded));
    QCOMPARE(int(decoded.state), state);
    QCOMPARE(decoded.fileLen, fileLen);
    QCOMPARE(decoded.offset, offset);
    QCOMPARE(decoded.packLen, packLen);
    QCOMPARE(decoded.fileName, name);
}

void tst_UvcUpgradeSel::commandStateDecoded_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("subCommand");
    QTest::addColumn<int>("patchStatus");
    QTest::addColumn<uint>("logSize");
    QTest::newRow("patch finished") << padded60("0502") << 5 << 2 << 2u;
    QTest::newRow("patch failed") << padded60("0503") << 5 << 3 << 3u;
    QTest::newRow("log packed") << padded60("0900a00f00") << 9 << 0 << 1024000u;
}

void tst_UvcUpgradeSel::commandStateDecoded()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, subCommand);
    QFETCH(int, patchStatus);
    QFETCH(uint, logSize);
    UpgradingCamera sim;
    sim.camera->setExtensionReply(5, reply);
    QByteArray block(60, '\x55');
    QVERIFY(sim.device->ugUpCmdState(reinterpret_cast<uint8_t*>(block.data())));
    QCOMPARE(block, reply);
    const UpgradeCmdState state = UpgradeCmdState::fromBlock(bytes(block));
    QCOMPARE(int(state.subCommand), subCommand);
    QCOMPARE(int(state.patchStatus), patchStatus);
    QCOMPARE(state.packedLogSize, logSize);
}

void tst_UvcUpgradeSel::magic_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("upgradeSystem");
    QTest::addColumn<bool>("upgradeTool");
    QTest::newRow("upgrade system") << padded60("3031303230332e564b5f75706772616465") << true << false;
    QTest::newRow("old camera's tool") << padded60("3031303230332e564b") << false << true;
    QTest::newRow("text continues") << padded60("3031303230332e564b5f7570677261646532") << false << false;
    QTest::newRow("status block") << padded60("0201") << false << false;
}

void tst_UvcUpgradeSel::magic()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, upgradeSystem);
    QFETCH(bool, upgradeTool);
    SimCameraModel model;
    model.upgrade.magic = reply;
    UpgradingCamera sim(model);
    uint8_t block[60];
    QVERIFY(sim.device->transFileMagicGet(block));
    QCOMPARE(UpgradeMagic::matches(block, UpgradeMagic::kUpgradeSystem), upgradeSystem);
    QCOMPARE(UpgradeMagic::matches(block, UpgradeMagic::kUpgradeTool), upgradeTool);
    QCOMPARE(sim.wire().first().left(16), QStringLiteral("GET_CUR XU:06/60"));
}

void tst_UvcUpgradeSel::programVersion_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<uint>("version");
    QTest::newRow("1.1.25.1") << padded60("01190101") << 0x01011901u;
    QTest::newRow("short reply") << QByteArray::fromHex("01190101") << 0u;
}

void tst_UvcUpgradeSel::programVersion()
{
    QFETCH(QByteArray, reply);
    QFETCH(uint, version);
    UpgradingCamera sim;
    sim.camera->setExtensionReply(7, reply);
    if (version == 0)
        QTest::ignoreMessage(QtCriticalMsg, "getUpgradeProgramVer failed");
    QCOMPARE(sim.device->getUpgradeProgramVer(), version);
}

void tst_UvcUpgradeSel::shortReadsLeaveOutputsAlone()
{
    UpgradingCamera sim;
    const QByteArray shortReply = padded60("02" "05000000" "05000000").left(59);
    for (uint8_t selector : {1, 4, 5, 6})
        sim.camera->setExtensionReply(selector, shortReply);

    UpgradeFileUpState up;
    up.doneSeq = 77;
    QTest::ignoreMessage(QtCriticalMsg, "transFileTransStateGet failed");
    QCOMPARE(sim.device->transFileTransStateGet(&up), -1);
    QCOMPARE(up.state, uint8_t(0));
    QCOMPARE(up.doneSeq, 77u);

    UpgradeFileDownloadState down;
    down.fileName = "kept";
    QTest::ignoreMessage(QtCriticalMsg, "fileDownloadStateGet failed");
    QVERIFY(!sim.device->fileDownloadStateGet(&down));
    QCOMPARE(down.fileName, QByteArray("kept"));

    QByteArray block(60, '\x55');
    QTest::ignoreMessage(QtCriticalMsg, "ugUpCmdState failed");
    QVERIFY(!sim.device->ugUpCmdState(reinterpret_cast<uint8_t*>(block.data())));
    QTest::ignoreMessage(QtCriticalMsg, "transFileMagicGet failed");
    QVERIFY(!sim.device->transFileMagicGet(reinterpret_cast<uint8_t*>(block.data())));
    QCOMPARE(block, QByteArray(60, '\x55'));
    QTest::ignoreMessage(QtCriticalMsg, "transFileTransStateGet failed");
    QCOMPARE(sim.device->transFileTransStateGet(nullptr), -1);
}

void tst_UvcUpgradeSel::shellLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("sent");
    QTest::newRow("reboot") << QByteArray("reboot") << true;
    QTest::newRow("59 characters fit") << QByteArray(59, 'x') << true;
    QTest::newRow("60 characters refused") << QByteArray(60, 'x') << false;
    QTest::newRow("embedded zero refused") << QByteArray("rm\0 -rf /", 9) << false;
}

void tst_UvcUpgradeSel::shellLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, sent);
    UpgradingCamera sim;
    if (!sent)
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^ugSyscall failed: line of"));
    QCOMPARE(sim.device->ugSyscall(line), sent);
    QCOMPARE(sim.camera->upgradeService().shellLines(), sent ? QList<QByteArray>{line} : QList<QByteArray>{});

    // A block whose line runs to its end is refused as well.
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^ugSyscall failed: the line has no end"));
    QVERIFY(!sim.device->ugSyscall(bytes(QByteArray(60, 'y'))));
    QCOMPARE(sim.wire().size(), sent ? 1 : 0);
}

void tst_UvcUpgradeSel::onlyUpgradeSelectorsInUpgradeMode()
{
    InitedCamera sim;
    sim.device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    sim.camera->setRunsUpgradeSystem(true);
    QTest::ignoreMessage(QtWarningMsg, "Not supported in upgrade mode");
    QCOMPARE(sim.device->cameraSetHdr(true), -1);
    QTest::ignoreMessage(QtWarningMsg, "Not supported in upgrade mode");
    QCOMPARE(sim.device->uvcHueControlSet(10), -1);
    QTest::ignoreMessage(QtWarningMsg, "Not supported in upgrade mode");
    CameraStatus status;
    QVERIFY(!sim.device->getCameraStatus(status));
    QVERIFY(sim.wire().isEmpty());

    QCOMPARE(sim.device->getUpgradeProgramVer(), 0x01011901u);
    QVERIFY(sim.device->ugUpCmd(bytes(padded60("08"))));
    QCOMPARE(sim.wire().size(), 2);
    sim.device->setDevMode(UvcDevice::DevModeUvc);
}

void tst_UvcUpgradeSel::uploadThroughTheService()
{
    UpgradingCamera sim;
    UvcDevice& d = *sim.device;
    QVERIFY(d.ugUpCmd(bytes(padded60("08"))));
    QVERIFY(d.transFileStart(bytes(padded60("0005000000" "3400" "2f746d702f66772e62696e"))));
    UpgradeFileUpState state;
    QCOMPARE(d.transFileTransStateGet(&state), 0);
    QCOMPARE(int(state.state), 1);
    QCOMPARE(state.fileLen, 5u);

    // A packet whose CRC does not hold is not taken.
    QCOMPARE(d.transFileTrans(bytes(padded60("01000000" "78a1" "0500" "68656c6c6f"))), 0);
    QCOMPARE(d.transFileTransStateGet(&state), 0);
    QCOMPARE(state.doneSeq, 0u);
    QCOMPARE(d.transFileTrans(bytes(padded60("01000000" "79a1" "0500" "68656c6c6f"))), 0);
    QCOMPARE(d.transFileTransStateGet(&state), 0);
    QCOMPARE(int(state.state), 2);
    QCOMPARE(state.doneSeq, 1u);
    const SimUpgradeService service = sim.camera->upgradeService();
    QCOMPARE(service.uploaded(), QByteArray("hello"));
    QCOMPARE(service.uploadPath(), QByteArray("/tmp/fw.bin"));
    QCOMPARE(service.badPackets(), 1);

    QVERIFY(d.ugUpCmd(bytes(padded60("05"))));
    uint8_t block[60];
    QVERIFY(d.ugUpCmdState(block));
    QCOMPARE(QByteArray(reinterpret_cast<char*>(block), 2).toHex(), QByteArray("0501"));  // working
}

void tst_UvcUpgradeSel::generatedDownloadStarts()
{
    SimCameraModel model;
    model.upgrade.logArchive = QByteArray(300000, 'L');
    UpgradingCamera sim(model);
    UvcDevice& d = *sim.device;
    QVERIFY(d.ugUpCmd(bytes(padded60("09"))));
    uint8_t block[60];
    QVERIFY(d.ugUpCmdState(block));
    QCOMPARE(QByteArray(reinterpret_cast<char*>(block), 5).toHex(), QByteArray("09e0930400"));

    QVERIFY(d.fileDownloadReq(bytes(padded60(QByteArray("05" "00000000" "00000000" "00000400") + kLogName))));
    UpgradeFileDownloadState state;
    for (int read = 0; read < 2; ++read) {
        QVERIFY(d.fileDownloadStateGet(&state));
        QCOMPARE(int(state.state), 7);
    }
    QVERIFY(d.fileDownloadStateGet(&state));
    QCOMPARE(int(state.state), 1);
    QCOMPARE(state.fileLen, 300000u);
    QCOMPARE(state.packLen, 0x40000u);
    QCOMPARE(state.fileName, QByteArray("/log/vesk_log.tar.gz"));

    QVERIFY(d.fileDownloadReq(bytes(padded60("02"))));
    QVERIFY(d.fileDownloadStateGet(&state));
    QCOMPARE(int(state.state), 2);
}

QTEST_GUILESS_MAIN(tst_UvcUpgradeSel)
#include "tst_uvcupgradesel.moc"
