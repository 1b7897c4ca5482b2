#pragma once

#include <QKeySequence>
#include <QObject>

// One system-wide key combination: pressed and released wherever the focus
// is. Registration goes through the process's hotkey registry, which lets
// several objects share one combination.
class QHotkey : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool registered READ isRegistered WRITE setRegistered NOTIFY registeredChanged)
    Q_PROPERTY(QKeySequence shortcut READ shortcut WRITE setShortcut)

public:
    // A combination in the platform's terms: key code and modifier mask.
    struct NativeShortcut
    {
        quint32 key = 0;
        quint32 modifier = 0;
        bool valid = false;

        NativeShortcut() = default;
        NativeShortcut(quint32 nativeKey, quint32 nativeModifier)
            : key(nativeKey), modifier(nativeModifier), valid(true)
        {
        }
        bool isValid() const { return valid; }
        bool operator==(const NativeShortcut& other) const
        {
            return key == other.key && modifier == other.modifier && valid == other.valid;
        }
        bool operator!=(const NativeShortcut& other) const { return !(*this == other); }
    };

    static bool isPlatformSupported();
    // A fixed translation that wins over the platform's own.
    static void addGlobalMapping(const QKeySequence& shortcut, NativeShortcut nativeShortcut);

    explicit QHotkey(QObject* parent = nullptr);
    QHotkey(const QKeySequence& shortcut, bool autoRegister = false, QObject* parent = nullptr);
    QHotkey(Qt::Key keyCode, Qt::KeyboardModifiers modifiers, bool autoRegister = false,
            QObject* parent = nullptr);
    QHotkey(NativeShortcut shortcut, bool autoRegister = false, QObject* parent = nullptr);
    ~QHotkey() override;

    bool isRegistered() const { return registered_; }
    QKeySequence shortcut() const;
    Qt::Key keyCode() const { return keyCode_; }
    Qt::KeyboardModifiers modifiers() const { return modifiers_; }
    NativeShortcut currentNativeShortcut() const { return nativeShortcut_; }

public slots:
    bool setRegistered(bool registered);
    bool setShortcut(const QKeySequence& shortcut, bool autoRegister = false);
    bool setShortcut(Qt::Key keyCode, Qt::KeyboardModifiers modifiers, bool autoRegister = false);
    bool resetShortcut();
    bool setNativeShortcut(QHotkey::NativeShortcut nativeShortcut, bool autoRegister = false);

signals:
    void activated();
    void released();
    void registeredChanged(bool registered);

private:
    friend class QHotkeyPrivate;
    // Unregisters first when registered; false when that is refused.
    bool releaseForChange(bool autoRegister);
    void clear();

    Qt::Key keyCode_ = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers_ = Qt::NoModifier;
    NativeShortcut nativeShortcut_;
    bool registered_ = false;
};

inline uint qHash(QHotkey::NativeShortcut shortcut, uint = 0)
{
    return shortcut.key ^ shortcut.modifier;
}

Q_DECLARE_METATYPE(QHotkey::NativeShortcut)
