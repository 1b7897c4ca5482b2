#pragma once

#include "uicomm/PopupPage.h"

class QPushButton;

// The "More" popup page: log export, the upgrade manual, a manual firmware
// upgrade with its help button, and the factory reset.
class ForMoreUi : public PopupPage
{
    Q_OBJECT
public:
    explicit ForMoreUi(QWidget* parent = nullptr);
    ~ForMoreUi() override;

    // The entries that need a camera, usable or greyed; the manual stays
    // usable, and so does the firmware upgrade (with its help) when
    // upgradeReachable is set: a camera that waits for its upgrade.
    void setDisplayState(bool enabled, bool upgradeReachable = false);

signals:
    void exportLog();
    void upgradeManual();
    void manualUpgrade();
    void restoreFactorySetting();
    void upgradeHelp();

protected:
    void rowChosen(int row) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void placeHelpButton();

    QPushButton* helpButton = nullptr;
};
