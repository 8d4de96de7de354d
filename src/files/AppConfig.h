#pragma once
// Config.ini in the program folder: language file, log switch, selected model and the
// last HEX file. Read at start-up, written back at every normal close.

#include "IniFile.h"

#include <QString>

QString VersionText(int major, int minor, int release, int build);
// The program's own version text, "1.00.00.01" style.
QString ProgramVersionText();

struct AppConfig {
    static constexpr const char* kFileName = "Config.ini";

    QString languageFile = QStringLiteral("English.lng"); // relative to the program folder
    bool languageKeyPresent = true;
    int logFile = 0;      // "LOGFILE": exactly 1 switches the log on
    int communicator = 0; // model selector position
    bool existed = false;

    // Reads Config.ini, or creates it with the first-start content when it is missing.
    // Returns false when the file had to be created and could not be written.
    bool LoadOrCreate(const QString& programFolder, QString* error);
    // Writes the four groups back, keeping everything else the file holds.
    static bool Write(const QString& programFolder, const QString& languageFileName,
                      bool logEnabled, int communicator, QString* error);
    // "PATH"/"FIRM", used by the firmware window.
    static QString ReadLastHexFile(const QString& programFolder);
    static bool WriteLastHexFile(const QString& programFolder, const QString& path);
};
