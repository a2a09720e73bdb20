// What an operation reports when it cannot do what was asked. The menu and
// the command line each say it in their own words.
#pragma once

#include <string>
#include <string_view>

namespace qv {

struct Fault {
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
    std::string dir;      // File: the directory that could not be written in,
                          // where the file was the program's own
    // The change is done and stays done; this went wrong after it, so the
    // success is told first and this after it, never instead of it.
    bool late = false;

    explicit operator bool() const { return kind != None; }
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
