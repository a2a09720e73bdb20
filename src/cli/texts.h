// Every text the command line prints, once: the usage, and the reasons
// given on standard error after "quorvane: COMMAND: FILE: ".
#pragma once

#include <string_view>

namespace qv::cli::text {

using T = std::string_view;

// QUORVANE_VERSION: the project's version in CMakeLists.txt, the package's.
inline constexpr T kVersion = "quorvane " QUORVANE_VERSION "\n"
                              "Copyright (C) 2026 The Quorvane developers.\n"
                              "License MIT: <https://opensource.org/license/mit>.\n"
                              "This is free software: you are free to change and redistribute it.\n"
                              "There is NO WARRANTY, to the extent permitted by law.";
inline constexpr T kUsage = "Usage: quorvane [-C DIR] [COMMAND [ARGUMENTS]]\n"
                            "Keeps a catalogue of software titles and serial numbers in velk.dat, with a\n"
                            "backup in backup.bak, in $QUORVANE_DIR or else in the current directory.\n"
                            "Without a COMMAND it shows its menu.\n"
                            "\n";
inline constexpr T kUsageEnd = "\n"
                               "  -C, --directory=DIR  work in DIR, whatever $QUORVANE_DIR says\n"
                               "  -h, --help           show this help; 'help COMMAND' shows a command's\n"
                               "  -V, --version        show the version and the licence\n"
                               "A relative FILE is found from the current directory; with -C, from DIR.\n"
                               "git itself runs merge-driver, textconv, encrypt, decrypt and filter-process.\n"
                               "Exit status: 0 done, 1 refused or failed, 2 usage error. See quorvane(1).\n";
inline constexpr T kOutOfMemory = "out of memory";
inline constexpr T kTryHelp = "Try 'quorvane --help' for more information.";
inline constexpr T kDidYouMean = "Did you mean '";
inline constexpr T kWhyDamaged = "the data file is damaged; see 'quorvane check', or 'quorvane recover'";
inline constexpr T kWhyNotSound = "not a sound catalogue";
inline constexpr T kWhyFull = "the data file would hold more than 99 records";
// A text refused: "the name is 61 bytes, at most 59", "the serial is empty",
// "the name holds '(', which the data file uses for its layout".
inline constexpr T kTheName = "the name", kTheSerial = "the serial";
inline constexpr T kWhyIs = " is ", kWhyAtMost = " bytes, at most ", kWhyEmpty = " is empty";
inline constexpr T kWhyHolds = " holds '";
inline constexpr T kWhyLayoutChar = "', which the data file uses for its layout";
inline constexpr T kWhyControlChar = "', a control character";
inline constexpr T kWhySpaceChar = "', and a serial is one word";
inline constexpr T kWhyLineTooLong = "longer than a name, a tab and a serial can be: more than ";
inline constexpr T kBytes = " bytes";
inline constexpr T kWhyNoCatalogue = "no catalogue in ";
inline constexpr T kWhyChooseCatalogue = " (velk.dat not found); choose one with -C DIR or QUORVANE_DIR";
inline constexpr T kStarted = "started a new catalogue in ";
inline constexpr T kWhyChanged = "another process changed the data file meanwhile";
inline constexpr T kWhyNoRecord = "no record has the code ";
inline constexpr T kWhyTwice = "the code is given twice: ";
inline constexpr T kWhyNoBackup = "there is no backup yet";
inline constexpr T kWhyNoSource = "No such file or directory";
inline constexpr T kWhyLate = "done, but its directory could not be synced: ";
inline constexpr T kWhyIsData = "this is velk.dat itself";
inline constexpr T kWhyIsBackup = "this is backup.bak itself";
inline constexpr T kWhyIsOwn = "this is one of the program's own files";
inline constexpr T kWhyNotRegular = "Not a regular file";
inline constexpr T kWhyLockHeld = "another process has held the lock for more than 5 seconds";
inline constexpr T kWhyLinkLoop = "its link was pointed elsewhere again and again";
inline constexpr T kWhyLinkPlanted = "a symbolic link stands in its place";
inline constexpr T kWhyCannot = "cannot ";
inline constexpr T kFolderSearch = "read in ", kFolderList = "read ", kFolderMake = "write in ";
inline constexpr T kWhyMalformed = "not a line NAME<TAB>SERIAL";
inline constexpr T kWhyNotJson = "not JSON: ";
inline constexpr T kWhyNotArray = "not a JSON array of records";
inline constexpr T kWhyNotRecord = "not an object with the strings \"name\" and \"serial\"";
inline constexpr T kWhyTooBig = "larger than any catalogue could be";
inline constexpr T kWhyMoreLines = " more lines cannot be added either";
inline constexpr T kWhyMoreRecords = " more records cannot be added either";
inline constexpr T kWhyProblems = "the check found problems";
inline constexpr T kWhyCode = "a record code is 01 to 99, not ";
inline constexpr T kWhyUnknown = "unknown command ";
inline constexpr T kWhyOption = "unrecognized option ";
inline constexpr T kWhyShortOption = "invalid option -- ";
inline constexpr T kWhyValue = "option requires an argument -- ";
inline constexpr T kWhyArguments = "wrong number of arguments";
inline constexpr T kWhyEditWhat = "give --name NAME, --serial SERIAL or both";
inline constexpr T kWhyNotRecorded = "the history was not recorded: ";
inline constexpr T kWhyNoGit = "git is not installed";
inline constexpr T kWhyNoRepository = "no git repository here; start one with 'quorvane git init'";
inline constexpr T kWhyNoRemote = "no such remote; add one with 'quorvane git remote add origin URL'";
inline constexpr T kWhyConflicted = "it holds git's conflict markers, from a pull without the merge driver; "
                                    "run 'quorvane git merge --abort', then 'quorvane sync'";
inline constexpr T kWhyNoBranch = "not on a branch; switch to one with 'quorvane git switch BRANCH'";
inline constexpr T kWhyRebasing = "a rebase is in progress; finish it with 'quorvane git rebase --continue' "
                                  "or drop it with 'quorvane git rebase --abort'";
inline constexpr T kWhyDeleted = "the remote's branch deleted the catalogue; nothing was changed here";
inline constexpr T kWhyOwnName = "a file of this program's own, which a remote never brings; nothing was changed";
inline constexpr T kWhyGitLink = "git keeps it as a symbolic link, which the catalogue never follows in a "
                                 "repository; put the catalogue's file in its place, then run 'quorvane git rm "
                                 "--cached velk.dat' and 'quorvane git add velk.dat'";
inline constexpr T kWhyBothChanged = "changed both here and on the remote; bring the two in line with git, "
                                     "then sync; nothing was changed";
inline constexpr T kWhyMergeWaits = "the merged catalogue stands, and the next sync or change records its merge: ";
inline constexpr T kWhyNotEmpty = "already exists and is not an empty folder";
inline constexpr T kWhyClonedLink = "the remote keeps it as a symbolic link, never a catalogue; nothing was cloned";
inline constexpr T kWhyNoName = "no folder name can be made of it; give the folder after it";
inline constexpr T kClonedEmpty = "; the remote holds no catalogue yet, and the first sync sends this empty one";
inline constexpr T kGitConfig = ".git/config";
inline constexpr T kWhyGone = ", which is gone; run 'quorvane git init' to name this program instead";
inline constexpr T kCloning = "clone: fetching from ";
inline constexpr T kFetching = "sync: fetching from ";
inline constexpr T kPushing = "sync: pushing to ";
inline constexpr T kWaiting = "\xE2\x80\xA6\n";  // an ellipsis
// An encrypted history: "quorvane: sync: origin/main:velk.dat: encrypted, ..."
inline constexpr T kWhySealed = "encrypted, and this folder has no key; give it the key with "
                                "'quorvane key --import FILE' ('quorvane key' prints it where it is)";
inline constexpr T kWhySealedHere = "it holds the catalogue encrypted, as git keeps it (a plain 'git clone' "
                                    "leaves it so); give this folder its key with 'quorvane key --import FILE'";
inline constexpr T kWhySealedClone = "encrypted; clone it with --key FILE ('quorvane key' prints the key where "
                                     "it is); nothing was cloned";
inline constexpr T kWhyNotAuthentic = "does not open with this folder's key: encrypted with another key, or "
                                      "changed since; nothing was changed";
inline constexpr T kWhyWrongKey = "does not open with this key: encrypted with another, or changed since; "
                                  "nothing was cloned";
inline constexpr T kWhyKeyRefused = "does not open with the key given: encrypted with another, or changed "
                                    "since; nothing was changed";
inline constexpr T kWhyMissingKept = "not in the folder, yet git keeps it; 'quorvane git checkout -- velk.dat' "
                                     "brings it back, and nothing was changed";
inline constexpr T kWhyNotKey = "holds no key: a key is the one line 'quorvane key' prints";
inline constexpr T kWhyNotEncrypted = "this folder's history is not encrypted; turn encryption on with "
                                      "'quorvane git init --encrypt'";
inline constexpr T kWhyNothingSealed = "no catalogue here or at the upstream is encrypted; fetch first "
                                       "('quorvane git fetch'), or turn encryption on with 'quorvane git init "
                                       "--encrypt'";
inline constexpr T kWhyFilterProtocol = "git spoke its filter protocol in a way not understood";
// A sync of an encrypted history that would send commits holding serials in
// plain text: "3 commits not yet on the remote hold ...".
inline constexpr T kPlainCommits = " commits not yet on the remote hold serials in plain text, which it would "
                                   "keep; nothing was pushed. ";
inline constexpr T kPlainCommitOne = " commit not yet on the remote holds serials in plain text, which it would "
                                     "keep; nothing was pushed. ";
inline constexpr T kFoldInto = "'quorvane git reset --soft ";
inline constexpr T kFoldedSent = "' folds them into the catalogue as it stands, which the next sync sends "
                                 "encrypted";
inline constexpr T kFoldedSentOne = "' folds it into the catalogue as it stands, which the next sync sends "
                                    "encrypted";
inline constexpr T kAfreshHistory = "'quorvane git update-ref -d HEAD' starts the history afresh from the "
                                    "catalogue as it stands, which the next sync sends encrypted";
inline constexpr T kWhyPlainRemote = "not encrypted; clone it without --key; nothing was cloned";
// After `git init --encrypt`: what stays plain in the history from before.
inline constexpr T kStillPlain = " earlier commits still hold serials in plain text, and so does any remote "
                                 "that has them; only a fresh remote is free of them";
inline constexpr T kStillPlainOne = " earlier commit still holds serials in plain text, and so does any remote "
                                    "that has it; only a fresh remote is free of it";
inline constexpr T kWhyNoRevision = "no such revision, or no velk.dat in it";
inline constexpr T kWhyNotPushed = "what is here stays, and the next sync sends it; the push failed: ";
inline constexpr T kWhyBoth = " records were edited on both sides: both versions are kept";
inline constexpr T kWhyBothOne = " record was edited on both sides: both versions are kept";
inline constexpr T kSyncedBoth = " edited on both machines and kept in both versions";
inline constexpr T kWhyConflictCopy = "a conflict copy of velk.dat; bring it in with 'quorvane merge FILE'";
inline constexpr T kWhyCount = "a count is a number, not ";
inline constexpr T kStdout = "standard output";
inline constexpr T kStdin = "standard input";
inline constexpr T kEnvDir = "QUORVANE_DIR";

}  // namespace qv::cli::text
