#include "orlacam/settings/SwitchIcons.h"

#include <QAbstractButton>

namespace {

const char* const kSwitchFiles[] = {":/source/orlacam/icon/btn_off_n@3x", ":/source/orlacam/icon/btn_on_n@3x"};

} // namespace

void SwitchIcons::show(QAbstractButton* button, bool on)
{
    QIcon& icon = icons_[on ? 1 : 0];
    if (icon.isNull())
        icon = QIcon(QLatin1String(kSwitchFiles[on ? 1 : 0]));
    if (button->icon().cacheKey() != icon.cacheKey())
        button->setIcon(icon);
}
