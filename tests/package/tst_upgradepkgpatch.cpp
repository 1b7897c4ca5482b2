#include "support/TestHome.h"
#include "support/PatchTestBytes.h"
#include "support/SyncWatch.h"
#include "package/UpgradePkgPatch.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <bzlib.h>
#include <sys/resource.h>

using vesk::pc::StoreFolder;
using vesk::pc::UpgradePkgPatch;

using namespace patchtest;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Independent decoder of the patch body.
QByteArray bunzip(const QByteArray& compressed, unsigned int limit)
{
    QByteArray out(int(limit), '\0');
    unsigned int length = limit;
    const int err = BZ2_bzBuffToBuffDecompress(out.data(), &length,
                                               const_cast<char*>(compressed.constData()),
                                               unsigned(compressed.size()), 0, 0);
    return err == BZ_OK ? out.left(int(length)) : QByteArray("error");
}

// The process's address space now, from /proc; 0 when unknown.
rlim_t addressSpace()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return rlim_t(line.mid(7).simplified().split(' ').first().toULongLong()) * 1024;
    }
    return 0;
}

} // namespace

class tst_UpgradePkgPatch : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    QTemporaryDir dir_;

    QString path(const QString& name) const { return dir_.filePath(name); }
    // Makes a patch of oldData -> newData as files; the patch file's bytes.
    QByteArray makePatch(const QByteArray& oldData, const QByteArray& newData);
    int applyTo(const QByteArray& oldData, const QByteArray& patch, QByteArray* rebuilt);

private slots:
    void init();
    void layout();
    void roundTrip_data();
    void roundTrip();
    void fileOverload();
    void outputSyncedOnlyWhenAsked_data();
    void outputSyncedOnlyWhenAsked();
    void headerErrors_data();
    void headerErrors();
    void negativeZeroSize();
    void truncatedStream();
    void trailingBytesRefused();
    void hugeSizeFewBytes();
    void missingFiles();
    void unwritableOutputs();
    void corruptedPatches();
};

QByteArray tst_UpgradePkgPatch::makePatch(const QByteArray& oldData, const QByteArray& newData)
{
    const int result = UpgradePkgPatch::generatePatchFile(bytes(oldData), oldData.size(),
                                                          bytes(newData), newData.size(),
                                                          path("p.patch"));
    return result == 0 ? readFile(path("p.patch")) : QByteArray();
}

int tst_UpgradePkgPatch::applyTo(const QByteArray& oldData, const QByteArray& patch,
                                 QByteArray* rebuilt)
{
    if (!writeFile(path("old.bin"), oldData) || !writeFile(path("apply.patch"), patch))
        return -2;
    QFile::remove(path("new.bin"));
    const int result =
        UpgradePkgPatch::generateNewFile(path("old.bin"), path("new.bin"), path("apply.patch"));
    *rebuilt = readFile(path("new.bin"));
    return result;
}

void tst_UpgradePkgPatch::init()
{
    QVERIFY(dir_.isValid());
    QDir folder(dir_.path());
    for (const QString& name : folder.entryList(QDir::Files))
        folder.remove(name);
}

void tst_UpgradePkgPatch::layout()
{
    const QByteArray patch = makePatch("abcde", "abcde");
    QCOMPARE(patch.left(16), QByteArray("VORNAKE/BSDIFF43"));
    QCOMPARE(patch.mid(16, 8).toHex(), QByteArray("0500000000000000"));
    QCOMPARE(patch.mid(24, 4), QByteArray("BZh9"));  // block size 9
    QCOMPARE(bunzip(patch.mid(24), 1000).toHex(),
             hex("0500000000000000" "0000000000000000" "0500000000000080" "0000000000").toHex());
    // Nothing but the patch is left in the folder.
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"p.patch"});
}

void tst_UpgradePkgPatch::roundTrip_data()
{
    QTest::addColumn<QByteArray>("oldData");
    QTest::addColumn<QByteArray>("newData");
    const QByteArray base = randomBytes(60000, 21);
    QByteArray similar = base;
    for (int i = 0; i < similar.size(); i += 997)
        similar[i] = char(similar[i] + 1);
    QTest::newRow("identical") << base << base;
    QTest::newRow("similar") << base << similar;
    QTest::newRow("empty new") << base << QByteArray();
    QTest::newRow("empty old") << QByteArray() << base;
}

void tst_UpgradePkgPatch::roundTrip()
{
    QFETCH(QByteArray, oldData);
    QFETCH(QByteArray, newData);
    const QByteArray patch = makePatch(oldData, newData);
    QVERIFY(patch.startsWith("VORNAKE/BSDIFF43"));
    QByteArray rebuilt;
    QCOMPARE(applyTo(oldData, patch, &rebuilt), 0);
    QVERIFY(rebuilt == newData);
    QVERIFY(QFile::exists(path("new.bin")));
}

