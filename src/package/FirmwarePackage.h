#pragma once

#include "package/CameraPackage.h"
#include "package/StoreFolder.h"

#include <QList>
#include <QScopedPointer>
#include <QString>
#include <QVector>

#include <cstddef>
#include <cstdint>

class QFile;
class QIODevice;

namespace vesk {
namespace pc {

// One firmware package file: verification of its name, headers and digests,
// and the smaller files derived from a verified package. Each user creates
// its own object; one thread at a time.
class FirmwarePackage
{
public:
    enum PKG_TYPE {
        PkgMain = 0,
        PkgUgsys = 1,  // upgrade-system package, named as the main one's companion
    };

    // Module type; other values are carried through unchanged.
    enum DEV_ID : uint32_t {
        DevCameraPackage = 1,
    };

    static constexpr uint32_t kMagic = 0xAB20EC98;

    // All numbers little-endian, as the host's (see the static_asserts).
    struct UgFwPkgHeader
    {
        uint32_t magic;
        uint32_t headerLength;  // the package MD5 covers the file from here on
        uint32_t totalSize;
        uint32_t moduleCount;
        char product[16];
        char branch[16];
        uint32_t version;
        uint8_t reserved34[4];
        uint8_t md5[16];
        char platform[16];
        char deviceType[16];  // build channel
        int8_t socVersion;
        uint8_t reserved69[147];
        uint32_t crc32;

        void printInfo() const {}
    };

    struct UgMdlPkgInfoHeader
    {
        uint32_t type;  // DEV_ID
        uint32_t length;
        uint32_t offset;  // absolute
        uint8_t reserved0c[56];
        uint32_t dataCrc32;
        uint8_t dataMd5[16];
        uint8_t reserved58[64];
        uint32_t patchOffset;  // patch head only
        uint32_t patchLength;  // patch head only
        uint8_t reserveda0[92];
        uint32_t crc32;

        void printInfo() const {}
    };

    // The package at path, its folder opened by path (as StoreFolder's).
    FirmwarePackage(const QString& path, PKG_TYPE type);
    // The package name in folder, read and derived from through the
    // folder's descriptor.
    FirmwarePackage(const StoreFolder& folder, const QString& name, PKG_TYPE type);
    ~FirmwarePackage();
    FirmwarePackage(const FirmwarePackage&) = delete;
    FirmwarePackage& operator=(const FirmwarePackage&) = delete;

    bool verifyFirmware();
    // Build channel: "release" 0, "test" 1, "debug" 2, anything else 3.
    int getDeviceType() const;

    // Derivations; all but extractFirmware need a verified package. Outputs
    // are written under a temporary name of their own and renamed when
    // complete, so a failure leaves no partial file behind. The
    // upgrade-system package goes beside this one, into its folder.
    bool generateUgsysFwPackage();
    bool generateFwPackage(QList<DEV_ID>& types, QList<CameraPackage::CAM_MDL_ID>& cameraIds,
                           QString& outPath);
    bool generateFwPatchHead(QString& outPath, QList<uint32_t>& splitPoints);
    bool extractUpdaterfs(const QString& outPath);
    // Cuts one platform's package out of a bundle into dir; returns the
    // written path or "".
    static QString extractFirmware(const QString& file, const QString& platform, const StoreFolder& dir);

    // product_branch_platform_ of the header, as FirmwareStore::productKey.
    QString productKey() const;
    // Whether the package may go to a camera of this SoC version: 0 in the
    // header means any camera, and a camera whose identity is not whole
    // (its upgrade system reports 0) is not held against it. A mismatch is
    // logged.
    bool suitsSocVersion(int cameraSocVersion, bool wholeIdentity) const;
    QString path() const { return path_; }
    PKG_TYPE pkgType() const { return type_; }
    uint32_t version() const { return header_.version; }
    bool isVerified() const { return verified_; }
    const UgFwPkgHeader& header() const { return header_; }
    const QList<UgMdlPkgInfoHeader>& modules() const { return modules_; }
    const CameraPackage* cameraPackage() const { return camera_.data(); }

private:
    struct Planned;

    bool checkName() const;
    bool checkLayout(qint64 fileSize) const;
    bool readModule(uint32_t index, qint64 fileSize, UgMdlPkgInfoHeader* module) const;
    bool readModules(qint64 fileSize);
    bool planModules(const QList<DEV_ID>& types, qint64 cameraSize, QVector<Planned>* plan) const;
    bool writePackage(QIODevice* out, QVector<Planned>& plan, QIODevice* cameraData) const;
    bool buildPatchHead(QByteArray* head) const;
    bool derive(QList<DEV_ID>& types, QList<CameraPackage::CAM_MDL_ID>& cameraIds,
                const StoreFolder& folder, const QString& name);

    StoreFolder folder_;
    QString path_;
    PKG_TYPE type_;
    QScopedPointer<QFile> file_;
    UgFwPkgHeader header_;
    QList<UgMdlPkgInfoHeader> modules_;
    QScopedPointer<CameraPackage> camera_;
    int cameraIndex_ = -1;  // module that holds the camera package
    bool verified_ = false;
};

static_assert(sizeof(FirmwarePackage::UgFwPkgHeader) == 256, "package header size");
static_assert(offsetof(FirmwarePackage::UgFwPkgHeader, version) == 0x30, "package version");
static_assert(offsetof(FirmwarePackage::UgFwPkgHeader, md5) == 0x38, "package md5");
static_assert(offsetof(FirmwarePackage::UgFwPkgHeader, platform) == 0x48, "package platform");
static_assert(offsetof(FirmwarePackage::UgFwPkgHeader, socVersion) == 0x68, "package soc");
static_assert(offsetof(FirmwarePackage::UgFwPkgHeader, crc32) == 0xFC, "package crc");
static_assert(sizeof(FirmwarePackage::UgMdlPkgInfoHeader) == 256, "module header size");
static_assert(offsetof(FirmwarePackage::UgMdlPkgInfoHeader, dataCrc32) == 0x44, "module crc");
static_assert(offsetof(FirmwarePackage::UgMdlPkgInfoHeader, patchOffset) == 0x98, "patch offset");
static_assert(offsetof(FirmwarePackage::UgMdlPkgInfoHeader, crc32) == 0xFC, "module header crc");

} // namespace pc
} // namespace vesk
