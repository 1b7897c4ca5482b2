#include "BoxTestSupport.h"
#include "support/TestHome.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/MsgProgressUi.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

QString languageDir()
{
    return qEnvironmentVariable("ORLACAM_STAGE_DIR") + QStringLiteral("/language");
}

} // namespace

class TstUicommTranslations : public QObject
{
    Q_OBJECT

private:
    TestHome home;

private slots:
    void initTestCase();
    void eachLanguageTranslates_data();
    void eachLanguageTranslates();
    void everyEntryFinished_data();
    void everyEntryFinished();
};

void TstUicommTranslations::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("ORLACAM_STAGE_DIR"), "run through ctest");
}

void TstUicommTranslations::eachLanguageTranslates_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("progressTitle");
    QTest::newRow("English") << "en_US" << "Yes" << "OK" << "Downloading firmware";
    QTest::newRow("simplified Chinese") << "zh_CN" << "是" << "确定" << "正在下载固件";
    QTest::newRow("traditional Chinese") << "zh_HK" << "是" << "確定" << "正在下載韌體";
    QTest::newRow("Japanese") << "jp_JP" << "はい" << "OK" << "ファームウェアをダウンロード中";
    QTest::newRow("German") << "ge_GE" << "Ja" << "OK" << "Firmware wird heruntergeladen";
    QTest::newRow("Spanish") << "es_ES" << "Sí" << "Aceptar" << "Descargando firmware";
}

// Installing a translation re-sets the boxes' texts, buttons a caller renamed included.
void TstUicommTranslations::eachLanguageTranslates()
{
    QFETCH(QString, code);
    QFETCH(QString, yes);
    QFETCH(QString, ok);
    QFETCH(QString, progressTitle);

    MsgInfoUi info;
    info.setButtonText(QMessageBox::Yes, QStringLiteral("Turn On"));
    MsgProgressUi progress;

    QTranslator translator;
    QVERIFY(translator.load(languageDir() + QStringLiteral("/OrlaCam_") + code + QStringLiteral(".qm")));
    // English too has an entry, so switching back to it is a real change.
    QVERIFY(!translator.isEmpty());
    QCOMPARE(translator.translate("MsgInfoUi", "Yes"), yes);
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QCoreApplication::processEvents();  // the change reaches windows posted

    QCOMPARE(childButton(&info, "pbYes")->text(), yes);
    QCOMPARE(childButton(&progress, "pbOk")->text(), ok);
    QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("lbTitle"))->text(), progressTitle);
    QVERIFY(!info.windowTitle().isEmpty());
    QVERIFY(QCoreApplication::removeTranslator(&translator));
    QCoreApplication::processEvents();
    QCOMPARE(childButton(&info, "pbYes")->text(), QStringLiteral("Yes"));
}

void TstUicommTranslations::everyEntryFinished_data()
{
    QTest::addColumn<QString>("path");
    const QString dir = QFINDTESTDATA("../../resources/language");
    QVERIFY(!dir.isEmpty());
    const QStringList files = QDir(dir).entryList({QStringLiteral("OrlaCam_*.ts")}, QDir::Files);
    QCOMPARE(files.size(), 6);
    for (const QString& f : files)
        QTest::newRow(qPrintable(f)) << QDir(dir).filePath(f);
}

// Every text of every language has a finished, non-empty translation.
void TstUicommTranslations::everyEntryFinished()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString source;
    int count = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const bool unfinished = !xml.attributes().value(QLatin1String("type")).isEmpty();
            const QString text = xml.readElementText();
            QVERIFY2(!unfinished && !text.isEmpty(), qPrintable(source));
            ++count;
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(count > 0);
}

QTEST_MAIN(TstUicommTranslations)
#include "tst_uicommtranslations.moc"
