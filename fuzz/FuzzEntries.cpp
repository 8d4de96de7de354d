#include "FuzzEntries.h"

#include "BmpFile.h"
#include "CommLog.h"
#include "Communicator.h"
#include "DoorPhoneLink.h"
#include "HexImage.h"
#include "IniFile.h"
#include "JpegPicture.h"
#include "LabelFiles.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "Ports.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "SettingsText.h"
#include "SimCableBackend.h"

#include <QByteArray>
#include <QMap>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A broken invariant is a fault like a crash: the fuzzer keeps the input.
void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

struct SilentHost : HostPort {
    void ShowMessage(const QString&, const QString&, MsgIcon) override {}
    bool AskYesNo(const QString&, const QString&, MsgIcon) override { return false; }
    void ShowProgress(bool) override {}
    void SetProgress(int) override {}
    void SetDeviceCommandsEnabled(bool) override {}
};

} // namespace

void FuzzSettingsFile(const uint8_t* data, size_t size) {
    SettingsModel model;
    try {
        ApplySettingsFileBytes(Bytes(data, size), model);
    } catch (const SettingsFileError&) { return; }
    // Whatever a file put into the pages must be saved as a file that reads back.
    SettingsModel again;
    try {
        ApplySettingsFileBytes(SettingsFileBytes(model), again);
    } catch (const SettingsFileError&) {
        Require(false, "a settings file written by the program does not read back");
    }
}

void FuzzIniFile(const uint8_t* data, size_t size) {
    IniFile ini;
    ini.LoadText(IniFile::DecodeBytes(Bytes(data, size)));
    // The integer keys the program reads (each lookup scans the file: a few suffice).
    ini.ReadInteger(QStringLiteral("Setup"), QStringLiteral("LOGFILE"), 0);
    ini.ReadInteger(QStringLiteral("Enable"), QStringLiteral("Buttons"), 99);
    ini.ReadInteger(QStringLiteral("Enable"), QStringLiteral("BasicNumber"), 2);
    for (const QString& section : ini.SectionNames()) ini.SectionEntries(section);
    LanguageTexts texts;
    texts.Load(ini);
    for (int n = 0; n < LanguageTexts::kModelSlots; ++n) texts.ModelEntry(n);
    // Config.ini is rewritten in place: a key written must read back after a reload,
    // whatever else the file holds.
    ini.WriteString(QStringLiteral("Setup"), QStringLiteral("Lang"), QStringLiteral("Czech.lng"));
    ini.WriteInteger(QStringLiteral("Setup"), QStringLiteral("Communicator"), 3);
    IniFile reloaded;
    reloaded.LoadText(ini.ToText());
    Require(reloaded.ReadString(QStringLiteral("Setup"), QStringLiteral("Lang"), QString()) ==
                QStringLiteral("Czech.lng"),
            "a written INI key does not read back");
    Require(reloaded.ReadInteger(QStringLiteral("Setup"), QStringLiteral("Communicator"), -1) == 3,
            "a written INI integer does not read back");
}

void FuzzParameterBlock(const uint8_t* data, size_t size) {
    static VirtualClock clock;
    static CommLog log(&clock);
    static LanguageTexts texts;
    SettingsModel model;
    const BlockDecodeResult result =
        DecodeParameterBlock(Bytes(data, size), model, log, [&](BlockRefusal refusal) {
            Require(!BlockRefusalMessage(refusal, texts).isEmpty(), "a refusal without a text");
        });
    if (result.accepted) EncodeParameterBlock(model, DoorPhoneState{true, QStringLiteral("1")});
}

void FuzzNumberRecord(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const int record = data[0];
    const QByteArray reply = Bytes(data + 1, size - 1);
    SettingsModel model;
    const QString text = DecodeNumberRecord(record, reply, model);
    Require(text == DecodeDialNumber(reply), "a record's text differs from its number");
    const QByteArray sent = EncodeNumberRecord(record, model);
    Require(sent.isEmpty() || sent.size() == kNumberRecordLength, "a record of another length");
    // A number read from the door phone is written back as the same number.
    if (reply.size() == kNumberRecordLength)
        Require(DecodeDialNumber(EncodeDialNumber(text)) == text,
                "a number read does not survive writing it back");
}

