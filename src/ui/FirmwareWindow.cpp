#include "FirmwareWindow.h"

#include "AppConfig.h"
#include "CommLog.h"
#include "Dialogs.h"
#include "DoorPhoneLink.h"
#include "LanguageApply.h"
#include "LanguageTable.h"
#include "LanguageTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kWindowName = QStringLiteral("TForm4");

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

FirmwareWindow::FirmwareWindow(const FirmwareWindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Tool for firmware upgrade"));
    setModal(true);
    engine_ =
        std::make_unique<FirmwareUpgrade>(*context_.link, *context_.clock, *this, *context_.texts);

    button1_ = Named(new QPushButton(QStringLiteral("Open file *.HEX "), this), "Button1");
    button2_ = Named(new QPushButton(QStringLiteral("Write to DoorPhone Norva"), this), "Button2");
    button3_ = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button3");
    progress1_ = Named(new QProgressBar(this), "ProgressBar1");
    progress2_ = Named(new QProgressBar(this), "ProgressBar2");
    for (QProgressBar* bar : {progress1_, progress2_}) {
        bar->setRange(0, 1);
        bar->setValue(0);
        bar->setTextVisible(false);
    }
    // The tens of blocks carry the block in words: "block 195 of 1919".
    progress1_->setFormat(QString());
    progress1_->setTextVisible(true);
    label1_ = Named(new QLabel(QLatin1String(FirmwareUpgrade::kIdleLabel), this), "Label1");
    QFont bold = label1_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    label1_->setFont(bold);
    label1_->setAlignment(Qt::AlignCenter);
    label2_ = Named(new QLabel(this), "Label2");
    label2_->setWordWrap(true);
    label3_ = Named(new QLabel(QStringLiteral("NorvaSet"), this), "Label3");
    label3_->setAlignment(Qt::AlignCenter);
    label4_ = Named(new QLabel(this), "Label4");
    label5_ = Named(new QLabel(this), "Label5");
    memo1_ = Named(new QPlainTextEdit(this), "Memo1");
    memo2_ = Named(new QPlainTextEdit(this), "Memo2");
    for (QPlainTextEdit* memo : {memo1_, memo2_}) {
        memo->setReadOnly(true);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        QFont fixed = memo->font();
        fixed.setFamily(QStringLiteral("Monospace"));
        fixed.setStyleHint(QFont::TypeWriter);
        memo->setFont(fixed);
        memo->installEventFilter(this);
    }
    memo2_->hide();

    auto* side = new QVBoxLayout;
    side->addWidget(label3_);
    side->addWidget(button1_);
    side->addWidget(label2_);
    side->addWidget(button2_);
    side->addSpacing(8);
    side->addWidget(label1_);
    side->addWidget(progress1_);
    side->addWidget(progress2_);
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(label4_);
    numbers->addStretch(1);
    numbers->addWidget(label5_);
    side->addLayout(numbers);
    side->addWidget(memo2_, 1);
    side->addStretch(0);
    side->addWidget(button3_);
    auto* root = new QHBoxLayout(this);
    root->addWidget(memo1_, 3);
    root->addLayout(side, 2);
    resize(620, 420);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setTimerType(Qt::PreciseTimer);
    timer1_->setInterval(FirmwareUpgrade::kTimerMs);
    connect(timer1_, &QTimer::timeout, this, &FirmwareWindow::Timer1Timer);
    connect(button1_, &QPushButton::clicked, this, &FirmwareWindow::Button1Click);
    connect(button2_, &QPushButton::clicked, this, &FirmwareWindow::Button2Click);
    connect(button3_, &QPushButton::clicked, this, &FirmwareWindow::Button3Click);
    installEventFilter(this);
    ApplyTexts();
}

FirmwareWindow::~FirmwareWindow() {
    timer1_->stop();
}

QString FirmwareWindow::Text(TextKey key) const {
    return context_.texts->Text(key);
}

void FirmwareWindow::Log(const QString& text) {
    if (context_.log) context_.log->LogLine(text);
}

