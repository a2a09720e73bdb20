// The command line's commands: their names, what they take, their help.
#include "cli/commands.h"
#include "cli/usage.h"

namespace qv::cli {

namespace {

const Command kCommands[] = {
    {"list", "list [--json]", "every record: code TAB name TAB serial", listCommand, 0, 0, false, Json,
     "      --json  one JSON array of objects instead\n"},
    {"show", "show [--json] CODE", "one record", showCommand, 1, 1, false, Codes | Json,
     "      --json  its JSON object instead\n"},
    {"find", "find [--json] TEXT", "records holding TEXT, in any case", findCommand, 1, 1, false, Json,
     "      --json  one JSON array of objects instead\nStatus 1 when no record holds TEXT.\n"},
    {"add", "add NAME SERIAL", "add a record; prints its code", addCommand, 2, 2, true},
    {"edit", "edit CODE [--name=N] [--serial=S]", "change a record's name, serial or both", editCommand, 1, 1, true,
     Codes | Fields, "  -n, --name=NAME      the new name\n  -s, --serial=SERIAL  the new serial\n"},
    {"delete", "delete [-v] CODE...", "remove records; the rest move up", deleteCommand, 1, -1, true, Codes | Verbose,
     "  -v, --verbose  print each removed record: code TAB name\n"
     "The codes are those 'list' shows before the call; all go in one change.\n"
     "The records behind a removed one move up a code: give every code of one\n"
     "listing in one call ('delete 02 04'), never a call for each.\n"},
    {"check", "check", "count what the data file check counts", checkCommand, 0, 0, false},
    {"export", "export [FILE]", "copy velk.dat to FILE (velk.txt)", exportCommand, 0, 1, false, Files | Stdio,
     "FILE - is standard output; without FILE, velk.txt beside velk.dat.\n"
     "The copy replaces FILE whole, or leaves it be.\n"},
    {"load", "load FILE", "replace velk.dat with a copy of FILE", loadCommand, 1, 1, true, Files},
    {"recover", "recover", "bring back velk.dat from backup.bak", recoverCommand, 0, 0, true},
    {"import", "import [--json] FILE", "add the records in FILE (- is stdin)", importCommand, 1, 1, true,
     Json | Files | Stdio,
     "      --json  FILE holds the array that 'list --json' prints\n"
     "Otherwise a line a record, NAME<TAB>SERIAL: the serial follows the last tab;\n"
     "CR LF line ends and blank lines are fine.\n"
     "Either every record is added or none is. To copy a catalogue, use --json:\n"
     "'list' escapes what its lines hold, and the lines here are taken as they stand.\n"},
    {"git", "git ARGS...", "run git in the catalogue's folder", gitCommand, 0, -1, false, Raw,
     "'git init' also sets the folder up: .gitignore, .gitattributes, the merge\n"
     "driver and the diff's textconv, pull.rebase=false, and a first commit; it\n"
     "repairs them when run again. 'git init --encrypt' also makes a key, and from\n"
     "then on git keeps velk.dat encrypted: a remote sees no serial and no name.\n"
     "See HISTORY AND SYNC in quorvane(1).\n"},
    {"clone", "clone [--key=FILE] URL [DIR]", "clone a remote catalogue into a new folder", cloneCommand, 1, 2, false,
     Here | Key,
     "      --key=FILE  the key of an encrypted catalogue, as 'quorvane key' prints\n"
     "                  it on a machine that has it; FILE - is standard input\n"
     "DIR, a new or an empty folder, is named as git clone names it where it is not\n"
     "given; it is made where quorvane is started (or in -C's DIR), never in\n"
     "$QUORVANE_DIR. Its files are private (0600, folders 0700) whatever the umask.\n"
     "It is set up as 'git init' sets a folder up. A remote whose catalogue is not\n"
     "sound, or that holds a file of this program's own, is refused, and nothing of\n"
     "the clone is left. An empty remote gives an empty catalogue for sync to send.\n"
     "An encrypted catalogue needs its key, checked before anything is written.\n"},
    {"key", "key [--import=FILE]", "print this folder's key, or take one", keyCommand, 0, 0, false, Import,
     "      --import=FILE  take the key in FILE (- is standard input) as this\n"
     "                     folder's, once it opens the newest catalogue here\n"
     "The key is the only way into an encrypted history: move it to another\n"
     "machine as a password is moved, and keep a copy. Where a plain 'git clone'\n"
     "left velk.dat encrypted, --import makes it the catalogue again.\n"},
    {"sync", "sync [--json]", "merge records with the remote; push", syncCommand, 0, 0, true, Json,
     "Fetches the branch's upstream (or origin), merges its records with these,\n"
     "writes velk.dat like any change (recover undoes it), commits and pushes.\n"
     "Serials and names go to the remote in plain text unless the history is\n"
     "encrypted ('quorvane git init --encrypt').\n"},
    {"log", "log [-n N] [--json]", "the recorded changes of velk.dat", logCommand, 0, 0, false, Count | Json},
    {"restore", "restore REV", "make the catalogue what it was at REV", restoreCommand, 1, 1, true},
    {"merge", "merge [--base=BASE] OTHER", "merge the catalogue OTHER into this one", mergeCommand, 1, 1, true,
     Base | Files,
     "Without --base the merge is a union. A way back from a synced folder's\n"
     "conflict copies.\n"},
    {"merge-driver", "merge-driver BASE OURS THEIRS", "git's merge of velk.dat, into OURS", mergeDriverCommand, 3, 3,
     false, ForGit | Files},
    {"textconv", "textconv FILE", "the records of FILE as lines, for git diff", textconvCommand, 1, 1, false,
     ForGit | Files},
    {"encrypt", "encrypt", "git's filter: velk.dat on stdin, encrypted", encryptCommand, 0, 0, false, ForGit},
    {"decrypt", "decrypt", "git's filter: velk.dat on stdin, decrypted", decryptCommand, 0, 0, false, ForGit},
    {"filter-process", "filter-process", "git's filter for a whole git command, by its protocol", filterCommand, 0, 0,
     false, ForGit},
    {"help", "help [COMMAND]", "this help, or a command's", nullptr, 0, 1, false},
};

}  // namespace

std::span<const Command> commands() { return kCommands; }

}  // namespace qv::cli
