#include "Printout.h"

#include "FieldCatalogue.h"
#include "LanguageTable.h"
#include "NumberMemory.h"
#include "PrintTarget.h"

#include <QDate>
#include <QFont>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPolygon>
#include <QPrinter>
#include <algorithm>

namespace print {

namespace {

QString EditName(int n) {
    return QStringLiteral("Edit%1").arg(n);
}

// The column heads of the ten telephone-number pages ("Day / Group1"); the night heads
// follow each one.
const int kDayHeadings[10] = {125, 137, 149, 161, 173, 185, 197, 219, 231, 243};

// Tree node positions of the sections.
enum Node {
    kDoorPhoneSelect = 0,
    kBasic,
    kCodes,
    kKeyboard,
    kRelays,
    kRelay1,
    kExternalCodes1,
    kCodeRelay,
    kRelay2,
    kExternalCodes2,
    kTime,
    kDial,
    kHandsFree,
    kAutoDayNight,
    kSystem,
    kNumbers,
    kFirstButtons,
};

class Builder {
public:
    explicit Builder(const PrintoutSource& source) : s_(source) {}

    PrintoutDocument Build() {
        ModelAndStatus();
        BasicAndKeyboard();
        Relays();
        TimeAndAudio();
        DayNightAndSystem();
        Numbers();
        return std::move(doc_);
    }

private:
    void Add(LineKind kind, const QString& text = {}, const QString& value = {},
             const QString& extra = {}, bool cut = false) {
        PrintLine line;
        line.kind = kind;
        line.text = text;
        line.value = value;
        line.extra = extra;
        line.cut = cut;
        line.gapBefore = gap_;
        gap_ = false;
        doc_.lines.append(line);
    }
    void Gap() { gap_ = true; }
    void Heading(int node) { Add(LineKind::Heading, s_.NodeText(node)); }
    void Sub(const char* group) { Add(LineKind::SubHeading, s_.Caption(QLatin1String(group))); }

    // A radio group: its caption and the caption of the chosen button. When none of the
    // buttons before the last is chosen, the last one is taken.
    void Radio(const char* group) {
        const QString name = QLatin1String(group);
        QString value;
        if (const FieldDef* def = FindField(name); def && !def->options.isEmpty()) {
            qsizetype chosen = def->options.size() - 1;
            for (qsizetype i = 0; i + 1 < def->options.size(); ++i)
                if (s_.IsChecked(def->options[i].name)) {
                    chosen = i;
                    break;
                }
            value = s_.Caption(def->options[chosen].name);
        }
        Add(LineKind::Field, s_.Caption(name), value);
    }

    // A field under its caption label, with the unit the page shows beside it.
    void Field(const char* field, bool cut = false, LineKind kind = LineKind::Field) {
        const QString name = QLatin1String(field);
        const FieldDef* def = FindField(name);
        QString value = s_.FieldText(name);
        const QString unit = s_.UnitText(name);
        if (!unit.isEmpty()) value += QLatin1Char(' ') + unit;
        Add(kind, def ? s_.Caption(def->label) : QString(), value, {}, cut);
    }
    void Cut(const char* field) { Field(field, true); }

    void Check(const char* box) {
        const QString name = QLatin1String(box);
        Add(LineKind::Check, s_.Caption(name),
            s_.IsChecked(name) ? QStringLiteral("X") : QStringLiteral("-"), {}, true);
    }

    void ModelAndStatus() {
        Gap();
        Add(LineKind::Blank);
        Heading(kDoorPhoneSelect);
        Field("ComboBox16");
        Gap();
        Add(LineKind::Heading, QStringLiteral("Status:"));
        Add(LineKind::Field, s_.StatusPanelText(1), s_.StatusPanelText(3));
        Add(LineKind::Field, s_.Caption(QStringLiteral("Label60")) + QLatin1Char(':'),
            s_.DayMode() ? QStringLiteral("DAY") : QStringLiteral("NIGHT"));
        Add(LineKind::Blank);
    }

