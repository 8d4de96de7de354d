// The settings printout without a printer: the page arithmetic, the document read from
// the settings, and the page breaks and frames drawn on pictures.
#include "Defaults.h"
#include "LanguageTexts.h"
#include "ModelPrintoutSource.h"
#include "NumberMemory.h"
#include "Printout.h"
#include "PrintoutLayout.h"
#include "SettingsModel.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using print::LineKind;
using print::PrintLine;
using print::PrintoutLayout;

TEST(PrintoutLayout, ColumnsAndLimitsFollowResolutionAndPrintableSize) {
    struct Case {
        int dpi, width, height;
        int heading, caption, value, nightTime, third, day, night, line, last;
        QRect frame;
        int limit;
    } cases[] = {
        // 200 mm wide at exactly 10 pixels a millimetre.
        {254, 2000, 2870, 140, 200, 1080, 1340, 700, 750, 1400, 50, 2670,
         QRect(QPoint(100, 100), QPoint(1900, 2770)), 52},
        // The same page at 300 dpi: every position truncated, never rounded.
        {300, 2362, 3389, 165, 236, 1275, 1582, 826, 885, 1652, 59, 3152,
         QRect(QPoint(118, 118), QPoint(2244, 3271)), 52},
        // A page a little wider at 600 dpi.
        {600, 4800, 6000, 330, 472, 2588, 3202, 1678, 1796, 3356, 118, 5527,
         QRect(QPoint(236, 236), QPoint(4564, 5764)), 53},
        // 150 mm wide: shorter captions.
        {300, 1772, 2000, 165, 236, 980, 1287, 630, 689, 1260, 59, 1763,
         QRect(QPoint(118, 118), QPoint(1654, 1882)), 36},
    };
    for (const Case& c : cases) {
        const PrintoutLayout l = PrintoutLayout::For(c.dpi, c.width, c.height);
        const QString at = QStringLiteral("%1 dpi, %2 px").arg(c.dpi).arg(c.width);
        EXPECT_EQ(l.headingX, c.heading) << at.toStdString();
        EXPECT_EQ(l.captionX, c.caption) << at.toStdString();
        EXPECT_EQ(l.valueX, c.value) << at.toStdString();
        EXPECT_EQ(l.nightTimeX, c.nightTime) << at.toStdString();
        EXPECT_EQ(l.third, c.third) << at.toStdString();
        EXPECT_EQ(l.dayX, c.day) << at.toStdString();
        EXPECT_EQ(l.nightX, c.night) << at.toStdString();
        EXPECT_EQ(l.lineHeight, c.line) << at.toStdString();
        EXPECT_EQ(l.lastLine, c.last) << at.toStdString();
        EXPECT_EQ(l.frame, c.frame) << at.toStdString();
        EXPECT_EQ(l.captionLimit, c.limit) << at.toStdString();
    }
}

TEST(PrintoutLayout, PageNarrowerThanTheMarginsCutsCaptionsToNothing) {
    const PrintoutLayout l = PrintoutLayout::For(254, 250, 2870);
    EXPECT_EQ(l.captionLimit, 0);
    EXPECT_EQ(l.Cut("Pulse duration:"), QString());
}

TEST(PrintoutLayout, TitleLosesTheAcceleratorMark) {
    const std::pair<const char*, const char*> cases[] = {
        {"Print", "Print Norva Set"},
        {"&Print", "Print Norva Set"},
        {"Pr&int", "Print Norva Set"},
        {"Print && go", "Print & go Norva Set"},
    };
    for (const auto& [caption, title] : cases)
        EXPECT_EQ(print::PrintoutTitle(caption, " Norva Set"), QString(title)) << caption;
}

namespace {

// The printout of settings without a window: built-in texts, the tree as a template
// without restrictions leaves it.
struct DocumentRig {
    SettingsModel model;
    LanguageTexts texts;
    QHash<int, QString> tree;
    bool dayMode = false;

    DocumentRig() { ApplyBuiltInDefaults(model); }

