#include "LabelWindows.h"

#include "ButtonLabelSheet.h"
#include "Dialogs.h"
#include "LabelCanvas.h"
#include "LanguageApply.h"
#include "LanguageTable.h"
#include "LanguageTexts.h"
#include "PanelLabelSheet.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int kButtonTextLength = 25;
constexpr int kPanelTextLength = 40;

QString FileMsg(const LanguageTexts* texts, int key) {
    return texts->Text(QStringLiteral("Message"), key);
}

// The label file filters: the label files, then every file.
QString OpenFilter(const LanguageTexts* texts, const QString& extension) {
    return FileMsg(texts, 41) +
           QStringLiteral(" (*.%1 *.%2);;").arg(extension, extension.toLower()) +
           FileMsg(texts, 42) + QStringLiteral("    *.* (*)");
}

// Asks for a file to save to, with the overwrite question of the settings files.
QString AskSaveName(QWidget* parent, const LabelWindowContext& c, const QString& extension) {
    FileDialogRequest request;
    request.title = FileMsg(c.texts, 43);
    request.filter =
        FileMsg(c.texts, 41) + QStringLiteral(" (*.%1 *.%2)").arg(extension, extension.toLower());
    request.defaultSuffix = extension;
    request.initialDir = c.programFolder();
    for (;;) {
        QString chosen = c.dialogs->SaveFile(parent, request);
        if (chosen.isEmpty() || !QFile::exists(chosen)) return chosen;
        if (c.dialogs->YesNo(parent, FileMsg(c.texts, 6), FileMsg(c.texts, 7), MsgIcon::Question,
                             true))
            return chosen;
    }
}

QString AskOpenName(QWidget* parent, const LabelWindowContext& c, const QString& extension) {
    FileDialogRequest request;
    request.title = FileMsg(c.texts, 40);
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
    setMinimumWidth(QFontMetrics(font()).horizontalAdvance(windowTitle()) + 120);
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
    setFixedSize(kClientWidth, kClientHeight);

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(20, 10, 450, 22);
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSize(10);
    // Two columns of three blocks of four; field n of each column on one row.
    for (int i = 0; i < kLabelTextCount; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        edit->setMaxLength(kButtonTextLength);
        edit->setFont(bold);
        const int row = i % 12, column = i / 12;
        edit->setGeometry(20 + column * 240, 40 + row * 24 + (row / 4) * 10, 210, 22);
        edits_[i] = edit;
    }
    auto* open = MakeButton(this, "Button2", QStringLiteral("Open"), false);
    open->setGeometry(20, 356, 90, 28);
    auto* save = MakeButton(this, "Button3", QStringLiteral("Save"), false);
    save->setGeometry(120, 356, 90, 28);
    print_ = MakeButton(this, "Button1", QStringLiteral("Print"), true);
    print_->setGeometry(380, 356, 90, 28);
    connect(open, &QPushButton::clicked, this, &TForm14::Button2Click);
    connect(save, &QPushButton::clicked, this, &TForm14::Button3Click);
    connect(print_, &QPushButton::clicked, this, &TForm14::Button1Click);

    form7_ = new TForm7(this);
    if (c_.texts) {
        ApplyLabelWindowTexts(this, *c_.texts);
        ApplyLabelWindowTexts(form7_, *c_.texts);
    }
}

QString TForm14::Msg(int key) const {
    return FileMsg(c_.texts, key);
}

int TForm14::ShowFor(const QString& labelKind) {
    FormShow(labelKind);
    return exec();
}

void TForm14::FormShow(const QString& labelKind) {
    kind_ = labelKind;
    for (QLineEdit* e : edits_) e->clear();
    label1_->hide();
    if (labelKind == QLatin1String("1")) {
        form7_->exec();
        label1_->show();
        const bool single = form7_->SingleButtonPanel();
        label1_->setText(Msg(single ? 56 : 57));
        for (int i = 0; i < kLabelTextCount; ++i) {
            const bool visible = single ? i < 4 : (i == 0 || i == 12);
            edits_[i]->setVisible(visible);
        }
    } else if (labelKind == QLatin1String("2") || labelKind == QLatin1String("3")) {
        for (QLineEdit* e : edits_) e->setVisible(true);
    }
    // Any other kind keeps the fields as the last opening left them.
}

LabelTexts TForm14::Texts() const {
    LabelTexts texts;
    for (int i = 0; i < kLabelTextCount; ++i) texts[i] = edits_[i]->text();
    return texts;
}

void TForm14::SetTexts(const LabelTexts& texts) {
    for (int i = 0; i < kLabelTextCount; ++i) edits_[i]->setText(texts[i]);
}

