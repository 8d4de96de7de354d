// norvaset-cli print: what a failure leaves behind. (The printout itself is compared with
// the window's in the window's tests.)
#include "cli_harness.h"

using cli::Result;

using CliPrint = cli::CliTest;

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