    struct Source : print::ModelPrintoutSource {
        using ModelPrintoutSource::ModelPrintoutSource;
        bool day = false;
        bool DayMode() const override { return day; }
    };
    QList<PrintLine> Lines() const {
        Source source(model, texts, tree);
        source.day = dayMode;
        return print::BuildPrintout(source).lines;
    }
    QList<PrintLine> Lines(LineKind kind) const {
        QList<PrintLine> out;
        for (const PrintLine& l : Lines())
            if (l.kind == kind) out << l;
        return out;
    }
};

PrintLine L(LineKind kind, const QString& text, const QString& value = {},
            const QString& extra = {}, bool cut = false) {
    PrintLine l;
    l.kind = kind;
    l.text = text;
    l.value = value;
    l.extra = extra;
    l.cut = cut;
    return l;
}

// Whether expected appears in lines in this order (other lines between them allowed).
::testing::AssertionResult InOrder(const QList<PrintLine>& lines,
                                   const QList<PrintLine>& expected) {
    qsizetype at = 0;
    for (const PrintLine& e : expected) {
        PrintLine want = e;
        want.gapBefore = false;
        bool found = false;
        while (!found && at < lines.size()) {
            PrintLine got = lines[at++];
            got.gapBefore = false;
            found = got == want;
        }
        if (!found)
            return ::testing::AssertionFailure()
                   << "missing or out of order: " << e.text.toStdString() << " | "
                   << e.value.toStdString() << " | " << e.extra.toStdString();
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(PrintoutDocument, AllNumbersEmptyGivesTenHeadingsWithColumnHeadsAndNoButtons) {
    DocumentRig rig;
    const QList<PrintLine> headings = rig.Lines(LineKind::NumberHeading);
    ASSERT_EQ(headings.size(), 10);
    EXPECT_EQ(headings[0].text, "Buttons  1-10");
    EXPECT_EQ(headings[9].text, "Buttons 91-99");
    for (const PrintLine& h : headings) {
        EXPECT_EQ(h.value, "Day / Group1");
        EXPECT_EQ(h.extra, "Night / Group2");
    }
    EXPECT_TRUE(rig.Lines(LineKind::Number).isEmpty());
}

TEST(PrintoutDocument, OnlyButtonsWithANumberTakeALine) {
    struct Case {
        int button;
        const char *day, *night;
    } cases[] = {
        {1, "0123456789", "*0#P"},
        {7, "", "602123456"}, // only a night number: an empty day column
        {50, "R1-2", ""},
        {99, "", "5"},
    };
    DocumentRig rig;
    for (const Case& c : cases) {
        rig.model.SetText(FirstNumberField(c.button), c.day);
        rig.model.SetText(SecondNumberField(c.button), c.night);
    }
    QList<PrintLine> expected;
    for (const Case& c : cases)
        expected << L(LineKind::Number, QStringLiteral("Button%1").arg(c.button, 3), c.day,
                      c.night);
    EXPECT_EQ(rig.Lines(LineKind::Number), expected);
    // Button 50 under the heading of its page, after button 7's page.
    EXPECT_TRUE(InOrder(
        rig.Lines(),
        {L(LineKind::NumberHeading, "Buttons  1-10", "Day / Group1", "Night / Group2"), expected[0],
         expected[1], L(LineKind::NumberHeading, "Buttons 41-50", "Day / Group1", "Night / Group2"),
         expected[2]}));
}

TEST(PrintoutDocument, StatusBlockShowsTheReportedMode) {
    const std::pair<bool, const char*> cases[] = {{true, "DAY"}, {false, "NIGHT"}};
    for (const auto& [day, shown] : cases) {
        DocumentRig rig;
        rig.dayMode = day;
        EXPECT_TRUE(InOrder(
            rig.Lines(),
            {L(LineKind::Heading, "DoorPhone select"), L(LineKind::Heading, "Status:"),
             L(LineKind::Field, "Firmware: ", "Reset: "), L(LineKind::Field, "Mode:", shown),
             L(LineKind::Blank, ""), L(LineKind::Heading, "Basic parameters")}))
            << shown;
    }
}

TEST(PrintoutDocument, NodeBlankedByTheTemplatePrintsAnEmptyHeadingAndItsSection) {
    DocumentRig rig;
    rig.tree = {{8, QString()}, {9, QString()}};
    const QList<PrintLine> lines = rig.Lines();
    qsizetype relay2 = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].text == "312 Mode of relay 2") relay2 = i;
    ASSERT_GT(relay2, 0);
    EXPECT_EQ(lines[relay2 - 1], L(LineKind::Heading, ""));
    EXPECT_TRUE(
        InOrder(lines, {L(LineKind::Heading, "Code relay"), L(LineKind::Heading, ""), lines[relay2],
                        L(LineKind::Heading, ""), L(LineKind::Heading, "Time parameters")}));
}

TEST(PrintoutDocument, LineKindsShowWhatThePagesShow) {
    DocumentRig rig;
    SettingsModel& m = rig.model;
    m.SelectRadioButton("RadioButton2");
    m.SetChoice("GroupBox4", -1); // none chosen: the last choice is printed
    m.SetText("Edit1", "4071");
    m.SetText("Edit6", "99");
    m.SetText("Edit10", "0.5");
    m.SetFlag("CheckBox1", true);
    m.SetFlag("CheckBox2", false);
    m.SetText("Edit17", "102");
    m.SetText("Edit22", "77");
    m.SetChoice("ComboBox4", 12);
    m.SetText("Edit63", "07");
    m.SetText("Edit64", "30");
    m.SetText("Edit65", "22");
    m.SetText("Edit66", "05");
    const QString comboBox4 = m.ChoiceText("ComboBox4");
    EXPECT_TRUE(InOrder(
        rig.Lines(),
        {
            L(LineKind::Field, "41 Dial", "Pulse"),
            L(LineKind::Field, "4* HangUp line by press button", "Enabled by press same button"),
            L(LineKind::Field, "Password for access to programming from a phone:", "4071", {},
              true),
            L(LineKind::Field,
              "39 Delay for activation relay 2 after activation rele 1 (mode = 5):", "99 sec", {},
              true),
            L(LineKind::Field, "371 Pulse duration:", "0.5 sec"),
            L(LineKind::Check, "381 Control relay at incomming call", "X", {}, true),
            L(LineKind::Field, "321 Day + Night mode", "1 impuls"),
            L(LineKind::Field, "1", "102"),
            L(LineKind::Field, "321 Day + Night mode", "2 impulses"),
            L(LineKind::Field, "*", "77"),
            L(LineKind::SubHeading, " Commands for 1 impulse "),
            L(LineKind::BoldField, "3#5 Activate from other mode of relay:", m.Text("Edit293"), {},
              true),
            L(LineKind::Check, "382 Control relay at incomming call", "-", {}, true),
            L(LineKind::Field, "507 Level of DTMF tone:", comboBox4 + " dBm"),
            L(LineKind::WeekHeader, "", "Starting day", " - Starting night"),
            L(LineKind::WeekRow, "00 Sunday", "07:30", " - 22:05"),
            L(LineKind::Field, "6# Number of buttons in the basic module:", m.Text("Edit91")),
        }));
}

namespace {

// Renders onto pictures of a 200 mm x 287 mm page at 127 dpi (5 pixels a millimetre).
struct PictureRig {
    static constexpr int kDpi = 127;
    QImage page{1000, 1435, QImage::Format_RGB32};
    QList<QImage> pages;
    bool refuseNewPage = false;

