// Every text the program prints, once, named after when it is shown.
// Trailing blanks are part of the texts.
#pragma once

#include <string_view>

namespace qv::msg {

using T = std::string_view;

// Start-up and menu
inline constexpr T kBanner = "Quorvane (Text Version v1.1.2) for Linux. ";
inline constexpr T kBannerCode = "code:KX-P-1 ";
inline constexpr T kDataLoaded = "Data file loaded successful .... ";
inline constexpr T kDataCreated = "Data file not found , creating a one ... ";
inline constexpr T kMenuAdd = "(1)Enter new S/N to DataBase ";
inline constexpr T kMenuEdit = "(2)Edit the exist data ";
inline constexpr T kMenuDelete = "(3)Delete the exist data ";
inline constexpr T kMenuLoad = "(4)Load the VELK files ";
inline constexpr T kMenuExport = "(5)Save the VELK files as text file ";
inline constexpr T kMenuShow = "(6)Search S/N in DataBase ";
inline constexpr T kMenuView = "(7)View full data ";
inline constexpr T kMenuReadme = "(8)View README ";
inline constexpr T kMenuCheck = "(9)Check the data file ";
inline constexpr T kMenuRecover = "(R)VELK Recovery ";
inline constexpr T kMenuQuit = "(Q)Quit ";
inline constexpr T kMenuPrompt = "Please enter the code  ";

// Shared by several operations
inline constexpr T kCanceled = "Command canceled,back to menu.... ";
inline constexpr T kDamaged =
    "The data file is damaged , nothing has been changed , please check it (9) or recover it (R) . ";
inline constexpr T kChanged =
    "The data file has been changed by another process meanwhile , nothing has been changed , please try again . ";
inline constexpr T kReserved = "Sorry,can not include these characters : ( ) [ ] * ? #";
inline constexpr T kTooLong = "Sorry,the name or SN is too long (at most 59 characters) .";
inline constexpr T kWaitKey = "Type in any key to continue . ";
inline constexpr T kBackToMenu = "Back to menu.... ";

// Anything that escapes an operation ends the program after this line
inline constexpr T kStopped = "Can not go on : ";
inline constexpr T kOutOfMemory = "out of memory";

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

// Command line: the usage, and the reasons given on standard error after
// "quorvane: COMMAND: FILE: "
inline constexpr T kVersion = "quorvane 1.1.2\n"
                              "Copyright (C) 2026 The Quorvane developers.\n"
                              "License MIT: <https://opensource.org/license/mit>.\n"
                              "This is free software: you are free to change and redistribute it.\n"
                              "There is NO WARRANTY, to the extent permitted by law.";
inline constexpr T kUsage = "Usage: quorvane [-C DIR] [COMMAND [ARGUMENTS]]\n"
                            "Keeps a catalogue of software titles and serial numbers in velk.dat, with a\n"
                            "backup in backup.bak, in $QUORVANE_DIR or else in the current directory.\n"
                            "Without a COMMAND it shows its menu.\n"
                            "\n";
inline constexpr T kUsageEnd = "\n"
                               "  -C, --directory=DIR  work in DIR, whatever $QUORVANE_DIR says\n"
                               "  -h, --help           show this help; 'help COMMAND' shows a command's\n"
                               "  -V, --version        show the version and the licence\n"
                               "Exit status: 0 done, 1 refused or failed, 2 usage error. See quorvane(1).\n";
inline constexpr T kTryHelp = "Try 'quorvane --help' for more information.";
inline constexpr T kDidYouMean = "Did you mean '";
inline constexpr T kWhyDamaged = "the data file is damaged; see 'quorvane check', or 'quorvane recover'";
inline constexpr T kWhyFull = "the data file would hold more than 99 records";
inline constexpr T kWhyTooLong = "a name or serial holds more than 59 bytes";
inline constexpr T kWhyNotOneWord = "a serial is one word and a name one line";
inline constexpr T kWhyReserved = "a name or serial holds one of ( ) [ ] * ? #";
inline constexpr T kWhyControl = "a name or serial holds a control character";
inline constexpr T kWhyChanged = "another process changed the data file meanwhile";
inline constexpr T kWhyNoRecord = "no record has the code ";
inline constexpr T kWhyTwice = "the code is given twice: ";
inline constexpr T kWhyNoBackup = "there is no backup yet";
inline constexpr T kWhyNoSource = "No such file or directory";
inline constexpr T kWhyLate = "done, but its directory could not be synced: ";
inline constexpr T kWhyIsData = "this is velk.dat itself";
inline constexpr T kWhyIsBackup = "this is backup.bak itself";
inline constexpr T kWhyIsOwn = "this is one of the program's own files";
inline constexpr T kWhyNotRegular = "Not a regular file";
inline constexpr T kWhyLockHeld = "another process has held the lock for more than ";
inline constexpr T kWhyLinkPlanted = "a symbolic link stands in its place";
inline constexpr T kWhyCannot = "cannot ";
inline constexpr T kWhyMalformed = "not a line NAME<TAB>SERIAL";
inline constexpr T kWhyNotJson = "not JSON: ";
inline constexpr T kWhyNotArray = "not a JSON array of records";
inline constexpr T kWhyNotRecord = "not an object with the strings \"name\" and \"serial\"";
inline constexpr T kWhyTooBig = "larger than any catalogue could be";
inline constexpr T kWhyMoreLines = " more lines cannot be added either";
inline constexpr T kWhyMoreRecords = " more records cannot be added either";
inline constexpr T kWhyProblems = "the check found problems";
inline constexpr T kWhyCode = "a record code is 01 to 99, not ";
inline constexpr T kWhyUnknown = "unknown command ";
inline constexpr T kWhyOption = "unrecognized option ";
inline constexpr T kWhyShortOption = "invalid option -- ";
inline constexpr T kWhyValue = "option requires an argument -- ";
inline constexpr T kWhyArguments = "wrong number of arguments";
inline constexpr T kWhyEditWhat = "give --name NAME, --serial SERIAL or both";
inline constexpr T kStdout = "standard output";
inline constexpr T kStdin = "standard input";
inline constexpr T kEnvDir = "QUORVANE_DIR";

}  // namespace qv::msg
