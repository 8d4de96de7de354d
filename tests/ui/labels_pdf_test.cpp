// norvaset-cli labels: label files as A4 PDFs at true size. The PDF is rasterised at
// 254 dpi (ten pixels a millimetre) and the blue frames are measured on the page.
#include "Dialogs.h"
#include "LabelFiles.h"
#include "LabelWindows.h"
#include "LanguageTexts.h"
#include "pdf_frames.h"
#include "pdf_words.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int exitCode = -1;
    QString err;
};

CliRun Cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(NORVA_BIN_DIR) + "/norvaset-cli", QStringList{"labels"} + args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

TEST(LabelsPdf, FramesHaveTheirTrueSizeOnThePaper) {
    QTemporaryDir dir;
    const QString nvl = dir.filePath("in.nvl");
    LabelTexts texts;
    texts[0] = "Jan Novák";
    WriteButtonLabelFile(nvl, texts);
    const QString vxl = dir.filePath("in.vxl");
    LabelTexts panel;
    panel[0] = "Vchod A";
    WritePanelLabelFile(vxl, panel, PanelSize::S41x62, {});
    struct Case {
        QStringList args;
        QRect frame; // tenths of a millimetre from the paper's corner
    } cases[] = {
        {{nvl, "--kind", "2"}, QRect(100, 100, 520, 140)},
        {{nvl, "--kind", "3"}, QRect(100, 100, 450, 160)},
        {{nvl, "--kind=other"}, QRect(100, 100, 560, 125)},
        {{nvl, "--kind", "1"}, QRect(100, 100, 550, 150)},
        {{nvl, "--kind", "1", "--one-button"}, QRect(100, 100, 550, 350)},
        {{vxl}, QRect(100, 100, 620, 410)},
    };
    for (const Case& c : cases) {
        const QString pdf = dir.filePath("out.pdf");
        QFile::remove(pdf);
        const CliRun run = Cli(c.args + QStringList{pdf});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const std::vector<QRect> frames = pdf::BlueFrames(pdf, dir);
        ASSERT_EQ(frames.size(), 1u) << c.args.join(' ').toStdString();
        const QRect f = frames[0];
        // Within 0.2 mm: a frame line is one printer dot, drawn as up to two pixels here.
        EXPECT_NEAR(f.x(), c.frame.x(), 2) << c.args.join(' ').toStdString();
        EXPECT_NEAR(f.y(), c.frame.y(), 2) << c.args.join(' ').toStdString();
        EXPECT_NEAR(f.width(), c.frame.width(), 2) << c.args.join(' ').toStdString();
        EXPECT_NEAR(f.height(), c.frame.height(), 2) << c.args.join(' ').toStdString();
    }
}

TEST(LabelsPdf, BadInputWritesNoPdf) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    QDir(dir.path()).mkdir("folder.nvl");
    QFile txt(dir.filePath("in.txt"));
    txt.open(QIODevice::WriteOnly);
    txt.write("[N]\r\n1=x\r\n");
    txt.close();
    WriteButtonLabelFile(dir.filePath("ok.nvl"), {});
    struct Case {
        QStringList args;
        int exitCode;
        QString out;
    } cases[] = {
        {{dir.filePath("missing.nvl"), pdf}, 1, pdf},
        {{dir.filePath("folder.nvl"), pdf}, 1, pdf},
        {{dir.filePath("in.txt"), pdf}, 1, pdf},
        {{dir.filePath("ok.nvl"), pdf, "--kind", "4"}, 2, pdf},
        {{dir.filePath("ok.nvl"), pdf, "--kind", "2", "--one-button"}, 2, pdf},
        {{dir.filePath("ok.nvl")}, 2, pdf},
        // The PDF cannot be written.
        {{dir.filePath("ok.nvl"), dir.filePath("nofolder/x.pdf")},
         1,
         dir.filePath("nofolder/x.pdf")},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_FALSE(QFile::exists(c.out)) << c.args.join(' ').toStdString();
    }
}

