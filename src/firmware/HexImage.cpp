#include "HexImage.h"

#include "FileAccess.h"
#include "LanguageTexts.h"

#include <algorithm>
#include <vector>

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
    // Program memory word by word: the two bytes of a word as the file gives them, or -1
    // for a word the file does not give.
    constexpr int kNotGiven = -1;
    std::vector<int> words(fwimage::kEndWord, kNotGiven);
    HexCheck result;
    bool upperAddress = false; // an extended address moved the data out of 0..0xFFFF
    bool anyWord = false;
    const auto lineOf = [&](int index) {
        return index < lineNumbers.size() ? lineNumbers[index] : index + 1;
    };
    for (int i = 0; i < loaded.size() && result.Ok(); ++i) {
        const QString& line = loaded[i];
        if (line.isEmpty() || CheckRecord(line) != HexFault::None) continue;
        const Record r = ParseRecord(line);
        if (r.type == kExtendedSegmentRecord || r.type == kExtendedLinearRecord) {
            // Data that follows lies beyond the program memory (configuration, EEPROM):
            // it must never be written into the program as if its address were low.
            upperAddress = std::any_of(r.data.begin(), r.data.end(), [](char b) { return b; });
            continue;
        }
        if (r.type != kDataRecord || upperAddress || r.address >= fwimage::kProgramBytes) continue;
        if (r.address + r.count > fwimage::kProgramBytes) {
            result = {HexFault::PastProgramEnd, lineOf(i), {}};
            break;
        }
        const int first = r.address / 2;
        if (first < fwimage::kFirstWord) continue; // with its second half, as the loader wants
        for (int k = 0; 2 * k < r.count; ++k) {
            const int value = uint8_t(r.data[2 * k]) | (uint8_t(r.data[2 * k + 1]) << 8);
            int& word = words[first + k];
            if (word != kNotGiven && word != value) {
                result = {HexFault::WordTwice, lineOf(i), {}};
                break;
            }
            word = value;
            anyWord = true;
        }
    }
    if (result.Ok() && !anyWord) result = {HexFault::NoProgram, 0, {}};
    if (check) *check = result;
    FirmwareImage image;
    if (!result.Ok()) return image;
    for (int base = fwimage::kFirstWord; base < fwimage::kEndWord;
         base += fwimage::kWordsPerBlock) {
        const auto from = words.begin() + base, to = from + fwimage::kWordsPerBlock;
        if (std::all_of(from, to, [](int w) { return w == kNotGiven; })) continue;
        QByteArray block(fwimage::kBlockBytes, char(fwimage::kPadding));
        block[0] = char(base & 0xFF);
        block[1] = char((base >> 8) & 0xFF);
        for (int k = 0; k < fwimage::kWordsPerBlock; ++k) {
            if (from[k] == kNotGiven) continue;
            block[2 + 2 * k] = char(from[k] & 0xFF);
            block[3 + 2 * k] = char((from[k] >> 8) & 0xFF);
        }
        image.blocks.append(block);
    }
    image.blocks.append(EndBlock());
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
    TextKey key;
    switch (check.fault) {
    case HexFault::None: return QString();
    case HexFault::NotARecord: key = keys::kHexNotARecord; break;
    case HexFault::LengthMismatch: key = keys::kHexLengthMismatch; break;
    case HexFault::BadChecksum: key = keys::kHexBadChecksum; break;
    case HexFault::BadRecordType: key = keys::kHexBadRecordType; break;
    case HexFault::OddAddress: key = keys::kHexOddAddress; break;
    case HexFault::OddCount: key = keys::kHexOddCount; break;
    case HexFault::TooLong: key = keys::kHexTooLong; break;
    case HexFault::AfterEnd: key = keys::kHexAfterEnd; break;
    case HexFault::NoEndRecord: key = keys::kHexNoEndRecord; break;
    case HexFault::PastProgramEnd: key = keys::kHexPastProgramEnd; break;
    case HexFault::Unreadable: key = keys::kHexUnreadable; break;
    case HexFault::WordTwice: key = keys::kHexWordTwice; break;
    case HexFault::NoProgram: key = keys::kHexNoProgram; break;
    }
    const QString fault = texts.Text(key);
    if (check.line <= 0)
        return check.detail.isEmpty()
                   ? fault
                   : fault + QStringLiteral(" (") + check.detail + QLatin1Char(')');
    return texts.Text(keys::kHexLine) + QLatin1Char(' ') + QString::number(check.line) +
           QStringLiteral(": ") + fault;
}
