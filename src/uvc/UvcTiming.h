#pragma once

namespace vesk {
namespace pc {

// Every wait and period of the camera link in one record, so that tests can
// run the same code in milliseconds. Values in milliseconds unless named.
struct UvcTiming
{
    int passMs = 20;             // one device-thread pass
    int upgradePauseMs = 1000;   // idle pass while the camera is in upgrade mode
    int replyWaitMs = 1000;      // a blocking send waits this long, resends once, waits again
    int statusPollPasses = 100;  // passes between two status reads
    int receiverScans = 50;      // scans before a non-blocking request is given up
    int closeWaitMs = 1500;      // how long close waits for the device thread
    int netAddressWaitMs = 3000; // network mode: wait before each address look-up
    int netAddressAttempts = 5;

    // What new cameras start with; the process default is the values above.
    static UvcTiming defaults();
    static void setDefaults(const UvcTiming& timing);
};

} // namespace pc
} // namespace vesk
