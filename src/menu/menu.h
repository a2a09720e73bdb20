// The menu front end: the banner, the data file bootstrap and the menu loop.
#pragma once

namespace qv {

// Runs the menu until the user quits or the input ends; the exit status.
int runMenu();

}  // namespace qv
