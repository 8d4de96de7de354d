// File > Print into PDF files, read back word by word with their places on the page.
#include "CommLog.h"
#include "ModelPrintoutSource.h"
#include "NumberMemory.h"
#include "PrintoutSource.h"
#include "SettingsFile.h"
#include "pdf_frames.h"
#include "pdf_words.h"
#include "window_harness.h"

#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>

namespace {

constexpr int kDpi = 300;

// The layout of the scripted dialog's A4 page at a resolution: the printout takes the
// full page whatever margins the dialog gave (5 mm).
print::PrintoutLayout PageLayout(int dpi) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(dpi);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    printer.setFullPage(true);
    return print::PrintoutLayout::For(printer.logicalDpiX(), printer.width(), printer.height());
}

double Pt(int pixels, int dpi = kDpi) {
    return pdf::Points(pixels, dpi);
}

QString Print(WindowRig& rig, const QString& path, int dpi = kDpi) {
    rig.dialogs.printAnswers = {path};
    rig.dialogs.printDpi = dpi;
    rig.window->Action("Print1")->trigger();
    return path;
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

QString LogText(WindowRig& rig) {
    QFile f(rig.window->Log().FilePath());
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

} // namespace

TEST(PrintoutPdf, WindowPrintoutReadsAsTheScreenShows) {
    WindowRig rig;
    rig.Connect();
    rig.Transfer("Readall1");
    rig.Model().SetText(FirstNumberField(12), "603111222");
    rig.Model().SetText(SecondNumberField(93), "*44#");
    const QString firmware = rig.window->StatusPanelText(1);
    const QString resets = rig.window->StatusPanelText(3);
    const bool day = rig.window->Comm().Status().dayMode;
    QTemporaryDir out;
    const QString path = Print(rig, out.filePath("site.pdf"));

    EXPECT_TRUE(rig.window->Action("Print1")->isEnabled());
    ASSERT_EQ(rig.dialogs.shown.size(), 1);
    EXPECT_EQ(rig.dialogs.shown[0].kind, "print");
    EXPECT_EQ(rig.dialogs.shown[0].text, "NorvaSet print");
    const pdf::Document doc = pdf::ReadWords(path);
    ASSERT_TRUE(doc.ok) << doc.error.toStdString();
    ASSERT_GE(doc.pages.size(), 2);
    const print::PrintoutLayout l = PageLayout(kDpi);

    // Every page: date, the title centred on the value column, its number at the right.
    for (int p = 0; p < doc.pages.size(); ++p) {
        const pdf::Line header = doc.Lines(p).first(); // a copy: Lines() gives a new list
        EXPECT_TRUE(header.Text().startsWith(print::PrintoutDate() + " Print Norva Set Pg.- "))
            << header.Text().toStdString();
        EXPECT_TRUE(header.Text().endsWith(QStringLiteral("Pg.- %1 -").arg(p + 1)))
            << header.Text().toStdString();
        ASSERT_NE(header.At(Pt(l.headingX)), nullptr) << p;
        const pdf::Word& last = header.words.last();
        EXPECT_NEAR(last.xMax, Pt(l.pageNumberRight), 1.5) << p;
        const pdf::Word* print = nullptr;
        const pdf::Word* set = nullptr;
        for (const pdf::Word& w : header.words) {
            if (w.text == "Print") print = &w;
            if (w.text == "Set") set = &w;
        }
        ASSERT_TRUE(print && set);
        EXPECT_NEAR((print->xMin + set->xMax) / 2, Pt(l.valueX), 1.5) << p;
    }

    // Lines with their columns: caption, value, numbers.
    struct Expect {
        QString start;      // the line starts with this text
        int firstX;         // where its first word stands
        QString columnWord; // a word at the second column
        int columnX;
    } expects[] = {
        {"DoorPhone select", l.headingX, {}, 0},
        {"Status:", l.headingX, {}, 0},
        {firmware.trimmed(), l.captionX, resets.split(' ').first(), l.valueX},
        {"Mode:", l.captionX, day ? "DAY" : "NIGHT", l.valueX},
        {"41 Dial", l.captionX, rig.Button(rig.Model().ChoiceText("GroupBox1"))->text(), l.valueX},
        {"Buttons 11-20 Day / Group1 Night / Group2", l.headingX, "Day", l.dayX},
        {"Button 12 603111222", l.captionX, "603111222", l.dayX},
        {"Button 93 *44#", l.captionX, "*44#", l.nightX},
    };
    const QList<pdf::Line> lines = doc.AllLines();
    for (const Expect& e : expects) {
        const pdf::Line* line = doc.FindLine(lines, e.start);
        ASSERT_NE(line, nullptr) << e.start.toStdString();
        EXPECT_NEAR(line->words.first().xMin, Pt(e.firstX), 1.0) << e.start.toStdString();
        if (e.columnWord.isEmpty()) continue;
        const pdf::Word* w = line->At(Pt(e.columnX));
        ASSERT_NE(w, nullptr) << e.start.toStdString();
        EXPECT_TRUE(e.columnWord.startsWith(w->text)) << e.start.toStdString();
    }
    // The long relay delay caption is cut to 55 characters on the 210 mm wide A4 page.
    ASSERT_EQ(l.captionLimit, 55);
    const pdf::Line* delay = doc.FindLine(lines, "39 Delay");
    ASSERT_NE(delay, nullptr);
    EXPECT_EQ(delay->Text(), "39 Delay for activation relay 2 after activation rele 1 " +
                                 rig.Model().Text("Edit6") + " sec");
    // The last line is on the last page: no empty page follows.
    EXPECT_EQ(doc.Lines(doc.pages.size() - 1).last().Text(), "Button 93 *44#");
}

TEST(PrintoutPdf, CancelFailureAndReplaceLeaveNoHalfFile) {
    struct Case {
        const char* name;
        const char* answer; // relative to the folder; "" cancels
        bool existing;      // an older file has the name
        bool printed;       // a new PDF has the name
        bool message;
        bool logged;
    } cases[] = {
        {"cancelled", "", true, false, false, false},
        {"new file", "out.pdf", false, true, false, true},
        {"older file replaced", "out.pdf", true, true, false, true},
        {"folder missing", "missing/out.pdf", false, false, true, true},
        {"name is a folder", "sub", false, false, true, true},
    };
    for (const Case& c : cases) {
        WindowRig rig(false);
        rig.window->LogFile1Click();
        ASSERT_TRUE(rig.window->LogEnabled());
        QTemporaryDir out;
        QDir(out.path()).mkdir("sub");
        const QString old = out.filePath("out.pdf");
        if (c.existing) WriteTextFile(old, "older printout");
        const QString target = *c.answer ? out.filePath(c.answer) : QString();
        Print(rig, target);

        EXPECT_TRUE(rig.window->Action("Print1")->isEnabled()) << c.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
        EXPECT_EQ(MessageTexts(rig.dialogs.shown).size(), c.message ? 1 : 0) << c.name;
        EXPECT_EQ(LogText(rig).contains("Print: NorvaSet print"), c.logged) << c.name;
        // Only the printout itself, or what was there before: no temporary file left.
        QStringList expected;
        if (c.existing || c.printed) expected << "out.pdf";
        EXPECT_EQ(FilesIn(out.path()), expected) << c.name;
        if (c.existing && !c.printed) {
            QFile f(old);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), QByteArray("older printout")) << c.name;
        }
        if (c.printed) {
            const pdf::Document doc = pdf::ReadWords(target);
            ASSERT_TRUE(doc.ok) << c.name;
            EXPECT_GE(doc.pages.size(), 2) << c.name;
        }
    }
}

