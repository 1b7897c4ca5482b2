#include "support/TestHome.h"
#include "comm/Util.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QtTest>

#include <functional>

using vesk::pc::Util;

namespace {

const uint8_t* bytes(const QByteArray& data)
{
    return reinterpret_cast<const uint8_t*>(data.constData());
}

uint32_t length(const QByteArray& data)
{
    return static_cast<uint32_t>(data.size());
}

QByteArray patternBytes(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return data;
}

} // namespace

class tst_UtilChecksum : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void tables_data();
    void tables();
    void buffers_data();
    void buffers();
    void crc32InPieces();
    void crc32ForFile_data();
    void crc32ForFile();
    void fileLeavesDeviceOpenState();
    void shortReadsStop();
    void failedOpenAndSeek();
    void md5Ranges_data();
    void md5Ranges();
    void md5IntoCallerHash();
};

// Entries of the published tables of each polynomial.
void tst_UtilChecksum::tables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("index");
    QTest::addColumn<uint>("expected");

    const struct { const char* table; int index; uint expected; } rows[] = {
        {"crc32", 0x00, 0x00000000}, {"crc32", 0x01, 0x77073096}, {"crc32", 0x02, 0xEE0E612C},
        {"crc32", 0x03, 0x990951BA}, {"crc32", 0x80, 0xEDB88320}, {"crc32", 0xFF, 0x2D02EF8D},
        {"crc16hi", 0x01, 0xC1}, {"crc16hi", 0x02, 0x81}, {"crc16hi", 0x03, 0x40},
        {"crc16hi", 0x80, 0x01}, {"crc16hi", 0xFF, 0x40}, {"crc16lo", 0x01, 0xC0},
        {"crc16lo", 0x02, 0xC1}, {"crc16lo", 0x04, 0xC3}, {"crc16lo", 0x80, 0xA0},
        {"crc16lo", 0xFF, 0x40}, {"crc8", 0x01, 0x07}, {"crc8", 0x02, 0x0E}, {"crc8", 0x46, 0xD5},
        {"crc8", 0x47, 0x0D}, {"crc8", 0x48, 0xFF}, {"crc8", 0x80, 0x89}, {"crc8", 0xFF, 0xF3},
    };
    for (const auto& row : rows) {
        QTest::addRow("%s[0x%02X]", row.table, row.index)
            << QString::fromLatin1(row.table) << row.index << row.expected;
    }
}

void tst_UtilChecksum::tables()
{
    static const QHash<QString, std::function<uint(int)>> entryOf = {
        {"crc32", [](int i) { return uint(Util::crc32_tab[i]); }},
        {"crc16hi", [](int i) { return uint(Util::crc16_high_tab[i]); }},
        {"crc16lo", [](int i) { return uint(Util::crc16_low_tab[i]); }},
        {"crc8", [](int i) { return uint(Util::crc8_table[i]); }},
    };
    QFETCH(QString, table);
    QFETCH(int, index);
    QFETCH(uint, expected);
    QCOMPARE(entryOf.value(table)(index), expected);
}

void tst_UtilChecksum::buffers_data()
{
    QTest::addColumn<QString>("algorithm");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<uint>("expected");

    const QByteArray check("123456789");
    QTest::newRow("crc32 check") << "crc32" << check << 0xCBF43926u;
    QTest::newRow("crc32 empty") << "crc32" << QByteArray() << 0u;
    QTest::newRow("crc32 a") << "crc32" << QByteArray("a") << 0xE8B7BE43u;
    QTest::newRow("crc32 abc") << "crc32" << QByteArray("abc") << 0x352441C2u;
    QTest::newRow("crc32 fox") << "crc32"
                               << QByteArray("The quick brown fox jumps over the lazy dog")
                               << 0x414FA339u;
    QTest::newRow("crc16 check") << "crc16" << check << 0xB4C8u;
    QTest::newRow("crc16 empty") << "crc16" << QByteArray() << 0u;
    QTest::newRow("crc8 check") << "crc8" << check << 0xF4u;
    QTest::newRow("crc8 empty") << "crc8" << QByteArray() << 0u;
    QTest::newRow("crc8 47") << "crc8" << QByteArray("\x47", 1) << 0x0Du;
    QTest::newRow("crc8 00 47") << "crc8" << QByteArray("\x00\x47", 2) << 0x0Du;
    // 0x01 leaves 0x07 in the register, so the second byte meets entry 0x47.
    QTest::newRow("crc8 01 40") << "crc8" << QByteArray("\x01\x40", 2) << 0x0Du;
    // 0x0D from entry 0x47, then the published entry 0x0D.
    QTest::newRow("crc8 47 00") << "crc8" << QByteArray("\x47\x00", 2) << 0x23u;
}

