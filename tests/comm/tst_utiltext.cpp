#include "support/TestHome.h"
#include "comm/Util.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

#include <ctime>

using vesk::pc::Util;

class tst_UtilText : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    QFont font_{QStringLiteral("DejaVu Sans"), 12};
    QFontMetrics metrics_{font_};

    int advance(const QString& text) const { return metrics_.horizontalAdvance(text); }
    int lines(const QString& text, int width) const
    {
        return Util::calculateTextHeight(text, metrics_, width);
    }

private slots:
    void lineCounts_data();
    void lineCounts();
    void breakRules_data();
    void breakRules();
    void sentenceWrapsMoreWhenNarrower();
    void cjkWraps();
    void anyInputEnds();
    void delayWaitsWithoutSpinning();
    void delayProcessesEvents();
    void delayEndsWhenStopped();
};

void tst_UtilText::lineCounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("widthInX");  // width in multiples of the letter x
    QTest::addColumn<int>("expected");

    QTest::newRow("two newlines") << "Hello\nWorld\nAgain" << 40 << 3;
    QTest::newRow("empty") << "" << 40 << 1;
    QTest::newRow("newline only") << "\n" << 40 << 2;
    QTest::newRow("fits") << "A short line" << 40 << 1;
    QTest::newRow("own ellipsis fits") << QString::fromUtf8("Wait\u2026") << 40 << 1;
    QTest::newRow("long word") << QString(200, 'w') << 10 << 1;
    QTest::newRow("two words") << "alpha beta" << 7 << 2;
}

void tst_UtilText::lineCounts()
{
    QFETCH(QString, text);
    QFETCH(int, widthInX);
    QFETCH(int, expected);
    QCOMPARE(lines(text, widthInX * advance("x")), expected);
}

// Every character, the ellipsis too, is one cell wide in a monospaced font,
// so each count follows from the break rules by hand. Widths are half a cell
// over the number of cells, so a line of that many cells fits and no more.
void tst_UtilText::breakRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("expected");

    QTest::newRow("back to the last blank") << "aaaa bbbb cccc" << 7 << 3;
    QTest::newRow("blank right after the cut") << "aa bb cc" << 5 << 2;
    QTest::newRow("no blank: rest is one line") << "aaaa-bbbbbbbb" << 7 << 1;
    QTest::newRow("first line breaks at its blank") << "bb cccc-dddd" << 9 << 2;
    QTest::newRow("later line breaks after a dash") << "a\nbb cccc-dddd" << 9 << 3;
    QTest::newRow("leading blanks: on to the next blank") << "   aaaa-bbbb cc" << 9 << 2;
}

void tst_UtilText::breakRules()
{
    QFETCH(QString, text);
    QFETCH(int, cells);
    QFETCH(int, expected);
    const QFont mono(QStringLiteral("DejaVu Sans Mono"), 12);
    const QFontMetrics metrics(mono);
    const int cell = metrics.horizontalAdvance(QLatin1Char('x'));
    if (metrics.horizontalAdvance(QString(QChar(0x2026))) != cell || metrics.horizontalAdvance("-") != cell)
        QSKIP("no monospaced font with an ellipsis of one cell");
    QCOMPARE(Util::calculateTextHeight(text, metrics, cells * cell + cell / 2), expected);
}

void tst_UtilText::sentenceWrapsMoreWhenNarrower()
{
    const QString sentence = QStringLiteral(
        "The camera firmware is being upgraded, please keep the camera connected and do not "
        "close the application until the upgrade has finished.");
    const int words = sentence.split(' ').size();
    const int full = advance(sentence);
    QCOMPARE(lines(sentence, full + 10), 1);

    int previous = 1;
    for (int width = full; width >= advance("application") * 2; width -= full / 10) {
        const int count = lines(sentence, width);
        // At least what the width needs, at most one word per line.
        QVERIFY2(count >= full / width, qPrintable(QString::number(width)));
        QVERIFY2(count <= words, qPrintable(QString::number(width)));
        QVERIFY2(count >= previous, qPrintable(QString::number(width)));
        previous = count;
    }
    QVERIFY(previous >= 5);
}

void tst_UtilText::cjkWraps()
{
    QFont cjk(QStringLiteral("Noto Sans CJK SC"), 12);
    const QFontMetrics metrics(cjk);
    const QString text = QString::fromUtf8(
        "\u76f8\u673a\u56fa\u4ef6\u6b63\u5728\u5347\u7ea7\u8bf7\u4fdd\u6301\u76f8\u673a\u8fde"
        "\u63a5\u4e0d\u8981\u5173\u95ed\u5e94\u7528\u7a0b\u5e8f\u76f4\u5230\u5347\u7ea7\u5b8c"
        "\u6210");
    const int width = metrics.horizontalAdvance(text.left(8));
    const int count = Util::calculateTextHeight(text, metrics, width);
    QVERIFY2(count >= 4 && count <= 6, qPrintable(QString::number(count)));
}

void tst_UtilText::anyInputEnds()
{
    const QString alphabet = QString::fromUtf8("ab W-\n\u4e2d\u2026 ");
    QRandomGenerator random(20240611);
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int size = random.bounded(0, 120);
        for (int i = 0; i < size; ++i)
            text.append(alphabet.at(random.bounded(alphabet.size())));
        const int width = random.bounded(-20, 400);
        const int count = lines(text, width);
        // Every line takes at least one character of its paragraph.
        QVERIFY2(count >= 1 && count <= text.size() + 1,
                 qPrintable(QString("%1 for width %2: %3").arg(count).arg(width).arg(text)));
    }
    QVERIFY(timer.elapsed() < 30000);
}

void tst_UtilText::delayWaitsWithoutSpinning()
{
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    Util::delayMs(500, 10);
    const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed >= 500 && elapsed < 5000, qPrintable(QString::number(elapsed)));
    QVERIFY2(cpuMs < 250, qPrintable(QString::number(cpuMs)));

    timer.restart();
    Util::delayMs(0, 10);
    Util::delayMs(-5, 0);
    QVERIFY(timer.elapsed() < 100);
}

void tst_UtilText::delayProcessesEvents()
{
    int timerFired = 0;
    int queuedCalls = 0;
    QTimer::singleShot(50, this, [&timerFired] { ++timerFired; });
    QMetaObject::invokeMethod(this, [&queuedCalls] { ++queuedCalls; }, Qt::QueuedConnection);
    Util::delayMs(400, 10);
    QCOMPARE(timerFired, 1);
    QCOMPARE(queuedCalls, 1);
}

void tst_UtilText::delayEndsWhenStopped()
{
    std::atomic<bool> stop{false};
    QTimer::singleShot(50, this, [&stop] { stop = true; });
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!Util::delayMs(5000, 10, stop));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    stop = false;
    QVERIFY(Util::delayMs(20, 10, stop));
}

QTEST_MAIN(tst_UtilText)
#include "tst_utiltext.moc"
