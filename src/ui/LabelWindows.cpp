#include "LabelWindows.h"

#include "ButtonLabelSheet.h"
#include "Dialogs.h"
#include "LabelCanvas.h"
#include "LanguageApply.h"
#include "LanguageTable.h"
#include "LanguageTexts.h"
#include "PanelLabelSheet.h"
#include "PrintTarget.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace {

// What a label file error says in the window's language.
QString LabelFileErrorText(const LanguageTexts* texts, const LabelFileError& e) {
    using Reason = LabelFileError::Reason;
    const QString path = QDir::toNativeSeparators(e.path());
    switch (e.reason()) {
    case Reason::Missing: return texts->Text(keys::kFileNotFound).arg(path);
    case Reason::NotAFile: return texts->Text(keys::kNotARegularFile).arg(path);
    case Reason::Folder: return texts->Text(keys::kIsAFolder).arg(path);
    case Reason::TooLarge:
    case Reason::Unreadable: return texts->Text(keys::kCannotRead).arg(path, e.detail());
    case Reason::NotLabels: return texts->Text(keys::kNotALabelFile);
    case Reason::WriteFailed:
        return FileWriteFailureText(*texts, e.path(), OutputFailure::System, e.detail());
    }
    return e.text();
}

// Why printing failed, in the window's language: a PDF file that could not be written
// names the file and the reason, a printer that refused says so.
QString PrintFailureText(const LanguageTexts* texts, const print::PrintOutcome& outcome) {
    if (outcome.file.isEmpty()) return texts->Text(keys::kLabelsNotPrinted);
    return FileWriteFailureText(*texts, outcome.file, outcome.failure, outcome.reason);
}

// The label file filters: the label files, then every file.
QString OpenFilter(const LanguageTexts* texts, const QString& extension) {
    return texts->Text(keys::kLabelFileType) +
           QStringLiteral(" (*.%1 *.%2);;").arg(extension, extension.toLower()) +
           texts->Text(keys::kAllFiles) + QStringLiteral("    *.* (*)");
}

// Asks for a file to save to, with the overwrite question of the settings files.
QString AskSaveName(QWidget* parent, const LabelWindowContext& c, const QString& extension) {
    FileDialogRequest request;
    request.title = c.texts->Text(keys::kSaveLabelsTitle);
    request.filter = c.texts->Text(keys::kLabelFileType) +
                     QStringLiteral(" (*.%1 *.%2)").arg(extension, extension.toLower());
    request.defaultSuffix = extension;
    request.initialDir = c.programFolder();
    for (;;) {
        QString chosen = c.dialogs->SaveFile(parent, request);
        if (chosen.isEmpty() || !QFile::exists(chosen)) return chosen;
        if (c.dialogs->YesNo(parent, c.texts->Text(keys::kReplaceFile),
                             c.texts->Text(keys::kFileExists), MsgIcon::Question, true))
            return chosen;
    }
}

QString AskOpenName(QWidget* parent, const LabelWindowContext& c, const QString& extension) {
    FileDialogRequest request;
    request.title = c.texts->Text(keys::kOpenLabelsTitle);
    request.filter = OpenFilter(c.texts, extension);
    request.defaultSuffix = extension;
    request.initialDir = c.programFolder();
    return c.dialogs->OpenFile(parent, request);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, bool bold) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    if (bold) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    return b;
}

// Puts texts into fields whole: a field whose text is longer than it takes by typing
// takes that text's length, so that nothing is cut now or lost by the next Save. Returns
// false when a text was longer.
bool FillFields(const std::array<QLineEdit*, kLabelTextCount>& edits, const LabelTexts& texts,
                int fieldLength) {
    bool fit = true;
    for (int i = 0; i < kLabelTextCount; ++i) {
        const int length = static_cast<int>(texts[i].size());
        if (length > fieldLength) fit = false;
        edits[i]->setMaxLength(std::max(fieldLength, length));
        edits[i]->setText(texts[i]);
    }
    return fit;
}

