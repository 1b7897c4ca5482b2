#pragma once

#include "hotkey/HotkeyBackend.h"
#include "hotkey/QHotkey.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QMultiHash>
#include <QObject>
#include <QPair>

#include <memory>

// The process's hotkey registry: every registered QHotkey under its native
// combination. Several objects may share a combination; the platform is
// asked only by the first to come and the last to leave. It lives in the
// thread that first asks for it; calls from other threads are blocking
// queued calls into that thread.
class QHotkeyPrivate : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit QHotkeyPrivate(std::unique_ptr<HotkeyBackend> backend);
    ~QHotkeyPrivate() override;

    // Null once the registry was destroyed at exit.
    static QHotkeyPrivate* instance();
    static bool isPlatformSupported();

    QHotkey::NativeShortcut nativeShortcut(Qt::Key keyCode, Qt::KeyboardModifiers modifiers);
    bool addShortcut(QHotkey* hotkey);
    bool removeShortcut(QHotkey* hotkey);
    void addMapping(Qt::Key keyCode, Qt::KeyboardModifiers modifiers, QHotkey::NativeShortcut nativeShortcut);

    // Nothing of ours comes through Qt's own event filter: the backend reads
    // its own connection.
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

    Q_INVOKABLE void activateShortcut(QHotkey::NativeShortcut shortcut);
    Q_INVOKABLE void releaseShortcut(QHotkey::NativeShortcut shortcut);
    Q_INVOKABLE void addMappingInvoked(Qt::Key keyCode, Qt::KeyboardModifiers modifiers,
                                       QHotkey::NativeShortcut nativeShortcut);
    Q_INVOKABLE bool addShortcutInvoked(QHotkey* hotkey);
    Q_INVOKABLE bool removeShortcutInvoked(QHotkey* hotkey);
    Q_INVOKABLE QHotkey::NativeShortcut nativeShortcutInvoked(Qt::Key keyCode, Qt::KeyboardModifiers modifiers);

protected:
    virtual quint32 nativeKeycode(Qt::Key keyCode, bool& ok);
    virtual quint32 nativeModifiers(Qt::KeyboardModifiers modifiers, bool& ok);
    virtual bool registerShortcut(QHotkey::NativeShortcut shortcut);
    virtual bool unregisterShortcut(QHotkey::NativeShortcut shortcut);

    QString error;  // why the platform refused the last request

private:
    bool changeRegistration(QHotkey* hotkey, bool registered);
    bool invokeHere(const char* method, QGenericReturnArgument result, QGenericArgument first,
                    QGenericArgument second = QGenericArgument());
    // Emits a signal of every object under shortcut, later, from the event loop.
    void emitLater(QHotkey::NativeShortcut shortcut, const char* signal);

    std::unique_ptr<HotkeyBackend> backend_;
    QMultiHash<QHotkey::NativeShortcut, QHotkey*> shortcuts_;
    QHash<QPair<int, int>, QHotkey::NativeShortcut> mapping_;
};
