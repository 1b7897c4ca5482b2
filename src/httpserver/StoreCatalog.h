#pragma once

#include <QString>
#include <QStringList>

class QFile;

namespace vesk {
namespace pc {

// The firmware store as the local server sees it: the store names
// (FirmwareStore::isStoreName) its folder lists at one moment, and nothing
// else. A request reaches a file only by
// naming one of these exactly or by a prefix that selects some of them; the
// path is then built from the listed name, so request text never becomes a
// path.
class StoreCatalog
{
public:
    // Lists dir (which ends with "/") now.
    explicit StoreCatalog(const QString& dir);
    // The program's firmware store, listed now.
    static StoreCatalog current();

    // The store's files are reached only as what they are themselves: a
    // link could lead to any file of the machine, so it counts as absent.
    // Whether path is there as a plain file, not a link to one.
    static bool isPlainFile(const QString& path);
    // Whether anything is at path, a dangling link included.
    static bool existsAtAll(const QString& path);
    // Opens path for reading when it is a plain file itself; false (logged)
    // for a link, anything else or an error. Checked on the opened file, so
    // a file swapped for a link after listing is refused too.
    static bool openPlain(QFile* file, const QString& path);

    const QString& dir() const { return dir_; }
    // Listed names that begin with prefix, case ignored, in ascending name
    // order with case ignored; upgrade-system companions never.
    QStringList withPrefix(const QString& prefix) const;
    // The name is listed exactly as given.
    bool contains(const QString& name) const;
    // dir() + name; the name is not checked (for texts and listed names).
    QString pathOf(const QString& name) const { return dir_ + name; }

private:
    QString dir_;
    QStringList names_;
};

} // namespace pc
} // namespace vesk
