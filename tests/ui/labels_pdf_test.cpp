// norvaset-cli labels: label files as A4 PDFs at true size. The PDF is rasterised at
// 254 dpi (ten pixels a millimetre) and the blue frames are measured on the page.
#include "LabelFiles.h"

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

// Blue frame boxes of page 1 at 254 dpi, found by walking the blue pixels' connected runs
// along the top edge: the bounding box of each frame.
std::vector<QRect> BlueFrames(const QString& pdf, const QTemporaryDir& dir) {
    QProcess p;
    p.start("pdftoppm", {"-r", "254", "-f", "1", "-l", "1", "-png", pdf, dir.filePath("page")});
    p.waitForFinished(60000);
    QImage page(dir.filePath("page-1.png"));
    if (page.isNull()) page.load(dir.filePath("page-01.png"));
    std::vector<QRect> frames;
    if (page.isNull()) return frames;
    auto blue = [&](int x, int y) {
        const QColor c = page.pixelColor(x, y);
        return c.blue() > 150 && c.red() < c.blue() - 40;
    };
    QImage seen(page.size(), QImage::Format_Mono);
    seen.fill(0);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            if (!blue(x, y) || seen.pixelIndex(x, y)) continue;
            // Flood the frame's outline.
            QRect box(x, y, 1, 1);
            std::vector<QPoint> stack{{x, y}};
            seen.setPixel(x, y, 1);
            while (!stack.empty()) {
                const QPoint q = stack.back();
                stack.pop_back();
                box |= QRect(q, QSize(1, 1));
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const QPoint n(q.x() + dx, q.y() + dy);
                        if (!page.rect().contains(n) || seen.pixelIndex(n) || !blue(n.x(), n.y()))
                            continue;
                        seen.setPixel(n, 1);
                        stack.push_back(n);
                    }
            }
            if (box.width() > 50) frames.push_back(box);
        }
    return frames;
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
        const std::vector<QRect> frames = BlueFrames(pdf, dir);
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
