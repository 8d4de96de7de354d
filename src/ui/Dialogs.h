#pragma once
// Every message box, question and file dialog of the window goes through here, so that
// widget tests can script the answers and read back what was shown.

#include "FileAccess.h"
#include "Ports.h"

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class LanguageTexts;
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
    // cancelled. The caller prints on the full page (print::PaintOnPrinter).
    virtual bool Print(QWidget* parent, QPrinter& printer) = 0;
};

// The width a window needs to show its whole title in the title bar: the text in the
// title bar's bold face, and room for the window icon and the buttons beside it.
int TitleBarWidth(const QString& title);

// A message box as QtDialogs shows it: wide enough for its whole title, also when the text
// is short ("Replace file ?" under "File is exists").
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, MsgIcon icon, const QString& caption,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons);

// Why a file was not written, in the language in use ([Files] texts): the file and the
// system's reason, or that a FIFO, a device or a folder stands where the file should be.
QString FileWriteFailureText(const LanguageTexts& texts, const QString& file, OutputFailure failure,
                             const QString& reason);

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
