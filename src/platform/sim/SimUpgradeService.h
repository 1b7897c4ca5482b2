#pragma once

#include "platform/sim/SimUpgradeModel.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

namespace vesk {
namespace pc {

// The upgrade service of a simulated camera: what its upgrade system does
// with the 60-byte blocks on extension-unit selectors 1 and 3 to 7. Not
// thread-safe; the camera's lock guards it.
class SimUpgradeService
{
public:
    explicit SimUpgradeService(const SimUpgradeModel& model = SimUpgradeModel());

    // SET_CUR and GET_CUR of one block; bytes moved or -1.
    int write(uint8_t selector, const uint8_t* block);
    int read(uint8_t selector, uint8_t* block);

    // What the host did, for tests.
    QByteArray uploadPath() const { return uploadPath_; }
    QByteArray uploaded() const { return uploaded_; }
    int badPackets() const { return badPackets_; }
    QList<QByteArray> shellLines() const { return shellLines_; }
    QList<QByteArray> commands() const { return commands_; }
    QList<QByteArray> downloadRequests() const { return downloadRequests_; }

    // The download stream. While a requested file is being sent (state 1,
    // generation done) the capture sends the packets from the cursor on; a
    // resend request moves the cursor back to the packet it names.
    static constexpr uint32_t kStreamPacketSize = 0x40000;
    bool isStreaming() const;
    uint32_t streamPacketCount() const;
    uint32_t streamCursor() const { return streamNext_; }
    void setStreamCursor(uint32_t seq) { streamNext_ = seq; }
    int resendRequests() const { return resends_; }
    // Packet seq whole: sequence, CRC-32 taken with its own field zero,
    // data length, data.
    QByteArray streamPacket(uint32_t seq) const;

private:
    void startUpload(const uint8_t* block);
    void takePacket(const uint8_t* block);
    void takeDownloadRequest(const uint8_t* block);
    void takeCommand(const uint8_t* block);
    void upState(uint8_t* block) const;
    void downloadState(uint8_t* block);
    void commandState(uint8_t* block) const;

    SimUpgradeModel model_;
    // Upload.
    uint8_t upState_ = 0;
    uint32_t fileLen_ = 0;
    uint32_t doneSeq_ = 0;
    QByteArray uploadPath_;
    QByteArray uploaded_;
    int badPackets_ = 0;
    // Download.
    uint8_t downState_ = 0;
    uint32_t downLen_ = 0;
    uint32_t downOffset_ = 0;
    uint32_t packLen_ = 0;
    QByteArray downName_;
    int generatingReads_ = 0;
    uint32_t streamNext_ = 0;  // next packet the stream sends
    int resends_ = 0;
    // Shell lines, commands and requests as received.
    QList<QByteArray> shellLines_;
    QList<QByteArray> commands_;
    QList<QByteArray> downloadRequests_;
    uint8_t lastCommand_[60] = {};
};

} // namespace pc
} // namespace vesk