void tst_UpgradePkgPatch::fileOverload()
{
    const QByteArray oldData = randomBytes(40000, 31);
    const QByteArray newData = oldData.left(20000) + "inserted" + oldData.mid(20000);
    QVERIFY(writeFile(path("a.bin"), oldData));
    QVERIFY(writeFile(path("b.bin"), newData));
    QCOMPARE(UpgradePkgPatch::generatePatchFile(path("a.bin"), path("b.bin"), path("ab.patch")), 0);
    QCOMPARE(UpgradePkgPatch::generateNewFile(path("a.bin"), path("c.bin"), path("ab.patch")), 0);
    QVERIFY(readFile(path("c.bin")) == newData);
    QCOMPARE(readFile(path("a.bin")), oldData);  // inputs are left alone
}

void tst_UpgradePkgPatch::outputSyncedOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("toDisk");
    QTest::newRow("nothing said: renamed unsynced") << false;
    QTest::newRow("asked: synced before the rename") << true;
}

// The rebuilt file is checked by whoever uses it, and its sync would cost
// more than the patch: it is synced only for a caller that asks.
void tst_UpgradePkgPatch::outputSyncedOnlyWhenAsked()
{
    QFETCH(bool, toDisk);
    const QByteArray oldData = randomBytes(40000, 33);
    const QByteArray newData = oldData.left(30000) + "inserted" + oldData.mid(20000);
    QVERIFY(writeFile(path("old.bin"), oldData));
    QVERIFY(writeFile(path("apply.patch"), makePatch(oldData, newData)));
    SyncWatch watch;
    const int result = toDisk
        ? UpgradePkgPatch::generateNewFile(path("old.bin"), path("new.bin"), path("apply.patch"),
                                           StoreFolder::NewFile::Sync::ToDisk)
        : UpgradePkgPatch::generateNewFile(path("old.bin"), path("new.bin"), path("apply.patch"));
    QCOMPARE(result, 0);
    QVERIFY(readFile(path("new.bin")) == newData);
    QCOMPARE(watch.synced(),
             toDisk ? QVector<quint64>{SyncWatch::inodeOf(path("new.bin"))} : QVector<quint64>());
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"apply.patch", "new.bin", "old.bin", "p.patch"}));
}

void tst_UpgradePkgPatch::headerErrors_data()
{
    QTest::addColumn<QByteArray>("header");  // and the start of a bzip2 stream
    QTest::addColumn<QString>("message");
    QTest::newRow("magic") << QByteArray("VORNAKE/BSDIFF44") + hex("0500000000000000") + "BZh9"
                           << "Patch header error";
    QTest::newRow("negative size")
        << QByteArray("VORNAKE/BSDIFF43") + hex("0100000000000080") + "BZh9"
        << "size error in patch header: -1";
    QTest::newRow("huge size") << QByteArray("VORNAKE/BSDIFF43") + hex("0000000000010000") + "BZh9"
                               << "size error in patch header: 1099511627776";
    QTest::newRow("short header") << QByteArray("VORNAKE/BSDIFF43") + hex("0500")
                                  << "Read patch header failed";
}

void tst_UpgradePkgPatch::headerErrors()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, message);
    QTest::ignoreMessage(QtCriticalMsg, message.toUtf8().constData());
    QByteArray rebuilt;
    QCOMPARE(applyTo("abcde", header, &rebuilt), -1);
    QVERIFY(!QFile::exists(path("new.bin")));
}

// Sign bit with magnitude 0 decodes to 0: an empty new file.
void tst_UpgradePkgPatch::negativeZeroSize()
{
    QByteArray patch = makePatch("abc", QByteArray());
    QCOMPARE(patch.mid(16, 8).toHex(), QByteArray("0000000000000000"));
    patch[23] = char(0x80);
    QByteArray rebuilt = "sentinel";
    QCOMPARE(applyTo("abc", patch, &rebuilt), 0);
    QVERIFY(QFile::exists(path("new.bin")));
    QVERIFY(rebuilt.isEmpty());
}

void tst_UpgradePkgPatch::truncatedStream()
{
    const QByteArray newData = randomBytes(5000, 41);
    const QByteArray patch = makePatch(QByteArray(), newData);
    QVERIFY(writeFile(path("new.bin"), "previous"));
    QTest::ignoreMessage(QtCriticalMsg, "bspatch failed");
    QVERIFY(writeFile(path("old.bin"), QByteArray()));
    QVERIFY(writeFile(path("apply.patch"), patch.left(patch.size() - 40)));
    QCOMPARE(UpgradePkgPatch::generateNewFile(path("old.bin"), path("new.bin"), path("apply.patch")),
             -1);
    QCOMPARE(readFile(path("new.bin")), QByteArray("previous"));  // the old result stays
    const QStringList left = {"apply.patch", "new.bin", "old.bin", "p.patch"};
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), left);  // no temporary left
}

void tst_UpgradePkgPatch::trailingBytesRefused()
{
    const QByteArray patch = makePatch("abcdef", "abcxef");
    QByteArray rebuilt;
    QTest::ignoreMessage(QtCriticalMsg, "bspatch failed");
    QCOMPARE(applyTo("abcdef", patch + "x", &rebuilt), -1);
    // A size one short leaves unread data in the stream.
    QByteArray shorter = patch;
    shorter[16] = char(5);
    QTest::ignoreMessage(QtCriticalMsg, "bspatch failed");
    QCOMPARE(applyTo("abcdef", shorter, &rebuilt), -1);
}

