// norvaset-cli and what a settings file holds: every command that reads one takes the
// fourth call-progress signal ("Silent call") as the file says it, and what a file says is
// quoted in printable characters only.
#include "FieldCatalogue.h"
#include "SettingsText.h"
#include "cli_harness.h"
#include "pdf_words.h"

#include <functional>

using cli::Result;

namespace {

constexpr int kCallProgressByte = 22; // 1-based, in transfer order

// A settings file with the call-progress signal at position, the list holding every item
// the program knows, as a file for a newer door phone does.
void SaveWithCallProgress(const QString& path, int position) {
    SettingsModel m;
    cli::MakeInstallerSettings(m);
    OfferEveryListItem(m);
    m.SetChoice(kCallProgressField, position);
    cli::SaveModel(path, m);
}

int CallProgressIn(const QString& settingsFile) {
    SettingsModel m;
    OfferEveryListItem(m);
    cli::LoadModel(settingsFile, m);
    return m.Choice(kCallProgressField);
}

bool HasControlCharacters(const QString& text) {
    for (const QChar c : text)
        if ((c.unicode() < 0x20 && c != u'\n') || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            return true;
    return false;
}

class CliFileContent : public cli::CliTest {
protected:
    void SetUp() override {
        cli::CliTest::SetUp();
        SettingsModel phone;
        cli::MakeInstallerSettings(phone);
        cli::SeedDoorPhone(Path("phone"), phone);
    }
    quint8 PhoneByte(int byte) {
        return quint8(cli::ReadBytes(Path("phone/parameters.bin")).at(byte - 1));
    }
};

} // namespace

TEST_F(CliFileContent, SilentCallSurvivesEveryCommandThatReadsASettingsFile) {
    SaveWithCallProgress(Path("silent.nvs"), 3);
    SaveWithCallProgress(Path("type2.nvs"), 2);
    ASSERT_EQ(CallProgressIn(Path("silent.nvs")), 3);
    const struct {
        QStringList args;
        std::function<void(const Result&)> check;
        int exitCode = 0;
    } cases[] = {
        {{"encode", "silent.nvs", "out.bin"},
         [&](const Result&) {
             EXPECT_EQ(quint8(cli::ReadBytes(Path("out.bin")).at(kCallProgressByte - 1)), 3);
         }},
        {{"--simulator=" + Path("phone"), "write-parameters", "silent.nvs"},
         [&](const Result&) { EXPECT_EQ(PhoneByte(kCallProgressByte), 3); }},
        {{"--simulator=" + Path("phone"), "write-all", "type2.nvs"},
         [&](const Result&) { EXPECT_EQ(PhoneByte(kCallProgressByte), 2); }},
        {{"--simulator=" + Path("phone"), "write-all", "silent.nvs", "--verify"},
         [&](const Result&) { EXPECT_EQ(PhoneByte(kCallProgressByte), 3); }},
        // The door phone now holds it: a read keeps it too.
        {{"--simulator=" + Path("phone"), "read-parameters", "read.nvs"},
         [&](const Result&) { EXPECT_EQ(CallProgressIn(Path("read.nvs")), 3); }},
        {{"decode", "out.bin", "decoded.nvs"},
         [&](const Result&) { EXPECT_EQ(CallProgressIn(Path("decoded.nvs")), 3); }},
        {{"--base", "silent.nvs", "decode", "out.bin", "based.nvs"},
         [&](const Result&) { EXPECT_EQ(CallProgressIn(Path("based.nvs")), 3); }},
        {{"diff", "type2.nvs", "silent.nvs"},
         [](const Result& r) {
             EXPECT_TRUE(r.out.contains("| Type 2 | Silent call\n")) << r.out.toStdString();
         },
         1},
        {{"show", "silent.nvs"},
         [](const Result& r) {
             EXPECT_TRUE(r.out.contains("| Silent call | signal.line\n")) << r.out.toStdString();
         }},
        {{"export", "silent.nvs", "silent.txt"},
         [&](const Result&) {
             EXPECT_TRUE(
                 cli::ReadBytes(Path("silent.txt")).contains("\nsignal.line = Silent call\n"));
         }},
        {{"set", "silent.nvs", "set.nvs", "signal.tick=on"},
         [&](const Result&) { EXPECT_EQ(CallProgressIn(Path("set.nvs")), 3); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result r = Run(c.args);
        ASSERT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        c.check(r);
    }

    const Result print = Run({"print", "silent.nvs", "silent.pdf"});
    if (print.err.contains("built without printing")) GTEST_SKIP() << "no printing in this build";
    ASSERT_EQ(print.exitCode, 0) << print.err.toStdString();
    const pdf::Document document = pdf::ReadWords(Path("silent.pdf"));
    if (!document.ok) GTEST_SKIP() << document.error.toStdString();
    QStringList lines;
    for (const pdf::Line& line : document.AllLines()) lines << line.Text();
    EXPECT_TRUE(lines.join('\n').contains("Silent call")) << lines.join('\n').toStdString();
}

// A settings file whose list record holds escape sequences: every command that reads it
// says so with the sequences spelt out, never sent to the terminal.
TEST_F(CliFileContent, WhatAFileSaysIsQuotedPrintably) {
    SettingsModel m;
    cli::MakeInstallerSettings(m);
    QByteArray bytes = SettingsFileBytes(m);
    const auto table = SettingsRecordTable();
    const auto list = std::find_if(table.begin(), table.end(), [](const SettingsRecordDef& d) {
        return d.coding == FileCoding::ListIndex;
    });
    ASSERT_NE(list, table.end());
    const qsizetype at = qsizetype(list - table.begin()) * kSettingsRecordSize;
    bytes.replace(at, kSettingsRecordSize, EncodeSettingsRecord(list->key, "1\x1b]2;x\x07\x1b[2J"));
    cli::WriteBytes(Path("garbage.nvs"), bytes);
    cli::SaveModel(Path("good.nvs"), m);
    const char* quoted = "'1\\x1B]2;x\\x07\\x1B[2J' is not a valid integer value";

    const QStringList commands[] = {
        {"encode", "garbage.nvs", "x.bin"},
        {"--simulator=" + Path("phone"), "write-all", "garbage.nvs"},
        {"--simulator=" + Path("phone"), "--base", "garbage.nvs", "read-all", "x.nvs"},
        {"print", "garbage.nvs", "x.pdf"},
        {"diff", "good.nvs", "garbage.nvs"},
        {"--simulator=" + Path("phone"), "diff", "--device", "garbage.nvs"},
        {"show", "garbage.nvs"},
        {"export", "garbage.nvs", "x.txt"},
        {"set", "garbage.nvs", "x.nvs", "signal.tick=on"},
    };
    for (const QStringList& args : commands) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Result r = Run(args);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.err.contains(quoted) || r.err.contains("built without printing"))
            << r.err.toStdString();
        EXPECT_FALSE(HasControlCharacters(r.err)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(Path("x.nvs")));

    // Results on stdout, too: a text value with control characters in it.
    m.SetText("Edit1", "40\x1b[8m71");
    cli::SaveModel(Path("hidden.nvs"), m);
    const struct {
        QStringList args;
        const char* line;
    } shown[] = {
        {{"show", "hidden.nvs"}, "40\\x1B[8m71"},
        {{"diff", "good.nvs", "hidden.nvs"}, "| 4071 | 40\\x1B[8m71\n"},
    };
    for (const auto& c : shown) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result r = Run(c.args);
        EXPECT_TRUE(r.out.contains(c.line)) << r.out.toStdString();
        EXPECT_FALSE(HasControlCharacters(r.out)) << r.out.toStdString();
    }
}