TEST(PrintoutPdf, SecondPrintoutStartsAgainAtPageOne) {
    WindowRig rig(false);
    QTemporaryDir out;
    const pdf::Document first = pdf::ReadWords(Print(rig, out.filePath("1.pdf")));
    const pdf::Document second = pdf::ReadWords(Print(rig, out.filePath("2.pdf")));
    ASSERT_TRUE(first.ok && second.ok);
    ASSERT_EQ(second.pages.size(), first.pages.size());
    for (int p = 0; p < second.pages.size(); ++p)
        EXPECT_TRUE(
            second.Lines(p).first().Text().endsWith(QStringLiteral("Pg.- %1 -").arg(p + 1)));
    EXPECT_EQ(second.words.size(), first.words.size());
}

namespace {
// What the window shows with a model that has no relay 2, the installer's file loaded.
struct SiteRig {
    QTemporaryDir work;
    std::unique_ptr<WindowRig> rig;
    QString settings;

    SiteRig() {
        rig = std::make_unique<WindowRig>(false, [](const QString& home) {
            WriteTextFile(QDir(home).filePath("VantNorvaLC.ini"),
                          "[Enable]\r\nRele2=0\r\nButtons=24\r\n");
        });
        SettingsModel m;
        m.CopyFrom(rig->Model());
        m.SetText("Edit1", "4071");
        m.SelectRadioButton("RadioButton2");
        m.SetFlag("CheckBox7", true);
        m.SetText("Edit63", "06");
        m.SetText(FirstNumberField(1), "0123456789");
        m.SetText(SecondNumberField(24), "602123456");
        settings = work.filePath("site.nvs");
        CommLog log;
        WriteSettingsFile(settings, m, log);
        rig->dialogs.fileAnswers = {settings};
        rig->window->Action("Open1")->trigger();
        // The status line as the poll leaves it without a door phone.
        rig->RunFor(3500);
    }
};
} // namespace

