#pragma once

// Every wait and period of the main window and its flows, in milliseconds.
// The defaults are the real values; tests inject short ones so that a flow
// with waits of seconds runs in a fraction of that.
struct WindowTiming
{
    // The selected camera after a wake command, before its panel shows it awake.
    int wakeSettleMs = 1000;
    // A picture slot's preview after its download was asked for.
    int previewWaitMs = 100;
    // A key that sends the camera to sleep or wakes it is disabled this long.
    int sleepKeyRestMs = 4000;
    // Zoom keys: a press sooner than this after the last is one step.
    int zoomKeyGapMs = 101;
    // A switch of the panel stays locked this long after a click.
    int switchLockMs = 4000;
    // The arrival report of a new camera, unless a periodic report comes first.
    int arrivalReportDelayMs = 10000;
    // The software query after start-up.
    int softwareQueryDelayMs = 500;
    // A row's pop-up of the setting page after the pointer rests on it.
    int popupDelayMs = 200;
    // Factory reset: the wait after the command, the camera's time to come
    // back when it did not confirm, and its look-ups meanwhile.
    int restoreWaitMs = 4500;
    int resetComeBackMs = 60000;
    int resetPollMs = 500;
    // Log export over the network: the wait after the switch, the camera's
    // time to come back in network mode, and its look-ups meanwhile.
    int logSettleMs = 3000;
    int logComeBackMs = 49999;
    int logPollMs = 1000;
    // A network upgrade: the camera's outcome is waited for this long, and
    // success is shown this long after the camera announced it.
    int upgradeOutcomeWaitMs = 180000;
    int upgradeSuccessDelayMs = 12000;

    static WindowTiming defaults() { return WindowTiming(); }
};
