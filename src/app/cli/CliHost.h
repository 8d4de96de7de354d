#pragma once
// What the engines show "on the main window", for the command line: messages and the
// answered question go to stderr, the progress bar too while stderr is a terminal. The
// exit code does not follow these texts: the engines say how each exchange ended, and the
// command line's own failures (no cable, a file that cannot be written) are Fail()ed.
//
// Whatever norvaset-cli writes to the terminal is printable: a file or a door phone may
// hold escape sequences or a bell, and those must never reach the terminal as they are.

#include "ModelTemplate.h"
#include "Ports.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>

// text with every control character spelt out: "\t", "\n", "\r" or "\xHH" (also DEL and
// the C1 controls). For quoting what came from a file or the door phone in a message or a
// result line.
QString Printable(const QString& text);

class CliHost : public HostPort {
public:
    // err is where messages go (stderr); progress is drawn only when it is a terminal.
    explicit CliHost(std::FILE* err = stderr);

    void ShowMessage(const QString& text, const QString& caption, MsgIcon icon) override;
    // Nobody is there to answer: the question is stated and taken as Yes.
    bool AskYesNo(const QString& text, const QString& caption, MsgIcon icon) override;
    void ShowProgress(bool visible) override;
    void SetProgress(int position) override;
    void SetDeviceCommandsEnabled(bool) override {}
    bool ButtonCountFieldVisible() const override { return buttonCountVisible; }
    void LoadModelDefaults() override {
        if (loadDefaults) loadDefaults();
    }

    // Forgets the command line's own failures so far (a new step begins).
    void Arm() { failed_ = false; }
    bool Failed() const { return failed_; }

    // A line of the command line's own on stderr ("norvaset-cli: " + text); its line
    // breaks are kept, everything else is made printable.
    void Note(const QString& text);
    // The same, counted as a failure.
    void Fail(const QString& text);

    bool buttonCountVisible = true; // Edit91 as the model template leaves it
    std::function<void()> loadDefaults;

private:
    void EndProgressLine();

    std::FILE* err_;
    bool tty_ = false;
    bool progressVisible_ = false;
    bool progressDrawn_ = false;
    int drawnPercent_ = -1;
    bool failed_ = false;
};

// The template's effect on the window, reduced to what the command line needs: whether
// the button-count field Edit91 is shown (it decides the question before a parameter
// write). Everything else is only remembered.
class CliTemplateTarget : public TemplateTarget {
public:
    explicit CliTemplateTarget(CliHost& host) : host_(host) {}
    void SetVisible(const QString& objectName, bool visible) override;
    void SetEnabled(const QString& objectName, bool enabled) override {
        enabled_.insert(objectName, enabled);
    }
    void SetEmphasis(const QString&, bool, int) override {}
    // The tree as the template leaves it, for the printout's headings.
    void SetTreeEntry(int entry, const QString& text, bool) override {
        treeEntries_.insert(entry, text);
    }
    const QHash<int, QString>& TreeEntries() const { return treeEntries_; }
    bool IsEnabled(const QString& objectName) const override {
        return enabled_.value(objectName, true);
    }
    void ShowMessage(const QString& text, const QString& caption, MsgIcon icon) override {
        host_.ShowMessage(text, caption, icon);
    }

private:
    CliHost& host_;
    QHash<QString, bool> enabled_;
    QHash<int, QString> treeEntries_;
};