void FirmwareWindow::ApplyTexts() {
    LanguageSurface surface;
    surface.find = [this](const QString& target) -> QObject* {
        if (target == kWindowName) return this;
        if (!target.startsWith(kWindowName + QLatin1Char('.'))) return nullptr;
        return findChild<QObject*>(target.mid(kWindowName.size() + 1));
    };
    surface.treeEntry = [](int, const QString&) {};
    surface.pageTitle = [] {};
    ApplyLanguageTexts(*context_.texts, surface);
}

// ---- showing and closing -------------------------------------------------------------------

void FirmwareWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void FirmwareWindow::FormShow() {
    closing_ = false;
    Log(QStringLiteral("Go to FIRMWARE programing"));
    ApplyTexts();
    lastHexFile_ = AppConfig::ReadLastHexFile(context_.programFolder());
    if (lastHexFile_.size() < 3) lastHexFile_ = context_.programFolder();
    label1_->setText(QLatin1String(FirmwareUpgrade::kIdleLabel));
    SetStatusColour(FwLabelColour::Normal);
    loaded_.clear();
    image_ = FirmwareImage();
    sourceFile_.clear();
    button1_->setEnabled(true);
    button2_->setEnabled(false);
    button3_->setEnabled(true);
    memo1_->clear();
    label2_->clear();
    context_.link->ConnectAttempt();
    if (!context_.link->Connected()) return;
    context_.link->ReceiveDrain();
    progress1_->setValue(0);
    progress1_->setFormat(QString());
    progress2_->setValue(0);
    memo2_->clear();
    memo2_->hide();
    label3_->setText(Text(keys::kUpgradeDoorPhone));
    label4_->clear();
    label5_->clear();
}

void FirmwareWindow::done(int result) {
    // A run in progress cannot be left: the door phone would keep half a program.
    if (engine_->Running()) return;
    FormClose();
    QDialog::done(result);
}

