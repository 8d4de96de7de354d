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

// labels takes the global options like every other command, before or after it, and its
// own options only with it.
TEST_F(CliPrint, LabelsIsParsedLikeEveryCommand) {
    {
        QFile f(Path("in.nvl"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[N]\r\n1=Jan Novak\r\n");
    }
    struct Case {
        QStringList args; // cli::Run puts --home first
        int exit;
        const char* err;
    } cases[] = {
        {{"labels", "in.nvl", "a.pdf"}, 0, ""},
        {{"labels", "--kind", "3", "in.nvl", "b.pdf"}, 0, ""},
        {{"--kind=1", "labels", "in.nvl", "--one-button", "c.pdf"}, 0, ""},
        {{"labels", "in.nvl", "d.pdf", "--log"}, 0, ""},
        {{"labels", "in.nvl", "e.pdf", "--kind"}, 2, "--kind' needs a value"},
        {{"labels", "in.nvl", "f.pdf", "--kind", "4"}, 2, "kind 4 has no button labels"},
        {{"labels", "in.nvl", "g.pdf", "--one-button"}, 2, "--one-button is for kind 1"},
        {{"labels", "in.nvl", "--frob", "h.pdf"}, 2, "unknown option '--frob'"},
        {{"labels", "in.nvl"}, 2, "labels IN.nvl|IN.vxl OUT.pdf"},
        {{"--kind", "2", "print", "in.nvs", "i.pdf"}, 2, "belong to 'labels'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const cli::Result r = Run(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.err))) << r.err.toStdString();
    }
    EXPECT_EQ(Files(), QStringList({"a.pdf", "b.pdf", "c.pdf", "d.pdf", "in.nvl"}));
    EXPECT_TRUE(QFile::exists(Path("home/LOG_comm_file.TXT"))) << "--log is taken as elsewhere";
}
