// Where shipped files are found and where the program's own files are written.
#include "AppFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

TEST(AppFolders, AFolderWithoutWriteAccessSendsConfigAndLogsToTheUser) {
    Layout l;
    // Nobody, root included, can create a file here.
    const QString locked = "/proc/self/fdinfo";
    struct Case {
        const char* what;
        QString home;
        QString exeDir;
        bool user;
    } cases[] = {
        {"build folder", QString(), l.Bin(), false},
        {"installed, bin not writable", QString(), locked, true},
        {"--home is always written", l.Home(), locked, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AppFolders f = l.Resolve(c.home, c.exeDir);
        EXPECT_EQ(f.UsesUserFolders(), c.user);
        if (c.user) {
            EXPECT_EQ(f.ConfigFolder(), l.root.filePath("user/config/norvaset") + "/");
            EXPECT_EQ(f.DataFolder(), l.root.filePath("user/data/norvaset") + "/");
            EXPECT_TRUE(QFileInfo(f.ConfigFolder()).isDir()) << "created for the first start";
            EXPECT_TRUE(AppFolders::CanWrite(f.DataFolder()));
        } else {
            EXPECT_EQ(f.ConfigFolder(), f.ProgramFolder());
            EXPECT_EQ(f.DataFolder(), f.ProgramFolder());
        }
    }
    EXPECT_FALSE(AppFolders::CanWrite(locked));
    EXPECT_FALSE(AppFolders::CanWrite(l.root.filePath("no/such/folder")));
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
