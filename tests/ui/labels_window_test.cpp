// The label windows: "Print labels" from the main window, the button label window with
// its one-or-two-buttons dialog, and the panel label window, through scripted dialogs.
#include "LabelFiles.h"
#include "LabelWindows.h"
#include "LanguageTexts.h"
#include "failing_disk.h"
#include "window_harness.h"

#include <QDirIterator>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs action on every modal window that comes up until it returns true; the modal loops
// of the windows run meanwhile. Watching ends with the returned timer.
[[nodiscard]] std::unique_ptr<QTimer> WhenModal(std::function<bool(QWidget*)> action) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    QTimer* t = timer.get();
    QObject::connect(t, &QTimer::timeout, [t, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && action(modal)) t->stop();
    });
    timer->start();
    return timer;
}

QString PdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct LabelRig {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    LanguageTexts texts;
    LabelWindowContext Context() {
        return {&dialogs, &texts, [this] { return dir.path() + "/"; }};
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QStringList Shown() const {
        QStringList out;
        for (const auto& s : dialogs.shown) out << s.kind + ":" + s.text;
        return out;
    }
};

QString Bmp(const QTemporaryDir& dir, const char* name, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = dir.filePath(name);
    image.save(path, "BMP");
    return path;
}

} // namespace

TEST(LabelWindows, PrintLabelsOpensTheWindowOfTheModelsKind) {
    struct Case {
        const char* kind;
        const char* window; // "" = nothing opens
        const char* logLine;
    } cases[] = {
        {"0", "", ""},
        {"2", "TForm14", "Print labels other"},
        {"3", "TForm14", "Print labels other"},
        {"1", "TForm14", "Print labels other"},
        {"7", "TForm14", "Print labels other"},
        {"4", "TForm5", "Print labels VantDoorPhone"},
    };
    for (const Case& c : cases) {
        WindowRig rig(true, [&](const QString& home) {
            WriteTextFile(QDir(home).filePath("VantNorvaLC.ini"),
                          QByteArray("[Enable]\r\nLabels=") + c.kind + "\r\n");
        });
        rig.Connect();
        if (!rig.window->LogEnabled()) rig.window->LogFile1Click();
        Communicator& comm = rig.window->Comm();
        QStringList opened;
        bool timersStopped = false, pollStopped = false;
        auto watch = WhenModal([&](QWidget* w) {
            if (w->objectName() == "TForm7") {
                w->findChild<QRadioButton*>("RadioButton2")->click();
                return false;
            }
            opened << w->objectName();
            timersStopped =
                !comm.TimerRunning(EngineTimer::Poll) && !comm.TimerRunning(EngineTimer::Transfer);
            pollStopped = !comm.PollingAllowed();
            static_cast<QDialog*>(w)->reject();
            return true;
        });
        rig.window->Action("Printlabels1")->trigger();
        const QString kindText = c.kind;
        if (*c.window) {
            EXPECT_EQ(opened, QStringList{c.window}) << c.kind;
            EXPECT_TRUE(timersStopped && pollStopped) << c.kind;
        } else {
            EXPECT_TRUE(opened.isEmpty());
            QApplication::processEvents(); // let the watcher go
            QTest::qWait(20);
        }
        // After the window the poll runs again (kind "0" never stopped it).
        EXPECT_TRUE(comm.TimerRunning(EngineTimer::Poll)) << c.kind;
        EXPECT_TRUE(comm.PollingAllowed()) << c.kind;
        rig.window->Log().Close(false);
        QFile log(QDir(rig.home.path()).filePath("LOG_comm_file.TXT"));
        log.open(QIODevice::ReadOnly);
        const QString logText = QString::fromUtf8(log.readAll());
        if (*c.logLine)
            EXPECT_TRUE(logText.contains(c.logLine)) << c.kind;
        else
            EXPECT_FALSE(logText.contains("Print labels")) << c.kind;
    }
}

TEST(LabelWindows, PrintLabelsWaitsForATransferToEnd) {
    WindowRig rig;
    rig.Connect();
    rig.window->Action("Readall1")->trigger();
    ASSERT_TRUE(rig.window->Comm().TransferActive());
    bool opened = false;
    auto watch = WhenModal([&](QWidget* w) {
        opened = true;
        static_cast<QDialog*>(w)->reject();
        return true;
    });
    rig.window->Action("Printlabels1")->trigger();
    EXPECT_FALSE(opened);
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.window->Comm().TransferActive(); }));
    EXPECT_TRUE(rig.window->DeviceCommandsOn() || rig.window->Comm().DeviceCommandsEnabled());
}

