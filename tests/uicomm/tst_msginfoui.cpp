#include "support/BoxTestSupport.h"
#include "support/Legibility.h"
#include "support/TestHome.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/ScreenPlacement.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>

class tst_MsgInfoUi : public QObject
{
    Q_OBJECT

private:
    TestHome home;

private slots:
    void answers_data();
    void answers();
    void waitStaysOnEscapeAndWindowClose_data();
    void waitStaysOnEscapeAndWindowClose();
    void linksOpenThroughTheOpener_data();
    void linksOpenThroughTheOpener();
    void newBoxShowsOnlyYes();
    void buttonBits();
    void noButtonsLeavesOnlyClose();
    void keepOpenYesLeavesBoxShown();
    void centresOnParent();
    void openReturnsAtOnce();
    void sizeStaysInBounds();
    void unbreakableNameShowsWhole_data();
    void unbreakableNameShowsWhole();
    void textIsPlainUnlessLinks();
    void destroyedWhileAsking();
};

void tst_MsgInfoUi::answers_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("expected");
    QTest::newRow("yes") << "yes" << 0x4000;
    QTest::newRow("no") << "no" << 0x10000;
    QTest::newRow("escape") << "escape" << -1;
    QTest::newRow("window close") << "close" << -1;
}

void tst_MsgInfoUi::answers()
{
    QFETCH(QString, how);
    QFETCH(int, expected);
    QWidget window;
    window.resize(800, 600);
    window.show();
    MsgInfoUi box(QStringLiteral("Tips"), QStringLiteral("Go on?"), &window);
    box.addButton(QMessageBox::Yes | QMessageBox::No);
    QSignalSpy answers(&box, &MsgInfoUi::answered);

    box.ask();
    QVERIFY(box.isVisible());
    QVERIFY(answers.isEmpty());
    if (how == QLatin1String("yes"))
        QTest::mouseClick(childButton(&box, "pbYes"), Qt::LeftButton);
    else if (how == QLatin1String("no"))
        QTest::mouseClick(childButton(&box, "pbNo"), Qt::LeftButton);
    else if (how == QLatin1String("escape"))
        QTest::keyClick(&box, Qt::Key_Escape);
    else
        box.close();
    QTRY_COMPARE(answers.count(), 1);
    QCOMPARE(onlyAnswer(answers), expected);
    QVERIFY(!box.isVisible());
}

void tst_MsgInfoUi::waitStaysOnEscapeAndWindowClose_data()
{
    QTest::addColumn<QString>("buttons");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("stays");
    for (const char* how : {"escape", "window close"}) {
        QTest::addRow("only Yes, disabled: %s", how) << "yes disabled" << how << true;
        QTest::addRow("no button: %s", how) << "none" << how << true;
        QTest::addRow("Yes disabled, No offered: %s", how) << "no offered" << how << false;
        QTest::addRow("only Yes, enabled: %s", how) << "yes" << how << false;
    }
}

// A box that no button can answer is a wait: neither Escape nor the window
// system's close ends it; the program's own close() still does.
void tst_MsgInfoUi::waitStaysOnEscapeAndWindowClose()
{
    QFETCH(QString, buttons);
    QFETCH(QString, how);
    QFETCH(bool, stays);
    QWidget window;
    window.resize(800, 600);
    window.show();
    MsgInfoUi box(QStringLiteral("Extracting Log"), QStringLiteral("Please wait and keep the device connected!"),
                  &window);
    if (buttons == QLatin1String("none"))
        box.removeButton(QMessageBox::Yes);
    if (buttons == QLatin1String("no offered"))
        box.addButton(QMessageBox::No);
    if (buttons != QLatin1String("yes"))
        box.setButtonState(QMessageBox::Yes, false);
    QSignalSpy answers(&box, &MsgInfoUi::answered);
    box.ask();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    if (how == QLatin1String("escape"))
        QTest::keyClick(&box, Qt::Key_Escape);
    else
        box.windowHandle()->close();  // as the window system closes it
    QCoreApplication::processEvents();
    QCOMPARE(box.isVisible(), stays);
    QCOMPARE(answers.count(), stays ? 0 : 1);
    if (!stays)
        return;
    box.close();
    QCOMPARE(onlyAnswer(answers), -1);
}

void tst_MsgInfoUi::linksOpenThroughTheOpener_data()
{
    QTest::addColumn<bool>("opens");
    QTest::newRow("a browser starts") << true;
    QTest::newRow("no browser starts: the address is shown") << false;
}

