// Removing records: the records behind them move up and take the codes that
// follow, so the codes stay 01..N without a gap.
#include <algorithm>

#include "catalog/catalog.h"
#include "catalog/trace.h"
#include "catalog/transaction.h"

namespace qv {

Outcome deleteRecords(const std::vector<int>& codes, Shown* shown, Trace* trace,
                      const std::function<void(Stage)>& stage, std::vector<Record>* removed)
{
    Transaction change;
    if (Fault f = change.readSound(shown, true))
        return f;
    const int total = change.total();
    for (int code : codes)
        if (code < 1 || code > total) {
            Fault f = fault(Fault::NoRecord, kDataFile);
            f.code = code;
            return f;
        }
    if (codes.empty())
        return Outcome::done();
    if (stage)
        stage(Stage::Processing);
    // Record k runs from its marker up to the next record's marker; the
    // last one to the end of the file.
    File& data = change.data();
    std::vector<long> starts{0};
    for (int code = 1; code <= total; ++code)
        starts.push_back(findMarker(data, code, code == 1 ? 0 : starts.back() + 1));
    starts.push_back(-1);
    Done done(Done::Delete);
    done.codes = codes;
    for (int code : codes)
        done.names.push_back(nameAt(data, starts[static_cast<std::size_t>(code)]));
    File* out = change.write();
    if (!out)
        return change.fault();
    // The menu's users find the head in front of the removed record, up to
    // the newline before its marker, in velk2.dat.
    Fault f = trace ? trace->piece(data, 0, starts[static_cast<std::size_t>(codes.front())] - 1) : Fault{};
    if (!f && trace)
        f = trace->begin();
    if (!f && stage)
        stage(Stage::Rebuilding);
    // The header with the new total, then what lies between the removed
    // records, in as few pieces as there are; then the records behind the
    // first removed one take their new codes, written over the old ones.
    const int after = total - static_cast<int>(codes.size());
    if (!f)
        f = put(*out, headerLine(after) + "\n");
    for (std::size_t i = 0; !f && i <= codes.size(); ++i) {
        const int from = i == 0 ? 1 : codes[i - 1] + 1, to = i < codes.size() ? codes[i] : total + 1;
        if (from < to)
            f = copyRange(data, starts[static_cast<std::size_t>(from)], starts[static_cast<std::size_t>(to)], *out);
    }
    // A code is two digits here (at most 99 records): written as they are,
    // the file's failure looked at once, after the last.
    long shift = 0;  // the bytes removed in front of the record at hand
    bool written = !f;
    for (int code = codes.front(), next = codes.front(); written && code <= total; ++code) {
        const long start = starts[static_cast<std::size_t>(code)];
        if (std::binary_search(codes.begin(), codes.end(), code)) {
            shift += code < total ? starts[static_cast<std::size_t>(code) + 1] - start : 0;
            continue;
        }
        out->seek(start - shift + 1);
        const char digits[] = {static_cast<char>('0' + next / 10), static_cast<char>('0' + next % 10)};
        written = out->write({digits, 2});
        ++next;
    }
    if (!f && !written)
        f = out->failure();
    if (!f && trace)
        f = trace->rebuilt(*out);
    if (f)
        return f;
    if (removed)
        for (std::size_t i = 0; i < codes.size(); ++i)
            removed->push_back({codes[i], done.names[i], {}});
    return change.commit(kBackupFile, after, false, &done);
}

}  // namespace qv