void tst_UtilChecksum::buffers()
{
    using Checksum = std::function<uint(const QByteArray&)>;
    static const QHash<QString, Checksum> checksumOf = {
        {"crc32", [](const QByteArray& d) { return uint(Util::crc32ForBuf(bytes(d), length(d))); }},
        {"crc16", [](const QByteArray& d) { return uint(Util::crc16ForBuf(bytes(d), length(d))); }},
        {"crc8", [](const QByteArray& d) { return uint(Util::crc8ForBuf(bytes(d), length(d))); }},
    };
    QFETCH(QString, algorithm);
    QFETCH(QByteArray, data);
    QFETCH(uint, expected);
    QCOMPARE(checksumOf.value(algorithm)(data), expected);
}

void tst_UtilChecksum::crc32InPieces()
{
    const QByteArray data("123456789");
    QCOMPARE(Util::crc32Init(), 0xFFFFFFFFu);
    QCOMPARE(Util::crc32Final(0x12345678u), 0xEDCBA987u);
    const uint32_t whole = Util::crc32Update(bytes(data), length(data), Util::crc32Init());
    QCOMPARE(Util::crc32Final(whole), 0xCBF43926u);
    const uint32_t first = Util::crc32Update(bytes(data), 4, Util::crc32Init());
    const uint32_t both = Util::crc32Update(bytes(data) + 4, 5, first);
    QCOMPARE(both, whole);
    QCOMPARE(Util::crc32Final(Util::crc32Update(bytes(data), 0, Util::crc32Init())), 0u);
}

void tst_UtilChecksum::crc32ForFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<uint>("offset");
    QTest::addColumn<uint>("length");
    QTest::addColumn<uint>("expected");

    QTest::newRow("whole file") << QByteArray("123456789") << 0u << 0u << 0xCBF43926u;
    QTest::newRow("range") << QByteArray("ab123456789cd") << 2u << 9u << 0xCBF43926u;
    QTest::newRow("rest from offset") << QByteArray("ab123456789") << 2u << 0u << 0xCBF43926u;
    QTest::newRow("empty file") << QByteArray() << 0u << 0u << 0u;
}

void tst_UtilChecksum::crc32ForFile()
{
    QFETCH(QByteArray, content);
    QFETCH(uint, offset);
    QFETCH(uint, length);
    QFETCH(uint, expected);
    QBuffer buffer(&content);
    QCOMPARE(uint(Util::crc32ForFile(&buffer, offset, length)), expected);
}

void tst_UtilChecksum::fileLeavesDeviceOpenState()
{
    // Several chunks and a partial last one.
    const QByteArray data = patternBytes(2048 * 3 + 100);
    const uint32_t expected = Util::crc32ForBuf(bytes(data), length(data));
    const QByteArray md5 = QCryptographicHash::hash(data, QCryptographicHash::Md5);
    QTemporaryFile temporary;
    QVERIFY(temporary.open());
    QCOMPARE(temporary.write(data), qint64(data.size()));
    temporary.close();
    QFile& file = temporary;  // reopened as a plain file, read-only

    QCOMPARE(Util::crc32ForFile(&temporary, 0, 0), expected);
    QVERIFY(!temporary.isOpen());

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(Util::crc32ForFile(&temporary, 0, 0), expected);
    QVERIFY(temporary.isOpen());
    QCOMPARE(Util::md5ForFile(&temporary, 0), md5);
    QVERIFY(temporary.isOpen());
    temporary.close();

    QCOMPARE(Util::md5ForFile(&temporary, 0, data.size()), md5);
    QVERIFY(!temporary.isOpen());
}

