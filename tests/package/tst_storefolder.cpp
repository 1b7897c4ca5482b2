// The store folder against a program that may write in it: a link at a
// name that is opened, a hard link swapped in and out while a name is
// opened, names taken before a new file is made there, the folder itself
// swapped for a link before something in it is removed. Each time a file
// outside the folder stays as it was and unread.

#include "support/LogCapture.h"
#include "support/NameSwapper.h"
#include "support/SyncWatch.h"
#include "support/TestFiles.h"
#include "support/TestHome.h"
#include "package/StoreFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using vesk::pc::StoreFolder;

namespace {

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Counts the openings of one file, whatever name they go by.
class OpenWatch
{
public:
    explicit OpenWatch(const QString& path)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
        , ok_(fd_ >= 0 && ::inotify_add_watch(fd_, encoded(path).constData(), IN_OPEN) >= 0)
    {
    }
    ~OpenWatch() { ::close(fd_); }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    bool isValid() const { return ok_; }
    // The openings since the last call.
    int opened()
    {
        alignas(inotify_event) char buffer[4096];
        int count = 0;
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got; ++count)
                at += ssize_t(sizeof(inotify_event)) + reinterpret_cast<const inotify_event*>(buffer + at)->len;
        }
        return count;
    }

private:
    int fd_;
    bool ok_;
};

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

// How a test commits a new file: as every caller that says nothing, or
// with its sync named.
enum class Commit { Plain, ToDisk, Skip };