TEST(LabelWindows, ButtonFieldsShownPerKind) {
    LabelRig rig;
    TForm14 window(rig.Context());
    struct Case {
        const char* kind;
        int buttons;        // kind "1": 1 or 2 buttons chosen
        QList<int> visible; // fields shown; empty = all 24
        const char* hint;   // Label1, "" = hidden
    } cases[] = {
        {"1", 1, {1, 2, 3, 4}, "1 button = Big label - contain 4 rows"},
        {"9", 0, {1, 2, 3, 4}, ""}, // other kinds keep the last opening's fields
        {"1", 2, {1, 13}, "2 buttons = two labels"},
        {"2", 0, {}, ""},
        {"1", 2, {1, 13}, "2 buttons = two labels"},
        {"3", 0, {}, ""},
    };
    for (const Case& c : cases) {
        window.Edit(5)->setText("left over");
        std::unique_ptr<QTimer> watch;
        if (c.buttons) {
            watch = WhenModal([&](QWidget* w) {
                if (w->objectName() != "TForm7") return false;
                w->findChild<QRadioButton*>(c.buttons == 1 ? "RadioButton1" : "RadioButton2")
                    ->click();
                return true;
            });
        }
        window.FormShow(c.kind);
        if (c.buttons) {
            EXPECT_EQ(window.ButtonCountDialog().SingleButtonPanel(), c.buttons == 1);
        }
        for (int n = 1; n <= kLabelTextCount; ++n)
            EXPECT_EQ(!window.Edit(n)->isHidden(), c.visible.isEmpty() || c.visible.contains(n))
                << c.kind << " field " << n;
        EXPECT_TRUE(window.Edit(5)->text().isEmpty()) << "fields are cleared at every opening";
        QLabel* hint = window.findChild<QLabel*>("Label1");
        EXPECT_EQ(!hint->isHidden(), *c.hint != 0) << c.kind;
        if (*c.hint) { EXPECT_EQ(hint->text(), QString(c.hint)); }
    }
}

TEST(LabelWindows, SelectClosesOnlyWithAChoice) {
    TForm7 dialog;
    bool closedWithout = true;
    auto watch = WhenModal([&](QWidget* w) {
        static_cast<TForm7*>(w)->Button1Click(); // nothing chosen: stays
        static_cast<TForm7*>(w)->reject();       // Escape: stays
        closedWithout = !w->isVisible();
        w->findChild<QRadioButton*>("RadioButton1")->click();
        return true;
    });
    dialog.exec();
    EXPECT_FALSE(closedWithout);
    EXPECT_TRUE(dialog.SingleButtonPanel());
}

TEST(LabelWindows, ButtonFileOpenAndSave) {
    LabelRig rig;
    WriteTextFile(rig.Path("seven.nvl"), "[N]\r\n7=Seven\r\n");
    WriteTextFile(rig.Path("other.txt"), "[N]\r\n1=x\r\n");
    struct Case {
        const char* answer;
        const char* message; // "" = none
        bool loads;
    } cases[] = {
        {"", "Nebyl vybrán žádný soubor", false},
        {"a.nvl", "Nebyl vybrán žádný soubor", false},
        {"other.txt", "Selected file isn't file for labels Norva collection", false},
        {"missing.nvl", "File not found", false},
        {"seven.nvl", "", true},
    };
    for (const Case& c : cases) {
        TForm14 window(rig.Context());
        window.FormShow("2");
        window.Edit(1)->setText("kept");
        rig.dialogs.shown.clear();
        const QString answer = QString(c.answer);
        rig.dialogs.fileAnswers = {answer.size() > 5 ? rig.Path(answer) : answer};
        window.Button2Click();
        const QStringList messages = MessageTexts(rig.dialogs.shown);
        if (*c.message) {
            ASSERT_EQ(messages.size(), 1) << c.answer;
            EXPECT_TRUE(messages[0].startsWith(QString::fromUtf8(c.message))) << c.answer;
        } else {
            EXPECT_TRUE(messages.isEmpty()) << c.answer;
        }
        EXPECT_EQ(window.Edit(1)->text(), c.loads ? QString() : QString("kept")) << c.answer;
        EXPECT_EQ(window.Edit(7)->text(), c.loads ? QString("Seven") : QString()) << c.answer;
    }
    const FileDialogRequest& open = rig.dialogs.fileRequests.last();
    EXPECT_EQ(open.title, QString("Open - file with labels"));
    EXPECT_EQ(open.defaultSuffix, QString("NVL"));
    EXPECT_TRUE(open.filter.startsWith("Files with labels for Norva"));

    // Save: an existing file is replaced only after Yes.
    TForm14 window(rig.Context());
    window.FormShow("2");
    window.Edit(24)->setText("Last");
    rig.dialogs.fileAnswers = {rig.Path("seven.nvl"), rig.Path("new.nvl")};
    rig.dialogs.answers = {false};
    window.Button3Click();
    EXPECT_EQ(ReadButtonLabelFile(rig.Path("seven.nvl"))[6], QString("Seven"));
    EXPECT_EQ(ReadButtonLabelFile(rig.Path("new.nvl"))[23], QString("Last"));
    rig.dialogs.fileAnswers = {};
    window.Button3Click(); // cancelled: nothing written
    EXPECT_EQ(rig.dialogs.fileRequests.last().title, QString("Save - file with labels"));
}

