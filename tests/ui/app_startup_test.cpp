// Process start and the first start-up of the window.
#include "window_harness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
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
    WindowRig rig(true, AddEnglish);
    ASSERT_TRUE(rig.window->StartupDone());
    EXPECT_EQ(rig.window->StatusPanelText(0), QString("USB: OK-Norva"));
    EXPECT_TRUE(rig.window->windowTitle().endsWith(" V1.00"))
        << rig.window->windowTitle().toStdString();
    EXPECT_FALSE(rig.window->LogEnabled());
    EXPECT_TRUE(QFile::exists(QDir(rig.home.path()).filePath("Config.ini")));
}

TEST(AppStartup, LogSwitchedOnAtStartAndTrailerAtClose) {
    QString folder;
    {
        WindowRig rig(true, [&](const QString& home) {
            AddEnglish(home);
            WriteTextFile(QDir(home).filePath("Config.ini"), "[Setup]\r\nLOGFILE=1\r\n");
            folder = home;
        });
        EXPECT_TRUE(rig.window->LogEnabled());
        rig.dialogs.answers = {false};
        rig.window->close();
        QFile log(QDir(folder).filePath("LOG_comm_file.TXT"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        EXPECT_TRUE(text.contains("\r\nStart\r\n"));
        EXPECT_TRUE(text.endsWith("========================\r\n>>> Report ended <<<\r\n"));
    }
}

TEST(AppStartup, ReadOnlyProgramFolderIsReportedOnceAndTheWindowRuns) {
    // A folder that nobody, root included, can create files in.
    WindowRig rig(true, {}, "/proc/self/fdinfo");
    auto folderMessages = [&] {
        return (MessageTexts(rig.startup) + MessageTexts(rig.dialogs.shown))
            .filter("cannot be written")
            .size();
    };
    EXPECT_EQ(folderMessages(), 1);
    EXPECT_EQ(rig.window->StatusPanelText(0), QString("USB: OK-Norva"));
    rig.window->LogFile1Click(); // the log cannot open either; said once only
    rig.dialogs.answers = {false};
    rig.window->close();
    EXPECT_EQ(folderMessages(), 1);
}
