#include "MainWindow.h"

#include "AboutWindow.h"
#include "BackupMenu.h"
#include "CableAccess.h"
#include "Communicator.h"
#include "DayNightTable.h"
#include "Defaults.h"
#include "FieldCatalogue.h"
#include "FieldWidgets.h"
#include "FileAccess.h"
#include "FirmwareWindow.h"
#include "GuardedWrite.h"
#include "HelpWindow.h"
#include "JpegPicture.h"
#include "LanguageApply.h"
#include "LanguageTable.h"
#include "NavigationTree.h"
#include "NumberMemory.h"
#include "PrintableText.h"
#include "PrintoutSource.h"
#include "QtTranslations.h"
#include "SettingsFileMenu.h"
#include "SettingsFileName.h"
#include "StatusPanel.h"
#include "ToneWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

// The pictures are compiled into the window's static library; its resources must be
// registered by hand.
static void InitWindowResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {
// The language menu entries in their fixed order.
const char* const kLanguageItemNames[20] = {"az11", "a11", "a21", "a31", "a41", "a51", "a61",
                                            "a71",  "a81", "a91", "a01", "a02", "a03", "a04",
                                            "a05",  "a06", "a07", "a08", "a09", "a10"};
const int kPanelWidths[5] = {95, 110, 250, 90, 100};

// The controls that need a connected door phone.
const char* const kDeviceActions[] = {"Readparameters1",  "Readphonenumbers1",  "Readall1",
                                      "Writeparameters1", "Writephonenumbers1", "Writeall1",
                                      "Firmwareupgrade1", "Remotecontrol1",     "SendtimefromPC1"};
const char* const kDeviceWidgets[] = {"Button1", "Image1", "Image2"};

QLabel* HeaderLabel(QWidget* host, const char* name, QHash<QString, QWidget*>& frame) {
    auto* label = new QLabel(host);
    label->setObjectName(QLatin1String(name));
    frame.insert(label->objectName(), label);
    return label;
}

QFont Adjusted(QFont font, qreal pointSize, bool bold, bool italic = false) {
    if (pointSize > 0) font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}
} // namespace

namespace {
// The window's session: Config.ini created at the first start, the log as Config.ini
// says, a lost language file forgets Config.ini, the picture and template with every
// language file, and "all" goes on after a refused block.
SessionOptions WindowSession(const MainWindowOptions& options) {
    SessionOptions s;
    s.home = options.home;
    s.backend = options.backend;
    s.clock = options.clock;
    return s;
}
} // namespace

TForm1::TForm1(const MainWindowOptions& options, QWidget* parent)
    : QMainWindow(parent), options_(options),
      session_(std::make_unique<DoorPhoneSession>(WindowSession(options), *this, *this)),
      log_(session_->Log()), texts_(session_->Texts()), model_(session_->Model()) {
    setObjectName(QStringLiteral("TForm1"));
    InitWindowResources();
    if (options.dialogs) {
        dialogs_ = options.dialogs;
    } else {
        ownDialogs_ = std::make_unique<QtDialogs>();
        dialogs_ = ownDialogs_.get();
    }
    log_.onWriteFailed = [this](const QString& error) {
        if (logFailureShown_) return;
        logFailureShown_ = true;
        if (logFile1_) logFile1_->setText(texts_.Text(keys::kLogOff));
        // Later, so that the exchange that was logging carries on undisturbed.
        QTimer::singleShot(0, this, [this, error] {
            ShowMessage(QStringLiteral("The communication log could not be written (%1). "
                                       "Logging has been switched off.")
                            .arg(error),
                        QString(), MsgIcon::Warning);
        });
    };
    session_->textsLoaded = [this] { ApplyTexts(); };
    session_->showModelPicture = [this] { return ApplyModelPicture(); };
    session_->reportFolderNotWritable = [this](const QString& what, const QString& error) {
        ReportFolderNotWritable(what, error);
    };
    // A cable that will not open is explained once per reason; one that went away shows
    // as missing in the status line.
    session_->Link().onOpenFailed = [this,
                                     shown = QSet<int>()](const OpenProblem& problem) mutable {
        if (problem.reason == OpenFailure::Gone || shown.contains(int(problem.reason))) return;
        shown.insert(int(problem.reason));
        const QString text =
            OpenProblemText(problem, QLatin1String(CableFor(session_->Link().Kind()).description));
        QTimer::singleShot(0, this,
                           [this, text] { ShowMessage(text, QString(), MsgIcon::Warning); });
    };

    // The window's look: a small, narrow face (the pages are laid out for 8 points), the
    // program's picture.
    QFont face = font();
    face.setPointSize(8);
    const QString narrow = QFontInfo(face).family() + QStringLiteral(" Condensed");
    if (QFontDatabase::hasFamily(narrow)) face.setFamily(narrow);
    setFont(face);
    setWindowIcon(QIcon(QStringLiteral(":/icons/norvaset.svg")));
    setWindowTitle(ProgramCaption(QStringLiteral("NorvaSet"), ProgramVersionText()));

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Client"));
    auto* root = new QVBoxLayout(central);
    root->setContentsMargins(2, 0, 2, 0);
    root->setSpacing(0);
    auto* header = new QWidget(central);
    header->setObjectName(QStringLiteral("Header"));
    header->setFixedHeight(40);
    BuildHeader(header);
    root->addWidget(header);
    auto* body = new QHBoxLayout;
    body->setSpacing(2);
    tree_ = new NavigationTree(central);
    tree_->setFixedWidth(165);
    frame_.insert(tree_->objectName(), tree_);
    body->addWidget(tree_);
    pages_ = BuildPages(central, tree_);
    body->addWidget(pages_.area, 1);
    root->addLayout(body, 1);
    setCentralWidget(central);

    BuildMenus();
    BuildPopupMenus();
    BuildStatusBar();

    fileMenu_ = std::make_unique<SettingsFileMenu>(SettingsFileMenu::Context{
        this, dialogs_, &model_, &log_, &texts_,
        // Settings files are the user's documents, not the program's configuration.
        [this] { return Folders().SettingsFolder(fileMenu_->SettingsFileName()); },
        [this] { LoadModelDefaults(); }, [this] { ShowFilePanel(); }});
    connect(Action(QStringLiteral("New1")), &QAction::triggered, this,
            [this] { fileMenu_->New1Click(); });
    connect(Action(QStringLiteral("Open1")), &QAction::triggered, this,
            [this] { fileMenu_->Open1Click(); });
    connect(Action(QStringLiteral("Save1")), &QAction::triggered, this,
            [this] { fileMenu_->Save1Click(); });
    connect(Action(QStringLiteral("Saveas1")), &QAction::triggered, this,
            [this] { fileMenu_->Saveas1Click(); });

    help_ = new TForm3(this);
    const DesktopServices desktop = options.desktop.Completed();
    about_ = new TForm2({&texts_,
                         desktop.openAddress,
                         {},
                         [this](const QString& text) {
                             // Over the About window, which stays on top of the main one.
                             dialogs_->Message(about_, text, QString(), MsgIcon::Warning);
                         }},
                        this);
    tones_ = new TForm6(
        {&log_, [this](const QString& name) { return Folders().Find(name); }, desktop.playSound},
        this);
    hasAudioOutput_ = desktop.hasAudioOutput;
    connect(Action(QStringLiteral("Sampleoftones1")), &QAction::triggered, this,
            &TForm1::Sampleoftones1Click);
    connect(Action(QStringLiteral("About1")), &QAction::triggered, this, &TForm1::About1Click);
    FieldBinder::Host fieldHost;
    fieldHost.context = [this] { return CheckContext(); };
    fieldHost.message = [this](const QString& text, const QString& caption, MsgIcon icon) {
        ShowMessage(text, caption, icon);
    };
    fieldHost.texts = &texts_;
    binder_ = new FieldBinder(model_, pages_.widgets, fieldHost, this);
    DayNightTable::Host tableHost;
    tableHost.ask = [this](const QString& text, const QString& caption, MsgIcon icon) {
        return AskYesNo(text, caption, icon);
    };
    tableHost.showHelp = [this] { ShowHelpWindow(); };
    tableHost.texts = &texts_;
    dayNight_ = new DayNightTable(model_, pages_.widgets.value(QStringLiteral("GroupBox28")),
                                  pages_.widgets, tableHost, this);
    popups_[1] = dayNight_->Menu();
    for (const QString& name :
         {QStringLiteral("Copy1"), QStringLiteral("Paste1"), QStringLiteral("Pasteall1"),
          QStringLiteral("Delete1"), QStringLiteral("Deleteall1"), QStringLiteral("Help3")})
        actions_.insert(name, dayNight_->Action(name));

    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { TreeView1Change(current); });
    if (auto* button1 = Control(QStringLiteral("Button1")))
        connect(static_cast<QAbstractButton*>(button1), &QAbstractButton::clicked, this,
                [this] { Button1Click(); });
    if (auto* selector = qobject_cast<QComboBox*>(Control(QLatin1String(kModelSelectorField))))
        connect(selector, &QComboBox::activated, this, [this] { ComboBox16Change(); });

    binder_->ShowAll();
    ApplyTexts();

    resize(kMinWidth, kMinHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(Communicator::kTransferInterval);
    connect(timer1_, &QTimer::timeout, this, &TForm1::Timer1Timer);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(Communicator::kFirstPollInterval);
    connect(timer2_, &QTimer::timeout, this, &TForm1::Timer2Timer);
}

