#include "uvc/ReplyDecoders.h"

#include <QDebug>
#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

// Tracking modes above 2 read as 0. The comparison is on signed bytes, so
// 0x80 and above pass through as the camera sent them.
uint8_t trackingModeOf(uint8_t byte)
{
    return int8_t(byte) > 2 ? 0 : byte;
}

// A receiver takes modes 0 to 2 only.
int receiverModeOf(uint8_t mode)
{
    return mode >= 3 ? 0 : mode;
}

QVariantList aiShortStatusArguments(const uint8_t* data)
{
    const AiStatus status = ReplyDecoders::aiShortStatus(data);
    const int third = receiverModeOf(status.trackingMode);
    const int fourth = receiverModeOf(status.portraitTrackingMode);
    qDebug() << "AI Status: " << status.state << status.mode << third << fourth << status.value;
    return {int(status.state), int(status.mode), third, fourth, status.value};
}

QVariantList firstByte(const uint8_t* data)
{
    return {int(data[0])};
}

const ReplyDecoders::Row kRows[] = {
    {0x3092, 38, "in cmd set AI, cmd id AI_FETCH_SHORT_STATUS", aiShortStatusArguments},
    {0x11D2, 1, "in cmd set Camera, cmd id GET_CAMERA_FACEFOCUS", firstByte},
    {0x13C2, 1, "in cmd set Camera, cmd id SET_CAMERA_DEVSTATUS", firstByte},
};

} // namespace

const ReplyDecoders::Row* ReplyDecoders::find(uint16_t command)
{
    for (const Row& row : kRows) {
        if (row.command == command)
            return &row;
    }
    return nullptr;
}

int ReplyDecoders::dataNeeded(uint16_t command)
{
    const Row* row = find(command);
    return row ? row->dataNeeded : 0;
}

AiStatus ReplyDecoders::aiShortStatus(const uint8_t* data)
{
    AiStatus status;
    status.state = data[30];
    status.mode = data[31];
    status.trackingMode = trackingModeOf(data[32]);
    status.portraitTrackingMode = trackingModeOf(data[37]);
    status.portraitRaw = data[37];
    status.value = qFromLittleEndian<float>(data + 33);
    return status;
}

} // namespace pc
} // namespace vesk
