#pragma once

#include <QJsonObject>
#include <QString>

// What the system setting page asks of the window it belongs to. The page
// works on its own state without one (a page made alone, or a window going
// away).
class SettingPageHost
{
public:
    virtual bool isDevAwake() const = 0;
    // The last firmware package the query server named for the selected kind of camera.
    virtual QJsonObject getUgInfo() const = 0;
    // A user action on the camera puts off the window's next status read.
    virtual void setLastUserActionMs(qint64 ms) = 0;
    // True, after telling the user, when the camera's firmware is older than minimum.
    virtual bool onPromptDevUpgrade(const QString& current, const QString& minimum, const QString& shown) = 0;
    virtual void enableVirtualBg(bool on) = 0;

protected:
    ~SettingPageHost() = default;
};
