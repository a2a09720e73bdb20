// The record selection that the show, the edit and the delete begin with:
// the listing, the code typed and checked against the total, the record
// found by its marker and shown.
#pragma once

#include <memory>

#include "catalog/transaction.h"

namespace qv {

struct Selection {
    enum Outcome { Empty, Rejected, Found, Failed } outcome = Failed;
    char N = 0, N2 = 0;                                        // total field as read
    int PO = 0;                                                // total, decoded
    char SC1 = 0, SC2 = 0;                                     // typed code
    int PO_2 = 0;                                              // typed code, decoded
    long Seeker = 0;                                           // offset of the units digit of the record's code
    std::unique_ptr<Shown> shown = std::make_unique<Shown>();  // the data file listed
};

// The edit lists whole records and asks which one to change; the show and
// the delete list title lines only.
enum class Listing { Titles, Records };
Selection selectrecord(Listing listing);

}  // namespace qv
