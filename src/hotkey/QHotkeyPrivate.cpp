#include "hotkey/QHotkeyPrivate.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMutex>
#include <QThread>

Q_LOGGING_CATEGORY(logQHotkey, "QHotkey", QtWarningMsg)

namespace {

QMutex g_instanceLock;
QHotkeyPrivate* g_instance = nullptr;
bool g_destroyed = false;

// Run by the application object's destructor, while its event loop's
// machinery still exists.
void destroyInstance()
{
    QMutexLocker lock(&g_instanceLock);
    delete g_instance;
    g_instance = nullptr;
    g_destroyed = true;
}

QString portableText(const QHotkey* hotkey)
{
    return hotkey->shortcut().toString(QKeySequence::PortableText);
}

} // namespace

QHotkeyPrivate* QHotkeyPrivate::instance()
{
    QMutexLocker lock(&g_instanceLock);
    if (!g_instance && !g_destroyed) {
        g_instance = new QHotkeyPrivate(HotkeyBackend::createDefault());
        qAddPostRoutine(destroyInstance);
    }
    return g_instance;
}

bool QHotkeyPrivate::isPlatformSupported()
{
    return true;
}

QHotkeyPrivate::QHotkeyPrivate(std::unique_ptr<HotkeyBackend> backend)
    : backend_(std::move(backend))
{
    qRegisterMetaType<QHotkey::NativeShortcut>("QHotkey::NativeShortcut");
    qRegisterMetaType<QHotkey*>("QHotkey*");
    qRegisterMetaType<Qt::Key>("Qt::Key");
    qRegisterMetaType<Qt::KeyboardModifiers>("Qt::KeyboardModifiers");
    backend_->setHandlers([this](QHotkey::NativeShortcut shortcut) { activateShortcut(shortcut); },
                          [this](QHotkey::NativeShortcut shortcut) { releaseShortcut(shortcut); });
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installNativeEventFilter(this);
}

QHotkeyPrivate::~QHotkeyPrivate()
{
    if (!shortcuts_.isEmpty())
        qCWarning(logQHotkey, "QHotkeyPrivate destroyed with registered shortcuts!");
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        dispatcher->removeNativeEventFilter(this);
    backend_->setHandlers(nullptr, nullptr);
}

bool QHotkeyPrivate::nativeEventFilter(const QByteArray&, void*, long*)
{
    return false;
}

bool QHotkeyPrivate::invokeHere(const char* method, QGenericReturnArgument result, QGenericArgument first,
                                QGenericArgument second)
{
    const Qt::ConnectionType type =
        QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::BlockingQueuedConnection;
    return QMetaObject::invokeMethod(this, method, type, result, first, second);
}

QHotkey::NativeShortcut QHotkeyPrivate::nativeShortcut(Qt::Key keyCode, Qt::KeyboardModifiers modifiers)
{
    QHotkey::NativeShortcut result;
    if (!invokeHere("nativeShortcutInvoked", Q_RETURN_ARG(QHotkey::NativeShortcut, result),
                    Q_ARG(Qt::Key, keyCode), Q_ARG(Qt::KeyboardModifiers, modifiers)))
        return QHotkey::NativeShortcut();
    return result;
}

bool QHotkeyPrivate::addShortcut(QHotkey* hotkey)
{
    return changeRegistration(hotkey, true);
}

bool QHotkeyPrivate::removeShortcut(QHotkey* hotkey)
{
    return changeRegistration(hotkey, false);
}

// Asking for the state a hotkey already has is a failure.
bool QHotkeyPrivate::changeRegistration(QHotkey* hotkey, bool registered)
{
    if (hotkey->isRegistered() == registered)
        return false;
    bool changed = false;
    if (!invokeHere(registered ? "addShortcutInvoked" : "removeShortcutInvoked", Q_RETURN_ARG(bool, changed),
                    Q_ARG(QHotkey*, hotkey))
        || !changed)
        return false;
    emit hotkey->registeredChanged(registered);
    return true;
}

