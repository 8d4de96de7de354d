#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace {
// The language menu entries in their fixed order.
const char* const kLanguageItemNames[20] = {"az11", "a11", "a21", "a31", "a41", "a51", "a61",
                                            "a71",  "a81", "a91", "a01", "a02", "a03", "a04",
                                            "a05",  "a06", "a07", "a08", "a09", "a10"};
const int kPanelWidths[5] = {95, 110, 250, 90, 100};
} // namespace

TForm1::TForm1(const MainWindowOptions& options, QWidget* parent)
    : QMainWindow(parent), options_(options) {
    setObjectName(QStringLiteral("TForm1"));
    if (options.clock) {
        clock_ = options.clock;
    } else {
        ownClock_ = std::make_unique<RealClock>();
        clock_ = ownClock_.get();
    }
    if (options.dialogs) {
        dialogs_ = options.dialogs;
    } else {
        ownDialogs_ = std::make_unique<QtDialogs>();
        dialogs_ = ownDialogs_.get();
    }
    log_.SetClock(clock_);
    log_.onWriteFailed = [this](const QString& error) {
        if (logFailureShown_) return;
        logFailureShown_ = true;
        if (logFile1_) logFile1_->setText(texts_.Text(QStringLiteral("Menu"), 46));
        // Later, so that the exchange that was logging carries on undisturbed.
        QTimer::singleShot(0, this, [this, error] {
            ShowMessage(QStringLiteral("The communication log could not be written (%1). "
                                       "Logging has been switched off.")
                            .arg(error),
                        QString(), MsgIcon::Warning);
        });
    };
    backend_ = CreateBackend(options.backend, *clock_, [this] { return link_->Kind(); });
    link_ = std::make_unique<DoorPhoneLink>(*backend_.backend, *clock_, &log_);

    setWindowTitle(QStringLiteral("NorvaSet   V") + ProgramVersionText().left(4));
    BuildMenus();
    BuildStatusBar();
    resize(kMinWidth, kMinHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(2000);
    connect(timer2_, &QTimer::timeout, this, [this] {
        timer2_->setInterval(1000);
        Timer2Timer();
    });
}

TForm1::~TForm1() = default;

QString TForm1::ProgramFolder() const {
    const QString folder = options_.home.isEmpty() ? QCoreApplication::applicationDirPath()
                                                   : QDir(options_.home).absolutePath();
    return QDir::cleanPath(folder) + QLatin1Char('/');
}

void TForm1::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto addMenu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    auto addItem = [&](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };

    QMenu* file = addMenu("File1", QStringLiteral("File"));
    connect(addItem(file, "Exit1", QStringLiteral("Exit")), &QAction::triggered, this,
            &TForm1::Exit1Click);

    QMenu* option = addMenu("Option1", QStringLiteral("Option"));
    logFile1_ = addItem(option, "LogFile1", texts_.Text(QStringLiteral("Menu"), 46));
    connect(logFile1_, &QAction::triggered, this, &TForm1::LogFile1Click);

    QMenu* language = addMenu("Language1", QStringLiteral("Language"));
    for (int i = 0; i < 20; ++i) {
        languageItems_[i] = addItem(language, kLanguageItemNames[i],
                                    i == 0 ? QStringLiteral("none") : QString());
        languageItems_[i]->setVisible(i == 0);
    }
}

void TForm1::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setMinimumWidth(kPanelWidths[i]);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        if (i == 4) label->setLayoutDirection(Qt::RightToLeft);
        bar->addWidget(label, i == 2 ? 1 : 0);
        panels_[i] = label;
    }
}

void TForm1::SetStatusPanel(int panel, const QString& text) {
    panels_[panel]->setText(text);
}

QString TForm1::StatusPanelText(int panel) const {
    return panels_[panel]->text();
}

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
    ShowMessage(QStringLiteral("The program folder %1 cannot be written (%2: %3). NorvaSet runs "
                               "on, but keeps neither its configuration nor the log.")
                    .arg(QDir::toNativeSeparators(ProgramFolder()), what, error),
                QString(), MsgIcon::Warning);
}