void ClearFields(const std::array<QLineEdit*, kLabelTextCount>& edits, int fieldLength) {
    for (QLineEdit* e : edits) {
        e->clear();
        e->setMaxLength(fieldLength);
    }
}

// Restores the cursor and the print button however printing ends.
class PrintingScope {
public:
    explicit PrintingScope(QPushButton* button) : button_(button) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        button_->setEnabled(false);
    }
    ~PrintingScope() {
        QApplication::restoreOverrideCursor();
        button_->setEnabled(true);
    }
    PrintingScope(const PrintingScope&) = delete;
    PrintingScope& operator=(const PrintingScope&) = delete;

private:
    QPushButton* button_;
};

// Keeps a window at least as wide as its title bar needs: an invisible row of its layout
// follows the title whenever a language file changes it.
class TitleRoom : public QObject {
public:
    TitleRoom(QWidget* window, QBoxLayout* layout)
        : QObject(window), window_(window), spacer_(new QSpacerItem(0, 0)), layout_(layout) {
        layout_->addSpacerItem(spacer_);
        window_->installEventFilter(this);
        Update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::WindowTitleChange) Update();
        return false;
    }

private:
    void Update() {
        const QMargins m = layout_->contentsMargins();
        spacer_->changeSize(TitleBarWidth(window_->windowTitle()) - m.left() - m.right(), 0,
                            QSizePolicy::Minimum, QSizePolicy::Fixed);
        layout_->invalidate();
    }

    QWidget* window_;
    QSpacerItem* spacer_;
    QBoxLayout* layout_;
};

} // namespace

void ApplyLabelWindowTexts(QWidget* window, const LanguageTexts& texts) {
    const QString name = window->objectName();
    for (const LanguageEntry& entry : LanguageTable()) {
        for (const LanguageTarget& target : entry.targets) {
            if (target.use != TextUse::Caption) continue;
            QObject* object = nullptr;
            if (target.object == name)
                object = window;
            else if (target.object.startsWith(name + QLatin1Char('.')))
                object = window->findChild<QObject*>(target.object.mid(name.size() + 1));
            if (object) SetCaption(object, ComposeText(entry, target, texts));
        }
    }
}

// ---- one or two buttons ---------------------------------------------------------------------

