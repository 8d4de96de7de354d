// The backups folder: names, where the folder is, saving without overwriting, pruning to
// the newest, the parameters-only content and the Option switches in Config.ini.
#include "AppConfig.h"
#include "Backups.h"
#include "IniFile.h"
#include "NumberMemory.h"
#include "SettingsFile.h"
#include "SettingsModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDateTime kAt(QDate(2026, 12, 9), QTime(14, 3, 22));

void Touch(const QString& path, const QByteArray& bytes = "x") {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(Backups, NamesCarryTimeModelFirmwareAndContentInSafeCharacters) {
    const struct {
        const char* model;
        const char* firmware;
        BackupContent what;
        const char* name;
    } cases[] = {
        {"Norva 99", "2.53", BackupContent::All, "2026-12-09_14-03-22_Norva-99_fw2.53_all.nvs"},
        {"Vant Norva low cost", "2.55", BackupContent::Parameters,
         "2026-12-09_14-03-22_Vant-Norva-low-cost_fw2.55_parameters.nvs"},
        {"Vrátník / Přední", "1.6", BackupContent::Numbers,
         "2026-12-09_14-03-22_Vratnik-Predni_fw1.6_numbers.nvs"},
        // Nothing of a path survives into the name.
        {"../../etc/passwd", "2.53", BackupContent::All,
         "2026-12-09_14-03-22_etc-passwd_fw2.53_all.nvs"},
        {"  Norva*2:Keypad? ", " 2.53\n", BackupContent::All,
         "2026-12-09_14-03-22_Norva-2-Keypad_fw2.53_all.nvs"},
        {"", "", BackupContent::All, "2026-12-09_14-03-22_unknown_fwunknown_all.nvs"},
        {"---", "\"\"", BackupContent::All, "2026-12-09_14-03-22_unknown_fwunknown_all.nvs"},
    };
    for (const auto& c : cases) {
        const QString name =
            BackupFileName(kAt, QString::fromUtf8(c.model), QString::fromUtf8(c.firmware), c.what);
        EXPECT_EQ(name, QLatin1String(c.name)) << c.model;
        EXPECT_TRUE(IsBackupFileName(name)) << c.name;
    }
    for (const char* other : {"master.nvs", "2026-12-09_14-03-22.nvs", "2026-12-09_14-03-22_a.txt",
                              "x2026-12-09_14-03-22_a_fw1_all.nvs", "2026-12-09_14-03-22_a b.nvs"})
        EXPECT_FALSE(IsBackupFileName(QLatin1String(other))) << other;
}

TEST(Backups, FolderIsInTheProgramFolderElseTheFallbackElseAnError) {
    const struct {
        bool programWritable;
        bool fallbackWritable;
        const char* expected; // "program", "fallback" or "" (error)
    } cases[] = {
        {true, true, "program"},
        {false, true, "fallback"},
        {false, false, ""},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        // A plain file where a folder is needed cannot be written into, whoever runs the
        // test (permission bits would not stop root).
        const QString program = dir.filePath("program"), fallback = dir.filePath("data/Backups");
        if (c.programWritable)
            QDir().mkpath(program);
        else
            Touch(program);
        if (!c.fallbackWritable) Touch(dir.filePath("data"));
        QString error;
        const QString path = BackupFolder(program, fallback).Path(&error);
        const QString want = QLatin1String(c.expected) == QLatin1String("program")
                                 ? QDir::cleanPath(program + "/Backups")
                             : QLatin1String(c.expected) == QLatin1String("fallback") ? fallback
                                                                                      : QString();
        EXPECT_EQ(path, want) << c.expected;
        EXPECT_EQ(error.isEmpty(), !want.isEmpty()) << c.expected;
        if (!want.isEmpty()) {
            EXPECT_TRUE(QFileInfo(want).isDir());
            // The writability probe leaves nothing behind.
            EXPECT_TRUE(QDir(want).entryList(QDir::Files | QDir::Hidden).isEmpty());
        }
    }
}

TEST(Backups, SaveNeverOverwritesAndFailsCleanly) {
    QTemporaryDir dir;
    const BackupFolder folder(dir.path(), dir.filePath("fallback"));
    QString error;
    const QString first = folder.Save("first", kAt, "Norva 99", "2.53", BackupContent::All, &error);
    const QString second =
        folder.Save("second", kAt, "Norva 99", "2.53", BackupContent::All, &error);
    const QString third = folder.Save("third", kAt, "Norva 99", "2.53", BackupContent::All, &error);
    EXPECT_EQ(QFileInfo(first).fileName(), "2026-12-09_14-03-22_Norva-99_fw2.53_all.nvs");
    EXPECT_EQ(QFileInfo(second).fileName(), "2026-12-09_14-03-22_Norva-99_fw2.53_all-2.nvs");
    EXPECT_EQ(QFileInfo(third).fileName(), "2026-12-09_14-03-22_Norva-99_fw2.53_all-3.nvs");
    EXPECT_EQ(Bytes(first), "first");
    EXPECT_EQ(Bytes(second), "second");
    EXPECT_EQ(BackupFolder::List(dir.filePath("Backups")), (QStringList{first, second, third}));

    // Neither folder can take a file: no path, a reason.
    Touch(dir.filePath("blocked"));
    error.clear();
    EXPECT_TRUE(BackupFolder(dir.filePath("blocked"), dir.filePath("blocked/x"))
                    .Save("x", kAt, "m", "1", BackupContent::All, &error)
                    .isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(Backups, PruningKeepsTheNewestAndLeavesOtherFiles) {
    const struct {
        int backups;
        int keep;
        int removed;
    } cases[] = {{5, 3, 2}, {3, 3, 0}, {2, 5, 0}, {4, 0, 4}};
    for (const auto& c : cases) {
        QTemporaryDir dir;
        QStringList names;
        // Written newest first, so that only the time in the name can order them.
        for (int i = c.backups - 1; i >= 0; --i) {
            const QString name =
                BackupFileName(kAt.addSecs(i * 3600), "Norva 99", "2.53", BackupContent::All);
            Touch(dir.filePath(name));
            names.prepend(name);
        }
        Touch(dir.filePath("master.nvs"));
        Touch(dir.filePath("notes.txt"));
        EXPECT_EQ(BackupFolder::Prune(dir.path(), c.keep), c.removed) << c.backups << " " << c.keep;
        QStringList left = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        QStringList want = names.mid(c.removed);
        want << "master.nvs"
             << "notes.txt";
        want.sort();
        EXPECT_EQ(left, want) << c.backups << " " << c.keep;
    }
}

TEST(Backups, SaveKeepsTheNewest500) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("Backups");
    QDir().mkpath(folder);
    for (int i = 0; i < BackupFolder::kKeep; ++i)
        Touch(QDir(folder).filePath(
            BackupFileName(kAt.addSecs(-10000 + i), "Norva 10", "2.53", BackupContent::All)));
    const QString oldest = QDir(folder).filePath(
        BackupFileName(kAt.addSecs(-10000), "Norva 10", "2.53", BackupContent::All));
    ASSERT_TRUE(QFile::exists(oldest));
    const QString saved =
        BackupFolder(dir.path()).Save("new", kAt, "Norva 10", "2.53", BackupContent::All);
    ASSERT_FALSE(saved.isEmpty());
    const QStringList all = BackupFolder::List(folder);
    EXPECT_EQ(all.size(), BackupFolder::kKeep);
    EXPECT_EQ(all.last(), saved);
    EXPECT_FALSE(QFile::exists(oldest));
}

TEST(Backups, ParametersOnlyBackupHoldsNoNumbers) {
    SettingsModel model;
    model.SetText("Edit8", "*7");
    model.SetText(FirstNumberField(1), "123");
    model.SetText(SecondNumberField(99), "456");
    const struct {
        BackupContent what;
        bool numbersKept;
    } cases[] = {{BackupContent::Parameters, false},
                 {BackupContent::Numbers, true},
                 {BackupContent::All, true}};
    for (const auto& c : cases) {
        SettingsModel back;
        ApplySettingsFileBytes(BackupBytes(model, c.what), back);
        EXPECT_EQ(back.Text("Edit8"), "*7");
        EXPECT_EQ(back.Text(FirstNumberField(1)), c.numbersKept ? "123" : "");
        EXPECT_EQ(back.Text(SecondNumberField(99)), c.numbersKept ? "456" : "");
    }
    // The model itself keeps its numbers.
    EXPECT_EQ(model.Text(FirstNumberField(1)), "123");
}

TEST(Backups, OptionSwitchesLiveInTheirOwnSectionOfConfigIni) {
    QTemporaryDir dir;
    // No Config.ini: both on, and a switch is not written into a file of its own.
    BackupOptions fresh = BackupOptions::Read(dir.path());
    EXPECT_TRUE(fresh.verifyAfterWrite);
    EXPECT_TRUE(fresh.backupBeforeWrite);
    fresh.verifyAfterWrite = false;
    EXPECT_FALSE(fresh.Write(dir.path()));
    EXPECT_FALSE(QFile::exists(dir.filePath("Config.ini")));

    AppConfig config;
    QString error;
    ASSERT_TRUE(config.LoadOrCreate(dir.path(), &error));
    const struct {
        bool verify, backup;
    } cases[] = {{false, true}, {true, false}, {false, false}, {true, true}};
    for (const auto& c : cases) {
        BackupOptions o;
        o.verifyAfterWrite = c.verify;
        o.backupBeforeWrite = c.backup;
        ASSERT_TRUE(o.Write(dir.path()));
        // The program's close writes its groups back and keeps the section.
        ASSERT_TRUE(AppConfig::Write(dir.path(), "Czech.lng", true, 3, &error));
        const BackupOptions back = BackupOptions::Read(dir.path());
        EXPECT_EQ(back.verifyAfterWrite, c.verify);
        EXPECT_EQ(back.backupBeforeWrite, c.backup);
    }
    IniFile ini;
    ASSERT_TRUE(ini.Load(dir.filePath("Config.ini")));
    EXPECT_EQ(ini.SectionNames(), (QStringList{"Info", "-", "Setup", "Backup"}));
    EXPECT_EQ(ini.ReadString("Setup", "Lang", {}), "Czech.lng");
}