TForm1::~TForm1() {
    timer1_->stop();
    timer2_->stop();
    // The controls go after the model they are bound to: unbind them first, so that
    // nothing a control does while it is destroyed reaches the model.
    delete binder_;
    binder_ = nullptr;
    delete dayNight_;
    dayNight_ = nullptr;
}

QString TForm1::ProgramFolder() const {
    return session_->ConfigFolder();
}

const AppFolders& TForm1::Folders() const {
    return session_->Folders();
}

// ---- frame ---------------------------------------------------------------------------------

void TForm1::BuildHeader(QWidget* host) {
    auto* row = new QHBoxLayout(host);
    row->setContentsMargins(4, 1, 4, 1);
    row->setSpacing(6);

    // Clocks on the left: the caption above the door phone's and the PC's time.
    auto* clocks = new QWidget(host);
    clocks->setFixedWidth(169);
    auto* grid = new QGridLayout(clocks);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(0);
    QLabel* label9 = HeaderLabel(clocks, "Label9", frame_);
    label9->setFont(Adjusted(font(), 7, false));
    QPalette highlight = label9->palette();
    highlight.setColor(QPalette::WindowText, palette().color(QPalette::Highlight));
    label9->setPalette(highlight);
    grid->addWidget(label9, 0, 0, 1, 2);
    const char* const clockNames[2][2] = {{"Label2", "Label4"}, {"Label3", "Label5"}};
    for (int r = 0; r < 2; ++r) {
        QLabel* caption = HeaderLabel(clocks, clockNames[r][0], frame_);
        QLabel* time = HeaderLabel(clocks, clockNames[r][1], frame_);
        time->setFont(Adjusted(font(), 0, true));
        grid->addWidget(caption, r + 1, 0);
        grid->addWidget(time, r + 1, 1);
        for (QLabel* l : {caption, time}) {
            l->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(l, &QWidget::customContextMenuRequested, this,
                    [this, l](QPoint at) { popups_[2]->popup(l->mapToGlobal(at)); });
        }
    }
    grid->setColumnStretch(1, 1);
    row->addWidget(clocks);

    // Centre: the progress bar above the page title.
    auto* centre = new QVBoxLayout;
    centre->setSpacing(1);
    progress_ = new QProgressBar(host);
    progress_->setObjectName(QStringLiteral("pbPB"));
    progress_->setRange(0, 255);
    progress_->setTextVisible(false);
    progress_->setFixedSize(321, 10);
    QSizePolicy keep = progress_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    progress_->setSizePolicy(keep);
    progress_->hide();
    frame_.insert(progress_->objectName(), progress_);
    centre->addWidget(progress_, 0, Qt::AlignHCenter);
    QLabel* title = HeaderLabel(host, "Label1", frame_);
    title->setFont(Adjusted(font(), 10, true, true));
    title->setAlignment(Qt::AlignCenter);
    title->setPalette(highlight);
    centre->addWidget(title, 1);
    row->addLayout(centre, 1);

    // Right: the mode caption and the day/night pictures, both at the same place.
    QLabel* mode = HeaderLabel(host, "Label60", frame_);
    mode->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(mode);
    auto* pictures = new QWidget(host);
    pictures->setFixedSize(33, 33);
    const struct {
        const char* name;
        const char* file;
    } images[] = {{"Image2", ":/icons/day.svg"}, {"Image1", ":/icons/night.svg"}};
    for (const auto& image : images) {
        QLabel* label = HeaderLabel(pictures, image.name, frame_);
        label->setGeometry(0, 0, 33, 33);
        label->setPixmap(QIcon(QLatin1String(image.file)).pixmap(33, 33));
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }
    // At start the night picture shows.
    frame_.value(QStringLiteral("Image2"))->hide();
    row->addWidget(pictures);
}

