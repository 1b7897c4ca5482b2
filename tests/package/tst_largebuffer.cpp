#include "support/TestHome.h"
#include "support/PatchTestBytes.h"
#include "package/LargeBuffer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using vesk::pc::LargeBuffer;
using Read = LargeBuffer::Read;

Q_DECLARE_METATYPE(LargeBuffer::Read)

class tst_LargeBuffer : public QObject
{
    Q_OBJECT
    TestHome home_;
    QTemporaryDir dir_;

private slots:
    void readFile_data();
    void readFile();
};

void tst_LargeBuffer::readFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("maxSize");
    QTest::addColumn<Read>("result");
    const QByteArray big = patchtest::randomBytes(int(LargeBuffer::kHugeMinimum) + 4097, 3);
    QTest::newRow("whole, above the huge-page minimum") << big << "big.bin" << qint64(big.size()) << Read::Ok;
    QTest::newRow("small") << QByteArray("abc") << "small.bin" << qint64(3) << Read::Ok;
    QTest::newRow("empty") << QByteArray() << "empty.bin" << qint64(0) << Read::Ok;
    QTest::newRow("one byte above the bound") << QByteArray("abcd") << "four.bin" << qint64(3) << Read::TooLarge;
    QTest::newRow("missing") << QByteArray() << "" << qint64(10) << Read::OpenFailed;
    QTest::newRow("a folder where the file should be") << QByteArray() << "." << qint64(10) << Read::OpenFailed;
    // Installed files may be links: read where they lead.
    QTest::newRow("a link") << QByteArray("abc") << "linked.bin" << qint64(3) << Read::Ok;
}

void tst_LargeBuffer::readFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    QFETCH(qint64, maxSize);
    QFETCH(Read, result);
    QString path = dir_.filePath(name.isEmpty() ? QStringLiteral("missing.bin") : name);
    if (name == ".")
        path = dir_.path();
    else if (!name.isEmpty()) {
        QFile file(name == "linked.bin" ? path + ".target" : path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        QVERIFY(name != "linked.bin" || QFile::link(file.fileName(), path));
    }
    LargeBuffer buffer;
    QVERIFY(buffer.reset(16));  // what was there before goes
    QString error;
    QCOMPARE(LargeBuffer::readFile(path, maxSize, &buffer, &error), result);
    if (result != Read::Ok) {
        QCOMPARE(buffer.size(), 0);
        QCOMPARE(error.isEmpty(), result == Read::TooLarge);
        return;
    }
    QCOMPARE(buffer.size(), qint64(content.size()));
    QVERIFY(content.isEmpty()
            || std::memcmp(buffer.data(), content.constData(), size_t(content.size())) == 0);
}

QTEST_GUILESS_MAIN(tst_LargeBuffer)
#include "tst_largebuffer.moc"