TEST(LabelWindows, ButtonPrintPrintsHiddenFieldsAndCloses) {
    LabelRig rig;
    LabelTexts all;
    for (int i = 0; i < kLabelTextCount; ++i) all[i] = QString("Name%1").arg(i + 1);
    WriteButtonLabelFile(rig.Path("all.nvl"), all);
    TForm14 window(rig.Context());
    auto watch = WhenModal([](QWidget* w) {
        if (w->objectName() != "TForm7") return false;
        w->findChild<QRadioButton*>("RadioButton2")->click();
        return true;
    });
    window.FormShow("1"); // two buttons: Edit1 and Edit13 in view
    rig.dialogs.fileAnswers = {rig.Path("all.nvl")};
    window.Button2Click();
    EXPECT_TRUE(window.Edit(2)->isHidden());
    rig.dialogs.printAnswers = {rig.Path("out.pdf")};
    window.setResult(QDialog::Rejected);
    window.Button1Click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    const QString text = PdfText(rig.Path("out.pdf"));
    for (int i = 1; i <= kLabelTextCount; ++i)
        EXPECT_TRUE(text.contains(QString("Name%1").arg(i))) << i;
    // A cancelled print dialog prints nothing and still closes the window.
    window.setResult(QDialog::Rejected);
    rig.dialogs.printAnswers = {};
    window.Button1Click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_TRUE(window.findChild<QPushButton*>("Button1")->isEnabled());
}

TEST(LabelWindows, PanelSizeSetsLinesAndPictureButtons) {
    LabelRig rig;
    TForm5 window(rig.Context());
    struct Case {
        const char* radio;
        QList<int> enabledLines;
        bool pictures;
    } cases[] = {
        {"RadioButton1", {1, 2}, false},
        {"RadioButton2", {1, 2, 3}, false},
        {"RadioButton3", {1, 2, 3, 4, 5}, true},
        {"RadioButton4", {1, 2, 3, 4, 5, 6}, true},
    };
    for (const Case& c : cases) {
        window.findChild<QRadioButton*>(c.radio)->click();
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(window.PictureButton(k)->isEnabled(), c.pictures) << c.radio;
            for (int line = 1; line <= 6; ++line)
                EXPECT_EQ(window.Edit((k - 1) * 6 + line)->isEnabled(),
                          c.enabledLines.contains(line))
                    << c.radio << " label " << k << " line " << line;
        }
    }
}

