// What the label sheets draw, recorded in device pixels at 254 dpi: 10 pixels a millimetre,
// so every position in millimetres is exactly ten times its pixel position.
#include "ButtonLabelSheet.h"
#include "PageGeometry.h"
#include "PanelLabelSheet.h"
#include "label_recorder.h"

#include <QFontMetrics>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

constexpr int kDpi = 254; // P = 10
constexpr int kA4Height = 2970;

struct Sheet {
    LabelRecorder device;
    QPainter painter;
    std::unique_ptr<print::LabelCanvas> canvas;
    explicit Sheet(int heightPx = kA4Height, int dpi = kDpi)
        : device(dpi, 2100 * dpi / kDpi, heightPx * dpi / kDpi) {
        painter.begin(&device);
        canvas = std::make_unique<print::LabelCanvas>(painter, [this] { return device.NewPage(); });
    }
    ~Sheet() { painter.end(); }
};

// Width of a text at a point size on the recorder, as the sheets measure it.
int WidthAt(const QString& text, int pointSize) {
    LabelRecorder device(kDpi, 2100, kA4Height);
    QFont font;
    font.setBold(true);
    font.setPointSize(pointSize);
    return QFontMetrics(font, &device).horizontalAdvance(text);
}

// The largest point size from start down at which text is at most limit pixels wide.
int LargestFitting(const QString& text, int start, int limitPx) {
    int size = start;
    while (size > 1 && WidthAt(text, size) > limitPx) --size;
    return size;
}

LabelTexts ButtonTexts(std::initializer_list<std::pair<int, const char*>> fields) {
    LabelTexts t;
    for (const auto& [field, text] : fields) t[field - 1] = QString::fromUtf8(text);
    return t;
}

} // namespace

TEST(LabelSheets, ButtonGeometryPerKind) {
    struct Case {
        const char* kind;
        int columnPitch, rowPitch; // pixels
        int width, height;
    } cases[] = {
        {"2", 700, 200, 520, 140},
        {"3", 690, 150, 450, 160}, // consecutive rows overlap by 1 mm
        {"5", 690, 150, 560, 125},
        {"other", 690, 150, 560, 125},
    };
    for (const Case& c : cases) {
        Sheet sheet;
        print::ButtonLabelSheet(*sheet.canvas, print::ButtonLayoutFor(c.kind, false))
            .PrintAll(ButtonTexts({{1, "A"}, {13, "B"}, {2, "C"}}));
        ASSERT_EQ(sheet.device.frames.size(), 3u) << c.kind;
        const QPoint corners[3] = {{100, 100}, {100 + c.columnPitch, 100}, {100, 100 + c.rowPitch}};
        for (int i = 0; i < 3; ++i) {
            const RecordedFrame& f = sheet.device.frames[i];
            EXPECT_EQ(f.rect.topLeft(), corners[i]) << c.kind << " label " << i;
            EXPECT_EQ(f.rect.width(), c.width) << c.kind;
            EXPECT_EQ(f.rect.height(), c.height) << c.kind;
            EXPECT_EQ(f.color, QColor(Qt::blue));
        }
        // Row by row of the window: Edit1, Edit13, then Edit2.
        const char* order[3] = {"A", "B", "C"};
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(sheet.device.frames[i].rect.contains(sheet.device.Text(order[i])->topLeft))
                << c.kind << " " << order[i];
    }
    // Kind "1" with two buttons: 55 x 15 mm.
    Sheet two;
    print::ButtonLabelSheet(*two.canvas, print::ButtonLayoutFor("1", false))
        .PrintAll(ButtonTexts({{1, "A"}, {13, "B"}}));
    ASSERT_EQ(two.device.frames.size(), 2u);
    EXPECT_EQ(two.device.frames[1].rect, QRect(800, 100, 550, 150));
}