    void BasicAndKeyboard() {
        Heading(kBasic);
        for (const char* group : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4"}) Radio(group);
        Cut("Edit1");

        Heading(kCodes);
        Field("Edit2");
        Field("Edit3");
        Field("Edit4");
        Field("Edit5");

        Heading(kKeyboard);
        for (const char* group : {"GroupBox8", "GroupBox9", "GroupBox10"}) Radio(group);
    }

    struct RelayPage {
        const char *modes, *button, *code1, *code2, *pulse, *gap, *incoming, *exit;
    };
    void Relay(const RelayPage& r) {
        Radio(r.modes);
        Field(r.button);
        Field(r.code1);
        Field(r.code2);
        Field(r.pulse);
        Field(r.gap);
        Check(r.incoming);
        Radio(r.exit);
    }

    // Day + night, day and night mode: five one-impulse codes and one two-impulse code,
    // each box under the group's caption and the box's own.
    void ExternalCodes(int firstEdit) {
        for (int k = 0; k < 6; ++k) {
            const QString field = EditName(firstEdit + k);
            const FieldDef* def = FindField(field);
            if (!def) continue;
            if (k == 0 || k == 5)
                Add(LineKind::Field, s_.Caption(def->group), s_.Caption(def->subGroup));
            Add(LineKind::Field, s_.CodeCaption(field), s_.FieldText(field));
        }
    }

    void Relays() {
        Heading(kRelays);
        Cut("Edit6");

        Heading(kRelay1);
        Relay({"GroupBox11", "Edit7", "Edit8", "Edit9", "Edit10", "Edit11", "CheckBox1",
               "GroupBox13"});
        Heading(kExternalCodes1);
        ExternalCodes(17);
        ExternalCodes(23);
        ExternalCodes(29);

        Heading(kCodeRelay);
        Check("CheckBox13");
        Sub("GroupBox31");
        Cut("Edit53");
        Cut("Edit281");
        Sub("GroupBox32");
        Cut("Edit291");
        Cut("Edit292");
        Field("Edit293", true, LineKind::BoldField);

        Heading(kRelay2);
        Relay({"GroupBox14", "Edit12", "Edit13", "Edit14", "Edit15", "Edit16", "CheckBox2",
               "GroupBox15"});
        Heading(kExternalCodes2);
        ExternalCodes(35);
        ExternalCodes(41);
        ExternalCodes(47);
    }

    void TimeAndAudio() {
        Heading(kTime);
        Sub("GroupBox23");
        Cut("ComboBox17");
        Cut("Edit54");
        Cut("Edit55");
        Cut("Edit56");
        Cut("Edit57");
        Cut("Edit58");
        Sub("GroupBox24");
        Field("ComboBox1");
        Field("ComboBox2");
        Field("ComboBox3");

        Heading(kDial);
        Field("Edit59");
        Field("Edit60");
        Field("Edit61");
        Field("Edit62");
        Field("ComboBox4");
        Field("ComboBox5");
        Field("ComboBox6");

        Heading(kHandsFree);
        Sub("GroupBox26");
        Field("ComboBox7");
        Field("ComboBox8");
        Field("ComboBox9");
        Field("ComboBox10");
        Sub("GroupBox27");
        Check("CheckBox3");
        Check("CheckBox4");
        Field("ComboBox11");
        Field("ComboBox12");
        Field("ComboBox13");
        Field("ComboBox14");
    }

    void DayNightAndSystem() {
        Heading(kAutoDayNight);
        Check("CheckBox5");
        Sub("GroupBox28");
        Add(LineKind::WeekHeader, QString(), s_.Caption(QStringLiteral("Label107")),
            QStringLiteral(" - ") + s_.Caption(QStringLiteral("Label106")));
        // Sunday first; per weekday the day hour and minute, then the night's.
        for (int row = 0; row < 7; ++row) {
            const int first = 63 + 4 * row;
            const QString dayHour = EditName(first);
            Add(LineKind::WeekRow, s_.Caption(QStringLiteral("Label%1").arg(99 + row)),
                s_.FieldText(dayHour) + s_.TimeSeparator(dayHour) +
                    s_.FieldText(EditName(first + 1)),
                QStringLiteral(" - ") + s_.FieldText(EditName(first + 2)) + QLatin1Char(':') +
                    s_.FieldText(EditName(first + 3)));
        }

        Heading(kSystem);
        Sub("GroupBox29");
        Field("ComboBox15");
        for (const char* box : {"CheckBox7", "CheckBox8", "CheckBox9"}) Check(box);
        Sub("GroupBox30");
        for (const char* box :
             {"CheckBox6", "CheckBox10", "CheckBox11", "CheckBox12", "CheckBox14"})
            Check(box);
    }

    void Numbers() {
        Heading(kNumbers);
        Field("ComboBox16");
        Field("Edit91");
        for (int page = 0; page < 10; ++page) {
            Add(LineKind::NumberHeading, s_.NodeText(kFirstButtons + page),
                s_.Caption(QStringLiteral("Label%1").arg(kDayHeadings[page])),
                s_.Caption(QStringLiteral("Label%1").arg(kDayHeadings[page] + 1)));
            // A button without numbers takes no line.
            for (int b = page * 10 + 1; b <= std::min(99, page * 10 + 10); ++b) {
                const QString day = s_.FieldText(FirstNumberField(b));
                const QString night = s_.FieldText(SecondNumberField(b));
                if (day.isEmpty() && night.isEmpty()) continue;
                Add(LineKind::Number, s_.Caption(ButtonRowLabel(b)), day, night);
            }
        }
    }

    const PrintoutSource& s_;
    PrintoutDocument doc_;
    bool gap_ = false;
};

// ---- rendering ----------------------------------------------------------------------------

enum class Face { Regular, Title, PageNumber, Heading, Bold, Underlined };

QFont MakeFont(Face face) {
    // The system's default sans-serif face, the same for the window and the command line.
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    switch (face) {
    case Face::Regular: break;
    case Face::Title:
        font.setPointSize(12);
        font.setBold(true);
        break;
    case Face::PageNumber:
        font.setPointSize(10);
        font.setBold(true);
        break;
    case Face::Heading:
        font.setPointSize(10);
        font.setBold(true);
        font.setItalic(true);
        font.setUnderline(true);
        break;
    case Face::Bold: font.setBold(true); break;
    case Face::Underlined: font.setUnderline(true); break;
    }
    return font;
}

// The position after the last line: the advance from it finishes the page and starts no
// other one.
constexpr int kEndMarker = 1000000;

class Renderer {
public:
    Renderer(QPainter& painter, const PrintoutLayout& layout, const PrintoutHeader& header,
             const std::function<bool()>& newPage)
        : p_(painter), l_(layout), header_(header), newPage_(newPage),
          space_(static_cast<int>(layout.p)) {}

