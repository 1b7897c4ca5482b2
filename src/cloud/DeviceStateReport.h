#pragma once

#include "cloud/CameraSnapshot.h"

#include <QJsonObject>

namespace vesk {
namespace pc {

// The four state records of the cloud log server, built from a camera
// snapshot alone. Each is empty for a camera that is not in UVC mode, so
// nothing is sent for a camera that is being upgraded.
class DeviceStateReport
{
public:
    static QJsonObject zukiMainStateInfo(const CameraSnapshot& camera);
    static QJsonObject orlaMainStateInfo(const CameraSnapshot& camera);
    static QJsonObject zukiExtStateInfo(const CameraSnapshot& camera);
    static QJsonObject orlaExtStateInfo(const CameraSnapshot& camera);

    // The main or extended record of the camera's family; empty for a
    // camera without a family.
    static QJsonObject mainStateInfo(const CameraSnapshot& camera);
    static QJsonObject extStateInfo(const CameraSnapshot& camera);

    // Texts shared with the action reports.
    static QString runStateText(int runState);  // the state records' spelling
    static QString autoSleepText(int seconds);
    static QString antiFlickerText(int mode);

private:
    using Builder = QJsonObject (*)(const CameraSnapshot&);
    static QJsonObject byFamily(const CameraSnapshot& camera, Builder zuki, Builder orla);
    static QJsonObject identity(const CameraSnapshot& camera);
    static QString zoomText(const CameraSnapshot& camera);
    static void addImageControls(const CameraSnapshot& camera, QJsonObject* json);
    static void addPresets(const CameraSnapshot& camera, QJsonObject* json);
    static void addBootPosition(const CameraSnapshot& camera, QJsonObject* json);
};

} // namespace pc
} // namespace vesk
