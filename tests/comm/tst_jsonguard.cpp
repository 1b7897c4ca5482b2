#include "comm/JsonGuard.h"
#include "support/LogCapture.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

using vesk::pc::JsonGuard;

class tst_JsonGuard : public QObject
{
    Q_OBJECT

private slots:
    void refusedAt_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("offset");  // -1: accepted
        QTest::newRow("plain") << QByteArray(R"({"a":1,"b":[1,"b"],"c":{"a":1}})") << -1;
        QTest::newRow("same key in sibling objects") << QByteArray(R"([{"a":1},{"a":{"a":2}}])") << -1;
        QTest::newRow("key text as values") << QByteArray(R"({"a":"a","b":"a","c":["a","a"]})") << -1;
        QTest::newRow("brackets and quotes in strings")
            << QByteArray("{\"s\":\"{\\\"a\\\":1,\\\"a\\\":2}\",\"t\":\"[}]\"}") << -1;
        QTest::newRow("repeated number") << QByteArray(R"({"a":1,"a":2})") << 7;
        QTest::newRow("repeated array") << QByteArray(R"({"a":[1],"a":[2]})") << 9;
        QTest::newRow("repeated in a nested object") << QByteArray(R"({"x":{"k":{},"k":{}}})") << 13;
        QTest::newRow("repeated inside an array") << QByteArray(R"([{"a":1},{"b":{"c":[],"c":[]}}])") << 22;
        QTest::newRow("escaped letter") << QByteArray("{\"a\":1,\"\\u0061\":2}") << 7;
        QTest::newRow("escaped quote") << QByteArray("{\"a\\\"b\":1,\"a\\\"b\":2}") << 10;
        QTest::newRow("two escapes of one line feed") << QByteArray("{\"\\n\":1,\"\\u000A\":2}") << 8;
        QTest::newRow("surrogate pair and raw")
            << "{\"" + QByteArray::fromHex("f09f9880") + "\":1,\"\\ud83d\\ude00\":2}" << 10;
        QTest::newRow("1024 deep") << QByteArray(1024, '[') + QByteArray(1024, ']') << -1;
        QTest::newRow("1025 deep") << QByteArray(1025, '[') + QByteArray(1025, ']') << 1024;
        QTest::newRow("unterminated string") << QByteArray("{\"a\":1,\"b") << -1;
        QTest::newRow("trailing backslash") << QByteArray("{\"a\\") << -1;
        QTest::newRow("short escape at the end") << QByteArray("{\"\\u00") << -1;
        QTest::newRow("stray closers") << QByteArray("]]}}{\"a\":1,\"a\":1") << 11;
        // The parser keeps a byte-order mark that QString::fromUtf8 drops.
        const QByteArray mark = QByteArray::fromHex("efbbbf");
        QTest::newRow("mark raw and escaped") << "{\"" + mark + "\":[0],\"\\uFEFF\":0}" << 1;
        QTest::newRow("escaped mark") << QByteArray("{\"a\":1,\"\\ufeffa\":2}") << 7;
        QTest::newRow("raw mark after an escape") << "{\"\\n" + mark + "\":1}" << 1;
        // Raw keys the parser compares with escaped ones after turning a lone
        // surrogate into U+FFFD, and raw keys it compares only up to a NUL.
        const QByteArray replacement = QByteArray::fromHex("efbfbd");
        QTest::newRow("lone high and U+FFFD") << "{\"\\uD800\":[0],\"" + replacement + "\":0}" << 1;
        QTest::newRow("U+FFFD and lone low") << "{\"" + replacement + "\":[0],\"\\uDC00\":0}" << 1;
        QTest::newRow("backslash before a non-ASCII byte")
            << "{\"\\" + QByteArray::fromHex("c3") + "\":[0],\"\\uD7BF\\uDFC3\":0}" << 1;
        QTest::newRow("high surrogate, backslash, non-ASCII byte")
            << "{\"\\uD83D\\" + QByteArray::fromHex("ec") + "\":0}" << 1;
        QTest::newRow("NUL then different texts") << QByteArray(R"({"~a":[0],"~b":0})").replace('~', '\0') << 1;
        QTest::newRow("escaped NUL") << QByteArray("{\"a\":1,\"\\u0000\":2}") << 7;
        QTest::newRow("marks and the like in values")
            << "{\"a\":\"" + mark + replacement + "\\uFEFF\\uD800\\u0000\"}" << -1;
    }

    void refusedAt()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, offset);
        QCOMPARE(JsonGuard::refusedAt(json), offset);
    }

    // Keys the parser sorts by other rules than its lookups, refused once
    // parsed wherever they are; raw ones alone, and escaped ones alone, it
    // finds again.
    void refusedOnceParsed_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("refused");
        const QByteArray raw10000 = QByteArray::fromHex("f0908080");
        const QByteArray raw1F600 = QByteArray::fromHex("f09f9880");
        QTest::newRow("escaped U+FFFF, raw U+10000") << "{\"\\uffff\":0,\"" + raw10000 + "\":1}" << true;
        QTest::newRow("raw U+10000, escaped U+FFFF") << "{\"" + raw10000 + "\":1,\"\\uFFFF\":0}" << true;
        QTest::newRow("escaped U+E000, raw U+1F600, nested")
            << "[1,{\"x\":{\"a\":0,\"\\ue000\":0,\"" + raw1F600 + "\":[]}}]" << true;
        QTest::newRow("raw U+E000, raw U+1F600")
            << "{\"" + QByteArray::fromHex("ee8080") + "\":0,\"" + raw1F600 + "\":1}" << false;
        QTest::newRow("escaped U+1F600, escaped U+FFFF") << QByteArray(R"({"\ud83d\ude00":0,"\uffff":1})") << false;
    }

    void refusedOnceParsed()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, refused);
        LogCapture log;
        const QJsonDocument document = JsonGuard::fromJson(json);
        QCOMPARE(document.isNull(), refused);
        QCOMPARE(log.countOf(QtWarningMsg, QStringLiteral("JSON refused")), refused ? 1 : 0);
        if (!refused)
            QCOMPARE(document, QJsonDocument::fromJson(json));
    }

    // A refused document never reaches Qt's parser, where the earlier
    // array would leak (the leak checker of the sanitizer build sees it).
    void refusedIsNullAndLogged()
    {
        LogCapture log;
        QByteArray json = R"({"cmd":"UpgradeProgress","msg":[)" + QByteArray(2000, '1').replace("1", "1,") + "1]";
        json += R"(,"msg":{"a":[1,2,3]}})";
        const QJsonDocument document = JsonGuard::fromJson(json);
        QVERIFY(document.isNull());
        QCOMPARE(log.countOf(QtWarningMsg, QStringLiteral("JSON refused")), 1);
    }

    // Keys that share one hash under a seed of 0: blocks of "Aa" and "BB".
    void collidingKeysCheckedQuickly()
    {
        QByteArray json = "{";
        for (int key = 0; json.size() < 1024 * 1024; ++key) {
            json += '"';
            for (int bit = 0; bit < 16; ++bit)
                json += (key >> bit) & 1 ? "BB" : "Aa";
            json += "\":0,";
        }
        json += R"("Aa":0})";
        qSetGlobalQHashSeed(0);
        QElapsedTimer timer;
        timer.start();
        const int refused = JsonGuard::refusedAt(json);
        const qint64 ms = timer.elapsed();
        qSetGlobalQHashSeed(-1);
        QCOMPARE(refused, -1);
        QVERIFY2(ms < 1500, qPrintable(QString::number(ms)));
    }

    void acceptedAsQtParses()
    {
        const QByteArray json = R"({"errorcode":200,"packages":[{"url":"http://h/p"}],"reason":"OK"})";
        LogCapture log;
        const QJsonDocument document = JsonGuard::fromJson(json);
        QCOMPARE(document, QJsonDocument::fromJson(json));
        QCOMPARE(document.object().value("packages").toArray().size(), 1);
        QVERIFY(JsonGuard::fromJson("{\"a\":").isNull());
        // A plain parse error is the caller's to log.
        QCOMPARE(log.countOf(QtWarningMsg, QString()) + log.countOf(QtCriticalMsg, QString()), 0);
    }
};

QTEST_GUILESS_MAIN(tst_JsonGuard)
#include "tst_jsonguard.moc"
