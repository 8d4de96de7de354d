// BMP bitmaps are checked whole before a label picture is decoded: a file cut short, or
// one whose headers promise what it does not hold, is refused with the reason.
#include "BmpFile.h"

#include <QDir>
#include <QFile>
#include <QSize>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

void Put16(QByteArray& b, int at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void Put32(QByteArray& b, int at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

// A bitmap file with a 40-byte info header, a grey palette for depths up to 8 and zero
// pixels, or the given pixel data.
QByteArray Bmp(int width, int height, int bits, quint32 compression = 0,
               const QByteArray& pixels = QByteArray()) {
    const int colours = bits <= 8 ? 1 << bits : 0;
    const int rowBytes = (width * bits + 31) / 32 * 4;
    const QByteArray data =
        pixels.isNull() ? QByteArray(rowBytes * (height < 0 ? -height : height), '\0') : pixels;
    const int offset = 14 + 40 + colours * 4;
    QByteArray b(offset, '\0');
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, quint32(offset + data.size()));
    Put32(b, 10, quint32(offset));
    Put32(b, 14, 40);
    Put32(b, 18, quint32(width));
    Put32(b, 22, quint32(height));
    Put16(b, 26, 1);
    Put16(b, 28, quint16(bits));
    Put32(b, 30, compression);
    return b + data;
}

} // namespace

TEST(FilesBmp, OnlyWholeBitmapsPass) {
    const QByteArray rgb = Bmp(200, 70, 24);
    const QByteArray grey = Bmp(10, 10, 8);
    // Runs of RLE8: a run of 10 pixels, end of line, end of bitmap.
    const QByteArray runs("\x0a\x05\x00\x00\x00\x01", 6);
    QByteArray planes = Bmp(4, 4, 24);
    Put16(planes, 26, 2);
    QByteArray farPixels = Bmp(4, 4, 24);
    Put32(farPixels, 10, 4000);
    const struct {
        const char* name;
        QByteArray bytes;
        QSize size;         // when accepted
        const char* reason; // "" = accepted
    } cases[] = {
        {"24 bits", rgb, {200, 70}, ""},
        {"8 bits with palette", grey, {10, 10}, ""},
        {"1 bit, rows padded", Bmp(33, 5, 1), {33, 5}, ""},
        {"top-down", Bmp(6, -5, 32), {6, 5}, ""},
        {"RLE8", Bmp(10, 1, 8, 1, runs), {10, 1}, ""},
        {"first 500 bytes", rgb.left(500), {}, "ends before its last pixel"},
        {"one byte short", rgb.chopped(1), {}, "ends before its last pixel"},
        {"cut in the header", rgb.left(30), {}, "ends in its header"},
        {"cut in the palette", grey.left(14 + 40 + 100), {}, "ends in its palette"},
        {"RLE8 without its end", Bmp(10, 1, 8, 1, runs.left(4)), {}, "ends before"},
        {"no width", Bmp(0, 4, 24), {}, "impossible picture size"},
        {"two planes", planes, {}, "impossible picture size"},
        {"7 bits", Bmp(4, 4, 7), {}, "do not agree"},
        {"RLE8 of 24 bits", Bmp(4, 4, 24, 1), {}, "do not agree"},
        {"unknown compression", Bmp(4, 4, 24, 9), {}, "unknown BMP compression"},
        {"pixels past the end", farPixels, {}, "outside the file"},
        {"PNG", QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(100, '\0'), {}, "not a BMP"},
        {"empty", QByteArray(), {}, "not a BMP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BmpCheck check = CheckBmp(c.bytes);
        EXPECT_EQ(check.ok, !*c.reason) << check.error.toStdString();
        if (check.ok) {
            EXPECT_EQ(QSize(check.width, check.height), c.size);
        } else {
            EXPECT_TRUE(check.error.contains(QLatin1String(c.reason))) << check.error.toStdString();
        }
    }
}

// Bitmaps as a picture program saves them (24 bits, a palette, one bit, run-length coded).
TEST(FilesBmp, BitmapsOfAPictureProgramPass) {
    const QDir seeds(QStringLiteral(NORVA_SOURCE_DIR "/tests/fixtures/fuzz-seeds/bmp_picture"));
    const QStringList files = seeds.entryList(QDir::Files);
    ASSERT_GE(files.size(), 4);
    for (const QString& name : files) {
        QFile f(seeds.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const BmpCheck check = CheckBmp(f.readAll());
        EXPECT_TRUE(check.ok) << name.toStdString() << ": " << check.error.toStdString();
    }
}
