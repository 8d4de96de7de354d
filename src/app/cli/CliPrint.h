#pragma once
// norvaset-cli print IN.nvs OUT.pdf: the window's settings printout of a settings file,
// as an A4 PDF.

#include <QHash>
#include <QString>

class CliHost;
class LanguageTexts;
class SettingsModel;

// Writes the printout of the loaded settings into out, whole or not at all. treeEntries
// are the navigation-tree texts the model template set. Returns the exit code.
int WriteSettingsPrintout(const SettingsModel& model, const LanguageTexts& texts,
                          const QHash<int, QString>& treeEntries, const QString& out,
                          CliHost& host);
