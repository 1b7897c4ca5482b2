#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

namespace vesk {
namespace pc {

// A folder of the firmware store, reached through its own descriptor. Any
// program that may write into the store can swap a name for a symbolic link
// or a hard link to a file elsewhere at any moment, so every operation works
// on the name relative to the descriptor and checks what it met at that
// moment: a file is read only when it is a plain file with one link; a new
// file is created exclusively under a temporary name and renamed over its
// name inside the folder; removal goes by unlinkat and never follows a link.
// Every reader, writer and remover of store files goes through here.
class StoreFolder
{
public:
    // What a name is now. Other: a link, a file with more than one link, a
    // folder, a pipe... anything not to be read or written as a store file.
    enum class Kind { Absent, Plain, Other };

    struct Status
    {
        Kind kind = Kind::Absent;
        qint64 size = -1;  // of a plain file
        QDateTime modified;
    };

    class NewFile;

    // Opens dir (a trailing "/" is optional) by its path; logs when it
    // cannot. For the store itself or a folder outside it: a folder inside
    // the store is reached only through the store's descriptor (makeFolder).
    explicit StoreFolder(const QString& dir);
    // Another descriptor of the same folder, wherever it lies by now.
    StoreFolder(const StoreFolder& other);
    StoreFolder(StoreFolder&& other) noexcept;
    ~StoreFolder();
    StoreFolder& operator=(const StoreFolder&) = delete;

    // The folder of path (up to its last "/"; "./" for a bare name) and the
    // name after it.
    static QString folderOf(const QString& path);
    static QString nameOf(const QString& path);
    // The operations below on the file at path, through its folder opened
    // by path (as the constructor).
    static bool openPath(const QString& path, QFile* file);
    static bool removePath(const QString& path);
    static Status statusOfPath(const QString& path);
    // A suffix that no other writer of this process or another uses at the
    // same time, for temporary names of our own: the process id and a random
    // part, so that no one who may write in the folder can put something at
    // such a name before it is made.
    static QString uniqueSuffix();
    // Replaces the source of the random part (tests, to know a name before
    // it is made); nullptr restores the system's generator.
    static void setRandomSource(quint64 (*source)());

    bool isOpen() const { return fd_ >= 0; }
    const QString& dir() const { return dir_; }  // ends with "/"

    Status status(const QString& name) const;
    // The names of the plain files (one link each), in ascending name order
    // with case ignored.
    QStringList plainFiles() const;
    // The names of everything but real folders: plain files, links (to a
    // folder or to nothing too), files of several links...
    QStringList filesAndLinks() const;
    // The names beginning with prefix of real folders and of links (which
    // may have taken a folder's place).
    QStringList folders(const QString& prefix) const;
    // Opens name for reading into file when it is a plain file with one
    // link at the moment of opening; false (logged) otherwise.
    bool open(const QString& name, QFile* file) const;
    // Removes the name itself (a link, never its target); true when it is
    // gone, missing before included.
    bool remove(const QString& name) const;
    // Empties and removes the folder name without following any link in it;
    // a link of that name is removed itself. False (logged) when something
    // stays.
    bool removeTree(const QString& name) const;
    // Makes a new hidden folder of a unique name beginning with prefix and
    // opens it without following a link. Whatever is made in it goes
    // through the folder returned, never through its name, which may lead
    // elsewhere at any moment. Not open on failure (logged).
    StoreFolder makeFolder(const QString& prefix) const;
    // Removes a folder that makeFolder made here: empties it through its
    // own descriptor, wherever it lies by now, and removes its name (or the
    // link put in its place). False (logged) when something stays.
    bool removeFolder(const StoreFolder& made) const;
    // Renames name over toName of the folder to, replacing what is there
    // (a link is replaced, its target untouched).
    bool moveTo(const QString& name, const StoreFolder& to, const QString& toName) const;

private:
    StoreFolder(const QString& dir, int fd);
    static Status statusAt(int dirFd, const QByteArray& name);
    template <typename Keep>
    QStringList namesWhere(Keep keep) const;

    QString dir_;
    int fd_ = -1;
};

// A new store file: created exclusively under a hidden temporary name
// beside its name in a folder, readable and writable, and renamed over its
// name by commit(), all through the folder's descriptor. Whatever was not
// committed is removed with the object.
class StoreFolder::NewFile : public QFile
{
public:
    NewFile(const StoreFolder& folder, const QString& name);
    // name in the folder of path, opened by path (as StoreFolder's
    // constructor).
    explicit NewFile(const QString& path);
    ~NewFile() override;
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // False when the file cannot be made; the reason is logged as a
    // warning, the caller tells what failed.
    bool create();
    // Synced to disk before the rename, as a save of its own; a staged
    // download and a patch's output skip it: they are checked again before
    // any use, and the sync costs half the time of making them or more.
    enum class Sync { ToDisk, Skip };
    bool commit(Sync sync = Sync::ToDisk);
    // Replaces the call that syncs a file's data (tests, to see which
    // commits sync); nullptr restores fdatasync.
    static void setDataSync(int (*sync)(int fd));
    // Closes and removes the temporary file.
    void cancelWriting();
    const QString& path() const { return path_; }

private:
    StoreFolder folder_;
    QString name_;
    QString path_;
    QString temp_;
};

} // namespace pc
} // namespace vesk
