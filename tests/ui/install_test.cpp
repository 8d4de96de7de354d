// The program installed under a temporary prefix, run from there as an installed copy:
// bin/ and share/ read-only, a fresh home folder.
#include "AppConfig.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct RunResult {
    int exitCode = -1;
    QString out, err;
};

QString ReadText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void SetWritable(const QString& root, bool writable) {
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    QStringList paths{root};
    while (it.hasNext()) paths << it.next();
    for (const QString& p : paths) {
        struct stat st {};
        if (::lstat(p.toLocal8Bit().constData(), &st) != 0 || S_ISLNK(st.st_mode)) continue;
        const mode_t mode = writable ? (st.st_mode | S_IWUSR) : (st.st_mode & ~mode_t(0222));
        ::chmod(p.toLocal8Bit().constData(), mode);
    }
}

struct Installed {
    QTemporaryDir dest, home, runtime;
    QString usr;
    bool ok = false;
    QString installLog;
    bool asThisUser = false; // run as this user, root included, over a writable bin/
    // readOnly false: bin/ and share/ stay writable, as /usr is for root.
    explicit Installed(bool readOnly = true) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", dest.path());
        p.setProcessEnvironment(env);
        p.start(NORVA_CMAKE, {"--install", NORVA_BUILD_DIR, "--prefix", "/usr"});
        ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit &&
             p.exitCode() == 0;
        installLog = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        usr = dest.filePath("usr");
        // Others must be able to reach the installed copy (the run as "nobody" below).
        ::chmod(dest.path().toLocal8Bit().constData(), 0755);
        ::chmod(home.path().toLocal8Bit().constData(), 0777);
        SetWritable(usr, !readOnly);
        asThisUser = !readOnly;
    }
    ~Installed() { SetWritable(usr, true); }

    // An installed program, as this user or, when that is root (who writes anywhere), as
    // "nobody", with HOME the fresh home folder and no XDG folders set.
    RunResult Start(const QString& program, const QStringList& args,
                    const QStringList& extra = {}) const {
        QString exe = usr + "/bin/" + program;
        QStringList all = args;
        if (::geteuid() == 0 && !asThisUser) {
            const QString setpriv = QStandardPaths::findExecutable("setpriv");
            if (!setpriv.isEmpty()) {
                all = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", exe} + args;
                exe = setpriv;
            }
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) env.remove(v);
        for (const QString& set : extra) env.insert(set.section('=', 0, 0), set.section('=', 1));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(home.path());
        p.start(exe, all);
        RunResult r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        if (p.exitStatus() == QProcess::NormalExit) r.exitCode = p.exitCode();
        return r;
    }
};
} // namespace

TEST(Install, LaysOutTheProgramsTheSharedFilesTheMenuEntryAndTheUdevRule) {
    Installed in;
    ASSERT_TRUE(in.ok) << in.installLog.toStdString();
    struct Case {
        const char* path;
        QStringList holds; // texts the file must contain
    } cases[] = {
        {"bin/norvaset", {}},
        {"bin/norvaset-cli", {}},
        {"bin/norva-doorphone-sim", {}},
        {"share/norvaset/English.lng", {"[Info]"}},
        {"share/norvaset/Czech.lng", {"[Info]"}},
        {"share/norvaset/norva_99.ini", {}},
        {"share/norvaset/blank.jpg", {}},
        {"share/norvaset/Pickup1.WAV", {}},
        {"share/norvaset/Allert.WAV", {}},
        {"share/applications/norvaset.desktop",
         {"[Desktop Entry]", "Exec=norvaset", "Icon=norvaset", "Type=Application"}},
        {"share/icons/hicolor/scalable/apps/norvaset.svg", {"<svg"}},
        {"lib/udev/rules.d/60-norvaset.rules",
         {"ATTRS{idVendor}==\"0403\"", "ATTRS{idProduct}==\"6001\"", "TAG+=\"uaccess\"",
          "ATTR{latency_timer}=\"1\""}},
        {"share/man/man1/norvaset.1.gz", {}},
        {"share/man/man1/norvaset-cli.1.gz", {}},
        {"share/man/man1/norva-doorphone-sim.1.gz", {}},
        {"share/doc/norvaset/copyright", {"Upstream-Name: NorvaSet", "License:"}},
        {"share/doc/norvaset/changelog.gz", {}},
    };
    for (const Case& c : cases) {
        const QString path = in.usr + "/" + c.path;
        EXPECT_TRUE(QFileInfo::exists(path)) << c.path;
        const QString text = ReadText(path);
        for (const QString& h : c.holds)
            EXPECT_TRUE(text.contains(h)) << c.path << " " << h.toStdString();
    }
    for (const char* program : {"bin/norvaset", "bin/norvaset-cli", "bin/norva-doorphone-sim"})
        EXPECT_TRUE(QFileInfo(in.usr + "/" + program).isExecutable()) << program;
    // The shipped folder holds data only, the icons live in the XDG place.
    EXPECT_FALSE(QFileInfo::exists(in.usr + "/share/norvaset/icons"));
    EXPECT_EQ(QDir(in.usr + "/share/norvaset")
                  .entryList(QDir::Hidden | QDir::NoDotAndDotDot | QDir::AllEntries)
                  .filter(QRegularExpression("^\\.")),
              QStringList());
}

