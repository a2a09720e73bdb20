// The texts the history writes into the catalogue's folder and its commits.
#pragma once

#include <string_view>

namespace qv::history::text {

using T = std::string_view;

// Who the program's own commits are by, where the user set nobody up.
inline constexpr T kFallbackName = "Quorvane";
inline constexpr T kFallbackEmail = "quorvane@localhost";

// A lock file that a git killed halfway left behind.
inline constexpr T kRemoveLock = "remove .git/";
inline constexpr T kIfNoGit = " if no git command is running";

// The commit messages, cut at 70 characters: "Add 04 Photo Editor Pro",
// "Delete 01 Beta, 03 Video Cutter", "Edit 02 serial (Sound Studio)", "Edit
// 02 name: Sound Studio Max (was Sound Studio)", "Merge FILE: 1 added, 0
// removed, 1 kept in both versions (02 Oboe, 05 Oboe)".
inline constexpr T kFirstCommit = "Start the catalogue's history";
inline constexpr T kEncryptCommit = "Encrypt the catalogue";
inline constexpr T kRecover = "Recover the backup";
inline constexpr T kAsItStands = "Record the catalogue as it stands";
inline constexpr T kNotSound = "not a sound catalogue";
inline constexpr T kHeadMissing = "the remote's HEAD names a branch it does not have; nothing was cloned";
inline constexpr T kSync = "Sync with ";
inline constexpr T kAdd = "Add ", kImport = "Import ", kDelete = "Delete ", kEdit = "Edit ";
inline constexpr T kName = " name: ", kSerial = " serial", kWas = " (was ";
// In an encrypted history, codes alone: "Add 04", "Delete 01 03", "Edit 02 name, serial".
inline constexpr T kBareName = " name";
// ... and "Load a file: 2 records", "Merge a file: 1 added, 0 removed".
inline constexpr T kAFile = "a file";
inline constexpr T kLoad = "Load ", kRestore = "Restore ", kMerge = "Merge ";
inline constexpr T kRecord = " record", kRecords = " records", kAdded = " added, ", kRemoved = " removed";
inline constexpr T kKeptBoth = " kept in both versions";
inline constexpr T kCut = "\xE2\x80\xA6";  // an ellipsis where a message is cut

// Only velk.dat and the two git files are kept in history.
inline constexpr T kIgnore = "# quorvane: only velk.dat and these two files are kept in history\n"
                             "backup.bak\nvelk.txt\nvelk2.dat\nvelk3.dat\nformat.dat\nseach.log\n"
                             ".quorvane.lock\n.quorvane-tmp-*\n";
inline constexpr T kAttributes = "velk.dat merge=quorvane diff=quorvane\n";
// In an encrypted history velk.dat goes through the filter that seals it.
inline constexpr T kAttributesSealed = "velk.dat merge=quorvane diff=quorvane filter=quorvane\n";
// The same in the repository's own attributes, which a remote's files cannot
// undo: no filter, no conversion of line ends, the catalogue's merge and diff.
// The lists of ignored names and of attributes merge as the union of their
// lines, so that a host's own .gitignore never stands in a sync's way.
inline constexpr T kKeptAttributes = "velk.dat merge=quorvane diff=quorvane -text -eol -filter -ident "
                                     "-working-tree-encoding\n.gitignore merge=union\n.gitattributes merge=union\n";
// The two git files never go through the filter, whatever a remote's
// attributes say: another machine reads them before it has a key.
inline constexpr T kKeptSealed = "velk.dat merge=quorvane diff=quorvane filter=quorvane -text -eol -ident "
                                 "-working-tree-encoding\n.gitignore merge=union -filter\n"
                                 ".gitattributes merge=union -filter\n";

// Why a change or a sync is not recorded, beyond git's own words.
inline constexpr T kLinked = "velk.dat is a symbolic link, and git would keep the link, not the catalogue; "
                             "keep velk.dat itself in this folder to have its history";
inline constexpr T kUnderWay = "git has a cherry-pick, a revert or a merge with conflicts under way; finish it, "
                               "or abort it with 'quorvane git cherry-pick --abort', 'revert --abort' or "
                               "'merge --abort'";
inline constexpr T kUnfinished = "a merge that is not the catalogue's is in progress; "
                                 "finish it with 'quorvane git commit' or drop it with 'quorvane git merge --abort'";

// What a sync waits for, on a terminal, and how long ssh may take to connect.
inline constexpr T kSshCommand = "ssh -o ConnectTimeout=30";
inline constexpr T kDriverName = "quorvane catalogue, record by record";

}  // namespace qv::history::text
