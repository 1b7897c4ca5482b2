// The camera message frame: the wire form of requests and every result of
// the receive check. Expected bytes are the protocol's own examples.

#include "uvc/ProtocolMsg.h"

#include <QtTest>

using vesk::pc::ProtocolMsg;
using FrmPacket = vesk::pc::ProtocolMsg::FrmPacket;

namespace {

QByteArray padded(const char* hex)
{
    QByteArray bytes = QByteArray::fromHex(hex);
    bytes.append(QByteArray(60 - bytes.size(), '\0'));
    return bytes;
}

} // namespace

class tst_ProtocolMsg : public QObject
{
    Q_OBJECT
private slots:
    void newFrameHoldsDefaults();
    void prepareForSend_data();
    void prepareForSend();
    void checkReceived_data();
    void checkReceived();
    void goodReplyIsTurnedToHostForm();
    void sequenceCounterWraps();
};

void tst_ProtocolMsg::newFrameHoldsDefaults()
{
    const FrmPacket frame;
    QCOMPARE(frame.bytes[0], uint8_t(0xAA));
    QCOMPARE(frame.version(), 0);
    QCOMPARE(frame.length(), 12);
    QCOMPARE(frame.flags(), uint8_t(0x12));
    QCOMPARE(frame.sequence(), uint16_t(0));
    QCOMPARE(frame.crc16(), uint16_t(0));
    QCOMPARE(frame.crc8(), uint8_t(0));
    QCOMPARE(frame.addresses(), uint8_t(0xE1));
    QCOMPARE(frame.command(), uint16_t(0));
    for (int i = 12; i < int(sizeof frame.bytes); ++i)
        QCOMPARE(frame.bytes[i], uint8_t(0));
}

void tst_ProtocolMsg::prepareForSend_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<int>("addresses");
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("13 bytes to the camera") << 0 << 0x1234 << 0xE1 << 0x13D2
        << QByteArray::fromHex("01") << padded("AA000D121234927300E113D201");
    QTest::newRow("header only to the system") << 0 << 7 << 0xE8 << 0x8010 << QByteArray()
        << padded("AA000C120007438200E88010");
    QTest::newRow("version 2 carries a CRC-8") << 2 << 0x0A0B << 0xE3 << 0x3092 << QByteArray()
        << padded("AA200C120A0B3FC5B8E33092");
    QByteArray full;
    for (int i = 0; i < 48; ++i)
        full.append(char(i));
    QTest::newRow("60 bytes fill the transfer") << 0 << 0xFFFF << 0xE2 << 0x2001 << full
        << QByteArray::fromHex("AA003C12FFFFDEC600E22001000102030405060708090A0B0C0D0E0F101112"
                               "131415161718191A1B1C1D1E1F202122232425262728292A2B2C2D2E2F");
}

void tst_ProtocolMsg::prepareForSend()
{
    QFETCH(int, version);
    QFETCH(int, sequence);
    QFETCH(int, addresses);
    QFETCH(int, command);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, wire);

    ProtocolMsg msg;
    FrmPacket frame;
    frame.setVersionAndLength(version, 12 + payload.size());
    frame.setSequence(uint16_t(sequence));
    frame.setAddresses(uint8_t(addresses));
    frame.setCommand(uint16_t(command));
    std::memcpy(frame.payload(), payload.constData(), size_t(payload.size()));
    frame.bytes[7] = 0x55;  // stale checksum bytes are overwritten
    frame.bytes[8] = 0x66;
    msg.frmHeaderProcessForSend(frame);
    QCOMPARE(ProtocolMsg::wireBlock(frame).toHex(), wire.toHex());
}

void tst_ProtocolMsg::checkReceived_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<int>("received");
    QTest::addColumn<int>("result");

    const QByteArray reply = padded("AA0011010102C0C1008E80100004030001");
    QTest::newRow("good version 0 reply") << reply << 60 << 0;
    QTest::newRow("good version 2 reply") << padded("AA2011010102BF0BA68E80100004030001") << 60 << 0;
    QTest::newRow("version 0 ignores byte 8") << padded("AA001101010263435A8E80100004030001") << 60 << 0;
    QTest::newRow("exactly the frame's length") << reply << 17 << 0;
    QTest::newRow("empty read") << QByteArray(60, '\0') << 60 << 1;
    QTest::newRow("no magic") << padded("AB0011010102C0C1008E80100004030001") << 60 << 1;
    QTest::newRow("fewer than 12 bytes") << reply << 11 << 2;
    QTest::newRow("length beyond the read") << reply << 16 << 3;
    QTest::newRow("length 61") << padded("AA003D010102C0C1008E8010") << 60 << 3;
    QTest::newRow("length 11") << padded("AA000B010102C0C1008E8010") << 60 << 3;
    QTest::newRow("version nibble is not length") << padded("AA2011010102BF0BA68E80100004030001") << 17 << 0;
    QTest::newRow("version 2 with a bad CRC-8") << padded("AA2011010102BF0BA78E80100004030001") << 60 << 4;
    QTest::newRow("bad CRC-8 whatever the CRC-16") << padded("AA201101010200000A8E80100004030001") << 60 << 4;
    QTest::newRow("version 2 with a bad CRC-16") << padded("AA2011010102BF0CA68E80100004030001") << 60 << 5;
    QTest::newRow("version 0 with a bad CRC-16") << padded("AA0011010102C0C2008E80100004030001") << 60 << 5;
    QTest::newRow("payload changed") << padded("AA0011010102C0C1008E80100004030002") << 60 << 5;
}

void tst_ProtocolMsg::checkReceived()
{
    QFETCH(QByteArray, block);
    QFETCH(int, received);
    QFETCH(int, result);
    ProtocolMsg msg;
    QCOMPARE(msg.frmCheckAndParseForRecv(reinterpret_cast<uint8_t*>(block.data()), received), result);
}

void tst_ProtocolMsg::goodReplyIsTurnedToHostForm()
{
    QByteArray block = padded("AA2011010102BF0BA68E80100004030001");
    ProtocolMsg msg;
    QCOMPARE(msg.frmCheckAndParseForRecv(reinterpret_cast<uint8_t*>(block.data()), 60), 0);
    FrmPacket frame;
    std::memcpy(frame.bytes, block.constData(), 60);
    QCOMPARE(frame.version(), 2);
    QCOMPARE(frame.length(), 17);
    QCOMPARE(frame.sequence(), uint16_t(0x0102));
    QCOMPARE(frame.crc16(), uint16_t(0xBF0B));
    QCOMPARE(frame.crc8(), uint8_t(0xA6));
    QCOMPARE(frame.addresses(), uint8_t(0x8E));
    QCOMPARE(frame.command(), uint16_t(0x8010));
    QCOMPARE(frame.payload()[0], uint8_t(0));
}

void tst_ProtocolMsg::sequenceCounterWraps()
{
    ProtocolMsg msg;
    QCOMPARE(msg.nextSequence(), uint16_t(0));
    QCOMPARE(msg.nextSequence(), uint16_t(1));
    for (int i = 2; i < 65535; ++i)
        msg.nextSequence();
    QCOMPARE(msg.nextSequence(), uint16_t(65535));
    QCOMPARE(msg.nextSequence(), uint16_t(0));
}

QTEST_GUILESS_MAIN(tst_ProtocolMsg)
#include "tst_protocolmsg.moc"
