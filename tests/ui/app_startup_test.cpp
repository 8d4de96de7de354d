// Process start and the first start-up of the window.
#include "MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
QApplication* EnsureApp() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
    static int argc = 1;
    static char name[] = "norva_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return &app;
}

// A program folder with the English language file, as the build lays it out.
void AddEnglish(const QString& home) {
    QFile::copy(QStringLiteral(NORVA_SOURCE_DIR) + "/assets/English.lng",
                QDir(home).filePath("English.lng"));
}

QString ProgramPath() {
    return QStringLiteral(NORVA_BIN_DIR) + QStringLiteral("/norvaset");
}
} // namespace

TEST(AppStartup, SecondInstanceEndsSilentlyWithCodeZero) {
    EnsureApp();
    QTemporaryDir runtime, home1, home2;
    AddEnglish(home1.path());
    AddEnglish(home2.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(ProgramPath(), {"--simulator", "--home", home1.path()});
    ASSERT_TRUE(first.waitForStarted(10000));
    // The first instance has taken the lock once it wrote its Config.ini.
    const QString config = QDir(home1.path()).filePath("Config.ini");
    for (int i = 0; i < 200 && !QFile::exists(config); ++i) QTest::qWait(50);
    ASSERT_TRUE(QFile::exists(config));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(ProgramPath(), {"--simulator", "--home", home2.path()});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(home2.path()).filePath("Config.ini")));

    first.kill();
    first.waitForFinished(5000);
}

TEST(AppStartup, SimulatorCableShowsInTheStatusLine) {
    EnsureApp();
    QTemporaryDir home;
    AddEnglish(home.path());
    ScriptedDialogs dialogs;
    MainWindowOptions options;
    options.home = home.path();
    options.backend.simulator = true;
    options.dialogs = &dialogs;
    TForm1 window(options);
    window.show();
    ASSERT_TRUE(window.StartupDone());
    EXPECT_EQ(window.StatusPanelText(0), QString("USB: OK-Norva"));
    EXPECT_TRUE(window.windowTitle().endsWith(" V1.00")) << window.windowTitle().toStdString();
    EXPECT_FALSE(window.LogEnabled());
    EXPECT_TRUE(QFile::exists(QDir(home.path()).filePath("Config.ini")));
    dialogs.answers = {false}; // do not save at close
    window.close();
}

TEST(AppStartup, LogSwitchedOnAtStartAndTrailerAtClose) {
    EnsureApp();
    QTemporaryDir home;
    AddEnglish(home.path());
    {
        QFile f(QDir(home.path()).filePath("Config.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Setup]\r\nLOGFILE=1\r\n");
    }
    ScriptedDialogs dialogs;
    MainWindowOptions options;
    options.home = home.path();
    options.backend.simulator = true;
    options.dialogs = &dialogs;
    {
        TForm1 window(options);
        window.show();
        EXPECT_TRUE(window.LogEnabled());
        window.close();
    }
    QFile log(QDir(home.path()).filePath("LOG_comm_file.TXT"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.contains("\r\nStart\r\n"));
    EXPECT_TRUE(text.endsWith("========================\r\n>>> Report ended <<<\r\n"));
}

TEST(AppStartup, ReadOnlyProgramFolderIsReportedOnceAndTheWindowRuns) {
    EnsureApp();
    // A folder that nobody, root included, can create files in.
    ScriptedDialogs dialogs;
    MainWindowOptions options;
    options.home = "/proc/self/fdinfo";
    options.backend.simulator = true;
    options.dialogs = &dialogs;
    TForm1 window(options);
    window.show();
    auto folderMessages = [&] {
        int n = 0;
        for (const auto& s : dialogs.shown) n += s.text.contains("cannot be written");
        return n;
    };
    EXPECT_EQ(folderMessages(), 1);
    EXPECT_EQ(window.StatusPanelText(0), QString("USB: OK-Norva"));
    dialogs.answers = {false};
    window.LogFile1Click(); // the log cannot open either; said once only
    window.close();
    EXPECT_EQ(folderMessages(), 1);
}
