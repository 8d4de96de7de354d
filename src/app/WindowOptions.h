#pragma once
// The window's command line: one table of options, from which the parser and the --help
// text (and so the manual page, made from --help at build time) are both made.

#include <QList>
#include <QString>
#include <QStringList>

struct WindowOption {
    QStringList names;   // {"h", "help"}: "-h", "--help"
    QString valueName;   // "DIR"; "" for a flag
    QString description; // one sentence without the full stop
    QString shown;       // how --help writes it when that differs ("--simulator[=DIR]")
};

const QList<WindowOption>& WindowOptions();

// The text of "norvaset --help".
QString WindowUsage();
