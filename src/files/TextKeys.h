#pragma once
// Names for the language file's entries that the program's code uses: each names its
// [Section] and number once, so that code says what it shows (keys::kWriteVerified), not
// where the text lies ("Backup", 19). The texts themselves and their built-in English
// are in the language table (LanguageTable.cpp).

struct TextKey {
    const char* section;
    int key;
};

namespace keys {

// [Backup]: backups, verify after write, the comparison of settings, the steps of a read or
// a write and how they ended.
inline constexpr const char* kBackupSection = "Backup";
inline constexpr TextKey kCompareHeading{kBackupSection, 2};
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

} // namespace keys
