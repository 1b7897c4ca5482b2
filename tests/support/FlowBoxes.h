#pragma once

// The boxes of the main window's maintenance flows as a user sees them: the
// shown box of a title, its texts and buttons; the frames a flow put on the
// wire; and the firmware flow driven up to and past its download box.

#include "download/PkgDownloader.h"
#include "orlacam/flows/DownloadProgress.h"
#include "orlacam/window/MainUserUi.h"
#include "support/SimWindowSupport.h"
#include "support/DemoCameras.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/MsgProgressUi.h"
#include "uvc/UvcDevice.h"
#include "uvc/UvcDevices.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWindow>
#include <QtEndian>
#include <QtTest>

#include <memory>

constexpr int kBoundMs = 15000;

inline QString titleOf(QWidget* box)
{
    auto* title = box->findChild<QLabel*>(QStringLiteral("lbTitle"));
    return title ? title->text() : QString();
}

inline QString textOf(QWidget* box)
{
    auto* content = box->findChild<QLabel*>(QStringLiteral("lbContent"));
    if (!content)
        content = box->findChild<QLabel*>(QStringLiteral("lbInfo"));
    return content ? content->text() : QString();
}

// The shown box of a title, or null.
inline QWidget* shownBox(const QString& title)
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* w : widgets) {
        if (w->isVisible() && (qobject_cast<MsgInfoUi*>(w) || qobject_cast<MsgProgressUi*>(w)) && titleOf(w) == title)
            return w;
    }
    return nullptr;
}

// An upgrade's progress box (either kind) keeps the title every progress box
// starts with.
inline QWidget* shownUpgradeBox()
{
    return shownBox(QStringLiteral("Progress info"));
}

inline bool waitForBox(const QString& title)
{
    return QTest::qWaitFor([&] { return shownBox(title) != nullptr; }, kBoundMs);
}

inline void click(const QString& title, const char* button)
{
    QWidget* box = shownBox(title);
    QVERIFY2(box, qPrintable(title));
    auto* b = box->findChild<QPushButton*>(QLatin1String(button));
    QVERIFY(b && b->isVisible() && b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton);
}

// The message frames of one command (its word at bytes 10-11) that the Orla
// was sent, sequence and checksums (bytes 4 to 8) zeroed so that a test
// compares them with a literal; taken counts those it accepted.
inline QList<QByteArray> orlaFrames(uint16_t command, int* taken = nullptr)
{
    QList<QByteArray> frames;
    for (const vesk::pc::SimRequestRecord& r : sim().camera(kOrlaLocation)->requests()) {
        if (r.request != vesk::pc::UvcRequest::SetCur || r.selector != 2 || r.data.size() != 60
            || qFromBigEndian<quint16>(r.data.constData() + 10) != command)
            continue;
        frames << r.data.left(4) + QByteArray(5, '\0') + r.data.mid(9);
        if (taken)
            *taken += r.result == 60 ? 1 : 0;
    }
    return frames;
}

// Escape, then the window system's close, on a box; true when it is still
// shown after both (a wait stays).
inline bool outlastsDismissal(QPointer<QWidget> box)
{
    QTest::keyClick(box, Qt::Key_Escape);
    if (box)
        box->windowHandle()->close();
    QCoreApplication::processEvents();
    return box && box->isVisible();
}

// A shown window with the Orla listed and selected, its waits short unless
// the test asks for others; false when that is not reached in time.
inline bool openWindowOnOrla(std::unique_ptr<MainUserUi>& window,
                             const WindowTiming& timing = fastWindowTiming())
{
    // A window left by a failed init() goes first: Qt 5 skips cleanup() then,
    // and a second window cannot take over the registry while it lives.
    window.reset();
    window = std::make_unique<MainUserUi>(nullptr);
    window->setTiming(timing);
    window->show();
    const bool up = QTest::qWaitFor(
        [&] { return vesk::pc::UvcDevices::get().getDevBySn(kOrlaSn) && buttonFor(*window, kOrlaSn); }, kBoundMs);
    if (DevButton* orla = buttonFor(*window, kOrlaSn); orla && window->currentSn() != kOrlaSn)
        QTest::mouseClick(orla, Qt::LeftButton);
    return up && window->currentSn() == kOrlaSn;
}

// Up to the download box, with the query server faked by a closed port.
inline void reachDownload(MainUserUi& window)
{
    vesk::pc::UvcDevices::get().getDevBySn(kOrlaSn)->setLatestVersion(QStringLiteral("99.0.0.1"));
    window.onFirmwareUpgrade();
    QVERIFY(waitForBox(QStringLiteral("Tips")));
    click(QStringLiteral("Tips"), "pbYes");
    QVERIFY(waitForBox(QStringLiteral("Firmware upgrade info")));
    click(QStringLiteral("Firmware upgrade info"), "pbYes");
    QVERIFY(waitForBox(QStringLiteral("Downloading Firmware")));
}

// The download box told of a verified package and answered.
inline void passDownload(MainUserUi& window)
{
    QVERIFY(window.downloader().wait(kBoundMs));  // its refusal is shown first
    QCoreApplication::sendPostedEvents();
    window.downloadBox()->onDownloadProgressUpdate(vesk::pc::PkgDownloader::kInfoStart, 10, QStringLiteral("p.bin"));
    window.downloadBox()->onDownloadProgressUpdate(vesk::pc::PkgDownloader::kInfoFinished, 0, QString());
    window.downloadBox()->errorLatched = false;
    click(QStringLiteral("Downloading Firmware"), "pbOk");
}
