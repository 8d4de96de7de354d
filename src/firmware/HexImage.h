#pragma once
// The door phone's program as an Intel HEX text file, and the firmware image cut from it:
// numbered 10-byte blocks (a word address, low byte first, then 4 words of data) ending in
// the end block. Program memory counts 16-bit words; the file counts bytes.
//
// The image is the program's words, not the order of the file's records: every data record
// puts its words into one map of program memory, and the blocks are the groups of 4 words
// (at word addresses 4, 8, ... 0x1DFC) that hold at least one of them, in address order,
// words not given 0xFF. Whatever order a tool chain writes its records in, each word lands
// where its address says.
//
// A firmware image can leave a door phone without a working program, so a file is checked
// whole before anything of it is used: every line must be a sound record, the file must
// end in an end-of-file record, no word may be given two different values and there must
// be a program at all. A refused file names the line and the reason.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class LanguageTexts;

namespace fwimage {
// Words 0..3 and everything from word 0x1E00 on are never sent: the door phone keeps its
// own content there. Data outside program memory (at byte 0x3C00 or above, or after an
// extended address) is configuration or EEPROM: it is not program and is not sent.
constexpr int kFirstWord = 4;
constexpr int kEndWord = 0x1E00;      // first word that is no longer sent
constexpr int kProgramBytes = 0x3C00; // byte addresses 0..0x3BFF
// The most blocks an image can have: words 4 .. 0x1DFF in groups of 4, and the end block.
constexpr int kMaxBlocks = (kEndWord - kFirstWord) / 4 + 1;
constexpr int kBlockBytes = 10;
constexpr int kWordsPerBlock = 4;
constexpr int kMaxRecordData = 16;   // bytes of a data record the image can take
constexpr uint8_t kEndMarker = 0x55; // "U", the first byte of the end block
constexpr uint8_t kPadding = 0xFF;
// The largest HEX file taken in. The whole program memory in 16-byte records is about
// 90 kB; room is left for files with short records, comments of blank lines and the
// configuration and data records that are not loaded.
constexpr qint64 kMaxHexFileBytes = 1024 * 1024;
} // namespace fwimage

// The fixed stretch of the door phone's HEX files that is not loaded: from the line after
// the first one up to the second one, which is loaded again.
extern const char* const kHexDropFrom;
extern const char* const kHexDropUntil;

enum class HexFault {
    None,
    NotARecord,     // no ":" first, or a character that is not a hexadecimal digit
    LengthMismatch, // the line's length does not agree with its byte count
    BadChecksum,
    BadRecordType,  // not 00..05
    OddAddress,     // a data record at an odd byte address
    OddCount,       // a data record with an odd number of bytes
    TooLong,        // a data record with more than 16 bytes
    AfterEnd,       // a record after the end-of-file record
    NoEndRecord,    // the file stops without an end-of-file record
    PastProgramEnd, // a data record that starts below 0x3C00 and runs past it
    WordTwice,      // a program word given a second time with another value
    NoProgram,      // not one program word in the whole file
    Unreadable,     // the file cannot be read: missing, not a file, too large
};

struct HexCheck {
    HexFault fault = HexFault::None;
    int line = 0;   // 1-based line of the file; 0 when the fault has no line of its own
    QString detail; // why a file cannot be read ("File too large: ...")
    bool Ok() const { return fault == HexFault::None; }
};

struct FirmwareImage {
    QList<QByteArray> blocks; // block n is blocks[n - 1]; the last one is the end block
    int BlockCount() const { return int(blocks.size()); }
};

struct HexLoad {
    HexCheck check;
    QStringList loaded; // the lines that pass the filter (trailing blanks removed)
    FirmwareImage image;
};

// Checks every line of a file. Blank lines and trailing blanks are allowed.
HexCheck CheckHexLines(const QStringList& lines);
// The lines that are loaded: everything but the fixed stretch.
QStringList FilterHexLines(const QStringList& lines);
// The blocks of the loaded lines; lineNumbers gives the file line of each loaded line
// (for the faults of the image; empty = numbered from 1). Digits of either case count.
// Lines that are not sound records are passed over (CheckHexLines refuses them first).
FirmwareImage BuildFirmwareImage(const QStringList& loaded, HexCheck* check = nullptr,
                                 const QList<int>& lineNumbers = {});
// Splits the text of a file into lines (CR LF, LF or CR).
QStringList SplitHexText(const QByteArray& text);
// All of the above for a file's text, or for a file.
HexLoad LoadHexText(const QByteArray& text);
HexLoad LoadHexFile(const QString& path);

// "Line 12: Wrong checksum", in the language in use.
QString HexFaultText(const HexCheck& check, const LanguageTexts& texts);
// The two upper-case hexadecimal digits of a byte ("00" .. "FF").
QString ByteHex(uint8_t byte);
// The value of a hexadecimal digit of either case; -1 for anything else.
int HexDigit(QChar c);
