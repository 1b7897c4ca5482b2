#include "orlacam/settings/FirmwareQueryReply.h"

#include <QTimer>

namespace {
// Far beyond a query's own guard, even after waiting for a pool thread.
constexpr int kGiveUpMs = 120000;
}

FirmwareQueryReply::FirmwareQueryReply(QString sn, Apply apply, QObject* parent)
    : QObject(parent)
    , sn_(std::move(sn))
    , apply_(std::move(apply))
{
    QTimer::singleShot(kGiveUpMs, this, &QObject::deleteLater);
}

void FirmwareQueryReply::onFirmwareInfoFromServer(const QJsonObject& reply)
{
    apply_(sn_, reply);
    deleteLater();
}
