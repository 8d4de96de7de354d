// HEX files: the whole-file check, the loading filter and the blocks of the image.

#include "firmware_harness.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QByteArray Join(const QList<QByteArray>& lines) {
    return lines.join("\n") + "\n";
}

// The blocks of a file as "hex hex hex ..." texts, end block included.
QStringList BlocksOf(const QByteArray& file) {
    const HexLoad load = LoadHexText(file);
    QStringList out;
    for (const QByteArray& b : load.image.blocks) out << QString::fromLatin1(b.toHex(' '));
    return out;
}

const QString kEnd = QStringLiteral("55 ff ff ff ff ff ff ff ff ff");

QString Block(int word, const QByteArray& data) {
    QByteArray block = Bytes({word & 0xFF, word >> 8}) + data;
    block.append(QByteArray(10 - block.size(), char(0xFF)));
    return QString::fromLatin1(block.toHex(' '));
}

// The blocks as they were cut when they followed the records' order: each record's words
// from its own address on, 4 to a block. For a file in address order with 16-byte records
// on 16-byte addresses this is what the door phone's loader has always been sent.
QStringList RecordOrderBlocks(const QByteArray& file) {
    QStringList out;
    for (const QString& line : FilterHexLines(SplitHexText(file))) {
        const QByteArray bytes = QByteArray::fromHex(line.mid(1).toLatin1());
        const int count = uint8_t(bytes[0]), address = uint8_t(bytes[1]) * 256 + uint8_t(bytes[2]);
        if (bytes[3] != 0) continue;
        if (address >= 0x3C00) break;
        if (address / 2 < 4) continue;
        for (int first = 0; first < count; first += 8)
            out << Block(address / 2 + first / 2, bytes.mid(4 + first, qMin(8, count - first)));
    }
    out << kEnd;
    return out;
}

} // namespace

