#include "Dialogs.h"

#include "LanguageTexts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

namespace {
QMessageBox::Icon ToIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString CaptionOr(const QString& caption) {
    return caption.isEmpty() ? QApplication::applicationName() : caption;
}
} // namespace

int TitleBarWidth(const QString& title) {
    // The icon, the three buttons and the frame of a usual title bar.
    constexpr int kTitleBarFurniture = 150;
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarFurniture;
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, MsgIcon icon, const QString& caption,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons) {
    auto box =
        std::make_unique<QMessageBox>(ToIcon(icon), CaptionOr(caption), text, buttons, parent);
    // The box sizes itself to its text and leaves the title little room: an invisible row
    // as wide as the title bar needs keeps the whole title in view.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const int margins = grid->contentsMargins().left() + grid->contentsMargins().right();
        grid->addItem(new QSpacerItem(TitleBarWidth(box->windowTitle()) - margins, 0,
                                      QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

QString FileWriteFailureText(const LanguageTexts& texts, const QString& file, OutputFailure failure,
                             const QString& reason) {
    const QString path = QDir::toNativeSeparators(file);
    switch (failure) {
    case OutputFailure::Folder: return texts.Text(keys::kIsAFolder).arg(path);
    case OutputFailure::NotAFile: return texts.Text(keys::kNotARegularFile).arg(path);
    case OutputFailure::None:
    case OutputFailure::NoName:
    case OutputFailure::System: break;
    }
    return texts.Text(keys::kCannotWrite).arg(path, reason);
}

void QtDialogs::Message(QWidget* parent, const QString& text, const QString& caption,
                        MsgIcon icon) {
    MakeMessageBox(parent, icon, caption, text, QMessageBox::Ok)->exec();
}

bool QtDialogs::YesNo(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon,
                      bool defaultNo) {
    const auto box =
        MakeMessageBox(parent, icon, caption, text, QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    return box->exec() == QMessageBox::Yes;
}

QString QtDialogs::OpenFile(QWidget* parent, const FileDialogRequest& r) {
    QFileDialog dialog(parent, r.title, r.initialDir, r.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(r.defaultSuffix);
    if (!r.initialName.isEmpty()) dialog.selectFile(r.initialName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}

QString QtDialogs::SaveFile(QWidget* parent, const FileDialogRequest& r) {
    QFileDialog dialog(parent, r.title, r.initialDir, r.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(r.defaultSuffix);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!r.initialName.isEmpty()) dialog.selectFile(r.initialName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}

bool QtDialogs::Print(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void ScriptedDialogs::Message(QWidget*, const QString& text, const QString& caption, MsgIcon icon) {
    shown.append({QStringLiteral("message"), text, caption, icon});
}

bool ScriptedDialogs::YesNo(QWidget*, const QString& text, const QString& caption, MsgIcon icon,
                            bool) {
    shown.append({QStringLiteral("question"), text, caption, icon});
    if (whileQuestionOpen) whileQuestionOpen();
    return answers.isEmpty() ? false : answers.takeFirst();
}

QString ScriptedDialogs::OpenFile(QWidget*, const FileDialogRequest& request) {
    shown.append({QStringLiteral("open"), request.title, QString(), MsgIcon::None});
    fileRequests.append(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedDialogs::SaveFile(QWidget*, const FileDialogRequest& request) {
    shown.append({QStringLiteral("save"), request.title, QString(), MsgIcon::None});
    fileRequests.append(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

bool ScriptedDialogs::Print(QWidget*, QPrinter& printer) {
    shown.append({QStringLiteral("print"), printer.docName(), QString(), MsgIcon::None});
    const QString file = printAnswers.isEmpty() ? QString() : printAnswers.takeFirst();
    if (file.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    if (printDpi > 0) printer.setResolution(printDpi);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    return true;
}

QStringList ScriptedDialogs::Texts() const {
    QStringList out;
    for (const Shown& s : shown) out << s.text;
    return out;
}
