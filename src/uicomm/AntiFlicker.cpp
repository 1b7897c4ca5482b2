#include "uicomm/AntiFlicker.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

// Top to bottom; the mode of each row is its distance from the bottom.
const PopupPage::Row kRows[] = {
    {"wAntiFlickerSixty", "pbSixtyHz", "60Hz"},
    {"wAntiFlickerFifty", "pbFiftyHz", "50Hz"},
    {"wAntiFlickerOff", "pbOff", QT_TRANSLATE_NOOP("AntiFlicker", "Off")},
};
constexpr int kRowCount = 3;

int rowOf(int type)
{
    return kRowCount - 1 - type;
}

} // namespace

AntiFlicker::AntiFlicker(QWidget* parent)
    : PopupPage("AntiFlicker", kRows, kRowCount, Translated, WithTick, parent)
{
    setObjectName(QStringLiteral("AntiFlicker"));
    retranslate();
    antiFlickerType = 0;
    setUiAntiFlicker(0);
}

AntiFlicker::~AntiFlicker() = default;

void AntiFlicker::setUiAntiFlicker(int type)
{
    if (type < 0 || type >= kRowCount)
        return;
    tickRow(rowOf(type));
}

void AntiFlicker::rowChosen(int row)
{
    antiFlickerType = rowOf(row);
    setUiAntiFlicker(antiFlickerType);
    emit antiFlickerChanged(antiFlickerType);
}

void AntiFlicker::retranslate()
{
    setWindowTitle(tr("Anti-Flicker"));
    retranslateRows();
}

void AntiFlicker::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
