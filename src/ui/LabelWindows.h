#pragma once
// The label windows of "Option" > "Print labels": the button label window (TForm14) with
// its one-or-two-buttons dialog (TForm7), and the panel label window of the Vant line
// (TForm5). The windows live as long as the main window; the panel window keeps its
// fields, size and pictures between openings. Their layouts follow their texts, so every
// caption shows whole in any language, and the panel window shows all of itself on a
// 1366 x 768 screen. A label file's texts are kept whole, also when they are longer than
// a field takes by typing; printing that fails leaves the window open with the reason.

#include "LabelFiles.h"
#include "TextKeys.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <array>
#include <functional>

class Dialogs;
class LanguageTexts;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStackedWidget;

struct LabelWindowContext {
    Dialogs* dialogs = nullptr;
    const LanguageTexts* texts = nullptr;
    std::function<QString()> programFolder; // with a trailing separator
};

// "Number of buttons on front panel": closes only with a choice.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    bool SingleButtonPanel() const { return singleButtonPanel_; }

    void RadioButton1Click();
    void RadioButton2Click();
    void Button1Click();
    void reject() override; // Escape and the close box do not end the dialog

private:
    QRadioButton* radio1_;
    QRadioButton* radio2_;
    bool singleButtonPanel_ = false;
};

class TForm14 : public QDialog {
    Q_OBJECT
public:
    // The characters a field takes by typing; a label file's longer texts stay whole.
    static constexpr int kFieldLength = 25;

    TForm14(const LabelWindowContext& context, QWidget* parent = nullptr);

    // Prepares the window for the model's label kind (clears the fields, asks for the
    // number of front-panel buttons for kind "1"), then shows it modally.
    int ShowFor(const QString& labelKind);
    void FormShow(const QString& labelKind);

    void Button2Click(); // Open
    void Button3Click(); // Save
    void Button1Click(); // Print

    LabelTexts Texts() const;
    // Puts the texts into the fields whole; false when one is longer than a field takes.
    bool SetTexts(const LabelTexts& texts);
    QLineEdit* Edit(int n) const { return edits_[n - 1]; } // 1..24
    // The caption beside field n: which button (or row of the big label) it is.
    QLabel* NumberLabel(int n) const { return numbers_[n - 1]; }
    TForm7& ButtonCountDialog() const { return *form7_; }

private:
    QString Text(TextKey key) const;
    void ShowNumbers();

    LabelWindowContext c_;
    std::array<QLineEdit*, kLabelTextCount> edits_{};
    std::array<QLabel*, kLabelTextCount> numbers_{};
    QLabel* label1_;
    QLabel* label2_;
    QPushButton* print_;
    TForm7* form7_;
    QString kind_ = QStringLiteral("2");
};

class TForm5 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFieldLength = 40;

    TForm5(const LabelWindowContext& context, QWidget* parent = nullptr);

    void FormShow();
    void initik();
    void RadioButtonClick(PanelSize size); // RadioButton1Click .. RadioButton4Click
    void
    PictureButtonClick(int label); // 1..4: Button6Click, Button5Click, Button7Click, Button8Click
    void Button2Click();           // Open
    void Button3Click();           // Save
    void Button9Click();           // New
    void Button1Click();           // Print labels

    PanelSize Size() const;
    void SetSize(PanelSize size);
    LabelTexts Texts() const;
    // Puts the texts into the fields whole; false when one is longer than a field takes.
    bool SetTexts(const LabelTexts& texts);
    QString PictureFile(int label) const { return pictures_[label - 1]; }
    bool PictureChosen(int label) const { return pictureChosen_[label - 1]; }
    // Whether the window shows a picture for the label (instead of its lines 1..4).
    bool PictureShown(int label) const;
    QLineEdit* Edit(int n) const { return edits_[n - 1]; } // 1..24
    QPushButton* PictureButton(int label) const { return pictureButtons_[label - 1]; }

    QScrollArea* ScrollArea() const { return scroll_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString Text(TextKey key) const;
    // Sizes the window to show all of its content.
    void FitToContent();

    LabelWindowContext c_;
    QScrollArea* scroll_;
    QWidget* content_;
    std::array<QLineEdit*, kLabelTextCount> edits_{};
    std::array<QLabel*, kPanelLabelCount> pictureAreas_{};
    std::array<QStackedWidget*, kPanelLabelCount> uppers_{}; // lines 1 to 4, or the picture
    std::array<QPushButton*, kPanelLabelCount> pictureButtons_{};
    std::array<QRadioButton*, 4> sizes_{};
    QPushButton* print_;
    std::array<QString, kPanelLabelCount> pictures_;
    std::array<bool, kPanelLabelCount> pictureChosen_{};
};

// Puts the [Labels] texts on a label window (by its object name "TForm14", "TForm7",
// "TForm5"): the main window does this for every window it finds when a language file is
// applied; a window created later takes them from here.
void ApplyLabelWindowTexts(QWidget* window, const LanguageTexts& texts);
