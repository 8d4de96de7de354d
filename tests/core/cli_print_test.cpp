// norvaset-cli print: the window's printout of a settings file as an A4 PDF, read back
// with its words.
#include "cli_harness.h"
#include "pdf_words.h"

#include <QTemporaryDir>

using cli::Result;

namespace {

class CliPrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo::exists(cli::BinPath("norvaset-cli")));
        ASSERT_TRUE(dir_.isValid());
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    Result Run(const QStringList& args) { return cli::Run(dir_.path(), args); }
    QStringList Files() const {
        return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(CliPrint, SettingsFileBecomesAnA4PrintoutOfItsValues) {
    SettingsModel m;
    cli::MakeInstallerSettings(m);
    cli::SaveModel(Path("site.nvs"), m);
    const Result r = Run({"print", "site.nvs", "site.pdf"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(Files(), QStringList({"site.nvs", "site.pdf"}));

    const pdf::Document doc = pdf::ReadWords(Path("site.pdf"));
    ASSERT_TRUE(doc.ok) << doc.error.toStdString();
    ASSERT_GE(doc.pages.size(), 2);
    for (const QSizeF& page : doc.pages) {
        EXPECT_NEAR(page.width(), 595.3, 0.5); // A4
        EXPECT_NEAR(page.height(), 841.9, 0.5);
    }
    const QList<pdf::Line> lines = doc.AllLines();
    // Lines as the window shows the file with no door phone connected.
    const char* const expected[] = {
        "Status:",
        "Firmware: Reset:",
        "Mode: NIGHT",
        "41 Dial Pulse",
        "Password for access to programming from a phone: 4071",
        "371 Pulse duration: 0.5 sec",
        "382 Control relay at incomming call X",
        "1 102",
        "00 Sunday 07:30 - 00:00",
        "Buttons 1-10 Day / Group1 Night / Group2",
        "Button 1 0123456789 *0#P",
        "Button 50 R1-2",
        "Button 99 602123456",
    };
    for (const char* text : expected)
        EXPECT_NE(doc.FindLine(lines, QString::fromUtf8(text)), nullptr) << text;
    EXPECT_EQ(doc.Lines(doc.pages.size() - 1).last().Text(), "Button 99 602123456");
}

TEST_F(CliPrint, FailuresWriteNoPdf) {
    SettingsModel m;
    cli::MakeInstallerSettings(m);
    cli::SaveModel(Path("good.nvs"), m);
    cli::WriteBytes(Path("short.nvs"), cli::ReadBytes(Path("good.nvs")).left(100));
    cli::WriteBytes(Path("old.pdf"), "older printout");
    struct Case {
        QStringList args;
        int exit;
        const char* err;
    } cases[] = {
        {{"print", "missing.nvs", "x.pdf"}, 1, "missing.nvs: File not found"},
        {{"print", "short.nvs", "old.pdf"}, 1, "Read beyond end of file"},
        {{"print", "good.nvs", "no/such/folder/x.pdf"}, 1, "cannot be written"},
        {{"print", "good.nvs"}, 2, "print IN.nvs OUT.pdf"},
        {{"--base", "good.nvs", "print", "good.nvs", "x.pdf"}, 2, "--base belongs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result r = Run(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
    }
    EXPECT_EQ(Files(), QStringList({"good.nvs", "old.pdf", "short.nvs"}));
    EXPECT_EQ(cli::ReadBytes(Path("old.pdf")), QByteArray("older printout"));
}
