#pragma once
// Every message box, question and file dialog of the window goes through here, so that
// widget tests can script the answers and read back what was shown.

#include "Ports.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QPrinter;
class QWidget;

struct FileDialogRequest {
    QString title;
    QString filter;
    QString defaultSuffix;
    QString initialDir;
    QString initialName;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void Message(QWidget* parent, const QString& text, const QString& caption,
                         MsgIcon icon) = 0;
    // true for Yes. defaultNo makes No the default button.
    virtual bool YesNo(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon,
                       bool defaultNo = false) = 0;
    // "" when cancelled.
    virtual QString OpenFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString SaveFile(QWidget* parent, const FileDialogRequest& request) = 0;
    // The print dialog sets the printer up (also printing into a PDF file); false when
    // cancelled.
    virtual bool Print(QWidget* parent, QPrinter& printer) = 0;
};

// The real dialogs. An empty caption shows the application title.
class QtDialogs : public Dialogs {
public:
    void Message(QWidget* parent, const QString& text, const QString& caption,
                 MsgIcon icon) override;
    bool YesNo(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon,
               bool defaultNo) override;
    QString OpenFile(QWidget* parent, const FileDialogRequest& request) override;
    QString SaveFile(QWidget* parent, const FileDialogRequest& request) override;
    bool Print(QWidget* parent, QPrinter& printer) override;
};

// Answers from a script; records what was shown. Unscripted questions answer No and
// unscripted file dialogs are cancelled.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString kind; // "message", "question", "open", "save", "print"
        QString text;
        QString caption;
        MsgIcon icon = MsgIcon::None;
    };
    void Message(QWidget*, const QString& text, const QString& caption, MsgIcon icon) override;
    bool YesNo(QWidget*, const QString& text, const QString& caption, MsgIcon icon,
               bool defaultNo) override;
    QString OpenFile(QWidget*, const FileDialogRequest& request) override;
    QString SaveFile(QWidget*, const FileDialogRequest& request) override;
    // Prints into the next PDF file of printAnswers ("" or none left: cancelled), on A4
    // with 5 mm margins, at printDpi when it is set.
    bool Print(QWidget*, QPrinter& printer) override;

    QList<bool> answers;     // for YesNo, in order
    QStringList fileAnswers; // for OpenFile/SaveFile, in order
    QStringList printAnswers;
    int printDpi = 0;
    QList<Shown> shown;
    QList<FileDialogRequest> fileRequests;
    // Runs while a question is open, before it is answered: a real dialog's event loop
    // lets the window's timers fire there (tests tick the engine in it).
    std::function<void()> whileQuestionOpen;
    QStringList Texts() const;
};
