// Where the window's and the command line's start-ups differ: each option of the session
// against the same program folder. ("All" after a refused block: link_transfer_test.)
#include "AppConfig.h"
#include "CommLog.h"
#include "DoorPhoneSession.h"
#include "FieldCatalogue.h"
#include "link_harness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

enum class FrontEnd { Window, CommandLine };

// The options each front end starts its session with.
SessionOptions StartOptions(FrontEnd front, const QString& home, ClockPort* clock) {
    SessionOptions o;
    o.home = home;
    o.clock = clock;
    o.backend.simulator = true;
    if (front == FrontEnd::CommandLine) {
        o.configFile = SessionOptions::ConfigFile::ReadOnly;
        o.log = SessionOptions::LogSwitch::Off;
        o.missingLanguage = SessionOptions::MissingLanguage::FallBackToEnglish;
        o.templateWithLanguage = false;
        o.allGoesOnAfterFailure = false;
    }
    return o;
}

void WriteConfig(const QString& folder, const QString& language, bool log, int model) {
    QString error;
    ASSERT_TRUE(AppConfig::Write(folder + "/", language, log, model, &error))
        << error.toStdString();
}

// The shipped English.lng: its models have no template files in a test folder.
void PutEnglish(const QString& folder) {
    ASSERT_TRUE(QFile::copy(NORVA_BIN_DIR "/English.lng", folder + "/English.lng"));
}

int CountLines(const QString& logPath, const QString& start) {
    QFile f(logPath);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    int n = 0;
    for (const QString& line : QString::fromLatin1(f.readAll()).split("\r\n"))
        n += line.startsWith(start) ? 1 : 0;
    return n;
}

} // namespace

TEST(SessionStartup, WindowAndCommandLineDifferOnlyWhereTheirOptionsSay) {
    struct Case {
        const char* name;
        FrontEnd front;
        std::function<void(const QString&)> prepare; // the program folder before start-up
        std::function<void(SessionOptions&)> adjust;
        bool startsUp;
        bool configAfter;     // Config.ini is there after the start-up
        QString languageFile; // file name of the language path in use
        bool logOn;
        QString error; // the start-up error (its beginning)
    };
    const QString gone = QStringLiteral("Gone.lng");
    const auto configWithGoneLanguage = [gone](const QString& f) {
        WriteConfig(f, gone, false, 0);
    };
    const auto configWithLog = [](const QString& f) { WriteConfig(f, "English.lng", true, 0); };
    const Case cases[] = {
        {"first start: the window creates Config.ini",
         FrontEnd::Window,
         {},
         {},
         true,
         true,
         "English.lng",
         false,
         {}},
        {"first start: the command line leaves the folder alone",
         FrontEnd::CommandLine,
         {},
         {},
         true,
         false,
         "English.lng",
         false,
         {}},
        {"lost language file: the window forgets Config.ini",
         FrontEnd::Window,
         configWithGoneLanguage,
         {},
         true,
         false,
         "English.lng",
         false,
         {}},
        {"lost language file: the command line falls back for this run",
         FrontEnd::CommandLine,
         configWithGoneLanguage,
         {},
         true,
         true,
         gone,
         false,
         {}},
        {"log switched on in Config.ini: the window logs",
         FrontEnd::Window,
         configWithLog,
         {},
         true,
         true,
         "English.lng",
         true,
         {}},
        {"log switched on in Config.ini: the command line does not",
         FrontEnd::CommandLine,
         configWithLog,
         {},
         true,
         true,
         "English.lng",
         false,
         {}},
        {"--log: the command line logs",
         FrontEnd::CommandLine,
         {},
         [](SessionOptions& o) { o.log = SessionOptions::LogSwitch::On; },
         true,
         false,
         "English.lng",
         true,
         {}},
        {"--model beyond the list ends the start-up",
         FrontEnd::CommandLine,
         {},
         [](SessionOptions& o) { o.model = 30; },
         false,
         false,
         "English.lng",
         false,
         "no model at position 30; the models are:\n  0  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir home;
        PutEnglish(home.path());
        if (c.prepare) c.prepare(home.path());
        VirtualClock clock;
        RecordingHost host;
        SessionOptions options = StartOptions(c.front, home.path(), &clock);
        if (c.adjust) c.adjust(options);
        DoorPhoneSession session(options, host, host);
        EXPECT_EQ(session.StartUp(), c.startsUp) << session.StartupError().toStdString();
        EXPECT_EQ(QFileInfo::exists(home.filePath(AppConfig::kFileName)), c.configAfter);
        EXPECT_EQ(QFileInfo(session.LanguagePath()).fileName(), c.languageFile);
        EXPECT_EQ(session.Log().Enabled(), c.logOn);
        if (c.startsUp) {
            // Only the template's own message: the folder has no model files.
            EXPECT_EQ(host.messages.size(), c.front == FrontEnd::Window ? 2 : 1);
            EXPECT_EQ(host.messages.value(0), "No file with template");
        } else {
            EXPECT_TRUE(session.StartupError().startsWith(c.error))
                << session.StartupError().toStdString();
        }
        session.Log().Close(false);
    }
}

TEST(SessionStartup, TheWindowTakesTheTemplateWithTheLanguageFileTooTheCommandLineOnce) {
    for (const FrontEnd front : {FrontEnd::Window, FrontEnd::CommandLine}) {
        SCOPED_TRACE(front == FrontEnd::Window ? "window" : "command line");
        QTemporaryDir home;
        PutEnglish(home.path());
        VirtualClock clock;
        RecordingHost host;
        SessionOptions options = StartOptions(front, home.path(), &clock);
        options.log = SessionOptions::LogSwitch::On;
        DoorPhoneSession session(options, host, host);
        ASSERT_TRUE(session.StartUp());
        const QString logPath = session.Log().FilePath();
        session.Log().Close(false);
        EXPECT_EQ(CountLines(logPath, "Template file: BASIC"), front == FrontEnd::Window ? 2 : 1);
        EXPECT_EQ(host.messages.size(), front == FrontEnd::Window ? 2 : 1);
    }
}
