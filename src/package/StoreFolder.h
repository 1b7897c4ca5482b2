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

    // A new store file: created exclusively under a hidden temporary name
    // beside path, readable and writable, and renamed over path by commit().
    // Whatever was not committed is removed with the object.
    class NewFile : public QFile
    {
    public:
        explicit NewFile(const QString& path);
        ~NewFile() override;
        NewFile(const NewFile&) = delete;
        NewFile& operator=(const NewFile&) = delete;

        // False when the folder or the file cannot be made; the reason is
        // logged as a warning, the caller tells what failed.
        bool create();
        bool commit();
        // Closes and removes the temporary file.
        void cancelWriting();
        const QString& path() const { return path_; }

    private:
        QString path_;
        QString name_;
        QString temp_;
        int dirFd_ = -1;
    };

    // Opens dir (a trailing "/" is optional); logs when it cannot.
    explicit StoreFolder(const QString& dir);
    ~StoreFolder();
    StoreFolder(const StoreFolder&) = delete;
    StoreFolder& operator=(const StoreFolder&) = delete;

    // The folder of path (up to its last "/"; "./" for a bare name) and the
    // name after it.
    static QString folderOf(const QString& path);
    static QString nameOf(const QString& path);
    // The operations below on the file at path, through its folder.
    static bool openPath(const QString& path, QFile* file);
    static bool removePath(const QString& path);
    static Status statusOfPath(const QString& path);
    // A suffix that no other writer of this process or another uses at the
    // same time, for temporary names of our own.
    static QString uniqueSuffix();

    bool isOpen() const { return fd_ >= 0; }
    const QString& dir() const { return dir_; }  // ends with "/"

    Status status(const QString& name) const;
    // The names of the plain files (one link each), in ascending name order
    // with case ignored.
    QStringList plainFiles() const;
    // The names of the real folders (no links) beginning with prefix.
    QStringList folders(const QString& prefix) const;
    // Opens name for reading into file when it is a plain file with one
    // link at the moment of opening; false (logged) otherwise.
    bool open(const QString& name, QFile* file) const;
    // Removes the name itself (a link, never its target); true when it is
    // gone, missing before included.
    bool remove(const QString& name) const;
    // Empties and removes the folder name without following any link in it;
    // a link of that name is left alone. False (logged) when something stays.
    bool removeTree(const QString& name) const;
    // Makes a new hidden folder of a unique name beginning with prefix;
    // returns its name, or "" (logged).
    QString makeFolder(const QString& prefix) const;
    // Renames name over toName of the folder to, replacing what is there
    // (a link is replaced, its target untouched).
    bool moveTo(const QString& name, const StoreFolder& to, const QString& toName) const;

private:
    static Status statusAt(int dirFd, const QByteArray& name);

    QString dir_;
    int fd_ = -1;
};

} // namespace pc
} // namespace vesk
