#include "BmpFile.h"

#include <QtEndian>

namespace {

constexpr qint64 kFileHeaderSize = 14;
constexpr quint32 kCoreHeaderSize = 12;
// Larger than any picture a program of ours takes, small enough that no size computed
// from it overflows.
constexpr qint64 kMaxSide = 1 << 15;

enum Compression : quint32 { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

quint16 U16(const QByteArray& b, qint64 at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 U32(const QByteArray& b, qint64 at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

BmpCheck Bad(const QString& why) {
    BmpCheck c;
    c.error = why;
    return c;
}

// Walks run-length coded pixel data from start: true when the end-of-bitmap mark is
// reached within the data. rle4: two pixels a byte.
bool RunsEndInFile(const QByteArray& b, qint64 start, bool rle4) {
    qint64 at = start;
    const qint64 end = b.size();
    while (at + 2 <= end) {
        const auto count = quint8(b[at]);
        const auto value = quint8(b[at + 1]);
        at += 2;
        if (count > 0) continue; // a run: count pixels of one value
        switch (value) {
        case 0: break;          // end of line
        case 1: return true;    // end of bitmap
        case 2: at += 2; break; // move by (dx, dy)
        default: {
            // Absolute mode: value pixels follow, padded to a 16-bit boundary.
            qint64 bytes = rle4 ? (value + 1) / 2 : value;
            bytes += bytes & 1;
            at += bytes;
        }
        }
    }
    return false;
}

} // namespace

BmpCheck CheckBmp(const QByteArray& bytes) {
    const qint64 size = bytes.size();
    if (size < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        return Bad(QStringLiteral("not a BMP bitmap"));
    const qint64 pixelsAt = U32(bytes, 10);
    const quint32 headerSize = U32(bytes, kFileHeaderSize);
    if (headerSize != kCoreHeaderSize && (headerSize < 40 || headerSize > 124))
        return Bad(QStringLiteral("unknown BMP header"));
    if (kFileHeaderSize + headerSize > size)
        return Bad(QStringLiteral("the file ends in its header"));

    qint64 width = 0, height = 0;
    quint16 planes = 0, bits = 0;
    quint32 compression = kRgb, colours = 0;
    qint64 paletteEntry = 4;
    const qint64 h = kFileHeaderSize;
    if (headerSize == kCoreHeaderSize) {
        width = U16(bytes, h + 4);
        height = U16(bytes, h + 6);
        planes = U16(bytes, h + 8);
        bits = U16(bytes, h + 10);
        paletteEntry = 3;
    } else {
        width = qint32(U32(bytes, h + 4));
        height = qint32(U32(bytes, h + 8));
        planes = U16(bytes, h + 12);
        bits = U16(bytes, h + 14);
        compression = U32(bytes, h + 16);
        colours = U32(bytes, h + 32);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || planes != 1)
        return Bad(QStringLiteral("impossible picture size in the BMP header"));
    const bool rle = compression == kRle8 || compression == kRle4;
    bool bitsFit = false;
    switch (compression) {
    case kRgb:
        bitsFit = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        break;
    case kRle8: bitsFit = bits == 8 && !topDown; break;
    case kRle4: bitsFit = bits == 4 && !topDown; break;
    case kBitFields:
    case kAlphaBitFields: bitsFit = bits == 16 || bits == 32; break;
    default: return Bad(QStringLiteral("unknown BMP compression"));
    }
    if (!bitsFit) return Bad(QStringLiteral("BMP colour depth and compression do not agree"));

    // The palette of up to 256 colours follows the header (and the colour masks of a v1
    // header with bit fields).
    qint64 paletteAt = kFileHeaderSize + headerSize;
    if (headerSize == 40 && compression == kBitFields) paletteAt += 12;
    if (headerSize == 40 && compression == kAlphaBitFields) paletteAt += 16;
    if (bits <= 8) {
        const qint64 entries = colours == 0 ? (qint64(1) << bits) : qint64(colours);
        if (entries > 256) return Bad(QStringLiteral("more colours than the BMP depth holds"));
        if (paletteAt + entries * paletteEntry > size)
            return Bad(QStringLiteral("the file ends in its palette"));
    }
    if (pixelsAt < paletteAt || pixelsAt >= size)
        return Bad(QStringLiteral("the pixel data lies outside the file"));

    if (rle) {
        if (!RunsEndInFile(bytes, pixelsAt, compression == kRle4))
            return Bad(QStringLiteral("the file ends before its last pixel"));
    } else {
        const qint64 rowBytes = (width * bits + 31) / 32 * 4;
        if (pixelsAt + rowBytes * height > size)
            return Bad(QStringLiteral("the file ends before its last pixel"));
    }
    BmpCheck c;
    c.ok = true;
    c.width = int(width);
    c.height = int(height);
    return c;
}
