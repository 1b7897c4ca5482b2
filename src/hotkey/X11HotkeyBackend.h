#pragma once

#include "hotkey/HotkeyBackend.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QVector>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

class QSocketNotifier;

// System-wide keys on an X11 server, over an xcb connection of our own that
// a socket notifier reads in the creating thread. A combination is grabbed
// on the root window also with Caps Lock and Num Lock, so those states do not
// hide it; XKB's detectable auto-repeat makes a held key one press and one
// release, and a release is matched to its press by key code alone (the
// modifiers may be let go first).
class X11HotkeyBackend : public QObject, public HotkeyBackend
{
    Q_OBJECT
public:
    // display as in DISPLAY; empty or unreachable leaves the backend without
    // a server, and every registration then fails.
    explicit X11HotkeyBackend(const QByteArray& display);
    ~X11HotkeyBackend() override;

    bool isAvailable() const { return connection_ != nullptr; }

    quint32 nativeKeycode(Qt::Key key, bool& ok) override;
    quint32 nativeModifiers(Qt::KeyboardModifiers modifiers, bool& ok) override;
    bool registerShortcut(QHotkey::NativeShortcut shortcut, QString& error) override;
    bool unregisterShortcut(QHotkey::NativeShortcut shortcut, QString& error) override;

private:
    bool connectTo(const QByteArray& display);
    void findNumLockMask();
    void enableDetectableAutoRepeat();
    // The modifier masks a grab is made with: plain, Caps Lock, Num Lock, both.
    QVector<quint16> lockVariants(quint32 modifier) const;
    void readEvents();
    quint8 errorOf(const QVector<xcb_void_cookie_t>& requests);
    void handleEvent(const xcb_generic_event_t* event);

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_key_symbols_t* symbols_ = nullptr;
    quint16 numLockMask_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    QHash<quint32, QHotkey::NativeShortcut> held_;  // pressed, by key code, until released
};