void TForm14::Button2Click() {
    const QString name = AskOpenName(this, c_, QStringLiteral("NVL"));
    if (name.size() <= 7) {
        c_.dialogs->Message(this, Msg(21), QString(), MsgIcon::None);
        return;
    }
    if (!HasLabelExtension(name, QStringLiteral("NVL"))) {
        c_.dialogs->Message(this, Msg(48), QString(), MsgIcon::None);
        return;
    }
    try {
        SetTexts(ReadButtonLabelFile(name));
    } catch (const LabelFileError& e) {
        // Read whole first: the fields keep what they showed.
        c_.dialogs->Message(this, e.text(), QString(), MsgIcon::Error);
    }
}

void TForm14::Button3Click() {
    const QString name = AskSaveName(this, c_, QStringLiteral("NVL"));
    if (name.size() <= 8) return;
    try {
        WriteButtonLabelFile(name, Texts());
    } catch (const LabelFileError& e) {
        c_.dialogs->Message(this, e.text(), QString(), MsgIcon::Error);
    }
}

void TForm14::Button1Click() {
    {
        PrintingScope scope(print_);
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(QStringLiteral("Label Norva"));
        if (c_.dialogs->Print(this, printer)) {
            QPainter painter;
            if (painter.begin(&printer)) {
                print::LabelCanvas canvas(painter);
                print::ButtonLabelSheet sheet(
                    canvas, print::ButtonLayoutFor(kind_, form7_->SingleButtonPanel()));
                sheet.PrintAll(Texts());
                painter.end();
            } else {
                c_.dialogs->Message(this, LabelsText(22), QString(), MsgIcon::Error);
            }
        }
    }
    // The window closes after printing, also when the print dialog was cancelled.
    accept();
}

// ---- panel labels ----------------------------------------------------------------------------

namespace {
constexpr int kPanelHeight = 165;
constexpr int kLineTop = 8, kLinePitch = 25, kLineLeft = 60, kLineWidth = 270;
} // namespace

TForm5::TForm5(const LabelWindowContext& context, QWidget* parent) : QDialog(parent), c_(context) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Print labels"));
    resize(kSide, kSide);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll);
    auto* content = new QWidget;
    content->setFixedSize(515, 10 + 4 * kPanelHeight + 140);

    const char* buttonNames[kPanelLabelCount] = {"Button6", "Button5", "Button7", "Button8"};
    for (int k = 0; k < kPanelLabelCount; ++k) {
        auto* panel = new QWidget(content);
        panel->setObjectName(QStringLiteral("Panel%1").arg(k + 1));
        panel->setGeometry(0, 10 + k * kPanelHeight, 515, kPanelHeight - 5);
        auto* number = new QLabel(QString::number(k + 1), panel);
        QFont big = number->font();
        big.setBold(true);
        big.setPointSize(28);
        number->setFont(big);
        number->setGeometry(8, 40, 45, 60);
        for (int n = 0; n < kPanelLinesPerLabel; ++n) {
            auto* edit = new QLineEdit(panel);
            const int index = k * kPanelLinesPerLabel + n;
            edit->setObjectName(QStringLiteral("Edit%1").arg(index + 1));
            edit->setMaxLength(kPanelTextLength);
            edit->setGeometry(kLineLeft, kLineTop + n * kLinePitch, kLineWidth, 22);
            edits_[index] = edit;
        }
        // The picture lies over lines 1 to 4.
        auto* picture = new QLabel(panel);
        picture->setObjectName(QStringLiteral("Image%1").arg(k + 1));
        picture->setAlignment(Qt::AlignCenter);
        picture->setGeometry(kLineLeft + (kLineWidth - print::kPictureMaxWidth) / 2,
                             kLineTop + (4 * kLinePitch - print::kPictureMaxHeight) / 2,
                             print::kPictureMaxWidth, print::kPictureMaxHeight);
        picture->hide();
        pictureAreas_[k] = picture;
        auto* button =
            MakeButton(panel, buttonNames[k], QStringLiteral("Picture BMP max 80x220px"), false);
        button->setGeometry(338, 45, 175, 40);
        pictureButtons_[k] = button;
        connect(button, &QPushButton::clicked, this, [this, k] { PictureButtonClick(k + 1); });
    }

    const int bottom = 10 + 4 * kPanelHeight;
    auto* sizeGroup = new QGroupBox(QStringLiteral("Size of Labels"), content);
    sizeGroup->setObjectName(QStringLiteral("GroupBox1"));
    sizeGroup->setGeometry(10, bottom, 200, 125);
    const char* sizeNames[4] = {"22 x 62 mm", "28 x 62 mm", "41 x 62 mm", "56 x 62 mm"};
    auto* sizeLayout = new QVBoxLayout(sizeGroup);
    for (int s = 0; s < 4; ++s) {
        auto* radio = new QRadioButton(QLatin1String(sizeNames[s]), sizeGroup);
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(s + 1));
        sizeLayout->addWidget(radio);
        sizes_[s] = radio;
        const PanelSize size = static_cast<PanelSize>(s + 1);
        connect(radio, &QRadioButton::clicked, this, [this, size] { RadioButtonClick(size); });
    }
    sizes_[0]->setChecked(true);

    auto* fileGroup = new QGroupBox(QStringLiteral("File"), content);
    fileGroup->setObjectName(QStringLiteral("GroupBox2"));
    fileGroup->setGeometry(220, bottom, 140, 125);
    auto* fileLayout = new QVBoxLayout(fileGroup);
    auto* open = MakeButton(fileGroup, "Button2", QStringLiteral("Open"), false);
    auto* fresh = MakeButton(fileGroup, "Button9", QStringLiteral("New"), false);
    auto* save = MakeButton(fileGroup, "Button3", QStringLiteral("Save"), false);
    fileLayout->addWidget(open);
    fileLayout->addWidget(fresh);
    fileLayout->addWidget(save);
    connect(open, &QPushButton::clicked, this, &TForm5::Button2Click);
    connect(fresh, &QPushButton::clicked, this, &TForm5::Button9Click);
    connect(save, &QPushButton::clicked, this, &TForm5::Button3Click);

    print_ = MakeButton(content, "Button1", QStringLiteral("Print labels"), true);
    print_->setGeometry(375, bottom + 8, 130, 44);
    auto* cancel = MakeButton(content, "Button4", QStringLiteral("Cancel"), false);
    cancel->setGeometry(375, bottom + 70, 130, 30);
    connect(print_, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    scroll->setWidget(content);
    if (c_.texts) ApplyLabelWindowTexts(this, *c_.texts);
    initik();
}

