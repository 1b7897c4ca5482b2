// The popup pages of the setting page and the hotkey list: each row emits
// its value and hides the page, the leave band keeps a page open only
// towards its row, the greyed "More" entries, the help button after its
// text, the hotkey list's table and widths, and legible renderings in every
// language.

#include "comm/GlobalParams.h"
#include "support/Legibility.h"
#include "support/TestHome.h"
#include "uicomm/AntiFlicker.h"
#include "uicomm/ButtonMode.h"
#include "uicomm/ForMoreUi.h"
#include "uicomm/HotKeyList.h"
#include "uicomm/Language.h"

#include <QHoverEvent>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include <memory>

namespace {

std::unique_ptr<PopupPage> makePage(const QString& kind)
{
    if (kind == QLatin1String("ButtonMode"))
        return std::make_unique<ButtonMode>();
    if (kind == QLatin1String("Language"))
        return std::make_unique<Language>();
    if (kind == QLatin1String("AntiFlicker"))
        return std::make_unique<AntiFlicker>();
    return std::make_unique<ForMoreUi>();
}

QPushButton* button(QWidget* page, const QString& name)
{
    return page->findChild<QPushButton*>(name);
}

void leaveAt(QWidget* page, const QPoint& last)
{
    QHoverEvent leave(QEvent::HoverLeave, QPointF(-1, -1), QPointF(last));
    QCoreApplication::sendEvent(page, &leave);
}

} // namespace

class tst_PopupPages : public QObject
{
    Q_OBJECT
    TestHome home_;

private slots:
    void initTestCase();
    void rowsEmitTheirValue_data();
    void rowsEmitTheirValue();
    void leavingKeepsThePageOnlyTowardsItsRow_data();
    void leavingKeepsThePageOnlyTowardsItsRow();
    void greyedMoreEntries();
    void ticksFollowTheMode();
    void hotkeyListTable();
    void rendersLegibly_data();
    void rendersLegibly();
};

void tst_PopupPages::initTestCase()
{
    QVERIFY(useProgramFonts());
}

void tst_PopupPages::rowsEmitTheirValue_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<int>("value");  // -1: a signal without argument
    QTest::addColumn<QSize>("size");
    const QSize buttonMode(240, 99), language(240, 299), more(240, 199), antiFlicker(240, 149);
    QTest::newRow("Default") << "ButtonMode" << "pbDefault" << QByteArray(SIGNAL(buttonModeChanged(int))) << 0 << buttonMode;
    QTest::newRow("Rotation") << "ButtonMode" << "pbRotation" << QByteArray(SIGNAL(buttonModeChanged(int))) << 1 << buttonMode;
    const char* const languages[] = {"pbLanguageUS", "pbLanguageCN", "pbLanguageHK",
                                     "pbLanguageJP", "pbLanguageGE", "pbLanguageES"};
    for (int i = 0; i < 6; ++i)
        QTest::newRow(languages[i]) << "Language" << languages[i] << QByteArray(SIGNAL(languageChanged(int))) << i << language;
    QTest::newRow("60 Hz") << "AntiFlicker" << "pbSixtyHz" << QByteArray(SIGNAL(antiFlickerChanged(int))) << 2 << antiFlicker;
    QTest::newRow("50 Hz") << "AntiFlicker" << "pbFiftyHz" << QByteArray(SIGNAL(antiFlickerChanged(int))) << 1 << antiFlicker;
    QTest::newRow("Off again") << "AntiFlicker" << "pbOff" << QByteArray(SIGNAL(antiFlickerChanged(int))) << 0 << antiFlicker;
    QTest::newRow("Export Log") << "ForMoreUi" << "pbExportLog" << QByteArray(SIGNAL(exportLog())) << -1 << more;
    QTest::newRow("Upgrade Manual") << "ForMoreUi" << "pbUpgradeManual" << QByteArray(SIGNAL(upgradeManual())) << -1 << more;
    QTest::newRow("Firmware Upgrade") << "ForMoreUi" << "pbFirmwareUpgrade" << QByteArray(SIGNAL(manualUpgrade())) << -1 << more;
    QTest::newRow("help") << "ForMoreUi" << "pbFirmwareUpgradeHelp" << QByteArray(SIGNAL(upgradeHelp())) << -1 << more;
    QTest::newRow("Restore") << "ForMoreUi" << "pbRestoreFactory" << QByteArray(SIGNAL(restoreFactorySetting())) << -1 << more;
}

