#pragma once

namespace vesk {
namespace pc {

// What triggered an action, sent as "trigger"; SourceNone also marks "no
// report pending" in the window.
enum ActionSourceType : int {
    SourceMouse = 0,
    SourceKey = 1,
    SourceRemote = 2,
    SourceDevice = 3,
    SourceNone = 4,
};

} // namespace pc
} // namespace vesk