    PictureRig() {
        page.setDotsPerMeterX(5000);
        page.setDotsPerMeterY(5000);
        page.fill(Qt::white);
    }
    int Render(const print::PrintoutDocument& doc) {
        QPainter painter(&page);
        const PrintoutLayout layout = PrintoutLayout::For(page.logicalDpiX(), 1000, 1435);
        const int n = print::RenderPrintout(painter, layout, doc,
                                            {"Print Norva Set", "1.2.2026", ""}, [this] {
                                                if (refuseNewPage) return false;
                                                pages << page.copy();
                                                page.fill(Qt::white);
                                                return true;
                                            });
        painter.end();
        pages << page;
        return n;
    }
};

// Blue at the place or one pixel beside it.
bool BlueAt(const QImage& img, int x, int y) {
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            const QRgb c = img.pixel(x + dx, y + dy);
            if (qBlue(c) > 200 && qRed(c) < 100 && qGreen(c) < 100) return true;
        }
    return false;
}

} // namespace

TEST(PrintoutRender, PageBreaksFrameEveryPageAndLeaveNoEmptyPage) {
    // 49 lines fill a page: the header ends at 115 px, lines are 25 px apart and the
    // 49th line's advance reaches the last-line limit of 1335 px.
    struct Case {
        int lines, pages;
    } cases[] = {{0, 1}, {1, 1}, {49, 1}, {50, 2}, {98, 2}, {99, 3}};
    for (const Case& c : cases) {
        print::PrintoutDocument doc;
        for (int i = 0; i < c.lines; ++i)
            doc.lines << L(LineKind::Field, QStringLiteral("line %1").arg(i), "value");
        PictureRig rig;
        EXPECT_EQ(rig.Render(doc), c.pages) << c.lines;
        ASSERT_EQ(rig.pages.size(), c.pages) << c.lines;
        for (int p = 0; p < c.pages; ++p) {
            const QImage& img = rig.pages[p];
            // The blue frame 10 mm inside the printable area, all four sides.
            EXPECT_TRUE(BlueAt(img, 50, 700)) << c.lines << " page " << p;
            EXPECT_TRUE(BlueAt(img, 950, 700)) << c.lines << " page " << p;
            EXPECT_TRUE(BlueAt(img, 500, 50)) << c.lines << " page " << p;
            EXPECT_TRUE(BlueAt(img, 500, 1385)) << c.lines << " page " << p;
            // Something printed below the header on every page but an empty printout's.
            bool ink = false;
            for (int x = 100; x < 900 && !ink; ++x)
                ink = qGray(img.pixel(x, 120)) < 128 || qGray(img.pixel(x, 125)) < 128 ||
                      qGray(img.pixel(x, 130)) < 128;
            EXPECT_EQ(ink, c.lines > 0) << c.lines << " page " << p;
        }
    }
}

