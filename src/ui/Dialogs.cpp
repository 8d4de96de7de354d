#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
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

void QtDialogs::Message(QWidget* parent, const QString& text, const QString& caption,
                        MsgIcon icon) {
    QMessageBox box(ToIcon(icon), CaptionOr(caption), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::YesNo(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon,
                      bool defaultNo) {
    QMessageBox box(ToIcon(icon), CaptionOr(caption), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
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
