// norvaset-cli keeps what a door phone held: a backup of every read and of the content a
// write replaces, verify after a write against a door phone that keeps one byte wrong, and
// diff --device.
#include "IniFile.h"
#include "cli_harness.h"

#include <QTemporaryDir>

namespace {

struct Rig {
    QTemporaryDir dir;
    QString phone = dir.filePath("phone");
    SettingsModel old; // what the door phone holds at first

    Rig() {
        cli::MakeInstallerSettings(old);
        cli::SeedDoorPhone(phone, old);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    cli::Result Run(const QStringList& args) {
        return cli::Run(dir.path(), QStringList{"--simulator=" + phone} + args);
    }
    QStringList Backups() const {
        return QDir(dir.filePath("home/Backups")).entryList(QDir::Files, QDir::Name);
    }
    QString BackupText(const QString& name, const QString& field) const {
        SettingsModel m;
        cli::LoadModel(dir.filePath("home/Backups/" + name), m);
        return m.ValueString(field);
    }
};

void SaveNewSettings(const QString& path) {
    SettingsModel m;
    cli::MakeInstallerSettings(m);
    m.SetText("Edit1", "1111");
    m.SetText("Edit54", "5");
    m.SetText(FirstNumberField(1), "999");
    m.SetText(SecondNumberField(7), "123");
    cli::SaveModel(path, m);
}

} // namespace

TEST(CliBackup, WriteLeavesWhatTheDoorPhoneHeldInTheBackupsFolder) {
    const struct {
        const char* command;
        QStringList extra;
        const char* config; // [Backup] BackupBeforeWrite in Config.ini, "" none
        const char* suffix; // of the backup's name, "" none
        bool numbersInBackup;
    } cases[] = {
        {"write-all", {}, "", "_fw2.53_all.nvs", true},
        {"write-parameters", {}, "", "_fw2.53_parameters.nvs", false},
        {"write-numbers", {}, "1", "_fw2.53_numbers.nvs", true},
        {"write-all", {"--no-backup"}, "", "", false},
        {"write-all", {}, "0", "", false},
    };
    for (const auto& c : cases) {
        Rig rig;
        if (*c.config) {
            QDir().mkpath(rig.Path("home"));
            cli::WriteBytes(rig.Path("home/Config.ini"),
                            QByteArray("[Setup]\r\nLang=English.lng\r\n[Backup]\r\n"
                                       "BackupBeforeWrite=") +
                                c.config + "\r\n");
        }
        SaveNewSettings(rig.Path("new.nvs"));
        const cli::Result r = rig.Run(QStringList{c.command, "new.nvs"} + c.extra);
        ASSERT_EQ(r.exitCode, 0) << c.command << "\n" << r.err.toStdString();
        const QStringList backups = rig.Backups();
        if (!*c.suffix) {
            EXPECT_TRUE(backups.isEmpty()) << c.command;
            continue;
        }
        ASSERT_EQ(backups.size(), 1) << c.command;
        EXPECT_TRUE(backups[0].endsWith(QLatin1String(c.suffix))) << backups[0].toStdString();
        EXPECT_TRUE(r.err.contains("Reading the door phone for a backup before writing"));
        const bool parameters = QLatin1String(c.command) != QLatin1String("write-numbers");
        if (parameters) {
            for (const QString& field : cli::BlockFields())
                EXPECT_EQ(rig.BackupText(backups[0], field), rig.old.ValueString(field))
                    << c.command << " " << field.toStdString();
        }
        EXPECT_EQ(rig.BackupText(backups[0], FirstNumberField(1)),
                  c.numbersInBackup ? rig.old.Text(FirstNumberField(1)) : QString())
            << c.command;
        // The write itself went through with the file's settings.
        if (parameters) {
            EXPECT_EQ(cli::ReadBytes(rig.phone + "/parameters.bin").mid(6, 4),
                      QByteArray("\x01\x01\x01\x01"));
        }
    }
}

TEST(CliBackup, EveryReadIsBackedUp) {
    const struct {
        const char* command;
        const char* suffix;
        bool numbers;
    } cases[] = {
        {"read-all", "_fw2.53_all.nvs", true},
        {"read-parameters", "_fw2.53_parameters.nvs", false},
        {"read-numbers", "_fw2.53_numbers.nvs", true},
    };
    for (const auto& c : cases) {
        Rig rig;
        const cli::Result r = rig.Run({c.command, "out.nvs"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList backups = rig.Backups();
        ASSERT_EQ(backups.size(), 1) << c.command;
        EXPECT_TRUE(backups[0].endsWith(QLatin1String(c.suffix))) << backups[0].toStdString();
        EXPECT_EQ(rig.BackupText(backups[0], FirstNumberField(99)),
                  c.numbers ? rig.old.Text(FirstNumberField(99)) : QString());
    }
}

// The simulated door phone's clock runs ahead of the PC's (its pauses pass at once): the
// backup is named by the PC's clock all the same, so that backups sort as they were made.
TEST(CliBackup, NamedByThePcClock) {
    Rig rig;
    QDateTime before = QDateTime::currentDateTime();
    before = before.addMSecs(-before.time().msec());
    const cli::Result r = rig.Run({"read-all", "out.nvs"});
    const QDateTime after = QDateTime::currentDateTime();
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList backups = rig.Backups();
    ASSERT_EQ(backups.size(), 1);
    const QDateTime named =
        QDateTime::fromString(backups[0].left(19), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    ASSERT_TRUE(named.isValid()) << backups[0].toStdString();
    EXPECT_GE(named, before) << backups[0].toStdString();
    EXPECT_LE(named, after) << backups[0].toStdString();
}

TEST(CliBackup, DiffAgainstTheDoorPhone) {
    Rig rig;
    cli::SaveModel(rig.Path("same.nvs"), rig.old);
    SettingsModel other;
    other.CopyFrom(rig.old);
    other.SetText(SecondNumberField(50), "4321");
    cli::SaveModel(rig.Path("other.nvs"), other);
    cli::WriteBytes(rig.Path("short.nvs"), QByteArray(60, ' '));
    const struct {
        QStringList args;
        int exitCode;
        const char* out;
        int backups; // made by this run
    } cases[] = {
        {{"diff", "--device", "same.nvs"}, 0, "", 1},
        {{"diff", "--device", "other.nvs"},
         1,
         "Buttons 41-50 | Button 50 - Night / Group2 | R1-2 | 4321\n",
         1},
        {{"diff", "--device", "short.nvs"}, 2, "", 0},
    };
    for (const auto& c : cases) {
        const int before = int(rig.Backups().size());
        const cli::Result r = rig.Run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString() << r.err.toStdString();
        EXPECT_EQ(r.out, QLatin1String(c.out)) << c.args.join(' ').toStdString();
        EXPECT_EQ(rig.Backups().size() - before, c.backups) << c.args.join(' ').toStdString();
    }
    const cli::Result noCable =
        cli::Run(rig.dir.path(), {"--port", "/nonexistent/tty", "diff", "--device", "same.nvs"});
    EXPECT_EQ(noCable.exitCode, 3) << noCable.err.toStdString();
}

// The real serial path against a door phone that keeps one byte wrong: only --verify
// finds it, and then the write is a failure.
TEST(CliBackup, VerifyCatchesADoorPhoneThatStoresOneByteWrong) {
    const struct {
        const char* command;
        QStringList simFault;
        QStringList options;
        int exitCode;
        const char* says; // on stderr, "" for nothing in particular
    } cases[] = {
        {"write-parameters", {}, {"--verify"}, 0, "Write verified"},
        {"write-parameters", {"--wrong-byte", "33"}, {}, 0, ""},
        {"write-parameters",
         {"--wrong-byte", "33"},
         {"--verify"},
         1,
         "51 Number of rings before doorphone pickup (incomming call): 5 -> 4"},
        // The door phone's own bytes may change: not a failure.
        {"write-parameters", {"--wrong-byte", "28"}, {"--verify"}, 0, "Write verified"},
        {"write-numbers",
         {"--wrong-record", "107"},
         {"--verify"},
         1,
         "Button 7 - Night / Group2: 123 -> D23"},
    };
    for (const auto& c : cases) {
        Rig rig;
        cli::SimProcess sim(QStringList{"--state", rig.phone} + c.simFault);
        ASSERT_TRUE(sim.Path().startsWith("/dev/")) << sim.Errors().toStdString();
        SaveNewSettings(rig.Path("new.nvs"));
        const cli::Result r = cli::Run(
            rig.dir.path(),
            QStringList{"--port", sim.Path(), "--no-backup", c.command, "new.nvs"} + c.options);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.command << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        if (c.exitCode == 1) {
            EXPECT_TRUE(r.err.contains("The door phone does not hold what was written"));
        }
    }
}
