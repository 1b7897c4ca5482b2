#include "support/TestHome.h"
#include "support/PatchTestBytes.h"
#include "package/LZMA.h"
#include "package/LZMACoder.h"

#include <QBuffer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

using namespace patchtest;

namespace {

// A repeated 4 KiB block with one byte changed in each copy: compresses
// well, is not one run, and keeps the encoder fast.
QByteArray compressible(int size)
{
    const QByteArray block = randomBytes(4096, 77);
    QRandomGenerator random(78);
    QByteArray data;
    data.reserve(size + block.size());
    while (data.size() < size) {
        data += block;
        data[data.size() - 1 - int(random.bounded(4096))] = char(random.bounded(256));
    }
    data.truncate(size);
    return data;
}

const uint64_t kUnknownSize = ~uint64_t(0);

// An input device whose reads fail.
class FailingDevice : public QIODevice
{
public:
    FailingDevice() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};

} // namespace

class tst_Lzma : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void lzma2RoundTrip_data();
    void lzma2RoundTrip();
    void lzmaRoundTrip_data();
    void lzmaRoundTrip();
    void lzma2ReadByXz_data();
    void lzma2ReadByXz();
    void properties();
    void decodeKnownStreams_data();
    void decodeKnownStreams();
    void dictionaryLimit_data();
    void dictionaryLimit();
    void damagedInput();
    void coderEncodeAndDecode();
    void coderFailures();
};

void tst_Lzma::lzma2RoundTrip_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("small") << QByteArray("hello, camera");
    static const QByteArray random = randomBytes(1 << 20, 5);
    static const QByteArray large = compressible(16 << 20);
    QTest::newRow("1 MiB random") << random;
    QTest::newRow("16 MiB compressible") << large;
}

void tst_Lzma::lzma2RoundTrip()
{
    QFETCH(QByteArray, data);
    QByteArray packed;
    unsigned char prop = 0xFF;
    QCOMPARE(LZMA::encode2(data, &packed, &prop, 5), 0);
    QCOMPARE(int(prop), 24);  // 16 MiB dictionary
    if (data.size() > 1000)
        QVERIFY(packed.size() < data.size() + data.size() / 100 + 64);
    QByteArray unpacked;
    QCOMPARE(LZMA::decode2(packed, &unpacked, uint64_t(data.size()), prop), 0);
    QVERIFY(unpacked == data);
    // The stream ends with its own end mark, so an unknown size works too.
    unpacked.clear();
    QCOMPARE(LZMA::decode2(packed, &unpacked, kUnknownSize, prop), 0);
    QVERIFY(unpacked == data);
}

void tst_Lzma::lzmaRoundTrip_data()
{
    lzma2RoundTrip_data();
}

void tst_Lzma::lzmaRoundTrip()
{
    QFETCH(QByteArray, data);
    QByteArray packed;
    QByteArray props;
    QCOMPARE(LZMA::encode(data, &packed, props, 5), 0);
    QCOMPARE(props.toHex(), QByteArray("5d00000001"));  // lc3 lp0 pb2, 16 MiB
    QByteArray unpacked;
    QCOMPARE(LZMA::decode(packed, &unpacked, uint64_t(data.size()), props), 0);
    QVERIFY(unpacked == data);
    // No end mark is written: without the size the end cannot be found.
    if (!data.isEmpty()) {
        unpacked.clear();
        QVERIFY(LZMA::decode(packed, &unpacked, kUnknownSize, props) != 0);
    }
}

void tst_Lzma::lzma2ReadByXz_data()
{
    lzma2RoundTrip_data();
}

void tst_Lzma::lzma2ReadByXz()
{
    QFETCH(QByteArray, data);
    QByteArray packed;
    unsigned char prop = 0;
    QCOMPARE(LZMA::encode2(data, &packed, &prop, 5), 0);
    QProcess xz;
    xz.start("xz", {"--format=raw", "--lzma2=dict=16MiB", "-d", "-c"});
    QVERIFY(xz.waitForStarted(10000));
    xz.write(packed);
    xz.closeWriteChannel();
    QVERIFY(xz.waitForFinished(60000));
    QCOMPARE(xz.exitCode(), 0);
    QVERIFY(xz.readAllStandardOutput() == data);
}

