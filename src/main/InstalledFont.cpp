#include "main/InstalledFont.h"

#include <QDebug>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>

namespace vesk {
namespace pc {

const InstalledFont InstalledFont::kCjk("font/SourceHanSansCN-Bold.otf", "Noto Sans CJK JP");
const InstalledFont InstalledFont::kLatin("font/Montserrat-Regular.ttf", "Montserrat");

QString InstalledFont::resolve(const QString& path, bool* registered) const
{
    if (registered)
        *registered = false;
    // The file still decides whether the font is installed at all.
    if (!QFileInfo::exists(path)) {
        qWarning().noquote() << "Font not loaded:" << path;
        return QFont().family();
    }
    if (QFontDatabase().hasFamily(family()))
        return family();
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (families.isEmpty()) {
        qWarning().noquote() << "Font not loaded:" << path;
        return QFont().family();
    }
    if (registered)
        *registered = true;
    return families.first();
}

} // namespace pc
} // namespace vesk
