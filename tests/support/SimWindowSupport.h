#pragma once

// What the main-window tests share: the simulated backend with timing fast
// enough for a window test, the wire of the run-status command and the device
// button of a serial; the legibility rules come with it.

#include "orlacam/window/DevButton.h"
#include "orlacam/window/MainUserUi.h"
#include "support/DemoCameras.h"
#include "support/Legibility.h"
#include "support/SimCameras.h"
#include "uvc/UvcDevices.h"

#include <QShortcut>
#include <QtTest>

#include <memory>


// The window's waits cut short: a flow or a rest of seconds takes a fraction
// of one. Long enough that a test can still act while a wait runs.
inline WindowTiming fastWindowTiming()
{
    WindowTiming timing;
    timing.wakeSettleMs = 400;
    timing.sleepKeyRestMs = 500;
    timing.switchLockMs = 500;
    timing.restoreWaitMs = 300;
    timing.resetPollMs = 100;
    timing.logSettleMs = 300;
    timing.logPollMs = 100;
    timing.upgradeSuccessDelayMs = 300;
    return timing;
}

// Run-status frames (command 0x13C2, payload 01 and the status) a camera got.
inline int runStatusFrames(uint32_t location, uint8_t status)
{
    int count = 0;
    for (const QByteArray& frame : sim().camera(location)->writtenFrames()) {
        if (frame.size() >= 14 && uint8_t(frame[10]) == 0x13 && uint8_t(frame[11]) == 0xC2
            && frame[12] == 1 && uint8_t(frame[13]) == status)
            ++count;
    }
    return count;
}

// SET_CUR payloads a camera got on one control, oldest first.
inline QList<QByteArray> setCurs(uint32_t location, vesk::pc::UvcUnitKind kind, uint8_t selector)
{
    QList<QByteArray> sent;
    for (const vesk::pc::SimRequestRecord& r : sim().camera(location)->requests()) {
        if (r.request == vesk::pc::UvcRequest::SetCur && r.kind == kind && r.selector == selector)
            sent << r.data;
    }
    return sent;
}

// Parameter records (extension-unit selector 6) as id, length and data
// bytes, oldest first; the rest of each 60-byte transfer is padding.
inline QList<QByteArray> paramRecords(uint32_t location)
{
    QList<QByteArray> sent;
    for (const QByteArray& data : setCurs(location, vesk::pc::UvcUnitKind::ExtensionUnit, 6))
        sent << data.left(2 + uint8_t(data.at(1)));
    return sent;
}

// Alt+n as its in-window shortcut delivers it.
inline void pressAltNumber(const MainUserUi& window, int n)
{
    const QKeySequence key(QStringLiteral("Alt+%1").arg(n));
    for (QShortcut* shortcut : window.localShortcuts()) {
        if (shortcut->key() == key)
            emit shortcut->activated();
    }
}

inline DevButton* buttonFor(const MainUserUi& window, const QString& sn)
{
    for (DevButton* button : window.devButtons()) {
        if (button->hasDevice() && button->sn() == sn)
            return button;
    }
    return nullptr;
}

// A window with both simulated cameras listed and sn selected, its waits
// short unless the test asks for others, its status
// reports off so that no status moves the panel under a test, and the
// camera's request log emptied. False when that is not reached in time.
inline bool openWindowOn(std::unique_ptr<MainUserUi>& window, const QString& sn, uint32_t location,
                         int boundMs = 8000, const WindowTiming& timing = fastWindowTiming())
{
    // A window left by a failed init() goes first: Qt 5 skips cleanup() then,
    // and a second window cannot take over the registry while it lives.
    window.reset();
    window = std::make_unique<MainUserUi>(nullptr);
    window->setTiming(timing);
    window->show();
    // Either camera may be listed first: its own button filled before a click.
    if (!QTest::qWaitFor([&] { return window->devButtons().size() == 2
                                      && window->devButtons().first()->hasDevice()
                                      && buttonFor(*window, sn); },
                         boundMs))
        return false;
    if (DevButton* button = buttonFor(*window, sn); button && window->currentSn() != sn)
        QTest::mouseClick(button, Qt::LeftButton);
    if (window->currentSn() != sn || !window->isDevAwake())
        return false;
    vesk::pc::UvcDevices::get().getDevBySn(sn)->setStatusReportEnabled(false);
    QTest::qWait(50);
    sim().camera(location)->clearRequests();
    return true;
}