void tst_UtilChecksum::shortReadsStop()
{
    QByteArray content("123456789");
    QBuffer buffer(&content);
    const QRegularExpression shortRead("Short read");

    // What could be read is checksummed; it can never match a stored value
    // of the whole range.
    QTest::ignoreMessage(QtWarningMsg, shortRead);
    QCOMPARE(Util::crc32ForFile(&buffer, 0, 5000), 0xCBF43926u);
    QVERIFY(!buffer.isOpen());

    QTest::ignoreMessage(QtWarningMsg, shortRead);
    QVERIFY(Util::md5ForFile(&buffer, 0, 10).isEmpty());

    QCryptographicHash hash(QCryptographicHash::Md5);
    QTest::ignoreMessage(QtWarningMsg, shortRead);
    QVERIFY(!Util::md5ForFile(&buffer, 4, 100, &hash));
}

void tst_UtilChecksum::failedOpenAndSeek()
{
    QTemporaryDir dir;
    QFile missing(dir.filePath("missing.bin"));
    const QRegularExpression cannotOpen("Cannot open device");
    QTest::ignoreMessage(QtWarningMsg, cannotOpen);
    QCOMPARE(Util::crc32ForFile(&missing, 0, 0), 0u);
    QVERIFY(!missing.isOpen());
    QTest::ignoreMessage(QtWarningMsg, cannotOpen);
    QVERIFY(Util::md5ForFile(&missing, 0).isEmpty());
    QFile writeOnly(dir.filePath("written.bin"));
    QVERIFY(writeOnly.open(QIODevice::WriteOnly));
    QTest::ignoreMessage(QtWarningMsg, "Device is not readable");
    QVERIFY(Util::md5ForFile(&writeOnly, 0, 1).isEmpty());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No device"));
    QCOMPARE(Util::crc32ForFile(nullptr, 0, 9), 0u);

    QBuffer buffer;
    buffer.setData("abc");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("beyond the end"));
    QVERIFY(Util::md5ForFile(&buffer, 4).isEmpty());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("QBuffer::seek"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot seek"));
    QVERIFY(Util::md5ForFile(&buffer, 10, 2).isEmpty());
    QVERIFY(!buffer.isOpen());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No hash object"));
    QVERIFY(!Util::md5ForFile(&buffer, 0, 2, nullptr));
}

void tst_UtilChecksum::md5Ranges_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<uint>("offset");
    QTest::addColumn<bool>("toEnd");  // the two-argument form
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray noData = QByteArray::fromHex("d41d8cd98f00b204e9800998ecf8427e");
    QTest::newRow("to end") << QByteArray("xx123456789") << 2u << true << 0
                            << QByteArray::fromHex("25f9e794323b453885f5181f1b624d0b");
    QTest::newRow("range") << QByteArray("xxabcyy") << 2u << false << 3
                           << QByteArray::fromHex("900150983cd24fb0d6963f7d28e17f72");
    QTest::newRow("at end") << QByteArray("abc") << 3u << true << 0 << noData;
    QTest::newRow("zero length") << QByteArray("abc") << 0u << false << 0 << noData;
    QTest::newRow("negative length") << QByteArray("abc") << 0u << false << -5 << noData;
}

void tst_UtilChecksum::md5Ranges()
{
    QFETCH(QByteArray, content);
    QFETCH(uint, offset);
    QFETCH(bool, toEnd);
    QFETCH(int, length);
    QFETCH(QByteArray, expected);
    QBuffer buffer(&content);
    const QByteArray digest =
        toEnd ? Util::md5ForFile(&buffer, offset) : Util::md5ForFile(&buffer, offset, length);
    QCOMPARE(digest, expected);
}

void tst_UtilChecksum::md5IntoCallerHash()
{
    QBuffer buffer;
    buffer.setData("--ab--c--");
    QCryptographicHash hash(QCryptographicHash::Md5);
    QVERIFY(Util::md5ForFile(&buffer, 2, 2, &hash));
    QVERIFY(Util::md5ForFile(&buffer, 6, 1, &hash));
    QVERIFY(Util::md5ForFile(&buffer, 0, 0, &hash));
    QVERIFY(!buffer.isOpen());
    QCOMPARE(hash.result(), QByteArray::fromHex("900150983cd24fb0d6963f7d28e17f72"));
}

QTEST_GUILESS_MAIN(tst_UtilChecksum)
#include "tst_utilchecksum.moc"
