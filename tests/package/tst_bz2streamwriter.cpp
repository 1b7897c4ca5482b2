#include "support/TestHome.h"
#include "support/PatchTestBytes.h"
#include "package/Bz2StreamWriter.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <bzlib.h>

using vesk::pc::Bz2StreamWriter;

using namespace patchtest;

namespace {

// Decodes exactly one stream that must use up all of its input; "error"
// otherwise.
QByteArray decodeOneStream(const QByteArray& compressed, int limit)
{
    bz_stream stream = {};
    if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK)
        return "error";
    QByteArray out(limit + 1, '\0');
    stream.next_in = const_cast<char*>(compressed.constData());
    stream.avail_in = unsigned(compressed.size());
    stream.next_out = out.data();
    stream.avail_out = unsigned(out.size());
    const int result = BZ2_bzDecompress(&stream);
    const unsigned left = stream.avail_in;
    out.truncate(out.size() - int(stream.avail_out));
    BZ2_bzDecompressEnd(&stream);
    return result == BZ_STREAM_END && left == 0 ? out : QByteArray("error");
}

QByteArray serialStream(const QByteArray& data)
{
    QByteArray out(data.size() + data.size() / 100 + 600, '\0');
    unsigned length = unsigned(out.size());
    BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char*>(data.constData()),
                             unsigned(data.size()), 9, 0, 0);
    return out.left(int(length));
}

} // namespace

class tst_Bz2StreamWriter : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    QTemporaryDir dir_;

    // Writes data in pieces of at most step bytes; the file's bytes.
    QByteArray compress(const QByteArray& data, int step);

private slots:
    void emptyStream();
    void oneStream_data();
    void oneStream();
    void piecesDoNotMatter();
    void writeFailure();
};

QByteArray tst_Bz2StreamWriter::compress(const QByteArray& data, int step)
{
    const QByteArray path = QFile::encodeName(dir_.filePath("out.bz2"));
    FILE* file = std::fopen(path.constData(), "wb");
    if (!file)
        return QByteArray();
    int result = BZ_OK;
    {
        Bz2StreamWriter writer(file);
        for (int at = 0; at < data.size(); at += step)
            writer.write(data.constData() + at, std::min(step, data.size() - at));
        result = writer.finish();
    }
    std::fclose(file);
    QFile in(dir_.filePath("out.bz2"));
    return result == BZ_OK && in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("failed");
}

// Header, end-of-stream magic 0x177245385090 and a combined CRC of 0.
void tst_Bz2StreamWriter::emptyStream()
{
    QCOMPARE(compress(QByteArray(), 1).toHex(), QByteArray("425a683917724538509000000000"));
}

void tst_Bz2StreamWriter::oneStream_data()
{
    QTest::addColumn<QByteArray>("data");
    QByteArray sparse(24 << 20, '\0');
    for (int i = 0; i < sparse.size(); i += 4096)
        sparse[i] = char(i / 4096);
    QByteArray fours;  // runs of four: the first stage's worst growth
    while (fours.size() < (2 << 20))
        fours += "aaaab";
    QTest::newRow("small") << QByteArray("hello, camera");
    QTest::newRow("3 MiB random, several blocks") << randomBytes(3 << 20, 9);
    QTest::newRow("24 MiB sparse") << sparse;
    QTest::newRow("runs of four") << fours;
}

void tst_Bz2StreamWriter::oneStream()
{
    QFETCH(QByteArray, data);
    const QByteArray stream = compress(data, 1 << 20);
    QVERIFY(stream.startsWith("BZh9"));
    QVERIFY(decodeOneStream(stream, data.size()) == data);
    // Blocks are cut where the serial compressor would cut them, and also
    // after every 2 MiB of input: the size stays that of the serial stream
    // plus at most one block's tables for each such cut.
    const QByteArray serial = serialStream(data);
    const int extraCuts = data.size() / (2 << 20);
    QVERIFY2(stream.size() <= serial.size() + serial.size() / 200 + 16 + extraCuts * 700,
             qPrintable(QString("%1 vs %2").arg(stream.size()).arg(serial.size())));
}

void tst_Bz2StreamWriter::piecesDoNotMatter()
{
    QByteArray data = randomBytes(1200000, 10);
    data.replace(100000, 500000, QByteArray(500000, 'x'));
    const QByteArray whole = compress(data, data.size());
    QCOMPARE(compress(data, 7), whole);
    QCOMPARE(compress(data, 65536), whole);
    QVERIFY(decodeOneStream(whole, data.size()) == data);
}

// A full disk cannot be bypassed, not even by root.
void tst_Bz2StreamWriter::writeFailure()
{
    FILE* full = std::fopen("/dev/full", "wb");
    if (!full)
        QSKIP("no /dev/full");
    const QByteArray data = randomBytes(3 << 20, 11);
    int result = BZ_OK;
    {
        Bz2StreamWriter writer(full);
        writer.write(data.constData(), data.size());
        result = writer.finish();
    }
    std::fclose(full);
    QCOMPARE(result, BZ_IO_ERROR);
}

QTEST_GUILESS_MAIN(tst_Bz2StreamWriter)
#include "tst_bz2streamwriter.moc"