QAction* TForm1::AddAction(QWidget* menu, const char* name, const QString& caption) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(QLatin1String(name));
    menu->addAction(action);
    actions_.insert(action->objectName(), action);
    return action;
}

void TForm1::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto addMenu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        actions_.insert(m->objectName(), m->menuAction());
        return m;
    };
    auto onClick = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, handler);
    };

    QMenu* file = addMenu("File1", QStringLiteral("File"));
    for (const auto& [name, caption] : {std::pair{"New1", "New"},
                                        {"Open1", "Open"},
                                        {"Save1", "Save"},
                                        {"Saveas1", "Save as .."},
                                        {"Print1", "Print"},
                                        {"Exit1", "Exit"}})
        AddAction(file, name, QLatin1String(caption));
    onClick(actions_.value("Exit1"), [this] { Exit1Click(); });
    onClick(actions_.value("Print1"), [this] { Print1Click(); });

    QMenu* comm = addMenu("Communicator1", QStringLiteral("Communicator"));
    const struct {
        const char* name;
        const char* caption;
        void (TForm1::*handler)();
    } commands[] = {
        {"Readparameters1", "Read parameters", &TForm1::Readparameters1Click},
        {"Readphonenumbers1", "Read phone numbers", &TForm1::Readphonenumbers1Click},
        {"Readall1", "Read all", &TForm1::Readall1Click},
        {"Writeparameters1", "Write parameters", &TForm1::Writeparameters1Click},
        {"Writephonenumbers1", "Write phone numbers", &TForm1::Writephonenumbers1Click},
        {"Writeall1", "Write all", &TForm1::Writeall1Click},
    };
    for (const auto& c : commands) {
        auto handler = c.handler;
        // Reads leave a backup; writes are backed up and verified (GuardedWrite).
        onClick(AddAction(comm, c.name, QLatin1String(c.caption)),
                [this, handler] { (this->*handler)(); });
    }

    QMenu* option = addMenu("Option1", QStringLiteral("Option"));
    AddAction(option, "Sampleoftones1", QStringLiteral("Sample of tones"));
    onClick(AddAction(option, "Printlabels1", QStringLiteral("Print labels")),
            [this] { Printlabels1Click(); });
    // Kept for its place in the menu; the cable is chosen by the model template.
    AddAction(option, "Communicationport1", QStringLiteral("Communication port"))
        ->setEnabled(false);
    onClick(AddAction(option, "Firmwareupgrade1", QStringLiteral("Firmware upgrade")),
            [this] { Firmwareupgrade1Click(); });
    logFile1_ = AddAction(option, "LogFile1", texts_.Text(keys::kLogOff));
    onClick(logFile1_, [this] { LogFile1Click(); });

    backupMenu_ = std::make_unique<BackupMenu>(
        BackupMenu::Context{this, dialogs_, &model_, &texts_, [this] { return ProgramFolder(); },
                            [this](const QString& error) {
                                ReportFolderNotWritable(QLatin1String(AppConfig::kFileName), error);
                            },
                            [this] {
                                return BackupFolder(Folders().DataFolder(),
                                                    Folders().UserDataFolder() +
                                                        QLatin1String(BackupFolder::kFolderName));
                            }});
    for (QAction* a : backupMenu_->AddItems(file, actions_.value("Print1"), option))
        actions_.insert(a->objectName(), a);
    guarded_ = std::make_unique<GuardedWrite>(session_->Comm(), model_, log_, texts_);
    // The progress bar says which step of a guarded read or write runs.
    guarded_->onStep = [this](const QString& text) {
        progress_->setTextVisible(!text.isEmpty());
        progress_->setFormat(text);
    };
    guarded_->onEnded = [this](const GuardedReport& report) { GuardedEnded(report); };
    // The clock command has no answer: the status line says that it went.
    session_->Comm().AddExchangeListener([this](const ExchangeOutcome& o) {
        if (o.exchange == Exchange::SetClock && o.end == ExchangeEnd::Done)
            statusBar()->showMessage(texts_.Text(keys::kClockSet), 30000);
    });

    QMenu* language = addMenu("Language1", QStringLiteral("Language"));
    // Opening the Language menu: the next language starts with the first model.
    connect(language, &QMenu::aboutToShow, this, [this] { session_->SetStartModelIndex(0); });
    // The language in use carries the check mark.
    languageGroup_ = new QActionGroup(language);
    languageGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int i = 0; i < 20; ++i) {
        languageItems_[i] =
            AddAction(language, kLanguageItemNames[i], i == 0 ? QStringLiteral("none") : QString());
        languageItems_[i]->setVisible(i == 0);
        languageItems_[i]->setCheckable(true);
        languageGroup_->addAction(languageItems_[i]);
        onClick(languageItems_[i], [this, i] { LanguageItemClick(i); });
    }

    // Menu-bar items without a menu.
    auto barItem = [&](const char* name, const QString& caption) {
        auto* action = new QAction(caption, bar);
        action->setObjectName(QLatin1String(name));
        bar->addAction(action);
        actions_.insert(action->objectName(), action);
        return action;
    };
    barItem("Remotecontrol1", QStringLiteral("Remote"));
    QMenu* help = addMenu("Help1", QStringLiteral("Help"));
    AddAction(help, "About1", QStringLiteral("About ..."));
    barItem("N10", QStringLiteral(" "))->setEnabled(false);
    barItem("M11", QString())->setEnabled(false);
    QAction* key1 = barItem("key1", QStringLiteral("Kodrix"));
    key1->setVisible(false);
    key1->setEnabled(false);
    onClick(key1, [this] { key1Click(); });
    AddKeyboardShortcuts();
}

