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
Q_DECLARE_METATYPE(LargeBuffer::Pages)

class tst_LargeBuffer : public QObject
{
    Q_OBJECT
    TestHome home_;
    QTemporaryDir dir_;

private slots:
    void readFile_data();
    void readFile();
    void pagesAsAsked_data();
    void pagesAsAsked();
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

namespace {

// Whether the mapping that holds address is advised to take huge pages
// ("hg" among its flags in /proc/self/smaps); false when none holds it.
bool advisedHuge(const void* address)
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly))
        return false;
    const quintptr at = quintptr(address);
    bool inside = false;
    for (QByteArray line = smaps.readLine(); !line.isEmpty(); line = smaps.readLine()) {
        const int dash = line.indexOf('-');
        const int space = line.indexOf(' ');
        bool startOk = false;
        bool endOk = false;
        if (dash > 0 && space > dash) {
            const quintptr start = line.left(dash).toULongLong(&startOk, 16);
            const quintptr end = line.mid(dash + 1, space - dash - 1).toULongLong(&endOk, 16);
            if (startOk && endOk) {
                inside = start <= at && at < end;
                continue;
            }
        }
        if (inside && line.startsWith("VmFlags:"))
            return line.contains(" hg");
    }
    return false;
}

} // namespace

// A file read in one pass asks for plain pages; what the diff searches,
// huge ones, in the whole huge pages the buffer holds.
void tst_LargeBuffer::pagesAsAsked_data()
{
    QTest::addColumn<LargeBuffer::Pages>("pages");
    QTest::newRow("plain") << LargeBuffer::Pages::Plain;
    QTest::newRow("huge") << LargeBuffer::Pages::Huge;
}

void tst_LargeBuffer::pagesAsAsked()
{
    QFETCH(LargeBuffer::Pages, pages);
    if (!QFileInfo::exists(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled")))
        QSKIP("no transparent huge pages in this kernel");
    const QByteArray content = patchtest::randomBytes(int(LargeBuffer::kHugeMinimum) * 2, 5);
    const QString path = dir_.filePath(QStringLiteral("pages.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    LargeBuffer buffer;
    QCOMPARE(LargeBuffer::readFile(path, content.size(), &buffer, nullptr, pages), Read::Ok);
    QVERIFY(std::memcmp(buffer.data(), content.constData(), size_t(content.size())) == 0);
    // The middle lies in a whole huge page of the buffer, wherever it starts.
    QCOMPARE(advisedHuge(buffer.data() + buffer.size() / 2), pages == LargeBuffer::Pages::Huge);
}

QTEST_GUILESS_MAIN(tst_LargeBuffer)
#include "tst_largebuffer.moc"
