// The program installed under a temporary prefix, run from there as an installed copy:
// bin/ and share/ read-only, a fresh home folder.
#include "AppConfig.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
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
    QTemporaryDir dest, home;
    QString usr;
    bool ok = false;
    QString installLog;
    Installed() {
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
        SetWritable(usr, false);
    }
    ~Installed() { SetWritable(usr, true); }

    // An installed program, as this user or, when that is root (who writes anywhere), as
    // "nobody", with HOME the fresh home folder and no XDG folders set.
    RunResult Start(const QString& program, const QStringList& args) const {
        QString exe = usr + "/bin/" + program;
        QStringList all = args;
        if (::geteuid() == 0) {
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
