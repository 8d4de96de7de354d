#pragma once
// The settings printout: every setting of the pages as a caption and its value under the
// heading of its navigation-tree node, then the telephone numbers of every button. It is
// built from what the window shows (PrintoutSource), so it always matches the screen, and
// laid out on any paint device (a printer, a PDF, a picture).

#include "FileAccess.h"
#include "PrintoutLayout.h"

#include <QList>
#include <QString>
#include <functional>

class LanguageTexts;
class QPainter;
class QPrinter;

namespace print {

// What the window shows: captions in the current language and values as displayed.
// Controls are named by their object names ("Label10", "GroupBox11", "CheckBox5").
class PrintoutSource {
public:
    virtual ~PrintoutSource() = default;
    // The caption of a label, group box, check box or radio button as shown.
    virtual QString Caption(const QString& control) const = 0;
    // The text shown in an edit field or a drop-down list.
    virtual QString FieldText(const QString& field) const = 0;
    // A check box ticked, a radio button selected.
    virtual bool IsChecked(const QString& control) const = 0;
    // The unit beside a field ("sec", "ms", "dBm"), "" when there is none.
    virtual QString UnitText(const QString& field) const = 0;
    // The number above an external code field ("1" .. "5", "*").
    virtual QString CodeCaption(const QString& codeField) const = 0;
    // The separator between the hour and the minute of the weekly table (":").
    virtual QString TimeSeparator(const QString& hourField) const = 0;
    // The text of the navigation-tree node at a position (0 = "DoorPhone select").
    virtual QString NodeText(int position) const = 0;
    // The status line's panel text (1: firmware, 3: resets).
    virtual QString StatusPanelText(int panel) const = 0;
    // The mode the door phone last reported.
    virtual bool DayMode() const = 0;
};

enum class LineKind {
    Blank,         // nothing printed, one line advance
    Heading,       // a section heading (text) at the heading column
    NumberHeading, // a section heading with the column heads of the number list
    SubHeading,    // a group caption (text) in bold at the caption column
    Field,         // caption and value
    BoldField,     // caption in bold and value
    Check,         // check box caption and "X" / "-"
    WeekHeader,    // the column heads of the weekly table
    WeekRow,       // a weekday with its day and night times
    Number,        // a button with its two telephone numbers
};

struct PrintLine {
    LineKind kind = LineKind::Blank;
    QString text;           // heading, sub-heading or caption
    QString value;          // value column; the day number; "Starting day"
    QString extra;          // night-time column; the night number; "Night / Group2"
    bool cut = false;       // the caption is cut to the caption length limit
    bool gapBefore = false; // a little extra space above the line

    bool operator==(const PrintLine&) const = default;
};

struct PrintoutDocument {
    QList<PrintLine> lines;
};

// Reads the source, section by section in the order of the navigation tree.
PrintoutDocument BuildPrintout(const PrintoutSource& source);

// What is printed at the top of every page.
struct PrintoutHeader {
    QString title;        // the "Print" caption and the program's name
    QString date;         // the short date of the day
    QString documentName; // the print job's name ("NorvaSet print")
};

// The page title: the "Print" menu caption without its accelerator mark, and the program's
// name as the language file gives it (" Norva Set").
QString PrintoutTitle(const QString& printCaption, const QString& programName);
// The date of today in the system's short date format.
QString PrintoutDate();
// Title, today's date and job name ([Message] 23) with the texts in use.
PrintoutHeader MakePrintoutHeader(const QString& printCaption, const LanguageTexts& texts);

// Lays the document out on a painter that is active on its device. newPage starts the
// next page of the device and says whether it could. Returns the number of pages, or 0
// when a new page could not be started.
int RenderPrintout(QPainter& painter, const PrintoutLayout& layout,
                   const PrintoutDocument& document, const PrintoutHeader& header,
                   const std::function<bool()>& newPage);

struct PrintResult {
    bool ok = false;
    int pages = 0;
    QString error; // why it failed
    // A PDF file that was not written, why (OutputFile) and the system's reason.
    QString file;
    OutputFailure failure = OutputFailure::None;
    QString reason;
};

// Prints on a printer set up by the print dialog, on the full page (positions from the
// paper's corner). Printing into a PDF file writes it whole or not at all: an existing
// file of that name is replaced only by a complete printout.
PrintResult PrintOnPrinter(QPrinter& printer, const PrintoutDocument& document,
                           const PrintoutHeader& header);

// Writes the printout as a full-page A4 PDF at the given resolution, whole or not at all.
PrintResult WritePrintoutPdf(const QString& path, const PrintoutDocument& document,
                             const PrintoutHeader& header, int dpi = 600);

} // namespace print
