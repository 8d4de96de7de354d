// norvaset-cli as a process: usage and file errors, encode/decode, and the door-phone
// commands against the in-process simulated door phone (virtual time, so they are quick).
#include "cli_harness.h"

using cli::Result;

using CliCommands = cli::CliTest;

TEST_F(CliCommands, UsageAndFileErrorsExitTwoWithTheirText) {
    SettingsModel m;
    cli::MakeInstallerSettings(m);
    cli::SaveModel(Path("good.nvs"), m);
    cli::WriteBytes(Path("short.nvs"), cli::ReadBytes(Path("good.nvs")).left(100));
    cli::WriteBytes(Path("short.bin"), QByteArray(100, char(1)));
    struct Case {
        QStringList args;
        const char* err;
    } cases[] = {
        {{"frob"}, "unknown command 'frob'"},
        {{}, "no command given"},
        {{"--simulator", "--frob", "status"}, "unknown option '--frob'"},
        {{"encode", "good.nvs"}, "encode IN.nvs OUT.bin"},
        {{"status", "extra"}, "'status' takes no arguments"},
        {{"--simulator", "--port", "/dev/null", "status"}, "exclude each other"},
        {{"--simulator", "read-all", "x.nvs", "--day-mode"}, "belong to 'encode'"},
        {{"encode", "good.nvs", "x.bin", "--resets", "70000"}, "--resets needs a number"},
        {{"--simulator", "--model", "9", "status"}, "no model at position 9"},
        {{"--simulator", "write-all", "short.nvs"}, "short.nvs: Read beyond end of file"},
        {{"--simulator", "write-numbers", "missing.nvs"}, "missing.nvs: File not found"},
        {{"--simulator", "--base", "short.nvs", "read-all", "x.nvs"}, "Read beyond end of file"},
        {{"--simulator", "read-all", "no/such/folder/x.nvs"}, "cannot be written here"},
        {{"encode", "short.nvs", "x.bin"}, "Read beyond end of file"},
        {{"decode", "short.bin", "x.nvs"}, "100 bytes, a parameter block has 256"},
        // The form an option selects counts the arguments: a second file is not ignored.
        {{"--simulator", "diff", "--device", "good.nvs", "good.nvs"},
         "usage: norvaset-cli [options] diff --device B.nvs"},
        // An option a command takes only together with another.
        {{"set", "good.nvs", "x.nvs", "signal.tick=on", "--verify"},
         "--verify and --no-backup belong to the writes and 'set --device --write'"},
        {{"--log=1", "status"}, "option '--log' takes no value"},
        {{"encode", "good.nvs", "x.bin", "--resets="}, "option '--resets' needs a value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result r = Run(c.args);
        EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(Path("x.nvs")));
    EXPECT_FALSE(QFileInfo::exists(Path("x.bin")));
}

TEST_F(CliCommands, NoCableExitsOne) {
    const Result r = Run({"--port", Path("no-such-port"), "read-all", "x.nvs"});
    EXPECT_EQ(r.exitCode, 1);
    // The reason, and what to do about it.
    EXPECT_TRUE(r.err.contains("no cable: The cable TROX cannot be opened: there is no device " +
                               Path("no-such-port") + " (no such device). Plug the cable in"))
        << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("x.nvs")));
}

TEST_F(CliCommands, EncodeThenDecodeGivesTheFileBackExceptTheAsymmetries) {
    SettingsModel in;
    cli::MakeInstallerSettings(in);
    // The two that do not come back as written: an empty button number and a leading zero.
    in.SetText("Edit7", "");
    in.SetText("Edit58", "07");
    cli::SaveModel(Path("in.nvs"), in);

    Result r = Run({"encode", "in.nvs", "block.bin", "--day-mode", "--resets", "300"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray block = cli::ReadBytes(Path("block.bin"));
    ASSERT_EQ(block.size(), kParameterBlockSize);
    SettingsModel asRead;
    cli::LoadModel(Path("in.nvs"), asRead);
    EXPECT_EQ(block, EncodeParameterBlock(asRead, {true, "300"}).bytes);
    EXPECT_EQ(quint8(block[27]), 1);  // day mode
    EXPECT_EQ(quint8(block[29]), 1);  // 300 / 256
    EXPECT_EQ(quint8(block[30]), 44); // 300 % 256

    r = Run({"decode", "block.bin", "back.nvs"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    SettingsModel back;
    cli::LoadModel(Path("back.nvs"), back);
    const QHash<QString, QString> asymmetric = {{"Edit7", "255"}, {"Edit58", "7"}};
    for (const QString& field : cli::BlockFields())
        EXPECT_EQ(back.ValueString(field), asymmetric.value(field, in.ValueString(field)))
            << field.toStdString();
    // Numbers are not in the block: a decode starts from the defaults, or from --base.
    EXPECT_EQ(back.Text(FirstNumberField(1)), QString());
    ASSERT_EQ(Run({"decode", "block.bin", "based.nvs", "--base", "in.nvs"}).exitCode, 0);
    SettingsModel based;
    cli::LoadModel(Path("based.nvs"), based);
    EXPECT_EQ(based.Text(FirstNumberField(1)), "0123456789");
    EXPECT_EQ(based.Text("Edit7"), "255");
}

TEST_F(CliCommands, RefusedBlockIsAFailureAndSavesNothing) {
    struct Case {
        QByteArray block;
        const char* err;
    } cases[] = {
        {QByteArray(kParameterBlockSize, char(0xFF)), "Error in data reading - EEPROM\n"},
        {QByteArray(kParameterBlockSize, char(0)), "Error in data reading - EEPROM\n"},
    };
    for (const Case& c : cases) {
        cli::WriteBytes(Path("bad.bin"), c.block);
        const Result r = Run({"decode", "bad.bin", "out.nvs"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Path("out.nvs")));
    }
}

TEST_F(CliCommands, StatusClockAndDayNightPrintOneLinePerValue) {
    struct Case {
        const char* command;
        QStringList lines; // expected stdout lines, by prefix
    } cases[] = {
        {"status", {"usb: OK-Norva", "version: 2.53", "resets: 7", "clock: ", "mode: day"}},
        {"day-night", {"mode: night"}},
        {"set-time", {"clock: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const Result r = Run({"--simulator", c.command});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), c.lines.size()) << r.out.toStdString();
        for (int i = 0; i < lines.size(); ++i) EXPECT_TRUE(lines[i].startsWith(c.lines[i]));
    }
    // The door phone's clock after set-time is this computer's time.
    const Result r = Run({"--simulator", "set-time"});
    const QDateTime clock = QDateTime::fromString(r.out.trimmed().mid(7), "dd.MM.yyyy / hh:mm:ss");
    ASSERT_TRUE(clock.isValid()) << r.out.toStdString();
    EXPECT_LT(qAbs(clock.secsTo(QDateTime::currentDateTime())), 30);
}

TEST_F(CliCommands, LogIsWrittenInTheProgramFolderOnlyWhenAsked) {
    ASSERT_EQ(Run({"--simulator", "read-parameters", "a.nvs"}).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(Path("home/LOG_comm_file.TXT")));
    EXPECT_FALSE(QFileInfo::exists(Path("home/Config.ini"))) << "Config.ini is only read";
    ASSERT_EQ(Run({"--log", "--simulator", "read-parameters", "a.nvs"}).exitCode, 0);
    const QString log = QString::fromLatin1(cli::ReadBytes(Path("home/LOG_comm_file.TXT")));
    EXPECT_TRUE(log.contains(">>> Read parameters <<<\r\nR+P\r\n"));
    EXPECT_TRUE(log.contains("Par.256 : "));
}
