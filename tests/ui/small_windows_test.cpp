// The tone samples, About and Help windows, and the menu items that open them.
#include "AboutWindow.h"
#include "AppConfig.h"
#include "CommLog.h"
#include "HelpWindow.h"
#include "LanguageTexts.h"
#include "ToneWindow.h"
#include "window_harness.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {
// The main window with the desktop's sound and links replaced by recorders.
struct SmallWindowsRig {
    QTemporaryDir home;
    VirtualClock clock;
    ScriptedDialogs dialogs;
    bool audio = true;
    bool linksOpen = true; // something on the desktop opens mail and web links
    QStringList played, opened;
    std::unique_ptr<TForm1> window;

    SmallWindowsRig() {
        MainWindowOptions options;
        options.home = home.path();
        options.backend.simulator = true;
        options.dialogs = &dialogs;
        options.clock = &clock;
        options.driveTimers = false;
        options.desktop.hasAudioOutput = [this] { return audio; };
        options.desktop.playSound = [this](const QString& path) { played << path; };
        options.desktop.openAddress = [this](const QString& a) {
            opened << a;
            return linksOpen;
        };
        window = std::make_unique<TForm1>(options);
        window->show();
        dialogs.shown.clear();
        window->LogFile1Click(); // the log on, to read the lines back
    }
    ~SmallWindowsRig() {
        dialogs.answers = {false};
        window->close();
    }
    QStringList LogLines() const {
        QFile f(QDir(home.path()).filePath("LOG_comm_file.TXT"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromLatin1(f.readAll()).split("\r\n");
    }
};

// Runs `act` once the modal window is up (the menu item processes pending events first,
// so a plain zero-time shot would run before the window opens).
void WhenShown(QWidget* window, std::function<void()> act) {
    auto* poll = new QTimer(window);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, window, [poll, window, act] {
        if (!window->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act();
    });
    poll->start();
}

bool IsShown(const char* window) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(window) && w->isVisible()) return true;
    return false;
}
} // namespace

TEST(SmallWindows, VersionTextAndCaptions) {
    struct Case {
        int v[4];
        const char* text;
        const char* caption;
    } cases[] = {
        {{1, 2, 3, 4}, "1.02.03.04", "NorvaSet   V1.02"},
        {{1, 0, 0, 1}, "1.00.00.01", "NorvaSet   V1.00"},
        {{12, 34, 5, 67}, "12.34.05.67", "NorvaSet   V12.3"},
    };
    TForm2 about({});
    for (const Case& c : cases) {
        const QString text = VersionText(c.v[0], c.v[1], c.v[2], c.v[3]);
        EXPECT_EQ(text, QString(c.text));
        EXPECT_EQ(ProgramCaption("NorvaSet", text), QString(c.caption));
        about.ShowVersion(text);
        EXPECT_EQ(about.Label("Label7")->text(), "(V  " + QString(c.text) + ")");
        EXPECT_EQ(about.Label("Label11")->text(), QString(c.text).left(4));
    }
    EXPECT_TRUE(about.Label("Label11")->font().bold());
    EXPECT_FALSE(about.Label("Label7")->font().bold());
    // No version information: an empty text and a caption that ends in " V".
    EXPECT_EQ(ProgramCaption("NorvaSet", QString()), QString("NorvaSet   V"));
}

TEST(SmallWindows, TheLinksOpenTheirAddressesAsWritten) {
    LanguageTexts texts;
    texts.Set("Info", 10, "dotazy@vendrolux.example");
    texts.Set("Info", 11, "Dotaz k nastavení & ceně #2");
    texts.Set("Info", 14, "https://www.vendrolux.example/norva");
    QStringList opened;
    TForm2 about({&texts,
                  [&](const QString& a) {
                      opened << a;
                      return true;
                  },
                  [] { return QString(); },
                  {}});
    about.Label("Label9")->setText("Email: dotazy@vendrolux.example");
    about.Label("Label8")->setText("WEB : www.vendrolux.example");
    about.show();
    QTest::mouseClick(about.Label("Label9"), Qt::LeftButton, {}, QPoint(4, 8));
    QTest::mouseClick(about.Label("Label9"), Qt::LeftButton, {}, QPoint(340, 8)); // past the text
    QTest::mouseClick(about.Label("Label8"), Qt::LeftButton, {}, QPoint(4, 8));
    EXPECT_EQ(opened, QStringList({"mailto:dotazy@vendrolux.example?SUBJECT=Dotaz k nastavení & "
                                   "ceně #2",
                                   "https://www.vendrolux.example/norva"}));
    // The built-in texts.
    EXPECT_EQ(MailAddress(LanguageTexts()),
              QString("mailto:info@vendrolux.example?SUBJECT=Inquiry on setting DoorPhone Norva"));
}

