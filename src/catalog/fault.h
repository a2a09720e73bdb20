// What an operation reports when it cannot do what was asked. The menu and
// the command line each say it in their own words.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace qv {

struct [[nodiscard]] Fault {
    enum Kind {
        None,
        File,        // a file could not be opened, read, written or locked
        Damaged,     // the data file does not have the sound layout
        Full,        // the data file holds 99 records already
        TooLong,     // a name or serial of more than 59 bytes
        NotOneWord,  // a serial that is empty or holds white space, a name holding a newline
        Reserved,    // a name or serial holding one of ( ) [ ] * ? #
        Control,     // a name or serial given to a command holding a control character
        Changed,     // another process changed the data file since it was shown
        NoRecord,    // no record has that code
        NoBackup,    // there is no backup.bak to recover from
        NoSource,    // the file to load is not there
        SelfLoad,    // the file to load is the data file itself
        Malformed,   // an imported line that is not NAME<TAB>SERIAL
        NotRecord,   // an imported JSON item that is not a record's object
    } kind = None;
    std::string verb;     // File: what could not be done ("open", "write", ...)
    std::string file;     // the file involved, where there is one
    std::string reason;   // File: the system's reason
    int err = 0;          // File: the system's error number, where there is one
    int line = 0;         // an import: the line that cannot be taken
    bool record = false;  // ... counted in records of a JSON array, not in lines
    int code = 0;         // NoRecord: the code no record has
    std::string dir;      // File: the directory that refused, where it was the
    std::string dirVerb;  // directory and not the file; "read", "read in" or "write in"

    explicit operator bool() const { return kind != None; }
};

// How a change of one file went: not done (fault() says why), done, or done
// with a failure after it (fault() says what; the file is the new one all
// the same, so a front end tells the success first and this after it). Only
// the commit of that very file says "done": a fault on its own never does,
// and an outcome is not a fault, so that what went wrong after another
// file's change (a backup's) cannot pass for this one's.
class [[nodiscard]] Outcome {
public:
    // Every fault is a change not done.
    Outcome(Fault notDone) : fault_(std::move(notDone)) {}  // NOLINT(google-explicit-constructor)
    static Outcome done(Fault after = {})
    {
        Outcome o(std::move(after));
        o.made_ = true;
        return o;
    }
    bool made() const { return made_; }
    // Done, and nothing went wrong after it.
    bool clean() const { return made_ && !fault_; }
    const Fault& fault() const { return fault_; }

private:
    Fault fault_;
    bool made_ = false;
};

Fault fileFault(std::string verb, std::string file, int err);
Fault fileFault(std::string verb, std::string file, std::string_view reason);
inline Fault fault(Fault::Kind kind, std::string file = {})
{
    Fault f;
    f.kind = kind;
    f.file = std::move(file);
    return f;
}

}  // namespace qv