// The desktop's keys for the File menu, F10 for the menu bar and F1 for Help. The menus
// themselves are reached by Alt and the underlined letters of the language file's texts.
void TForm1::AddKeyboardShortcuts() {
    // The desktop's own keys, and the usual ones where its scheme has none (Windows' has
    // no key for "Save as" or "Quit").
    const struct {
        const char* action;
        QKeySequence::StandardKey key;
        QKeyCombination usual;
    } fileKeys[] = {
        {"New1", QKeySequence::New, Qt::CTRL | Qt::Key_N},
        {"Open1", QKeySequence::Open, Qt::CTRL | Qt::Key_O},
        {"Save1", QKeySequence::Save, Qt::CTRL | Qt::Key_S},
        {"Saveas1", QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S},
        {"Print1", QKeySequence::Print, Qt::CTRL | Qt::Key_P},
        {"Exit1", QKeySequence::Quit, Qt::CTRL | Qt::Key_Q},
    };
    for (const auto& k : fileKeys) {
        QList<QKeySequence> keys = QKeySequence::keyBindings(k.key);
        if (!keys.contains(QKeySequence(k.usual))) keys << QKeySequence(k.usual);
        actions_.value(QLatin1String(k.action))->setShortcuts(keys);
    }

    auto windowKey = [this](const char* name, const QList<QKeySequence>& keys) {
        auto* action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        actions_.insert(action->objectName(), action);
        return action;
    };
    // F10 opens the first menu, as on other desktops.
    connect(windowKey("MenuBarKey", {QKeySequence(Qt::Key_F10)}), &QAction::triggered, this,
            [this] {
                if (QAction* file = Action(QStringLiteral("File1")); file && file->isVisible())
                    menuBar()->setActiveAction(file);
            });
    QList<QKeySequence> help = QKeySequence::keyBindings(QKeySequence::HelpContents);
    if (!help.contains(QKeySequence(Qt::Key_F1))) help.prepend(QKeySequence(Qt::Key_F1));
    connect(windowKey("HelpKey", help), &QAction::triggered, this, &TForm1::ShowHelpWindow);
}

void TForm1::BuildPopupMenus() {
    auto* tree = new QMenu(tree_);
    tree->setObjectName(QStringLiteral("PopupMenu1"));
    connect(AddAction(tree, "Packtree1", QStringLiteral("Pack Tree")), &QAction::triggered, this,
            &TForm1::Packtree1Click);
    connect(AddAction(tree, "Unpacktree1", QStringLiteral("Unpack Tree")), &QAction::triggered,
            this, &TForm1::Unpacktree1Click);
    tree->addSeparator();
    connect(AddAction(tree, "Help2", QStringLiteral("Help")), &QAction::triggered, this,
            &TForm1::ShowHelpWindow);
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this, tree](QPoint at) { tree->popup(tree_->viewport()->mapToGlobal(at)); });
    popups_[0] = tree;

    auto* clocks = new QMenu(this);
    clocks->setObjectName(QStringLiteral("PopupMenu3"));
    connect(AddAction(clocks, "SendtimefromPC1", QStringLiteral("Set time from PC")),
            &QAction::triggered, this, [this] { SendtimefromPC1Click(); });
    clocks->addSeparator();
    connect(AddAction(clocks, "Help4", QStringLiteral("Help")), &QAction::triggered, this,
            &TForm1::ShowHelpWindow);
    popups_[2] = clocks;
}

void TForm1::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    // The focus goes there before a transfer (so that the field being left is checked),
    // never by Tab.
    bar->setFocusPolicy(Qt::ClickFocus);
    frame_.insert(bar->objectName(), bar);
    auto addPanel = [this, bar](const QString& name, int stretch) {
        auto* panel = new StatusPanel(bar);
        panel->setObjectName(name);
        bar->addWidget(panel, stretch);
        frame_.insert(name, panel);
        return panel;
    };
    for (int i = 0; i < 5; ++i) {
        // The file name panel gives way when the window is narrow; the cable panel grows
        // for a cable that will not open.
        StatusPanel* panel = addPanel(QStringLiteral("StatusPanel%1").arg(i), i == 2 ? 1 : 0);
        if (i == 2)
            panel->setMinimumWidth(60);
        else if (i == 0)
            panel->setMinimumWidth(kPanelWidths[i]);
        else
            panel->setFixedWidth(kPanelWidths[i]);
        if (i == 4) panel->setLayoutDirection(Qt::RightToLeft);
        panels_[i] = panel;
        // Why the door phone cannot be reached stands beside the file's name, shown only
        // while there is something to say; it has the larger share of the room.
        if (i == 2) {
            errorPanel_ = addPanel(QStringLiteral("StatusError"), 2);
            errorPanel_->setMinimumWidth(60);
            QPalette red = errorPanel_->palette();
            red.setColor(QPalette::WindowText, QColor(0xB0, 0, 0));
            errorPanel_->setPalette(red);
            errorPanel_->hide();
        }
    }
}

QWidget* TForm1::Control(const QString& name) const {
    if (QWidget* w = pages_.widgets.value(name)) return w;
    if (QWidget* w = frame_.value(name)) return w;
    if (name == QLatin1String("PageControl1")) return pages_.area;
    if (name == objectName()) return const_cast<TForm1*>(this);
    return nullptr;
}

QAction* TForm1::Action(const QString& name) const {
    return actions_.value(name);
}

QMenu* TForm1::PopupMenu(int number) const {
    return number >= 1 && number <= 3 ? popups_[number - 1] : nullptr;
}

int TForm1::CurrentPage() const {
    return pages_.area->currentIndex();
}

QString TForm1::PageTitle() const {
    return static_cast<QLabel*>(frame_.value(QStringLiteral("Label1")))->text();
}

ExitContext TForm1::CheckContext() const {
    ExitContext context;
    context.modelMaximum = session_->ModelFeatures().modelMaximum;
    context.labelKind = session_->ModelFeatures().labelKind;
    return context;
}

// ---- tree ----------------------------------------------------------------------------------

void TForm1::TreeView1Change(QTreeWidgetItem* current) {
    // A blanked entry opens nothing (the tree has gone back to an entry that does).
    if (!NavigationTree::IsOpen(current)) return;
    const int page = NavigationTree::PageOf(current);
    // A click on the tree reaches here only once the field being left has passed its
    // check (a refused value keeps the focus and the page); a change made by the program
    // hides the field without asking a second time.
    const bool focusOnPage = pages_.area->isAncestorOf(QApplication::focusWidget());
    const bool wasSuspended = binder_->ChecksSuspended();
    binder_->SetChecksSuspended(true);
    if (focusOnPage) tree_->setFocus(Qt::OtherFocusReason);
    if (page >= 0 && page < kPageCount) pages_.area->setCurrentIndex(page);
    binder_->SetChecksSuspended(wasSuspended);
    static_cast<QLabel*>(frame_.value(QStringLiteral("Label1")))->setText(current->text(0));
}

