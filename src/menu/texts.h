// Every text the menu prints, once, named after when it is shown. Trailing
// blanks are part of the texts. The menu's operations are named after their
// lines (kMenuAdd is the add, its dialogue add.cpp); the second column names
// the routine the menu's first description gave each.
#pragma once

#include <string_view>

namespace qv::menu::text {

using T = std::string_view;

// Start-up and menu
inline constexpr T kBanner = "Quorvane (Text Version v1.1.2) for Linux. ";
inline constexpr T kBannerCode = "code:KX-P-1 ";
inline constexpr T kDataLoaded = "Data file loaded successful .... ";
inline constexpr T kDataCreated = "Data file not found , creating a one ... ";
// Where git keeps the catalogue the folder lost, none is started anew.
inline constexpr T kDataKept =
    "The data file is not found , yet git keeps it , nothing has been changed , bring it back "
    "with quorvane git checkout -- velk.dat . ";
inline constexpr T kMenuAdd = "(1)Enter new S/N to DataBase ";            // enternew
inline constexpr T kMenuEdit = "(2)Edit the exist data ";                 // editor
inline constexpr T kMenuDelete = "(3)Delete the exist data ";             // delete
inline constexpr T kMenuLoad = "(4)Load the VELK files ";                 // loader
inline constexpr T kMenuExport = "(5)Save the VELK files as text file ";  // saver
inline constexpr T kMenuShow = "(6)Search S/N in DataBase ";              // search
inline constexpr T kMenuView = "(7)View full data ";                      // allviewer
inline constexpr T kMenuReadme = "(8)View README ";                       // readme
inline constexpr T kMenuCheck = "(9)Check the data file ";                // scan
inline constexpr T kMenuRecover = "(R)VELK Recovery ";                    // loadbackup
inline constexpr T kMenuQuit = "(Q)Quit ";
inline constexpr T kMenuPrompt = "Please enter the code  ";

// Shared by several operations
inline constexpr T kCanceled = "Command canceled,back to menu.... ";
inline constexpr T kDamaged =
    "The data file is damaged , nothing has been changed , please check it (9) or recover it (R) . ";
inline constexpr T kSealed = "The data file holds the catalogue encrypted , as git keeps it , nothing has been "
                             "changed , give this folder its key with quorvane key --import FILE . ";
inline constexpr T kChanged =
    "The data file has been changed by another process meanwhile , nothing has been changed , please try again . ";
inline constexpr T kReserved = "Sorry,can not include these characters : ( ) [ ] * ? #";
inline constexpr T kTooLong = "Sorry,the name or SN is too long (at most 59 characters) .";
inline constexpr T kWaitKey = "Type in any key to continue . ";
inline constexpr T kBackToMenu = "Back to menu.... ";

// Anything that escapes an operation ends the program after this line
inline constexpr T kStopped = "Can not go on : ";
inline constexpr T kOutOfMemory = "out of memory";

// A file that could not be used: "Can not VERB FILE : REASON "
inline constexpr T kCannot = "Can not ";
inline constexpr T kVerbOpen = "open", kVerbCreate = "create", kVerbRead = "read", kVerbWrite = "write",
                   kVerbLock = "lock the directory of", kVerbSync = "sync the directory of", kVerbLoad = "load";
inline constexpr T kWhyNotRegular = "Not a regular file";
inline constexpr T kWhyLinkPlanted = "a symbolic link stands in its place";
inline constexpr T kWhyLockHeld = "another process has held the lock for more than 5 seconds";
inline constexpr T kWhyLinkLoop = "its link was pointed elsewhere again and again";
inline constexpr T kWhyIsData = "this is velk.dat itself";
inline constexpr T kWhyIsBackup = "this is backup.bak itself";
inline constexpr T kWhyIsOwn = "this is one of the program's own files";
inline constexpr T kNotRecorded = "The history was not recorded : ";

// Recovery
inline constexpr T kRecoverAsk = "Do you really want to recovery VELK ? (y/anykey) : ";
inline constexpr T kNoBackup = "the backup file not found !!! ";
inline constexpr T kRecovered = "The backup file loaded successful !!! ";

// Load and export
inline constexpr T kLoadAsk = "Please enter the data filename : ";
inline constexpr T kLoadMissing = "the data file not found !!! ";
inline constexpr T kLoadSelf = "the data file is the same file as velk.dat , nothing has been changed . ";
inline constexpr T kLoaded = "The data file loaded successful !!! ";
inline constexpr T kSaving = "Saving ....";
inline constexpr T kSaved = "save the data file to velk.txt successful !!! ";
inline constexpr T kNoReadme = "README is not found !!!";

// Record selection
inline constexpr T kEmpty = "The Data file was empty ";
inline constexpr T kChooseEdit = "Choose the Data which you wnat to change : ";
inline constexpr T kCodeAsk = "Please enter the code (ex: 04 or 13) ";
inline constexpr T kCodeEcho = "The code you typed : ";
inline constexpr T kWrongCode = "Wrong code , try again . ";

// Add
inline constexpr T kFull = "DataBase is full (99) , please delete some data first .";
inline constexpr T kNameAsk = "Please type in the software's name : ";
inline constexpr T kNameEcho = "The software's name is ";
inline constexpr T kSerialAsk = "Please type in the software's SN : ";
inline constexpr T kSerialEcho = "The software's SN is ";
inline constexpr T kSaveAsk = "Do you want save these data in velk ? (y/anykey) :";
inline constexpr T kAdded = "done! ";

// Edit
inline constexpr T kEditHeading = "(2)Edit the DataBase ";
inline constexpr T kEditNameAsk = "Do you want to change the software's Name ? (y/anykey) : ";
inline constexpr T kEditSerialAsk = "Do you want to change the software's SN ? (y/anykey) : ";
inline constexpr T kStop = "Stop .... ";
inline constexpr T kNewNameAsk = "Please type in the new software's Name : ";
inline constexpr T kNewNameEcho = "The new software's Name is ";
inline constexpr T kNewSerialAsk = "Please type in the new software's SN : ";
inline constexpr T kNewSerialEcho = "The new software's SN is ";
inline constexpr T kEditSaved = "The Data file saved successful !!! ";

// Delete
inline constexpr T kDeleteAsk = "Do you really want to delele this data ? (y/anykey) : ";
inline constexpr T kProcessing = "Processing .... ";
inline constexpr T kRebuilding = "Rebuilding DataBase .... ";
inline constexpr T kDeleted = "Done ! ";

// Check
inline constexpr T kChecking = "Checking the data file .... ";
inline constexpr T kSound = "No any problems have been found in the data file . ";
inline constexpr T kProblems = "There have some problems in the data file . ";

}  // namespace qv::menu::text
