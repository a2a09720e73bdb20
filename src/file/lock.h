// The lock that keeps two processes from changing the catalogue at once, and
// the stop signals held while a change is made.
#pragma once

#include <string>

#include "file/error.h"
#include "file/path.h"

namespace qv {

inline constexpr int kLockWaitMs = 5000;
// The file the lock is taken on where the directory itself cannot be locked
// (NFS, which locks only what is open for writing); it lasts as long as the
// change.
inline constexpr const char* kLockFile = ".quorvane.lock";

// While one of these lives, SIGINT, SIGTERM and SIGHUP wait, so that what is
// in the making completes or is dropped before the program ends as the
// signal asks; a signal that came meanwhile ends it at the end. Outside,
// they end the program at once, as if nobody caught them.
class HeldSignals {
public:
    HeldSignals();
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;
    ~HeldSignals();
    // Whether a stop signal came while they were held.
    static bool stopped();
};
// Catches the stop signals for HeldSignals, once for the whole run; a
// program that will change files calls it at its start. A signal ignored
// when the program started stays ignored.
void catchStopSignals();

// The exclusive lock of the directory that really holds `name`, taken by an
// flock on the directory itself and waited for at most kLockWaitMs: nothing
// in the directory can be replaced behind the lock's back, and taking it
// creates no file. Where the directory refuses it (EBADF: NFS), the flock is
// taken on kLockFile in it instead, made for the change and removed at its
// end. While it is held the stop signals wait. A lock taken
// while this process already holds it costs nothing; no input is ever read
// while it is held.
class Lock {
public:
    explicit Lock(const std::string& name);
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock();
    const IoError& failure() const { return failure_; }
    // Where `name` leads, and its status, as looked at under the lock.
    const Place& place() const { return place_; }

private:
    IoError failure_;
    Place place_;
    bool held_ = false;
};

}  // namespace qv