void TForm1::Packtree1Click() {
    tree_->collapseAll();
}

void TForm1::Unpacktree1Click() {
    tree_->expandAll();
}

void TForm1::ShowHelpWindow() {
    ProcessMessages();
    help_->move(geometry().center() - help_->rect().center());
    help_->exec();
}

void TForm1::Firmwareupgrade1Click() {
    Communicator& comm = session_->Comm();
    comm.StopTimers();
    comm.SetPollingAllowed(false);
    session_->Clock().Sleep(50);
    ProcessMessages();
    if (!firmware_) {
        FirmwareWindowContext context;
        context.link = &session_->Link();
        context.clock = &session_->Clock();
        context.dialogs = dialogs_;
        context.texts = &texts_;
        context.log = &log_;
        context.programFolder = [this] { return ProgramFolder(); };
        context.logFolder = [this] { return Folders().DataFolder(); };
        context.sendFFlag = [this] { return session_->Comm().SendFFlag(); };
        context.setSendFFlag = [this](bool on) { session_->Comm().SetSendFFlag(on); };
        context.driveTimer = options_.driveTimers;
        firmware_ = new FirmwareWindow(context, this);
    }
    firmware_->move(geometry().center() - firmware_->rect().center());
    firmware_->exec();
    log_.LogLine(QStringLiteral("Firmware upgrade"));
    comm.SetPollingAllowed(true);
    comm.StartPollTimer();
}

void TForm1::Sampleoftones1Click() {
    if (!hasAudioOutput_()) {
        ShowMessage(texts_.Text(keys::kNoSoundCard), QString(), MsgIcon::None);
        log_.LogLine(QStringLiteral("Acoustic test - No audio cards"));
        return;
    }
    ProcessMessages();
    tones_->move(geometry().center() - tones_->rect().center());
    tones_->exec();
    log_.LogLine(QStringLiteral("Acoustic test - OK"));
}

void TForm1::About1Click() {
    ProcessMessages();
    about_->move(geometry().center() - about_->rect().center());
    about_->exec();
    log_.LogLine(QStringLiteral("Go to About..."));
}

// ---- language texts and models -------------------------------------------------------------

void TForm1::ApplyTexts() {
    LanguageSurface surface;
    surface.programFolder = ProgramFolder();
    surface.locate = [this](const QString& name) { return Folders().Locate(name); };
    surface.find = [this](const QString& target) -> QObject* {
        const int dot = target.indexOf(QLatin1Char('.'));
        if (dot < 0) {
            if (QWidget* w = Control(target)) return w;
            if (QAction* a = Action(target)) return a;
            // Another window itself ("TForm14").
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == target) return w;
            return findChild<QWidget*>(target);
        }
        const QString window = target.left(dot), control = target.mid(dot + 1);
        QWidget* owner = findChild<QWidget*>(window);
        if (!owner)
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == window) owner = w;
        return owner ? owner->findChild<QObject*>(control) : nullptr;
    };
    surface.treeEntry = [this](int position, const QString& text) {
        tree_->SetEntryText(position, text);
    };
    surface.pageTitle = [this] {
        if (QTreeWidgetItem* item = tree_->currentItem())
            static_cast<QLabel*>(frame_.value(QStringLiteral("Label1")))->setText(item->text(0));
    };
    ApplyLanguageTexts(texts_, surface);
    // Qt's own buttons and dialogs speak the language of the file too.
    ApplyQtTranslations(session_->LanguagePath());
    // The log switch shows its state in the language in use.
    logFile1_->setText(texts_.Text(log_.Enabled() ? keys::kLogOn : keys::kLogOff));
    MarkLanguageInUse();
}

void TForm1::MarkLanguageInUse() {
    const QString inUse = QFileInfo(session_->LanguagePath()).canonicalFilePath();
    for (int i = 0; i < 20; ++i)
        languageItems_[i]->setChecked(!inUse.isEmpty() && !languageSlots_[i].isEmpty() &&
                                      QFileInfo(languageSlots_[i]).canonicalFilePath() == inUse);
}

void TForm1::RebuildModelList() {
    session_->RebuildModelList();
}

bool TForm1::ApplyModelPicture() {
    const ModelEntry* entry = SelectedModel(model_, session_->Models());
    QString path = entry ? entry->picture : QString();
    const QString blank = Folders().Find(QStringLiteral("blank.jpg"));
    if (path.size() < 5 || !IsRegularFile(path)) path = blank;
    QString error;
    DecodedPicture picture = DecodeJpegFile(path, &error);
    // A damaged picture is treated like a missing one.
    if (picture.IsNull() && path != blank) {
        path = blank;
        picture = DecodeJpegFile(path, &error);
    }
    if (picture.IsNull()) {
        ShowMessage(error.isEmpty() ? PrintableText(path) : error, QString(), MsgIcon::Error);
        return false;
    }
    const QImage image(reinterpret_cast<const uchar*>(picture.rgb.constData()), picture.width,
                       picture.height, picture.width * 3, QImage::Format_RGB888);
    if (auto* label = qobject_cast<QLabel*>(Control(QStringLiteral("Image3"))))
        label->setPixmap(QPixmap::fromImage(image.copy()));
    log_.LogLine(QStringLiteral("Picture file: ") + path);
    return true;
}

void TForm1::ApplyModelTemplate() {
    session_->ApplyModelTemplate();
}

void TForm1::LoadModelDefaults() {
    session_->LoadModelDefaults();
}

void TForm1::ComboBox16Change() {
    session_->ModelSelected();
}

// ---- TemplateTarget ------------------------------------------------------------------------

void TForm1::SetVisible(const QString& name, bool visible) {
    // A row of the telephone-number pages: the button's caption and both its numbers.
    if (name.startsWith(QLatin1String("ButtonRow"))) {
        const int button = name.mid(9).toInt();
        for (const QString& part :
             {ButtonRowLabel(button), FirstNumberField(button), SecondNumberField(button)})
            if (QWidget* w = Control(part)) w->setVisible(visible);
        return;
    }
    // The two column headings of telephone-number page 1 .. 10.
    if (name.startsWith(QLatin1String("NumberHeadings"))) {
        const int page = name.mid(14).toInt();
        const int dayHeadings[10] = {125, 137, 149, 161, 173, 185, 197, 219, 231, 243};
        if (page < 1 || page > 10) return;
        for (int n : {dayHeadings[page - 1], dayHeadings[page - 1] + 1})
            if (QWidget* w = Control(QStringLiteral("Label%1").arg(n))) w->setVisible(visible);
        return;
    }
    if (QWidget* w = Control(name))
        w->setVisible(visible);
    else if (QAction* a = Action(name))
        a->setVisible(visible);
}

