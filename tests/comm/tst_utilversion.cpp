#include "support/TestHome.h"
#include "comm/Util.h"

#include <QRegularExpression>
#include <QtTest>

using vesk::pc::Util;

class tst_UtilVersion : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void toNumber_data();
    void toNumber();
    void toText_data();
    void toText();
};

// Every row against both readings: the general one, which follows the
// arithmetic except where it would wrap, and the strict one of store names.
void tst_UtilVersion::toNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("expected");
    QTest::addColumn<uint>("strict");
    QTest::addColumn<bool>("refused");

    QTest::newRow("software version") << "1.0.5.4" << 0x01000504u << 0x01000504u << false;
    QTest::newRow("highest") << "255.255.255.255" << 0xFFFFFFFFu << 0xFFFFFFFFu << false;
    QTest::newRow("zero") << "0.0.0.0" << 0u << 0u << false;
    QTest::newRow("leading zeros") << "01.002.0.10" << 0x0102000Au << 0x0102000Au << false;
    QTest::newRow("surrounding blanks") << " 2.1.0.7\n" << 0x02010007u << 0u << false;
    QTest::newRow("two parts") << "1.2" << 0x0102u << 0u << false;
    QTest::newRow("word") << "beta.2.3.4" << 0x20304u << 0u << false;
    QTest::newRow("empty") << "" << 0u << 0u << false;
    QTest::newRow("empty part") << "1..3.4" << 0x01000304u << 0u << false;
    QTest::newRow("plus sign") << "+1.2.3.4" << 0x00020304u << 0u << false;
    QTest::newRow("minus sign") << "1.-2.3.4" << 0x01000304u << 0u << false;
    QTest::newRow("inner blank") << "1. 2.3.4" << 0x01020304u << 0u << false;
    QTest::newRow("hex") << "0x1.2.3.4" << 0x00020304u << 0u << false;
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("1.2.3.\u0664") << 0x01020300u << 0u << false;
    QTest::newRow("five parts") << "1.2.3.4.5" << 0u << 0u << true;
    QTest::newRow("trailing dot") << "1.2.3.4." << 0u << 0u << true;
    QTest::newRow("part above 255") << "1.256.0.0" << 0u << 0u << true;
    QTest::newRow("carry of two parts") << "1.256" << 0u << 0u << true;
    QTest::newRow("huge part") << "1.2.3.99999999999" << 0u << 0u << true;
}

void tst_UtilVersion::toNumber()
{
    QFETCH(QString, text);
    QFETCH(uint, expected);
    QFETCH(uint, strict);
    QFETCH(bool, refused);
    if (refused)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Malformed version"));
    QCOMPARE(uint(Util::verStrToUint(text)), expected);
    QCOMPARE(uint(Util::verStrToUintStrict(text)), strict);
}

void tst_UtilVersion::toText_data()
{
    QTest::addColumn<uint>("number");
    QTest::addColumn<QString>("expected");

    QTest::newRow("software version") << 0x01000504u << "1.0.5.4";
    QTest::newRow("zero") << 0u << "0.0.0.0";
    QTest::newRow("highest") << 0xFFFFFFFFu << "255.255.255.255";
    QTest::newRow("mixed") << 0x0A00FF01u << "10.0.255.1";
}

void tst_UtilVersion::toText()
{
    QFETCH(uint, number);
    QFETCH(QString, expected);
    QCOMPARE(Util::verUintToStr(number), expected);
    QCOMPARE(uint(Util::verStrToUint(expected)), number);
    QCOMPARE(uint(Util::verStrToUintStrict(expected)), number);
}

QTEST_GUILESS_MAIN(tst_UtilVersion)
#include "tst_utilversion.moc"
