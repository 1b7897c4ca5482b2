// A camera package inside a firmware package's module: its header, digests
// and module table, and the reduced package written from it.

#include "FuzzSupport.h"
#include "PackageFixUp.h"

#include "package/CameraPackage.h"

#include <QBuffer>

using namespace vesk::pc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    const qint64 base = in.byte() % 64;  // the module need not start the file
    const QList<CameraPackage::CAM_MDL_ID> wanted{CameraPackage::CAM_MDL_ID(in.byte() % 12),
                                                  CameraPackage::CAM_MDL_ID(in.u32())};
    QByteArray file = QByteArray(int(base), '\x5A') + in.rest();
    const qint64 length = file.size() - base - (mode >> 4);
    if (mode & 1)
        fuzz::fixCameraPackage(file, base, length);

    QBuffer device(&file);
    device.open(QIODevice::ReadOnly);
    CameraPackage package(&device, base, length);
    if (!package.verifyFirmware())
        return 0;
    FUZZ_PROMISE(package.modules().size() == int(package.header().moduleCount));
    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    QList<CameraPackage::CAM_MDL_ID> ids = wanted;
    if (package.writeCameraModule(&out, ids)) {
        // What it wrote is itself a camera package that verifies.
        QBuffer again(&written);
        again.open(QIODevice::ReadOnly);
        CameraPackage reduced(&again, 0, written.size());
        FUZZ_PROMISE(reduced.verifyFirmware());
    }
    return 0;
}