void TForm1::SetEnabled(const QString& name, bool enabled) {
    // Setting the door phone's clock also needs a connected door phone: the model only
    // says whether it has a clock.
    if (name == QLatin1String("Button1") || name == QLatin1String("SendtimefromPC1")) {
        clockFeature_ = enabled;
        ApplyDeviceCommandState();
        return;
    }
    if (QWidget* w = Control(name))
        w->setEnabled(enabled);
    else if (QAction* a = Action(name))
        a->setEnabled(enabled);
}

void TForm1::SetEmphasis(const QString& name, bool bold, int pointSize) {
    if (QWidget* w = Control(name)) w->setFont(Adjusted(w->font(), pointSize, bold));
}

void TForm1::SetTreeEntry(int entry, const QString& text, bool icons) {
    tree_->SetEntry(entry, text, icons);
}

bool TForm1::IsEnabled(const QString& name) const {
    if (name == QLatin1String("Button1") || name == QLatin1String("SendtimefromPC1"))
        return clockFeature_ && deviceCommandsOn_;
    if (QWidget* w = Control(name)) return w->isEnabled();
    if (QAction* a = Action(name)) return a->isEnabled();
    return false;
}

// ---- start and close -----------------------------------------------------------------------

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!startupDone_) {
        startupDone_ = true;
        Forw();
    }
}

void TForm1::ReportFolderNotWritable(const QString& what, const QString& error) {
    if (folderWarned_) return;
    folderWarned_ = true;
    // Say where what still can be kept goes, so that nobody looks for it in the wrong place.
    const QString data = QDir::toNativeSeparators(Folders().DataFolder());
    const QString text =
        what == QLatin1String(CommLog::kFileName)
            ? QStringLiteral("The communication log cannot be written in %1 (%2). NorvaSet runs "
                             "on without the log.")
                  .arg(data, error)
            : QStringLiteral("The program folder %1 cannot be written (%2: %3). NorvaSet runs "
                             "on, but does not keep its configuration. Backups and the "
                             "communication log go to %4.")
                  .arg(QDir::toNativeSeparators(ProgramFolder()), what, error, data);
    ShowMessage(text, QString(), MsgIcon::Warning);
}

void TForm1::Forw() {
    // 1-2: start with the device commands off and nothing pending.
    launchKeyProgram_ = false;
    SetDeviceCommandsEnabled(false);
    session_->Comm().DropContinuation();
    session_->Comm().SetSendFFlag(false);
    // 3-4: the first page, then the first tree entry, which shows the model page.
    programFolder_ = ProgramFolder();
    pages_.area->setCurrentIndex(0);
    tree_->setCurrentItem(tree_->Entry(0));
    fileMenu_->SetPrefillSaveName(false);
    // 5
    setWindowTitle(ProgramCaption(QStringLiteral("NorvaSet"), ProgramVersionText()));
    // 6
    ListLanguageFiles();
    // 7-11: Config.ini, the log, the language file, the defaults and the template
    session_->StartUp();
    // 12
    logFile1_->setText(texts_.Text(log_.Enabled() ? keys::kLogOn : keys::kLogOff));
    // 13
    setWindowTitle(ProgramCaption(texts_.Text(keys::kProgramName), ProgramVersionText()));
    // 14
    session_->ConnectAndPoll();
    // 15
    fileMenu_->OpenFromCommandLine(options_.hasSettingsFile, options_.settingsFile);
}

void TForm1::ListLanguageFiles() {
    int n = 0;
    for (const QString& path : Folders().List(QStringLiteral("*.LNG"))) {
        if (n >= 20) break;
        const QString name = QFileInfo(path).fileName();
        // "&" in a file name is shown, not taken for an accelerator.
        languageItems_[n]->setText(
            name.left(name.size() - 4).replace(QLatin1Char('&'), QStringLiteral("&&")));
        languageItems_[n]->setVisible(true);
        languageSlots_[n] = path;
        ++n;
    }
}

bool TForm1::OpenLog() {
    return session_->OpenLog();
}

void TForm1::LogFile1Click() {
    if (log_.Enabled()) {
        logFile1_->setText(texts_.Text(keys::kLogOff));
        log_.Close(false);
        return;
    }
    logFailureShown_ = false;
    if (OpenLog()) logFile1_->setText(texts_.Text(keys::kLogOn));
}

void TForm1::Print1Click() {
    // One printout at a time: "Print" stays off until this one has ended.
    QAction* print = Action(QStringLiteral("Print1"));
    print->setEnabled(false);
    if (PrintSettings(*this, *dialogs_))
        statusBar()->showMessage(texts_.Text(keys::kPrinted), 30000);
    print->setEnabled(true);
}

void TForm1::LanguageItemClick(int slot) {
    // "none" (no file listed) does nothing; the check mark stays with the language in use.
    if (languageSlots_[slot].size() > 4) {
        programFolder_ = ProgramFolder();
        session_->ApplyLanguageFile(languageSlots_[slot]);
    }
    MarkLanguageInUse();
}

void TForm1::key1Click() {
    launchKeyProgram_ = true;
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    Communicator& comm = session_->Comm();
    // A transfer is not cut off halfway: the door phone would keep a mix of old and new.
    if (comm.CommandBusy() || guarded_->Busy()) {
        launchKeyProgram_ = false;
        ShowMessage(texts_.Text(keys::kBusyOnClose), QString(), MsgIcon::Information);
        event->ignore();
        return;
    }
    // The poll stops before the save question, so that no communication error opens over
    // it or over the file dialog.
    const bool polling = comm.TimerRunning(EngineTimer::Poll);
    comm.PrepareForClose();
    // 1: the save question. Settings that were to be saved and were not (the dialog was
    // cancelled, or the file could not be written and the reason was shown) are not
    // thrown away: the window stays, with them.
    if (AskYesNo(texts_.Text(keys::kSaveBeforeClosing), texts_.Text(keys::kSaveFileCaption),
                 MsgIcon::Question)) {
        fileMenu_->SetPrefillSaveName(true);
        const bool saved = fileMenu_->Saveas1Click();
        if (!saved) {
            fileMenu_->SetPrefillSaveName(false);
            launchKeyProgram_ = false;
            comm.CloseCancelled(polling);
            event->ignore();
            return;
        }
    }
    // 2
    QString error;
    if (!AppConfig::Write(ProgramFolder(), QFileInfo(session_->LanguagePath()).fileName(),
                          log_.Enabled(), model_.Choice(QLatin1String(kModelSelectorField)),
                          &error))
        ReportFolderNotWritable(QLatin1String(AppConfig::kFileName), error);
    else
        backupMenu_->KeepOptions();
    // 3
    if (log_.Enabled()) log_.Close(true);
    session_->Comm().StopTimers();
    timer1_->stop();
    timer2_->stop();
    // 4
    if (launchKeyProgram_) {
        const QString program = Folders().ProgramFolder() + texts_.Text(keys::kKeyProgramFile);
        QProcess::startDetached(program, {}, Folders().ProgramFolder());
    }
    event->accept();
}

