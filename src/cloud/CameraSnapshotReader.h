#pragma once

#include "cloud/CameraSnapshot.h"

#include <functional>

namespace vesk {
namespace pc {

class UvcDevice;

// Fills a CameraSnapshot from a camera on the calling (pool) thread: only
// what the report at hand needs, and nothing more once the stop question
// says so. The synchronous reads wait on the camera.
class CameraSnapshotReader
{
public:
    explicit CameraSnapshotReader(std::function<bool()> stopRequested = nullptr);

    // Identity, mode, a copy of the cached status and the zoom: no waits.
    static void readBasics(UvcDevice& device, CameraSnapshot* snapshot);
    // Absolute pan and tilt; positionRead tells whether it worked.
    static void readPosition(UvcDevice& device, CameraSnapshot* snapshot);
    // What the main or the extended state needs; false when stopped first.
    bool readMain(UvcDevice& device, CameraSnapshot* snapshot) const;
    bool readExt(UvcDevice& device, CameraSnapshot* snapshot) const;

private:
    bool stopped() const;
    bool readImageControls(UvcDevice& device, CameraSnapshot* snapshot) const;
    bool readZukiExtras(UvcDevice& device, CameraSnapshot* snapshot) const;
    bool readPresets(UvcDevice& device, CameraSnapshot* snapshot) const;

    std::function<bool()> stopRequested_;
};

} // namespace pc
} // namespace vesk
