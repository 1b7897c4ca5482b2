#pragma once

#include "package/DevPlatformType.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

class QIODevice;

namespace vesk {
namespace pc {

// The camera package: the type-1 module of a firmware package, read in place
// through the firmware package's file from a base offset.
class CameraPackage
{
public:
    enum CAM_MDL_ID : uint32_t {
        CamMdlBase = 0,        // carried into every reduced camera package
        CamMdlHisiUpdater = 7, // updater file system, Hi3516DV300 and Hi3516CV500
        CamMdlSsUpdater = 10,  // updater file system, SSC336Q and SSC339G
    };

    static constexpr uint32_t kMagic = 0x43414D41;  // "AMAC"

    // All numbers little-endian, as the host's (see the static_asserts).
    struct UgCamPkgInfoHeader
    {
        uint32_t magic;
        uint32_t md5Start;  // from the base: first module byte, start of the MD5
        uint32_t md5End;    // from the base: end of the camera package
        uint32_t moduleCount;
        uint8_t reserved10[4];
        uint8_t md5[16];
        uint8_t reserved24[216];
        uint32_t crc32;

        void printInfo() const {}
    };

    struct UgCamMdlInfoHeader
    {
        uint32_t id;
        uint32_t length;
        uint32_t offset;  // from the base
        uint8_t reserved0c[56];
        uint8_t md5[16];
        uint8_t reserved54[168];
        uint32_t crc32;

        void printInfo() const {}
    };

    // file is borrowed; length is the size of the module that holds the
    // camera package, which no part of it may leave.
    CameraPackage(QIODevice* file, qint64 base, qint64 length);

    bool verifyFirmware();
    // Writes a camera package holding only the listed modules (0 is added
    // when missing). The platform does not change the result.
    bool generateCameraModule(const QString& outPath, QList<CAM_MDL_ID>& ids,
                              DevPlatformType platform);
    // The same into an open device, which is left positioned at its end.
    bool writeCameraModule(QIODevice* out, QList<CAM_MDL_ID>& ids);
    void clear();

    bool isVerified() const { return verified_; }
    qint64 base() const { return base_; }
    const UgCamPkgInfoHeader& header() const { return header_; }
    const QList<UgCamMdlInfoHeader>& modules() const { return modules_; }

private:
    using ModuleList = QList<UgCamMdlInfoHeader>;

    bool checkLayout() const;
    bool readModule(int index, UgCamMdlInfoHeader* module) const;
    bool selectModules(QList<CAM_MDL_ID>& ids, ModuleList* selected) const;
    bool writeSelected(QIODevice* out, const ModuleList& selected) const;

    QIODevice* file_;
    qint64 base_;
    qint64 length_;
    UgCamPkgInfoHeader header_;
    QList<UgCamMdlInfoHeader> modules_;
    bool verified_ = false;
};

static_assert(sizeof(CameraPackage::UgCamPkgInfoHeader) == 256, "camera header size");
static_assert(offsetof(CameraPackage::UgCamPkgInfoHeader, md5) == 0x14, "camera header md5");
static_assert(offsetof(CameraPackage::UgCamPkgInfoHeader, crc32) == 0xFC, "camera header crc");
static_assert(sizeof(CameraPackage::UgCamMdlInfoHeader) == 256, "camera module header size");
static_assert(offsetof(CameraPackage::UgCamMdlInfoHeader, md5) == 0x44, "camera module md5");
static_assert(offsetof(CameraPackage::UgCamMdlInfoHeader, crc32) == 0xFC, "camera module crc");

} // namespace pc
} // namespace vesk
