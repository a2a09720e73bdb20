// The texts the history writes into the catalogue's folder and its commits.
#pragma once

#include <string_view>

namespace qv::history::text {

using T = std::string_view;

// Who the program's own commits are by, where the user set nobody up.
inline constexpr T kFallbackName = "Quorvane";
inline constexpr T kFallbackEmail = "quorvane@localhost";

inline constexpr T kFirstCommit = "Start the catalogue's history";
inline constexpr T kRecover = "Recover the backup";
inline constexpr T kAsItStands = "Record the catalogue as it stands";
inline constexpr T kNotSound = "not a sound catalogue";
inline constexpr T kSync = "Sync with ";

// Only velk.dat and the two git files are kept in history.
inline constexpr T kIgnore = "# quorvane: only velk.dat and these two files are kept in history\n"
                             "backup.bak\nvelk.txt\nvelk2.dat\nvelk3.dat\nformat.dat\nseach.log\n"
                             ".quorvane.lock\n.quorvane-tmp-*\n";
inline constexpr T kAttributes = "velk.dat merge=quorvane diff=quorvane\n";
inline constexpr T kDriverName = "quorvane catalogue, record by record";

}  // namespace qv::history::text