void FirmwareWindow::closeEvent(QCloseEvent* event) {
    if (engine_->Running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void FirmwareWindow::FormClose() {
    if (closing_) return;
    closing_ = true;
    timer1_->stop();
    if (context_.setSendFFlag) context_.setSendFFlag(false);
    AppConfig::WriteLastHexFile(context_.programFolder(), lastHexFile_);
    Log(QStringLiteral("Leave the FIRMWARE programing"));
}

void FirmwareWindow::Button3Click() {
    reject();
}

bool FirmwareWindow::eventFilter(QObject* watched, QEvent* event) {
    // Typed characters are discarded, Escape included: the window is left by "Cancel".
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty() || key->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- loading -------------------------------------------------------------------------------

void FirmwareWindow::Refuse(const QString& text) {
    // Nothing of a refused file stays in view or can be written.
    memo1_->clear();
    loaded_.clear();
    image_ = FirmwareImage();
    button2_->setEnabled(false);
    context_.dialogs->Message(this, text, QString(), MsgIcon::Error);
}

void FirmwareWindow::Button1Click() {
    FileDialogRequest request;
    request.title = Text(keys::kHexFileTitle);
    request.filter = Text(keys::kHexFileType) + QStringLiteral(" (*.HEX *.hex)");
    request.defaultSuffix = QStringLiteral("HEX");
    request.initialDir =
        QFileInfo(lastHexFile_).isDir() ? lastHexFile_ : QFileInfo(lastHexFile_).absolutePath();
    const QString name = context_.dialogs->OpenFile(this, request);
    if (name.isEmpty()) return;
    sourceFile_ = name;
    lastHexFile_ = name;
    label2_->setText(name);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1).trimmed().toUpper();
    if (name.size() <= 7 || extension != QLatin1String("HEX")) {
        Refuse(Text(keys::kHexFileRefused));
        return;
    }
    const HexLoad load = LoadHexFile(name);
    if (!load.check.Ok()) {
        Refuse(Text(keys::kHexFileRefused) + QLatin1Char('\n') +
               HexFaultText(load.check, *context_.texts));
        return;
    }
    loaded_ = load.loaded;
    image_ = load.image;
    memo1_->setPlainText(loaded_.join(QLatin1Char('\n')));
    memo1_->verticalScrollBar()->setValue(memo1_->verticalScrollBar()->maximum());
    memo1_->setFocus(Qt::OtherFocusReason);
    button2_->setEnabled(true);
    Log(QStringLiteral("Source : ") + name);
}

// ---- writing -------------------------------------------------------------------------------

void FirmwareWindow::Button2Click() {
    if (image_.blocks.isEmpty()) return;
    if (!context_.link->Connected()) {
        context_.dialogs->Message(this, Text(keys::kUpgradeNotConnected),
                                  Text(keys::kUpgradeCaption), MsgIcon::Error);
        return;
    }
    const QString question = Text(keys::kUpgradeTakesTime) + QLatin1Char('\n') +
                             Text(keys::kUpgradeKeepConnected) + QLatin1Char('\n') +
                             Text(keys::kUpgradeKeepPowered) + QStringLiteral("\n\n") +
                             Text(keys::kUpgradeConfirm);
    if (!context_.dialogs->YesNo(this, question, Text(keys::kUpgradeCaption), MsgIcon::Error, true))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    button1_->setEnabled(false);
    button2_->setEnabled(false);
    button3_->setEnabled(false);
    memo2_->clear();
    memo2_->hide();
    const bool sendF = context_.sendFFlag && context_.sendFFlag();
    const QString logFolder = context_.logFolder ? context_.logFolder() : context_.programFolder();
    const bool started = engine_->Start(image_, sendF, logFolder);
    QApplication::restoreOverrideCursor();
    if (!started) {
        button1_->setEnabled(true);
        button2_->setEnabled(true);
        button3_->setEnabled(true);
        context_.dialogs->Message(this, Text(keys::kUpgradeNotConnected),
                                  Text(keys::kUpgradeCaption), MsgIcon::Error);
        return;
    }
    SyncTimer();
}

void FirmwareWindow::SyncTimer() {
    if (!context_.driveTimer) return;
    // A steady 1 ms pace while the engine's timer runs; it stops with the run.
    if (!engine_->TimerRunning())
        timer1_->stop();
    else if (!timer1_->isActive())
        timer1_->start();
}

void FirmwareWindow::Timer1Timer() {
    engine_->Timer1Timer();
    SyncTimer();
}

// ---- FirmwarePort --------------------------------------------------------------------------

void FirmwareWindow::SetStatusLabel(const QString& text) {
    label1_->setText(text);
}

void FirmwareWindow::SetStatusColour(FwLabelColour colour) {
    QPalette p = label1_->palette();
    const QColor c = colour == FwLabelColour::Blue      ? QColor(Qt::blue)
                     : colour == FwLabelColour::Fuchsia ? QColor(Qt::magenta)
                                                        : palette().color(QPalette::WindowText);
    if (p.color(QPalette::WindowText) == c) return;
    p.setColor(QPalette::WindowText, c);
    label1_->setPalette(p);
}

void FirmwareWindow::SetProgressRange(int max1, int max2) {
    progress1_->setRange(0, qMax(1, max1));
    progress2_->setRange(0, qMax(1, max2));
}

void FirmwareWindow::SetProgress(int value1, int value2, const QString& text) {
    progress1_->setValue(qBound(0, value1, progress1_->maximum()));
    progress2_->setValue(qBound(0, value2, progress2_->maximum()));
    progress1_->setFormat(text);
}

void FirmwareWindow::SetBlockLabels(const QString& block, const QString& byte) {
    label4_->setText(block);
    label5_->setText(byte);
}

void FirmwareWindow::ShowEndingMessage(const FwReport& report, const QString& message) {
    // A failed run says what happened below the ending's own text, with the error icon.
    if (report.Finished())
        context_.dialogs->Message(this, message, QString(), MsgIcon::Information);
    else
        context_.dialogs->Message(this, message + QStringLiteral("\n\n") + report.detail, QString(),
                                  MsgIcon::Error);
}

void FirmwareWindow::RunEnded(const FwReport&, const QString& log) {
    timer1_->stop();
    button1_->setEnabled(false);
    button2_->setEnabled(false);
    button3_->setEnabled(true);
    memo2_->setPlainText(log);
    memo2_->show();
    // The ending is at the foot of the log.
    memo2_->moveCursor(QTextCursor::End);
    memo2_->verticalScrollBar()->setValue(memo2_->verticalScrollBar()->maximum());
    if (!engine_->LogError().isEmpty())
        context_.dialogs->Message(
            this, Text(keys::kFirmwareLogNotWritten) + QStringLiteral(": ") + engine_->LogError(),
            QString(), MsgIcon::Warning);
}
