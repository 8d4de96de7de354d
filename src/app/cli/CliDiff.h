#pragma once
// norvaset-cli diff: the settings and telephone numbers that differ between two settings
// files, or between a door phone and a file, one line each on stdout:
// "page | caption | value in A | value in B"; with --json one JSON document.

#include "SettingsDiff.h"

#include <QList>
#include <QString>

class CliHost;
class LanguageTexts;
class SettingsModel;

enum CliDiffExit {
    kDiffEqual = 0,
    kDiffDifferent = 1,
    kDiffBadFile = 2,      // a file that cannot be read, or a usage error
    kDiffDeviceFailed = 3, // diff --device: the door phone could not be read
};

// Reads a settings file over model (which holds the start both sides share); false with
// the reason on stderr.
bool ReadDiffFile(const QString& path, SettingsModel& model, CliHost& host);
// Prints the rows, or with json one JSON document of them; kDiffEqual when there are none,
// else kDiffDifferent.
int PrintDiffRows(const QList<DiffRow>& rows, bool json = false);
// diff A.nvs B.nvs: both files read over the same start (the model list, the model's
// defaults), then compared.
int DiffFiles(const QString& a, const QString& b, const SettingsModel& start,
              const LanguageTexts& texts, CliHost& host, bool json = false);
