#include "ToneWindow.h"

#include "CommLog.h"

#include <QApplication>
#include <QPushButton>

const TForm6::Tone TForm6::kTones[13] = {
    {"Button1", 0, 0, "Pickup1.WAV"},
    {"Button2", 0, 1, "Pickup2.WAV"},
    {"Button3", 0, 2, "Confirm.WAV"},
    {"Button4", 0, 3, "Tick.WAV"},
    {"Button5", 0, 4, "Lock.WAV"},
    {"Button6", 0, 5, "Start.WAV"},
    {"Button14", 0, 6, "Allert.WAV"},
    {"Button7", 1, 0, "Hangup1.WAV"},
    {"Button8", 1, 1, "Hangup2.WAV"},
    {"Button9", 1, 2, "Error.WAV"},
    {"Button10", 1, 3, "Entertoprogram.WAV"},
    {"Button11", 1, 4, "Programing.WAV"},
    {"Button12", 1, 5, "Emptymemory.WAV"},
};

namespace {
// The window's fixed layout: two columns of 193 x 33 buttons, "Cancel" smaller at the
// bottom right.
constexpr int kWidth = 435, kHeight = 376;
constexpr int kLeft = 16, kRight = 226, kTop = 16, kPitch = 44;
constexpr int kButtonWidth = 193, kButtonHeight = 33;
} // namespace

TForm6::TForm6(Host host, QWidget* parent) : QDialog(parent), host_(std::move(host)) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Samples of audio signals"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kWidth, kHeight);
    const char* const captions[13] = {"Pickup line typ 1",
                                      "Pickup line typ 2",
                                      "Confirm tone",
                                      "Tick to the conversation",
                                      "Signalling close relay",
                                      "Start after reset",
                                      "End of conversation",
                                      "Hangup line typ 1",
                                      "Hangup line typ 2",
                                      "Error tone",
                                      "Enter to programming",
                                      "Programming tone",
                                      "Empty memory"};
    for (int i = 0; i < 13; ++i) {
        const Tone& t = kTones[i];
        auto* button = new QPushButton(QLatin1String(captions[i]), this);
        button->setObjectName(QLatin1String(t.button));
        button->setGeometry(t.column == 0 ? kLeft : kRight, kTop + t.row * kPitch, kButtonWidth,
                            kButtonHeight);
        const QString name = button->objectName();
        connect(button, &QPushButton::clicked, this, [this, name] { ButtonClick(name); });
    }
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button13"));
    cancel->setGeometry(kRight + kButtonWidth - 97, kTop + 7 * kPitch, 97, 25);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QPushButton* TForm6::Button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

void TForm6::ButtonClick(const QString& name) {
    for (const Tone& t : kTones) {
        if (name != QLatin1String(t.button)) continue;
        const QString path =
            host_.locate ? host_.locate(QLatin1String(t.file)) : QLatin1String(t.file);
        // The window takes no input until the sound has ended.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (host_.playSound) host_.playSound(path);
        if (host_.log) host_.log->LogLine(QStringLiteral("play: ") + path);
        QApplication::restoreOverrideCursor();
        return;
    }
}