void FuzzStatusReply(const uint8_t* data, size_t size) {
    static VirtualClock clock;
    static SimCableBackend backend(clock);
    static CommLog log(&clock);
    static DoorPhoneLink link(backend, clock, &log);
    static SilentHost host;
    static LanguageTexts texts;
    static SettingsModel model;
    static Communicator communicator(link, clock, host, log, texts, model);
    communicator.DecodeStatus(
        QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size)));
}

void FuzzJpegPicture(const uint8_t* data, size_t size) {
    const DecodedPicture picture = DecodeJpeg(Bytes(data, size));
    if (picture.IsNull()) return;
    Require(picture.width <= kMaxPictureSide && picture.height <= kMaxPictureSide,
            "a picture beyond the size limit was decoded");
    Require(picture.rgb.size() == qsizetype(picture.width) * picture.height * 3,
            "the decoded rows do not fill the picture");
}

void FuzzLabelFile(const uint8_t* data, size_t size) {
    const QByteArray bytes = Bytes(data, size);
    const LabelTexts buttons = ButtonLabelsFromBytes(bytes);
    const PanelLabelFile panel = PanelLabelsFromBytes(bytes);
    // What was read is saved as a file that reads back the same.
    Require(ButtonLabelsFromBytes(ButtonLabelFileText(buttons).toUtf8()) == buttons,
            "button labels do not survive a save");
    const PanelSize labelSize = PanelSizeFromText(panel.sizeText, PanelSize::S22x62);
    const PanelLabelFile again =
        PanelLabelsFromBytes(PanelLabelFileText(panel.texts, labelSize, panel.pictures).toUtf8());
    Require(again.texts == panel.texts && again.pictures == panel.pictures,
            "panel labels do not survive a save");
}

// The program words of the loaded lines of an accepted file, read here on their own so that
// the image can be held to them: word address -> its two bytes as the file gives them.
QMap<int, QByteArray> ProgramWords(const QStringList& loaded) {
    QMap<int, QByteArray> words;
    bool otherSegment = false;
    for (const QString& line : loaded) {
        const QByteArray record = QByteArray::fromHex(line.mid(1).toLatin1());
        const int count = uint8_t(record[0]), type = uint8_t(record[3]);
        const int address = uint8_t(record[1]) * 256 + uint8_t(record[2]);
        if (type == 2 || type == 4) otherSegment = record.mid(4, count).count('\0') != count;
        if (type != 0 || otherSegment || address / 2 < fwimage::kFirstWord) continue;
        for (int i = 0; i + 1 < count; i += 2)
            if (address + i < fwimage::kProgramBytes)
                words.insert((address + i) / 2, record.mid(4 + i, 2));
    }
    return words;
}

void FuzzBmpPicture(const uint8_t* data, size_t size) {
    const QByteArray bytes = Bytes(data, size);
    const BmpCheck check = CheckBmp(bytes);
    if (!check.ok) {
        Require(!check.error.isEmpty(), "a refused bitmap without a reason");
        return;
    }
    Require(check.width > 0 && check.height > 0, "an accepted bitmap without pixels");
}

