#pragma once

#include "comm/GlobalParams.h"
#include "uicomm/MsgProgressUi.h"

#include <QTimer>

// The progress box of a camera that upgrades itself from the local firmware
// server: its reports become coarse steps. Gives up when no success or
// failure was shown within a fixed time after the box was shown.
class UpgradeProgress : public MsgProgressUi
{
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 180000;
    static constexpr int kDefaultSuccessDelayMs = 12000;

    explicit UpgradeProgress(QWidget* parent = nullptr);
    UpgradeProgress(int timeoutMs, QWidget* parent = nullptr);
    ~UpgradeProgress() override;

    // How long after the camera announced success the box says so: the
    // camera still restarts meanwhile.
    int successDelayMs = kDefaultSuccessDelayMs;

public slots:
    void onUpgradeProgressUpdate(vesk::pc::GlobalParams::UgProgressEnum type, const QString& uuid,
                                 const QString& msg);
    void onTimeout();

private:
    void init(int timeout);
    void onSuccessShown();

    bool finished = false;
    int step = 0;
    QTimer successTimer_;
};
