#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// Progress codes beside the percentages 0 to 99 of an upgrade's progress.
constexpr int32_t kErrCodeSuccess = 100;  // done
constexpr int32_t kErrCodeError = -1;     // error
constexpr int32_t kErrCodeWarn = -2;      // a warning while the work goes on
constexpr int32_t kErrCodeFailure = -3;   // failed

} // namespace pc
} // namespace vesk
