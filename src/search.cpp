// Showing one record by its code.
#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

int search()
{
    printLine(msg::kMenuShow);
    selectrecord(Listing::Titles);
    return 1;
}

}  // namespace qv
