#include "support/BoxTestSupport.h"
#include "support/Legibility.h"
#include "support/TestHome.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/MsgProgressUi.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

QString languageDir()
{
    return qEnvironmentVariable("ORLACAM_STAGE_DIR") + QStringLiteral("/language");
}

// Context and source text of every entry of a .ts file.
QSet<QString> entriesOf(const QString& path)
{
    QSet<QString> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("source"))
            entries << context + QStringLiteral(" | ") + xml.readElementText();
    }
    return entries;
}

} // namespace

class tst_UicommTranslations : public QObject
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
    void listsTheTextsOfTheCode_data();
    void listsTheTextsOfTheCode();
};

void tst_UicommTranslations::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("ORLACAM_STAGE_DIR"), "run through ctest");
    QVERIFY(useProgramFonts());
}

void tst_UicommTranslations::eachLanguageTranslates_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("progressTitle");
    QTest::addColumn<QString>("upToDate");
    QTest::newRow("English") << "en_US" << "Yes" << "OK" << "Downloading firmware"
                             << "Current firmware is up to date!";
    QTest::newRow("simplified Chinese") << "zh_CN" << "是" << "确定" << "正在下载固件" << "当前固件已是最新版本！";
    QTest::newRow("traditional Chinese") << "zh_HK" << "是" << "確定" << "正在下載韌體" << "目前韌體已是最新版本！";
    QTest::newRow("Japanese") << "jp_JP" << "はい" << "OK" << "ファームウェアをダウンロード中"
                              << "ファームウェアは最新です！";
    QTest::newRow("German") << "ge_GE" << "Ja" << "OK" << "Firmware wird heruntergeladen"
                            << "Die Firmware ist auf dem neuesten Stand!";
    QTest::newRow("Spanish") << "es_ES" << "Sí" << "Aceptar" << "Descargando firmware"
                             << "¡El firmware está actualizado!";
}

// Installing a translation re-sets the boxes' texts, buttons a caller renamed included.
void tst_UicommTranslations::eachLanguageTranslates()
{
    QFETCH(QString, code);
    QFETCH(QString, yes);
    QFETCH(QString, ok);
    QFETCH(QString, progressTitle);
    QFETCH(QString, upToDate);

    MsgInfoUi info;
    info.setButtonText(QMessageBox::Yes, QStringLiteral("Turn On"));
    MsgProgressUi progress;

    QTranslator translator;
    QVERIFY(translator.load(languageDir() + QStringLiteral("/OrlaCam_") + code + QStringLiteral(".qm")));
    // English too has an entry, so switching back to it is a real change.
    QVERIFY(!translator.isEmpty());
    QCOMPARE(translator.translate("MsgInfoUi", "Yes"), yes);
    QCOMPARE(translator.translate("UvcDevice", "Current firmware is up to date!"), upToDate);
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QCoreApplication::processEvents();  // the change reaches windows posted

    QCOMPARE(childButton(&info, "pbYes")->text(), yes);
    QCOMPARE(childButton(&progress, "pbOk")->text(), ok);
    QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("lbTitle"))->text(), progressTitle);
    QVERIFY(!info.windowTitle().isEmpty());

    // Rendered for a person to look at (msginfoui_<language>.png and
    // msgprogressui_<language>.png in the build directory): both boxes show
    // their texts whole, with a translated title, text, second button and
    // status.
    info.setTitle(translator.translate("MainUserUi", "Tips"));
    info.setText(translator.translate("MainUserUi", "Please zoom in first before adjusting the direction."));
    info.addButton(QMessageBox::No);
    progress.onProgressUpdate(40, translator.translate("UvcDevice", "Cannot get latest firmware info from server!"));
    info.show();
    progress.show();
    QVERIFY(info.grab().save(stagedFile(QStringLiteral("msginfoui_") + code + QStringLiteral(".png"))));
    QVERIFY(progress.grab().save(stagedFile(QStringLiteral("msgprogressui_") + code + QStringLiteral(".png"))));
    const QString faults = legibilityFault(&info) + QLatin1Char(' ') + legibilityFault(&progress);
    QVERIFY2(faults.trimmed().isEmpty(), qPrintable(faults));
    QVERIFY(QCoreApplication::removeTranslator(&translator));
    QCoreApplication::processEvents();
    QCOMPARE(childButton(&info, "pbYes")->text(), QStringLiteral("Yes"));
}

void tst_UicommTranslations::everyEntryFinished_data()
{
    QTest::addColumn<QString>("path");
    const QString dir = QStringLiteral(ORLACAM_SOURCE_DIR "/resources/language");
    const QStringList files = QDir(dir).entryList({QStringLiteral("OrlaCam_*.ts")}, QDir::Files);
    QCOMPARE(files.size(), 6);
    for (const QString& f : files)
        QTest::newRow(qPrintable(f)) << QDir(dir).filePath(f);
}

// Every text of every language has a finished, non-empty translation.
void tst_UicommTranslations::everyEntryFinished()
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

void tst_UicommTranslations::listsTheTextsOfTheCode_data()
{
    everyEntryFinished_data();
}

// The .ts files are kept by hand: lupdate, run on the sources into a scratch
// file, finds what the code marks for translation, and each language has
// exactly those texts.
void tst_UicommTranslations::listsTheTextsOfTheCode()
{
    QFETCH(QString, path);
    static QSet<QString> inCode;
    if (inCode.isEmpty()) {
        QTemporaryDir scratch;
        const QString ts = scratch.filePath(QStringLiteral("code.ts"));
        QProcess lupdate;
        lupdate.start(QStringLiteral(ORLACAM_LUPDATE),
                      {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                       QStringLiteral("-recursive"), QStringLiteral(ORLACAM_SOURCE_DIR "/src"),
                       QStringLiteral("-ts"), ts});
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);
        inCode = entriesOf(ts);
        QVERIFY(inCode.size() > 40);
    }
    const QSet<QString> listed = entriesOf(path);
    for (const QString& entry : inCode)
        QVERIFY2(listed.contains(entry), qPrintable(QStringLiteral("missing: ") + entry));
    for (const QString& entry : listed)
        QVERIFY2(inCode.contains(entry), qPrintable(QStringLiteral("not in the code: ") + entry));
}

QTEST_MAIN(tst_UicommTranslations)
#include "tst_uicommtranslations.moc"
