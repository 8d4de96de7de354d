#pragma once
// Names for the language file's entries that the program's code uses: each names its
// [Section] and number once, so that code says what it shows (keys::kWriteVerified), not
// where the text lies ("Backup", 19). The texts themselves and their built-in English
// are in the language table (LanguageTable.cpp). Entries that only caption a control are
// applied from that table by the control's name and need no name here.

struct TextKey {
    const char* section = nullptr;
    int key = 0;
    // A TextKey left at its default names no entry (an outcome with nothing to say).
    constexpr bool IsSet() const { return section != nullptr; }
};

namespace keys {

// [Info]: the program's name and where its maker is reached.
inline constexpr const char* kInfoSection = "Info";
inline constexpr TextKey kProgramName{kInfoSection, 1}; // the window title's name
inline constexpr TextKey kMailAddress{kInfoSection, 10};
inline constexpr TextKey kMailSubject{kInfoSection, 11};
inline constexpr TextKey kWebAddress{kInfoSection, 14};

// [Menu]: texts the window sets itself, beside the captions the table applies.
inline constexpr const char* kMenuSection = "Menu";
inline constexpr TextKey kFilePanel{kMenuSection, 28};   // status line: "File: <name>"
inline constexpr TextKey kResetsPanel{kMenuSection, 29}; // status line: "Reset: <count>"
inline constexpr TextKey kLocalPanel{kMenuSection, 30};  // status line: local operation
inline constexpr TextKey kLogOn{kMenuSection, 45};       // the log switch while logging
inline constexpr TextKey kLogOff{kMenuSection, 46};      // ... and while not
// The file name of the key program beside NorvaSet, which the Kodrix item starts.
inline constexpr TextKey kKeyProgramFile{kMenuSection, 47};

// [Tree]: entries of the navigation tree that the model template names itself.
inline constexpr const char* kTreeSection = "Tree";
inline constexpr TextKey kRelayEntry{kTreeSection, 5};         // "Relay", then " 2"
inline constexpr TextKey kExternalCodesEntry{kTreeSection, 6}; // "External codes", then " 2"
inline constexpr TextKey kButtonsEntry{kTreeSection, 13};      // "Buttons", then the range

// [Labels]: the label windows' reports.
inline constexpr const char* kLabelsSection = "Labels";
// %1 the picture, %2 x %3 its size in pixels.
inline constexpr TextKey kPictureTooLarge{kLabelsSection, 19};
inline constexpr TextKey kPictureNotBmp{kLabelsSection, 20}; // %1 the picture
inline constexpr TextKey kPicturesLeftOut{kLabelsSection, 21};
inline constexpr TextKey kLabelsNotPrinted{kLabelsSection, 22};
// %1 the label file, %2 the characters a field shows.
inline constexpr TextKey kLabelTextsTooLong{kLabelsSection, 23};

// [Firmware]: the upgrade's endings and what is wrong with a HEX file.
inline constexpr const char* kFirmwareSection = "Firmware";
inline constexpr TextKey kUpgradeError{kFirmwareSection, 6};
inline constexpr TextKey kHexLine{kFirmwareSection, 7}; // "Line", before the line's number
inline constexpr TextKey kHexNotARecord{kFirmwareSection, 8};
inline constexpr TextKey kHexLengthMismatch{kFirmwareSection, 9};
inline constexpr TextKey kHexBadChecksum{kFirmwareSection, 10};
inline constexpr TextKey kHexBadRecordType{kFirmwareSection, 11};
inline constexpr TextKey kHexOddAddress{kFirmwareSection, 12};
inline constexpr TextKey kHexOddCount{kFirmwareSection, 13};
inline constexpr TextKey kHexTooLong{kFirmwareSection, 14};
inline constexpr TextKey kHexAfterEnd{kFirmwareSection, 15};
inline constexpr TextKey kHexNoEndRecord{kFirmwareSection, 16};
inline constexpr TextKey kHexPastProgramEnd{kFirmwareSection, 17};
inline constexpr TextKey kHexUnreadable{kFirmwareSection, 20};
inline constexpr TextKey kUpgradeNotConnected{kFirmwareSection, 21};
inline constexpr TextKey kFirmwareLogNotWritten{kFirmwareSection, 22};
inline constexpr TextKey kHexWordTwice{kFirmwareSection, 23};
inline constexpr TextKey kHexNoProgram{kFirmwareSection, 24};

// [Message]: message boxes, file dialogs, the engine's errors and the field checks.
inline constexpr const char* kMessageSection = "Message";
// Settings files.
inline constexpr TextKey kOpenSettingsTitle{kMessageSection, 1};
inline constexpr TextKey kSettingsFileType{kMessageSection, 2}; // the file dialogs' filter
inline constexpr TextKey kFileNotSelected{kMessageSection, 3};  // the open dialog gave none
inline constexpr TextKey kNotANorvaSetFile{kMessageSection, 4};
inline constexpr TextKey kSaveSettingsTitle{kMessageSection, 5};
inline constexpr TextKey kReplaceFile{kMessageSection, 6};
inline constexpr TextKey kFileExists{kMessageSection, 7}; // the caption of kReplaceFile
// A file name given that is no file's ("Nebyl vybrán žádný soubor" is its built-in text).
inline constexpr TextKey kNoFileSelected{kMessageSection, 21};
inline constexpr TextKey kNotSettingsForNorva{kMessageSection, 22};
// The engine: a record refused again and again, no answer in time, an "E" answer.
inline constexpr TextKey kNumbersNotExchanged{kMessageSection, 8};
inline constexpr TextKey kNoAnswer{kMessageSection, 9};
inline constexpr TextKey kRefused{kMessageSection, 53};
// The question before a parameter write while the button count shows, and its caption.
inline constexpr TextKey kButtonCountQuestion{kMessageSection, 59};
inline constexpr TextKey kButtonCountCaption{kMessageSection, 60};
// The day/night table's copy and delete.
inline constexpr TextKey kReplaceTimes{kMessageSection, 10};
inline constexpr TextKey kDay{kMessageSection, 11};
inline constexpr TextKey kNight{kMessageSection, 12};
inline constexpr TextKey kReplaceCaption{kMessageSection, 13};
inline constexpr TextKey kClearTimesQuestion{kMessageSection, 14};
inline constexpr TextKey kClearTimesCaption{kMessageSection, 15};
// The field checks: a text refused on leaving its field, and its caption.
inline constexpr TextKey kCodeLength{kMessageSection, 16};
inline constexpr TextKey kInputFormat{kMessageSection, 17};
inline constexpr TextKey kPasswordLength{kMessageSection, 18};
inline constexpr TextKey kPasswordCaption{kMessageSection, 19};
inline constexpr TextKey kExternalCodeLength{kMessageSection, 20};
inline constexpr TextKey kButtonNumbering{kMessageSection, 55};
inline constexpr TextKey kNoThreeButtons{kMessageSection, 61}; // the first line ...
inline constexpr TextKey kOnlyOneTwoFour{kMessageSection, 62}; // ... and the second
// The printout's document name and the program name in its title.
inline constexpr TextKey kPrintDocumentName{kMessageSection, 23};
inline constexpr TextKey kPrintProgramName{kMessageSection, 24};
// The firmware upgrade.
inline constexpr TextKey kHexFileTitle{kMessageSection, 25};
inline constexpr TextKey kHexFileType{kMessageSection, 26};
inline constexpr TextKey kHexFileRefused{kMessageSection, 27};
inline constexpr TextKey kUpgradeDone{kMessageSection, 28};
inline constexpr TextKey kUpgradeDoorPhone{kMessageSection, 29}; // the window's device label
inline constexpr TextKey kUpgradeTimeout{kMessageSection, 30};
inline constexpr TextKey kUpgradeCaption{kMessageSection, 31};
inline constexpr TextKey kUpgradeTakesTime{kMessageSection, 32};
inline constexpr TextKey kUpgradeKeepConnected{kMessageSection, 33};
inline constexpr TextKey kUpgradeKeepPowered{kMessageSection, 34};
inline constexpr TextKey kUpgradeConfirm{kMessageSection, 35};
inline constexpr TextKey kLogSend{kMessageSection, 36};    // the firmware log's columns
inline constexpr TextKey kLogReceive{kMessageSection, 37}; // ...
inline constexpr TextKey kUpgradeLostConnection{kMessageSection, 38};
inline constexpr TextKey kUpgradeRetryAdvice{kMessageSection, 39};
// Label files.
inline constexpr TextKey kOpenLabelsTitle{kMessageSection, 40};
inline constexpr TextKey kLabelFileType{kMessageSection, 41};
inline constexpr TextKey kAllFiles{kMessageSection, 42};
inline constexpr TextKey kSaveLabelsTitle{kMessageSection, 43};
inline constexpr TextKey kNotALabelFile{kMessageSection, 48};
inline constexpr TextKey kOneButtonLabel{kMessageSection, 56};  // the label kind "1" with ...
inline constexpr TextKey kTwoButtonLabels{kMessageSection, 57}; // ... one or two buttons
// Closing the window with unsaved settings, and its caption.
inline constexpr TextKey kSaveBeforeClosing{kMessageSection, 44};
inline constexpr TextKey kSaveFileCaption{kMessageSection, 45};
// A parameter block refused: no validity marker ...
inline constexpr TextKey kEepromReadError{kMessageSection, 49};
inline constexpr TextKey kDefaultData{kMessageSection, 50};
// ... or a wrong length.
inline constexpr TextKey kLengthReadError{kMessageSection, 51};
inline constexpr TextKey kNoDataRead{kMessageSection, 52};
inline constexpr TextKey kNoSoundCard{kMessageSection, 54};
inline constexpr TextKey kNoTemplateFile{kMessageSection, 58};

// [Backup]: backups, verify after write, the comparison of settings, the steps of a read or
// a write and how they ended.
inline constexpr const char* kBackupSection = "Backup";
// The menu items' captions, which the menu is built with; a write that did not take shows
// its differences under the verify item's caption.
inline constexpr TextKey kCompareWithFileItem{kBackupSection, 1};
inline constexpr TextKey kVerifyAfterWriteItem{kBackupSection, 2};
inline constexpr TextKey kBackupBeforeWriteItem{kBackupSection, 3};
inline constexpr TextKey kOpenBackupsFolderItem{kBackupSection, 4};
inline constexpr TextKey kPageColumn{kBackupSection, 5};
inline constexpr TextKey kSettingColumn{kBackupSection, 6};
inline constexpr TextKey kInTheWindow{kBackupSection, 7};
inline constexpr TextKey kInTheFile{kBackupSection, 8};
inline constexpr TextKey kSettingsSame{kBackupSection, 9};
inline constexpr TextKey kFlagOn{kBackupSection, 10};
inline constexpr TextKey kFlagOff{kBackupSection, 11};
inline constexpr TextKey kEmptyValue{kBackupSection, 12};
inline constexpr TextKey kByteWord{kBackupSection, 13};
inline constexpr TextKey kReadingForBackup{kBackupSection, 14};
inline constexpr TextKey kBackupSaved{kBackupSection, 15};
inline constexpr TextKey kBackupNotSaved{kBackupSection, 16};
inline constexpr TextKey kReadingBack{kBackupSection, 17};
inline constexpr TextKey kWriteDiffers{kBackupSection, 18};
inline constexpr TextKey kWriteVerified{kBackupSection, 19};
inline constexpr TextKey kBackupsFolderNotOpened{kBackupSection, 20};
inline constexpr TextKey kCompareWithFile{kBackupSection, 21};
inline constexpr TextKey kInTheDoorPhone{kBackupSection, 22};
inline constexpr TextKey kReadBackFailed{kBackupSection, 23};
inline constexpr TextKey kWriting{kBackupSection, 24};
inline constexpr TextKey kReading{kBackupSection, 25};
inline constexpr TextKey kReadDone{kBackupSection, 26};
inline constexpr TextKey kWrittenNotReadBack{kBackupSection, 27};
inline constexpr TextKey kWriteUnfinished{kBackupSection, 28};
inline constexpr TextKey kBackupBeforeWriteIs{kBackupSection, 29}; // %1: the backup's path
inline constexpr TextKey kWriteAgain{kBackupSection, 30};
inline constexpr TextKey kClockSet{kBackupSection, 31};
inline constexpr TextKey kPrinted{kBackupSection, 32};

// [Files]: a file that cannot be read or written; %1 the file, %2 the system's reason.
inline constexpr const char* kFilesSection = "Files";
inline constexpr TextKey kFileNotFound{kFilesSection, 1};
inline constexpr TextKey kNotARegularFile{kFilesSection, 2};
inline constexpr TextKey kIsAFolder{kFilesSection, 3};
inline constexpr TextKey kCannotRead{kFilesSection, 4};
inline constexpr TextKey kCannotWrite{kFilesSection, 5};

// [Window]: the main window's own texts.
inline constexpr const char* kWindowSection = "Window";
inline constexpr TextKey kBusyOnClose{kWindowSection, 1}; // closing during a transfer
inline constexpr TextKey kCableDisconnected{kWindowSection, 2};

} // namespace keys