TForm7::TForm7(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("Number of buttons on front panel"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    radio1_ = new QRadioButton(QStringLiteral("1 button on front panel"), this);
    radio1_->setObjectName(QStringLiteral("RadioButton1"));
    radio2_ = new QRadioButton(QStringLiteral("2 buttons on front panel"), this);
    radio2_->setObjectName(QStringLiteral("RadioButton2"));
    auto* select = MakeButton(this, "Button1", QStringLiteral("Select"), false);
    layout->addWidget(radio1_);
    layout->addWidget(radio2_);
    layout->addWidget(select);
    connect(radio1_, &QRadioButton::clicked, this, &TForm7::RadioButton1Click);
    connect(radio2_, &QRadioButton::clicked, this, &TForm7::RadioButton2Click);
    connect(select, &QPushButton::clicked, this, &TForm7::Button1Click);
    // Wide enough for the whole title in the title bar, not only for the two choices.
    new TitleRoom(this, layout);
}

void TForm7::RadioButton1Click() {
    singleButtonPanel_ = true;
    Button1Click();
}

void TForm7::RadioButton2Click() {
    singleButtonPanel_ = false;
    Button1Click();
}

void TForm7::Button1Click() {
    if (radio1_->isChecked() || radio2_->isChecked()) accept();
}

void TForm7::reject() {}

// ---- button labels ---------------------------------------------------------------------------

TForm14::TForm14(const LabelWindowContext& context, QWidget* parent)
    : QDialog(parent), c_(context) {
    setObjectName(QStringLiteral("TForm14"));
    setWindowTitle(QStringLiteral("Universal labels printer"));
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setText(QStringLiteral("Each field is the label of the button with its number."));
    for (QLabel* hint : {label1_, label2_}) {
        hint->setWordWrap(true);
        outer->addWidget(hint);
    }

    QFont bold = font();
    bold.setBold(true);
    bold.setPointSize(10);
    const int fieldWidth = QFontMetrics(bold).averageCharWidth() * (kFieldLength + 2);
    // Two columns of three blocks of four; field n of each column on one row, as the sheet
    // prints them. Each field has its button's number beside it.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setColumnMinimumWidth(2, 24);
    for (int i = 0; i < kLabelTextCount; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        edit->setMaxLength(kFieldLength);
        edit->setFont(bold);
        edit->setMinimumWidth(fieldWidth);
        auto* number = new QLabel(QString::number(i + 1), this);
        number->setObjectName(QStringLiteral("Number%1").arg(i + 1));
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setBuddy(edit);
        const int row = i % 12, column = i / 12;
        // A gap between the blocks of four.
        const int gridRow = row + row / 4;
        grid->addWidget(number, gridRow, column * 3);
        grid->addWidget(edit, gridRow, column * 3 + 1);
        edits_[i] = edit;
        numbers_[i] = number;
    }
    for (int gap : {4, 9}) grid->setRowMinimumHeight(gap, 6);
    outer->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto* open = MakeButton(this, "Button2", QStringLiteral("Open"), false);
    auto* save = MakeButton(this, "Button3", QStringLiteral("Save"), false);
    print_ = MakeButton(this, "Button1", QStringLiteral("Print"), true);
    buttons->addWidget(open);
    buttons->addWidget(save);
    buttons->addStretch();
    buttons->addWidget(print_);
    outer->addLayout(buttons);
    connect(open, &QPushButton::clicked, this, &TForm14::Button2Click);
    connect(save, &QPushButton::clicked, this, &TForm14::Button3Click);
    connect(print_, &QPushButton::clicked, this, &TForm14::Button1Click);
    new TitleRoom(this, outer);

    form7_ = new TForm7(this);
    if (c_.texts) {
        ApplyLabelWindowTexts(this, *c_.texts);
        ApplyLabelWindowTexts(form7_, *c_.texts);
    }
    label1_->hide();
    ShowNumbers();
}

QString TForm14::Text(TextKey key) const {
    return c_.texts->Text(key);
}

int TForm14::ShowFor(const QString& labelKind) {
    FormShow(labelKind);
    // Centred on the main window at the size the kind's fields give it.
    layout()->activate();
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
    return exec();
}

void TForm14::FormShow(const QString& labelKind) {
    kind_ = labelKind;
    ClearFields(edits_, kFieldLength);
    label1_->hide();
    if (labelKind == QLatin1String("1")) {
        form7_->exec();
        label1_->show();
        const bool single = form7_->SingleButtonPanel();
        label1_->setText(Text(single ? keys::kOneButtonLabel : keys::kTwoButtonLabels));
        for (int i = 0; i < kLabelTextCount; ++i) {
            const bool visible = single ? i < 4 : (i == 0 || i == 12);
            edits_[i]->setVisible(visible);
        }
    } else if (labelKind == QLatin1String("2") || labelKind == QLatin1String("3")) {
        for (QLineEdit* e : edits_) e->setVisible(true);
    }
    // Any other kind keeps the fields as the last opening left them.
    ShowNumbers();
}

// The caption beside each field says what it prints: the button's number, or for kind
// "1" the first and second button, or the row of the big label.
void TForm14::ShowNumbers() {
    const bool kind1 = kind_ == QLatin1String("1");
    const bool single = kind1 && form7_->SingleButtonPanel();
    for (int i = 0; i < kLabelTextCount; ++i) {
        int shown = i + 1;
        if (kind1 && !single && i == 12) shown = 2;
        numbers_[i]->setText(QString::number(shown));
        numbers_[i]->setVisible(!edits_[i]->isHidden());
    }
    // The order of the sheet matters where many labels print; kind "1" has its own hint.
    label2_->setVisible(!kind1);
}

LabelTexts TForm14::Texts() const {
    LabelTexts texts;
    for (int i = 0; i < kLabelTextCount; ++i) texts[i] = edits_[i]->text();
    return texts;
}

bool TForm14::SetTexts(const LabelTexts& texts) {
    return FillFields(edits_, texts, kFieldLength);
}

void TForm14::Button2Click() {
    const QString name = AskOpenName(this, c_, QStringLiteral("NVL"));
    if (name.size() <= 7) {
        c_.dialogs->Message(this, Text(keys::kNoFileSelected), QString(), MsgIcon::None);
        return;
    }
    if (!HasLabelExtension(name, QStringLiteral("NVL"))) {
        c_.dialogs->Message(this, Text(keys::kNotALabelFile), QString(), MsgIcon::None);
        return;
    }
    try {
        // Read whole first: on a failure the fields keep what they showed.
        if (!SetTexts(ReadButtonLabelFile(name)))
            c_.dialogs->Message(this,
                                Text(keys::kLabelTextsTooLong)
                                    .arg(QDir::toNativeSeparators(name))
                                    .arg(kFieldLength),
                                QString(), MsgIcon::Information);
    } catch (const LabelFileError& e) {
        c_.dialogs->Message(this, LabelFileErrorText(c_.texts, e), QString(), MsgIcon::Error);
    }
}

void TForm14::Button3Click() {
    const QString name = AskSaveName(this, c_, QStringLiteral("NVL"));
    if (name.size() <= 8) return;
    try {
        WriteButtonLabelFile(name, Texts());
    } catch (const LabelFileError& e) {
        c_.dialogs->Message(this, LabelFileErrorText(c_.texts, e), QString(), MsgIcon::Error);
    }
}

void TForm14::Button1Click() {
    std::optional<print::PrintOutcome> outcome;
    {
        PrintingScope scope(print_);
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(QStringLiteral("Label Norva"));
        if (c_.dialogs->Print(this, printer)) {
            const print::ButtonLabelLayout layout =
                print::ButtonLayoutFor(kind_, form7_->SingleButtonPanel());
            const LabelTexts texts = Texts();
            outcome = print::PaintOnPrinter(
                printer, [&](QPainter& painter, const std::function<bool()>& newPage) {
                    print::LabelCanvas canvas(painter, newPage);
                    print::ButtonLabelSheet(canvas, layout).PrintAll(texts);
                    return true;
                });
        }
    }
    if (outcome && !outcome->ok) {
        // The labels are not on paper: the window stays open with the reason.
        c_.dialogs->Message(this, PrintFailureText(c_.texts, *outcome), QString(), MsgIcon::Error);
        return;
    }
    // The window closes after printing, also when the print dialog was cancelled.
    accept();
}

// ---- panel labels ----------------------------------------------------------------------------

TForm5::TForm5(const LabelWindowContext& context, QWidget* parent) : QDialog(parent), c_(context) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Print labels"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    // The whole window shows on a 1366 x 768 screen; on a smaller one it scrolls.
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroll_);
    content_ = new QWidget;
    auto* grid = new QGridLayout(content_);

    const QFontMetrics metrics(font());
    const int fieldWidth = metrics.averageCharWidth() * (kFieldLength + 2);
    const char* buttonNames[kPanelLabelCount] = {"Button6", "Button5", "Button7", "Button8"};
    // The four labels two by two, as the sheet prints them.
    for (int k = 0; k < kPanelLabelCount; ++k) {
        auto* panel = new QFrame(content_);
        panel->setObjectName(QStringLiteral("Panel%1").arg(k + 1));
        panel->setFrameShape(QFrame::StyledPanel);
        auto* lines = new QGridLayout(panel);
        lines->setVerticalSpacing(4);
        auto* number = new QLabel(QString::number(k + 1), panel);
        QFont big = number->font();
        big.setBold(true);
        big.setPointSize(28);
        number->setFont(big);
        number->setAlignment(Qt::AlignCenter);
        lines->addWidget(number, 0, 0, 3, 1);
        // The picture takes the place of lines 1 to 4; the label keeps its height.
        auto* upper = new QStackedWidget(panel);
        upper->setObjectName(QStringLiteral("Upper%1").arg(k + 1));
        auto* upperLines = new QWidget(upper);
        auto* upperLayout = new QVBoxLayout(upperLines);
        upperLayout->setContentsMargins(0, 0, 0, 0);
        upperLayout->setSpacing(4);
        upper->addWidget(upperLines);
        for (int n = 0; n < kPanelLinesPerLabel; ++n) {
            auto* edit = new QLineEdit(n < 4 ? upperLines : panel);
            const int index = k * kPanelLinesPerLabel + n;
            edit->setObjectName(QStringLiteral("Edit%1").arg(index + 1));
            edit->setMaxLength(kFieldLength);
            edit->setMinimumWidth(fieldWidth);
            if (n < 4)
                upperLayout->addWidget(edit);
            else
                lines->addWidget(edit, n - 3, 1);
            edits_[index] = edit;
        }
        auto* picture = new QLabel(upper);
        picture->setObjectName(QStringLiteral("Image%1").arg(k + 1));
        picture->setAlignment(Qt::AlignCenter);
        picture->setMinimumSize(print::kPictureMaxWidth, print::kPictureMaxHeight);
        upper->addWidget(picture);
        lines->addWidget(upper, 0, 1);
        pictureAreas_[k] = picture;
        uppers_[k] = upper;
        auto* button =
            MakeButton(panel, buttonNames[k], QStringLiteral("Picture BMP max 80x220px"), false);
        lines->addWidget(button, 0, 2, 3, 1, Qt::AlignVCenter);
        pictureButtons_[k] = button;
        connect(button, &QPushButton::clicked, this, [this, k] { PictureButtonClick(k + 1); });
        grid->addWidget(panel, k / 2, k % 2);
    }

    auto* bottom = new QHBoxLayout;
    auto* sizeGroup = new QGroupBox(QStringLiteral("Size of Labels"), content_);
    sizeGroup->setObjectName(QStringLiteral("GroupBox1"));
    const char* sizeNames[4] = {"22 x 62 mm", "28 x 62 mm", "41 x 62 mm", "56 x 62 mm"};
    auto* sizeLayout = new QGridLayout(sizeGroup);
    for (int s = 0; s < 4; ++s) {
        auto* radio = new QRadioButton(QLatin1String(sizeNames[s]), sizeGroup);
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(s + 1));
        sizeLayout->addWidget(radio, s % 2, s / 2);
        sizes_[s] = radio;
        const PanelSize size = static_cast<PanelSize>(s + 1);
        connect(radio, &QRadioButton::clicked, this, [this, size] { RadioButtonClick(size); });
    }
    sizes_[0]->setChecked(true);
    bottom->addWidget(sizeGroup);

    auto* fileGroup = new QGroupBox(QStringLiteral("File"), content_);
    fileGroup->setObjectName(QStringLiteral("GroupBox2"));
    auto* fileLayout = new QHBoxLayout(fileGroup);
    auto* open = MakeButton(fileGroup, "Button2", QStringLiteral("Open"), false);
    auto* fresh = MakeButton(fileGroup, "Button9", QStringLiteral("New"), false);
    auto* save = MakeButton(fileGroup, "Button3", QStringLiteral("Save"), false);
    fileLayout->addWidget(open);
    fileLayout->addWidget(fresh);
    fileLayout->addWidget(save);
    connect(open, &QPushButton::clicked, this, &TForm5::Button2Click);
    connect(fresh, &QPushButton::clicked, this, &TForm5::Button9Click);
    connect(save, &QPushButton::clicked, this, &TForm5::Button3Click);
    bottom->addWidget(fileGroup);
    bottom->addStretch();

    print_ = MakeButton(content_, "Button1", QStringLiteral("Print labels"), true);
    print_->setMinimumHeight(print_->sizeHint().height() * 3 / 2);
    auto* cancel = MakeButton(content_, "Button4", QStringLiteral("Cancel"), false);
    bottom->addWidget(print_, 0, Qt::AlignVCenter);
    bottom->addWidget(cancel, 0, Qt::AlignVCenter);
    connect(print_, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    grid->addLayout(bottom, 2, 0, 1, 2);

    scroll_->setWidget(content_);
    new TitleRoom(this, outer);
    if (c_.texts) ApplyLabelWindowTexts(this, *c_.texts);
    initik();
    FitToContent();
}

