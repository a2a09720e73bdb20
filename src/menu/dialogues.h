// The menu's operations, one dialogue each, in menu order. Each runs its
// whole dialogue, asks the catalogue for everything it reads or changes, and
// returns to the menu, which ignores the result.
#pragma once

namespace qv::menu {

int addDialogue();      // 1
int editDialogue();     // 2
int deleteDialogue();   // 3
int loadDialogue();     // 4
int exportDialogue();   // 5
int showDialogue();     // 6
int viewDialogue();     // 7
int readmeDialogue();   // 8
int checkDialogue();    // 9
int recoverDialogue();  // R

}  // namespace qv::menu