TEST(LabelSheets, EmptyFieldsLeaveNoGapsAndTextsAreCentred) {
    Sheet sheet;
    print::ButtonLabelSheet(*sheet.canvas, print::ButtonLabelLayout::Kind2)
        .PrintAll(ButtonTexts({{1, "Edit one"}, {2, "Edit two"}, {14, "Edit fourteen"}}));
    const struct {
        const char* text;
        QRect frame;
    } expected[] = {
        {"Edit one", QRect(100, 100, 520, 140)},
        {"Edit two", QRect(800, 100, 520, 140)},
        {"Edit fourteen", QRect(100, 300, 520, 140)},
    };
    ASSERT_EQ(sheet.device.frames.size(), 3u);
    ASSERT_EQ(sheet.device.texts.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sheet.device.frames[i].rect, expected[i].frame) << expected[i].text;
        const RecordedText* t = sheet.device.Text(expected[i].text);
        ASSERT_NE(t, nullptr) << expected[i].text;
        EXPECT_EQ(t->pointSize, 16);
        EXPECT_EQ(t->topLeft.x(), expected[i].frame.x() + (520 - t->size.width()) / 2);
        EXPECT_EQ(t->topLeft.y(), expected[i].frame.y() + (140 - t->size.height()) / 2);
    }
}

TEST(LabelSheets, LongTextShrinksToTheLargestSizeThatFits) {
    const struct {
        print::ButtonLabelLayout layout;
        const char* text;
        int areaPx;
    } cases[] = {
        {print::ButtonLabelLayout::Kind3, "ING. JAROSLAV NOVÁK, DDS.", 450}, // 25 characters
        {print::ButtonLabelLayout::Kind3, "Jan Novák, 3. patro vlevo", 450},
        {print::ButtonLabelLayout::Kind2, "Short", 520},
        {print::ButtonLabelLayout::Other, "MMMMMMMMMMMMMMMMMMMMMMMMM", 560},
    };
    for (const auto& c : cases) {
        Sheet sheet;
        const QString text = QString::fromUtf8(c.text);
        print::ButtonLabelSheet(*sheet.canvas, c.layout).PrintLabel(text);
        ASSERT_EQ(sheet.device.texts.size(), 1u);
        const RecordedText& t = sheet.device.texts[0];
        EXPECT_EQ(t.text, text);
        EXPECT_EQ(t.pointSize, LargestFitting(text, 16, c.areaPx)) << c.text;
        EXPECT_LE(t.size.width(), c.areaPx) << c.text;
    }
}

TEST(LabelSheets, ButtonLabelsBreakPagesAndNeverEndOnABlankPage) {
    // A 100 mm page: kind "2" rows end at 24, 44, 64, 84 mm, all within 100 - 15 mm; the
    // fifth row (104 mm) starts a new page. Eight labels a page.
    const struct {
        int filled; // the first n places of the print order hold a text
        int pages;
    } cases[] = {{24, 3}, {16, 2}, {8, 1}, {9, 2}};
    for (const auto& c : cases) {
        Sheet sheet(1000);
        LabelTexts texts;
        const auto order = print::ButtonPrintOrder();
        for (int i = 0; i < c.filled; ++i) texts[order[i]] = QString("L%1").arg(i + 1);
        print::ButtonLabelSheet(*sheet.canvas, print::ButtonLabelLayout::Kind2).PrintAll(texts);
        ASSERT_EQ(int(sheet.device.frames.size()), c.filled);
        for (int i = 0; i < c.filled; ++i) {
            const RecordedFrame& f = sheet.device.frames[i];
            const int onPage = i % 8;
            EXPECT_EQ(f.page, 1 + i / 8) << i;
            EXPECT_EQ(f.rect.topLeft(), QPoint(100 + 700 * (onPage % 2), 100 + 200 * (onPage / 2)))
                << i;
        }
        // Empty fields after the last label start no further page.
        EXPECT_EQ(sheet.device.page, c.pages) << c.filled;
    }
}