QString TForm5::Text(TextKey key) const {
    return c_.texts->Text(key);
}

void TForm5::FitToContent() {
    // The content as its texts need it (they change with the language), without scrolling:
    // measured in the style it is shown in, with the texts set since it was last laid out.
    ensurePolished();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    content_->adjustSize();
    const QSize need = content_->sizeHint().expandedTo(content_->minimumSizeHint());
    resize(need.expandedTo(minimumSizeHint()));
}

void TForm5::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FitToContent();
}

void TForm5::FormShow() {
    initik();
    FitToContent();
}

PanelSize TForm5::Size() const {
    for (int s = 0; s < 4; ++s)
        if (sizes_[s]->isChecked()) return static_cast<PanelSize>(s + 1);
    return PanelSize::S22x62;
}

void TForm5::SetSize(PanelSize size) {
    sizes_[static_cast<int>(size) - 1]->setChecked(true);
}

LabelTexts TForm5::Texts() const {
    LabelTexts texts;
    for (int i = 0; i < kLabelTextCount; ++i) texts[i] = edits_[i]->text();
    return texts;
}

bool TForm5::SetTexts(const LabelTexts& texts) {
    return FillFields(edits_, texts, kFieldLength);
}

bool TForm5::PictureShown(int label) const {
    return !pictureAreas_[label - 1]->isHidden();
}