// The ticked option too emits again; every click hides the page.
void tst_PopupPages::rowsEmitTheirValue()
{
    QFETCH(QString, page);
    QFETCH(QString, button);
    QFETCH(QByteArray, signal);
    QFETCH(int, value);
    QFETCH(QSize, size);
    const std::unique_ptr<PopupPage> popup = makePage(page);
    QCOMPARE(popup->size(), size);
    QCOMPARE(popup->metaObject()->className(), page.toLatin1());
    QVERIFY(popup->windowFlags() & Qt::FramelessWindowHint);
    QSignalSpy spy(popup.get(), signal.constData());
    popup->show();
    QPushButton* clicked = ::button(popup.get(), button);
    QVERIFY(clicked);
    if (clicked->size() == QSize(240, 49))
        QCOMPARE(clicked->parentWidget()->y() % 50, 0);
    QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(spy.count(), 1);
    if (value >= 0)
        QCOMPARE(spy.first().first().toInt(), value);
    QVERIFY(popup->isHidden());
}

void tst_PopupPages::leavingKeepsThePageOnlyTowardsItsRow_data()
{
    QTest::addColumn<bool>("upwards");
    QTest::addColumn<QPoint>("last");
    QTest::addColumn<bool>("kept");
    QTest::newRow("top row, left edge") << false << QPoint(0, 11) << true;
    QTest::newRow("top row, x 59 y 38") << false << QPoint(59, 38) << true;
    QTest::newRow("x 60") << false << QPoint(60, 20) << false;
    QTest::newRow("y 10") << false << QPoint(5, 10) << false;
    QTest::newRow("y 39") << false << QPoint(5, 39) << false;
    QTest::newRow("upwards, top row") << true << QPoint(5, 20) << false;
    QTest::newRow("upwards, bottom row") << true << QPoint(5, 270) << true;
    QTest::newRow("upwards, bottom edge") << true << QPoint(5, 289) << false;
}

void tst_PopupPages::leavingKeepsThePageOnlyTowardsItsRow()
{
    QFETCH(bool, upwards);
    QFETCH(QPoint, last);
    QFETCH(bool, kept);
    QWidget row;
    row.setGeometry(100, 400, 360, 49);
    row.show();
    Language page;
    page.setParent(&row, Qt::Window | Qt::FramelessWindowHint);
    page.move(456, upwards ? 400 + 49 - page.height() : 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(page.keepsOpenOnLeave(last), kept);
    leaveAt(&page, last);
    QCOMPARE(page.isVisible(), kept);
}

void tst_PopupPages::greyedMoreEntries()
{
    ForMoreUi more;
    QSignalSpy manual(&more, &ForMoreUi::upgradeManual);
    QSignalSpy exportLog(&more, &ForMoreUi::exportLog);
    more.setDisplayState(false);
    more.show();
    for (const char* name : {"pbExportLog", "pbFirmwareUpgrade", "pbRestoreFactory", "pbFirmwareUpgradeHelp"})
        QVERIFY2(!button(&more, name)->isEnabled(), name);
    QTest::mouseClick(button(&more, "pbExportLog"), Qt::LeftButton);
    QCOMPARE(exportLog.count(), 0);
    QTest::mouseClick(button(&more, "pbUpgradeManual"), Qt::LeftButton);
    QCOMPARE(manual.count(), 1);
    more.setDisplayState(true);
    QVERIFY(button(&more, "pbExportLog")->isEnabled());
}

// The tick follows the recorded mode or language; an unknown one changes
// nothing.
void tst_PopupPages::ticksFollowTheMode()
{
    ButtonMode mode;
    mode.setButtonModeType(1);
    QVERIFY(button(&mode, "pbDefault")->icon().isNull());
    QVERIFY(!button(&mode, "pbRotation")->icon().isNull());
    mode.setButtonModeType(7);
    QCOMPARE(mode.getButtonModeType(), 1);
    AntiFlicker flicker;
    QVERIFY(!button(&flicker, "pbOff")->icon().isNull());
    flicker.setUiAntiFlicker(2);
    QVERIFY(!button(&flicker, "pbSixtyHz")->icon().isNull());
    QVERIFY(button(&flicker, "pbOff")->icon().isNull());
    Language language;
    QVERIFY(!button(&language, "pbLanguageUS")->icon().isNull());
    language.setLanguageType(5);
    QVERIFY(!button(&language, "pbLanguageES")->icon().isNull());
    QVERIFY(button(&language, "pbLanguageUS")->icon().isNull());
    language.setLanguageType(6);
    QCOMPARE(language.getLanguageType(), 5);
}

void tst_PopupPages::hotkeyListTable()
{
    HotKeyList list;
    auto* table = list.findChild<QTableWidget*>(QStringLiteral("tbHotkeyList"));
    QCOMPARE(table->rowCount(), 24);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("Ctrl+Shift+Z"));
    QCOMPARE(table->item(10, 0)->text(), QStringLiteral("Alt+UP"));
    QCOMPARE(table->item(23, 0)->text(), QStringLiteral("Alt+Z"));
    QCOMPARE(table->item(23, 1)->text(), QStringLiteral("---"));
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(table->selectionMode(), QAbstractItemView::NoSelection);
    QCOMPARE(table->focusPolicy(), Qt::NoFocus);
    QVERIFY(list.isWindow() && list.windowModality() == Qt::ApplicationModal);
    list.show();
    for (int row = 1; row < 24; ++row)
        QCOMPARE(table->rowHeight(row), table->rowHeight(0));
    QVERIFY(table->rowHeight(0) >= table->fontMetrics().height());
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QTest::keyClick(&list, Qt::Key_Escape);
    QVERIFY(list.isHidden());
}

