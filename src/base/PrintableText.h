#pragma once
// Text that came from outside (a file's content, a name typed into it) as it may be shown in
// a message box or written to a terminal: every character that does not print (control
// characters such as ESC and BEL, DEL, the line and paragraph separators, format characters
// such as the bidirectional overrides, unpaired surrogates, unassigned code points) becomes
// a visible escape, "\x1B" below U+0100, "\u202E" above, "\U0001F3F4" beyond the BMP.
// Printable text, accents and all, stays as it is.
//
// The result is for reading, not for parsing back: a backslash is not doubled, so that a
// folder name reads as it is written.

#include <QString>
#include <QStringView>

// maxChars > 0 shows at most that many characters of the text (before the escapes are
// made) and ends a longer one with "…", so that a garbage line cannot fill the screen.
QString PrintableText(QStringView text, qsizetype maxChars = 0);