void TForm5::initik() {
    const PanelSize size = Size();
    const bool large = size == PanelSize::S41x62 || size == PanelSize::S56x62;
    auto setLine = [this](int label, int line, bool enabled) {
        QLineEdit* edit = edits_[label * kPanelLinesPerLabel + line - 1];
        edit->setEnabled(enabled);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, enabled ? palette.color(QPalette::Window) : Qt::lightGray);
        edit->setPalette(palette);
    };
    for (int k = 0; k < kPanelLabelCount; ++k) {
        pictureButtons_[k]->setEnabled(large);
        bool showPicture = false;
        if (large && pictures_[k].size() >= 4) {
            // A picture that cannot be read whole (moved, deleted, cut short, not a
            // bitmap) leaves the label's lines in view.
            const print::LabelPicture picture = print::LoadLabelPicture(pictures_[k]);
            if (!picture.image.isNull()) {
                pictureAreas_[k]->setPixmap(QPixmap::fromImage(picture.image));
                showPicture = true;
            }
        }
        uppers_[k]->setCurrentWidget(showPicture ? static_cast<QWidget*>(pictureAreas_[k])
                                                 : uppers_[k]->widget(0));
        pictureAreas_[k]->setVisible(showPicture);
        if (!showPicture) pictureAreas_[k]->clear();
        for (int line = 1; line <= 4; ++line)
            edits_[k * kPanelLinesPerLabel + line - 1]->setVisible(!showPicture);
        for (int line = 1; line <= kPanelLinesPerLabel; ++line) {
            bool enabled = false;
            switch (size) {
            case PanelSize::S22x62: enabled = line <= 2; break;
            case PanelSize::S28x62: enabled = line <= 3; break;
            case PanelSize::S41x62: enabled = line <= 5; break;
            case PanelSize::S56x62: enabled = true; break;
            }
            setLine(k, line, enabled);
        }
    }
}

