#pragma once

#include <QString>

namespace vesk {
namespace pc {

// The camera setting dialog's shared looks, built once for the process.
extern const QString kLabelWhiteStyle;
extern const QString kLabelGreyStyle;
extern const QString kLeftOnStyle;
extern const QString kLeftOffStyle;
extern const QString kMiddleOnStyle;
extern const QString kMiddleOffStyle;
extern const QString kRightOnStyle;
extern const QString kRightOffStyle;
extern const QString kSliderOnStyle;
extern const QString kSliderOffStyle;

// Looks derived from the shared ones by one text replacement each.
QString leftGreyEdgeStyle();
QString rightGreyEdgeStyle();
QString greyedStyle(const QString& plainLook);
QString middleGreyRightEdgeStyle();  // greyed kMiddleOffStyle with a grey right edge
QString greyedLeftStyle();           // greyed kLeftOffStyle
QString greyedRightStyle();          // greyed right grey-edge look

} // namespace pc
} // namespace vesk
