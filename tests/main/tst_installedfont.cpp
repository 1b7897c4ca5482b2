// The installed fonts: the system's copy of a family is used when fontconfig
// has it, the file is registered otherwise, and a missing file is reported.

#include "main/InstalledFont.h"

#include <QFontDatabase>
#include <QtTest>

using vesk::pc::InstalledFont;

namespace {

QString staged(const InstalledFont& font)
{
    return qEnvironmentVariable("ORLACAM_STAGE_DIR") + QLatin1Char('/') + font.relativePath();
}

} // namespace

class tst_InstalledFont : public QObject
{
    Q_OBJECT

private slots:
    void tableNamesTheFilesFamilies_data();
    void tableNamesTheFilesFamilies();
    void systemCopyIsPreferred();
    void fileIsRegisteredWithoutSystemCopy();
    void missingFileIsReported();
};

void tst_InstalledFont::tableNamesTheFilesFamilies_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("family");
    QTest::newRow("cjk") << InstalledFont::kCjk.relativePath() << InstalledFont::kCjk.family();
    QTest::newRow("latin") << InstalledFont::kLatin.relativePath() << InstalledFont::kLatin.family();
}

// The table's family is the one the staged file carries, so that the system's
// copy is the same font.
void tst_InstalledFont::tableNamesTheFilesFamilies()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, family);
    const QString path = qEnvironmentVariable("ORLACAM_STAGE_DIR") + QLatin1Char('/') + relativePath;
    if (!QFileInfo::exists(path))
        QSKIP("font not staged");
    const int id = QFontDatabase::addApplicationFont(path);
    QVERIFY(id >= 0);
    QCOMPARE(QFontDatabase::applicationFontFamilies(id).value(0), family);
    QVERIFY(QFontDatabase::removeApplicationFont(id));
}

void tst_InstalledFont::systemCopyIsPreferred()
{
    const InstalledFont& cjk = InstalledFont::kCjk;
    if (!QFileInfo::exists(staged(cjk)) || !QFontDatabase().hasFamily(cjk.family()))
        QSKIP("CJK font not staged or not offered by fontconfig");
    bool registered = true;
    QCOMPARE(cjk.resolve(staged(cjk), &registered), cjk.family());
    QVERIFY(!registered);
}

void tst_InstalledFont::fileIsRegisteredWithoutSystemCopy()
{
    // A family nobody has: the file itself must be registered.
    const InstalledFont unknown("font/SourceHanSansCN-Bold.otf", "No Such Family");
    if (!QFileInfo::exists(staged(InstalledFont::kCjk)))
        QSKIP("CJK font not staged");
    bool registered = false;
    QCOMPARE(unknown.resolve(staged(InstalledFont::kCjk), &registered), InstalledFont::kCjk.family());
    QVERIFY(registered);
}

void tst_InstalledFont::missingFileIsReported()
{
    const QString path = QDir::temp().filePath(QStringLiteral("no-such-font.ttf"));
    QTest::ignoreMessage(QtWarningMsg, qPrintable("Font not loaded: " + path));
    bool registered = true;
    QCOMPARE(InstalledFont::kCjk.resolve(path, &registered), QFont().family());
    QVERIFY(!registered);
}

QTEST_MAIN(tst_InstalledFont)
#include "tst_installedfont.moc"
