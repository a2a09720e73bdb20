// The catalogue's history and its sync, through the git program in the
// catalogue's folder: every change recorded as a commit of velk.dat alone,
// the log, a restore, and the sync with a remote that merges record by
// record and writes velk.dat only through the catalogue's own commit step.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/cipher.h"
#include "catalog/fault.h"
#include "catalog/layout.h"

namespace qv::history {

// Why a git operation could not be done, beyond the catalogue's faults.
enum class Refusal {
    None,
    NoGit,
    NoRepository,
    NoRemote,
    Conflicted,
    NoRevision,
    NoBranch,
    Git,
    Pushed,
    Rebasing,      // a rebase is in progress
    Unfinished,    // a merge that is not the program's own is in progress
    Deleted,       // the remote's branch deleted velk.dat: detail names it
    OwnName,       // the remote's tree holds one of the program's own names: detail
    GitLink,       // velk.dat is kept by git as a symbolic link: detail names where
    Linked,        // velk.dat here is a symbolic link, which git would keep as one
    BothChanged,   // a file beside velk.dat was changed on both sides: detail
    NotEmpty,      // the folder to clone into holds something already: detail
    NoName,        // no folder name can be made of the URL: detail
    NotEncrypted,  // the history is not encrypted: there is no key to give or to check
    PlainRemote,   // a key was given for a remote whose catalogue is not encrypted: detail
    PlainCommits,  // an encrypted history's commits the remote lacks hold serials in plain
                   // text (Synced::plain of them): detail names the remote's branch, if any
};
struct Refused {
    Refusal why = Refusal::None;
    std::string detail;  // git's own words, the revision, or the file
    Fault fault;         // the catalogue's, where it refused
    explicit operator bool() const { return why != Refusal::None || bool(fault); }
};

// Whether the catalogue's folder holds a git repository: history is on
// where it does and tracks velk.dat.
bool inRepository();
// Whether git keeps velk.dat as a symbolic link (a link another machine
// committed): the program never reads or writes through such a link.
bool keptAsLink();
// Whether velk.dat is gone from the folder while git keeps it (a checkout
// that failed halfway removes it): a new catalogue started in its place
// would go out as every record removed.
bool missingButKept();
// Records every change of the run as a commit of velk.dat alone, where
// history is on; chosen at the start of a run that may change the catalogue.
Recorder& recorder();
// The commit message of a change: what it did, the codes and the names,
// never a serial.
std::string messageOf(const Done& done);

// `git ARGS...` in the catalogue's folder, with git's own output and status;
// after `git init`, the folder is set up for the catalogue (setUp), and
// after `git init --encrypt` its history encrypted (encryptHistory, which
// tells `plain`).
int runGitCommand(std::vector<std::string> args, Refused& refused, int& plain);
// The folder's .gitignore and .gitattributes, where missing; the merge
// driver and the diff's textconv in the repository's config, repaired
// every time; a first commit where there is none.
Refused setUp();

struct Entry {
    std::string commit, date, message;
};
Refused log(int count, std::vector<Entry>& entries);
// Makes the catalogue what it was at `revision`, through the commit step.
Outcome restore(const std::string& revision, Refused& refused);

struct Synced {
    std::string remote;
    int added = 0, removed = 0, both = 0;
    std::vector<Record> versions;  // the records kept in both versions, as coded here
    bool merged = false;           // the catalogue changed
    bool pushed = false;           // something went out
    int plain = 0;                 // PlainCommits: how many
    Fault after;                   // what went wrong once the catalogue had changed
    std::string waits;             // why git could not record the merge, which then
                                   // waits for the next sync or change
    // Told before the network is waited for: fetching, or pushing.
    std::function<void(bool pushing)> waiting;
};
// Brings the catalogue in line with the branch's upstream (or origin).
Refused sync(Synced& synced);

struct Cloned {
    std::string dir;                   // the folder: as given, or else named as git clone names it
    const cipher::Key* key = nullptr;  // the remote's key, for an encrypted catalogue
    int records = 0;
    bool started = false;  // the remote held no catalogue: an empty one was started
    // Told before the network is waited for.
    std::function<void()> waiting;
};
// Clones the remote `url` into a new (or empty) folder, private from the
// start (0700 folders, 0600 files), sets it up as `git init` does, and
// checks that the catalogue is sound and that nothing of the program's own
// comes with it; what it refuses leaves nothing of what it made.
Refused clone(const std::string& url, Cloned& cloned);

// Turns encryption on, after `git init --encrypt`: a new key (or the one
// there), the filter in the attributes and the config, and velk.dat sealed
// in a commit of its own where the history holds it plain. `plain`
// receives how many commits before still hold serials in plain text:
// history is never rewritten.
Refused encryptHistory(int& plain);
// The folder's key as one line of text.
Refused keyText(std::string& text);
// Takes `key` as the folder's, once it opens the newest velk.dat here
// and at the upstream; velk.dat made the plain catalogue where a plain
// `git clone` left it sealed. Where the branch here keeps velk.dat plain
// (commits made before the key came), it is sealed in a commit of its own,
// as at `git init --encrypt`, and `plain` tells how many commits before
// still hold serials in plain text.
Refused importKey(const cipher::Key& key, int& plain);

// The keys of the repository's config that run a program that is gone (a
// build folder's program, moved), and that program.
struct Gone {
    std::vector<std::string> keys;
    std::string program;
};
Gone programGone();

}  // namespace qv::history