TEST(SmallWindows, ShiftCtrlClickShowsTheCreditsForThreeSeconds) {
    LanguageTexts texts;
    struct Case {
        const char* over;
        Qt::KeyboardModifiers keys;
        Qt::MouseButton button;
        bool credits;
    } cases[] = {
        {"TForm2", Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton, true},
        {"Label3", Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton, true},
        {"Image1", Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton, true},
        {"TForm2", Qt::ShiftModifier, Qt::LeftButton, false},
        {"TForm2", Qt::ControlModifier, Qt::LeftButton, false},
        {"Label3", Qt::NoModifier, Qt::LeftButton, false},
        {"TForm2", Qt::ShiftModifier | Qt::ControlModifier, Qt::RightButton, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.over) + " " + std::to_string(int(c.keys)));
        QStringList opened;
        TForm2 about({&texts,
                      [&](const QString& a) {
                          opened << a;
                          return true;
                      },
                      {},
                      {}});
        about.show();
        QWidget* target =
            QString(c.over) == "TForm2" ? static_cast<QWidget*>(&about) : about.Label(c.over);
        QTest::mouseClick(target, c.button, c.keys, QPoint(2, 2));
        EXPECT_EQ(about.CreditsPanel()->isVisible(), c.credits);
        EXPECT_EQ(about.Label("Label9")->isVisible(), !c.credits);
        EXPECT_EQ(about.Label("Label8")->isVisible(), !c.credits);
        EXPECT_EQ(about.Timer1()->isActive(), c.credits);
        EXPECT_TRUE(opened.isEmpty());
        if (!c.credits) continue;
        EXPECT_EQ(about.Timer1()->interval(), 3000);
        // The timer's three seconds, driven here rather than waited for.
        ASSERT_TRUE(QMetaObject::invokeMethod(about.Timer1(), "timeout", Qt::DirectConnection));
        EXPECT_FALSE(about.CreditsPanel()->isVisible());
        EXPECT_TRUE(about.Label("Label9")->isVisible());
        EXPECT_TRUE(about.Label("Label8")->isVisible());
        EXPECT_FALSE(about.Timer1()->isActive());
    }
}

TEST(SmallWindows, WithoutASoundOutputTheToneWindowNeverOpens) {
    SmallWindowsRig rig;
    rig.audio = false;
    bool opened = false;
    QTimer::singleShot(0, [&] { opened = IsShown("TForm6"); });
    rig.window->Action("Sampleoftones1")->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_FALSE(IsShown("TForm6"));
    EXPECT_EQ(MessageTexts(rig.dialogs.shown),
              QStringList({"Unable to play audio files, sound card does not installed"}));
    EXPECT_TRUE(rig.LogLines().contains("Acoustic test - No audio cards"));
    EXPECT_TRUE(rig.played.isEmpty());
}

TEST(SmallWindows, EachToneButtonPlaysItsFileAndLogsIt) {
    SmallWindowsRig rig;
    bool shown = false;
    WhenShown(rig.window->ToneWindow(), [&] {
        TForm6* tones = rig.window->ToneWindow();
        shown = tones->isVisible();
        for (const TForm6::Tone& t : TForm6::kTones) tones->Button(t.button)->click();
        tones->Button("Button13")->click(); // Cancel
    });
    rig.window->Action("Sampleoftones1")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(rig.window->ToneWindow()->isVisible());
    ASSERT_EQ(rig.played.size(), 13);
    const QStringList log = rig.LogLines();
    for (int i = 0; i < 13; ++i) {
        const QString expected = QDir(rig.home.path()).filePath(TForm6::kTones[i].file);
        EXPECT_EQ(rig.played[i], expected);
        EXPECT_TRUE(log.contains("play: " + expected)) << expected.toStdString();
    }
    EXPECT_EQ(log.filter("play: ").size(), 13);
    EXPECT_TRUE(log.contains("Acoustic test - OK"));
    EXPECT_TRUE(rig.dialogs.shown.isEmpty());
}

TEST(SmallWindows, ToneWindowLaysOutTwoColumnsWithTheAudioCaptions) {
    SmallWindowsRig rig;
    TForm6* tones = rig.window->ToneWindow();
    EXPECT_EQ(tones->size(), QSize(435, 376));
    EXPECT_EQ(tones->windowTitle(), QString("Samples of audio signals"));
    int left = 0, right = 0;
    for (const TForm6::Tone& t : TForm6::kTones) {
        QPushButton* b = tones->Button(t.button);
        ASSERT_NE(b, nullptr) << t.button;
        EXPECT_EQ(b->size(), QSize(193, 33)) << t.button;
        (t.column == 0 ? left : right)++;
        // Rows go down, columns side by side.
        for (const TForm6::Tone& u : TForm6::kTones) {
            QPushButton* o = tones->Button(u.button);
            if (u.column == t.column && u.row > t.row) { EXPECT_GT(o->y(), b->y()); }
            if (u.row == t.row && u.column > t.column) { EXPECT_GT(o->x(), b->x() + b->width()); }
        }
    }
    EXPECT_EQ(left, 7);
    EXPECT_EQ(right, 6);
    EXPECT_EQ(tones->Button("Button14")->text(), QString("End of conversation"));
    EXPECT_EQ(tones->Button("Button13")->text(), QString("Cancel"));
    EXPECT_LT(tones->Button("Button13")->width(), 193);
}

