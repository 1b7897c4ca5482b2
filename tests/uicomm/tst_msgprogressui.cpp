#include "support/BoxTestSupport.h"
#include "support/Legibility.h"
#include "support/TestHome.h"
#include "uicomm/MsgProgressUi.h"
#include "comm/UpgradeCodes.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

#include <thread>

using namespace vesk::pc;

namespace {

using Report = QPair<int, QString>;
using Reports = QList<Report>;

QPushButton* okButton(QWidget* box)
{
    return box->findChild<QPushButton*>(QStringLiteral("pbOk"));
}

int barValue(QWidget* box)
{
    return box->findChild<QProgressBar*>(QStringLiteral("pbProgress"))->value();
}

// Emits from a worker thread, as the download and upgrade workers do.
class Worker : public QObject
{
    Q_OBJECT
signals:
    void progressUpdate(int value, const QString& message);
};

} // namespace

class tst_MsgProgressUi : public QObject
{
    Q_OBJECT

private:
    TestHome home;

private slots:
    void initTestCase();
    void outcomes_data();
    void outcomes();
    void startsGreyedAtZero();
    void escapeDoesNothing();
    void windowCloseEndsRun_data();
    void windowCloseEndsRun();
    void destroyedWhileRunning();
    void reportsFromAnotherThread();
    void paragraphsGrowTheBox();
    void windowIconIsDrawn();
};

void tst_MsgProgressUi::initTestCase()
{
    qRegisterMetaType<QString>();
}

void tst_MsgProgressUi::outcomes_data()
{
    QTest::addColumn<Reports>("reports");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<int>("answer");  // what OK returns; 0 when OK is not offered

    const QString yes = QStringLiteral("color:limegreen;");
    QTest::newRow("success") << Reports{{10, "half"}, {100, "Upgrade succeeded"}} << 100 << "100%"
                             << "Upgrade succeeded" << yes << true << 0x4000;
    QTest::newRow("error") << Reports{{10, ""}, {-1, "Download failed"}} << 10 << "10%" << "Download failed"
                           << "color:red;" << true << 0x10000;
    QTest::newRow("failure") << Reports{{-3, "Upgrade failed"}} << 0 << "0%" << "Upgrade failed"
                             << "color:yellow;" << true << 0x10000;
    QTest::newRow("warning goes on") << Reports{{20, "x"}, {-2, "Slow network"}} << 20 << "20%"
                                     << "Slow network" << "color:yellow;" << false << 0;
    QTest::newRow("percent keeps error text")
        << Reports{{-1, "Download failed\nthe network is down\ntry again later"}, {50, "going on"}} << 50 << "50%"
        << "Download failed\nthe network is down\ntry again later" << "color:red;" << true << 0x10000;
    QTest::newRow("zero starts afresh") << Reports{{-1, "bad"}, {0, "again"}, {100, "done"}} << 100 << "100%"
                                        << "done" << yes << true << 0x4000;
    QTest::newRow("success after failure") << Reports{{-3, "failed"}, {100, "done"}} << 100 << "100%" << "done"
                                           << yes << true << 0x10000;
    QTest::newRow("warning clears latch") << Reports{{-3, "failed"}, {-2, "retrying"}, {100, "done"}} << 100
                                          << "100%" << "done" << yes << true << 0x4000;
    QTest::newRow("empty success") << Reports{{40, "copying"}, {100, ""}} << 100 << "100%" << "" << yes << true
                                   << 0x4000;
    QTest::newRow("empty percent keeps text") << Reports{{30, "copying"}, {60, ""}} << 60 << "60%" << "copying"
                                              << "color:white;" << false << 0;
    QTest::newRow("99 is not done") << Reports{{99, "almost"}} << 99 << "99%" << "almost" << "color:white;"
                                    << false << 0;
    QTest::newRow("unknown 101") << Reports{{20, "copying"}, {101, "odd"}} << 20 << "20%" << "copying"
                                 << "color:white;" << true << 0x4000;
    QTest::newRow("unknown -4") << Reports{{20, "copying"}, {-4, "odd"}} << 20 << "20%" << "copying"
                                << "color:white;" << true << 0x4000;
}

void tst_MsgProgressUi::outcomes()
{
    QFETCH(Reports, reports);
    QFETCH(int, bar);
    QFETCH(QString, percent);
    QFETCH(QString, status);
    QFETCH(QString, colour);
    QFETCH(bool, okEnabled);
    QFETCH(int, answer);

    MsgProgressUi box;
    box.setMaxProg(100);
    for (const Report& r : reports) {
        if (r.first > kErrCodeSuccess || r.first < kErrCodeFailure)
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^Unknown value = ")));
        box.onProgressUpdate(r.first, r.second);
    }

    QCOMPARE(barValue(&box), bar);
    QCOMPARE(childLabel(&box, "lbProgress")->text(), percent);
    QCOMPARE(childLabel(&box, "lbInfo")->text(), status);
    QVERIFY2(childLabel(&box, "lbInfo")->styleSheet().endsWith(colour), qPrintable(childLabel(&box, "lbInfo")->styleSheet()));
    // The status is as high as what it shows, not as a text kept back.
    QVERIFY2(textFault(childLabel(&box, "lbInfo")).isEmpty(), qPrintable(textFault(childLabel(&box, "lbInfo"))));
    QCOMPARE(okButton(&box)->isEnabled(), okEnabled);
    QVERIFY(!okButton(&box)->isHidden());
    if (!answer)
        return;
    QSignalSpy answers(&box, &MsgProgressUi::answered);
    box.open();
    QTest::mouseClick(okButton(&box), Qt::LeftButton);
    QTRY_COMPARE(answers.count(), 1);
    QCOMPARE(onlyAnswer(answers), answer);
    QVERIFY(!box.isVisible());
}