void FuzzHexImage(const uint8_t* data, size_t size) {
    static LanguageTexts texts;
    const HexLoad load = LoadHexText(Bytes(data, size));
    const int blocks = load.image.BlockCount();
    if (!load.check.Ok()) {
        // A refused file gives nothing that could be sent, and says why.
        Require(blocks == 0 && load.loaded.isEmpty(), "a refused HEX file left an image");
        Require(load.check.line >= 0, "a refusal names a line before the file");
        Require(!HexFaultText(load.check, texts).isEmpty(), "a refusal without a text");
        return;
    }
    // An accepted file is an image the loader can take whole: blocks of 10 bytes inside
    // the words it writes, on the 4-word grid and in address order, ending in the end block
    // and in the room it has.
    Require(blocks >= 2 && blocks <= fwimage::kMaxBlocks, "an image of a block count not sent");
    const QMap<int, QByteArray> words = ProgramWords(load.loaded);
    int previous = 0, placed = 0;
    for (int i = 0; i < blocks; ++i) {
        const QByteArray& block = load.image.blocks[i];
        Require(block.size() == fwimage::kBlockBytes, "a block of another size");
        const bool last = i == blocks - 1;
        Require((uint8_t(block[0]) == fwimage::kEndMarker && uint8_t(block[1]) == 0xFF) == last,
                "the end block is missing or not last");
        if (last) continue;
        const int word = uint8_t(block[0]) | (uint8_t(block[1]) << 8);
        Require(word >= fwimage::kFirstWord && word + fwimage::kWordsPerBlock <= fwimage::kEndWord,
                "a block outside the words the loader writes");
        Require(word % fwimage::kWordsPerBlock == 0 && word > previous,
                "blocks off the 4-word grid or out of order");
        previous = word;
        // Every word of the block is the file's word at that address, or padding where the
        // file gives none: no supplied byte at a wrong word.
        bool any = false;
        for (int k = 0; k < fwimage::kWordsPerBlock; ++k) {
            const QByteArray there = block.mid(2 + 2 * k, 2);
            const auto given = words.constFind(word + k);
            if (given == words.cend()) {
                Require(there == QByteArray(2, char(fwimage::kPadding)),
                        "a word the file does not give is not padding");
                continue;
            }
            Require(there == *given, "a supplied word placed at a wrong address");
            any = true;
            ++placed;
        }
        Require(any, "a block without a word of the file");
    }
    Require(placed == words.size(), "a supplied program word is missing from the image");
}

void FuzzSettingsText(const uint8_t* data, size_t size) {
    const auto prepared = [](SettingsModel& model) {
        model.SetChoiceItems(QStringLiteral("ComboBox16"),
                             {QStringLiteral("Norva 10"), QStringLiteral("Norva 99")});
        OfferEveryListItem(model);
    };
    SettingsModel model, untouched;
    prepared(model);
    prepared(untouched);
    if (!ApplySettingsText(Bytes(data, size), model).isEmpty()) {
        Require(model.SameValues(untouched), "a refused text changed the settings");
        return;
    }
    // What a text put into the settings is written as a text that reads back the same,
    // and survives a settings file on the way.
    const QString text = SettingsText(model);
    SettingsModel again;
    prepared(again);
    Require(ApplySettingsText(text.toUtf8(), again).isEmpty(), "a written text is refused");
    Require(again.SameValues(model), "a written text reads back otherwise");
    SettingsModel fromFile;
    prepared(fromFile);
    try {
        ApplySettingsFileBytes(SettingsFileBytes(model), fromFile);
    } catch (const SettingsFileError&) {
        Require(false, "a settings file written from a text does not read back");
    }
    Require(SettingsText(fromFile) == text, "a text does not survive a settings file");
}

FuzzEntry FuzzEntryByName(std::string_view name) {
    static const struct {
        std::string_view name;
        FuzzEntry entry;
    } entries[] = {
        {"settings_file", FuzzSettingsFile},     {"ini_file", FuzzIniFile},
        {"parameter_block", FuzzParameterBlock}, {"number_record", FuzzNumberRecord},
        {"status_reply", FuzzStatusReply},       {"jpeg_picture", FuzzJpegPicture},
        {"label_file", FuzzLabelFile},           {"hex_image", FuzzHexImage},
        {"settings_text", FuzzSettingsText},     {"bmp_picture", FuzzBmpPicture},
    };
    for (const auto& e : entries)
        if (e.name == name) return e.entry;
    return nullptr;
}