QString TForm5::Msg(int key) const {
    return FileMsg(c_.texts, key);
}

QString TForm5::LabelsText(int key) const {
    return c_.texts->Text(QStringLiteral("Labels"), key);
}

QString TForm14::LabelsText(int key) const {
    return c_.texts->Text(QStringLiteral("Labels"), key);
}

void TForm5::FormShow() {
    initik();
    resize(kSide, kSide);
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

void TForm5::SetTexts(const LabelTexts& texts) {
    for (int i = 0; i < kLabelTextCount; ++i) edits_[i]->setText(texts[i]);
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
            // A picture that cannot be read (moved, deleted, not a bitmap) leaves the
            // label's lines in view.
            QImage image;
            QString reason;
            if (print::LoadLabelPicture(pictures_[k], &image, &reason)) {
                pictureAreas_[k]->setPixmap(QPixmap::fromImage(image));
                showPicture = true;
            }
        }
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
        QImageReader reader(chosen, "bmp");
        const QSize size = reader.size();
        QImage image;
        QString reason;
        if (!print::LoadLabelPicture(chosen, &image, &reason)) {
            const QString text =
                size.isValid() && (size.width() > print::kPictureMaxWidth ||
                                   size.height() > print::kPictureMaxHeight)
                    ? LabelsText(19).arg(chosen).arg(size.width()).arg(size.height())
                    : LabelsText(20).arg(chosen);
            c_.dialogs->Message(this, text, QString(), MsgIcon::Warning);
            pictures_[k].clear();
        }
        pictureChosen_[k] = true;
    }
    initik();
}

void TForm5::Button9Click() {
    resize(kSide, kSide);
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
    SetSize(PanelSize::S22x62);
    for (QLineEdit* e : edits_) e->clear();
    for (QString& p : pictures_) p.clear();
    initik();
}

void TForm5::Button2Click() {
    const QString name = AskOpenName(this, c_, QStringLiteral("VXL"));
    if (name.size() <= 7) return;
    if (!HasLabelExtension(name, QStringLiteral("VXL"))) {
        c_.dialogs->Message(this, Msg(48), QString(), MsgIcon::None);
        return;
    }
    try {
        const PanelLabelFile file = ReadPanelLabelFile(name);
        SetTexts(file.texts);
        SetSize(PanelSizeFromText(file.sizeText, Size()));
        pictures_ = file.pictures;
    } catch (const LabelFileError& e) {
        c_.dialogs->Message(this, e.text(), QString(), MsgIcon::Error);
        return;
    }
    initik();
}

void TForm5::Button3Click() {
    const QString name = AskSaveName(this, c_, QStringLiteral("VXL"));
    if (name.size() <= 8) return;
    try {
        WritePanelLabelFile(name, Texts(), Size(), pictures_);
    } catch (const LabelFileError& e) {
        c_.dialogs->Message(this, e.text(), QString(), MsgIcon::Error);
    }
}

void TForm5::Button1Click() {
    PrintingScope scope(print_);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Label Norva DoorPhone"));
    if (!c_.dialogs->Print(this, printer)) return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        c_.dialogs->Message(this, LabelsText(22), QString(), MsgIcon::Error);
        return;
    }
    print::LabelCanvas canvas(painter);
    print::PanelJob job;
    job.texts = Texts();
    job.size = Size();
    job.pictures = pictures_;
    job.pictureMarks = pictureChosen_;
    const QStringList unusable = print::PrintPanelLabels(canvas, job);
    painter.end();
    if (!unusable.isEmpty())
        c_.dialogs->Message(this, LabelsText(21) + QLatin1Char('\n') + unusable.join('\n'),
                            QString(), MsgIcon::Warning);
}
