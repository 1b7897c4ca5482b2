#pragma once

#include <QObject>

namespace vesk {
namespace pc {

// Downloads firmware and software packages on a thread of its own and tells
// the window how it goes through notifyInfo.
class PkgDownloader : public QObject
{
    Q_OBJECT
public:
    // Kinds of notice sent with notifyInfo.
    enum InfoType : int {
        kInfoStart = 0,
        kInfoProgress = 1,
        kInfoError = 2,
        kInfoAlreadyCurrent = 3,
        kInfoFinished = 4,
    };
    Q_ENUM(InfoType)

    using QObject::QObject;
};

} // namespace pc
} // namespace vesk

Q_DECLARE_METATYPE(vesk::pc::PkgDownloader::InfoType)
