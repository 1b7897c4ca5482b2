#pragma once

#include <QString>

namespace vesk {
namespace pc {

// A font file installed beside the program and the family it carries. The
// system often has the same family through fontconfig: asking for it costs
// little, while registering a large file (the CJK one) takes tens of
// milliseconds of start-up.
class InstalledFont
{
public:
    // The CJK font (Debian's Noto Sans CJK Bold, whose first face is the JP
    // one) and the Latin one, as the resources stage them.
    static const InstalledFont kCjk;
    static const InstalledFont kLatin;

    constexpr InstalledFont(const char* relativePath, const char* family)
        : relativePath_(relativePath), family_(family)
    {
    }

    QString relativePath() const { return QLatin1String(relativePath_); }
    QString family() const { return QLatin1String(family_); }

    // The family to use for the file at path: the system's when fontconfig
    // has it, else the file's first family once registered. A missing file,
    // or one that yields no family, is logged and gives the default font's
    // family. registered tells whether the file was registered.
    QString resolve(const QString& path, bool* registered = nullptr) const;

private:
    const char* relativePath_;
    const char* family_;
};

} // namespace pc
} // namespace vesk