TEST(LabelSheets, BigLabelShrinksTooWideRowsBeforeTheBlock) {
    struct Case {
        std::array<const char*, 4> rows;
    } cases[] = {
        {{"A much too long first row of text", "Two", "Three", "Four"}},
        {{"One", "Two", "A much too long third row of text", ""}},
        {{"One", "Two", "Three", "Four"}},
        {{"", "", "", "Only the last"}},
    };
    for (const Case& c : cases) {
        Sheet sheet;
        std::array<QString, 4> rows;
        for (int k = 0; k < 4; ++k) rows[k] = c.rows[k];
        print::ButtonLabelSheet(*sheet.canvas, print::ButtonLabelLayout::BigLabel)
            .PrintBigLabel(rows);
        ASSERT_EQ(sheet.device.frames.size(), 1u);
        EXPECT_EQ(sheet.device.frames[0].rect, QRect(100, 100, 550, 350)); // 55 x 35 mm
        // Every row fits 45 mm; the rows together fit 29 mm; a row narrower than 45 mm keeps
        // the size of the block, and only a row that was too wide is smaller.
        int heights = 0, block = 0;
        for (const QString& row : rows) {
            if (row.isEmpty()) continue;
            const RecordedText* t = sheet.device.Text(row);
            ASSERT_NE(t, nullptr);
            EXPECT_LE(t->size.width(), 450) << row.toStdString();
            heights += t->size.height();
            if (WidthAt(row, 20) <= 450) block = std::max(block, t->pointSize);
        }
        EXPECT_LE(heights, 290);
        for (const QString& row : rows) {
            if (row.isEmpty()) continue;
            const RecordedText* t = sheet.device.Text(row);
            if (WidthAt(row, 20) <= 450)
                EXPECT_EQ(t->pointSize, block) << row.toStdString();
            else
                EXPECT_EQ(t->pointSize, LargestFitting(row, 20, 450)) << row.toStdString();
        }
        // Rows spread over 30 mm from 3 mm below the top, empty rows keeping their gap.
        std::array<int, 4> h{};
        for (int k = 0; k < 4; ++k)
            if (const RecordedText* t = rows[k].isEmpty() ? nullptr : sheet.device.Text(rows[k]))
                h[k] = t->size.height();
        const int gap = (300 - h[0] - h[1] - h[2] - h[3]) / 4;
        int above = 0;
        for (int k = 0; k < 4; ++k) {
            if (!rows[k].isEmpty()) {
                const RecordedText* t = sheet.device.Text(rows[k]);
                EXPECT_EQ(t->topLeft.y(), 100 + 30 + (k + 1) * gap + above) << k;
                EXPECT_EQ(t->topLeft.x(), 100 + (520 - t->size.width()) / 2) << k;
            }
            above += h[k];
        }
    }
}

TEST(LabelSheets, BigLabelOfFourEmptyRowsDrawsNothing) {
    Sheet sheet;
    print::ButtonLabelSheet(*sheet.canvas, print::ButtonLabelLayout::BigLabel)
        .PrintAll(ButtonTexts({{13, "hidden right column is not the big label"}}));
    EXPECT_TRUE(sheet.device.frames.empty());
}

// ---- panel labels ----------------------------------------------------------------------------

namespace {
print::PanelJob PanelTexts(PanelSize size,
                           std::initializer_list<std::tuple<int, int, const char*>> lines) {
    print::PanelJob job;
    job.size = size;
    for (const auto& [label, line, text] : lines)
        job.texts[(label - 1) * kPanelLinesPerLabel + line - 1] = QString::fromUtf8(text);
    return job;
}
QString WriteBmp(const QTemporaryDir& dir, const char* name, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path, "BMP"));
    return path;
}
} // namespace

TEST(LabelSheets, PanelLabelsOneAndThreeStandSideBySide) {
    Sheet sheet;
    const auto unusable = print::PrintPanelLabels(
        *sheet.canvas, PanelTexts(PanelSize::S28x62, {{1, 1, "First"}, {3, 2, "Third"}}));
    EXPECT_TRUE(unusable.isEmpty());
    ASSERT_EQ(sheet.device.frames.size(), 2u);
    EXPECT_EQ(sheet.device.frames[0].rect, QRect(100, 100, 620, 280));
    EXPECT_EQ(sheet.device.frames[1].rect, QRect(850, 100, 620, 280));
    EXPECT_GE(sheet.device.Text("Third")->topLeft.x(), 850);
}

