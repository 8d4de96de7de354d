// File > New, Open, Save, Save as and the command-line file, through scripted dialogs.
#include "CommLog.h"
#include "Dialogs.h"
#include "LanguageTexts.h"
#include "SettingsFile.h"
#include "SettingsFileMenu.h"
#include "SettingsFileName.h"
#include "SettingsModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Rig {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SettingsModel model;
    CommLog log;
    LanguageTexts texts;
    int defaultsLoaded = 0;
    SettingsFileMenu menu{{nullptr, &dialogs, &model, &log, &texts, [this] { return dir.path(); },
                           [this] { ++defaultsLoaded; }, nullptr}};
    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QStringList Shown() const {
        QStringList out;
        for (const auto& s : dialogs.shown) out << s.kind + ":" + s.text;
        return out;
    }
};
} // namespace

TEST(FilesMenu, NameRules) {
    struct Case {
        const char* name;
        bool usable, settings;
    } cases[] = {
        {"a.nv", false, false},         {"a.nvs", false, true},
        {"/tmp/x/a.NVS", true, true},   {"/tmp/x/a.nvs ", true, true},
        {"/tmp/x/a.NvS", true, true},   {"/tmp/x/a.txt", true, false},
        {"/tmp/x/nvs", true, false},    {"/tmp/x.y/abc", true, false},
        {"/tmp/x/a.b.nvs", true, true}, {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsUsableSettingsName(c.name), c.usable) << c.name;
        EXPECT_EQ(HasSettingsExtension(c.name), c.settings) << c.name;
    }
    EXPECT_EQ(SettingsFileShortName("/a/b/c.nvs"), QString("c.nvs"));
}

TEST(FilesMenu, OpenFlows) {
    struct Case {
        const char* name;
        const char* answer; // "" = cancelled
        const char* message;
        bool keepsName;
    } cases[] = {
        {"cancelled", "", "File not selected", false},
        {"too short", "a.nv", "File not selected", true},
        {"wrong extension", "/tmp/somewhere/settings.txt", "File not for NorvaSet", false},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.dialogs.fileAnswers = {c.answer};
        rig.menu.Open1Click();
        EXPECT_EQ(rig.Shown(), QStringList({"open:Open file with DoorPhone settings",
                                            QString("message:") + c.message}))
            << c.name;
        EXPECT_EQ(rig.menu.SettingsFileName(), c.keepsName ? QString(c.answer) : QString())
            << c.name;
    }
}

TEST(FilesMenu, SaveThenOpenGivesEveryFieldBack) {
    Rig rig;
    rig.model.SetText("Edit92", "123456");
    rig.model.SetText("Edit290", "*99#");
    rig.model.SetFlag("CheckBox14", !rig.model.Flag("CheckBox14"));
    const QString path = rig.Path("door.NVS");
    rig.dialogs.fileAnswers = {path};
    rig.menu.Save1Click(); // no current file: Save as
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFile(path).size(), 335 * 50);

    Rig other;
    other.dialogs.fileAnswers = {path};
    other.menu.Open1Click();
    EXPECT_TRUE(other.model.SameValues(rig.model));
    EXPECT_EQ(other.menu.SettingsFileName(), path);
}

TEST(FilesMenu, ReplaceQuestion) {
    Rig rig;
    const QString path = rig.Path("exists.nvs");
    QFile(path).open(QIODevice::WriteOnly);
    // "No" reopens the dialog; cancelling then writes nothing and leaves no file name.
    rig.dialogs.fileAnswers = {path, ""};
    rig.dialogs.answers = {false};
    rig.menu.Saveas1Click();
    EXPECT_EQ(rig.Shown(),
              QStringList({"save:Save file with NorvaSet settings", "question:Replace file ?",
                           "save:Save file with NorvaSet settings"}));
    EXPECT_EQ(rig.dialogs.shown[1].caption, QString("File is exists"));
    EXPECT_EQ(QFile(path).size(), 0);
    EXPECT_EQ(rig.menu.SettingsFileName(), QString());
    // "Yes" writes.
    rig.dialogs.fileAnswers = {path};
    rig.dialogs.answers = {true};
    rig.menu.Saveas1Click();
    EXPECT_EQ(QFile(path).size(), 335 * 50);
}

// New starts a new set of settings: the next Save asks for its file instead of writing
// over the one that was open.
TEST(FilesMenu, NewForgetsTheFileSoSaveAsks) {
    Rig rig;
    const QString path = rig.Path("kept.nvs");
    rig.dialogs.fileAnswers = {path};
    EXPECT_TRUE(rig.menu.Saveas1Click());
    rig.menu.New1Click();
    EXPECT_EQ(rig.defaultsLoaded, 1);
    EXPECT_EQ(rig.menu.SettingsFileName(), QString());
    rig.model.SetText("Edit1", "4321");
    rig.dialogs.shown.clear();
    rig.menu.Save1Click();
    EXPECT_EQ(rig.Shown(), QStringList{"save:Save file with NorvaSet settings"});
    SettingsModel back;
    CommLog log;
    ReadSettingsFile(path, back, log);
    EXPECT_NE(back.Text("Edit1"), QString("4321"));
}

TEST(FilesMenu, SaveAsPrefillsTheNameOnlyWhenAsked) {
    Rig rig;
    rig.menu.SetSettingsFileName(rig.Path("old.nvs"));
    rig.menu.Saveas1Click();
    EXPECT_EQ(rig.dialogs.fileRequests.last().initialName, QString());
    rig.menu.SetSettingsFileName(rig.Path("old.nvs"));
    rig.menu.SetPrefillSaveName(true);
    rig.menu.Saveas1Click();
    EXPECT_EQ(rig.dialogs.fileRequests.last().initialName, rig.Path("old.nvs"));
    EXPECT_EQ(rig.dialogs.fileRequests.last().defaultSuffix, QString("NVS"));
}

TEST(FilesMenu, CommandLineFile) {
    Rig source;
    source.model.SetText("Edit2", "*7");
    const QString path = source.Path("cmd.nvs");
    WriteSettingsFile(path, source.model, source.log);
    struct Case {
        const char* name;
        QString argument;
        const char* message; // "" none
        bool loads;
        bool keepsName;
    } cases[] = {
        {"short", "a.nvs", "Nebyl vybrán žádný soubor", false, true},
        {"text file", source.Path("x.txt"), "Selected file is not settings for DoorPhone Norva",
         false, false},
        {"trailing blank", path + " ", "", true, true},
        {"plain", path, "", true, true},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.menu.OpenFromCommandLine(true, c.argument);
        EXPECT_EQ(rig.model.Text("Edit2") == "*7", c.loads) << c.name;
        EXPECT_EQ(rig.menu.SettingsFileName(), c.keepsName ? c.argument : QString()) << c.name;
        if (*c.message)
            EXPECT_EQ(rig.Shown(), QStringList{QString("message:") + QString::fromUtf8(c.message)})
                << c.name;
        else
            EXPECT_TRUE(rig.Shown().isEmpty()) << c.name;
    }
}

TEST(FilesMenu, AFailedReadShowsTheErrorAndChangesNothing) {
    Rig rig;
    const QString path = rig.Path("short.nvs");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(100, 'x'));
    f.close();
    SettingsModel before;
    before.CopyFrom(rig.model);
    rig.dialogs.fileAnswers = {path};
    rig.menu.Open1Click();
    ASSERT_EQ(rig.dialogs.shown.size(), 2);
    EXPECT_EQ(rig.dialogs.shown[1].text, QString("Read beyond end of file"));
    EXPECT_TRUE(rig.model.SameValues(before));
}