void tst_MsgInfoUi::linksOpenThroughTheOpener()
{
    QFETCH(bool, opens);
    const QString address = QStringLiteral("https://shop.example.invalid/remote?id=7&x=<b>");
    QWidget window;
    window.resize(800, 600);
    window.show();
    MsgInfoUi box(&window);
    QList<QUrl> opened;
    box.linkOpener = [&](const QUrl& url) {
        opened << url;
        return opens;
    };
    box.setLinkText(QStringLiteral("To purchase it, please go to <a href=\"%1\">the shop</a>")
                        .arg(address.toHtmlEscaped()));
    QLabel* content = childLabel(&box, "lbContent");
    QVERIFY(!content->openExternalLinks());  // the opener has them
    box.ask();
    emit content->linkActivated(address);
    QCOMPARE(opened, QList<QUrl>{QUrl(address)});
    auto* notice = window.findChild<MsgInfoUi*>(QStringLiteral("linkNotOpened"));
    QCOMPARE(notice != nullptr, !opens);
    if (opens)
        return;
    QVERIFY(notice->isVisible());
    QCOMPARE(childLabel(notice, "lbTitle")->text(), QStringLiteral("Tips"));
    QLabel* shown = childLabel(notice, "lbContent");
    QVERIFY(shown->text().contains(QUrl(address).toString().toHtmlEscaped()));
    QVERIFY(!shown->text().contains(QStringLiteral("<a ")));  // shown to copy, not a link that fails again
    QVERIFY(shown->textInteractionFlags() & Qt::TextSelectableByMouse);
    QPointer<MsgInfoUi> gone = notice;
    QTest::mouseClick(childButton(notice, "pbYes"), Qt::LeftButton);
    QTRY_VERIFY(!gone);
}

void tst_MsgInfoUi::newBoxShowsOnlyYes()
{
    MsgInfoUi box;
    QVERIFY(!childButton(&box, "pbYes")->isHidden());
    QVERIFY(childButton(&box, "pbYes")->isEnabled());
    QVERIFY(childButton(&box, "pbNo")->isHidden());
    QVERIFY(!childButton(&box, "pbNo")->isEnabled());
    QCOMPARE(box.windowFlags(), Qt::WindowFlags(0x803));
    QCOMPARE(box.windowModality(), Qt::ApplicationModal);
    QCOMPARE(childButton(&box, "pbYes")->size(), QSize(150, 36));
}

void tst_MsgInfoUi::buttonBits()
{
    MsgInfoUi box;
    box.addButton(QMessageBox::No | QMessageBox::Cancel);
    QVERIFY(!childButton(&box, "pbNo")->isHidden());

    box.setButtonText(QMessageBox::Yes, QStringLiteral("OK"));
    QCOMPARE(childButton(&box, "pbYes")->text(), QStringLiteral("OK"));
    QCOMPARE(childButton(&box, "pbNo")->text(), QStringLiteral("No"));

    box.setButtonState(QMessageBox::Yes | QMessageBox::No, false);
    QVERIFY(!childButton(&box, "pbYes")->isEnabled());
    QVERIFY(!childButton(&box, "pbYes")->isHidden());  // visibility untouched

    box.removeButton(QMessageBox::No);
    QVERIFY(childButton(&box, "pbNo")->isHidden());
    QVERIFY(!childButton(&box, "pbYes")->isHidden());
}

void tst_MsgInfoUi::noButtonsLeavesOnlyClose()
{
    MsgInfoUi box;
    box.removeButton(QMessageBox::Yes | QMessageBox::No);
    QSignalSpy answers(&box, &MsgInfoUi::answered);
    box.ask();
    QVERIFY(childButton(&box, "pbYes")->isHidden());
    QVERIFY(childButton(&box, "pbNo")->isHidden());
    box.close();
    QCOMPARE(onlyAnswer(answers), -1);
}

void tst_MsgInfoUi::keepOpenYesLeavesBoxShown()
{
    QWidget window;
    window.resize(800, 600);
    window.show();
    MsgInfoUi box(&window);
    box.setTitle(QStringLiteral("Restore Factory Settings"));
    box.setText(QStringLiteral("Do you want to reset all settings immediately?"));
    box.addButton(QMessageBox::No);
    box.keepOpen = true;
    QSignalSpy answers(&box, &MsgInfoUi::answered);

    box.ask();
    QTest::mouseClick(childButton(&box, "pbYes"), Qt::LeftButton);
    QCOMPARE(onlyAnswer(answers), 0x4000);
    QVERIFY(box.isVisible());
    answers.clear();

    // The shorter waiting notice keeps the box's size.
    const QSize before = box.size();
    box.setText(QStringLiteral("Please wait..."));
    box.setButtonState(QMessageBox::Yes, false);
    box.removeButton(QMessageBox::No);
    QCOMPARE(box.size(), before);

    QCoreApplication::processEvents();  // the notice is up while the work goes on
    box.ask();
    QTRY_COMPARE(QApplication::activeModalWidget(), &box);
    box.setText(QStringLiteral("Done"));
    box.setButtonState(QMessageBox::Yes, true);
    box.keepOpen = false;
    QTest::mouseClick(childButton(&box, "pbYes"), Qt::LeftButton);
    QCOMPARE(onlyAnswer(answers), 0x4000);
    QCOMPARE(box.size(), before);  // asking with keepOpen did not fit it either
    QVERIFY(!box.isVisible());

    box.setText(QStringLiteral("Done"));  // without keepOpen it fits again
    QVERIFY(box.height() < before.height());
}

