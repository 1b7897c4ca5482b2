// The store folder against a program that may write in it: names taken
// before a new file is made there. A file outside the folder stays as it
// was.

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