void TForm1::Forw() {
    // 1-2: start with the device commands off and nothing pending.
    launchKeyProgram_ = false;
    SetDeviceCommandsEnabled(false);
    pollingAllowed_ = false;
    // 3-4
    programFolder_ = ProgramFolder();
    prefillSaveName_ = false;
    // 5
    setWindowTitle(QStringLiteral("NorvaSet   V") + ProgramVersionText().left(4));
    // 6
    ListLanguageFiles();
    // 7-8: Config.ini
    AppConfig config;
    QString error;
    if (!config.LoadOrCreate(programFolder_, &error))
        ReportFolderNotWritable(QLatin1String(AppConfig::kFileName), error);
    if (config.existed) {
        languagePath_ = programFolder_ + config.languageFile;
        startModelIndex_ = config.communicator;
    } else {
        languagePath_ = programFolder_ + QStringLiteral("English.lng");
    }
    // 9
    if (config.existed && config.logFile == 1) OpenLog();
    // 10
    if (languagePath_.size() > 8) ApplyLanguageFile();
    // 11: defaults and model template come with the parameter model and the templates.
    // 12
    logFile1_->setText(texts_.Text(QStringLiteral("Menu"), log_.Enabled() ? 45 : 46));
    // 13
    setWindowTitle(texts_.Text(QStringLiteral("Info"), 1) + QStringLiteral("  ") +
                   QStringLiteral(" V") + ProgramVersionText().left(4));
    // 14
    link_->ConnectAttempt();
    SetStatusPanel(0, QStringLiteral("USB: ") + link_->CableStatusText());
    if (link_->Connected()) pollingAllowed_ = true;
    timer2_->start();
    // 15
    settingsFileName_ = options_.hasSettingsFile ? options_.settingsFile : QString();
    if (options_.hasSettingsFile) {
        if (settingsFileName_.size() < 8) {
            ShowMessage(texts_.Text(QStringLiteral("Message"), 21), QString(), MsgIcon::None);
        } else if (settingsFileName_.mid(settingsFileName_.lastIndexOf(QLatin1Char('.')) + 1)
                       .trimmed()
                       .toUpper() != QLatin1String("NVS")) {
            ShowMessage(texts_.Text(QStringLiteral("Message"), 22), QString(), MsgIcon::None);
            settingsFileName_.clear();
        }
    }
}

void TForm1::ListLanguageFiles() {
    const QDir dir(programFolder_);
    const QStringList files =
        dir.entryList({QStringLiteral("*.LNG")}, QDir::Files | QDir::Hidden | QDir::System,
                      QDir::Name | QDir::IgnoreCase);
    int n = 0;
    for (const QString& name : files) {
        if (n >= 20) break;
        languageItems_[n]->setText(name.left(name.size() - 4));
        languageItems_[n]->setVisible(true);
        languageSlots_[n] = programFolder_ + name;
        ++n;
    }
}

bool TForm1::OpenLog() {
    if (log_.Open(ProgramFolder())) return true;
    ReportFolderNotWritable(QLatin1String(CommLog::kFileName), log_.ErrorString());
    return false;
}

void TForm1::ApplyLanguageFile() {
    // The language files come with the localisation work; until then the built-in texts.
    log_.LogLine(QStringLiteral("Language file: ") + languagePath_);
}

void TForm1::LogFile1Click() {
    if (log_.Enabled()) {
        logFile1_->setText(texts_.Text(QStringLiteral("Menu"), 46));
        log_.Close(false);
        return;
    }
    logFailureShown_ = false;
    if (OpenLog()) logFile1_->setText(texts_.Text(QStringLiteral("Menu"), 45));
}

void TForm1::Timer2Timer() {
    if (height() <= kMinHeight - 1) resize(width(), kMinHeight);
    if (width() < kMinWidth) resize(kMinWidth, height());
    link_->ConnectAttempt();
    SetDeviceCommandsEnabled(link_->Connected());
    SetStatusPanel(0, QStringLiteral("USB: ") + link_->CableStatusText());
}

void TForm1::closeEvent(QCloseEvent* event) {
    // 1: the save question ("Save as" comes with the settings files).
    if (AskYesNo(texts_.Text(QStringLiteral("Message"), 44),
                 texts_.Text(QStringLiteral("Message"), 45), MsgIcon::Question)) {
        prefillSaveName_ = true;
    }
    // 2
    QString error;
    if (!AppConfig::Write(ProgramFolder(), QFileInfo(languagePath_).fileName(), log_.Enabled(),
                          startModelIndex_, &error))
        ReportFolderNotWritable(QLatin1String(AppConfig::kFileName), error);
    // 3
    if (log_.Enabled()) log_.Close(true);
    timer1_->stop();
    timer2_->stop();
    // 4
    if (launchKeyProgram_) {
        const QString program = ProgramFolder() + texts_.Text(QStringLiteral("Menu"), 47);
        QProcess::startDetached(program, {}, ProgramFolder());
    }
    event->accept();
}

void TForm1::ShowMessage(const QString& text, const QString& caption, MsgIcon icon) {
    dialogs_->Message(this, text, caption, icon);
}

bool TForm1::AskYesNo(const QString& text, const QString& caption, MsgIcon icon) {
    return dialogs_->YesNo(this, text, caption, icon);
}

void TForm1::ShowProgress(bool) {}
void TForm1::SetProgress(int) {}

void TForm1::SetDeviceCommandsEnabled(bool enabled) {
    for (QAction* a : deviceCommands_) a->setEnabled(enabled);
}

void TForm1::ProcessMessages() {
    QCoreApplication::processEvents();
}