bool commitAs(StoreFolder::NewFile* file, Commit how)
{
    switch (how) {
    case Commit::Plain:
        return file->commit();
    case Commit::ToDisk:
        return file->commit(StoreFolder::NewFile::Sync::ToDisk);
    case Commit::Skip:
        return file->commit(StoreFolder::NewFile::Sync::Skip);
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Planted)
Q_DECLARE_METATYPE(Commit)

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

    void openFollowsNoLink_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("a link to a file") << false;
        QTest::newRow("a link to a pipe") << true;
    }

    // The link is refused without its target ever being opened: an opening
    // alone acts on some files (a program waiting to write into a pipe goes
    // on).
    void openFollowsNoLink()
    {
        QFETCH(bool, pipe);
        QTemporaryDir store;
        QTemporaryDir outside;
        const QString target = outside.filePath("target");
        QVERIFY(pipe ? ::mkfifo(encoded(target).constData(), 0600) == 0 : writeFile(target, "outside"));
        const QString link = store.filePath("name.bin");
        QVERIFY(QFile::link(target, link));
        OpenWatch watch(target);
        QVERIFY(watch.isValid());
        QFile file;
        QVERIFY(!StoreFolder(store.path()).open("name.bin", &file));
        QVERIFY(!file.isOpen());
        QCOMPARE(watch.opened(), 0);
        // What following the link would have shown.
        const int fd = ::open(encoded(link).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(fd >= 0);
        ::close(fd);
        QCOMPARE(watch.opened(), 1);
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

    void commitAfterTheTemporaryNameWasSwapped_data()
    {
        QTest::addColumn<Planted>("planted");
        QTest::newRow("a link to a file outside") << Planted::LinkToAFile;
        QTest::newRow("a file of someone else's") << Planted::File;
    }

    // The temporary name is seen by everyone who writes in the store: what
    // was put there after the file was made is not committed as the file.
    void commitAfterTheTemporaryNameWasSwapped()
    {
        QFETCH(Planted, planted);
        QTemporaryDir store;
        QTemporaryDir outside;
        nextPart = 2000;
        StoreFolder::setRandomSource(&knownPart);
        const QString temp = store.filePath(tempName("new.bin", 2000));
        const QString target = outside.filePath("target");
        StoreFolder::NewFile file(StoreFolder(store.path()), "new.bin");
        QVERIFY(file.create());
        QCOMPARE(file.write("new"), qint64(3));
        QVERIFY(QFile::remove(temp) && plant(planted, temp, target));
        QVERIFY(!file.commit());
        QVERIFY(!QFileInfo::exists(store.filePath("new.bin")) && !QFileInfo(store.filePath("new.bin")).isSymLink());
        if (planted == Planted::LinkToAFile)
            QCOMPARE(readFile(target), QByteArray("outside"));
    }

    void commitSyncsUnlessSkipped_data()
    {
        QTest::addColumn<Commit>("how");
        QTest::addColumn<bool>("diskFails");
        QTest::newRow("nothing said: synced") << Commit::Plain << false;
        QTest::newRow("to disk: synced") << Commit::ToDisk << false;
        QTest::newRow("skipped: not synced") << Commit::Skip << false;
        QTest::newRow("the sync fails: nothing kept") << Commit::Plain << true;
        QTest::newRow("skipped on a failing disk: kept") << Commit::Skip << true;
    }

    // A commit syncs the file written, and only that file, before its
    // rename unless told to skip it; a file whose sync failed is not kept.
    void commitSyncsUnlessSkipped()
    {
        QFETCH(Commit, how);
        QFETCH(bool, diskFails);
        QTemporaryDir store;
        const QString path = store.filePath("new.bin");
        QVERIFY(writeFile(store.filePath("other.bin"), "other"));
        SyncWatch watch;
        if (diskFails)
            watch.failSyncs();
        StoreFolder::NewFile file(StoreFolder(store.path()), "new.bin");
        QVERIFY(file.create());
        QCOMPARE(file.write("new"), qint64(3));
        struct stat written;
        QVERIFY(::fstat(file.handle(), &written) == 0);
        const bool synced = how != Commit::Skip;
        if (synced && diskFails)
            QTest::ignoreMessage(QtCriticalMsg,
                                 QRegularExpression("^write file failed: .*new\\.bin.*Input/output error"));
        QCOMPARE(commitAs(&file, how), !(synced && diskFails));
        QCOMPARE(watch.synced(), synced ? QVector<quint64>{quint64(written.st_ino)} : QVector<quint64>());
        QCOMPARE(readFile(path), synced && diskFails ? QByteArray() : QByteArray("new"));
        QCOMPARE(QDir(store.path()).entryList(QDir::Files | QDir::Hidden),
                 synced && diskFails ? QStringList{"other.bin"} : QStringList({"new.bin", "other.bin"}));
    }

    void removalAfterTheFolderWasSwapped_data()
    {
        QTest::addColumn<bool>("unfinished");  // a new file given up, not a file removed
        QTest::newRow("a file removed") << false;
        QTest::newRow("a new file given up") << true;
    }

    // The folder's name leads elsewhere by the time something in it is
    // removed: a file of the same name out there stays, the folder's own
    // goes.
    void removalAfterTheFolderWasSwapped()
    {
        QFETCH(bool, unfinished);
        QTemporaryDir base;
        const QString store = base.filePath("store");
        const QString aside = base.filePath("aside");
        const QString outside = base.filePath("outside");
        QVERIFY(QDir().mkdir(store) && QDir().mkdir(outside));
        QVERIFY(writeFile(store + "/name.bin", "own"));
        const StoreFolder folder(store);
        StoreFolder::NewFile file(folder, "name.bin");
        QString removed = "name.bin";
        if (unfinished) {
            QVERIFY(file.create());
            const QStringList made = QDir(store).entryList({".name.bin.*"}, QDir::Files | QDir::Hidden);
            QCOMPARE(made.size(), 1);
            removed = made.first();
        }
        QVERIFY(writeFile(outside + "/" + removed, "victim"));
        QVERIFY(::rename(encoded(store).constData(), encoded(aside).constData()) == 0 && QFile::link(outside, store));
        if (unfinished)
            file.cancelWriting();
        else
            QVERIFY(folder.remove(removed));
        QCOMPARE(readFile(outside + "/" + removed), QByteArray("victim"));
        QVERIFY(!QFileInfo::exists(aside + "/" + removed));
        QCOMPARE(readFile(aside + "/name.bin"), unfinished ? QByteArray("own") : QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_StoreFolder)
#include "tst_storefolder.moc"