void tst_Lzma::properties()
{
    // The SDK's dictionary sizes per level: 1 << (2 * level + 16) up to 3,
    // 1 << (level + 19) up to 6.
    const struct {
        int level;
        unsigned char prop;
    } rows[] = {{0, 8}, {1, 12}, {3, 20}, {4, 22}, {6, 26}, {-1, 24}, {42, 24}};
    for (const auto& row : rows) {
        QByteArray packed;
        unsigned char prop = 0;
        QCOMPARE(LZMA::encode2("x", &packed, &prop, row.level), 0);
        QCOMPARE(int(prop), int(row.prop));
    }
    QByteArray packed;
    QCOMPARE(LZMA::encode2("x", nullptr, nullptr, 5), 5);
    QCOMPARE(LZMA::encode2("x", &packed, nullptr, 5), 5);
}

void tst_Lzma::decodeKnownStreams_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<quint64>("size");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("output");
    // LZMA2 chunk 01: stored bytes with dictionary reset, size - 1 big-endian; 00 ends.
    const QByteArray stored = hex("010002616263" "00");
    QTest::newRow("stored, size known") << stored << quint64(3) << 0 << QByteArray("abc");
    QTest::newRow("stored, size unknown") << stored << quint64(kUnknownSize) << 0
                                          << QByteArray("abc");
    QTest::newRow("size shorter refused") << stored << quint64(2) << 1 << QByteArray("ab");
    QTest::newRow("chunk past the size") << hex("010002616263" "0100017879" "00") << quint64(3) << 1
                                         << QByteArray("abc");
    QTest::newRow("size longer fails") << stored << quint64(4) << 1 << QByteArray("abc");
    QTest::newRow("no end mark, unknown") << stored.left(6) << quint64(kUnknownSize) << 1
                                          << QByteArray("abc");
    QTest::newRow("bad control byte") << hex("ff0002616263") << quint64(3) << 1 << QByteArray();
    QTest::newRow("empty stream") << hex("00") << quint64(0) << 0 << QByteArray();
}

void tst_Lzma::decodeKnownStreams()
{
    QFETCH(QByteArray, stream);
    QFETCH(quint64, size);
    QFETCH(int, result);
    QFETCH(QByteArray, output);
    QByteArray out;
    QCOMPARE(LZMA::decode2(stream, &out, size, 24), result);
    QCOMPARE(out, output);
}

void tst_Lzma::dictionaryLimit_data()
{
    QTest::addColumn<QByteArray>("props");  // five bytes: LZMA, one: LZMA2
    QTest::addColumn<int>("result");
    QTest::newRow("LZMA2 64 MiB") << hex("1c") << 0;
    QTest::newRow("LZMA2 96 MiB") << hex("1d") << 2;
    QTest::newRow("LZMA2 4 GiB") << hex("28") << 2;
    QTest::newRow("LZMA 64 MiB") << hex("5d00000004") << 0;
    QTest::newRow("LZMA 4 GiB") << hex("5dffffffff") << 2;
}

// The dictionary size is the input's: large ones are refused, not allocated.
void tst_Lzma::dictionaryLimit()
{
    QFETCH(QByteArray, props);
    QFETCH(int, result);
    if (result != 0)
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^LZMA dictionary too large"));
    QByteArray out;
    if (props.size() == 1) {
        QCOMPARE(LZMA::decode2(hex("010002616263" "00"), &out, 3, uchar(props[0])), result);
    } else {
        QByteArray packed;
        QByteArray ownProps;
        QCOMPARE(LZMA::encode("abc", &packed, ownProps, 5), 0);
        QCOMPARE(LZMA::decode(packed, &out, 3, props), result);
    }
    QCOMPARE(out, result == 0 ? QByteArray("abc") : QByteArray());
}

