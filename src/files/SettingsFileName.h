#pragma once
// How a file name is recognised as a settings file: the whole path has at least 8
// characters, and the text after its last "." (the whole name without a "."), trimmed of
// blanks and upper-cased, is "NVS". Nothing inside the file is checked.

#include <QString>

bool IsUsableSettingsName(const QString& path);
bool HasSettingsExtension(const QString& path);
// The part of the name after its last path separator (status panel 2).
QString SettingsFileShortName(const QString& path);