TEST(LabelWindows, EachPictureButtonMarksItsOwnLabel) {
    LabelRig rig;
    const QString small = Bmp(rig.dir, "small.bmp", 100, 40);
    const QString big = Bmp(rig.dir, "big.bmp", 230, 40);
    TForm5 window(rig.Context());
    window.SetSize(PanelSize::S41x62);
    window.initik();
    const char* buttons[4] = {"Button6", "Button5", "Button7", "Button8"};
    for (int k = 1; k <= 4; ++k) {
        rig.dialogs.fileAnswers = {small};
        window.findChild<QPushButton*>(buttons[k - 1])->click();
        for (int j = 1; j <= 4; ++j) {
            EXPECT_EQ(window.PictureChosen(j), j <= k) << k << " " << j;
            EXPECT_EQ(window.PictureShown(j), j <= k) << k << " " << j;
            EXPECT_EQ(window.Edit((j - 1) * 6 + 1)->isHidden(), j <= k);
        }
    }
    // Cancelling clears that label's picture and mark only.
    rig.dialogs.fileAnswers = {};
    window.PictureButtonClick(2);
    EXPECT_FALSE(window.PictureChosen(2));
    EXPECT_TRUE(window.PictureFile(2).isEmpty());
    EXPECT_TRUE(window.PictureChosen(1) && window.PictureChosen(3));
    // Too large: a message with the file and both sizes; the picture is not used.
    rig.dialogs.shown.clear();
    rig.dialogs.fileAnswers = {big};
    window.PictureButtonClick(3);
    const QStringList messages = MessageTexts(rig.dialogs.shown);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(big) && messages[0].contains("230 x 40") &&
                messages[0].contains("220 x 80"))
        << messages[0].toStdString();
    EXPECT_TRUE(window.PictureFile(3).isEmpty());
    EXPECT_FALSE(window.PictureShown(3));
}

TEST(LabelWindows, PanelFileOpenSaveNewAndPrint) {
    LabelRig rig;
    const QString logo = Bmp(rig.dir, "logo.bmp", 120, 50);
    const QString gone = rig.Path("gone.bmp");
    WriteTextFile(rig.Path("p.vxl"), QString("[N]\r\n1=Top\r\n5=Five one\r\n11=Five two\r\n"
                                             "[R]\r\n1=3\r\n[F]\r\n1=%1\r\n2=%2\r\n")
                                         .arg(logo, gone)
                                         .toUtf8());
    TForm5 window(rig.Context());
    rig.dialogs.fileAnswers = {rig.Path("p.vxl")};
    window.Button2Click();
    EXPECT_TRUE(window.findChild<QRadioButton*>("RadioButton3")->isChecked());
    EXPECT_EQ(window.Edit(1)->text(), QString("Top"));
    EXPECT_TRUE(window.PictureShown(1));
    EXPECT_FALSE(window.PictureShown(2)); // the missing picture shows the lines instead
    EXPECT_FALSE(window.Edit(7)->isHidden());

    rig.dialogs.shown.clear();
    rig.dialogs.printAnswers = {rig.Path("panel.pdf")};
    window.Button1Click();
    const QStringList messages = MessageTexts(rig.dialogs.shown);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(gone) && !messages[0].contains(logo));
    const QString text = PdfText(rig.Path("panel.pdf"));
    EXPECT_TRUE(text.contains("Five one") && text.contains("Five two"));
    EXPECT_FALSE(text.contains("Top")) << "label 1 prints its picture and line 5";
    EXPECT_TRUE(window.findChild<QPushButton*>("Button1")->isEnabled());

    // Save keeps everything; New empties it.
    rig.dialogs.fileAnswers = {rig.Path("saved.vxl")};
    window.Button3Click();
    const PanelLabelFile saved = ReadPanelLabelFile(rig.Path("saved.vxl"));
    EXPECT_EQ(saved.sizeText, QString("3"));
    EXPECT_EQ(saved.pictures[0], logo);
    EXPECT_EQ(saved.pictures[1], gone);
    EXPECT_EQ(saved.texts[4], QString("Five one"));
    window.Button9Click();
    EXPECT_TRUE(window.findChild<QRadioButton*>("RadioButton1")->isChecked());
    EXPECT_TRUE(window.Edit(1)->text().isEmpty());
    EXPECT_TRUE(window.PictureFile(1).isEmpty());

    // Not a panel label file: a message and nothing read.
    rig.dialogs.shown.clear();
    rig.dialogs.fileAnswers = {rig.Path("saved.nvl")};
    window.Button2Click();
    EXPECT_EQ(MessageTexts(rig.dialogs.shown),
              QStringList{"Selected file isn't file for labels Norva collection"});
}