    int Run(const PrintoutDocument& document) {
        page_ = 1;
        y_ = l_.start;
        pageFull_ = false;
        failed_ = false;
        p_.setPen(Qt::black);
        NextLine();
        Header();
        for (const PrintLine& line : document.lines) {
            // A page is started only for a line that goes on it: no page after the last.
            if (!Room()) return 0;
            if (line.gapBefore) y_ += l_.gap;
            Draw(line);
            if (failed_) return 0;
            NextLine();
        }
        y_ = kEndMarker;
        NextLine();
        return page_;
    }

private:
    void Text(int x, Face face, const QString& text) {
        if (text.isEmpty()) return;
        p_.setFont(MakeFont(face));
        p_.drawText(x, y_ + p_.fontMetrics().ascent(), text);
    }
    int Width(Face face, const QString& text) {
        p_.setFont(MakeFont(face));
        return p_.fontMetrics().horizontalAdvance(text);
    }

    // A caption ends before the next column, whatever the typeface.
    QString Fitted(Face face, QString text, int nextColumn) {
        const int room = nextColumn - l_.captionX - space_;
        while (!text.isEmpty() && Width(face, text) > room) text.chop(1);
        return text;
    }

    // A value wider than the rest of the page goes on in the next lines, broken at a
    // blank where there is one.
    void Value(const QString& value) {
        const int room = l_.frame.right() - space_ - l_.valueX;
        QString rest = value;
        while (Width(Face::Regular, rest) > room) {
            qsizetype fits = rest.size() - 1;
            while (fits > 1 && Width(Face::Regular, rest.left(fits)) > room) --fits;
            qsizetype cut = rest.lastIndexOf(QLatin1Char(' '), fits);
            if (cut <= 0) cut = fits;
            Text(l_.valueX, Face::Regular, rest.left(cut));
            rest = rest.mid(cut);
            while (rest.startsWith(QLatin1Char(' '))) rest.remove(0, 1);
            NextLine();
            if (!Room()) return;
        }
        Text(l_.valueX, Face::Regular, rest);
    }

    void Header() {
        Text(l_.headingX, Face::Regular, header_.date);
        Text(l_.valueX - Width(Face::Title, header_.title) / 2, Face::Title, header_.title);
        const QString number = QStringLiteral("   Pg.- %1 -").arg(page_);
        Text(l_.pageNumberRight - Width(Face::PageNumber, number), Face::PageNumber, number);
        y_ += l_.headerAdvance;
    }

    void NextLine() {
        y_ += l_.lineHeight;
        if (y_ < l_.lastLine) return;
        // The page is finished: its frame, in blue, one pixel wide.
        p_.save();
        p_.setPen(QPen(Qt::blue, 1));
        p_.setBrush(Qt::NoBrush);
        const QRect& f = l_.frame;
        p_.drawPolyline(
            QPolygon({f.topLeft(), f.topRight(), f.bottomRight(), f.bottomLeft(), f.topLeft()}));
        p_.restore();
        pageFull_ = true;
    }

    // Room for one more line: a new page when the last one is full. False when the
    // device could not start one.
    bool Room() {
        if (!pageFull_) return true;
        if (failed_ || !newPage_ || !newPage_()) {
            failed_ = true;
            return false;
        }
        pageFull_ = false;
        y_ = l_.firstLine;
        ++page_;
        Header();
        return true;
    }