TEST(LabelSheets, PanelSizeTable) {
    const struct {
        PanelSize size;
        int height, rowPitch;
    } cases[] = {{PanelSize::S22x62, 220, 300},
                 {PanelSize::S28x62, 280, 350},
                 {PanelSize::S41x62, 410, 500},
                 {PanelSize::S56x62, 560, 700}};
    for (const auto& c : cases) {
        Sheet sheet;
        print::PrintPanelLabels(
            *sheet.canvas,
            PanelTexts(c.size, {{1, 1, "a"}, {2, 1, "b"}, {3, 1, "c"}, {4, 1, "d"}}));
        ASSERT_EQ(sheet.device.frames.size(), 4u);
        EXPECT_EQ(sheet.device.frames[2].rect, QRect(100, 100 + c.rowPitch, 620, c.height));
        EXPECT_EQ(sheet.device.frames[3].rect, QRect(850, 100 + c.rowPitch, 620, c.height));
    }
}

TEST(LabelSheets, PanelLinesArePlacedInTheirBand) {
    // 22 x 62 with only line 2: centred in the 19 mm band below box top + 3 mm.
    {
        Sheet sheet;
        print::PrintPanelLabels(*sheet.canvas,
                                PanelTexts(PanelSize::S22x62, {{1, 2, "Only line two"}}));
        const RecordedText* t = sheet.device.Text("Only line two");
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->pointSize, 20);
        EXPECT_EQ(t->topLeft.y(), 100 + 30 + (190 - t->size.height()) / 2);
        EXPECT_EQ(t->topLeft.x(), 100 + (620 - t->size.width()) / 2);
    }
    // A 40-character sixth line on 56 x 62: the largest size from 30 pt that is 56 mm wide.
    {
        Sheet sheet;
        const QString sixth = QString::fromUtf8("MUDR. JAROSLAV NOVÁK, ZUBNÍ LÉKAŘ, 2. P.");
        ASSERT_EQ(sixth.size(), 40);
        print::PanelJob job = PanelTexts(PanelSize::S56x62, {});
        job.texts[5] = sixth;
        print::PrintPanelLabels(*sheet.canvas, job);
        const RecordedText* t = sheet.device.Text(sixth);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->pointSize, LargestFitting(sixth, 30, 560));
        EXPECT_LE(t->size.width(), 560);
        // Five empty lines above keep their gaps: g = (52 mm - h) / 7, line 6 at 6 g.
        EXPECT_EQ(t->topLeft.y(), 100 + 30 + 6 * ((520 - t->size.height()) / 7));
    }
    // 22 x 62 prints lines 1 and 2 only; line 3 of the field is not on the label.
    {
        Sheet sheet;
        print::PrintPanelLabels(*sheet.canvas,
                                PanelTexts(PanelSize::S22x62, {{1, 1, "one"}, {1, 3, "three"}}));
        EXPECT_NE(sheet.device.Text("one"), nullptr);
        EXPECT_EQ(sheet.device.Text("three"), nullptr);
    }
}

TEST(LabelSheets, PanelPictureReplacesTheUpperLines) {
    QTemporaryDir dir;
    // Five dots a pixel at 254 dpi: half a millimetre, 20 x 8 mm.
    const QString bmp = WriteBmp(dir, "logo.bmp", 40, 16);
    struct Case {
        PanelSize size;
        int label;
        QStringList printed, left;
    } cases[] = {
        {PanelSize::S41x62, 1, {"five"}, {"one", "four", "six"}},
        {PanelSize::S56x62, 1, {"five", "six"}, {"one", "four"}},
        // A label after an empty one carries its own picture.
        {PanelSize::S41x62, 2, {"five"}, {"one", "four"}},
    };
    for (const Case& c : cases) {
        Sheet sheet;
        print::PanelJob job = PanelTexts(
            c.size,
            {{c.label, 1, "one"}, {c.label, 4, "four"}, {c.label, 5, "five"}, {c.label, 6, "six"}});
        job.pictures[c.label - 1] = bmp;
        EXPECT_TRUE(print::PrintPanelLabels(*sheet.canvas, job).isEmpty());
        ASSERT_EQ(sheet.device.pictures.size(), 1u);
        const QRect picture = sheet.device.pictures[0].target;
        EXPECT_EQ(picture, QRect(100 + (620 - 200) / 2, 140, 200, 80));
        for (const QString& p : c.printed)
            EXPECT_NE(sheet.device.Text(p), nullptr) << p.toStdString();
        for (const QString& l : c.left) EXPECT_EQ(sheet.device.Text(l), nullptr) << l.toStdString();
        const RecordedText* five = sheet.device.Text("five");
        const int h5 = five->size.height();
        if (c.size == PanelSize::S41x62) {
            EXPECT_EQ(five->topLeft.y(), 140 + (380 - 80 - h5) / 3 * 2 + 80);
        } else {
            const RecordedText* six = sheet.device.Text("six");
            const int step = (520 - 80 - h5 - six->size.height()) / 4;
            EXPECT_EQ(five->topLeft.y(), 140 + step * 2 + 80);
            EXPECT_EQ(six->topLeft.y(), 140 + step * 3 + 80 + h5);
        }
    }
}