// Every shipped model opens the label window of its kind from the menu. With
// NORVA_LABEL_SHOTS=DIR the windows are also saved as pictures there.
TEST(LabelWindows, ShippedModelsOpenTheirLabelWindow) {
    const QString shots = qEnvironmentVariable("NORVA_LABEL_SHOTS");
    const struct {
        int model;
        const char* kind;
        const char* window;
    } cases[] = {{0, "1", "TForm14"},
                 {1, "2", "TForm14"},
                 {2, "4", "TForm5"},
                 {3, "3", "TForm14"},
                 {4, "2", "TForm14"}};
    for (const auto& c : cases) {
        WindowRig rig(true, [&](const QString& home) {
            QDirIterator it(QStringLiteral(NORVA_SOURCE_DIR) + "/assets", QDir::Files);
            while (it.hasNext()) {
                const QString path = it.next();
                QFile::copy(path, QDir(home).filePath(QFileInfo(path).fileName()));
            }
            WriteTextFile(QDir(home).filePath("Config.ini"),
                          QString("[Setup]\r\nLang=English.lng\r\nCommunicator=%1\r\n")
                              .arg(c.model)
                              .toUtf8());
        });
        EXPECT_EQ(rig.window->ModelFeatures().labelKind, QString(c.kind)) << c.model;
        QStringList opened;
        auto watch = WhenModal([&](QWidget* w) {
            if (w->objectName() == "TForm7") {
                if (!shots.isEmpty()) w->grab().save(shots + "/TForm7.png");
                w->findChild<QRadioButton*>("RadioButton1")->click();
                return false;
            }
            opened << w->objectName();
            if (auto* panel = qobject_cast<TForm5*>(w)) {
                panel->Edit(1)->setText("Vchod A");
                panel->findChild<QRadioButton*>("RadioButton3")->click();
            } else {
                static_cast<TForm14*>(w)->Edit(1)->setText("Jan Novák");
            }
            if (!shots.isEmpty())
                w->grab().save(
                    QString("%1/model%2-%3.png").arg(shots).arg(c.model).arg(w->objectName()));
            if (!shots.isEmpty() && qobject_cast<TForm5*>(w)) {
                auto* scroll = w->findChild<QScrollArea*>();
                scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
                w->grab().save(shots + "/TForm5-bottom.png");
            }
            static_cast<QDialog*>(w)->reject();
            return true;
        });
        rig.window->Action("Printlabels1")->trigger();
        EXPECT_EQ(opened, QStringList{c.window}) << c.model;
    }
}

// ---- files, printing failures, texts and layout -----------------------------------------------