// A patch declaring 1 GiB but carrying a few bytes fails without taking
// address space for the declared size (limited to 256 MiB more meanwhile).
void tst_UpgradePkgPatch::hugeSizeFewBytes()
{
    QByteArray patch = makePatch("abcdef", "abcxef");
    patch.replace(16, 8, hex("0000004000000000"));
    rlimit saved = {};
    QVERIFY(getrlimit(RLIMIT_AS, &saved) == 0 && addressSpace() > 0);
    rlimit lowered = saved;
    lowered.rlim_cur = addressSpace() + (rlim_t(256) << 20);
    if (lowered.rlim_cur > saved.rlim_max)
        QSKIP("address space already limited");
    QTest::ignoreMessage(QtCriticalMsg, "bspatch failed");
    QByteArray rebuilt;
    QVERIFY(setrlimit(RLIMIT_AS, &lowered) == 0);
    const int result = applyTo("abcdef", patch, &rebuilt);
    setrlimit(RLIMIT_AS, &saved);
    QCOMPARE(result, -1);
}

void tst_UpgradePkgPatch::missingFiles()
{
    const QByteArray patch = makePatch("abc", "abd");
    QVERIFY(writeFile(path("apply.patch"), patch));
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression("^Old file does not exist: .*/missing.bin$"));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Open file failed: .*/missing.bin$"));
    QCOMPARE(UpgradePkgPatch::generateNewFile(path("missing.bin"), path("n.bin"), path("apply.patch")),
             -1);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Patch file does not exist: "));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Open patch file failed: "));
    QVERIFY(writeFile(path("old.bin"), "abc"));
    QCOMPARE(UpgradePkgPatch::generateNewFile(path("old.bin"), path("n.bin"), path("none.patch")),
             -1);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^New file does not exist: "));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Open file failed: .*/none.bin$"));
    QCOMPARE(UpgradePkgPatch::generatePatchFile(path("old.bin"), path("none.bin"), path("x.patch")),
             -1);
    QVERIFY(!QFile::exists(path("n.bin")));
    QVERIFY(!QFile::exists(path("x.patch")));
}

// A regular file where the output's folder should be.
void tst_UpgradePkgPatch::unwritableOutputs()
{
    QVERIFY(writeFile(path("plain"), "file"));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Open patch file failed: "));
    QCOMPARE(UpgradePkgPatch::generatePatchFile(bytes("a"), 1, bytes("b"), 1, path("plain/p")), -1);
    const QByteArray patch = makePatch("abc", "abd");
    QVERIFY(writeFile(path("old.bin"), "abc"));
    QVERIFY(writeFile(path("apply.patch"), patch));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Open file failed: .*plain/n$"));
    QCOMPARE(UpgradePkgPatch::generateNewFile(path("old.bin"), path("plain/n"), path("apply.patch")),
             -1);
}

// Random damage never crashes and never passes with a wrong result.
void tst_UpgradePkgPatch::corruptedPatches()
{
    const QByteArray oldData = randomBytes(20000, 51);
    QByteArray newData = oldData.mid(3000) + randomBytes(700, 52);
    for (int i = 0; i < newData.size(); i += 1500)
        newData[i] = char(newData[i] ^ 0x20);
    const QByteArray patch = makePatch(oldData, newData);
    QVERIFY(writeFile(path("old.bin"), oldData));
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&,
                                                          const QString&) {});
    QRandomGenerator random(20261208);
    int failures = 0;
    int successes = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray damaged = patch;
        switch (round % 3) {
        case 0:  // flip bytes
            for (int k = 0; k <= int(random.bounded(3)); ++k) {
                const int at = int(random.bounded(damaged.size()));
                damaged[at] = char(damaged[at] ^ char(1 + random.bounded(255)));
            }
            break;
        case 1:  // cut
            damaged.truncate(int(random.bounded(damaged.size())));
            break;
        default:  // insert
            damaged.insert(int(random.bounded(damaged.size())), char(random.bounded(256)));
        }
        QVERIFY(writeFile(path("apply.patch"), damaged));
        QFile::remove(path("new.bin"));
        const int result = UpgradePkgPatch::generateNewFile(path("old.bin"), path("new.bin"),
                                                            path("apply.patch"));
        if (result == 0) {
            ++successes;
            if (readFile(path("new.bin")) != newData) {
                qInstallMessageHandler(previous);
                QFAIL(qPrintable(QString("wrong output accepted in round %1").arg(round)));
            }
        } else {
            ++failures;
            QVERIFY(!QFile::exists(path("new.bin")));
        }
    }
    qInstallMessageHandler(previous);
    QVERIFY(failures > 350);
    const QStringList left = {"apply.patch", "old.bin", "p.patch"};
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), left);
    qDebug() << failures << "refused," << successes << "harmless";
}

QTEST_GUILESS_MAIN(tst_UpgradePkgPatch)
#include "tst_upgradepkgpatch.moc"
