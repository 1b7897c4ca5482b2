// The patch list and the upload container, decoded by readers of this test:
// the list's chunks at every split point and every 8 MiB, its header and
// entries with their CRC-32s and MD5s, every patch rebuilt into its package
// chunk by our patch reader; refusals that leave no file behind; the
// container unpacked by the xz program; and the engine's inputs from the
// store read only as plain files of their own.

#include "support/EngineRig.h"
#include "support/NameSwapper.h"
#include "package/UpgradePkgPatch.h"
#include "support/TestHome.h"
#include "support/StreamPackets.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>

using namespace vesk::pc;
using Splits = QList<uint32_t>;
using stream::crc32;
using stream::get32;
Q_DECLARE_METATYPE(Splits)

namespace {

constexpr int kRecord = 64;

// Pseudo-random bytes, and a later version of them: a byte changed every
// 4 KiB and a short run moved, so each chunk has something to patch.
QByteArray noise(int size, uint64_t seed)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        data[i] = char(seed >> 24);
    }
    return data;
}

QByteArray edited(QByteArray data)
{
    for (int i = 100; i < data.size(); i += 4096)
        data[i] = char(data[i] + 1);
    if (data.size() > 0x20000)
        data.replace(0x10000, 64, data.mid(0x18000, 64));
    return data;
}

struct Entry
{
    uint32_t index, patchOffset, patchLength, chunkOffset, chunkLength;
};

// Decodes the list with the checks its layout allows; the entries, or a
// failure message.
QString decodeList(const QByteArray& list, QList<Entry>* entries)
{
    if (list.size() < kRecord || list.left(4) != QByteArray::fromHex("62737074"))
        return "no bspt magic";
    const QByteArray header = list.left(kRecord);
    const uint32_t n = get32(header, 12);
    if (get32(header, 4) != uint32_t(kRecord) * (n + 1)
        || get32(header, 8) != uint32_t(list.size()))
        return "header lengths";
    if (header.mid(16, 44) != QByteArray(44, '\0') || get32(header, 60) != crc32(header.left(60)))
        return "header padding or CRC";
    uint32_t next = get32(header, 4);
    for (uint32_t k = 0; k < n; ++k) {
        const QByteArray entry = list.mid(int(kRecord * (k + 1)), kRecord);
        const Entry e{get32(entry, 0), get32(entry, 4), get32(entry, 8), get32(entry, 12),
                      get32(entry, 16)};
        if (e.index != k || e.patchOffset != next || qint64(e.patchOffset) + e.patchLength > list.size())
            return QStringLiteral("entry %1 index or patch place").arg(k);
        const QByteArray patch = list.mid(int(e.patchOffset), int(e.patchLength));
        if (entry.mid(20, 16) != QCryptographicHash::hash(patch, QCryptographicHash::Md5))
            return QStringLiteral("entry %1 MD5").arg(k);
        if (entry.mid(36, 24) != QByteArray(24, '\0') || get32(entry, 60) != crc32(entry.left(60)))
            return QStringLiteral("entry %1 padding or CRC").arg(k);
        next += e.patchLength;
        *entries << e;
    }
    return next == uint32_t(list.size()) ? QString() : "patches do not end the file";
}

} // namespace

class tst_PatchList : public QObject
{
    Q_OBJECT
    TestHome home_;

private slots:
    void initTestCase();
    void chunks_data();
    void chunks();
    void refusals_data();
    void refusals();
    void container();
    void linkedInputs_data();
    void linkedInputs();
};

void tst_PatchList::initTestCase()
{
    QVERIFY(home_.isValid());
}

