#pragma once
// A manual page in man(7) markup made from a program's --help text, so that the two
// always say the same. The help text is read as the programs write it:
//   "Usage: NAME ARGS"            the synopsis (first line)
//   "Heading:"                    a section, at the left margin
//   "  TERM    description"       an entry: an option or a command, two blanks or more
//                                 before its description
//   "          more description"  deeper indented: continues the entry above
//   other lines                   running text; a blank line ends a paragraph

#include <QString>
#include <QStringList>

struct ManPageInfo {
    QString name; // "norvaset-cli"
    int section = 1;
    QString summary;     // the NAME line after "name - "
    QString source;      // "NorvaSet 1.0.0.1"
    QStringList seeAlso; // other pages, "norvaset(1)"
};

// "" when the help text has no "Usage:" line to start from.
QString ManPageFromHelp(const ManPageInfo& info, const QString& help);
