// The record selection that the show, the edit and the delete begin with:
// the listing, the code typed and checked against the total, the record
// found by its marker and shown.
#pragma once

#include <memory>

#include "catalog/transaction.h"

namespace qv::menu {

struct Selection {
    enum Outcome { Empty, Rejected, Found, Failed } outcome = Failed;
    int total = 0;  // the total field, decoded
    int code = 0;   // the code typed, decoded
    // The data file listed, which a change must find unchanged.
    std::unique_ptr<Shown> shown = std::make_unique<Shown>();
};

// The edit lists whole records and asks which one to change; the show and
// the delete list title lines only.
enum class Listing { Titles, Records };
Selection selectRecord(Listing listing);

}  // namespace qv::menu
