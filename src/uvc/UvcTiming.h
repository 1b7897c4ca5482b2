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
    // Registry: settle waits around opening a new camera, init attempts.
    int settleBeforeOpenMs = 500;
    int settleAfterOpenMs = 4500;
    int initRetryMs = 1000;
    int initAttempts = 3;
    // The camera's HTTP services in network mode.
    int httpConnectMs = 5000;       // no connection within this: failure
    int httpIdleMs = 4000;          // no traffic for this long: failure
    int httpTotalMs = 5000;         // whole exchange of a JSON request
    int logDownloadTotalMs = 600000; // whole log download
    int logPrepareWaitMs = 500;     // between the two log-preparation shell lines
    // Picture transfers, counted from a transfer's start.
    int pictureDownloadTimeoutMs = 90000;
    int pictureUploadSendTimeoutMs = 90000;   // records still being sent
    int pictureUploadCheckTimeoutMs = 100000; // waiting for the camera to complete
    int fullPictureWaitMs = 50;     // the camera scales a full picture before its first reply
    int uploadStartWaitMs = 10;     // after the announcement
    int pictureBatchPauseMs = 20;   // after every 1000 records
    int uploadCheckPeriodMs = 100;  // state reads once everything is sent
    int uploadResendAfterMs = 300;  // the camera's done sequence stood still this long
    // The upgrade engine names its waits and time-outs as the camera needs
    // them; it runs each at this percentage (tests take a whole upgrade
    // through in seconds at 1 %).
    int upgradeTimePercent = 100;
    // Its time-outs (a download, an upload's completion) at this percentage:
    // a test keeps its waits short and still gives a loaded machine the time
    // to stream.
    int upgradeTimeoutPercent = 100;

    // What new cameras start with; the process default is the values above.
    static UvcTiming defaults();
    static void setDefaults(const UvcTiming& timing);
};

} // namespace pc
} // namespace vesk