void QHotkeyPrivate::addMapping(Qt::Key keyCode, Qt::KeyboardModifiers modifiers,
                                QHotkey::NativeShortcut nativeShortcut)
{
    QMetaObject::invokeMethod(this, "addMappingInvoked", Qt::QueuedConnection, Q_ARG(Qt::Key, keyCode),
                              Q_ARG(Qt::KeyboardModifiers, modifiers),
                              Q_ARG(QHotkey::NativeShortcut, nativeShortcut));
}

void QHotkeyPrivate::emitLater(QHotkey::NativeShortcut shortcut, const char* signal)
{
    const QList<QHotkey*> hotkeys = shortcuts_.values(shortcut);
    for (QHotkey* hotkey : hotkeys)
        QMetaObject::invokeMethod(hotkey, signal, Qt::QueuedConnection);
}

void QHotkeyPrivate::activateShortcut(QHotkey::NativeShortcut shortcut)
{
    emitLater(shortcut, "activated");
}

void QHotkeyPrivate::releaseShortcut(QHotkey::NativeShortcut shortcut)
{
    emitLater(shortcut, "released");
}

void QHotkeyPrivate::addMappingInvoked(Qt::Key keyCode, Qt::KeyboardModifiers modifiers,
                                       QHotkey::NativeShortcut nativeShortcut)
{
    mapping_.insert(qMakePair(int(keyCode), int(modifiers)), nativeShortcut);
}

bool QHotkeyPrivate::addShortcutInvoked(QHotkey* hotkey)
{
    const QHotkey::NativeShortcut shortcut = hotkey->currentNativeShortcut();
    // A combination another object already holds is not asked for again.
    if (!shortcuts_.contains(shortcut) && !registerShortcut(shortcut)) {
        qCWarning(logQHotkey).noquote()
            << QCoreApplication::translate("QHotkey", "Failed to register %1. Error: %2")
                   .arg(portableText(hotkey), error);
        return false;
    }
    shortcuts_.insert(shortcut, hotkey);
    hotkey->registered_ = true;
    return true;
}

bool QHotkeyPrivate::removeShortcutInvoked(QHotkey* hotkey)
{
    const QHotkey::NativeShortcut shortcut = hotkey->currentNativeShortcut();
    if (shortcuts_.remove(shortcut, hotkey) == 0)
        return false;
    hotkey->registered_ = false;
    if (shortcuts_.contains(shortcut))
        return true;  // others still hold it
    if (!unregisterShortcut(shortcut)) {
        qCWarning(logQHotkey).noquote()
            << QCoreApplication::translate("QHotkey", "Failed to unregister %1. Error: %2")
                   .arg(portableText(hotkey), error);
        return false;
    }
    return true;
}

QHotkey::NativeShortcut QHotkeyPrivate::nativeShortcutInvoked(Qt::Key keyCode, Qt::KeyboardModifiers modifiers)
{
    const auto mapped = mapping_.constFind(qMakePair(int(keyCode), int(modifiers)));
    if (mapped != mapping_.constEnd())
        return mapped.value();
    bool keyOk = false;
    bool modifiersOk = false;
    const quint32 key = nativeKeycode(keyCode, keyOk);
    const quint32 modifier = nativeModifiers(modifiers, modifiersOk);
    return keyOk && modifiersOk ? QHotkey::NativeShortcut(key, modifier) : QHotkey::NativeShortcut();
}

quint32 QHotkeyPrivate::nativeKeycode(Qt::Key keyCode, bool& ok)
{
    return backend_->nativeKeycode(keyCode, ok);
}

quint32 QHotkeyPrivate::nativeModifiers(Qt::KeyboardModifiers modifiers, bool& ok)
{
    return backend_->nativeModifiers(modifiers, ok);
}

bool QHotkeyPrivate::registerShortcut(QHotkey::NativeShortcut shortcut)
{
    return backend_->registerShortcut(shortcut, error);
}

bool QHotkeyPrivate::unregisterShortcut(QHotkey::NativeShortcut shortcut)
{
    return backend_->unregisterShortcut(shortcut, error);
}
