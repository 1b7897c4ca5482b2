#include "uicomm/Language.h"

namespace {

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
    : PopupPage("Language", kRows, 6, Fixed, NoTick, parent)
{
    setObjectName(QStringLiteral("Language"));
    setWindowTitle(tr("Language"));
}

Language::~Language() = default;

void Language::rowChosen(int row)
{
    emit languageChanged(row);
}