void tst_MsgInfoUi::centresOnParent()
{
    QWidget window;
    window.setGeometry(100, 50, 800, 600);
    window.show();
    MsgInfoUi box(QStringLiteral("Tips"), QStringLiteral("Centred"), &window);
    box.ask();
    const QPoint centre = box.geometry().center();
    box.close();
    QVERIFY((centre - window.geometry().center()).manhattanLength() <= 2);
}

// A notice: open() returns with the box shown and centred; it goes when closed.
void tst_MsgInfoUi::openReturnsAtOnce()
{
    QWidget window;
    window.setGeometry(100, 50, 800, 600);
    window.show();
    QPointer<MsgInfoUi> box = new MsgInfoUi(QStringLiteral("Tips"), QStringLiteral("Notice"), &window);
    box->open();
    QVERIFY(box->isVisible());
    QVERIFY((box->geometry().center() - window.geometry().center()).manhattanLength() <= 2);
    QTest::mouseClick(childButton(box, "pbYes"), Qt::LeftButton);
    QTRY_VERIFY(!box);
}

void tst_MsgInfoUi::sizeStaysInBounds()
{
    MsgInfoUi box;
    box.setText(QStringLiteral("x"));
    QVERIFY(box.width() >= 300);

    QString longText;
    for (int i = 0; i < 400; ++i)
        longText += QStringLiteral("A rather long line of text that wraps. ");
    box.setText(longText);
    QVERIFY(box.width() <= 600);
    QVERIFY(box.height() <= 1000);
}

void tst_MsgInfoUi::unbreakableNameShowsWhole_data()
{
    QTest::addColumn<int>("nameWidth");  // at least, in the text's font
    QTest::addColumn<bool>("keepOpen");
    QTest::addColumn<bool>("whole");     // false: wider than the screen
    QTest::newRow("wider than a new box") << 320 << false << true;
    QTest::newRow("wider than a new box, the box kept open") << 320 << true << true;
    QTest::newRow("wider than the box's widest") << 650 << false << true;
    QTest::newRow("wider than the screen") << 1000 << false << false;
}

// A path breaks after its slashes only: its file name widens a box already
// shown (which used to keep its first width), up to the screen's width.
void tst_MsgInfoUi::unbreakableNameShowsWhole()
{
    QFETCH(int, nameWidth);
    QFETCH(bool, keepOpen);
    QFETCH(bool, whole);
    QWidget window;
    window.setGeometry(100, 50, 600, 400);
    window.show();
    MsgInfoUi box(QStringLiteral("Extracting Log"), QStringLiteral("Please wait"), &window);
    box.keepOpen = keepOpen;
    box.ask();
    QLabel* content = childLabel(&box, "lbContent");
    QString name = QStringLiteral("20240101_120000_vesk_log_OR.tar.gz");
    while (content->fontMetrics().horizontalAdvance(name) < nameWidth)
        name.insert(name.indexOf(QLatin1Char('.')), QLatin1Char('1'));
    box.setText(QStringLiteral("Extract the log file successfully!\n/home/user/.local/share/log/") + name);
    const QRect screen = availableScreenArea(window.geometry().center());
    QVERIFY2(screen.contains(box.frameGeometry()), qPrintable(QStringLiteral("%1 x %2").arg(box.x()).arg(box.width())));
    QCOMPARE(box.width() > 600, nameWidth > 600);
    if (whole) {
        const QString cut = legibilityFault(&box);
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
    }
    box.close();
}

void tst_MsgInfoUi::textIsPlainUnlessLinks()
{
    MsgInfoUi box;
    box.setTitle(QStringLiteral("<b>camera</b>"));
    box.setText(QStringLiteral("<a href=\"x\">server</a>"));
    QCOMPARE(childLabel(&box, "lbTitle")->textFormat(), Qt::PlainText);
    QCOMPARE(childLabel(&box, "lbContent")->textFormat(), Qt::PlainText);
    QVERIFY(!childLabel(&box, "lbContent")->isEnabled());

    box.setLinkText(QStringLiteral("see <a href=\"https://example.invalid\">here</a>"));
    QLabel* content = childLabel(&box, "lbContent");
    QCOMPARE(content->textFormat(), Qt::RichText);
    QVERIFY(content->isEnabled());
    QCOMPARE(int(content->textInteractionFlags()), 5);

    box.hideTitle();
    QVERIFY(childLabel(&box, "lbTitle")->isHidden());
}

// A box that goes with its parent while asking gives no answer.
void tst_MsgInfoUi::destroyedWhileAsking()
{
    auto* window = new QWidget;
    window->show();
    QPointer<MsgInfoUi> box = new MsgInfoUi(QStringLiteral("Tips"), QStringLiteral("Parent goes"), window);
    QSignalSpy answers(box.data(), &MsgInfoUi::answered);
    box->ask();
    delete window;
    QVERIFY(!box);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(answers.isEmpty());
}

QTEST_MAIN(tst_MsgInfoUi)
#include "tst_msginfoui.moc"
