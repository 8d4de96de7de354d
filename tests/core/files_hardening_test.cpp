// Crafted files that once broke the program: folders, FIFOs and devices where a file is
// expected, files far larger than their format, integer keys that are not numbers,
// pictures whose header claims a huge size, outputs that cannot be written, and a door
// phone left in the middle of a write.
#include "AppConfig.h"
#include "CommLog.h"
#include "Defaults.h"
#include "DoorPhoneLink.h"
#include "FileAccess.h"
#include "IniFile.h"
#include "JpegPicture.h"
#include "LabelFiles.h"
#include "LanguageTexts.h"
#include "ModelTemplate.h"
#include "Ports.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "SimCableBackend.h"
#include "SimDoorPhone.h"
#include "cli_harness.h"
#include "template_rig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// The kinds of non-files and oversized files a user can put where a file is expected.
enum class Craft { Regular, Folder, Fifo, LinkToDevice, LinkToRegular, Dangling, Sparse2GB };

// Makes path as the given kind; bytes are the content of a regular file.
void MakeCrafted(const QString& path, Craft kind, const QByteArray& bytes = "abc") {
    switch (kind) {
    case Craft::Regular: WriteBytes(path, bytes); break;
    case Craft::Folder: ASSERT_TRUE(QDir().mkpath(path)); break;
    case Craft::Fifo: ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0); break;
    case Craft::LinkToDevice: ASSERT_TRUE(QFile::link("/dev/zero", path)); break;
    case Craft::LinkToRegular:
        WriteBytes(path + ".target", bytes);
        ASSERT_TRUE(QFile::link(path + ".target", path));
        break;
    case Craft::Dangling:
        ASSERT_EQ(symlink(QFile::encodeName(path + ".gone").constData(),
                          QFile::encodeName(path).constData()),
                  0);
        break;
    case Craft::Sparse2GB: {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(2LL * 1024 * 1024 * 1024)); // holes: no disk, no time
        break;
    }
    }
}

class RecordingHost : public HostPort {
public:
    void ShowMessage(const QString& text, const QString&, MsgIcon) override { messages << text; }
    bool AskYesNo(const QString&, const QString&, MsgIcon) override { return true; }
    void ShowProgress(bool) override {}
    void SetProgress(int) override {}
    void SetDeviceCommandsEnabled(bool) override {}
    QStringList messages;
};

// blank.jpg with the size its frame header claims replaced.
QByteArray PictureClaiming(int width, int height) {
    QByteArray bytes = ReadBytes(QStringLiteral(NORVA_SOURCE_DIR) + "/assets/blank.jpg");
    for (int i = 0; i + 8 < bytes.size(); ++i) {
        const auto marker = uint8_t(bytes[i + 1]);
        if (uint8_t(bytes[i]) == 0xFF && marker >= 0xC0 && marker <= 0xC2) {
            bytes[i + 5] = char(height >> 8);
            bytes[i + 6] = char(height & 0xFF);
            bytes[i + 7] = char(width >> 8);
            bytes[i + 8] = char(width & 0xFF);
            return bytes;
        }
    }
    ADD_FAILURE() << "blank.jpg has no frame header";
    return bytes;
}

} // namespace

