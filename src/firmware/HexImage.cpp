#include "HexImage.h"

#include "FileAccess.h"
#include "LanguageTexts.h"

const char* const kHexDropFrom = ":103C400088018C018E018D012400900122008C01DD";
const char* const kHexDropUntil = ":020000040001F9";

namespace {

constexpr int kDataRecord = 0x00;
constexpr int kEndOfFileRecord = 0x01;
constexpr int kExtendedSegmentRecord = 0x02;
constexpr int kExtendedLinearRecord = 0x04;
constexpr int kLastRecordType = 0x05;
// ":" + count (2) + address (4) + type (2) + checksum (2)
constexpr int kRecordOverhead = 11;

struct Record {
    int count = 0;
    int address = 0;
    int type = 0;
    QByteArray data;
};

QString WithoutTrailingBlanks(const QString& line) {
    int end = int(line.size());
    while (end > 0 && line.at(end - 1).isSpace()) --end;
    return line.left(end);
}

int ByteAt(const QString& line, int pos) {
    return HexDigit(line.at(pos)) * 16 + HexDigit(line.at(pos + 1));
}

// Reads a line that is already known to be a sound record.
Record ParseRecord(const QString& line) {
    Record r;
    r.count = ByteAt(line, 1);
    r.address = ByteAt(line, 3) * 256 + ByteAt(line, 5);
    r.type = ByteAt(line, 7);
    for (int i = 0; i < r.count; ++i) r.data.append(char(ByteAt(line, 9 + 2 * i)));
    return r;
}

HexFault CheckRecord(const QString& line) {
    if (line.size() < kRecordOverhead || line.at(0) != QLatin1Char(':'))
        return HexFault::NotARecord;
    for (int i = 1; i < line.size(); ++i)
        if (HexDigit(line.at(i)) < 0) return HexFault::NotARecord;
    if ((line.size() - 1) % 2 != 0) return HexFault::LengthMismatch;
    const int count = ByteAt(line, 1);
    if (line.size() != kRecordOverhead + 2 * count) return HexFault::LengthMismatch;
    int sum = 0;
    for (int i = 1; i < line.size(); i += 2) sum += ByteAt(line, i);
    if ((sum & 0xFF) != 0) return HexFault::BadChecksum;
    const int type = ByteAt(line, 7);
    if (type > kLastRecordType) return HexFault::BadRecordType;
    if (type == kDataRecord) {
        const int address = ByteAt(line, 3) * 256 + ByteAt(line, 5);
        if (address % 2 != 0) return HexFault::OddAddress;
        if (count % 2 != 0) return HexFault::OddCount;
        if (count > fwimage::kMaxRecordData) return HexFault::TooLong;
    }
    return HexFault::None;
}

QByteArray EndBlock() {
    QByteArray block(fwimage::kBlockBytes, char(fwimage::kPadding));
    block[0] = char(fwimage::kEndMarker);
    return block;
}

} // namespace

