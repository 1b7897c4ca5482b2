#include "uicomm/Language.h"

namespace {

constexpr int kLanguages = 6;

// In the order of the language numbers.
const PopupPage::Row kRows[] = {
    {"wLanguageUS", "pbLanguageUS", "English"},
    {"wLanguageCN", "pbLanguageCN", "简体中文"},
    {"wLanguageHK", "pbLanguageHK", "繁體中文"},
    {"wLanguageJP", "pbLanguageJP", "日本語"},
    {"wLanguageGE", "pbLanguageGE", "Deutsch"},
    {"wLanguageES", "pbLanguageES", "Español"},
};

} // namespace

Language::Language(QWidget* parent)
    : PopupPage("Language", kRows, kLanguages, Fixed, WithTick, parent)
{
    setObjectName(QStringLiteral("Language"));
    setWindowTitle(tr("Language"));
    setLanguageType(0);
}

Language::~Language() = default;

void Language::setLanguageType(int type)
{
    if (type < 0 || type >= kLanguages)
        return;
    tickRow(type);
    languageType_ = type;
}

void Language::rowChosen(int row)
{
    setLanguageType(row);
    emit languageChanged(row);
}