void TForm5::RadioButtonClick(PanelSize size) {
    SetSize(size);
    initik();
}

void TForm5::PictureButtonClick(int label) {
    const int k = label - 1;
    pictureChosen_[k] = false;
    FileDialogRequest request;
    request.title = pictureButtons_[k]->text();
    request.filter = QStringLiteral("BMP (*.bmp *.BMP)");
    request.defaultSuffix = QStringLiteral("BMP");
    request.initialDir = c_.programFolder();
    const QString chosen = c_.dialogs->OpenFile(this, request);
    if (chosen.isEmpty()) {
        pictures_[k].clear();
    } else {
        pictures_[k] = chosen;
        const print::LabelPicture picture = print::LoadLabelPicture(chosen);
        if (picture.image.isNull()) {
            const QString shown = QDir::toNativeSeparators(chosen);
            const QSize size = picture.size;
            const QString text =
                picture.tooLarge
                    ? Text(keys::kPictureTooLarge).arg(shown).arg(size.width()).arg(size.height())
                    : Text(keys::kPictureNotBmp).arg(shown) + QStringLiteral("\n(") +
                          picture.reason + QLatin1Char(')');
            c_.dialogs->Message(this, text, QString(), MsgIcon::Warning);
            pictures_[k].clear();
        }
        pictureChosen_[k] = true;
    }
    initik();
}