// Rendered for a person to look at (popup_<page>_<language>.png and
// hotkeylist_<language>.png in the build directory): every row shows its
// whole text, and the hotkey list has the width of its language, whether it
// was built after the start-up translator (as the program builds it) or
// before a language change.
void tst_PopupPages::rendersLegibly_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("languageType");  // the codes come in the order of the language numbers
    QTest::addColumn<int>("listWidth");
    QTest::addColumn<bool>("listFirst");
    const int widths[] = {550, 440, 440, 580, 610, 610};
    const QStringList codes = languageCodes();
    for (int i = 0; i < codes.size(); ++i) {
        QTest::newRow(codes[i].toLatin1()) << codes[i] << i << widths[i] << false;
        QTest::newRow((codes[i] + QStringLiteral(", list built before")).toLatin1()) << codes[i] << i << widths[i]
                                                                                    << true;
    }
}

void tst_PopupPages::rendersLegibly()
{
    QFETCH(QString, language);
    QFETCH(int, languageType);
    QFETCH(int, listWidth);
    QFETCH(bool, listFirst);
    vesk::pc::GlobalParams::get().language_type = languageType;
    std::unique_ptr<HotKeyList> built;
    if (listFirst)
        built = std::make_unique<HotKeyList>();
    QStringList faults;
    {
        QTranslator translator;
        QVERIFY(installLanguage(translator, language));
        if (!listFirst)
            built = std::make_unique<HotKeyList>();
        HotKeyList& list = *built;
        for (const char* kind : {"ButtonMode", "Language", "AntiFlicker", "ForMoreUi"}) {
            const std::unique_ptr<PopupPage> page = makePage(QLatin1String(kind));
            QCoreApplication::processEvents();
            page->show();
            QVERIFY(page->grab().save(stagedFile(QStringLiteral("popup_%1_%2.png").arg(QLatin1String(kind), language))));
            for (QWidget* row : page->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^w"))))
                faults << legibilityFault(row);
            if (auto* more = qobject_cast<ForMoreUi*>(page.get())) {
                QPushButton* upgrade = button(more, "pbFirmwareUpgrade");
                QCOMPARE(button(more, "pbFirmwareUpgradeHelp")->x(),
                         upgrade->fontMetrics().horizontalAdvance(upgrade->text()) + 25);
            }
        }
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(list.width(), listWidth);
        QCOMPARE(list.height(), 820);
        QVERIFY(list.grab().save(stagedFile(QStringLiteral("hotkeylist_%1.png").arg(language))));
        faults << legibilityFault(&list);
        auto* table = list.findChild<QTableWidget*>(QStringLiteral("tbHotkeyList"));
        for (int row = 0; row < table->rowCount(); ++row) {
            const QString description = table->item(row, 2)->text();
            const int width = table->columnWidth(2) - 8;
            const QRect text = table->fontMetrics().boundingRect(QRect(0, 0, width, 1000), Qt::TextWordWrap,
                                                                 description);
            if (text.height() > table->rowHeight(row) || text.width() > width)
                faults << description;
        }
    }
    faults.removeAll(QString());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

QTEST_MAIN(tst_PopupPages)
#include "tst_popuppages.moc"
