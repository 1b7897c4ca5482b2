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
    // Shell lines, commands and requests as received.
    QList<QByteArray> shellLines_;
    QList<QByteArray> commands_;
    QList<QByteArray> downloadRequests_;
    uint8_t lastCommand_[60] = {};
};

} // namespace pc
} // namespace vesk
