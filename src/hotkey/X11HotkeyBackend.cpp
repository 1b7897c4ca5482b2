#include "hotkey/X11HotkeyBackend.h"

#include <QChar>
#include <QSocketNotifier>
#include <QVector>

// The XKB header names a field "explicit", a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace {

constexpr xcb_keysym_t kNumLockKeysym = 0xff7f;
constexpr quint16 kModifierBits = 0xff;  // Shift, Lock, Control, Mod1 to Mod5
constexpr quint8 kBadAccess = 10;
constexpr xcb_keysym_t kF1Keysym = 0xffbe;
constexpr int kFunctionKeys = 35;

struct KeyRow
{
    int qtKey;
    xcb_keysym_t keysym;
};

// Keys whose keysym is not their Latin-1 code.
const KeyRow kKeysyms[] = {
    {Qt::Key_Escape, 0xff1b},       {Qt::Key_Tab, 0xff09},         {Qt::Key_Backtab, 0xfe20},
    {Qt::Key_Backspace, 0xff08},    {Qt::Key_Return, 0xff0d},      {Qt::Key_Enter, 0xff8d},
    {Qt::Key_Insert, 0xff63},       {Qt::Key_Delete, 0xffff},      {Qt::Key_Pause, 0xff13},
    {Qt::Key_Print, 0xff61},        {Qt::Key_Home, 0xff50},        {Qt::Key_End, 0xff57},
    {Qt::Key_Left, 0xff51},         {Qt::Key_Up, 0xff52},          {Qt::Key_Right, 0xff53},
    {Qt::Key_Down, 0xff54},         {Qt::Key_PageUp, 0xff55},      {Qt::Key_PageDown, 0xff56},
    {Qt::Key_CapsLock, 0xffe5},     {Qt::Key_NumLock, 0xff7f},     {Qt::Key_ScrollLock, 0xff14},
    {Qt::Key_Menu, 0xff67},         {Qt::Key_Help, 0xff6a},        {Qt::Key_VolumeDown, 0x1008ff11},
    {Qt::Key_VolumeMute, 0x1008ff12}, {Qt::Key_VolumeUp, 0x1008ff13}, {Qt::Key_MediaPlay, 0x1008ff14},
    {Qt::Key_MediaStop, 0x1008ff15}, {Qt::Key_MediaPrevious, 0x1008ff16}, {Qt::Key_MediaNext, 0x1008ff17},
};

struct ModifierRow
{
    Qt::KeyboardModifier qt;
    quint16 x11;
};

// Meta is the Super key; the keypad flag has no X11 modifier and is ignored.
const ModifierRow kModifiers[] = {
    {Qt::ShiftModifier, XCB_MOD_MASK_SHIFT},
    {Qt::ControlModifier, XCB_MOD_MASK_CONTROL},
    {Qt::AltModifier, XCB_MOD_MASK_1},
    {Qt::MetaModifier, XCB_MOD_MASK_4},
};

xcb_keysym_t keysymOf(Qt::Key key)
{
    for (const KeyRow& row : kKeysyms) {
        if (row.qtKey == key)
            return row.keysym;
    }
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + kFunctionKeys)
        return kF1Keysym + (key - Qt::Key_F1);
    if (key >= 0x20 && key <= 0xff)
        return QChar(key).toLower().unicode();  // Latin-1 keysyms are their code
    return 0;
}

QString errorText(quint8 code)
{
    if (code == kBadAccess)
        return QStringLiteral("BadAccess: another program holds this key");
    return QStringLiteral("X error %1").arg(code);
}

} // namespace

std::unique_ptr<HotkeyBackend> HotkeyBackend::createDefault()
{
    return std::make_unique<X11HotkeyBackend>(qgetenv("DISPLAY"));
}

X11HotkeyBackend::X11HotkeyBackend(const QByteArray& display)
{
    if (display.isEmpty()) {
        qCWarning(logQHotkey, "System-wide hotkeys need an X11 display and DISPLAY is not set "
                              "(a Wayland-only session?): they stay off; the in-window shortcuts still work");
        return;
    }
    if (!connectTo(display)) {
        qCWarning(logQHotkey).noquote() << "Cannot reach the X11 display" << display
                                        << "- system-wide hotkeys stay off; the in-window shortcuts still work";
        return;
    }
    symbols_ = xcb_key_symbols_alloc(connection_);
    findNumLockMask();
    enableDetectableAutoRepeat();
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &X11HotkeyBackend::readEvents);
}

X11HotkeyBackend::~X11HotkeyBackend()
{
    delete notifier_;
    if (symbols_)
        xcb_key_symbols_free(symbols_);
    if (connection_)
        xcb_disconnect(connection_);  // ends every grab of ours
}

bool X11HotkeyBackend::connectTo(const QByteArray& display)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(display.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem <= 0) {
        xcb_disconnect(connection);
        return false;
    }
    root_ = screens.data->root;
    connection_ = connection;
    return true;
}

// Num Lock sits on whichever of Mod1 to Mod5 the server's map gives it.
void X11HotkeyBackend::findNumLockMask()
{
    xcb_keycode_t* numLock = xcb_key_symbols_get_keycode(symbols_, kNumLockKeysym);
    xcb_get_modifier_mapping_reply_t* map =
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr);
    if (numLock && map) {
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map);
        const int perModifier = map->keycodes_per_modifier;
        for (int i = 0; i < 8 * perModifier && !numLockMask_; ++i) {
            for (const xcb_keycode_t* code = numLock; *code != XCB_NO_SYMBOL; ++code) {
                if (codes[i] == *code && codes[i] != 0)
                    numLockMask_ = quint16(1u << (i / perModifier));
            }
        }
    }
    std::free(numLock);
    std::free(map);
}

