#include "AboutWindow.h"

#include "AppConfig.h"
#include "LanguageTexts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

QString ProgramCaption(const QString& programName, const QString& versionText) {
    return programName + QStringLiteral("   V") + versionText.left(4);
}

QString MailAddress(const LanguageTexts& texts) {
    return QStringLiteral("mailto:") + texts.Text(keys::kMailAddress) +
           QStringLiteral("?SUBJECT=") + texts.Text(keys::kMailSubject);
}

namespace {
constexpr int kWidth = 370, kHeight = 183;

const char* const kCredits = "NorvaSet for the Norva door phones\n\n"
                             "Design and programming: the Vendrolux software workshop\n"
                             "Tones, pictures and door-phone simulator: the Norva team\n\n"
                             "Thanks to every installer who sent us a report.";

// The logo shown until the language file names a picture that exists.
QPixmap BuiltInLogo() {
    QPixmap logo(180, 80);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 80);
    fill.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    fill.setColorAt(1, QColor(0x0e, 0x2a, 0x52));
    p.setBrush(fill);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 1, 178, 78), 10, 10);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(26);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 8, 180, 40), Qt::AlignCenter, QStringLiteral("Vendrolux"));
    f.setPixelSize(13);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(0, 46, 180, 24), Qt::AlignCenter, QStringLiteral("Norva door phones"));
    return logo;
}

QLabel* Add(QWidget* parent, const char* name, const QRect& at, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(at);
    return label;
}

void MakeLink(QLabel* label, const QString& hint) {
    QPalette blue = label->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(blue);
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(hint);
}
} // namespace

TForm2::TForm2(Host host, QWidget* parent) : QDialog(parent), host_(std::move(host)) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("O programu ..."));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kWidth, kHeight);

    QLabel* label1 = Add(this, "Label1", {0, 4, kWidth, 16},
                         QStringLiteral("Program for settins paramters in DoorPhone Norva"));
    QFont underlined = label1->font();
    underlined.setUnderline(true);
    label1->setFont(underlined);
    QLabel* label2 =
        Add(this, "Label2", {0, 20, kWidth, 16}, QStringLiteral("SetNorva - DoorPhone collection"));
    QFont bold = label2->font();
    bold.setBold(true);
    label2->setFont(bold);
    for (QLabel* l : {label1, label2}) l->setAlignment(Qt::AlignCenter);

    QLabel* image1 = Add(this, "Image1", {8, 40, 180, 80});
    image1->setAlignment(Qt::AlignCenter);
    image1->setPixmap(BuiltInLogo());

    const char* const vendor[4] = {"Label3", "Label4", "Label5", "Label6"};
    for (int i = 0; i < 4; ++i) Add(this, vendor[i], {200, 44 + 17 * i, 166, 16});

    auto* panel1 = new QFrame(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFrameShape(QFrame::StyledPanel);
    panel1->setFrameShadow(QFrame::Sunken);
    panel1->setGeometry(8, 124, kWidth - 16, 22);
    panel1_ = panel1;
    auto* row = new QHBoxLayout(panel1);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(6);
    QLabel* label10 = new QLabel(QStringLiteral("Version:"), panel1);
    label10->setObjectName(QStringLiteral("Label10"));
    QLabel* label11 = new QLabel(panel1);
    label11->setObjectName(QStringLiteral("Label11"));
    label11->setFont(bold);
    label11->setToolTip(QStringLiteral("Version of software"));
    QLabel* label7 = new QLabel(panel1);
    label7->setObjectName(QStringLiteral("Label7"));
    label7->setToolTip(QStringLiteral("Full version"));
    row->addWidget(label10);
    row->addWidget(label11);
    row->addWidget(label7, 1);

    MakeLink(Add(this, "Label9", {10, 148, kWidth - 20, 16}), QStringLiteral("Write Email"));
    MakeLink(Add(this, "Label8", {10, 165, kWidth - 20, 16}),
             QStringLiteral("Connect to the WEB sites"));

    auto* panel2 = new QFrame(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setFrameShape(QFrame::StyledPanel);
    panel2->setAutoFillBackground(true);
    panel2->setGeometry(8, 40, kWidth - 16, kHeight - 44);
    QLabel* credits =
        Add(panel2, "Label12", panel2->rect().adjusted(6, 6, -6, -6), QString::fromUtf8(kCredits));
    credits->setAlignment(Qt::AlignCenter);
    credits->setWordWrap(true);
    panel2->hide();
    panel2_ = panel2;

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kCreditsMs);
    connect(timer1_, &QTimer::timeout, this, &TForm2::Timer1Timer);

    // Releases over the fields count as releases over the window; the links open on a click.
    for (const char* name :
         {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label8", "Label9", "Image1"})
        Label(QLatin1String(name))->installEventFilter(this);
    panel1_->installEventFilter(this);
}

QLabel* TForm2::Label(const QString& name) const {
    return findChild<QLabel*>(name);
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ShowVersion(host_.versionText ? host_.versionText() : ProgramVersionText());
}

void TForm2::ShowVersion(const QString& versionText) {
    Label(QStringLiteral("Label7"))
        ->setText(QStringLiteral("(V  ") + versionText + QLatin1Char(')'));
    Label(QStringLiteral("Label11"))->setText(versionText.left(4));
}

void TForm2::Label9Click() {
    if (!host_.openAddress || !host_.texts) return;
    if (host_.openAddress(MailAddress(*host_.texts))) return;
    if (host_.report)
        host_.report(
            QStringLiteral("No e-mail program on this computer opens the link. Write to "
                           "%1 with the subject \"%2\".")
                .arg(host_.texts->Text(keys::kMailAddress), host_.texts->Text(keys::kMailSubject)));
}

void TForm2::Label8Click() {
    if (!host_.openAddress || !host_.texts) return;
    const QString address = host_.texts->Text(keys::kWebAddress);
    if (host_.openAddress(address)) return;
    if (host_.report)
        host_.report(
            QStringLiteral("No web browser on this computer opens the link. The address is %1.")
                .arg(address));
}

void TForm2::FormMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers both = Qt::ShiftModifier | Qt::ControlModifier;
    if (button != Qt::LeftButton || (modifiers & both) != both) return;
    panel2_->show();
    panel2_->raise();
    Label(QStringLiteral("Label8"))->hide();
    Label(QStringLiteral("Label9"))->hide();
    timer1_->start();
}

void TForm2::Timer1Timer() {
    panel2_->hide();
    Label(QStringLiteral("Label8"))->show();
    Label(QStringLiteral("Label9"))->show();
    timer1_->stop();
}

void TForm2::mouseReleaseEvent(QMouseEvent* event) {
    FormMouseUp(event->button(), event->modifiers());
    QDialog::mouseReleaseEvent(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QString name = watched->objectName();
        // The link labels are as wide as the window; only their text is the link.
        const auto* label = qobject_cast<QLabel*>(watched);
        const bool onText =
            label && mouse->position().x() <= label->fontMetrics().horizontalAdvance(label->text());
        const bool plain =
            onText && !(mouse->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
        if (name == QLatin1String("Label9") && mouse->button() == Qt::LeftButton && plain) {
            Label9Click();
            return true;
        }
        if (name == QLatin1String("Label8") && mouse->button() == Qt::LeftButton && plain) {
            Label8Click();
            return true;
        }
        // The e-mail link is not one of the fields that show the credits.
        if (name != QLatin1String("Label9")) FormMouseUp(mouse->button(), mouse->modifiers());
    }
    return QDialog::eventFilter(watched, event);
}