void tst_PatchList::chunks_data()
{
    QTest::addColumn<Splits>("splitPoints");
    QTest::addColumn<Splits>("boundaries");
    // Ten steps: a chunk, in order, whose end reaches the next tenth of the
    // package raises the progress by one, at most one a chunk.
    QTest::addColumn<int>("progress");
    QTest::newRow("0x300000 and 0x1500000") << Splits{0x300000, 0x1500000}
                                            << Splits{0x300000, 0xB00000, 0x1300000, 0x1500000} << 4;
    QTest::newRow("one split at 8 MiB is one chunk") << Splits{0x800000} << Splits{0x800000} << 1;
    // The second chunk, one byte, reaches the second tenth however the diffs end.
    QTest::newRow("one split at 8 MiB + 1 is two") << Splits{0x800001} << Splits{0x800000, 0x800001} << 2;
}

void tst_PatchList::chunks()
{
    QFETCH(Splits, splitPoints);
    QFETCH(Splits, boundaries);
    QFETCH(int, progress);
    QTemporaryDir dir;
    const QByteArray image = noise(int(splitPoints.last()), 0x9E3779B97F4A7C15ull);
    const QByteArray package = edited(image);
    const QString imagePath = dir.filePath("devFw.bin");
    const QString packagePath = dir.filePath("package.bin");
    const QString listPath = dir.filePath("patch.bin");
    QVERIFY(writeFile(imagePath, image) && writeFile(packagePath, package));

    EngineRig rig;
    const int steps = 10;
    QVERIFY(rig.probe().patchList(imagePath, packagePath, listPath, splitPoints, steps));
    QCOMPARE(rig.engine->progress(), progress);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"devFw.bin", "package.bin", "patch.bin"}));

    const QByteArray list = readFile(listPath);
    QList<Entry> entries;
    const QString failure = decodeList(list, &entries);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(entries.size(), boundaries.size());
    uint32_t from = 0;
    for (int k = 0; k < entries.size(); ++k) {
        const Entry& e = entries[k];
        QCOMPARE(e.chunkOffset, from);
        QCOMPARE(e.chunkLength, boundaries[k] - from);
        // Our patch reader rebuilds the package's chunk from the image's.
        const QString oldChunk = dir.filePath("old.chunk");
        const QString patch = dir.filePath("chunk.patch");
        const QString rebuilt = dir.filePath("new.chunk");
        QVERIFY(writeFile(oldChunk, image.mid(int(from), int(e.chunkLength))));
        QVERIFY(writeFile(patch, list.mid(int(e.patchOffset), int(e.patchLength))));
        QCOMPARE(UpgradePkgPatch::generateNewFile(oldChunk, rebuilt, patch), 0);
        QVERIFY(readFile(rebuilt) == package.mid(int(from), int(e.chunkLength)));
        from = boundaries[k];
    }
}

void tst_PatchList::refusals_data()
{
    QTest::addColumn<int>("imageSize");
    QTest::addColumn<QByteArray>("package");
    QTest::addColumn<Splits>("splitPoints");
    QTest::addColumn<QString>("logged");
    const QByteArray mib = noise(0x100000, 7);
    QTest::newRow("lengths differ") << 0x100000 << (edited(mib) + 'x') << Splits{0x100001}
                                    << "length not match";
    QTest::newRow("a split point goes back") << 0x100000 << edited(mib) << Splits{0x80000, 0x40000, 0x100000}
                                             << "invalid split point";
    QTest::newRow("split points end before the package does") << 0x100000 << edited(mib) << Splits{0x80000}
                                                               << "not at the package length";
    // Nothing of the package is in the image: the patches outgrow it.
    QTest::newRow("a list that would outgrow the package") << 0x100000 << noise(0x100000, 99)
                                                           << Splits{0x100000} << "outgrows the package";
}

void tst_PatchList::refusals()
{
    QFETCH(int, imageSize);
    QFETCH(QByteArray, package);
    QFETCH(Splits, splitPoints);
    QFETCH(QString, logged);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("devFw.bin"), noise(imageSize, 7)));
    QVERIFY(writeFile(dir.filePath("package.bin"), package));
    EngineRig rig;
    LogCapture log;
    QVERIFY(!rig.probe().patchList(dir.filePath("devFw.bin"), dir.filePath("package.bin"),
                                   dir.filePath("patch.bin"), splitPoints));
    QVERIFY2(log.mentions(logged), qPrintable(logged));
    // No list, and no chunk patch left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"devFw.bin", "package.bin"}));
}

