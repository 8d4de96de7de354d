#pragma once
// The Help window (TForm3): a short text on the right-mouse-button menus, the [Help] texts
// of the language file joined. Created with the main window so that the language texts
// reach its memo; shown modally.

#include <QDialog>

class QPlainTextEdit;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    QPlainTextEdit* Memo() const { return memo_; }

private:
    QPlainTextEdit* memo_;
};
