#pragma once

#include "platform/CaptureSession.h"
#include "sim/SimJournal.h"
#include "sim/SimUpgradeKnobs.h"
#include "sim/SimUpgradeModel.h"

#include <QByteArray>
#include <QList>
#include <QSharedPointer>

#include <cstdint>

namespace vesk {
namespace pc {

// The upgrade service of a simulated camera: what its upgrade system does
// with the 60-byte blocks on extension-unit selectors 1 and 3 to 7. Not
// thread-safe; the camera's lock guards it. Split by area: transfers and
// state reads here, commands and shell lines in _commands.cpp.
class SimUpgradeService
{
public:
    // A reboot that the host's last request asked for.
    struct Restart
    {
        int systemType = 0;           // 1 main, 2 upgrade system; 0: none asked
        uint32_t version = 0;         // firmware version reported from then on (0: as before)
        uint32_t programVersion = 0;  // upgrade program version from then on (0: as before)
        bool comesBack = true;
    };

    explicit SimUpgradeService(const SimUpgradeModel& model = SimUpgradeModel());

    // The faults of this boot, and where it records what the host did.
    void setKnobs(const SimUpgradeKnobs& knobs);
    void attach(const QSharedPointer<SimJournal>& journal, int boot);
    // An old camera's upgrade tool answers instead of an upgrade system.
    void runTool() { toolRuns_ = true; }
    QHash<QByteArray, QByteArray>& files() { return model_.files; }
    // What the camera keeps across a reboot: files, installed packages.
    SimUpgradeModel model() const { return model_; }
    Restart takeRestart();
    // The stream the host told it to send files on (0 motion JPEG, 1 YUV);
    // a capture in the other format sees none of them.
    int streamType() const { return streamType_; }
    bool streamsIn(CaptureSession::PixelFormat format) const;

    // SET_CUR and GET_CUR of one block; bytes moved or -1.
    int write(uint8_t selector, const uint8_t* block);
    int read(uint8_t selector, uint8_t* block);

    // What the host did, for tests.
    QByteArray uploadPath() const { return uploadPath_; }
    QByteArray uploaded() const { return uploaded_; }
    int badPackets() const { return badPackets_; }
    // Upload packets sent again after the camera had taken them.
    int duplicatePackets() const { return duplicatePackets_; }
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
    static constexpr int kStreamMjpeg = 0;  // stream types as command 10 names them
    static constexpr int kStreamYuv = 1;

    void startUpload(const uint8_t* block);
    void takePacket(const uint8_t* block);
    void takeDownloadRequest(const uint8_t* block);
    void takeCommand(const uint8_t* block);
    void upState(uint8_t* block) const;
    void downloadState(uint8_t* block);
    void commandState(uint8_t* block);
    void completeUpload();
    void generate(const QByteArray& name, uint32_t expected);
    void note(SimEvent::Kind kind, const QByteArray& text, const QByteArray& data = QByteArray());
    // Commands and shell lines (_commands.cpp).
    void runCommand(const uint8_t* block);
    uint8_t patchStatus();
    void takeSyscall(const uint8_t* block);
    void format(const uint8_t* block);
    void enterUpgradeSystem(const uint8_t* block);
    void install(const uint8_t* block);
    void freeSource(const uint8_t* block);
    void applyPatchList(const uint8_t* block);
    void resetTransfer(const uint8_t* block);
    void packLog(const uint8_t* block);
    void takeStreamType(const uint8_t* block);

    SimUpgradeModel model_;
    SimUpgradeKnobs knobs_;
    QSharedPointer<SimJournal> journal_;
    int boot_ = 1;
    bool toolRuns_ = false;
    Restart restart_;
    // Upload.
    uint8_t upFlags_ = 0;
    int refusing_ = 0;  // packets still to refuse (-1: all)
    uint8_t upState_ = 0;
    uint32_t fileLen_ = 0;
    uint32_t doneSeq_ = 0;
    QByteArray uploadPath_;
    QByteArray uploaded_;
    int badPackets_ = 0;
    int duplicatePackets_ = 0;
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
    // Command outcomes.
    uint8_t patchOutcome_ = 0;
    int patchReadsLeft_ = 0;
    uint32_t packedLogSize_ = 0;
    int streamType_ = 0;
};

} // namespace pc
} // namespace vesk
