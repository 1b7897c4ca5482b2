// The store folder against a program that may write in it: a hard link
// swapped in and out while a name is opened, names taken before a new file
// is made there. Each time a file outside the folder stays as it was and
// unread.

#include "support/LogCapture.h"
#include "support/NameSwapper.h"
#include "support/TestFiles.h"
#include "support/TestHome.h"
#include "package/StoreFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

using vesk::pc::StoreFolder;

namespace {

// The random parts of new names, as a test sets them: 0, 1, 2... or the
// same one every time.
std::atomic<quint64> nextPart{0};
std::atomic<bool> sameEveryTime{false};

quint64 knownPart()
{
    return sameEveryTime ? nextPart.load() : nextPart++;
}

// The temporary name a new file of name is made under, for random part n.
QString tempName(const QString& name, quint64 n)
{
    return "." + name + "." + QString::number(QCoreApplication::applicationPid()) + "-" + QString::number(n, 36);
}

enum class Planted { File, LinkToAFile, LinkToNothing, Folder };

bool plant(Planted kind, const QString& at, const QString& outside)
{
    switch (kind) {
    case Planted::File:
        return writeFile(at, "planted");
    case Planted::LinkToAFile:
        return writeFile(outside, "outside") && QFile::link(outside, at);
    case Planted::LinkToNothing:
        return QFile::link(outside, at);
    case Planted::Folder:
        return QDir().mkdir(at);
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Planted)

class tst_StoreFolder : public QObject
{
    Q_OBJECT
    TestHome home_;

private slots:
    void initTestCase() { QVERIFY(home_.isValid()); }
    void cleanup()
    {
        StoreFolder::setRandomSource(nullptr);
        sameEveryTime = false;
    }

    // A hard link to a file outside and a file of the store's own take turns
    // at the name as fast as a program can swap them. A rename over the name
    // drops the outside file's link before the name shows the new file, so
    // for a moment the name seems to be that file's only link: no opening
    // may take the outside file for the store's.
    void openMeetsARenameUnderWay()
    {
        QTemporaryDir store;
        QTemporaryDir outside;
        const QString name = store.filePath("name.bin");
        const QString target = outside.filePath("target");
        const QByteArray own("own");
        QVERIFY(writeFile(name, own) && writeFile(target, "outside"));
        const StoreFolder folder(store.path());
        LogCapture log;
        log.quiet("Not a plain file of its own");
        NameSwapper swapper([=] {
            NameSwapper::linkAt(name, target, true);
            NameSwapper::fileAt(name, own);
            return 1;
        });
        int read = 0;
        int refused = 0;
        // Each rename over the hard link is a chance to meet one under way.
        constexpr int kSwaps = 3000;
        QVERIFY(swapper.race(
            [&] {
                QFile file;
                if (!folder.open("name.bin", &file)) {
                    ++refused;
                    return;
                }
                ++read;
                QCOMPARE(file.readAll(), own);
            },
            1000, INT_MAX, 60000, [&] { return swapper.swaps() >= kSwaps; }));
        qInfo() << read << "read," << refused << "refused," << swapper.swaps() << "swaps";
        QVERIFY2(read > 0 && refused > 0, "no opening met the hard link");
        QCOMPARE(readFile(target), QByteArray("outside"));
    }

    void createPastTakenNames_data()
    {
        QTest::addColumn<Planted>("planted");
        QTest::addColumn<bool>("everyName");  // at every name it tries, not only the first
        QTest::newRow("a file") << Planted::File << false;
        QTest::newRow("a link to a file outside") << Planted::LinkToAFile << false;
        QTest::newRow("a link to nothing outside") << Planted::LinkToNothing << false;
        QTest::newRow("a folder") << Planted::Folder << false;
        QTest::newRow("every name taken: it gives up") << Planted::File << true;
    }

    // Whatever took the name a new file is made under first (someone who
    // guessed it) stays untouched: a link is never written or created
    // through, and the file is made under another name.
    void createPastTakenNames()
    {
        QFETCH(Planted, planted);
        QFETCH(bool, everyName);
        QTemporaryDir store;
        QTemporaryDir outside;
        nextPart = 1000;
        sameEveryTime = everyName;
        StoreFolder::setRandomSource(&knownPart);
        const QString taken = store.filePath(tempName("new.bin", 1000));
        const QString target = outside.filePath("target");
        QVERIFY(plant(planted, taken, target));
        const QStringList before = QDir(store.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                                | QDir::NoDotAndDotDot);
        {
            StoreFolder::NewFile file(StoreFolder(store.path()), "new.bin");
            QCOMPARE(file.create(), !everyName);
            if (!everyName) {
                QCOMPARE(file.write("new"), qint64(3));
                QVERIFY(file.commit());
            }
        }
        QCOMPARE(readFile(store.filePath("new.bin")), everyName ? QByteArray() : QByteArray("new"));
        QCOMPARE(QDir(store.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 everyName ? before : QStringList(before) << "new.bin");
        QCOMPARE(QFileInfo(taken).isSymLink(), planted == Planted::LinkToAFile || planted == Planted::LinkToNothing);
        QCOMPARE(readFile(target), planted == Planted::LinkToAFile ? QByteArray("outside") : QByteArray());
        QCOMPARE(QFileInfo::exists(target), planted == Planted::LinkToAFile);
        if (planted == Planted::File)
            QCOMPARE(readFile(taken), QByteArray("planted"));
    }
};

QTEST_GUILESS_MAIN(tst_StoreFolder)
#include "tst_storefolder.moc"