TEST(Install, TheInstalledProgramsRunFromReadOnlyFoldersWithAFreshHome) {
    Installed in;
    ASSERT_TRUE(in.ok) << in.installLog.toStdString();
    for (const char* program : {"norvaset", "norvaset-cli"}) {
        const RunResult v = in.Start(program, {"--version"});
        EXPECT_EQ(v.exitCode, 0) << program << v.err.toStdString();
        EXPECT_EQ(v.out, QString(program) + " " + ProgramVersionText() + "\n");
    }

    // The model list comes from the installed English.lng.
    const RunResult models = in.Start("norvaset-cli", {"--model", "99", "status"});
    EXPECT_EQ(models.exitCode, 2);
    EXPECT_TRUE(models.err.contains("Norva 99")) << models.err.toStdString();

    // A read from the simulated door phone, then the block a write of it would send; the
    // log goes to the user's data folder, as bin/ cannot take it.
    const QString home = in.home.path();
    const RunResult read =
        in.Start("norvaset-cli", {"--simulator=" + home + "/phone", "--log", "--model", "3",
                                  "read-all", home + "/site.nvs"});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const RunResult encode =
        in.Start("norvaset-cli", {"encode", home + "/site.nvs", home + "/site.bin"});
    ASSERT_EQ(encode.exitCode, 0) << encode.err.toStdString();
    EXPECT_EQ(QFileInfo(home + "/site.bin").size(), 256);
    const QString log = ReadText(home + "/.local/share/norvaset/LOG_comm_file.TXT");
    EXPECT_TRUE(log.contains("Language file: " + in.usr + "/share/norvaset/English.lng"))
        << log.left(400).toStdString();
    EXPECT_TRUE(log.contains("Template file: " + in.usr + "/share/norvaset/"));
    // Nothing was written beside the programs.
    EXPECT_EQ(QDir(in.usr + "/bin").entryList(QDir::Files).size(), 3);
}

