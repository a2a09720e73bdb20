// The line editor: at a terminal, each line of input is read through
// libedit, so that the user can move in it, edit it and call back the lines
// typed before in this run. libedit is loaded only then: a menu fed by a
// pipe or a file, and every command, runs without it.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace qv::menu {

// A typed line keeps at most this many characters, as a terminal's own line
// does; what is typed or pasted beyond them is dropped.
inline constexpr std::size_t kLineMost = 4095;

class LineEditor {
public:
    // The editor of standard input where standard input and output are both
    // terminals and libedit can be loaded; none otherwise.
    static std::unique_ptr<LineEditor> start();
    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // Prints `prompt` at the start of the screen's line and reads one line
    // after it, its newline included; empty at the end of input. The text
    // stays valid until the next read.
    std::string_view read(std::string_view prompt);

    struct Impl;

private:
    explicit LineEditor(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace qv::menu
