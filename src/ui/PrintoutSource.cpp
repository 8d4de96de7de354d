#include "PrintoutSource.h"

#include "Communicator.h"
#include "Dialogs.h"
#include "MainWindow.h"
#include "NavigationTree.h"
#include "Pages.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>

namespace {
QString ControlText(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
    if (auto* box = qobject_cast<const QComboBox*>(w)) return box->currentText();
    return QString();
}

// The hourglass while the printout is made, whichever way it ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

QString WindowPrintoutSource::Caption(const QString& control) const {
    if (const QWidget* w = window_.Control(control)) return ControlText(w);
    if (const QAction* a = window_.Action(control)) return a->text();
    return QString();
}

QString WindowPrintoutSource::FieldText(const QString& field) const {
    return ControlText(window_.Control(field));
}

bool WindowPrintoutSource::IsChecked(const QString& control) const {
    const auto* button = qobject_cast<const QAbstractButton*>(window_.Control(control));
    return button && button->isChecked();
}

QString WindowPrintoutSource::UnitText(const QString& field) const {
    return ControlText(window_.Control(UnitLabelName(field)));
}

QString WindowPrintoutSource::CodeCaption(const QString& codeField) const {
    return ControlText(window_.Control(CodeCaptionName(codeField)));
}

QString WindowPrintoutSource::TimeSeparator(const QString& hourField) const {
    return ControlText(window_.Control(TimeSeparatorName(hourField)));
}

QString WindowPrintoutSource::NodeText(int position) const {
    if (position < 0 || position >= NavigationTree::kEntries) return QString();
    const QTreeWidgetItem* item = window_.Tree()->Entry(position);
    return item ? item->text(0) : QString();
}

QString WindowPrintoutSource::StatusPanelText(int panel) const {
    return window_.StatusPanelText(panel);
}

bool WindowPrintoutSource::DayMode() const {
    return window_.Comm().Status().dayMode;
}

print::PrintoutHeader WindowPrintoutSource::Header() const {
    return print::MakePrintoutHeader(Caption(QStringLiteral("Print1")), window_.Texts());
}

bool PrintSettings(TForm1& window, Dialogs& dialogs) {
    const WindowPrintoutSource source(window);
    const print::PrintoutHeader header = source.Header();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(header.documentName);
    if (!dialogs.Print(&window, printer)) return false;

    print::PrintResult result;
    {
        WaitCursor wait;
        window.Log().LogLine(QStringLiteral("Print: ") + header.documentName);
        result = print::PrintOnPrinter(printer, print::BuildPrintout(source), header);
    }
    if (result.ok) return true;
    // A PDF file says which file and why, in the window's language.
    window.ShowMessage(result.file.isEmpty() ? result.error
                                             : FileWriteFailureText(window.Texts(), result.file,
                                                                    result.failure, result.reason),
                       QString(), MsgIcon::Error);
    return false;
}