// The same label file printed from its window (through the print dialog, whose printer
// has margins) and by norvaset-cli gives the same frames and the same words at the same
// places, long texts included.
TEST(LabelsPdf, WindowAndCommandLinePrintTheSameSheets) {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    LanguageTexts texts;
    const LabelWindowContext context{&dialogs, &texts, [&dir] { return dir.path() + "/"; }};
    LabelTexts buttons;
    buttons[0] = "Jan Novák";
    buttons[12] = QString::fromUtf8("Příliš žluťoučký kůň úpěl ďábelské ódy, 3. patro vlevo");
    buttons[1] = QString(100, QLatin1Char('M'));
    buttons[13] = QString(300, QLatin1Char('x'));
    WriteButtonLabelFile(dir.filePath("b.nvl"), buttons);
    LabelTexts panel;
    for (int i = 0; i < kLabelTextCount; ++i)
        panel[i] = i % 7 == 3 ? QString(200, QLatin1Char('W')) : QString("Vchod %1").arg(i + 1);
    WritePanelLabelFile(dir.filePath("p.vxl"), panel, PanelSize::S56x62, {});

    struct Case {
        const char* kind; // "" = the panel window
        QStringList cliArgs;
    } cases[] = {
        {"2", {dir.filePath("b.nvl"), "--kind", "2"}},
        {"3", {dir.filePath("b.nvl"), "--kind", "3"}},
        {"7", {dir.filePath("b.nvl"), "--kind", "7"}},
        {"", {dir.filePath("p.vxl")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.kind ? c.kind : "panel");
        const QString fromWindow = dir.filePath("window.pdf");
        dialogs.printAnswers = {fromWindow};
        if (*c.kind) {
            TForm14 window(context);
            window.FormShow(c.kind);
            window.SetTexts(buttons);
            window.Button1Click();
        } else {
            TForm5 window(context);
            window.SetSize(PanelSize::S56x62);
            window.SetTexts(panel);
            window.Button1Click();
        }
        const QString fromCli = dir.filePath("cli.pdf");
        const CliRun run = Cli(c.cliArgs + QStringList{fromCli});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

        const std::vector<QRect> a = pdf::BlueFrames(fromWindow, dir);
        const std::vector<QRect> b = pdf::BlueFrames(fromCli, dir);
        ASSERT_FALSE(a.empty());
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_NEAR(a[i].x(), b[i].x(), 1) << i;
            EXPECT_NEAR(a[i].y(), b[i].y(), 1) << i;
            EXPECT_NEAR(a[i].width(), b[i].width(), 1) << i;
            EXPECT_NEAR(a[i].height(), b[i].height(), 1) << i;
        }
        EXPECT_EQ(a.front().topLeft(), QPoint(100, 100)) << "10 mm from the paper's corner";
        const pdf::Document wa = pdf::ReadWords(fromWindow), wb = pdf::ReadWords(fromCli);
        ASSERT_TRUE(wa.ok && wb.ok);
        ASSERT_EQ(wa.words.size(), wb.words.size());
        for (qsizetype i = 0; i < wa.words.size(); ++i) {
            EXPECT_EQ(wa.words[i].text, wb.words[i].text);
            EXPECT_NEAR(wa.words[i].xMin, wb.words[i].xMin, 0.3) << wa.words[i].text.toStdString();
            EXPECT_NEAR(wa.words[i].yMin, wb.words[i].yMin, 0.3) << wa.words[i].text.toStdString();
        }
        // Every word stays inside a frame (at 72 points an inch; frames in tenths of a mm).
        for (const pdf::Word& w : wb.words) {
            const QRectF box(w.xMin * 254 / 72, w.yMin * 254 / 72, (w.xMax - w.xMin) * 254 / 72,
                             (w.yMax - w.yMin) * 254 / 72);
            bool inside = false;
            for (const QRect& f : b)
                inside = inside || QRectF(f).adjusted(-1, -1, 1, 1).contains(box);
            EXPECT_TRUE(inside) << w.text.toStdString();
        }
    }
}
