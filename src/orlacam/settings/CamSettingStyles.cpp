#include "orlacam/settings/CamSettingStyles.h"

namespace vesk {
namespace pc {

namespace {

const char kLeftOffEdges[] = "border-color: #666666 #141414 #666666 #666666;";
const char kMiddleOffEdges[] = "border-color: #666666 #141414 #666666 #141414;";
const char kRightOffEdges[] = "border-color: #666666 #666666 #666666 #141414;";
const char kGreyEdges[] = "border-color: #666666;";

// A segment: 14 px text, a 2 px border, and a pressed look that moves the
// text down and right. padLeft is the resting left padding.
QString segment(const QString& colours, const char* corners, int padLeft, const char* extra = "")
{
    return QStringLiteral("QPushButton { %1 font-size: 14px; border-width: 2px; border-style: solid; "
                          "%2 padding-top: -1px; padding-left: %3px; %4}"
                          " QPushButton:pressed { padding-top: 1px; padding-left: %5px; }")
        .arg(colours, QLatin1String(corners))
        .arg(padLeft)
        .arg(QLatin1String(extra))
        .arg(padLeft + 2);
}

QString selected()
{
    return QStringLiteral("color: #262626; background-color: #FFFFFF; border-color: #FFFFFF;");
}

QString plain(const char* edges)
{
    return QStringLiteral("color: #FFFFFF; background-color: #141414; ") + QLatin1String(edges);
}

const char kLeftCorners[] = "border-top-left-radius: 14px; border-bottom-left-radius: 14px;";
const char kSquareCorners[] = "border-radius: 0px;";
const char kRightCorners[] = "border-top-right-radius: 14px; border-bottom-right-radius: 14px;";
const char kRightPadding[] = "padding-right: 4px; ";

QString label(const char* colour)
{
    return QStringLiteral("QLabel { background: transparent; color: %1; }").arg(QLatin1String(colour));
}

// Groove 20 px high; both parts 4 px high (8 px margins), the handle a
// 12 px disc.
QString slider(const char* filled, const char* rest, const char* handle)
{
    return QStringLiteral("QSlider { background: transparent; }"
                          " QSlider::groove:horizontal { height: 20px; background: transparent; }"
                          " QSlider::sub-page:horizontal { background: %1; margin: 8px 0px; border-radius: 2px; }"
                          " QSlider::add-page:horizontal { background: %2; margin: 8px 0px; border-radius: 2px; }"
                          " QSlider::handle:horizontal { background: %3; width: 12px; margin: 4px 0px;"
                          " border-radius: 6px; }")
        .arg(QLatin1String(filled), QLatin1String(rest), QLatin1String(handle));
}

QString replaced(QString look, const char* from, const char* to)
{
    return look.replace(QLatin1String(from), QLatin1String(to), Qt::CaseSensitive);
}

} // namespace

const QString kLabelWhiteStyle = label("#FFFFFF");
const QString kLabelGreyStyle = label("#7C7C7C");
const QString kLeftOnStyle = segment(selected(), kLeftCorners, 0);
const QString kLeftOffStyle = segment(plain(kLeftOffEdges), kLeftCorners, 0);
const QString kMiddleOnStyle = segment(selected(), kSquareCorners, 0);
const QString kMiddleOffStyle = segment(plain(kMiddleOffEdges), kSquareCorners, 0);
const QString kRightOnStyle = segment(selected(), kRightCorners, 4, kRightPadding);
const QString kRightOffStyle = segment(plain(kRightOffEdges), kRightCorners, 4, kRightPadding);
const QString kSliderOnStyle = slider("red", "rgb(124, 124, 124)", "rgb(255, 255, 255)");
const QString kSliderOffStyle = slider("rgb(56, 56, 56)", "rgb(64, 64, 64)", "rgb(192, 192, 192)");

QString leftGreyEdgeStyle()
{
    return replaced(kLeftOffStyle, kLeftOffEdges, kGreyEdges);
}

QString rightGreyEdgeStyle()
{
    return replaced(kRightOffStyle, kRightOffEdges, kGreyEdges);
}

QString greyedStyle(const QString& plainLook)
{
    return replaced(plainLook, "color: #FFFFFF;", "color: #7C7C7C;");
}

QString middleGreyRightEdgeStyle()
{
    return replaced(greyedStyle(kMiddleOffStyle), kMiddleOffEdges, kLeftOffEdges);
}

QString greyedLeftStyle()
{
    return greyedStyle(kLeftOffStyle);
}

QString greyedRightStyle()
{
    return greyedStyle(rightGreyEdgeStyle());
}

} // namespace pc
} // namespace vesk