namespace {
QString Uncompressed(const QString& gz) {
    QProcess p;
    p.start("gzip", {"-dc", gz});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A manual page as words on a terminal: the markup's minus signs, font changes and
// zero-width marks taken out.
QString PlainManText(QString page) {
    page.replace("\\-", "-").replace("\\&", "").replace("\\e", "\\");
    page.remove(QRegularExpression("\\\\f[BIRP]"));
    return page;
}
} // namespace

// Run by root as installed (bin/ writable, as /usr/bin is for root): every file the
// programs write goes to the user's folders, none beside the executables.
TEST(Install, TheInstalledCopyWritesNothingBesideItsExecutablesWhoeverRunsIt) {
    Installed in(false);
    ASSERT_TRUE(in.ok) << in.installLog.toStdString();
    const QString home = in.home.path();
    const QString data = home + "/.local/share/norvaset";
    const RunResult read = in.Start("norvaset-cli", {"--simulator=" + home + "/phone", "--log",
                                                     "--model", "3", "read-all", home + "/a.nvs"});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const RunResult write = in.Start("norvaset-cli", {"--simulator=" + home + "/phone", "--model",
                                                      "3", "write-all", home + "/a.nvs"});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    // Without a runtime folder the command line says only what it has to say.
    for (const RunResult* r : {&read, &write})
        EXPECT_FALSE(r->err.contains("XDG_RUNTIME_DIR")) << r->err.toStdString();
    // The window, started and closed: it writes Config.ini when it closes.
    const RunResult window =
        in.Start("norvaset", {"--simulator=" + home + "/phone", "--screenshots", home + "/shots"},
                 {"XDG_RUNTIME_DIR=" + in.runtime.path(), "QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(window.exitCode, 0) << window.err.toStdString();

    EXPECT_EQ(
        QDir(in.usr + "/bin").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList({"norva-doorphone-sim", "norvaset", "norvaset-cli"}));
    EXPECT_EQ(QDir(in.usr + "/share/norvaset")
                  .entryList({"Config.ini", "LOG_*", "Backups"}, QDir::AllEntries | QDir::Hidden),
              QStringList());
    EXPECT_TRUE(QFileInfo::exists(home + "/.config/norvaset/Config.ini"));
    EXPECT_TRUE(QFileInfo::exists(data + "/LOG_comm_file.TXT"));
    // The read's backup and the backup made before the write.
    EXPECT_EQ(QDir(data + "/Backups").entryList({"*.nvs"}, QDir::Files).size(), 2);
}

TEST(Install, TheManualPagesSayWhatHelpSays) {
    Installed in;
    ASSERT_TRUE(in.ok) << in.installLog.toStdString();
    for (const char* program : {"norvaset", "norvaset-cli", "norva-doorphone-sim"}) {
        SCOPED_TRACE(program);
        const RunResult help = in.Start(program, {"--help"});
        ASSERT_EQ(help.exitCode, 0) << help.err.toStdString();
        const QString page = Uncompressed(in.usr + "/share/man/man1/" + program + ".1.gz");
        ASSERT_TRUE(page.startsWith(".TH " + QString(program).toUpper() + " 1 "))
            << page.left(200).toStdString();
        const QString text = PlainManText(page);
        EXPECT_TRUE(text.contains(".SH NAME\n" + QString(program) + " - ")) << text.toStdString();
        // Every option and command of --help, and every line of its descriptions.
        for (const QString& line : help.out.split('\n')) {
            const QString words = line.simplified();
            if (words.isEmpty() || words.startsWith("Usage:")) continue;
            const QString term = line.startsWith("  ") && !line.startsWith("   ")
                                     ? line.trimmed().section(QRegularExpression("\\s{2,}"), 0, 0)
                                     : QString();
            // Headings stand in capitals, without their colon.
            QString wanted = term.isEmpty() ? words : term;
            if (line.endsWith(':') && !line.startsWith(' ')) wanted.chop(1);
            EXPECT_TRUE(text.simplified().contains(wanted, Qt::CaseInsensitive))
                << wanted.toStdString();
        }
    }
}

TEST(Install, TheDebianPackageIsLintianClean) {
    const QString lintian = QStandardPaths::findExecutable("lintian");
    if (lintian.isEmpty() || QStandardPaths::findExecutable("dpkg-deb").isEmpty())
        GTEST_SKIP() << "lintian is not installed";
    QTemporaryDir out;
    QProcess cpack;
    cpack.start(NORVA_CPACK,
                {"-G", "DEB", "--config", NORVA_BUILD_DIR "/CPackConfig.cmake", "-B", out.path()});
    ASSERT_TRUE(cpack.waitForFinished(280000));
    ASSERT_EQ(cpack.exitCode(), 0) << cpack.readAllStandardError().toStdString()
                                   << cpack.readAllStandardOutput().toStdString();
    const QStringList debs = QDir(out.path()).entryList({"norvaset_*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1);
    const QString deb = QDir(out.path()).filePath(debs[0]);

    QProcess contents;
    contents.start("dpkg-deb", {"--contents", deb});
    ASSERT_TRUE(contents.waitForFinished(60000));
    const QString listing = QString::fromUtf8(contents.readAllStandardOutput());
    for (const char* path :
         {"./usr/share/doc/norvaset/copyright", "./usr/share/doc/norvaset/changelog.gz",
          "./usr/share/man/man1/norvaset.1.gz", "./usr/bin/norvaset-cli"})
        EXPECT_TRUE(listing.contains(path)) << path;
    EXPECT_FALSE(listing.contains("/.keep"));

    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    // Warnings count too: an empty description or a missing manual page is one.
    check.start(lintian, {"--fail-on", "error,warning", "--no-tag-display-limit", deb});
    ASSERT_TRUE(check.waitForFinished(280000));
    const QString said = QString::fromUtf8(check.readAll());
    EXPECT_EQ(check.exitCode(), 0) << said.toStdString();
    EXPECT_FALSE(said.contains(QRegularExpression("^[EW]: ", QRegularExpression::MultilineOption)))
        << said.toStdString();

    // The long description, as written (the packager escapes nothing into it).
    QProcess field;
    field.start("dpkg-deb", {"--field", deb, "Description"});
    ASSERT_TRUE(field.waitForFinished(60000));
    const QString description = QString::fromUtf8(field.readAllStandardOutput());
    EXPECT_GT(description.count('\n'), 5) << description.toStdString();
    EXPECT_FALSE(description.contains('&')) << description.toStdString();
    // The changelog's newest entry is the version the package carries.
    const QString changelog = Uncompressed(NORVA_BUILD_DIR "/doc/changelog.gz");
    EXPECT_TRUE(changelog.startsWith("norvaset (" + QString(NORVA_PROJECT_VERSION) + ") "))
        << changelog.left(80).toStdString();
}
