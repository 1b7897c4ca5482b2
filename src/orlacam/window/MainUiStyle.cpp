#include "orlacam/window/MainUiStyle.h"

#include <QWidget>

namespace {

struct ShapeStyle
{
    const char* corners;
    int textPx;
    const char* pressedPadding;
};

const ShapeStyle kShapes[] = {
    {"border-radius: 13px;", 15, "padding-left: 2px;"},
    {"border-radius: 0px;", 14, "padding-left: 2px; padding-top: 1px;"},
    {"border-top-left-radius: 13px; border-bottom-left-radius: 13px;", 14,
     "padding-left: 2px; padding-top: 1px;"},
    {"border-top-right-radius: 13px; border-bottom-right-radius: 13px;", 14,
     "padding-left: 2px; padding-top: 1px;"},
};

struct LookStyle
{
    const char* text;
    const char* background;
    const char* border;
};

const LookStyle kLooks[] = {
    {"#141414", "#FFFFFF", "#FFFFFF"},
    {"#FFFFFF", "#141414", "#808080"},
    {"#7C7C7C", "#141414", "#323232"},
};

const char* const kSliderEnabled =
    "QSlider::groove:horizontal { height: 20px; background: rgb(124, 124, 124); border-radius: 10px; }"
    "QSlider::sub-page:horizontal { background: red; border-radius: 10px; }"
    "QSlider::handle:horizontal { background: white; width: 12px; height: 12px; margin: 4px 4px;"
    " border-radius: 6px; }";
const char* const kSliderDisabled =
    "QSlider::groove:horizontal { height: 20px; background: rgb(64, 64, 64); border-radius: 10px; }"
    "QSlider::sub-page:horizontal { background: rgb(56, 56, 56); border-radius: 10px; }"
    "QSlider::handle:horizontal { background: rgb(192, 192, 192); width: 12px; height: 12px;"
    " margin: 4px 4px; border-radius: 6px; }";

} // namespace

QString MainUiStyle::button(Shape shape, Look look)
{
    const ShapeStyle& s = kShapes[shape];
    const LookStyle& l = kLooks[look];
    QString style = QStringLiteral("QPushButton { color: %1; background-color: %2; border: 2px solid %3;"
                                   " %4 font-size: %5px; }")
                        .arg(QLatin1String(l.text), QLatin1String(l.background),
                             QLatin1String(l.border), QLatin1String(s.corners))
                        .arg(s.textPx);
    if (look != Disabled)
        style += QStringLiteral("QPushButton:pressed { %1 }").arg(QLatin1String(s.pressedPadding));
    return style;
}

QString MainUiStyle::slider(bool enabled)
{
    return QLatin1String(enabled ? kSliderEnabled : kSliderDisabled);
}

QString MainUiStyle::caption(bool enabled)
{
    return enabled ? QStringLiteral("color: #FFFFFF; font-size: 13px;")
                   : QStringLiteral("color: #7C7C7C; font-size: 13px;");
}

QString MainUiStyle::leftColumnButton(bool active)
{
    // A push button paints a style-sheet background only with a border rule.
    return active ? QStringLiteral("background-color: white; border: none;")
                  : QStringLiteral("background-color: black; border: none;");
}

void MainUiStyle::apply(QWidget* widget, const QString& sheet)
{
    if (widget->styleSheet() != sheet)
        widget->setStyleSheet(sheet);
}

void setLook(QWidget* button, MainUiStyle::Shape shape, MainUiStyle::Look look)
{
    MainUiStyle::apply(button, MainUiStyle::button(shape, look));
}