void tst_PatchList::container()
{
    QTemporaryDir dir;
    QByteArray input;
    for (int i = 0; input.size() < 200000; ++i)
        input += "module " + QByteArray::number(i % 977) + " offset " + QByteArray::number(i * 64) + "\n";
    input.truncate(200000);  // 0x30d40
    const QString in = dir.filePath("fwheader.bin");
    const QString out = dir.filePath("fwheader.bin.lzma");
    QVERIFY(writeFile(in, input));
    EngineRig rig;
    QVERIFY(rig.probe().compress(in, out));
    const QByteArray container = readFile(out);
    // "lzma", the LZMA2 property byte of a 16 MiB dictionary, the length.
    QCOMPARE(container.left(9).toHex(), QByteArray("6c7a6d6118400d0300"));
    const uint8_t prop = uint8_t(container[4]);
    const qint64 dictionary = qint64(2 | (prop & 1)) << (prop / 2 + 11);
    QVERIFY(writeFile(dir.filePath("raw.lzma2"), container.mid(9)));
    QProcess xz;
    xz.start("xz", {"--format=raw", QStringLiteral("--lzma2=dict=%1").arg(dictionary), "-dc",
                    dir.filePath("raw.lzma2")});
    QVERIFY2(xz.waitForFinished(30000), "xz did not finish");
    QCOMPARE(xz.exitCode(), 0);
    QVERIFY(xz.readAllStandardOutput() == input);
    QCOMPARE(QDir(dir.path()).entryList({"fwheader*"}, QDir::Files | QDir::Hidden),
             (QStringList{"fwheader.bin", "fwheader.bin.lzma"}));
}

void tst_PatchList::linkedInputs_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("hard");
    const char* const steps[] = {"the package sent whole", "the head packed", "the package diffed",
                                 "the camera's image diffed"};
    for (int step = 0; step < 4; ++step) {
        QTest::addRow("%s, a link", steps[step]) << step << false;
        QTest::addRow("%s, a hard link", steps[step]) << step << true;
    }
}

// A link, or a hard link, at the name of a file the engine reads from the
// store ends the step before anything is read, sent or written, whatever
// file it leads to.
void tst_PatchList::linkedInputs()
{
    QFETCH(int, step);
    QFETCH(bool, hard);
    enum { Upload, Compress, ListPackage, ListImage };
    QTemporaryDir store;
    QTemporaryDir outside;
    const QByteArray image = noise(0x4000, 5);
    const QByteArray package = edited(image);
    const QString imagePath = store.filePath("devFw.bin");
    const QString packagePath = store.filePath("package.bin");
    const QString target = outside.filePath("target");
    const QByteArray linkedBytes = step == ListImage ? image : package;
    const QString linked = step == ListImage ? imagePath : packagePath;
    QVERIFY(writeFile(imagePath, image) && writeFile(packagePath, package) && writeFile(target, linkedBytes));
    QVERIFY(NameSwapper::linkAt(linked, target, hard));
    EngineRig rig;
    QVERIFY(rig.ready());
    LogCapture log;
    UvcPatchUpgradeProbe probe = rig.probe();
    const bool done = step == Upload ? probe.upload(packagePath, "/app/updater/fw", false)
        : step == Compress           ? probe.compress(packagePath, store.filePath("head.lzma"))
                                     : probe.patchList(imagePath, packagePath, store.filePath("patch.bin"),
                                                       {uint32_t(image.size())});
    QVERIFY(!done);
    QVERIFY(log.mentions(linked));
    QCOMPARE(rig.attempts(1), QList<QByteArray>());  // no upload started
    QCOMPARE(QDir(store.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"devFw.bin", "package.bin"}));
    QCOMPARE(readFile(target), linkedBytes);
}

QTEST_GUILESS_MAIN(tst_PatchList)
#include "tst_patchlist.moc"
