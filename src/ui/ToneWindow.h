#pragma once
// The tone samples window (TForm6): fourteen buttons, each playing a recording of one of the
// door phone's signalling tones so that an installer recognises it on the line, and
// "Cancel". Created with the main window, shown modally.

#include "DesktopServices.h"

#include <QDialog>
#include <functional>

class CommLog;
class QPushButton;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    struct Host {
        CommLog* log = nullptr;
        // Full path of a shipped file by its name.
        std::function<QString(const QString& name)> locate;
        std::function<void(const QString& path)> playSound;
    };

    // The sound buttons: object name, column (0 left, 1 right), row, sound file.
    struct Tone {
        const char* button;
        int column;
        int row;
        const char* file;
    };
    static const Tone kTones[13];

    explicit TForm6(Host host, QWidget* parent = nullptr);

    QPushButton* Button(const QString& name) const;
    // Plays the sound of a button ("Button1" .. "Button12", "Button14").
    void ButtonClick(const QString& name);

private:
    Host host_;
};