TEST(LabelSheets, PictureSizeFollowsTheRowAndTheDevicesResolution) {
    // Row 0: trunc(5 x pixels / P) mm; the rows below: trunc(6 x pixels / P + 1) mm.
    const struct {
        int dpi;
        QSize pixels;
        int row;
        QSize mm;
    } sizes[] = {
        {600, {200, 70}, 0, {42, 14}}, {600, {200, 70}, 1, {51, 18}}, {1200, {200, 70}, 0, {21, 7}},
        {1200, {200, 70}, 1, {26, 9}}, {600, {220, 80}, 0, {46, 16}}, {600, {220, 80}, 1, {56, 21}},
    };
    for (const auto& c : sizes)
        EXPECT_EQ(print::PicturePrintedSizeMm(c.pixels, print::PageGeometry(c.dpi).P(), c.row),
                  c.mm)
            << c.dpi << " dpi row " << c.row;

    // Four 56 x 62 labels with a 200 x 70 picture each: labels 3 and 4 stand in row 1.
    QTemporaryDir dir;
    const QString bmp = WriteBmp(dir, "logo.bmp", 200, 70);
    for (int dpi : {600, 1200, 300}) {
        Sheet sheet(kA4Height, dpi);
        const print::PageGeometry g(dpi);
        print::PanelJob job =
            PanelTexts(PanelSize::S56x62, {{1, 5, "a"}, {2, 5, "b"}, {3, 5, "c"}, {4, 5, "d"}});
        job.pictures.fill(bmp);
        EXPECT_TRUE(print::PrintPanelLabels(*sheet.canvas, job).isEmpty());
        ASSERT_EQ(sheet.device.pictures.size(), 4u) << dpi;
        ASSERT_EQ(sheet.device.frames.size(), 4u) << dpi;
        for (int k = 0; k < 4; ++k) {
            const QRect picture = sheet.device.pictures[k].target;
            const QRect frame = sheet.device.frames[k].rect;
            const QSize mm = print::PicturePrintedSizeMm({200, 70}, g.P(), k / 2);
            if (g.Px(mm.width()) <= g.Px(60) && g.Px(mm.height()) <= g.Px(51)) {
                EXPECT_EQ(picture.size(), QSize(g.Px(mm.width()), g.Px(mm.height())))
                    << dpi << " label " << k + 1;
            }
            // On a coarse printer the picture is scaled down into its label.
            EXPECT_TRUE(frame.contains(picture)) << dpi << " label " << k + 1;
            EXPECT_EQ(picture.top(), frame.top() + g.Px(4));
            EXPECT_NEAR(picture.center().x(), frame.center().x(), 1);
        }
    }
}