int HexDigit(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

QString ByteHex(uint8_t byte) {
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

QStringList SplitHexText(const QByteArray& text) {
    QString all = QString::fromLatin1(text);
    all.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    all.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = all.split(QLatin1Char('\n'));
    // A final line break ends the last line; it does not start another one.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

HexCheck CheckHexLines(const QStringList& lines) {
    bool ended = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = WithoutTrailingBlanks(lines[i]);
        if (line.isEmpty()) continue;
        if (ended) return {HexFault::AfterEnd, i + 1, {}};
        const HexFault fault = CheckRecord(line);
        if (fault != HexFault::None) return {fault, i + 1, {}};
        if (ByteAt(line, 7) == kEndOfFileRecord) ended = true;
    }
    if (!ended) return {HexFault::NoEndRecord, int(lines.size()), {}};
    return {};
}

QStringList FilterHexLines(const QStringList& lines) {
    QStringList loaded;
    bool dropping = false;
    for (const QString& raw : lines) {
        const QString line = WithoutTrailingBlanks(raw);
        if (line.isEmpty()) continue;
        if (line == QLatin1String(kHexDropFrom)) {
            loaded << line;
            dropping = true;
        } else if (line == QLatin1String(kHexDropUntil)) {
            loaded << line;
            dropping = false;
        } else if (!dropping) {
            loaded << line;
        }
    }
    return loaded;
}

FirmwareImage BuildFirmwareImage(const QStringList& loaded, HexCheck* check,
                                 const QList<int>& lineNumbers) {
    FirmwareImage image;
    HexCheck result{HexFault::NoEndBlock, 0, {}};
    int expected = fwimage::kFirstWord;
    bool upperAddress = false; // an extended address record moved the data out of 0..0xFFFF
    const auto lineOf = [&](int index) {
        return index < lineNumbers.size() ? lineNumbers[index] : index + 1;
    };
    for (int i = 0; i < loaded.size(); ++i) {
        const QString& line = loaded[i];
        if (line.isEmpty() || CheckRecord(line) != HexFault::None) continue;
        const Record r = ParseRecord(line);
        result.line = lineOf(i);
        if (r.type == kExtendedSegmentRecord || r.type == kExtendedLinearRecord) {
            // Data that follows lies beyond the program memory (configuration, EEPROM):
            // it must never be written into the program as if its address were low.
            upperAddress = (r.data.size() >= 2 && (r.data[0] != 0 || r.data[1] != 0));
            continue;
        }
        if (r.type != kDataRecord) continue;
        const int word = r.address / 2;
        if (upperAddress || word >= fwimage::kEndWord) {
            image.blocks.append(EndBlock());
            result.fault = HexFault::None;
            break;
        }
        if (word < fwimage::kFirstWord) continue; // with its second half, as the loader wants
        if (r.count == 0) continue;               // nothing to write
        if (word != expected) expected = word;
        for (int first = 0; first < r.count; first += 2 * fwimage::kWordsPerBlock) {
            if (expected + fwimage::kWordsPerBlock > fwimage::kEndWord) {
                result.fault = HexFault::PastProgramEnd;
                break;
            }
            QByteArray block(fwimage::kBlockBytes, char(fwimage::kPadding));
            block[0] = char(expected & 0xFF);
            block[1] = char((expected >> 8) & 0xFF);
            for (int k = 0; k < 2 * fwimage::kWordsPerBlock && first + k < r.count; ++k)
                block[2 + k] = r.data[first + k];
            image.blocks.append(block);
            expected += fwimage::kWordsPerBlock;
        }
        if (result.fault == HexFault::PastProgramEnd) break;
        if (image.blocks.size() >= fwimage::kMaxBlocks) {
            // No room left for the end block.
            result.fault = HexFault::TooManyBlocks;
            break;
        }
    }
    // Without an end block the fault belongs to the end of the file.
    if (result.fault == HexFault::NoEndBlock)
        result.line = lineNumbers.isEmpty() ? int(loaded.size()) : lineNumbers.last();
    if (check) *check = result;
    if (!result.Ok()) image.blocks.clear();
    return image;
}

HexLoad LoadHexText(const QByteArray& text) {
    HexLoad load;
    const QStringList lines = SplitHexText(text);
    load.check = CheckHexLines(lines);
    if (!load.check.Ok()) return load;
    // The file line of each loaded line, so that a fault of the image names it.
    QList<int> numbers;
    bool dropping = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = WithoutTrailingBlanks(lines[i]);
        if (line.isEmpty()) continue;
        if (line == QLatin1String(kHexDropFrom)) {
            numbers << i + 1;
            dropping = true;
        } else if (line == QLatin1String(kHexDropUntil)) {
            numbers << i + 1;
            dropping = false;
        } else if (!dropping) {
            numbers << i + 1;
        }
    }
    const QStringList loaded = FilterHexLines(lines);
    load.image = BuildFirmwareImage(loaded, &load.check, numbers);
    if (load.check.Ok()) load.loaded = loaded;
    return load;
}

HexLoad LoadHexFile(const QString& path) {
    // Only a regular file of a size a program can have: a FIFO or a device would hang the
    // window, a huge file would only exhaust memory.
    const FileContents contents = ReadBoundedFile(path, fwimage::kMaxHexFileBytes);
    if (!contents.ok()) {
        HexLoad load;
        load.check = {HexFault::Unreadable, 0, contents.error};
        return load;
    }
    return LoadHexText(contents.bytes);
}

QString HexFaultText(const HexCheck& check, const LanguageTexts& texts) {
    const auto text = [&texts](int key) { return texts.Text(QStringLiteral("Firmware"), key); };
    int key = 0;
    switch (check.fault) {
    case HexFault::None: return QString();
    case HexFault::NotARecord: key = 8; break;
    case HexFault::LengthMismatch: key = 9; break;
    case HexFault::BadChecksum: key = 10; break;
    case HexFault::BadRecordType: key = 11; break;
    case HexFault::OddAddress: key = 12; break;
    case HexFault::OddCount: key = 13; break;
    case HexFault::TooLong: key = 14; break;
    case HexFault::AfterEnd: key = 15; break;
    case HexFault::NoEndRecord: key = 16; break;
    case HexFault::PastProgramEnd: key = 17; break;
    case HexFault::NoEndBlock: key = 18; break;
    case HexFault::TooManyBlocks: key = 19; break;
    case HexFault::Unreadable: key = 20; break;
    }
    if (check.line <= 0)
        return check.detail.isEmpty()
                   ? text(key)
                   : text(key) + QStringLiteral(" (") + check.detail + QLatin1Char(')');
    return text(7) + QLatin1Char(' ') + QString::number(check.line) + QStringLiteral(": ") +
           text(key);
}
