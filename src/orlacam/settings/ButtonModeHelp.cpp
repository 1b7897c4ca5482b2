#include "orlacam/settings/ButtonModeHelp.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

enum TextKind { Title, SubTitle, Gesture, Description, YesButton, Line };

struct HelpEntry
{
    const char* name;
    TextKind kind;
    const char* text;
};

const HelpEntry kEntries[] = {
    {"lbTitle", Title, QT_TRANSLATE_NOOP("ButtonModeHelp", "Button Mode Description")},
    {"lbSubTitle1", SubTitle, QT_TRANSLATE_NOOP("ButtonModeHelp", "| Default")},
    {"lbEntry1", Gesture, QT_TRANSLATE_NOOP("ButtonModeHelp", "Click")},
    {"lbEntry11", Description, QT_TRANSLATE_NOOP("ButtonModeHelp", "Turn on/off auto-framing")},
    {"lbEntry2", Gesture, QT_TRANSLATE_NOOP("ButtonModeHelp", "Double Click")},
    {"lbEntry21", Description,
     QT_TRANSLATE_NOOP("ButtonModeHelp", "Turn on/off virtual background  (blur/green screen/replacement)")},
    {"lbEntry3", Gesture, QT_TRANSLATE_NOOP("ButtonModeHelp", "Long press for 3 seconds")},
    {"lbEntry31", Description, QT_TRANSLATE_NOOP("ButtonModeHelp", "Sleep/Wake up the device")},
    {"line", Line, nullptr},
    {"lbSubTitle2", SubTitle, QT_TRANSLATE_NOOP("ButtonModeHelp", "| Rotation")},
    {"lbEntry4", Gesture, QT_TRANSLATE_NOOP("ButtonModeHelp", "Click")},
    {"lbEntry41", Description,
     QT_TRANSLATE_NOOP("ButtonModeHelp",
                       "Switch to next mode in the following order: standard->auto-framing->virtual background")},
    {"lbEntry5", Gesture, QT_TRANSLATE_NOOP("ButtonModeHelp", "Long press for 3 seconds")},
    {"lbEntry51", Description, QT_TRANSLATE_NOOP("ButtonModeHelp", "Sleep/Wake up the device")},
    {"pbYes", YesButton, QT_TRANSLATE_NOOP("ButtonModeHelp", "Yes")},
};

const char* styleOf(TextKind kind)
{
    switch (kind) {
    case Title: return "font-size: 15px;";
    case SubTitle: return "font-size: 14px;";
    case Gesture: return "font-size: 13px; color: rgb(140, 140, 140);";
    case Description: return "font-size: 13px;";
    case Line: return "background-color: rgb(216, 216, 216);";
    case YesButton:
        return "QPushButton { color: #FFFFFF; font-size: 15px; border: 1px solid #808080; border-radius: 18px; }"
               "QPushButton:hover, QPushButton:pressed { color: #000000; background-color: #FFFFFF; }";
    }
    return "";
}

QWidget* makeWidget(const HelpEntry& entry, QWidget* parent)
{
    QWidget* widget = nullptr;
    if (entry.kind == Line) {
        auto* line = new QFrame(parent);
        line->setFixedHeight(1);
        widget = line;
    } else if (entry.kind == YesButton) {
        auto* button = new QPushButton(parent);
        button->setFixedSize(180, 36);
        widget = button;
    } else {
        auto* label = new QLabel(parent);
        label->setWordWrap(entry.kind == Description);
        if (entry.kind == Title)
            label->setAlignment(Qt::AlignCenter);
        widget = label;
    }
    widget->setObjectName(QLatin1String(entry.name));
    widget->setStyleSheet(QLatin1String(styleOf(entry.kind)));
    return widget;
}

} // namespace

ButtonModeHelp::ButtonModeHelp(QWidget* parent)
    : OWidget(parent)
{
    setObjectName(QStringLiteral("ButtonModeHelp"));
    setWindowTitle(QStringLiteral("Button Configuration"));
    setWindowIcon(QIcon(QStringLiteral(":/source/orlacam/icon/orla_icon.ico")));
    resize(360, 402);
    setMinimumSize(360, 0);
    setMaximumSize(360, 600);
    setStyleSheet(QStringLiteral("#ButtonModeHelp { background-color: rgb(70, 70, 70); }"
                                 "QLabel { color: #FFFFFF; font-size: 15px; background: transparent; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);
    for (const HelpEntry& entry : kEntries) {
        QWidget* widget = makeWidget(entry, this);
        layout->addWidget(widget, 0, entry.kind == YesButton ? Qt::AlignHCenter : Qt::Alignment());
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            connect(button, &QPushButton::clicked, this, &QWidget::close);
        }
    }
    retranslate();
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

ButtonModeHelp::~ButtonModeHelp() = default;

void ButtonModeHelp::open()
{
    show();
    centreOnParent();
}

void ButtonModeHelp::retranslate()
{
    for (const HelpEntry& entry : kEntries) {
        if (!entry.text)
            continue;
        const QString text = QCoreApplication::translate("ButtonModeHelp", entry.text);
        QWidget* widget = findChild<QWidget*>(QLatin1String(entry.name));
        if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(text);
        else if (auto* button = qobject_cast<QPushButton*>(widget))
            button->setText(text);
    }
}

void ButtonModeHelp::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    OWidget::changeEvent(event);
}

// Fitted to its contents, the wrapped descriptions at the window's width.
void ButtonModeHelp::showEvent(QShowEvent* event)
{
    OWidget::showEvent(event);
    adjustSize();
    resize(width(), qMin(maximumHeight(), layout()->totalHeightForWidth(width())));
}

// As the hotkey list: nothing waits on the answer, so Escape may close it.
void ButtonModeHelp::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        OWidget::keyPressEvent(event);
}
