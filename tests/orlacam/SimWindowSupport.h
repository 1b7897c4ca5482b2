#pragma once

// What the main-window tests share: the simulated backend with timing fast
// enough for a window test, the wire of the run-status command, the device
// button of a serial, and the legibility rules of a rendered panel.

#include "orlacam/DevButton.h"
#include "orlacam/MainUserUi.h"
#include "platform/sim/SimBackend.h"
#include "uvc/CameraStatus.h"
#include "uvc/UvcTiming.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

inline vesk::pc::SimBackend& sim()
{
    return dynamic_cast<vesk::pc::SimBackend&>(vesk::pc::DeviceBackend::instance());
}

// Call first in initTestCase, before any window exists.
inline void useSimulatedCameras()
{
    qputenv("ORLACAM_DEVICE_BACKEND", "sim");
    qRegisterMetaType<vesk::pc::CameraStatus>("vesk::pc::CameraStatus");
    qRegisterMetaType<vesk::pc::CameraStatus>("CameraStatus");
    vesk::pc::UvcTiming timing;
    timing.passMs = 2;
    timing.statusPollPasses = 10;
    timing.replyWaitMs = 250;
    timing.closeWaitMs = 3000;
    timing.settleBeforeOpenMs = 20;
    timing.settleAfterOpenMs = 100;
    timing.initRetryMs = 20;
    vesk::pc::UvcTiming::setDefaults(timing);
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

inline DevButton* buttonFor(const MainUserUi& window, const QString& sn)
{
    for (DevButton* button : window.devButtons()) {
        if (button->hasDevice() && button->sn() == sn)
            return button;
    }
    return nullptr;
}

// Empty when every shown child of parent lies inside it, overlaps no shown
// sibling and shows its text unelided; otherwise what is wrong.
inline QString legibilityFault(const QWidget* parent, int* shownCount = nullptr)
{
    QList<QWidget*> shown;
    for (QWidget* child : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(parent))
            shown << child;
    }
    if (shownCount)
        *shownCount = shown.size();
    for (const QWidget* child : shown) {
        const QString name = child->objectName();
        if (!parent->rect().contains(child->geometry()))
            return name + QStringLiteral(" lies outside ") + parent->objectName();
        for (const QWidget* other : shown) {
            if (other != child && child->geometry().intersects(other->geometry()))
                return name + QStringLiteral(" overlaps ") + other->objectName();
        }
        QString text;
        if (auto* label = qobject_cast<const QLabel*>(child))
            text = label->text();
        else if (auto* button = qobject_cast<const QPushButton*>(child))
            text = button->text();
        if (child->fontMetrics().horizontalAdvance(text) > child->width())
            return name + QStringLiteral(" cuts its text ") + text;
    }
    return QString();
}
