#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace vesk {
namespace pc {

class StoreFolder;

// The firmware store: one folder of package files, each named
// product_branch_platform_version_channel.bin (the product key, then a
// dotted four-part version, then the channel) with its upgrade-system
// companion beside it. Everything that names, chooses or removes a package
// of the folder goes through here, so the local server, the downloader, the
// upgrade and the window's flows agree on which package is which.
//
// A value over its folder: copies are cheap, and several threads may use
// their own at once.
class FirmwareStore
{
public:
    // A package of the store, or none (an empty name).
    struct Package
    {
        QString name;
        uint32_t version = 0;
        QString versionText;  // as the name writes it
    };

    // The default store's folder in the data folder.
    static constexpr const char* kFolderName = "firmware";
    // Hidden folders where packages are made before they join the store;
    // one that a run left behind is removed with all it holds.
    static constexpr const char* kStagingPrefix = ".pkgdl-";

    // dir need not end with "/".
    explicit FirmwareStore(const QString& dir);
    // The program's store (kFolderName in the data folder, or the folder of
    // setDefaultDir), its folder made when missing (logged when it cannot be).
    static FirmwareStore current();
    // Folder of current() in place of the default (tests); an empty text
    // restores the default.
    static void setDefaultDir(const QString& dir);

    // product_branch_platform_ of info; when a key is missing, of the
    // program's own product information.
    static QString productKey(QJsonObject info);
    // The upgrade-system package's name for a package's (or a name prefix's).
    static QString companionName(const QString& name);
    static bool isCompanionName(const QString& name);
    // The main package's name of a companion; name itself otherwise.
    static QString mainNameOf(const QString& name);
    // A plain package file name: no separator, "..", NUL or control
    // character, not hidden, ending in ".bin".
    static bool isStoreName(const QString& name);
    // The package name after key: a version of exactly four numbers up to
    // 255, then "_". False for any other name.
    static bool readVersion(const QString& name, const QString& key, Package* package);

    // Moves the package name, with its companion when withCompanion (the
    // companion first), from the folder from into the store folder to,
    // replacing files of the same names. A companion already moved is
    // removed again when the package cannot follow it.
    static bool moveIn(const StoreFolder& from, const StoreFolder& to, const QString& name, bool withCompanion);

    // "release", "test" or "debug", by the words the name holds.
    static QString channelOf(const QString& name);
    // The newest store package of key among names (key compared with case
    // ignored) that the channel keeps: a "release" channel keeps names
    // holding "release", "test" drops those holding "debug", anything else
    // keeps all. Among equal versions "release" wins, then "test" over
    // "debug", else the first name stays; 0.0.0.0 counts as a version, so
    // only such a word chooses it.
    static Package newestOf(const QStringList& names, const QString& key, const QString& channel);

    const QString& dir() const { return dir_; }  // ends with "/"
    QString pathOf(const QString& name) const { return dir_ + name; }
    QString companionPathOf(const QString& name) const { return dir_ + companionName(name); }

    // The newest package of key (case kept) the channel keeps; links and
    // names that are no store names do not count.
    Package newest(const QString& key, const QString& channel = QString()) const;
    // Removes every file of key but keep, each with its companion.
    void keepOnly(const QString& key, const QString& keep) const;
    // Removes one file of key, or the companion of one; false (logged) for
    // any other name.
    bool remove(const QString& key, const QString& name) const;
    // Takes a package file the user picked into the store: the package of
    // the camera's platform (info's "platform") cut out of it, or the whole
    // of it when its name holds the platform. Only a package that verifies
    // and is made for the camera's product, branch, platform and SoC version
    // (info's "socver", held as the upgrade holds it) joins the store with
    // its upgrade-system companion, replacing files of their names; its path
    // is returned. Otherwise "" (logged), and nothing of the pick is left in
    // the store.
    QString addPicked(const QString& path, const QJsonObject& info) const;

private:
    static bool keptByChannel(const QString& name, const QString& channel);
    static bool winsVersionTie(const QString& name, const QString& best);
    // Plain files whose names begin with key, case kept, in ascending name
    // order with case ignored.
    QStringList filesOf(const QString& key) const;

    QString dir_;
};

} // namespace pc
} // namespace vesk
