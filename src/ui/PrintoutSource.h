#pragma once
// The settings printout read from the main window's controls: captions as the language
// texts put them there, values as the pages show them, the tree as the model template left
// it and the status the door phone last reported.

#include "Printout.h"

class Dialogs;
class TForm1;

class WindowPrintoutSource : public print::PrintoutSource {
public:
    explicit WindowPrintoutSource(TForm1& window) : window_(window) {}

    QString Caption(const QString& control) const override;
    QString FieldText(const QString& field) const override;
    bool IsChecked(const QString& control) const override;
    QString UnitText(const QString& field) const override;
    QString CodeCaption(const QString& codeField) const override;
    QString TimeSeparator(const QString& hourField) const override;
    QString NodeText(int position) const override;
    QString StatusPanelText(int panel) const override;
    bool DayMode() const override;

    // Title, date and job name as the window gives them.
    print::PrintoutHeader Header() const;

private:
    TForm1& window_;
};

// File > Print: the print dialog, then the printout on the chosen printer (or into the
// chosen PDF file). Cancelling prints nothing. A failure is shown in a message box.
// True when the printout went to the printer or its file whole.
bool PrintSettings(TForm1& window, Dialogs& dialogs);