void X11HotkeyBackend::enableDetectableAutoRepeat()
{
    xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
        connection_, xcb_xkb_use_extension(connection_, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
    const bool haveXkb = use && use->supported;
    std::free(use);
    bool detectable = false;
    if (haveXkb) {
        constexpr uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        xcb_xkb_per_client_flags_reply_t* flags = xcb_xkb_per_client_flags_reply(
            connection_, xcb_xkb_per_client_flags(connection_, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
            nullptr);
        detectable = flags && (flags->value & flag);
        std::free(flags);
    }
    if (!detectable)
        qCWarning(logQHotkey, "X11 server without XKB detectable auto-repeat: a held key may repeat");
}

quint32 X11HotkeyBackend::nativeKeycode(Qt::Key key, bool& ok)
{
    ok = false;
    const xcb_keysym_t keysym = keysymOf(key);
    if (!connection_) {
        // Translated as is, so that the registration is what fails and says why.
        ok = keysym != 0;
        return keysym;
    }
    if (keysym == 0)
        return 0;
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
    quint32 code = 0;
    if (codes && codes[0] != XCB_NO_SYMBOL) {
        code = codes[0];
        ok = true;
    }
    std::free(codes);
    return code;
}

quint32 X11HotkeyBackend::nativeModifiers(Qt::KeyboardModifiers modifiers, bool& ok)
{
    quint32 mask = 0;
    for (const ModifierRow& row : kModifiers) {
        if (modifiers & row.qt)
            mask |= row.x11;
    }
    ok = true;
    return mask;
}

QVector<quint16> X11HotkeyBackend::lockVariants(quint32 modifier) const
{
    QVector<quint16> variants{quint16(modifier), quint16(modifier | XCB_MOD_MASK_LOCK)};
    if (numLockMask_)
        variants << quint16(modifier | numLockMask_) << quint16(modifier | numLockMask_ | XCB_MOD_MASK_LOCK);
    return variants;
}

bool X11HotkeyBackend::registerShortcut(QHotkey::NativeShortcut shortcut, QString& error)
{
    if (!connection_) {
        error = QStringLiteral("no X11 display");
        return false;
    }
    QVector<xcb_void_cookie_t> cookies;
    for (quint16 modifiers : lockVariants(shortcut.modifier)) {
        cookies << xcb_grab_key_checked(connection_, 1, root_, modifiers, xcb_keycode_t(shortcut.key),
                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    // Each grab's answer is awaited: another client's grab shows only as an error.
    const quint8 failure = errorOf(cookies);
    if (failure == 0)
        return true;
    QString ignored;
    unregisterShortcut(shortcut, ignored);  // the variants that were granted
    error = errorText(failure);
    return false;
}

bool X11HotkeyBackend::unregisterShortcut(QHotkey::NativeShortcut shortcut, QString& error)
{
    if (!connection_) {
        error = QStringLiteral("no X11 display");
        return false;
    }
    QVector<xcb_void_cookie_t> cookies;
    for (quint16 modifiers : lockVariants(shortcut.modifier))
        cookies << xcb_ungrab_key_checked(connection_, xcb_keycode_t(shortcut.key), root_, modifiers);
    const quint8 failure = errorOf(cookies);
    held_.remove(shortcut.key);
    if (failure == 0)
        return true;
    error = errorText(failure);
    return false;
}

// The error code of the first request that failed, 0 when none did. The
// round trips may queue events inside xcb without waking the notifier, so
// those are read next.
quint8 X11HotkeyBackend::errorOf(const QVector<xcb_void_cookie_t>& requests)
{
    quint8 failure = 0;
    for (const xcb_void_cookie_t& cookie : requests) {
        if (xcb_generic_error_t* problem = xcb_request_check(connection_, cookie)) {
            if (failure == 0)
                failure = problem->error_code;
            std::free(problem);
        }
    }
    QMetaObject::invokeMethod(this, &X11HotkeyBackend::readEvents, Qt::QueuedConnection);
    return failure;
}

void X11HotkeyBackend::readEvents()
{
    if (!connection_)
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        handleEvent(event);
        std::free(event);
    }
    if (xcb_connection_has_error(connection_) && notifier_->isEnabled()) {
        qCWarning(logQHotkey, "The X11 connection of the system-wide hotkeys broke; they stay off");
        notifier_->setEnabled(false);
    }
}

void X11HotkeyBackend::handleEvent(const xcb_generic_event_t* event)
{
    const int type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (type == XCB_KEY_PRESS) {
        if (held_.contains(key->detail))
            return;  // auto-repeat of a held key
        const quint16 locks = XCB_MOD_MASK_LOCK | numLockMask_;
        const QHotkey::NativeShortcut shortcut(key->detail, key->state & kModifierBits & ~locks);
        held_.insert(key->detail, shortcut);
        notifyPressed(shortcut);
        return;
    }
    const auto pressed = held_.find(key->detail);
    if (pressed == held_.end())
        return;
    const QHotkey::NativeShortcut shortcut = pressed.value();
    held_.erase(pressed);
    notifyReleased(shortcut);
}
