#include "cli/output.h"

#include <cerrno>
#include <cstdio>
#include <new>

#include "cli/texts.h"

namespace qv::cli {

namespace {

int outErr = 0;  // the first error writing standard output, for the whole run

void note(bool written)
{
    if (!written && outErr == 0)
        outErr = errno ? errno : EIO;
}

}  // namespace

void print(std::string_view text) { note(std::fwrite(text.data(), 1, text.size(), stdout) == text.size()); }

void flushOutput() { note(std::fflush(stdout) == 0); }

int outputError() { return outErr; }

std::string whatWentWrong(const std::exception& e)
{
    return dynamic_cast<const std::bad_alloc*>(&e) ? std::string(text::kOutOfMemory) : e.what();
}

}  // namespace qv::cli
