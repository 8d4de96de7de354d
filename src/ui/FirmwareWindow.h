#pragma once
// The firmware window (TForm4): loads a HEX file, checked whole before the write button
// comes on, and writes it into the door phone's loader with the upgrade engine, showing
// both progress bars, the status label and, when the run has ended, the firmware log.
// While a run is in progress nothing of the window can be used and it cannot be closed;
// every run ends in one of the four endings with "Cancel" on, a failed one with the error
// icon and what happened, and the firmware log in view down to its last line.

#include "FirmwareUpgrade.h"
#include "HexImage.h"
#include "TextKeys.h"

#include <QDialog>
#include <functional>
#include <memory>

class CommLog;
class Dialogs;
class DoorPhoneLink;
class LanguageTexts;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

struct FirmwareWindowContext {
    DoorPhoneLink* link = nullptr;
    ClockPort* clock = nullptr;
    Dialogs* dialogs = nullptr;
    const LanguageTexts* texts = nullptr;
    CommLog* log = nullptr;
    std::function<QString()> programFolder; // Config.ini's, with a trailing separator
    std::function<QString()> logFolder;     // the firmware log's; unset = programFolder
    std::function<bool()> sendFFlag;
    std::function<void(bool)> setSendFFlag;
    // false: the engine's timer is not run by QTimer; the caller ticks it (tests).
    bool driveTimer = true;
};

class FirmwareWindow : public QDialog, public FirmwarePort {
    Q_OBJECT
public:
    explicit FirmwareWindow(const FirmwareWindowContext& context, QWidget* parent = nullptr);
    ~FirmwareWindow() override;

    // Handlers by their control and event names.
    void FormShow();
    void Button1Click(); // "Open file *.HEX "
    void Button2Click(); // "Write to DoorPhone Norva"
    void Button3Click(); // "Cancel"
    void Timer1Timer();
    void FormClose();

    FirmwareUpgrade& Engine() { return *engine_; }
    const FirmwareImage& Image() const { return image_; }
    // Puts the language texts on the window's captions.
    void ApplyTexts();

    // FirmwarePort
    void SetStatusLabel(const QString& text) override;
    void SetStatusColour(FwLabelColour colour) override;
    void SetProgressRange(int max1, int max2) override;
    void SetProgress(int value1, int value2, const QString& text) override;
    void SetBlockLabels(const QString& block, const QString& byte) override;
    void ShowEndingMessage(const FwReport& report, const QString& message) override;
    void RunEnded(const FwReport& report, const QString& log) override;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString Text(TextKey key) const;
    void Refuse(const QString& text);
    void SyncTimer();
    void Log(const QString& text);

    FirmwareWindowContext context_;
    std::unique_ptr<FirmwareUpgrade> engine_;
    QString lastHexFile_;
    QString sourceFile_;
    QStringList loaded_;
    FirmwareImage image_;
    bool closing_ = false;

    QPushButton* button1_;
    QPushButton* button2_;
    QPushButton* button3_;
    QProgressBar* progress1_;
    QProgressBar* progress2_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* label3_;
    QLabel* label4_;
    QLabel* label5_;
    QPlainTextEdit* memo1_;
    QPlainTextEdit* memo2_;
    QTimer* timer1_;
};
