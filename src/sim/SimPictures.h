#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QVector>

#include <cstdint>

namespace vesk {
namespace pc {

// The picture service of a simulated camera on its main system: downloads
// on extension-unit selector 4, uploads on selector 3. The same selectors
// carry the AI switches, and a switch-on block is byte for byte the control
// record that opens and closes a transfer; the camera tells them apart by
// its state: a control record while a transfer runs ends it, and one that
// is followed by a transfer's first record opened that transfer and leaves
// the switch as it was. Other blocks are kept and read back as the switch.
// Not thread-safe; the camera's lock guards it.
class SimPictures
{
public:
    // Faults, each shown once, by the sequence number it hits (0: none).
    struct Faults
    {
        uint32_t dropReply = 0;      // this data reply is lost
        uint32_t reorderReply = 0;   // this data reply comes after the next one
        uint32_t badCrcReply = 0;    // this data reply carries a wrong CRC-16
        uint32_t dropRecord = 0;     // this uploaded data record is lost
        uint32_t badCrcRecord = 0;   // this uploaded data record arrives damaged
        bool wrongInfoCrc = false;   // the information reply names a wrong CRC-32
        int shortReplies = 0;        // this many data-reply reads move 59 bytes
    };

    SimPictures() = default;
    SimPictures(const QHash<QByteArray, QByteArray>& pictures,
                const QHash<QByteArray, QByteArray>& thumbnails);

    // SET_CUR and GET_CUR of one 60-byte block on selector 3 or 4.
    int write(uint8_t selector, const uint8_t* block);
    int read(uint8_t selector, uint8_t* block);

    // Test side. A thumbnail not given is the full picture itself.
    void setPicture(const QByteArray& name, const QByteArray& full, const QByteArray& thumbnail);
    void removePicture(const QByteArray& name);
    // The picture the host names by index (0 to 2), as the image records do.
    void removeMask(int index);
    static QByteArray maskName(int index);
    QByteArray picture(const QByteArray& name) const { return pictures_.value(name); }
    QHash<QByteArray, QByteArray> pictureFiles() const { return pictures_; }
    QHash<QByteArray, QByteArray> thumbnailFiles() const { return thumbnails_; }
    void setFaults(const Faults& faults) { faults_ = faults; }
    uint8_t switchValue(uint8_t selector) const;
    QList<uint32_t> resendRequests() const { return resendRequests_; }
    int damagedRecords() const { return damagedRecords_; }
    int dataRepliesSent() const { return dataRepliesSent_; }
    int recordsTaken() const { return recordsTaken_; }

private:
    struct Switch
    {
        QByteArray block = QByteArray(60, '\0');  // the last switch block, read back whole
        QByteArray beforeControl;
        bool controlPending = false;  // a control record may have opened a transfer
    };
    struct Download
    {
        bool active = false;
        bool infoPending = false;
        bool present = false;
        QByteArray content;
        uint32_t next = 1;
        uint32_t deferred = 0;  // a reply held back to come out of order
    };
    struct Upload
    {
        bool active = false;
        uint8_t state = 0;
        uint32_t length = 0;
        uint32_t done = 0;
        QByteArray name;
        QByteArray content;
        QVector<bool> taken;
    };

    bool sessionActive(uint8_t selector) const;
    void endSession(uint8_t selector);
    void takeSwitchBlock(Switch& sw, const uint8_t* block);
    void takeDownloadRecord(const uint8_t* block);
    void takeUploadRecord(const uint8_t* block);
    void startDownload(const uint8_t* block);
    void startUpload(const uint8_t* block);
    void takeData(const uint8_t* block);
    void infoReply(uint8_t* block);
    void dataReply(uint8_t* block);
    void uploadState(uint8_t* block) const;

    QHash<QByteArray, QByteArray> pictures_;
    QHash<QByteArray, QByteArray> thumbnails_;
    Faults faults_;
    Switch upSwitch_;
    Switch downSwitch_;
    Download download_;
    Upload upload_;
    QList<uint32_t> resendRequests_;
    int damagedRecords_ = 0;
    int dataRepliesSent_ = 0;
    int recordsTaken_ = 0;
};

} // namespace pc
} // namespace vesk