TEST(SmallWindows, AboutTakesTheLanguageTextsAndLogsAfterClosing) {
    SmallWindowsRig rig;
    TForm2* about = rig.window->AboutWindow();
    QString version, email, vendor;
    WhenShown(about, [&] {
        version = about->Label("Label7")->text();
        email = about->Label("Label9")->text();
        vendor = about->Label("Label3")->text();
        about->close();
    });
    rig.window->Action("About1")->trigger();
    EXPECT_EQ(version, "(V  " + ProgramVersionText() + ")");
    EXPECT_EQ(email, QString("Email: info@vendrolux.example"));
    EXPECT_EQ(vendor, QString("Vendrolux s.r.o."));
    EXPECT_FALSE(about->isVisible());
    EXPECT_TRUE(about->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(rig.LogLines().contains("Go to About..."));
}

TEST(SmallWindows, ALinkNothingCanOpenIsSaidWithItsAddress) {
    SmallWindowsRig rig;
    rig.linksOpen = false;
    TForm2* about = rig.window->AboutWindow();
    struct Case {
        const char* link;
        QStringList says;
    } cases[] = {
        {"Label9",
         {"No e-mail program", "info@vendrolux.example", "\"Inquiry on setting DoorPhone Norva\""}},
        {"Label8", {"No web browser", "The address is "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        rig.dialogs.shown.clear();
        if (QString(c.link) == "Label9")
            about->Label9Click();
        else
            about->Label8Click();
        ASSERT_EQ(rig.dialogs.shown.size(), 1);
        for (const QString& s : c.says)
            EXPECT_TRUE(rig.dialogs.shown[0].text.contains(s))
                << rig.dialogs.shown[0].text.toStdString();
    }
    // A link that opened says nothing.
    rig.linksOpen = true;
    rig.dialogs.shown.clear();
    about->Label8Click();
    EXPECT_TRUE(rig.dialogs.shown.isEmpty());
    EXPECT_EQ(rig.opened.size(), 3);
}

TEST(SmallWindows, HelpShowsTheFourHelpTextsJoinedReadOnly) {
    SmallWindowsRig rig;
    LanguageTexts& texts = rig.window->Texts();
    for (int key = 1; key <= 4; ++key) texts.Set("Help", key, QString("part%1 ").arg(key));
    rig.window->ApplyTexts();
    auto* memo = rig.window->findChild<TForm3*>("TForm3")->Memo();
    EXPECT_EQ(memo->toPlainText(), QString("part1 part2 part3 part4 "));
    EXPECT_TRUE(memo->isReadOnly());
}

namespace {
// The format of a WAV file, or why it is not one the tone window can play.
struct WavInfo {
    QString error;
    int format = 0, channels = 0, rate = 0, bits = 0;
    double seconds = 0;
};

WavInfo ReadWav(const QString& path) {
    WavInfo w;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {QStringLiteral("missing")};
    const QByteArray d = f.readAll();
    auto u16 = [&](int at) { return int(quint8(d[at])) | int(quint8(d[at + 1])) << 8; };
    auto u32 = [&](int at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };
    if (d.size() < 12 || d.left(4) != "RIFF" || d.mid(8, 4) != "WAVE") return {"not RIFF/WAVE"};
    if (u32(4) != quint32(d.size() - 8)) return {"RIFF size does not match the file"};
    qint64 dataBytes = -1;
    for (int at = 12; at + 8 <= d.size();) {
        const QByteArray id = d.mid(at, 4);
        const quint32 size = u32(at + 4);
        if (at + 8 + qint64(size) > d.size())
            return {"chunk " + QString(id) + " runs past the end"};
        if (id == "fmt ") {
            w.format = u16(at + 8);
            w.channels = u16(at + 10);
            w.rate = int(u32(at + 12));
            w.bits = u16(at + 22);
        } else if (id == "data") {
            dataBytes = size;
        }
        at += 8 + int(size) + int(size & 1);
    }
    if (dataBytes < 0 || w.rate == 0 || w.bits == 0) return {"no fmt or data chunk"};
    w.seconds = double(dataBytes) / (w.rate * w.channels * (w.bits / 8));
    return w;
}
} // namespace

TEST(SmallWindows, EveryToneIsShippedAsAShortMonoPcmRecording) {
    for (const QString& folder : {QString(NORVA_SOURCE_DIR "/assets"), QString(NORVA_BIN_DIR)}) {
        for (const TForm6::Tone& t : TForm6::kTones) {
            SCOPED_TRACE((folder + "/" + t.file).toStdString());
            const WavInfo w = ReadWav(QDir(folder).filePath(t.file));
            ASSERT_TRUE(w.error.isEmpty()) << w.error.toStdString();
            EXPECT_EQ(w.format, 1) << "PCM";
            EXPECT_EQ(w.channels, 1);
            EXPECT_TRUE(w.rate == 8000 || w.rate == 16000) << w.rate;
            EXPECT_TRUE(w.bits == 8 || w.bits == 16) << w.bits;
            EXPECT_GT(w.seconds, 0.02);
            EXPECT_LT(w.seconds, 2.0);
        }
    }
}
