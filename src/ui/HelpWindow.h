#pragma once
// The Help window (TForm3): a short text on the right-mouse-button menus. Created with
// the main window so that the language texts reach its memo; shown modally.

#include <QDialog>

class QPlainTextEdit;

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QPlainTextEdit* Memo() const { return memo_; }

private:
    QPlainTextEdit* memo_;
};
