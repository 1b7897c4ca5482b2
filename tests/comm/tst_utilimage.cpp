#include "support/TestHome.h"
#include "comm/Util.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using vesk::pc::Util;

class tst_UtilImage : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    QTemporaryDir dir_;
    QString source_;

    static QByteArray head(const QString& path, int size)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
    }

private slots:
    void initTestCase();
    void refused_data();
    void refused();
    void scalesToExactSize_data();
    void scalesToExactSize();
    void failedSaveKeepsOldFile();
    void hugePictureRefusedBeforeDecoding();
};

void tst_UtilImage::initTestCase()
{
    QVERIFY(dir_.isValid());
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 60));
    source_ = dir_.filePath("source.png");
    QVERIFY(image.save(source_));
}

void tst_UtilImage::refused_data()
{
    QTest::addColumn<QString>("source");  // relative to the test folder
    QTest::addColumn<QString>("folder");  // of the destination
    QTest::addColumn<QString>("message");

    QTest::newRow("missing source") << "nothing.png" << "" << "Source image not exist: {src}";
    QTest::newRow("missing folder") << "source.png" << "missing" << "Directory not exist: {dir}";
    QTest::newRow("file as folder") << "source.png" << "source.png" << "Directory not exist: {dir}";
    QTest::newRow("not an image") << "text.png" << "" << "Image format invalid";
}

void tst_UtilImage::refused()
{
    QFETCH(QString, source);
    QFETCH(QString, folder);
    QFETCH(QString, message);
    QFile text(dir_.filePath("text.png"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("this is not a picture");
    text.close();
    const QString src = dir_.filePath(source);
    const QString parent = QDir::cleanPath(dir_.filePath(folder));
    const QStringList before = QDir(dir_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);

    QTest::ignoreMessage(QtCriticalMsg, qPrintable(message.replace("{src}", src).replace("{dir}", parent)));
    QVERIFY(!Util::resizeImage(src, parent + "/out.png", 10, 10));
    QCOMPARE(QDir(dir_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);
}

void tst_UtilImage::scalesToExactSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("png") << "scaled.png" << QByteArray("\x89PNG\r\n\x1a\n");
    QTest::newRow("jpeg") << "scaled.jpg" << QByteArray("\xFF\xD8\xFF");
}

void tst_UtilImage::scalesToExactSize()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    if (name.endsWith(".jpg") && !QImageWriter::supportedImageFormats().contains("jpg"))
        QSKIP("No JPEG writer in this Qt");
    const QString dst = dir_.filePath(name);
    QVERIFY(Util::resizeImage(source_, dst, 13, 57));
    QCOMPARE(head(dst, magic.size()), magic);
    const QImage scaled(dst);
    QCOMPARE(scaled.size(), QSize(13, 57));
    const QColor centre = scaled.pixelColor(6, 28);
    QVERIFY2(qAbs(centre.red() - 200) < 8 && qAbs(centre.green() - 30) < 8
                 && qAbs(centre.blue() - 60) < 8,
             qPrintable(centre.name()));

    // Again over the existing file.
    QVERIFY(Util::resizeImage(source_, dst, 4, 3));
    QCOMPARE(QImage(dst).size(), QSize(4, 3));
}

void tst_UtilImage::failedSaveKeepsOldFile()
{
    QTemporaryDir out;
    const QString dst = out.filePath("picture.unknownformat");
    QFile old(dst);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot save image"));
    QVERIFY(!Util::resizeImage(source_, dst, 10, 10));
    QCOMPARE(head(dst, 100), QByteArray("old"));
    QCOMPARE(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"picture.unknownformat"});

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Invalid image size"));
    QVERIFY(!Util::resizeImage(source_, out.filePath("zero.png"), 0, 10));
    QVERIFY(!QFile::exists(out.filePath("zero.png")));
}

// A small file whose header declares 15000 x 15000 pixels would take about
// a gigabyte to decode.
void tst_UtilImage::hugePictureRefusedBeforeDecoding()
{
    if (!QImageWriter::supportedImageFormats().contains("jpg"))
        QSKIP("No JPEG writer in this Qt");
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && QImage(source_).save(&buffer, "JPG"));
    const int frame = jpeg.indexOf("\xFF\xC0");  // start of frame: length, precision, height, width
    QVERIFY(frame > 0);
    for (int at : {frame + 5, frame + 7})
        qToBigEndian<quint16>(15000, jpeg.data() + at);
    const QString src = dir_.filePath("huge.jpg");
    QFile file(src);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size());
    file.close();

    QTest::ignoreMessage(QtCriticalMsg, "Image too large: QSize(15000, 15000)");
    QVERIFY(!Util::resizeImage(src, dir_.filePath("huge-out.png"), 10, 10));
    QVERIFY(!QFile::exists(dir_.filePath("huge-out.png")));
}

QTEST_GUILESS_MAIN(tst_UtilImage)
#include "tst_utilimage.moc"