// The image is the program's words: whatever order the records come in, each word lands
// at its own address, in blocks on the 4-word grid.
TEST(FirmwareHex, BlocksAreTheProgramWords) {
    const QByteArray sixteen = ProgramBytes(0x10, 16);
    const QByteArray ext1 = HexRecord(4, 0, Bytes({0x00, 0x01}));
    const QByteArray ext0 = HexRecord(4, 0, Bytes({0x00, 0x00}));
    struct Case {
        const char* name;
        QList<QByteArray> records; // the first filter line and the end record follow
        QStringList blocks;        // without the end block
    };
    const Case cases[] = {
        {"word 0 is skipped with its second half",
         {DataRecord(0, ProgramBytes(0, 16)), DataRecord(0x10, Bytes({1, 2}))},
         {Block(8, Bytes({1, 2}))}},
        {"0x0010 gives words 8 and 12",
         {DataRecord(0x10, sixteen)},
         {Block(8, sixteen.left(8)), Block(12, sixteen.mid(8))}},
        {"0x0100 gives word 0x0080",
         {DataRecord(0x0100, Bytes({1, 2, 3, 4, 5, 6, 7, 8}))},
         {"80 00 01 02 03 04 05 06 07 08"}},
        {"6 data bytes pad with 0xFF",
         {DataRecord(0x0008, Bytes({1, 2, 3, 4, 5, 6}))},
         {"04 00 01 02 03 04 05 06 ff ff"}},
        {"a gap leaves the blocks between out",
         {DataRecord(0x0008, Bytes({1, 2})), DataRecord(0x0040, Bytes({3, 4}))},
         {"04 00 01 02 ff ff ff ff ff ff", "20 00 03 04 ff ff ff ff ff ff"}},
        {"a record off the grid fills the blocks it touches",
         {DataRecord(0x000C, ProgramBytes(0x0C, 12))},
         {Block(4, QByteArray(4, char(0xFF)) + ProgramBytes(0x0C, 4)),
          Block(8, ProgramBytes(0x10, 8))}},
        {"a moved record keeps the words an earlier one wrote",
         {DataRecord(0x000C, Bytes({5, 6, 7, 8})), DataRecord(0x0008, Bytes({1, 2, 3, 4}))},
         {"04 00 01 02 03 04 05 06 07 08"}},
        {"records in any order give blocks in address order",
         {DataRecord(0x0020, Bytes({9, 9})), DataRecord(0x0008, Bytes({1, 1}))},
         {"04 00 01 01 ff ff ff ff ff ff", "10 00 09 09 ff ff ff ff ff ff"}},
        {"a word given twice with the same value is one word",
         {DataRecord(0x0008, Bytes({1, 2, 3, 4})), DataRecord(0x000A, Bytes({3, 4}))},
         {"04 00 01 02 03 04 ff ff ff ff"}},
        {"a configuration record first changes nothing",
         {DataRecord(0x400E, Bytes({0x3A, 0x3F})), DataRecord(0x0008, Bytes({1, 2}))},
         {"04 00 01 02 ff ff ff ff ff ff"}},
        {"data at 0x3C00 or above is not program and does not end the image",
         {DataRecord(0x0008, Bytes({1, 2})), DataRecord(0x3C00, Bytes({5, 5})),
          DataRecord(0x0010, Bytes({3, 4}))},
         {"04 00 01 02 ff ff ff ff ff ff", "08 00 03 04 ff ff ff ff ff ff"}},
        {"data after an extended address is not program; back at 0 it is",
         {ext1, DataRecord(0x000C, Bytes({7, 7})), ext0, DataRecord(0x0008, Bytes({1, 2}))},
         {"04 00 01 02 ff ff ff ff ff ff"}},
        {"the last words of the program",
         {DataRecord(0x3BFC, Bytes({1, 2, 3, 4}))},
         {"fc 1d ff ff ff ff 01 02 03 04"}},
        {"an empty data record writes nothing",
         {DataRecord(0x0008, {}), DataRecord(0x0010, Bytes({1, 2}))},
         {"08 00 01 02 ff ff ff ff ff ff"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QList<QByteArray> lines = c.records;
        lines << QByteArray(kHexDropFrom) << kEofRecord;
        QStringList expected = c.blocks;
        expected << kEnd;
        EXPECT_EQ(BlocksOf(Join(lines)), expected);
    }
}

// A file in address order with 16-byte records gives the loader the very blocks it was
// always given.
TEST(FirmwareHex, InOrderFilesGiveTheBlocksTheyAlwaysGave) {
    QList<QByteArray> gaps = {DataRecord(0, ProgramBytes(0, 16))};
    for (int a = 0x10; a < 0x400; a += a % 0x100 == 0x80 ? 0x90 : 0x10)
        gaps << DataRecord(a, ProgramBytes(a, 16));
    gaps << DataRecord(0x400, ProgramBytes(0x400, 6)) << QByteArray(kHexDropFrom) << kEofRecord;
    const QByteArray files[] = {DoorPhoneHex(SimDoorPhone::kFirmwareBytes), DoorPhoneHex(0x208),
                                Join(gaps)};
    for (const QByteArray& file : files) {
        const QStringList blocks = BlocksOf(file);
        ASSERT_GT(blocks.size(), 1);
        EXPECT_EQ(blocks, RecordOrderBlocks(file));
    }
}

TEST(FirmwareHex, LowerCaseDigitsAreTheirValue) {
    const QByteArray upper = Join({DataRecord(0x00A8, Bytes({0xAB, 0xCD, 0xEF, 0xFA})),
                                   QByteArray(kHexDropFrom), kEofRecord});
    const HexLoad load = LoadHexText(upper.toLower());
    ASSERT_TRUE(load.check.Ok()) << int(load.check.fault);
    EXPECT_EQ(BlocksOf(upper.toLower()), BlocksOf(upper));
    EXPECT_EQ(BlocksOf(upper).first(), QStringLiteral("54 00 ab cd ef fa ff ff ff ff"));
}

TEST(FirmwareHex, FilterDropsTheFixedStretch) {
    const QList<QByteArray> lines = {DataRecord(8, Bytes({1, 2})),
                                     QByteArray(kHexDropFrom),
                                     DataRecord(0x3C50, Bytes({1, 2})),
                                     DataRecord(0x3C60, Bytes({3, 4})),
                                     QByteArray(kHexDropUntil),
                                     DataRecord(0x400E, Bytes({5, 6})),
                                     kEofRecord};
    const HexLoad load = LoadHexText(Join(lines) + "   \n\n");
    ASSERT_TRUE(load.check.Ok());
    QStringList expected;
    for (int i : {0, 1, 4, 5, 6}) expected << QString::fromLatin1(lines[i]);
    EXPECT_EQ(load.loaded, expected);
    // A line that only looks like a filter line (trailing blanks aside) is no filter line.
    const HexLoad other =
        LoadHexText(Join({DataRecord(8, Bytes({1, 2})), QByteArray(kHexDropFrom).toLower(),
                          DataRecord(0x3C50, Bytes({1, 2})), kEofRecord}));
    ASSERT_TRUE(other.check.Ok());
    EXPECT_EQ(other.loaded.size(), 4);
}

TEST(FirmwareHex, RefusedFilesNameTheLine) {
    const QByteArray good = DataRecord(8, Bytes({1, 2}));
    const QByteArray end = QByteArray(kHexDropFrom);
    QByteArray badSum = good;
    badSum.chop(2);
    badSum += "00";
    struct Case {
        const char* name;
        QList<QByteArray> lines;
        HexFault fault;
        int line; // 0: the fault is the whole file's
    };
    const Case cases[] = {
        {"no colon", {good, good.mid(1), end, kEofRecord}, HexFault::NotARecord, 2},
        {"a blank before the colon", {" " + good, end, kEofRecord}, HexFault::NotARecord, 1},
        {"not a digit",
         {good, good.left(10) + "G" + good.mid(11), kEofRecord},
         HexFault::NotARecord,
         2},
        {"a digit short",
         {good, good.left(good.size() - 1), kEofRecord},
         HexFault::LengthMismatch,
         2},
        {"a byte too many", {good, good + "00", kEofRecord}, HexFault::LengthMismatch, 2},
        {"checksum", {good, badSum, kEofRecord}, HexFault::BadChecksum, 2},
        {"record type 06", {good, HexRecord(6, 0, {}), kEofRecord}, HexFault::BadRecordType, 2},
        {"odd address", {DataRecord(9, Bytes({1, 2})), kEofRecord}, HexFault::OddAddress, 1},
        {"odd count", {DataRecord(8, Bytes({1, 2, 3})), kEofRecord}, HexFault::OddCount, 1},
        {"more than 16 bytes",
         {DataRecord(8, QByteArray(18, 'a')), kEofRecord},
         HexFault::TooLong,
         1},
        {"a record after the end", {good, end, kEofRecord, "", good}, HexFault::AfterEnd, 5},
        {"no end-of-file record", {good, end, "", good}, HexFault::NoEndRecord, 4},
        {"bad line in the dropped stretch",
         {good, end, badSum, kEofRecord},
         HexFault::BadChecksum,
         3},
        {"a record that runs across 0x3C00",
         {good, DataRecord(0x3BF8, QByteArray(16, 1)), kEofRecord},
         HexFault::PastProgramEnd,
         2},
        {"a word given again with another value",
         {DataRecord(8, Bytes({1, 2, 3, 4})), DataRecord(0x20, Bytes({5, 6})),
          DataRecord(0xA, Bytes({3, 5})), end, kEofRecord},
         HexFault::WordTwice,
         3},
        {"no program: configuration only",
         {DataRecord(0x400E, Bytes({0x3A, 0x3F})), end, kEofRecord},
         HexFault::NoProgram,
         0},
        {"no program: only words never sent, or data of another segment",
         {DataRecord(0, Bytes({1, 2, 3, 4})), HexRecord(4, 0, Bytes({0, 1})),
          DataRecord(0x10, Bytes({1, 2})), kEofRecord},
         HexFault::NoProgram,
         0},
    };
    LanguageTexts texts;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HexLoad load = LoadHexText(Join(c.lines));
        EXPECT_EQ(load.check.fault, c.fault);
        EXPECT_EQ(load.check.line, c.line);
        EXPECT_TRUE(load.loaded.isEmpty());
        EXPECT_TRUE(load.image.blocks.isEmpty());
        const QString message = HexFaultText(load.check, texts);
        if (c.line > 0)
            EXPECT_TRUE(message.startsWith(QStringLiteral("Line %1: ").arg(c.line)));
        else
            EXPECT_TRUE(!message.isEmpty() && !message.startsWith("Line")) << message.toStdString();
    }
}

TEST(FirmwareHex, WholeDoorPhoneFile) {
    const HexLoad load = LoadHexText(DoorPhoneHex(SimDoorPhone::kFirmwareBytes));
    ASSERT_TRUE(load.check.Ok()) << int(load.check.fault) << " line " << load.check.line;
    // Words 4 .. 0x1DFF in blocks of 4, and the end block.
    EXPECT_EQ(load.image.BlockCount(), 1920);
    EXPECT_EQ(load.image.blocks[0].left(2), Bytes({4, 0}));
    EXPECT_EQ(load.image.blocks[1918].left(2), Bytes({0xFC, 0x1D}));
    // The dropped stretch is not in the loaded text; what follows it is.
    EXPECT_FALSE(load.loaded.join("\n").contains(
        QString::fromLatin1(DataRecord(0x3C50, ProgramBytes(0x3C50, 16)))));
    EXPECT_EQ(load.loaded.last(), QString::fromLatin1(kEofRecord));
    EXPECT_EQ(LoadHexFile(QStringLiteral("/nonexistent/x.hex")).check.fault, HexFault::Unreadable);
}

// Only a regular file of a size a program can have is read: a FIFO would hang the window,
// a device or a huge file would fill the memory. Each is refused with its reason.
TEST(FirmwareHex, OnlyBoundedRegularFilesAreRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString good = dir.filePath(QStringLiteral("good.hex"));
    const QString huge = dir.filePath(QStringLiteral("huge.hex"));
    const QString fifo = dir.filePath(QStringLiteral("fifo.hex"));
    const QByteArray text = DoorPhoneHex(0x108);
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        QFile h(huge);
        ASSERT_TRUE(h.open(QIODevice::WriteOnly));
        // A sound file padded with blank lines past the limit.
        h.write(text + QByteArray(int(fwimage::kMaxHexFileBytes), '\n'));
    }
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    EXPECT_TRUE(LoadHexFile(good).check.Ok());
    const LanguageTexts texts;
    const struct {
        QString path;
        const char* reason;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.hex")), "File not found"},
        {dir.path(), "Is a folder"},
        {fifo, "Not a regular file"},
        {huge, "File too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const HexLoad load = LoadHexFile(c.path);
        EXPECT_EQ(load.check.fault, HexFault::Unreadable);
        EXPECT_TRUE(load.image.blocks.isEmpty());
        const QString message = HexFaultText(load.check, texts);
        EXPECT_TRUE(message.startsWith(QStringLiteral("the file cannot be read (")));
        EXPECT_TRUE(message.contains(QLatin1String(c.reason))) << message.toStdString();
    }
}
