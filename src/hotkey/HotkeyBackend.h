#pragma once

#include "hotkey/QHotkey.h"

#include <QLoggingCategory>
#include <QString>

#include <functional>
#include <memory>

// The facility's log lines, all at warning level.
Q_DECLARE_LOGGING_CATEGORY(logQHotkey)

// What the hotkey registry needs of a platform: translating keys, grabbing
// and releasing one combination, and telling when a grabbed combination is
// pressed or released. Small, so that a test can drive a backend directly.
class HotkeyBackend
{
public:
    using Handler = std::function<void(QHotkey::NativeShortcut)>;

    virtual ~HotkeyBackend() = default;

    // The backend of this session: X11 when a display can be reached.
    static std::unique_ptr<HotkeyBackend> createDefault();

    virtual quint32 nativeKeycode(Qt::Key key, bool& ok) = 0;
    virtual quint32 nativeModifiers(Qt::KeyboardModifiers modifiers, bool& ok) = 0;
    // On failure error says why, for the log.
    virtual bool registerShortcut(QHotkey::NativeShortcut shortcut, QString& error) = 0;
    virtual bool unregisterShortcut(QHotkey::NativeShortcut shortcut, QString& error) = 0;

    void setHandlers(Handler pressed, Handler released)
    {
        pressed_ = std::move(pressed);
        released_ = std::move(released);
    }

protected:
    void notifyPressed(QHotkey::NativeShortcut shortcut) const
    {
        if (pressed_)
            pressed_(shortcut);
    }
    void notifyReleased(QHotkey::NativeShortcut shortcut) const
    {
        if (released_)
            released_(shortcut);
    }

private:
    Handler pressed_;
    Handler released_;
};
