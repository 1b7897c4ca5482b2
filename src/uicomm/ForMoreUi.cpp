#include "uicomm/ForMoreUi.h"

#include <QEvent>
#include <QIcon>
#include <QPushButton>

namespace {

enum MoreRow { ExportLog, UpgradeManual, FirmwareUpgrade, RestoreFactory };

const PopupPage::Row kRows[] = {
    {"wExportLog", "pbExportLog", QT_TRANSLATE_NOOP("ForMoreUi", "Export Log")},
    {"wUpgradeManual", "pbUpgradeManual", QT_TRANSLATE_NOOP("ForMoreUi", "Upgrade Manual")},
    {"wFirmwareUpgrade", "pbFirmwareUpgrade", QT_TRANSLATE_NOOP("ForMoreUi", "Firmware Upgrade")},
    {"wRestoreFactory", "pbRestoreFactory", QT_TRANSLATE_NOOP("ForMoreUi", "Restore Factory Settings")},
};

constexpr int kHelpSize = 18;
constexpr int kHelpTop = 16;
constexpr int kHelpGap = 25;  // from the text's width: the 20 px padding and 5 px

} // namespace

ForMoreUi::ForMoreUi(QWidget* parent)
    : PopupPage("ForMoreUi", kRows, 4, Translated, NoTick, parent)
{
    setObjectName(QStringLiteral("ForMoreUi"));
    setWindowIcon(QIcon(QStringLiteral(":/source/uicomm/icon/orlacam.png")));
    helpButton = new QPushButton(rowButton(FirmwareUpgrade));
    helpButton->setObjectName(QStringLiteral("pbFirmwareUpgradeHelp"));
    helpButton->setFocusPolicy(Qt::NoFocus);
    helpButton->setStyleSheet(QStringLiteral("background: transparent; border: none; padding: 0px;"));
    helpButton->setIconSize(QSize(kHelpSize, kHelpSize));
    helpButton->setGeometry(0, kHelpTop, kHelpSize, kHelpSize);
    connect(helpButton, &QPushButton::clicked, this, [this] {
        emit upgradeHelp();
        hide();
    });
    retranslate();
    helpButton->hide();
    helpButton->show();
    setDisplayState(true);
}

ForMoreUi::~ForMoreUi() = default;

void ForMoreUi::setDisplayState(bool enabled, bool upgradeReachable)
{
    // The page's style greys a disabled button's text.
    for (int row : {ExportLog, RestoreFactory})
        rowButton(row)->setEnabled(enabled);
    const bool upgrade = enabled || upgradeReachable;
    rowButton(FirmwareUpgrade)->setEnabled(upgrade);
    helpButton->setEnabled(upgrade);
    helpButton->setIcon(QIcon(upgrade ? QStringLiteral(":/source/uicomm/icon/icon_question_on.png")
                                      : QStringLiteral(":/source/uicomm/icon/icon_question_off.png")));
}

void ForMoreUi::rowChosen(int row)
{
    switch (row) {
    case ExportLog:
        emit exportLog();
        break;
    case UpgradeManual:
        emit upgradeManual();
        break;
    case FirmwareUpgrade:
        emit manualUpgrade();
        break;
    case RestoreFactory:
        emit restoreFactorySetting();
        break;
    default:
        break;
    }
}

// Just right of the end of the "Firmware Upgrade" text, in every language.
void ForMoreUi::placeHelpButton()
{
    QPushButton* upgrade = rowButton(FirmwareUpgrade);
    upgrade->ensurePolished();
    const int width = upgrade->fontMetrics().horizontalAdvance(upgrade->text());
    helpButton->move(width + kHelpGap, helpButton->y());
}

void ForMoreUi::retranslate()
{
    setWindowTitle(tr("More"));
    retranslateRows();
    placeHelpButton();
}

void ForMoreUi::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
