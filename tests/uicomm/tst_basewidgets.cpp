#include "support/ScreenArea.h"
#include "support/TestHome.h"
#include "uicomm/OWidget.h"
#include "uicomm/RSlider.h"

#include <QBitmap>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace {

class PlainBox : public OWidget
{
public:
    PlainBox() { roundedMask = false; }
};

// held: the buttons down after the event (Qt passes moves without any
// button only to widgets that track the mouse).
void sendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
               const QPoint& global)
{
    const QPointF local = w->mapFromGlobal(global);
    QMouseEvent event(type, local, global, button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
    QCoreApplication::processEvents();  // a window's move lands asynchronously
}

} // namespace

class tst_BaseWidgets : public QObject
{
    Q_OBJECT

private:
    TestHome home;

private slots:
    void sliderIgnoresWheel();
    void dragMovesWithPressedButton_data();
    void dragMovesWithPressedButton();
    void releaseOfOtherButtonKeepsDragging();
    void roundedMaskFollowsSize();
    void plainBoxHasNoMask();
    void placedWholeOnALowScreen_data();
    void placedWholeOnALowScreen();
};

void tst_BaseWidgets::sliderIgnoresWheel()
{
    QWidget holder;
    auto* slider = new RSlider(&holder);
    slider->setOrientation(Qt::Horizontal);
    slider->setRange(0, 100);
    slider->setValue(50);
    holder.show();
    QSignalSpy changed(slider, &QSlider::valueChanged);

    const QPointF at(5, 5);
    QWheelEvent wheel(at, slider->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);

    QCOMPARE(slider->value(), 50);
    QCOMPARE(changed.count(), 0);
    // Not accepted: Qt offers a window-system wheel to the holder next.
    QVERIFY(!wheel.isAccepted());

    // The same wheel moves a plain slider, so the event itself was a real one.
    QSlider plain(Qt::Horizontal, &holder);
    plain.setRange(0, 100);
    plain.setValue(50);
    plain.show();
    QWheelEvent again(at, plain.mapToGlobal(at.toPoint()), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&plain, &again);
    QVERIFY(plain.value() != 50);
}

void tst_BaseWidgets::dragMovesWithPressedButton_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moves");
    QTest::newRow("left") << int(Qt::LeftButton) << true;
    QTest::newRow("right") << int(Qt::RightButton) << false;
    QTest::newRow("middle") << int(Qt::MiddleButton) << false;
}

void tst_BaseWidgets::dragMovesWithPressedButton()
{
    QFETCH(int, button);
    QFETCH(bool, moves);
    OWidget box;
    box.setGeometry(100, 100, 200, 120);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QPoint start = box.pos();

    const auto pressed = Qt::MouseButton(button);
    sendMouse(&box, QEvent::MouseButtonPress, pressed, pressed, QPoint(150, 150));
    sendMouse(&box, QEvent::MouseMove, Qt::NoButton, pressed, QPoint(190, 120));
    QTRY_COMPARE(box.pos(), moves ? start + QPoint(40, -30) : start);

    sendMouse(&box, QEvent::MouseButtonRelease, pressed, Qt::NoButton, QPoint(190, 120));
    sendMouse(&box, QEvent::MouseMove, Qt::NoButton, pressed, QPoint(250, 250));
    QTRY_COMPARE(box.pos(), moves ? start + QPoint(40, -30) : start);
}

void tst_BaseWidgets::releaseOfOtherButtonKeepsDragging()
{
    OWidget box;
    box.setGeometry(100, 100, 200, 120);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QPoint start = box.pos();

    sendMouse(&box, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(150, 150));
    sendMouse(&box, QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton,
              QPoint(150, 150));
    sendMouse(&box, QEvent::MouseButtonRelease, Qt::RightButton, Qt::LeftButton, QPoint(150, 150));
    // The move holds no button the widget saw pressed last: it still drags.
    sendMouse(&box, QEvent::MouseMove, Qt::NoButton, Qt::MiddleButton, QPoint(160, 170));
    QTRY_COMPARE(box.pos(), start + QPoint(10, 20));
}

