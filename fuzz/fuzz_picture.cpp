// A picture the user chooses for a virtual background, scaled to the size
// the camera takes, as the window does before an upload.

#include "FuzzSupport.h"

#include "comm/Util.h"
#include "support/PackageBuilder.h"

#include <QFileInfo>

#include <sys/resource.h>

using namespace vesk::pc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    fuzz::Input in(data, size);
    const uint8_t format = in.byte();
    fuzz::Sandbox box;
    const QString source = box.file(QStringLiteral("chosen"));
    const QString target = box.file((format & 1) ? QStringLiteral("pic.jpg") : QStringLiteral("pic.png"));
    FUZZ_PROMISE(pkgtest::writeFile(source, in.rest()));
    if (Util::resizeImage(source, target, 64, 36))
        FUZZ_PROMISE(QFileInfo(target).size() > 0);
    else
        FUZZ_PROMISE(!QFileInfo::exists(target));
    FUZZ_PROMISE(box.clean());
    // A small file never takes the memory of a huge picture.
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    FUZZ_PROMISE(usage.ru_maxrss < 768 * 1024);  // kilobytes
    return 0;
}
