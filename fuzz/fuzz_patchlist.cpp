// The patch list as the camera's patch tool reads it: header, one record per
// chunk, the patches after them. The harness makes the records' CRCs and
// the patches' MD5s hold where they can.

#include "FuzzSupport.h"

#include "comm/Util.h"
#include "sim/SimPatchList.h"

#include <QCryptographicHash>
#include <QtEndian>

using namespace vesk::pc;

namespace {

constexpr int kRecord = 64;

uint32_t at32(const QByteArray& list, int at)
{
    return qFromLittleEndian<quint32>(list.constData() + at);
}

void sealRecord(QByteArray& list, int at)
{
    const uint32_t crc = Util::crc32ForBuf(reinterpret_cast<const uint8_t*>(list.constData() + at), 60);
    qToLittleEndian<quint32>(crc, list.data() + at + 60);
}

void fixUp(QByteArray& list)
{
    if (list.size() < kRecord)
        return;
    const uint32_t count = at32(list, 12) % 8;
    qToLittleEndian<quint32>(count, list.data() + 12);
    qToLittleEndian<quint32>(uint32_t(list.size()), list.data() + 8);
    for (uint32_t k = 0; k < count && int(kRecord * (k + 2)) <= list.size(); ++k) {
        const int at = int(kRecord * (k + 1));
        qToLittleEndian<quint32>(k, list.data() + at);
        const qint64 offset = at32(list, at + 4), length = at32(list, at + 8);
        if (offset + length <= list.size()) {
            const QByteArray md5 = QCryptographicHash::hash(list.mid(int(offset), int(length)),
                                                            QCryptographicHash::Md5);
            list.replace(at + 20, 16, md5);
        }
        sealRecord(list, at);
    }
    sealRecord(list, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    const QByteArray old = in.take(in.u32() % 8192);
    QByteArray list = in.rest();
    if (mode & 1)
        fixUp(list);
    QByteArray image;
    if (SimPatchList::apply(old, list, &image))
        FUZZ_PROMISE(image.size() == old.size());
    return 0;
}
