// What an operation of the catalogue reports when it cannot do what was
// asked, and how a change went. The menu and the command line each say it
// in their own words.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "file/error.h"

namespace qv {

struct [[nodiscard]] Fault {
    enum Kind {
        None,
        File,          // a file could not be opened, read, written or locked: io says what
        Damaged,       // the data file does not have the sound layout
        NotSound,      // another catalogue (a merge's side) does not have it either
        Full,          // the data file holds 99 records already
        TooLong,       // a name or serial of more than 59 bytes, an imported line longer than any record's
        NotOneWord,    // a serial holding white space, a name holding a newline
        Empty,         // an empty serial, or an empty name given to a command
        Reserved,      // a name or serial holding one of ( ) [ ] * ? #
        Control,       // a name or serial given to a command holding a control character
        Changed,       // another process changed the data file since it was shown
        NoRecord,      // no record has that code
        NoBackup,      // there is no backup.bak to recover from
        NoSource,      // the file to load is not there
        NotLoadable,   // the file to load is no regular file: io says what
        SelfLoad,      // the file to load is the data file itself
        IsData,        // an export would write onto velk.dat
        IsBackup,      // ... onto backup.bak
        IsOwn,         // ... onto a file of the program's own
        Malformed,     // an imported line that is not NAME<TAB>SERIAL
        NotRecord,     // an imported JSON item that is not a record's object
        NotJson,       // imported JSON that cannot be read: detail says why
        NotArray,      // imported JSON that is not an array
        NotRecorded,   // the history could not record a change: detail says why
        Sealed,        // the file is the catalogue encrypted, and no key is here to open it
        NotAuthentic,  // encrypted catalogue that does not open with the key here: another's, or changed
        NotKey,        // the file given as the key holds none
    } kind = None;
    // TooLong, NotOneWord, Empty, Reserved, Control: the text refused (None:
    // an imported line, too long to be split into its texts).
    enum class Field { None, Name, Serial } field = Field::None;
    IoError io;           // File, NotLoadable: what the file layer said
    std::string file;     // the file involved, where there is one
    std::string detail;   // NotJson: the parser's words; NotRecorded: git's; NotOneWord, Reserved, Control: the byte
    int line = 0;         // an import: the line that cannot be taken
    bool record = false;  // ... counted in records of a JSON array, not in lines
    int code = 0;         // NoRecord: the code no record has
    // TooLong: the text's bytes (an imported line's: at least), and the most it may have.
    std::size_t size = 0, limit = 0;

    Fault() = default;
    // Every failure of the file layer is a fault of the file it names.
    Fault(IoError e) : kind(e ? File : None), io(std::move(e))
    {
        file = io.file;
    }  // NOLINT(google-explicit-constructor)
    explicit operator bool() const { return kind != None; }
};

inline Fault fault(Fault::Kind kind, std::string file = {})
{
    Fault f;
    f.kind = kind;
    f.file = std::move(file);
    return f;
}

// How a change went: not done (fault() says why), done, or done with a
// failure after it (fault() says what; the change stands all the same, so a
// front end tells the success first and this after it). Only the commit of
// the data file itself says "done": a fault on its own never does.
class [[nodiscard]] Outcome {
public:
    enum State { NotDone, Done, DoneThenFailed };
    Outcome(Fault notDone) : fault_(std::move(notDone)) {}           // NOLINT(google-explicit-constructor)
    Outcome(IoError notDone) : fault_(Fault(std::move(notDone))) {}  // NOLINT(google-explicit-constructor)
    // `started`: the change made the data file where there was none.
    static Outcome done(Fault after = {}, bool started = false)
    {
        Outcome o(std::move(after));
        o.state_ = o.fault_ ? DoneThenFailed : Done;
        o.started_ = started;
        return o;
    }
    State state() const { return state_; }
    bool made() const { return state_ != NotDone; }
    bool started() const { return started_; }
    const Fault& fault() const { return fault_; }

private:
    Fault fault_;
    State state_ = NotDone;
    bool started_ = false;
};

}  // namespace qv