TEST(FilesHardening, OnlyRegularFilesOfTheirSizeAreRead) {
    QTemporaryDir dir;
    using F = FileContents::Failure;
    struct Case {
        const char* name;
        Craft kind;
        QByteArray bytes;
        F failure;
        const char* error;
    } cases[] = {
        {"regular", Craft::Regular, "abc", F::None, ""},
        {"exactly the limit", Craft::Regular, QByteArray(10, 'x'), F::None, ""},
        {"empty", Craft::Regular, "", F::None, ""},
        {"one byte over", Craft::Regular, QByteArray(11, 'x'), F::TooLarge, "File too large"},
        {"2 GB", Craft::Sparse2GB, "", F::TooLarge, "2147483648 bytes"},
        {"folder", Craft::Folder, "", F::NotAFile, "Is a folder"},
        {"fifo", Craft::Fifo, "", F::NotAFile, "Not a regular file"},
        {"link to the zero device", Craft::LinkToDevice, "", F::NotAFile, "Not a regular file"},
        {"link to a file", Craft::LinkToRegular, "abc", F::None, ""},
        {"dangling link", Craft::Dangling, "", F::Missing, "File not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        MakeCrafted(path, c.kind, c.bytes);
        QElapsedTimer timer;
        timer.start();
        const FileContents got = ReadBoundedFile(path, 10);
        EXPECT_LT(timer.elapsed(), 2000); // a FIFO would block, a device never end
        EXPECT_EQ(got.failure, c.failure);
        EXPECT_TRUE(got.error.contains(QLatin1String(c.error))) << got.error.toStdString();
        if (got.ok()) {
            EXPECT_EQ(got.bytes, c.bytes);
        } else {
            EXPECT_TRUE(got.bytes.isEmpty());
        }
        EXPECT_EQ(IsRegularFile(path), c.kind == Craft::Regular || c.kind == Craft::LinkToRegular ||
                                           c.kind == Craft::Sparse2GB);
    }
    EXPECT_FALSE(IsRegularFile(QString()));
    EXPECT_EQ(ReadBoundedFile(QString(), 10).failure, F::Missing);
}

TEST(FilesHardening, SettingsFilesThatAreNoSettingsFilesChangeNothing) {
    QTemporaryDir dir;
    SettingsModel source;
    ApplyBuiltInDefaults(source);
    source.SetText("Edit1", "4321");
    const QByteArray good = SettingsFileBytes(source);
    QByteArray extraRecords = good;
    for (int i = 0; i < 65; ++i) extraRecords += EncodeSettingsRecord("Xtra: ", "9");
    struct Case {
        const char* name;
        Craft kind;
        QByteArray bytes;
        const char* error; // "" when the file loads
    } cases[] = {
        {"folder.nvs", Craft::Folder, "", "Is a folder"},
        {"fifo.nvs", Craft::Fifo, "", "Not a regular file"},
        {"zero.nvs", Craft::LinkToDevice, "", "Not a regular file"},
        {"huge.nvs", Craft::Sparse2GB, "", "File too large"},
        {"over.nvs", Craft::Regular, good + QByteArray(kMaxSettingsFileBytes, ' '),
         "File too large"},
        {"extra.nvs", Craft::Regular, extraRecords, ""}, // later records are ignored
        {"good.nvs", Craft::Regular, good, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        MakeCrafted(path, c.kind, c.bytes);
        SettingsModel model;
        ApplyBuiltInDefaults(model);
        SettingsModel before;
        before.CopyFrom(model);
        CommLog log;
        QString error;
        try {
            ReadSettingsFile(path, model, log);
        } catch (const SettingsFileError& e) { error = e.text(); }
        if (*c.error) {
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
            EXPECT_TRUE(model.SameValues(before));
        } else {
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
            EXPECT_EQ(model.Text("Edit1"), "4321");
        }
    }
}

TEST(FilesHardening, IntegerKeysThatAreNotNumbersReadAsTheirDefault) {
    IniFile ini;
    ini.LoadText("[S]\nA=12\nB=2x\nC=abc\nD=\nE=-3\nF=+4\nG=99999999999\nH=1.5\nI=0x10\nJ=-\n"
                 "K= 8 \nL=2147483647\nM=-2147483648\nN=2147483648\n");
    const struct {
        const char* key;
        int expected;
    } cases[] = {{"A", 12},
                 {"B", 7},
                 {"C", 7},
                 {"D", 7},
                 {"E", -3},
                 {"F", 4},
                 {"G", 7},
                 {"H", 7},
                 {"I", 7},
                 {"J", 7},
                 {"K", 8},
                 {"L", 2147483647},
                 {"M", -2147483647 - 1},
                 {"N", 7},
                 {"Z", 7}};
    for (const auto& c : cases) EXPECT_EQ(ini.ReadInteger("S", c.key, 7), c.expected) << c.key;

    // The model template's two integer keys.
    const struct {
        const char* value;
        int buttons;
        int basicNumber;
    } keys[] = {{"abc", 99, 2}, {"2x", 99, 2}, {"", 99, 2}, {"3", 3, 3}, {"25", 25, 25}};
    for (const auto& k : keys) {
        TemplateRig rig;
        ApplyModelTemplate(
            rig.Template(QByteArray("Buttons=") + k.value + "\r\nBasicNumber=" + k.value + "\r\n"),
            rig.context, rig.state);
        EXPECT_EQ(rig.state.buttons, k.buttons) << k.value;
        EXPECT_EQ(rig.state.modelMaximum, k.basicNumber) << k.value;
    }

    // Config.ini: the log is on only for exactly 1.
    const struct {
        const char* value;
        int logFile;
        int communicator;
    } config[] = {{"1", 1, 1}, {"1x", 0, 0}, {"abc", 0, 0}, {"2", 2, 2}, {"", 0, 0}};
    for (const auto& c : config) {
        QTemporaryDir dir;
        WriteBytes(QDir(dir.path()).filePath("Config.ini"),
                   QByteArray("[Setup]\r\nLOGFILE=") + c.value + "\r\nCommunicator=" + c.value +
                       "\r\n");
        AppConfig read;
        ASSERT_TRUE(read.LoadOrCreate(dir.path(), nullptr));
        EXPECT_EQ(read.logFile, c.logFile) << c.value;
        EXPECT_EQ(read.communicator, c.communicator) << c.value;
    }
}

TEST(FilesHardening, TemplatesAndLanguageFilesMustBeFilesOfTheirSize) {
    const QByteArray oversized =
        "[Enable]\r\nRele2=0\r\n[Defaults]\r\nET1=9999\r\n;" + QByteArray(kMaxIniFileBytes, 'x');
    struct Case {
        const char* name;
        Craft kind;
        QByteArray bytes;
        const char* message; // what the template step shows
        bool templateRead;
    } cases[] = {
        {"folder", Craft::Folder, "", "No file with template", false},
        {"fifo", Craft::Fifo, "", "No file with template", false},
        {"oversized", Craft::Regular, oversized, "File too large", false},
        {"good", Craft::Regular, "[Enable]\r\nRele2=0\r\n[Defaults]\r\nET1=9999\r\n", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemplateRig rig;
        const QString path = rig.dir.filePath(QString::fromLatin1(c.name) + ".ini");
        MakeCrafted(path, c.kind, c.bytes);
        ApplyModelTemplate(path, rig.context, rig.state);
        EXPECT_EQ(rig.state.basicConfiguration, !c.templateRead);
        EXPECT_EQ(rig.target.visible.value("GroupBox14", true), !c.templateRead);
        if (*c.message) {
            ASSERT_EQ(rig.target.messages.size(), 1);
            EXPECT_TRUE(rig.target.messages[0].contains(QLatin1String(c.message)))
                << rig.target.messages[0].toStdString();
        } else {
            EXPECT_TRUE(rig.target.messages.isEmpty());
        }
        LoadDefaults(rig.model, path, rig.log);
        EXPECT_EQ(rig.model.Text("Edit1") == "9999", c.templateRead);

        LanguageTexts texts;
        QString error;
        const QString language = rig.dir.filePath(QString::fromLatin1(c.name) + ".lng");
        MakeCrafted(language, c.kind, QByteArray(c.bytes).replace("[Enable]", "[Menu]\r\n1=X"));
        EXPECT_EQ(texts.LoadFile(language, &error), c.templateRead);
        EXPECT_EQ(texts.Text("Menu", 1) == "X", c.templateRead);
        if (c.kind == Craft::Regular && !c.templateRead) {
            EXPECT_TRUE(error.contains("File too large")) << error.toStdString();
        }
    }
}

TEST(FilesHardening, PicturesLargerThanAModelPictureAreRefused) {
    struct Case {
        int width, height;
        bool refusedForSize;
    } cases[] = {
        // The largest the decoder library takes: 12.8 GB of pixels, which overflowed the
        // buffer size before.
        {65500, 65500, true}, {65500, 1, true},   {1, 65500, true},
        {8193, 8, true},      {6000, 4001, true}, // within the side limit, beyond the pixel count
        {200, 280, false},                        // blank.jpg as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        QString error;
        QElapsedTimer timer;
        timer.start();
        const DecodedPicture picture = DecodeJpeg(PictureClaiming(c.width, c.height), &error);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_EQ(picture.IsNull(), c.refusedForSize);
        EXPECT_EQ(error.contains("too large"), c.refusedForSize) << error.toStdString();
        if (!picture.IsNull()) { EXPECT_EQ(picture.rgb.size(), qsizetype(c.width) * c.height * 3); }
    }
    QTemporaryDir dir;
    for (Craft kind : {Craft::Folder, Craft::Fifo, Craft::LinkToDevice}) {
        const QString path = dir.filePath(QStringLiteral("p%1.jpg").arg(int(kind)));
        MakeCrafted(path, kind);
        QString error;
        EXPECT_TRUE(DecodeJpegFile(path, &error).IsNull());
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(FilesHardening, ReadCommandsCheckTheOutputBeforeAskingTheDoorPhone) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("folder.nvs"));
    // The port does not exist: a command that asked the door phone first would end with
    // "no cable" (exit 1) instead.
    const QString port = dir.filePath("no-such-port");
    struct Case {
        const char* command;
        QString out;
        const char* reason;
    } cases[] = {
        {"read-all", "/proc/norvaset-test.nvs", "File access denied"}, // even root cannot
        {"read-parameters", dir.filePath("folder.nvs"), "Is a folder"},
        {"read-numbers", dir.filePath("no/such/folder/x.nvs"), "does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const cli::Result r = cli::Run(dir.path(), {"--port", port, c.command, c.out});
        EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("cannot be written here")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.reason))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("no cable")) << r.err.toStdString();
    }
    QString reason;
    EXPECT_TRUE(CanWriteFileAt(dir.filePath("fresh.nvs"), &reason)) << reason.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(FilesHardening, SimulatedDoorPhoneAbandonsAnUnfinishedWriteAfterASecond) {
    const auto send = [](SimDoorPhone& phone, VirtualClock& clock, const QByteArray& bytes) {
        for (char b : bytes) {
            phone.OnByteFromHost(uint8_t(b), clock.NowMs());
            clock.Advance(3);
        }
        clock.Advance(50);
        return phone.TakeBytesForHost(clock.NowMs());
    };
    struct Case {
        const char* name;
        QByteArray started; // the unfinished command
        int silenceMs;
        bool abandoned;
    } cases[] = {
        {"parameters, 1 s", "WP" + QByteArray(100, 'x'), 1000, true},
        {"parameters, 5 s", "WP" + QByteArray(254, 'x'), 5000, true},
        {"parameters, 0.9 s", "WP" + QByteArray(100, 'x'), 900, false},
        {"record, 1.2 s", "WT\x01" + QByteArray(10, '\x05'), 1200, true},
        {"clock, 1 s", "WCS", 1000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualClock clock;
        SimDoorPhone phone(clock);
        const QByteArray parameters = phone.Parameters(), numbers = phone.Numbers();
        send(phone, clock, c.started);
        clock.Advance(c.silenceMs);
        const QByteArray reply = send(phone, clock, "V");
        // A status request after the silence is answered as one, not taken as data.
        EXPECT_EQ(reply.startsWith('S') && reply.size() == 20, c.abandoned) << reply.toHex().data();
        // Whatever follows changes no memory with the abandoned half.
        send(phone, clock, QByteArray(300, 'V'));
        EXPECT_EQ(phone.Parameters() == parameters && phone.Numbers() == numbers, c.abandoned);
    }
}

TEST(FilesHardening, LabelFilesMustBeFilesOfTheirSize) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        Craft kind;
        QByteArray bytes;
        const char* error; // "" = read
    } cases[] = {
        {"labels.nvl", Craft::Regular, "[N]\r\n1=Novak\r\n", ""},
        {"folder.nvl", Craft::Folder, "", "Is a folder, not a file"},
        {"fifo.nvl", Craft::Fifo, "", "Not a regular file"},
        {"zero.nvl", Craft::LinkToDevice, "", "Not a regular file"},
        {"huge.vxl", Craft::Sparse2GB, "", "File too large"},
        // Random bytes, or another program's INI file, hold none of the label keys.
        {"random.nvl", Craft::Regular, QByteArray("\x8f\x00\x13garbage\xff", 12),
         "isn't file for labels"},
        {"other.vxl", Craft::Regular, "[Setup]\r\nLang=English.lng\r\n", "isn't file for labels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        MakeCrafted(path, c.kind, c.bytes);
        QString error;
        try {
            EXPECT_EQ(ReadButtonLabelFile(path)[0], QStringLiteral("Novak"));
            ReadPanelLabelFile(path);
        } catch (const LabelFileError& e) { error = e.text(); }
        if (*c.error)
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
        else
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
}