// ---- timers --------------------------------------------------------------------------------

void TForm1::TimerChanged(EngineTimer timer, bool running, int intervalMs) {
    if (!options_.driveTimers) return;
    QTimer* t = timer == EngineTimer::Transfer ? timer1_ : timer2_;
    if (!t) return;
    if (running)
        t->start(intervalMs);
    else
        t->stop();
}

void TForm1::Timer1Timer() {
    session_->Comm().TransferTick();
}

void TForm1::Timer2Timer() {
    // The window never stays smaller than its minimum size.
    if (height() <= kMinHeight - 1) resize(width(), kMinHeight);
    if (width() < kMinWidth) resize(kMinWidth, height());
    session_->Comm().PollTick();
}

// ---- door-phone commands ------------------------------------------------------------------

void TForm1::Readparameters1Click() {
    StartGuarded(false, BackupContent::Parameters);
}

void TForm1::Readphonenumbers1Click() {
    StartGuarded(false, BackupContent::Numbers);
}

void TForm1::Readall1Click() {
    StartGuarded(false, BackupContent::All);
}

void TForm1::Writeparameters1Click() {
    StartGuarded(true, BackupContent::Parameters);
}

void TForm1::Writephonenumbers1Click() {
    StartGuarded(true, BackupContent::Numbers);
}

void TForm1::Writeall1Click() {
    StartGuarded(true, BackupContent::All);
}

void TForm1::Button1Click() {
    if (!SettleField()) return;
    session_->Comm().SetClockFromPc();
}

void TForm1::SendtimefromPC1Click() {
    Button1Click();
}

void TForm1::Image2Click() {
    if (!SettleField()) return;
    session_->Comm().SwitchDayNight();
}

// The field being edited is checked before anything goes to or comes from the door phone.
// A value it refuses stops the command here, with the check's own message once: nothing
// is read, backed up or written with a value the installer has not finished.
bool TForm1::SettleField() {
    QWidget* field = QApplication::focusWidget();
    if (!field || !pages_.area->isAncestorOf(field)) field = focusWidget();
    if (!field || !pages_.area->isAncestorOf(field)) return true;
    if (!binder_->RunExitCheck(field->objectName())) return false;
    // Checked: the move to the status bar must not check it a second time.
    const bool wasSuspended = binder_->ChecksSuspended();
    binder_->SetChecksSuspended(true);
    statusBar()->setFocus(Qt::OtherFocusReason);
    binder_->SetChecksSuspended(wasSuspended);
    return true;
}

GuardedPlan TForm1::PlanFor(BackupContent what) const {
    GuardedPlan plan;
    plan.what = what;
    plan.backupBefore = backupMenu_->Options().backupBeforeWrite;
    plan.verifyAfter = backupMenu_->Options().verifyAfterWrite;
    // "Backups" beside the logs, else in the user's data folder.
    plan.dataFolder = Folders().DataFolder();
    plan.backupFallback = Folders().UserDataFolder() + QLatin1String(BackupFolder::kFolderName);
    plan.modelName = model_.ChoiceText(QLatin1String(kModelSelectorField));
    plan.firmware = [this] { return session_->Comm().Status().versionText; };
    // Backups are named by the PC's own clock (unset), whatever clock the session runs on:
    // the simulator's runs ahead, and names must sort as the backups were made.
    plan.now = options_.backupClock;
    return plan;
}

void TForm1::StartGuarded(bool write, BackupContent what) {
    if (guarded_->Busy() || !SettleField()) return;
    statusBar()->clearMessage();
    const GuardedPlan plan = PlanFor(what);
    if (write)
        guarded_->Write(plan);
    else
        guarded_->Read(plan);
}

// How a guarded read or write ended, said once: in the status line when it went well, in
// a box when something is left for the installer to decide.
void TForm1::GuardedEnded(const GuardedReport& report) {
    progress_->setTextVisible(false);
    progress_->setFormat(QString());
    const QString backup = report.backupPath.isEmpty()
                               ? QString()
                               : QStringLiteral(" - ") + texts_.Text(keys::kBackupSaved) +
                                     QStringLiteral(": ") + QFileInfo(report.backupPath).fileName();
    const auto confirm = [this](const QString& text) { statusBar()->showMessage(text, 30000); };
    switch (report.result) {
    case GuardedResult::Read: confirm(texts_.Text(keys::kReadDone) + backup); return;
    case GuardedResult::Written: confirm(texts_.Text(keys::kWrittenNotReadBack) + backup); return;
    case GuardedResult::Verified: confirm(texts_.Text(keys::kWriteVerified) + backup); return;
    case GuardedResult::ReadFailed:
    case GuardedResult::NotStarted: return; // the engine or the question has said why
    case GuardedResult::BackupReadFailed:
        ShowMessage(texts_.Text(keys::kBackupNotSaved), QString(), MsgIcon::Error);
        return;
    case GuardedResult::BackupNotSaved:
        ShowMessage(texts_.Text(keys::kBackupNotSaved) + QStringLiteral("\n") + report.error,
                    QString(), MsgIcon::Error);
        return;
    case GuardedResult::WriteFailed: {
        QString text = texts_.Text(keys::kWriteUnfinished);
        if (!report.backupPath.isEmpty())
            text += QStringLiteral("\n") + texts_.Text(keys::kBackupBeforeWriteIs)
                                               .arg(QDir::toNativeSeparators(report.backupPath));
        text += QStringLiteral("\n\n") + texts_.Text(keys::kWriteAgain);
        if (!dialogs_->YesNo(this, text, QString(), MsgIcon::Warning)) return;
        // Again, without a second backup: the door phone now holds a mix, and the backup
        // that counts is the one from before the first try.
        GuardedPlan plan = PlanFor(guarded_->Plan().what);
        plan.backupBefore = false;
        guarded_->Write(plan);
        return;
    }
    case GuardedResult::ReadBackFailed:
        ShowMessage(texts_.Text(keys::kReadBackFailed), QString(), MsgIcon::Error);
        return;
    case GuardedResult::Differs:
        backupMenu_->ShowRows(WithoutAccelerator(texts_.Text(keys::kVerifyAfterWriteItem)),
                              texts_.Text(keys::kWriteDiffers), report.rows,
                              texts_.Text(keys::kInTheWindow), texts_.Text(keys::kInTheDoorPhone));
        return;
    }
}