TEST(LabelSheets, OnlyPicturesReadWholeArePrinted) {
    QTemporaryDir dir;
    const QString good = WriteBmp(dir, "good.bmp", 200, 70);
    QFile whole(good);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const auto write = [&dir](const char* name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return dir.filePath(name);
    };
    QImage png(40, 20, QImage::Format_RGB32);
    png.fill(Qt::blue);
    png.save(dir.filePath("png.bmp"), "PNG");
    const QString fifo = dir.filePath("fifo.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        const char* name;
        QString file;
        const char* reason; // "" = printed
    } cases[] = {
        {"good", good, ""},
        {"truncated", write("cut.bmp", bytes.left(500)), "ends before its last pixel"},
        {"one row short", write("short.bmp", bytes.left(bytes.size() - 600)),
         "ends before its last pixel"},
        {"wrong format", dir.filePath("png.bmp"), "not a BMP"},
        {"oversized", WriteBmp(dir, "big.bmp", 221, 80), "221 x 80 pixels"},
        {"text", write("text.bmp", "not a picture"), "not a BMP"},
        {"missing", dir.filePath("gone.bmp"), "File not found"},
        {"FIFO", fifo, "Not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sheet sheet;
        print::PanelJob job = PanelTexts(PanelSize::S41x62, {{1, 1, "one"}, {1, 5, "five"}});
        job.pictures[0] = c.file;
        const QStringList unusable = print::PrintPanelLabels(*sheet.canvas, job);
        EXPECT_NE(sheet.device.Text("five"), nullptr);
        if (!*c.reason) {
            EXPECT_TRUE(unusable.isEmpty()) << unusable.join(' ').toStdString();
            EXPECT_EQ(sheet.device.pictures.size(), 1u);
            continue;
        }
        // Left out like a missing picture: the label prints its lines, the file is named.
        ASSERT_EQ(unusable.size(), 1);
        EXPECT_TRUE(unusable[0].startsWith(c.file));
        EXPECT_TRUE(unusable[0].contains(QLatin1String(c.reason))) << unusable[0].toStdString();
        EXPECT_TRUE(sheet.device.pictures.empty());
        EXPECT_NE(sheet.device.Text("one"), nullptr);
    }
}

// Texts of every length stay inside their own frame in every layout: they shrink down to
// the smallest readable size, and what is still too wide is cut with an ellipsis.
TEST(LabelSheets, EveryTextStaysInsideItsFrame) {
    const QString czech = QString::fromUtf8("Příliš žluťoučký kůň úpěl ďábelské ódy");
    const QString texts[] = {QString(25, QLatin1Char('W')), QString(100, QLatin1Char('M')),
                             QString(300, QLatin1Char('x')), czech};
    const auto inside = [](const RecordedText& t, const RecordedFrame& f) {
        return t.topLeft.x() >= f.rect.x() && t.topLeft.y() >= f.rect.y() &&
               t.topLeft.x() + t.size.width() <= f.Right() &&
               t.topLeft.y() + t.size.height() <= f.Bottom();
    };
    const auto check = [&](const Sheet& sheet, const QString& text) {
        ASSERT_FALSE(sheet.device.frames.empty());
        for (const RecordedText& t : sheet.device.texts) {
            EXPECT_GE(t.pointSize, print::kSmallestPointSize);
            bool framed = false;
            for (const RecordedFrame& f : sheet.device.frames) framed = framed || inside(t, f);
            EXPECT_TRUE(framed) << t.text.size() << " characters at " << t.pointSize << " pt";
            // Whole, or cut at its end with an ellipsis.
            if (t.text != text) {
                EXPECT_TRUE(t.text.endsWith(QChar(0x2026))) << t.text.toStdString();
                EXPECT_TRUE(text.startsWith(t.text.chopped(1)));
            }
        }
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(30).toStdString());
        for (auto layout : {print::ButtonLabelLayout::TwoButtons, print::ButtonLabelLayout::Kind2,
                            print::ButtonLabelLayout::Kind3, print::ButtonLabelLayout::Other,
                            print::ButtonLabelLayout::BigLabel}) {
            Sheet sheet;
            LabelTexts all;
            all.fill(text);
            print::ButtonLabelSheet(*sheet.canvas, layout).PrintAll(all);
            check(sheet, text);
        }
        for (PanelSize size :
             {PanelSize::S22x62, PanelSize::S28x62, PanelSize::S41x62, PanelSize::S56x62}) {
            Sheet sheet;
            print::PanelJob job;
            job.size = size;
            job.texts.fill(text);
            print::PrintPanelLabels(*sheet.canvas, job);
            check(sheet, text);
        }
    }
    // A name of 25 capitals, the most a field takes by typing, prints whole on the
    // narrowest button label.
    const QString name = QString::fromUtf8("ING. JAROSLAV NOVÁK, DDS.");
    ASSERT_EQ(name.size(), 25);
    Sheet kind3;
    print::ButtonLabelSheet(*kind3.canvas, print::ButtonLabelLayout::Kind3).PrintLabel(name);
    EXPECT_EQ(kind3.device.texts.at(0).text, name);
}
