#include "uicomm/ButtonMode.h"

#include <QEvent>

namespace {

const PopupPage::Row kRows[] = {
    {"wDefault", "pbDefault", QT_TRANSLATE_NOOP("ButtonMode", "Default")},
    {"wRotation", "pbRotation", QT_TRANSLATE_NOOP("ButtonMode", "Rotation")},
};

} // namespace

ButtonMode::ButtonMode(QWidget* parent)
    : PopupPage("ButtonMode", kRows, 2, Translated, WithTick, parent)
{
    setObjectName(QStringLiteral("ButtonMode"));
    setWindowTitle(QStringLiteral("Button Configuration"));
    setButtonModeType(0);
}

ButtonMode::~ButtonMode() = default;

void ButtonMode::setButtonModeType(int type)
{
    if (type != 0 && type != 1)
        return;
    tickRow(type);
    buttonModeType = type;
}

void ButtonMode::rowChosen(int row)
{
    setButtonModeType(row);
    emit buttonModeChanged(row);
}

void ButtonMode::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateRows();
    QWidget::changeEvent(event);
}
