// The command line's exit statuses.
#pragma once

namespace qv::cli {

inline constexpr int kDone = 0, kFailed = 1, kUsage = 2;

}  // namespace qv::cli