namespace {

LanguageTexts Language(const char* file) {
    LanguageTexts texts;
    if (*file) { EXPECT_TRUE(texts.LoadFile(QStringLiteral(NORVA_SOURCE_DIR "/assets/") + file)); }
    return texts;
}

bool IsFifo(const QString& path) {
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

} // namespace

TEST(LabelWindows, OpeningSaysWhyInTheWindowsLanguage) {
    for (const char* language : {"", "Czech.lng"}) {
        SCOPED_TRACE(*language ? language : "built-in English");
        LabelRig rig;
        rig.texts = Language(language);
        ASSERT_EQ(mkfifo(QFile::encodeName(rig.Path("pipe.nvl")).constData(), 0600), 0);
        ASSERT_EQ(mkfifo(QFile::encodeName(rig.Path("pipe.vxl")).constData(), 0600), 0);
        QDir(rig.dir.path()).mkdir("folder.nvl");
        WriteTextFile(rig.Path("random.nvl"), QByteArray("\x8f\x00\x13garbage\xff\r\n", 12));
        WriteTextFile(rig.Path("random.vxl"), "[Setup]\r\nLang=English.lng\r\n");
        const auto files = [&rig](int key, const QString& name) {
            return rig.texts.Text("Files", key).arg(QDir::toNativeSeparators(rig.Path(name)));
        };
        const struct {
            const char* file;
            QString says;
        } cases[] = {
            {"pipe.nvl", files(2, "pipe.nvl")},
            {"pipe.vxl", files(2, "pipe.vxl")},
            {"folder.nvl", files(3, "folder.nvl")},
            {"missing.nvl", files(1, "missing.nvl")},
            {"random.nvl", rig.texts.Text("Message", 48)},
            {"random.vxl", rig.texts.Text("Message", 48)},
        };
        if (*language) {
            EXPECT_TRUE(cases[0].says.startsWith(QString::fromUtf8("Není běžný soubor")));
        }
        for (const auto& c : cases) {
            SCOPED_TRACE(c.file);
            TForm14 buttons(rig.Context());
            TForm5 panel(rig.Context());
            buttons.FormShow("2");
            buttons.Edit(1)->setText("kept");
            panel.Edit(1)->setText("kept");
            rig.dialogs.shown.clear();
            rig.dialogs.fileAnswers = {rig.Path(c.file)};
            if (QString(c.file).endsWith("nvl"))
                buttons.Button2Click();
            else
                panel.Button2Click();
            EXPECT_EQ(MessageTexts(rig.dialogs.shown), QStringList{c.says});
            EXPECT_EQ(buttons.Edit(1)->text(), QString("kept"));
            EXPECT_EQ(panel.Edit(1)->text(), QString("kept"));
        }
        EXPECT_TRUE(IsFifo(rig.Path("pipe.nvl")));
    }
}

TEST(LabelWindows, LongTextsStayWholeAndAreSaidOnce) {
    const QString czech = QString::fromUtf8("Příliš žluťoučký kůň úpěl ďábelské ódy");
    const struct {
        QString text;
        bool longerThanButtons, longerThanPanel;
    } cases[] = {
        {QString(25, QLatin1Char('A')), false, false},
        {czech, true, false},
        {QString(100, QLatin1Char('B')), true, true},
        {QString(300, QLatin1Char('C')), true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        LabelRig rig;
        LabelTexts texts;
        texts[0] = c.text;
        texts[23] = QString::fromUtf8("Novák");
        WriteButtonLabelFile(rig.Path("in.nvl"), texts);
        WritePanelLabelFile(rig.Path("in.vxl"), texts, PanelSize::S56x62, {});

        TForm14 buttons(rig.Context());
        buttons.FormShow("2");
        rig.dialogs.fileAnswers = {rig.Path("in.nvl"), rig.Path("out.nvl")};
        buttons.Button2Click();
        EXPECT_EQ(buttons.Edit(1)->text(), c.text);
        EXPECT_EQ(MessageTexts(rig.dialogs.shown).size(), c.longerThanButtons ? 1 : 0);
        buttons.Button3Click(); // Save keeps every character
        EXPECT_EQ(ReadButtonLabelFile(rig.Path("out.nvl")), texts);
        buttons.FormShow("2"); // a new opening takes 25 characters by typing again
        EXPECT_EQ(buttons.Edit(1)->maxLength(), TForm14::kFieldLength);

        rig.dialogs.shown.clear();
        TForm5 panel(rig.Context());
        rig.dialogs.fileAnswers = {rig.Path("in.vxl"), rig.Path("out.vxl")};
        panel.Button2Click();
        EXPECT_EQ(panel.Edit(1)->text(), c.text);
        EXPECT_EQ(MessageTexts(rig.dialogs.shown).size(), c.longerThanPanel ? 1 : 0);
        panel.Button3Click();
        EXPECT_EQ(ReadPanelLabelFile(rig.Path("out.vxl")).texts, texts);
        panel.Button9Click();
        EXPECT_EQ(panel.Edit(1)->maxLength(), TForm5::kFieldLength);
    }
}

TEST(LabelWindows, PrintingThatFailsSaysWhyAndKeepsTheWindowOpen) {
    const bool root = geteuid() == 0;
    for (const char* target : {"fifo", "folder", "full"}) {
        SCOPED_TRACE(target);
        // A small tmpfs needs root, and a root that may mount.
        if (QString(target) == "full" && !(root && TmpfsMount::MayMount())) continue;
        LabelRig rig;
        const QString folder = rig.Path("out");
        QDir().mkpath(folder);
        const QString pdf = QDir(folder).filePath("labels.pdf");
        QString reason;
        bool mounted = false;
        if (QString(target) == "fifo") {
            ASSERT_EQ(mkfifo(QFile::encodeName(pdf).constData(), 0600), 0);
            reason = "Not a regular file";
        } else if (QString(target) == "folder") {
            QDir().mkpath(pdf);
            reason = "Is a folder";
        } else {
            mounted =
                QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder}) == 0;
            ASSERT_TRUE(mounted);
            QFile filler(QDir(folder).filePath("filler"));
            ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) == 4096) {}
            reason = "No space left on device";
        }
        const QStringList before =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        TForm14 buttons(rig.Context());
        buttons.FormShow("2");
        buttons.Edit(1)->setText("Jan Novák");
        buttons.setResult(QDialog::Rejected);
        rig.dialogs.printAnswers = {pdf};
        buttons.Button1Click();
        EXPECT_EQ(buttons.result(), QDialog::Rejected) << "the window stays open";
        TForm5 panel(rig.Context());
        panel.Edit(1)->setText("Vchod A");
        rig.dialogs.printAnswers = {pdf};
        panel.Button1Click();
        const QStringList messages = MessageTexts(rig.dialogs.shown);
        ASSERT_EQ(messages.size(), 2);
        for (const QString& m : messages) {
            EXPECT_TRUE(m.contains(reason)) << m.toStdString();
            EXPECT_TRUE(m.contains(pdf)) << m.toStdString();
        }
        EXPECT_TRUE(buttons.findChild<QPushButton*>("Button1")->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  before)
            << "no half PDF is left";
        if (QString(target) == "fifo") { EXPECT_TRUE(IsFifo(pdf)); }
        if (mounted) QProcess::execute("umount", {folder});
    }
}

