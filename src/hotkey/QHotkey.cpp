#include "hotkey/QHotkey.h"

#include "hotkey/QHotkeyPrivate.h"

#include <QMetaEnum>

namespace {

constexpr int kKeyMask = 0x01FFFFFF;
constexpr int kModifierMask = int(0xFE000000);

} // namespace

bool QHotkey::isPlatformSupported()
{
    return QHotkeyPrivate::isPlatformSupported();
}

void QHotkey::addGlobalMapping(const QKeySequence& shortcut, NativeShortcut nativeShortcut)
{
    QHotkeyPrivate* registry = QHotkeyPrivate::instance();
    if (!registry || shortcut.isEmpty())
        return;
    const int first = shortcut[0];
    QMetaObject::invokeMethod(registry, "addMappingInvoked", Qt::QueuedConnection,
                              Q_ARG(Qt::Key, Qt::Key(first & kKeyMask)),
                              Q_ARG(Qt::KeyboardModifiers, Qt::KeyboardModifiers(first & kModifierMask)),
                              Q_ARG(QHotkey::NativeShortcut, nativeShortcut));
}

QHotkey::QHotkey(QObject* parent)
    : QObject(parent)
{
}

QHotkey::QHotkey(const QKeySequence& shortcut, bool autoRegister, QObject* parent)
    : QObject(parent)
{
    setShortcut(shortcut, autoRegister);
}

QHotkey::QHotkey(Qt::Key keyCode, Qt::KeyboardModifiers modifiers, bool autoRegister, QObject* parent)
    : QObject(parent)
{
    setShortcut(keyCode, modifiers, autoRegister);
}

QHotkey::QHotkey(NativeShortcut shortcut, bool autoRegister, QObject* parent)
    : QObject(parent)
{
    setNativeShortcut(shortcut, autoRegister);
}

QHotkey::~QHotkey()
{
    if (registered_) {
        if (QHotkeyPrivate* registry = QHotkeyPrivate::instance())
            registry->removeShortcut(this);
    }
}

QKeySequence QHotkey::shortcut() const
{
    if (keyCode_ == Qt::Key_unknown)
        return QKeySequence();
    return QKeySequence(int(keyCode_) | int(modifiers_));
}

void QHotkey::clear()
{
    keyCode_ = Qt::Key_unknown;
    modifiers_ = Qt::NoModifier;
    nativeShortcut_ = NativeShortcut();
}

bool QHotkey::releaseForChange(bool autoRegister)
{
    if (!registered_)
        return true;
    if (!autoRegister)
        return false;  // a registered hotkey is not changed behind its owner's back
    QHotkeyPrivate* registry = QHotkeyPrivate::instance();
    return registry && registry->removeShortcut(this);
}

bool QHotkey::setShortcut(const QKeySequence& shortcut, bool autoRegister)
{
    if (shortcut.isEmpty())
        return resetShortcut();
    if (shortcut.count() > 1) {
        qCWarning(logQHotkey, "Keysequences with multiple shortcuts are not allowed! "
                              "Only the first shortcut will be used!");
    }
    const int first = shortcut[0];
    return setShortcut(Qt::Key(first & kKeyMask), Qt::KeyboardModifiers(first & kModifierMask), autoRegister);
}

bool QHotkey::setShortcut(Qt::Key keyCode, Qt::KeyboardModifiers modifiers, bool autoRegister)
{
    if (!releaseForChange(autoRegister))
        return false;
    if (keyCode == Qt::Key_unknown) {
        clear();
        return true;
    }
    keyCode_ = keyCode;
    modifiers_ = modifiers;
    QHotkeyPrivate* registry = QHotkeyPrivate::instance();
    nativeShortcut_ = registry ? registry->nativeShortcut(keyCode, modifiers) : NativeShortcut();
    if (nativeShortcut_.isValid())
        return autoRegister ? registry->addShortcut(this) : true;

    qCWarning(logQHotkey).noquote() << "Unable to map shortcut to native keys. Key:"
                                    << QMetaEnum::fromType<Qt::Key>().valueToKey(keyCode)
                                    << "Modifiers:" << modifiers;
    clear();
    return false;
}

bool QHotkey::setNativeShortcut(NativeShortcut nativeShortcut, bool autoRegister)
{
    if (!releaseForChange(autoRegister))
        return false;
    keyCode_ = Qt::Key_unknown;
    modifiers_ = Qt::NoModifier;
    nativeShortcut_ = nativeShortcut;
    if (!nativeShortcut.isValid()) {
        nativeShortcut_ = NativeShortcut();
        return true;
    }
    QHotkeyPrivate* registry = QHotkeyPrivate::instance();
    return autoRegister ? registry && registry->addShortcut(this) : true;
}

bool QHotkey::resetShortcut()
{
    if (registered_) {
        QHotkeyPrivate* registry = QHotkeyPrivate::instance();
        if (!registry || !registry->removeShortcut(this))
            return false;
    }
    clear();
    return true;
}

bool QHotkey::setRegistered(bool registered)
{
    if (registered == registered_)
        return true;
    QHotkeyPrivate* registry = QHotkeyPrivate::instance();
    if (!registry)
        return false;
    if (!registered)
        return registry->removeShortcut(this);
    return nativeShortcut_.isValid() && registry->addShortcut(this);
}
