#pragma once

#include <QString>
#include <QStringList>

namespace vesk {
namespace pc {

// The firmware store as the local server sees it: the store names
// (FirmwareStore::isStoreName) of the plain files its folder lists at one
// moment, and nothing else (files are opened through StoreFolder, which
// checks them again then). A request reaches a file only by
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