void tst_Lzma::damagedInput()
{
    const QByteArray data = compressible(300000);
    QByteArray packed;
    unsigned char prop = 0;
    QCOMPARE(LZMA::encode2(data, &packed, &prop, 5), 0);
    QByteArray out;
    QVERIFY(LZMA::decode2(packed.left(packed.size() / 2), &out, uint64_t(data.size()), prop) != 0);
    QCOMPARE(LZMA::decode2(packed, &out, 100, 41), 4);  // no such dictionary size
    QCOMPARE(LZMA::decode(packed, &out, 100, hex("5d0000")), 4);  // props too short
    QRandomGenerator random(3);
    int failed = 0;
    for (int round = 0; round < 50; ++round) {
        QByteArray damaged = packed;
        const int at = int(random.bounded(damaged.size()));
        damaged[at] = char(damaged[at] ^ 0x41);
        out.clear();
        if (LZMA::decode2(damaged, &out, uint64_t(data.size()), prop) != 0 || out != data)
            ++failed;
    }
    QVERIFY(failed > 40);
}

void tst_Lzma::coderEncodeAndDecode()
{
    const QByteArray data = compressible(3 << 20);
    QBuffer in;
    in.setData(data);
    QByteArray packed;
    QBuffer out(&packed);
    QVERIFY(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
    LZMA::LZMACoder coder;
    QSignalSpy done(&coder, &LZMA::LZMACoder::done);
    QSignalSpy progress(&coder, &LZMA::LZMACoder::progress);
    coder.setIO(&in, &out);
    coder.encode2(5);
    QCOMPARE(done.size(), 1);
    QCOMPARE(done[0][0].value<unsigned char>(), 24);
    QVERIFY(progress.size() > 2);
    QCOMPARE(progress.last()[0].toInt(), 100);
    for (int i = 1; i < progress.size(); ++i)
        QVERIFY(progress[i][0].toInt() >= progress[i - 1][0].toInt());

    QBuffer packedIn;
    packedIn.setData(packed);
    QByteArray unpacked;
    QBuffer unpackedOut(&unpacked);
    QVERIFY(packedIn.open(QIODevice::ReadOnly) && unpackedOut.open(QIODevice::WriteOnly));
    done.clear();
    progress.clear();
    coder.setIO(&packedIn, &unpackedOut);
    coder.setLzmaProp(24);
    coder.setUncompressedSize(uint64_t(data.size()));
    coder.decode2();
    QCOMPARE(done.size(), 1);
    QCOMPARE(done[0][0].value<unsigned char>(), 0);
    QCOMPARE(progress.last()[0].toInt(), 100);
    QVERIFY(unpacked == data);
}

void tst_Lzma::coderFailures()
{
    LZMA::LZMACoder coder;
    QSignalSpy error(&coder, &LZMA::LZMACoder::error);
    QSignalSpy done(&coder, &LZMA::LZMACoder::done);
    coder.encode2(5);  // no devices
    QBuffer in;
    in.setData("abc");
    QByteArray sink;
    QBuffer out(&sink);
    QVERIFY(in.open(QIODevice::ReadOnly) && out.open(QIODevice::ReadOnly));
    coder.setIO(&in, &out);
    coder.decode2();  // size unknown
    coder.encode2(5);  // output not writable
    FailingDevice failing;
    coder.setIO(&failing, &out);
    coder.encode2(5);
    QCOMPARE(done.size(), 0);
    QCOMPARE(error.size(), 4);
    QCOMPARE(error[0][0].toInt(), 5);
    QCOMPARE(error[1][0].toInt(), 5);
    QCOMPARE(error[2][0].toInt(), 9);
    QCOMPARE(error[3][0].toInt(), 8);
}

QTEST_GUILESS_MAIN(tst_Lzma)
#include "tst_lzma.moc"
