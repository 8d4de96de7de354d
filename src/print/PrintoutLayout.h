#pragma once
// Where everything of the settings printout goes on a page: the columns, the line height,
// the last line before a page break, the frame and how long a caption may be. All of it
// follows from the device's horizontal resolution and the printable page size, so the
// printout looks the same on any printer and in a PDF.

#include "PageGeometry.h"

#include <QRect>
#include <QString>

namespace print {

struct PrintoutLayout {
    // dpiX: the device's horizontal resolution; width, height: the printable page in
    // device pixels.
    static PrintoutLayout For(int dpiX, int width, int height);

    double p = 0;       // pixels per millimetre
    int width = 0;      // W
    int height = 0;     // H
    double widthMm = 0; // W / P

    int headingX = 0;   // the date, section headings, "Status:"
    int captionX = 0;   // captions, sub-headings, button names
    int valueX = 0;     // values; the page title is centred on it
    int nightTimeX = 0; // the "Starting night" times of the weekly table
    int third = 0;      // basis of the two number columns
    int dayX = 0;       // day / group 1 telephone numbers
    int nightX = 0;     // night / group 2 telephone numbers

    int start = 0;           // y before the first line of the first page
    int lineHeight = 0;      // advance of every line
    int gap = 0;             // the extra space before some blocks
    int lastLine = 0;        // a line reaching this position starts a new page
    int firstLine = 0;       // y of the header on every page after the first
    int headerAdvance = 0;   // from the header to the first line below it
    int pageNumberRight = 0; // the page number ends here
    QRect frame;             // drawn around every finished page

    int captionLimit = 0; // characters of a caption that is cut

    // A caption cut to the limit.
    QString Cut(const QString& caption) const { return caption.left(captionLimit); }
};

} // namespace print
