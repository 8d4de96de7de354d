#pragma once
// The layout of a --help entry, shared by the window's and the command line's help (and so
// by their manual pages, which read it back).

#include <QString>

// The term, then its description from `column` on in lines of at most `width` characters;
// a term too long for the column puts the description on the next line, and "\n" in the
// description starts a new line. Ends with a line break.
QString HelpEntry(const QString& term, const QString& description, int column, int width);
