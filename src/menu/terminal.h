// The terminal while a line is edited: libedit holds it in a mode of its
// own, which no signal may leave behind.
#pragma once

namespace qv::menu {

// While one lives, the signals that end or stop the program, and a change
// of the window's size, are caught: the terminal goes back to the modes it
// had when this began, then the signal does what it did before (ends the
// program, stops it); a program continued gets the editor's mode back.
// Signals the user ignores stay ignored.
class CaughtSignals {
public:
    CaughtSignals();
    ~CaughtSignals();
    CaughtSignals(const CaughtSignals&) = delete;
    CaughtSignals& operator=(const CaughtSignals&) = delete;
    // False where the terminal's modes could not be read: nothing is caught.
    bool caught() const { return caught_; }

private:
    bool caught_ = false;
};

// Whether a signal came since last asked after which the line is drawn
// again, or the window's size changed; each cleared as it is told.
bool takeRedraw();
bool takeResize();

}  // namespace qv::menu
