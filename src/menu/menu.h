// The menu front end: the banner, the data file bootstrap and the menu loop.
#pragma once

namespace qv::menu {

// Runs the menu until the user quits or the input ends; the exit status.
int run();

}  // namespace qv::menu
