// A firmware package file as downloaded or chosen by the user: its name,
// headers, digests and camera package, then every derivation of a verified
// package, and the bundle cut by a platform text from the camera. Nothing
// may be written outside the package's folder.

#include "FuzzSupport.h"
#include "PackageFixUp.h"

#include "package/FirmwarePackage.h"
#include "comm/Util.h"
#include "package/PackageIo.h"

using namespace vesk::pc;

namespace {

// Header texts limited to letters and digits, so that the harness can name
// the file after them as the store does.
bool plainText(QByteArray& file, int offset)
{
    bool changed = false;
    for (int i = offset; i < offset + 16 && i < file.size() && file[i] != '\0'; ++i) {
        const char c = file[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            file[i] = 'x';
            changed = true;
        }
    }
    return changed;
}

bool plainTexts(QByteArray& file)
{
    bool changed = false;
    for (int offset : {0x10, 0x20, 0x48})
        changed |= plainText(file, offset);
    return changed;
}

QString text(const QByteArray& file, int offset)
{
    const QByteArray field = file.mid(offset, 16).leftJustified(16, '\0');
    return PackageIo::fieldText(field.constData(), 16);
}

QString nameOf(const QByteArray& file, const QString& platform, bool ugsys)
{
    const QString version = Util::verUintToStr(fuzz::fits(file, 0x30, 4) ? pkgtest::get32(file, 0x30) : 0);
    return (ugsys ? QStringLiteral("Ugsys_") : QString()) + text(file, 0x10) + QLatin1Char('_')
        + text(file, 0x20) + QLatin1Char('_') + platform + QLatin1Char('_') + version
        + QStringLiteral("_release.bin");
}

void derive(FirmwarePackage& package, const fuzz::Sandbox& box, fuzz::Input& in)
{
    FUZZ_PROMISE(package.getDeviceType() >= 0 && package.getDeviceType() <= 3);
    package.generateUgsysFwPackage();
    QString head = box.file(QStringLiteral("head.bin"));
    QList<uint32_t> splits{in.u32() % 4096, in.u32()};
    package.generateFwPatchHead(head, splits);
    package.extractUpdaterfs(box.file(QStringLiteral("updaterfs.bin")));
    QList<FirmwarePackage::DEV_ID> types{FirmwarePackage::DevCameraPackage, FirmwarePackage::DEV_ID(in.byte())};
    QList<CameraPackage::CAM_MDL_ID> ids{CameraPackage::CamMdlSsUpdater, CameraPackage::CAM_MDL_ID(in.byte())};
    QString out = box.file(QStringLiteral("reduced.bin"));
    package.generateFwPackage(types, ids, out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    const QByteArray platform = in.take(in.byte() % 12);
    QByteArray file = in.rest();
    plainTexts(file);
    // Again after the fix-up, which may write a module's digest over a header
    // text; the header is sealed anew so that such a package still verifies.
    if (mode & 1) {
        fuzz::fixFirmwarePackage(file);
        if (plainTexts(file))
            pkgtest::reseal(file);
    }

    fuzz::Sandbox box;
    const bool ugsys = mode & 2;
    const QString path = box.file(nameOf(file, text(file, 0x48), ugsys));
    FUZZ_PROMISE(pkgtest::writeFile(path, file));
    {
        FirmwarePackage package(path, ugsys ? FirmwarePackage::PkgUgsys : FirmwarePackage::PkgMain);
        fuzz::Input rest(data, size);
        if (package.verifyFirmware())
            derive(package, box, rest);
    }
    // The same bytes as a bundle of every platform.
    const QString bundle = box.file(nameOf(file, QStringLiteral("All"), false));
    FUZZ_PROMISE(pkgtest::writeFile(bundle, file));
    const QString cut = FirmwarePackage::extractFirmware(bundle, QString::fromLatin1(platform),
                                                       StoreFolder(box.work()));
    FUZZ_PROMISE(cut.isEmpty() || cut.startsWith(box.work() + '/'));
    FUZZ_PROMISE(box.clean());
    return 0;
}
