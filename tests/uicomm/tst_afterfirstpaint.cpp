// Steps that wait for a window's first paint: after that paint and only
// once, the step queued last first, after the wait for a window that is
// shown but not painted, and never once the window is gone.

#include "support/TestHome.h"
#include "uicomm/AfterFirstPaint.h"

#include <QPointer>
#include <QTest>
#include <QWidget>

namespace {

// What a window went through: its paints and the steps, in order.
class Trail : public QObject
{
public:
    QStringList events;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            events << QStringLiteral("paint");
        return false;
    }
};

} // namespace

class tst_AfterFirstPaint : public QObject
{
    Q_OBJECT
    TestHome home_;

private slots:
    void afterThePaintOnce_data();
    void afterThePaintOnce();
    void unpaintedWindowAfterItsWait();
    void nothingOnceTheWindowIsGone();
};

void tst_AfterFirstPaint::afterThePaintOnce_data()
{
    QTest::addColumn<int>("waitMs");
    QTest::newRow("with a wait for an unpainted window") << 60000;
    QTest::newRow("for the paint alone") << -1;
}

void tst_AfterFirstPaint::afterThePaintOnce()
{
    QFETCH(int, waitMs);
    QWidget window;
    window.resize(120, 80);
    Trail trail;
    window.installEventFilter(&trail);
    for (const char* name : {"first", "second"})
        AfterFirstPaint::run(&window, [&trail, name] { trail.events << QLatin1String(name); }, waitMs);
    QCoreApplication::processEvents();
    QVERIFY(trail.events.isEmpty());  // not before the window is shown

    window.show();
    QTRY_COMPARE(trail.events.count(QStringLiteral("second")), 1);
    QCOMPARE(trail.events.first(), QStringLiteral("paint"));
    // The filter installed last sees the paint first.
    QVERIFY(trail.events.indexOf(QStringLiteral("second")) < trail.events.indexOf(QStringLiteral("first")));
    const int paints = trail.events.count(QStringLiteral("paint"));
    window.update();
    QTRY_COMPARE(trail.events.count(QStringLiteral("paint")), paints + 1);
    QCoreApplication::processEvents();
    QCOMPARE(trail.events.count(QStringLiteral("first")), 1);
}

// Shown but never on screen, as a window on another desktop: the wait
// counts from the show.
void tst_AfterFirstPaint::unpaintedWindowAfterItsWait()
{
    QWidget window;
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.setUpdatesEnabled(false);
    Trail trail;
    window.installEventFilter(&trail);
    AfterFirstPaint::run(&window, [&trail] { trail.events << QStringLiteral("step"); }, 0);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(trail.events.isEmpty());  // no wait before the show
    window.show();
    QTRY_COMPARE(trail.events, QStringList{"step"});
}

void tst_AfterFirstPaint::nothingOnceTheWindowIsGone()
{
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->show();
    bool ran = false;
    AfterFirstPaint::run(window, [&ran] { ran = true; }, 0);
    QPointer<QObject> hook = window->children().value(0);
    QVERIFY(hook);
    delete window;
    QVERIFY(!hook);
    // The wait's timer went with the window: a later window's runs, this one not.
    QWidget later;
    later.setAttribute(Qt::WA_DontShowOnScreen);
    later.show();
    bool laterRan = false;
    AfterFirstPaint::run(&later, [&laterRan] { laterRan = true; }, 0);
    QTRY_VERIFY(laterRan);
    QVERIFY(!ran);
}

QTEST_MAIN(tst_AfterFirstPaint)
#include "tst_afterfirstpaint.moc"