// Every caption shows whole in English and in Czech: no widget is narrower or lower than
// its text needs, every window is as wide as its title, and the panel window shows all of
// itself on a 1366 x 768 screen.
TEST(LabelWindows, EveryCaptionFitsInEnglishAndCzech) {
    const auto expectWhole = [](QWidget* window) {
        SCOPED_TRACE(window->objectName().toStdString());
        window->show();
        QApplication::processEvents();
        EXPECT_GE(window->width(), TitleBarWidth(window->windowTitle()))
            << window->windowTitle().toStdString();
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(window)) continue;
            auto* label = qobject_cast<QLabel*>(w);
            if (!label && !qobject_cast<QAbstractButton*>(w) && !qobject_cast<QGroupBox*>(w))
                continue;
            const QSize need = w->minimumSizeHint();
            EXPECT_GE(w->width(), need.width()) << w->objectName().toStdString();
            const int height =
                label && label->wordWrap() ? label->heightForWidth(w->width()) : need.height();
            EXPECT_GE(w->height(), height) << w->objectName().toStdString();
        }
        window->hide();
    };
    for (const char* language : {"", "Czech.lng"}) {
        SCOPED_TRACE(*language ? language : "built-in English");
        LabelRig rig;
        rig.texts = Language(language);
        TForm14 buttons(rig.Context());
        buttons.FormShow("2");
        expectWhole(&buttons);
        expectWhole(&buttons.ButtonCountDialog());
        TForm5 panel(rig.Context());
        for (const char* size : {"RadioButton1", "RadioButton4"}) {
            panel.findChild<QRadioButton*>(size)->click();
            panel.FormShow();
            expectWhole(&panel);
            EXPECT_LE(panel.width(), 1366 - 20);
            EXPECT_LE(panel.height(), 768 - 100) << "a title bar and a task bar beside it";
            // Nothing to scroll to: the content has all the room it asks for.
            panel.show();
            QApplication::processEvents();
            const QWidget* content = panel.ScrollArea()->widget();
            EXPECT_GE(panel.ScrollArea()->viewport()->width(), content->minimumSizeHint().width());
            EXPECT_GE(panel.ScrollArea()->viewport()->height(),
                      content->minimumSizeHint().height());
            panel.hide();
        }
        // The overwrite question under its title "File is exists".
        const auto box =
            MakeMessageBox(nullptr, MsgIcon::Question, rig.texts.Text("Message", 7),
                           rig.texts.Text("Message", 6), QMessageBox::Yes | QMessageBox::No);
        box->show();
        QApplication::processEvents();
        EXPECT_GE(box->width(), TitleBarWidth(box->windowTitle()));
        box->hide();
    }
}

TEST(LabelWindows, ButtonFieldsSayWhichButtonTheyAre) {
    LabelRig rig;
    TForm14 window(rig.Context());
    window.FormShow("3");
    for (int n : {1, 12, 13, 24}) EXPECT_EQ(window.NumberLabel(n)->text(), QString::number(n));
    EXPECT_FALSE(window.findChild<QLabel*>("Label2")->isHidden()) << "the sheet's order";
    auto watch = WhenModal([](QWidget* w) {
        if (w->objectName() != "TForm7") return false;
        w->findChild<QRadioButton*>("RadioButton2")->click();
        return true;
    });
    window.FormShow("1"); // two buttons: Edit1 and Edit13 are buttons 1 and 2
    EXPECT_EQ(window.NumberLabel(1)->text(), QString("1"));
    EXPECT_EQ(window.NumberLabel(13)->text(), QString("2"));
    EXPECT_TRUE(window.NumberLabel(2)->isHidden());
}