TEST(PrintoutPdf, WindowAndSettingsFileGiveTheSamePrintout) {
    SiteRig site;
    TForm1& window = *site.rig->window;
    ASSERT_EQ(window.Model().Text("Edit1"), "4071");
    const WindowPrintoutSource fromWindow(window);
    // The template blanks relay 2 and the button pages past button 30.
    QHash<int, QString> blanked{{8, QString()}, {9, QString()}};
    for (int node = 19; node <= 25; ++node) blanked.insert(node, QString());
    const print::ModelPrintoutSource fromFile(window.Model(), window.Texts(), blanked);
    const QList<print::PrintLine> a = print::BuildPrintout(fromWindow).lines;
    const QList<print::PrintLine> b = print::BuildPrintout(fromFile).lines;
    ASSERT_EQ(a.size(), b.size());
    for (qsizetype i = 0; i < a.size(); ++i)
        EXPECT_TRUE(a[i] == b[i]) << i << ": " << a[i].text.toStdString() << " | "
                                  << a[i].value.toStdString() << " / " << b[i].text.toStdString()
                                  << " | " << b[i].value.toStdString();
    EXPECT_EQ(fromWindow.Header().title, fromFile.Header().title);
    // Every unit the pages show is the one the file's printout gives.
    for (const FieldDef& def : FieldCatalogue()) {
        auto* unit = qobject_cast<QLabel*>(window.Control(UnitLabelName(def.name)));
        EXPECT_EQ(unit ? unit->text() : QString(), print::ModelPrintoutSource::Unit(def.name))
            << def.name.toStdString();
    }
}

TEST(PrintoutPdf, CommandLineMakesTheWindowsPdf) {
    SiteRig site;
    const QString fromWindow = Print(*site.rig, site.work.filePath("window.pdf"), 600);
    const QString fromCli = site.work.filePath("cli.pdf");
    QProcess cli;
    cli.start(QStringLiteral(NORVA_BIN_DIR) + "/norvaset-cli",
              {"--home", site.rig->window->ProgramFolder(), "print", site.settings, fromCli});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

    const pdf::Document a = pdf::ReadWords(fromWindow);
    const pdf::Document b = pdf::ReadWords(fromCli);
    ASSERT_TRUE(a.ok && b.ok);
    ASSERT_EQ(a.pages.size(), b.pages.size());
    QStringList linesA, linesB;
    for (const pdf::Line& l : a.AllLines()) linesA << l.Text();
    for (const pdf::Line& l : b.AllLines()) linesB << l.Text();
    for (qsizetype i = 0; i < std::max(linesA.size(), linesB.size()); ++i)
        EXPECT_EQ(linesA.value(i).toStdString(), linesB.value(i).toStdString()) << i;
    ASSERT_EQ(a.words.size(), b.words.size());
    for (qsizetype i = 0; i < a.words.size(); ++i) {
        EXPECT_EQ(a.words[i].text, b.words[i].text) << i;
        EXPECT_NEAR(a.words[i].xMin, b.words[i].xMin, 0.2) << a.words[i].text.toStdString();
        EXPECT_NEAR(a.words[i].yMin, b.words[i].yMin, 0.2) << a.words[i].text.toStdString();
    }
    // The frame of every page stands 10 mm in from the paper's edges in both.
    QTemporaryDir raster;
    for (int page = 1; page <= b.pages.size(); ++page) {
        const std::vector<QRect> fa = pdf::BlueFrames(fromWindow, raster, page);
        const std::vector<QRect> fb = pdf::BlueFrames(fromCli, raster, page);
        ASSERT_EQ(fa.size(), 1u) << page;
        ASSERT_EQ(fb.size(), 1u) << page;
        EXPECT_EQ(fa[0], fb[0]) << page;
        EXPECT_NEAR(fb[0].left(), 100, 1);
        EXPECT_NEAR(fb[0].top(), 100, 1);
        EXPECT_NEAR(fb[0].right(), 2000, 1);
        EXPECT_NEAR(fb[0].bottom(), 2870, 1);
    }
    for (const QSizeF& page : b.pages) { // A4
        EXPECT_NEAR(page.width(), 595.3, 0.5);
        EXPECT_NEAR(page.height(), 841.9, 0.5);
    }
    const QList<pdf::Line> lines = b.AllLines();
    EXPECT_NE(b.FindLine(lines, "Mode: NIGHT"), nullptr);
    EXPECT_NE(b.FindLine(lines, "Button 1 0123456789"), nullptr);
    EXPECT_NE(b.FindLine(lines, "Button 24 602123456"), nullptr);
}