void tst_MsgProgressUi::startsGreyedAtZero()
{
    MsgProgressUi box;
    QCOMPARE(childLabel(&box, "lbTitle")->text(), QStringLiteral("Progress info"));
    QCOMPARE(childLabel(&box, "lbProgress")->text(), QStringLiteral("0%"));
    QCOMPARE(barValue(&box), 0);
    QVERIFY(!okButton(&box)->isHidden());
    QVERIFY(!okButton(&box)->isEnabled());
    QCOMPARE(box.windowFlags() & Qt::WindowFlags(0x803), Qt::WindowFlags(0x803));
    QCOMPARE(box.windowModality(), Qt::ApplicationModal);
    QVERIFY(!box.errorLatched);

    box.setProgress(-5);  // ignored
    QCOMPARE(childLabel(&box, "lbProgress")->text(), QStringLiteral("0%"));
    box.setOkBtnState(false, true);
    QVERIFY(okButton(&box)->isHidden());
}

void tst_MsgProgressUi::escapeDoesNothing()
{
    MsgProgressUi box;
    QSignalSpy answers(&box, &MsgProgressUi::answered);
    box.open();
    QTest::keyClick(&box, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(box.isVisible());
    QVERIFY(answers.isEmpty());
    box.onProgressUpdate(kErrCodeSuccess, QStringLiteral("done"));
    QTest::mouseClick(okButton(&box), Qt::LeftButton);
    QCOMPARE(onlyAnswer(answers), 0x4000);
}

void tst_MsgProgressUi::windowCloseEndsRun_data()
{
    QTest::addColumn<bool>("bySystem");  // else the program's own close()
    QTest::addColumn<bool>("outcome");   // an outcome offers OK first
    QTest::addColumn<bool>("ends");
    QTest::newRow("program, running") << false << false << true;
    QTest::newRow("window system, running: the work goes on") << true << false << false;
    QTest::newRow("window system, outcome shown") << true << true << true;
}

void tst_MsgProgressUi::windowCloseEndsRun()
{
    QFETCH(bool, bySystem);
    QFETCH(bool, outcome);
    QFETCH(bool, ends);
    QWidget window;
    window.resize(800, 600);
    window.show();
    MsgProgressUi box(&window);
    box.onProgressUpdate(30, QStringLiteral("copying"));
    QSignalSpy answers(&box, &MsgProgressUi::answered);
    box.open();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    if (outcome)
        box.onProgressUpdate(kErrCodeError, QStringLiteral("failed"));
    if (bySystem)
        box.windowHandle()->close();
    else
        box.close();
    QCoreApplication::processEvents();
    QCOMPARE(box.isVisible(), !ends);
    QCOMPARE(onlyAnswer(answers), ends ? -1 : 0);
}

// A box that goes with its parent while running gives no answer.
void tst_MsgProgressUi::destroyedWhileRunning()
{
    auto* window = new QWidget;
    window->show();
    QPointer<MsgProgressUi> box = new MsgProgressUi(window);
    QSignalSpy answers(box.data(), &MsgProgressUi::answered);
    box->open();
    delete window;
    QVERIFY(!box);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(answers.isEmpty());
}

void tst_MsgProgressUi::reportsFromAnotherThread()
{
    MsgProgressUi box;
    Worker worker;
    connect(&worker, &Worker::progressUpdate, &box, &MsgProgressUi::onProgressUpdate, Qt::QueuedConnection);
    QSignalSpy answers(&box, &MsgProgressUi::answered);
    box.open();
    std::thread thread([&worker] {
        for (int p = 0; p < 100; p += 10)
            emit worker.progressUpdate(p, QStringLiteral("step %1").arg(p));
        emit worker.progressUpdate(kErrCodeSuccess, QStringLiteral("done"));
    });
    // OK is clicked once the outcome has arrived through the event loop.
    const bool offered = QTest::qWaitFor([&box] { return okButton(&box)->isEnabled(); }, 10000);
    thread.join();
    QVERIFY(offered);
    QTest::mouseClick(okButton(&box), Qt::LeftButton);
    QCOMPARE(onlyAnswer(answers), 0x4000);
    QCOMPARE(childLabel(&box, "lbInfo")->text(), QStringLiteral("done"));
    QCOMPARE(barValue(&box), 100);
}

void tst_MsgProgressUi::paragraphsGrowTheBox()
{
    MsgProgressUi box;
    box.setText(QStringLiteral("one"));
    const int oneLine = childLabel(&box, "lbInfo")->height();
    const int boxHeight = box.height();
    box.setText(QStringLiteral("one\ntwo\nthree\nfour"));
    const int lineHeight = QFontMetrics(childLabel(&box, "lbInfo")->font()).lineSpacing();
    QVERIFY2(childLabel(&box, "lbInfo")->height() >= oneLine + 3 * lineHeight,
             qPrintable(QStringLiteral("%1 from %2").arg(childLabel(&box, "lbInfo")->height()).arg(oneLine)));
    QVERIFY(box.height() >= boxHeight + 3 * lineHeight);
    QVERIFY2(textFault(childLabel(&box, "lbInfo")).isEmpty(), qPrintable(textFault(childLabel(&box, "lbInfo"))));
}

void tst_MsgProgressUi::windowIconIsDrawn()
{
    MsgProgressUi box;
    const QImage icon = box.windowIcon().pixmap(64, 64).toImage();
    QVERIFY(!icon.isNull());
    // The lens is drawn in the boxes' blue.
    QCOMPARE(icon.pixelColor(icon.width() / 2, icon.height() / 2), QColor(0x40, 0xA0, 0xFF));
}

QTEST_MAIN(tst_MsgProgressUi)
#include "tst_msgprogressui.moc"