TEST(PrintoutRender, PageThatCannotBeStartedEndsThePrintout) {
    print::PrintoutDocument doc;
    for (int i = 0; i < 60; ++i) doc.lines << L(LineKind::Field, "x", "y");
    PictureRig rig;
    rig.refuseNewPage = true;
    EXPECT_EQ(rig.Render(doc), 0);
}

namespace {
// Dark pixels in a box of a page.
int Ink(const QImage& img, int x0, int x1, int y0, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) n += qGray(img.pixel(x, y)) < 128;
    return n;
}
} // namespace

TEST(PrintoutRender, TextStaysInItsColumnAndInsideTheFrame) {
    // Lines start at 115 px and are 25 px apart; the value column is at 540 px, the frame
    // at 950 px.
    const QString longValue =
        "Switches according to the regime Day / Night (with ext.pwr.12V - DIP3,4)";
    struct Case {
        const char* name;
        int shortLinesBefore;
        QString caption, value;
        int pages;
        int row;        // of the line on the first page
        int nextRow;    // of the line below it, on the last page
        bool continued; // the value goes on in the line below
    } cases[] = {
        {"long value", 0, "311 Mode of relay 1", longValue, 1, 115, 140, true},
        {"long value at the foot of a page", 48, "311 Mode of relay 1", longValue, 2, 1315, 115,
         true},
        {"wide caption", 0, QString(52, 'W'), "v", 1, 115, 140, false},
    };
    for (const Case& c : cases) {
        print::PrintoutDocument doc;
        for (int i = 0; i < c.shortLinesBefore; ++i) doc.lines << L(LineKind::Field, "x", "y");
        doc.lines << L(LineKind::Field, c.caption, c.value, {}, true);
        PictureRig rig;
        EXPECT_EQ(rig.Render(doc), c.pages) << c.name;
        for (const QImage& page : rig.pages)
            EXPECT_EQ(Ink(page, 952, 999, 0, 1434), 0) << c.name; // nothing right of the frame
        // A caption ends before the value column.
        EXPECT_EQ(Ink(rig.pages.first(), 536, 539, c.row + 2, c.row + 16), 0) << c.name;
        const QImage& last = rig.pages.last();
        EXPECT_EQ(Ink(last, 540, 940, c.nextRow + 2, c.nextRow + 16) > 0, c.continued) << c.name;
        EXPECT_EQ(Ink(last, 100, 530, c.nextRow + 2, c.nextRow + 16), 0) << c.name;
    }
}