void tst_BaseWidgets::roundedMaskFollowsSize()
{
    OWidget box;
    box.resize(200, 100);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.repaint();
    QRegion mask = box.mask();
    QCOMPARE(mask.boundingRect(), QRect(0, 0, 200, 100));
    QVERIFY(!mask.contains(QPoint(0, 0)));
    QVERIFY(!mask.contains(QPoint(199, 99)));
    QVERIFY(mask.contains(QPoint(100, 50)));
    QVERIFY(mask.contains(QPoint(0, 50)));  // only the corners are cut
    QVERIFY(mask.contains(QPoint(10, 0)));  // radius 10, not more

    box.resize(320, 180);
    box.repaint();
    mask = box.mask();
    QCOMPARE(mask.boundingRect(), QRect(0, 0, 320, 180));
    QVERIFY(!mask.contains(QPoint(319, 179)));
    QVERIFY(mask.contains(QPoint(310, 170)));
}

void tst_BaseWidgets::plainBoxHasNoMask()
{
    PlainBox box;
    box.resize(200, 100);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.repaint();
    QVERIFY(box.mask().isEmpty());
}

// A 1366 x 768 screen and a main window of 800 x 600 in its middle: a
// window goes beside it where there is room, else over it below its title
// bar (2 px on the test platform), always whole on the screen and no higher
// than the screen.
void tst_BaseWidgets::placedWholeOnALowScreen_data()
{
    QTest::addColumn<QRect>("anchor");  // the main window's frame; empty: none
    QTest::addColumn<QSize>("size");    // the window's fixed size as its form gives it
    QTest::addColumn<int>("place");
    QTest::addColumn<QRect>("expected");
    const QRect centred(283, 84, 800, 600);
    const int beside = int(WindowPlace::Beside);
    QTest::newRow("camera dialog over the main window") << centred << QSize(410, 870) << beside
                                                         << QRect(478, 86, 410, 682);
    QTest::newRow("hotkey list over the main window") << centred << QSize(550, 820) << beside
                                                       << QRect(408, 86, 550, 682);
    QTest::newRow("beside, right") << QRect(0, 84, 800, 600) << QSize(410, 600) << beside
                                   << QRect(800, 84, 410, 600);
    QTest::newRow("beside, left") << QRect(566, 100, 800, 600) << QSize(410, 600) << beside
                                  << QRect(156, 100, 410, 600);
    QTest::newRow("beside, limited to the screen") << QRect(0, 0, 400, 300) << QSize(410, 870) << beside
                                                   << QRect(400, 0, 410, 768);
    QTest::newRow("box centred") << centred << QSize(360, 200) << int(WindowPlace::Centred)
                                 << QRect(503, 284, 360, 200);
    QTest::newRow("main window above the screen") << QRect(283, -200, 800, 600) << QSize(410, 870) << beside
                                                  << QRect(478, 0, 410, 768);
    QTest::newRow("no main window") << QRect() << QSize(410, 870) << beside << QRect(478, 0, 410, 768);
}

void tst_BaseWidgets::placedWholeOnALowScreen()
{
    QFETCH(QRect, anchor);
    QFETCH(QSize, size);
    QFETCH(int, place);
    QFETCH(QRect, expected);
    const ScreenArea screen(ScreenArea::laptop());
    QWidget main;
    if (anchor.isValid()) {
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const QRect frame = main.frameGeometry();
        const QRect client = main.geometry();
        main.setGeometry(anchor.marginsRemoved(QMargins(client.left() - frame.left(), client.top() - frame.top(),
                                                        frame.right() - client.right(),
                                                        frame.bottom() - client.bottom())));
        QTRY_COMPARE(main.frameGeometry(), anchor);
    }
    // Frameless, so that its frame is its size.
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(size);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    placeWindow(&window, anchor.isValid() ? &main : nullptr, WindowPlace(place));
    QTRY_COMPARE(window.frameGeometry(), expected);
    QCOMPARE(window.maximumHeight(), expected.height());  // its content scrolls, it does not grow
}

QTEST_MAIN(tst_BaseWidgets)
#include "tst_basewidgets.moc"
