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

    // Help and the version are answered all the same, without a display.
    QProcessEnvironment noDisplay = env;
    noDisplay.remove("QT_QPA_PLATFORM");
    noDisplay.remove("DISPLAY");
    noDisplay.remove("WAYLAND_DISPLAY");
    struct Case {
        QStringList args;
        QString starts;
    } cases[] = {
        {{"--help"}, "Usage: norvaset [options] [settings.nvs]\n"},
        {{"-h"}, "Usage: norvaset "},
        {{"--simulator", "--version"}, "norvaset " + ProgramVersionText() + "\n"},
    };
    for (const Case& c : cases) {
        QProcess asked;
        asked.setProcessEnvironment(noDisplay);
        asked.start(ProgramPath(), c.args);
        ASSERT_TRUE(asked.waitForFinished(10000));
        EXPECT_EQ(asked.exitCode(), 0) << c.args.join(' ').toStdString();
        const QString out = QString::fromLocal8Bit(asked.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(c.starts)) << out.toStdString();
        EXPECT_TRUE(asked.readAllStandardError().isEmpty());
    }

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
    // The user's data folder, where the log and the backups go instead.
    QTemporaryDir userData;
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", userData.path().toLocal8Bit());
    const QString data = userData.path() + "/norvaset/";
    {
        // A folder that nobody, root included, can create files in.
        WindowRig rig(true, {}, "/proc/self/fdinfo");
        auto folderMessages = [&] {
            return (MessageTexts(rig.startup) + MessageTexts(rig.dialogs.shown))
                .filter("cannot be written");
        };
        ASSERT_EQ(folderMessages().size(), 1);
        // The warning says where what can still be kept goes.
        EXPECT_TRUE(folderMessages()[0].contains("Backups and the communication log go to " + data))
            << folderMessages()[0].toStdString();
        EXPECT_EQ(rig.window->StatusPanelText(0), QString("USB: OK-Norva"));
        rig.window->LogFile1Click(); // the log opens in the data folder
        EXPECT_TRUE(QFile::exists(data + "LOG_comm_file.TXT"));
        rig.dialogs.answers = {false};
        rig.window->close();
        EXPECT_EQ(folderMessages().size(), 1) << "said once only";
    }
    if (oldDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldDataHome);
}

TEST(AppStartup, APortThatDoesNotExistIsNamedWithTheReason) {
    QTemporaryDir home;
    VirtualClock clock;
    ScriptedDialogs dialogs;
    MainWindowOptions options;
    options.home = home.path();
    options.backend.port = home.filePath("ttyUSB7");
    options.dialogs = &dialogs;
    options.clock = &clock;
    options.driveTimers = false;
    TForm1 window(options);
    window.show();
    QCoreApplication::processEvents();
    const QString status = window.StatusPanelText(0);
    EXPECT_EQ(status, "USB: no such device " + options.backend.port);
    QStringList told = MessageTexts(dialogs.shown).filter("no such device");
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("Plug the cable in, or check the name")) << told[0].toStdString();
    // Every poll tries again; the message is not repeated.
    window.Session().Link().ConnectAttempt();
    QCoreApplication::processEvents();
    EXPECT_EQ(MessageTexts(dialogs.shown).filter("no such device").size(), 1);
    dialogs.answers = {false};
    window.close();
}
