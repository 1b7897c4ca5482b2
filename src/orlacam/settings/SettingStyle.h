#pragma once

#include <QString>

// The system setting page's shared looks, each normal or greyed (the camera
// sleeps or is missing), built once for the process.
class SettingStyle
{
public:
    enum Kind { TitleLabel, InfoLabel, CameraSettingButton, UpgradeButton, ComboBox };

    static const QString& style(Kind kind, bool normal);
};
