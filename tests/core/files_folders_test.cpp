// Where shipped files are found and where the program's own files are written.
#include "AppFolders.h"
#include "cli_harness.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

// An installed layout: <root>/usr/bin and <root>/usr/share/norvaset, a --home folder and
// the user's folders.
struct Layout {
    QTemporaryDir root;
    QString Bin() const { return root.filePath("usr/bin"); }
    QString Share() const { return root.filePath("usr/share/norvaset"); }
    QString Home() const { return root.filePath("home"); }
    Layout() {
        for (const QString& d : {Bin(), Share(), Home()}) QDir().mkpath(d);
    }
    AppFolders Resolve(const QString& home, const QString& exeDir) const {
        AppFolders::Places p;
        p.home = home;
        p.executableDir = exeDir;
        p.userConfigDir = root.filePath("user/config/norvaset");
        p.userDataDir = root.filePath("user/data/norvaset");
        return AppFolders::Resolve(p);
    }
};
} // namespace

TEST(AppFolders, ShippedFilesComeFromTheProgramFolderFirstThenTheInstalledData) {
    struct Case {
        const char* what;
        bool home;        // run with --home
        bool inProgram;   // the file lies in the program folder (home or bin)
        bool inShare;     // ... in share/norvaset
        const char* from; // "program", "share"
    } cases[] = {
        {"only installed", false, false, true, "share"},
        {"beside the executable wins", false, true, true, "program"},
        {"missing: named in the program folder", false, false, false, "program"},
        {"home wins over installed", true, true, true, "program"},
        {"fresh home falls back to installed", true, false, true, "share"},
        {"missing under home: named in home", true, false, false, "program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Layout l;
        const QString program = c.home ? l.Home() : l.Bin();
        if (c.inProgram) Touch(program + "/English.lng");
        if (c.inShare) Touch(l.Share() + "/English.lng");
        const AppFolders f = l.Resolve(c.home ? l.Home() : QString(), l.Bin());
        const QString expected =
            QDir::cleanPath(QString(c.from) == "share" ? l.Share() : program) + "/English.lng";
        EXPECT_EQ(f.Find("English.lng"), expected);
    }
}

TEST(AppFolders, WhereConfigLogsAndBackupsGo) {
    Layout l;
    // Nobody, root included, can create a file here.
    const QString locked = "/proc/self/fdinfo";
    const QString build = l.root.filePath("build/bin");
    QDir().mkpath(build);
    enum Where { Program, User };
    struct Case {
        const char* what;
        QString home;
        QString exeDir;
        bool installed;
        Where config, data;
    } cases[] = {
        {"build folder", QString(), build, false, Program, Program},
        // bin/ can be written here, as root can write /usr/bin: the layout decides.
        {"installed, bin writable", QString(), l.Bin(), true, User, User},
        {"build folder not writable", QString(), locked, false, User, User},
        {"--home is written", l.Home(), l.Bin(), false, Program, Program},
        {"--home not writable: read, logs to the user", locked, l.Bin(), false, Program, User},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AppFolders f = l.Resolve(c.home, c.exeDir);
        EXPECT_EQ(f.Installed(), c.installed);
        const QString userConfig = l.root.filePath("user/config/norvaset") + "/";
        const QString userData = l.root.filePath("user/data/norvaset") + "/";
        EXPECT_EQ(f.ConfigFolder(), c.config == User ? userConfig : f.ProgramFolder());
        EXPECT_EQ(f.DataFolder(), c.data == User ? userData : f.ProgramFolder());
        EXPECT_EQ(f.UsesUserFolders(), c.config == User);
        EXPECT_EQ(f.UserDataFolder(), userData);
        if (c.data == User) {
            EXPECT_TRUE(AppFolders::CanWrite(f.DataFolder())) << "made at start";
        }
        if (c.config == User) { EXPECT_TRUE(QFileInfo(f.ConfigFolder()).isDir()); }
    }
    // An installed copy never even probes its bin/ folder.
    EXPECT_EQ(QDir(l.Bin()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
    EXPECT_FALSE(AppFolders::CanWrite(locked));
    EXPECT_FALSE(AppFolders::CanWrite(l.root.filePath("no/such/folder")));
}

TEST(AppFolders, SettingsFilesStartInTheLastFolderElseTheProgramOrTheDocuments) {
    Layout l;
    const QString build = l.root.filePath("build/bin");
    QDir().mkpath(build);
    Touch(l.root.filePath("site/a.nvs"));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString userDocuments =
        QFileInfo(documents).isDir() ? documents + "/" : QDir::homePath() + "/";
    struct Case {
        const char* what;
        QString exeDir;
        QString last;
        QString expected;
    } cases[] = {
        {"last file's folder", l.Bin(), l.root.filePath("site/a.nvs"), l.root.filePath("site/")},
        {"a last file not saved yet", l.Bin(), l.root.filePath("site/new.nvs"),
         l.root.filePath("site/")},
        {"last folder gone: installed", l.Bin(), l.root.filePath("gone/a.nvs"), userDocuments},
        {"installed, nothing yet", l.Bin(), QString(), userDocuments},
        {"build folder, nothing yet", build, QString(), build + "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(l.Resolve(QString(), c.exeDir).SettingsFolder(c.last), c.expected);
    }
}

TEST(AppFolders, LanguageFilesAreListedOnceEachTheProgramFolderFirst) {
    Layout l;
    Touch(l.Home() + "/English.lng");
    Touch(l.Home() + "/Site.LNG");
    Touch(l.Share() + "/english.LNG"); // the same language, other case: hidden by home's
    Touch(l.Share() + "/Czech.lng");
    Touch(l.Share() + "/norva_99.ini");
    const AppFolders f = l.Resolve(l.Home(), l.Bin());
    QStringList names;
    for (const QString& path : f.List("*.LNG")) names << QDir(l.root.path()).relativeFilePath(path);
    EXPECT_EQ(names,
              QStringList({"home/English.lng", "home/Site.LNG", "usr/share/norvaset/Czech.lng"}));
}

TEST(AppFolders, NamesFromALanguageFileMayBeAbsolute) {
    Layout l;
    const AppFolders f = l.Resolve(l.Home(), l.Bin());
    EXPECT_EQ(f.Locate("/opt/pictures/x.jpg"), QString("/opt/pictures/x.jpg"));
    EXPECT_EQ(f.Locate(""), QDir::cleanPath(l.Home())); // an empty entry names no file
    // Config.ini's language name is always relative: a full path there finds nothing.
    EXPECT_FALSE(QFileInfo::exists(f.Find(l.Share() + "/Czech.lng")));
}

// A --home folder the user may only read: the command line reads it and keeps its backups
// and log in the user's data folder, so a write is not refused for want of a backup.
TEST(AppFolders, AReadOnlyHomeKeepsBackupsAndTheLogInTheUsersDataFolder) {
    QTemporaryDir work;
    ::chmod(work.path().toLocal8Bit().constData(), 0777);
    const QString home = work.filePath("home"), user = work.filePath("user");
    const QString phone = work.filePath("phone");
    for (const QString& d : {home, user, phone}) QDir().mkpath(d);
    // The settings to write, then the home folder made read-only.
    const QString settings = work.filePath("site.nvs");
    {
        SettingsModel model;
        cli::MakeInstallerSettings(model);
        cli::SaveModel(settings, model);
    }
    for (const QString& d : {user, phone}) ::chmod(d.toLocal8Bit().constData(), 0777);
    ::chmod(home.toLocal8Bit().constData(), 0555);
    ::chmod(settings.toLocal8Bit().constData(), 0644);

    // As this user, or as "nobody" when that is root (who may write anywhere).
    QString program = cli::BinPath("norvaset-cli");
    QStringList args = {"--home", home, "--simulator=" + phone, "--log", "write-all", settings};
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (setpriv.isEmpty()) GTEST_SKIP() << "root, and no setpriv to run as another user";
        args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + args;
        program = setpriv;
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", user);
    env.insert("XDG_DATA_HOME", user + "/data");
    env.insert("XDG_CONFIG_HOME", user + "/config");
    p.setProcessEnvironment(env);
    p.start(program, args);
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    const QString data = user + "/data/norvaset/";
    EXPECT_EQ(QDir(data + "Backups").entryList({"*.nvs"}, QDir::Files).size(), 1)
        << err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(data + "LOG_comm_file.TXT"));
    EXPECT_EQ(QDir(home).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    ::chmod(home.toLocal8Bit().constData(), 0755);
}
