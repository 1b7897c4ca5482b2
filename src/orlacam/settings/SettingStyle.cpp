#include "orlacam/settings/SettingStyle.h"

#include <QVector>

namespace {

struct StylePair
{
    const char* normal;
    const char* greyed;
};

// By Kind.
const StylePair kStyles[] = {
    {"background: transparent; color: #FFFFFF;", "background: transparent; color: #666666;"},
    {"background: transparent; color: #FFFFFF; font-size: 14px;",
     "background: transparent; color: #666666; font-size: 14px;"},
    {"QPushButton { color: #FFFFFF; border: none; background: transparent; padding-left: 20px; text-align: left; }",
     "QPushButton { color: #666666; border: none; background: transparent; padding-left: 20px; text-align: left; }"},
    {"QPushButton { color: white; border: 2px groove gray; border-radius: 10px; font-size: 14px; }"
     "QPushButton:hover, QPushButton:pressed { background-color: black; }",
     "QPushButton { color: #7C7C7C; border: 2px groove #323232; border-radius: 10px; font-size: 14px; }"},
    {"QComboBox { background: transparent; font-size: 13px; color: #FFFFFF;"
     " border: 2px solid rgba(128, 128, 128, 100); padding-left: 6px; }",
     "QComboBox { background: transparent; font-size: 13px; color: #666666;"
     " border: 2px solid rgba(128, 128, 128, 100); padding-left: 6px; }"},
};

} // namespace

const QString& SettingStyle::style(Kind kind, bool normal)
{
    static const QVector<QString> built = [] {
        QVector<QString> all;
        for (const StylePair& pair : kStyles)
            all << QLatin1String(pair.normal) << QLatin1String(pair.greyed);
        return all;
    }();
    return built.at(int(kind) * 2 + (normal ? 0 : 1));
}
