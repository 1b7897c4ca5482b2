#pragma once

#include "sim/SimUpgradeKnobs.h"

namespace vesk {
namespace pc {

// Faults a simulated camera can be told to show.
struct SimKnobs
{
    bool noReply = false;               // message frames are never answered
    bool replyToSecondCopyOnly = false; // the first copy of each sequence is lost
    bool badCrc = false;                // replies carry a wrong CRC-16
    bool wrongReceiver = false;         // replies are addressed to unit 1, not the host
    int shortReadBytes = -1;            // GET_CUR on the message selector moves only this many bytes
    int resultCode = 0;                 // result byte of every reply
    int replyFrameLength = -1;          // forces the reply's length field (12 = header only)
    int replyDelayMs = 0;               // a reply becomes readable only after this time
    int transferDelayMs = 0;            // every control request takes this long
    bool version2Replies = false;       // replies are version 2 frames with a CRC-8
    bool interfaceHeldByDriver = false; // open finds the interface held, which still counts
    bool openFails = false;
    bool openDenied = false;            // open fails on the node's permissions (accessDeniedNode)
    int statusReadBytes = 60;           // bytes a status-block read moves
    int setFailsOnSelector = -1;        // SET_CUR on this extension-unit selector fails
    int getFailsOnSelector = -1;        // GET_CUR on this extension-unit selector fails
    int recordWriteBytes = 60;          // bytes a parameter-record write (selector 6) moves
    bool staysOnUsb = false;            // takes a change of address (0x8064) without going to its network
    SimUpgradeKnobs upgrade;
};

} // namespace pc
} // namespace vesk