// ---- HostPort ------------------------------------------------------------------------------

void TForm1::ShowStatus(const DeviceStatus& status, bool fresh) {
    ShowCablePanel();
    panels_[1]->SetText(QStringLiteral("Firmware: ") + (fresh ? status.versionText : QString()));
    ShowFilePanel();
    panels_[3]->SetText(texts_.Text(keys::kResetsPanel) + QStringLiteral(": ") +
                        (fresh ? status.resetsText : QString()));
    panels_[4]->SetText(texts_.Text(keys::kLocalPanel));
    // While the door phone stays silent the status line says so, beside the file's name.
    ShowStatusError(status.silent);
}

void TForm1::ShowCablePanel() {
    const DoorPhoneLink& link = session_->Link();
    QString shown = QStringLiteral("USB: ") + link.CableStatusText();
    QString hint;
    // A cable that will not open says why instead of an empty "USB: ", the whole story
    // under the mouse.
    if (!link.Connected()) {
        const OpenProblem& problem = link.LastOpenProblem();
        if (problem.reason != OpenFailure::None) {
            shown = QStringLiteral("USB: ") + OpenProblemBrief(problem);
            hint = OpenProblemText(problem, QLatin1String(CableFor(link.Kind()).description));
        }
    }
    panels_[0]->SetText(shown);
    panels_[0]->SetHint(hint);
}

void TForm1::ShowFilePanel() {
    // The file's name, and its folder under the mouse.
    const QString file = fileMenu_ ? fileMenu_->SettingsFileName() : QString();
    panels_[2]->SetText(texts_.Text(keys::kFilePanel) + QStringLiteral(": ") +
                        SettingsFileShortName(file));
    panels_[2]->SetHint(file.isEmpty() ? QString() : QDir::toNativeSeparators(file));
}

void TForm1::ShowStatusError(bool silent) {
    if (!errorPanel_) return;
    // A cable that went away says so rather than that the door phone is silent.
    const DoorPhoneLink& link = session_->Link();
    QString text;
    if (link.Lost() && !link.Connected())
        text = texts_.Text(keys::kCableDisconnected);
    else if (silent)
        text = texts_.Text(keys::kNoAnswer);
    errorPanel_->SetText(text);
    errorPanel_->SetHint(text);
    errorPanel_->setVisible(!text.isEmpty());
}

QString TForm1::StatusPanelText(int panel) const {
    return panel >= 0 && panel < 5 ? panels_[panel]->Text() : QString();
}

QString TForm1::StatusErrorText() const {
    return errorPanel_->isHidden() ? QString() : errorPanel_->Text();
}

StatusPanel* TForm1::StatusBarPanel(int panel) const {
    return panel >= 0 && panel < 5 ? panels_[panel] : nullptr;
}

void TForm1::SetClockLabels(const QString& deviceTime, const QString& pcTime) {
    static_cast<QLabel*>(frame_.value(QStringLiteral("Label4")))->setText(deviceTime);
    static_cast<QLabel*>(frame_.value(QStringLiteral("Label5")))->setText(pcTime);
}

void TForm1::ShowDayNightImages(bool dayVisible, bool nightVisible) {
    frame_.value(QStringLiteral("Image2"))->setVisible(dayVisible);
    frame_.value(QStringLiteral("Image1"))->setVisible(nightVisible);
}

void TForm1::FocusStatusBar() {
    QWidget* field = QApplication::focusWidget();
    if (!field || !pages_.area->isAncestorOf(field)) field = focusWidget();
    statusBar()->setFocus(Qt::OtherFocusReason);
    // A window in the background gets no focus events: run the check of the field that
    // would have lost the focus all the same.
    if (!isActiveWindow() && field && pages_.area->isAncestorOf(field))
        binder_->RunExitCheck(field->objectName());
}

void TForm1::SetModelSelectorEnabled(bool enabled) {
    if (QWidget* w = Control(QLatin1String(kModelSelectorField))) w->setEnabled(enabled);
}

bool TForm1::ButtonCountFieldVisible() const {
    const QWidget* w = Control(QLatin1String(kButtonCountField));
    return w && !w->isHidden();
}

void TForm1::FocusButtonCountField() {
    tree_->setCurrentItem(tree_->Entry(0));
    if (QWidget* w = Control(QLatin1String(kButtonCountField))) w->setFocus(Qt::OtherFocusReason);
}

void TForm1::ShowMessage(const QString& text, const QString& caption, MsgIcon icon) {
    dialogs_->Message(this, text, caption, icon);
}

bool TForm1::AskYesNo(const QString& text, const QString& caption, MsgIcon icon) {
    return dialogs_->YesNo(this, text, caption, icon);
}

void TForm1::ShowProgress(bool visible) {
    progress_->setVisible(visible);
}

void TForm1::SetProgress(int position) {
    progress_->setValue(qBound(0, position, 255));
}

void TForm1::SetDeviceCommandsEnabled(bool enabled) {
    deviceCommandsOn_ = enabled;
    ApplyDeviceCommandState();
}

void TForm1::ApplyDeviceCommandState() {
    for (const char* name : kDeviceActions)
        if (QAction* a = Action(QLatin1String(name)))
            a->setEnabled(deviceCommandsOn_ &&
                          (clockFeature_ || qstrcmp(name, "SendtimefromPC1") != 0));
    for (const char* name : kDeviceWidgets)
        if (QWidget* w = Control(QLatin1String(name)))
            w->setEnabled(deviceCommandsOn_ && (clockFeature_ || qstrcmp(name, "Button1") != 0));
}

void TForm1::ProcessMessages() {
    QCoreApplication::processEvents();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // A click on either day/night picture switches the door phone's mode.
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->isEnabled() &&
            (w->objectName() == QLatin1String("Image1") ||
             w->objectName() == QLatin1String("Image2"))) {
            Image2Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
