#include "orlacam/CamSettings.h"

CamSettings::CamSettings(QString sn, QWidget* parent)
    : QWidget(parent)
    , sn_(std::move(sn))
{
}

void CamSettings::setCurrentUvcDevSn(const QString& sn)
{
    sn_ = sn;
}

int CamSettings::exec()
{
    return 0;
}