void TForm5::Button9Click() {
    SetSize(PanelSize::S22x62);
    ClearFields(edits_, kFieldLength);
    for (QString& p : pictures_) p.clear();
    initik();
    FitToContent();
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
}

void TForm5::Button2Click() {
    const QString name = AskOpenName(this, c_, QStringLiteral("VXL"));
    if (name.size() <= 7) return;
    if (!HasLabelExtension(name, QStringLiteral("VXL"))) {
        c_.dialogs->Message(this, Text(keys::kNotALabelFile), QString(), MsgIcon::None);
        return;
    }
    bool whole = true;
    try {
        const PanelLabelFile file = ReadPanelLabelFile(name);
        whole = SetTexts(file.texts);
        SetSize(PanelSizeFromText(file.sizeText, Size()));
        pictures_ = file.pictures;
    } catch (const LabelFileError& e) {
        c_.dialogs->Message(this, LabelFileErrorText(c_.texts, e), QString(), MsgIcon::Error);
        return;
    }
    initik();
    if (!whole)
        c_.dialogs->Message(
            this,
            Text(keys::kLabelTextsTooLong).arg(QDir::toNativeSeparators(name)).arg(kFieldLength),
            QString(), MsgIcon::Information);
}

void TForm5::Button3Click() {
    const QString name = AskSaveName(this, c_, QStringLiteral("VXL"));
    if (name.size() <= 8) return;
    try {
        WritePanelLabelFile(name, Texts(), Size(), pictures_);
    } catch (const LabelFileError& e) {
        c_.dialogs->Message(this, LabelFileErrorText(c_.texts, e), QString(), MsgIcon::Error);
    }
}

void TForm5::Button1Click() {
    print::PrintOutcome outcome;
    QStringList unusable;
    {
        PrintingScope scope(print_);
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(QStringLiteral("Label Norva DoorPhone"));
        if (!c_.dialogs->Print(this, printer)) return;
        print::PanelJob job;
        job.texts = Texts();
        job.size = Size();
        job.pictures = pictures_;
        job.pictureMarks = pictureChosen_;
        outcome = print::PaintOnPrinter(
            printer, [&](QPainter& painter, const std::function<bool()>& newPage) {
                print::LabelCanvas canvas(painter, newPage);
                unusable = print::PrintPanelLabels(canvas, job);
                return true;
            });
    }
    if (!outcome.ok) {
        c_.dialogs->Message(this, PrintFailureText(c_.texts, outcome), QString(), MsgIcon::Error);
        return;
    }
    if (!unusable.isEmpty())
        c_.dialogs->Message(this,
                            Text(keys::kPicturesLeftOut) + QLatin1Char('\n') + unusable.join('\n'),
                            QString(), MsgIcon::Warning);
}