    void Draw(const PrintLine& line) {
        const QString caption = line.cut ? l_.Cut(line.text) : line.text;
        switch (line.kind) {
        case LineKind::Blank: break;
        case LineKind::Heading: Text(l_.headingX, Face::Heading, line.text); break;
        case LineKind::NumberHeading:
            Text(l_.headingX, Face::Heading, line.text);
            Text(l_.dayX, Face::Underlined, line.value);
            Text(l_.nightX, Face::Underlined, line.extra);
            break;
        case LineKind::SubHeading: Text(l_.captionX, Face::Bold, line.text); break;
        case LineKind::Field:
        case LineKind::Check:
            Text(l_.captionX, Face::Regular, Fitted(Face::Regular, caption, l_.valueX));
            Value(line.value);
            break;
        case LineKind::BoldField:
            Text(l_.captionX, Face::Bold, Fitted(Face::Bold, caption, l_.valueX));
            Value(line.value);
            break;
        case LineKind::WeekHeader:
        case LineKind::WeekRow:
            Text(l_.captionX, Face::Regular, Fitted(Face::Regular, caption, l_.valueX));
            Text(l_.valueX, Face::Regular, line.value);
            Text(l_.nightTimeX, Face::Regular, line.extra);
            break;
        case LineKind::Number:
            Text(l_.captionX, Face::Regular, Fitted(Face::Regular, caption, l_.dayX));
            Text(l_.dayX, Face::Regular, line.value);
            Text(l_.nightX, Face::Regular, line.extra);
            break;
        }
    }

    QPainter& p_;
    const PrintoutLayout& l_;
    const PrintoutHeader& header_;
    const std::function<bool()>& newPage_;
    const int space_; // the least space between two columns: a millimetre
    int y_ = 0;
    int page_ = 1;
    bool pageFull_ = false;
    bool failed_ = false;
};

// Lays the printout out on the device the painter is active on.
bool Paint(QPainter& painter, const PrintoutDocument& document, const PrintoutHeader& header,
           const std::function<bool()>& newPage, int* pages) {
    const QPaintDevice& device = *painter.device();
    const PrintoutLayout layout =
        PrintoutLayout::For(device.logicalDpiX(), device.width(), device.height());
    *pages = RenderPrintout(painter, layout, document, header, newPage);
    return *pages > 0;
}

PrintResult ResultOf(const PrintOutcome& outcome, int pages) {
    PrintResult result;
    result.ok = outcome.ok;
    result.pages = outcome.ok ? pages : 0;
    if (!outcome.ok) {
        result.error = outcome.file.isEmpty() ? QStringLiteral("Printing failed: ") + outcome.reason
                                              : outcome.Message();
        result.file = outcome.file;
        result.failure = outcome.failure;
        result.reason = outcome.reason;
    }
    return result;
}

} // namespace

PrintoutDocument BuildPrintout(const PrintoutSource& source) {
    return Builder(source).Build();
}

QString PrintoutTitle(const QString& printCaption, const QString& programName) {
    // "&&" shows one "&"; a single "&" marks the accelerator and is not shown.
    QString caption;
    for (qsizetype i = 0; i < printCaption.size(); ++i) {
        if (printCaption[i] == QLatin1Char('&')) {
            if (i + 1 < printCaption.size() && printCaption[i + 1] == QLatin1Char('&'))
                caption += printCaption[++i];
            continue;
        }
        caption += printCaption[i];
    }
    return caption + programName;
}

QString PrintoutDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

PrintoutHeader MakePrintoutHeader(const QString& printCaption, const LanguageTexts& texts) {
    PrintoutHeader header;
    header.title = PrintoutTitle(printCaption, StoredText(texts, keys::kPrintProgramName));
    header.date = PrintoutDate();
    header.documentName = StoredText(texts, keys::kPrintDocumentName);
    return header;
}

int RenderPrintout(QPainter& painter, const PrintoutLayout& layout,
                   const PrintoutDocument& document, const PrintoutHeader& header,
                   const std::function<bool()>& newPage) {
    return Renderer(painter, layout, header, newPage).Run(document);
}

PrintResult PrintOnPrinter(QPrinter& printer, const PrintoutDocument& document,
                           const PrintoutHeader& header) {
    printer.setDocName(header.documentName);
    int pages = 0;
    const PrintOutcome outcome =
        PaintOnPrinter(printer, [&](QPainter& painter, const std::function<bool()>& newPage) {
            return Paint(painter, document, header, newPage, &pages);
        });
    return ResultOf(outcome, pages);
}

PrintResult WritePrintoutPdf(const QString& path, const PrintoutDocument& document,
                             const PrintoutHeader& header, int dpi) {
    int pages = 0;
    const PrintOutcome outcome =
        PaintPdfFile(path, FullA4Page(), dpi, header.documentName,
                     [&](QPainter& painter, const std::function<bool()>& newPage) {
                         return Paint(painter, document, header, newPage, &pages);
                     });
    return ResultOf(outcome, pages);
}

} // namespace print
