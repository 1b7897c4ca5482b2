#include "uvc/UvcDevices.h"

#include <QDebug>

namespace vesk {
namespace pc {

UvcDevices& UvcDevices::get()
{
    static UvcDevices instance;
    return instance;
}

UvcDevices::UvcDevices(QObject* parent)
    : QObject(parent)
{
}

UvcDevices::~UvcDevices()
{
    qDebug() << "Camera registry closed";
}

} // namespace pc
} // namespace vesk
