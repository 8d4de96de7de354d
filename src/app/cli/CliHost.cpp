#include "CliHost.h"

#include "FieldCatalogue.h"
#include "PrintableText.h"

#include <algorithm>
#include <unistd.h>

namespace {

// Message texts may carry the window's line breaks (CR LF); a terminal wants LF. Every
// line is made printable, so a text quoted from a file cannot send the terminal commands.
QString Lines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) line = Printable(line);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString Printable(const QString& text) {
    // A line break or tab reads better by its usual name; everything else that does not
    // print is escaped as the window escapes it.
    QString out;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\t' && c != u'\n' && c != u'\r') continue;
        out += PrintableText(QStringView(text).mid(from, i - from));
        out += c == u'\t' ? QStringLiteral("\\t")
                          : (c == u'\n' ? QStringLiteral("\\n") : QStringLiteral("\\r"));
        from = i + 1;
    }
    return out + PrintableText(QStringView(text).mid(from));
}

CliHost::CliHost(std::FILE* err) : err_(err), tty_(isatty(fileno(err)) == 1) {}

void CliHost::EndProgressLine() {
    if (!progressDrawn_) return;
    std::fputs("\r\033[K", err_);
    progressDrawn_ = false;
}

void CliHost::ShowMessage(const QString& text, const QString& caption, MsgIcon) {
    EndProgressLine();
    QString line = Lines(text);
    if (!caption.isEmpty() && caption.trimmed() != line.trimmed())
        line = Printable(caption.trimmed()) + QStringLiteral(": ") + line;
    std::fprintf(err_, "%s\n", line.toLocal8Bit().constData());
    std::fflush(err_);
}

bool CliHost::AskYesNo(const QString& text, const QString& caption, MsgIcon) {
    EndProgressLine();
    // One line: the question's own line breaks and indentation are for a message box.
    QStringList parts;
    for (const QString& part : Lines(text).split(QLatin1Char('\n'))) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty()) parts << trimmed;
    }
    QString line = parts.join(QLatin1Char(' '));
    if (!caption.trimmed().isEmpty()) line = Printable(caption.trimmed()) + QLatin1Char(' ') + line;
    std::fprintf(err_, "%s  Yes (answered by norvaset-cli)\n", line.toLocal8Bit().constData());
    std::fflush(err_);
    return true;
}

void CliHost::ShowProgress(bool visible) {
    progressVisible_ = visible;
    if (!visible) EndProgressLine();
}

void CliHost::SetProgress(int position) {
    if (!tty_ || !progressVisible_) return;
    constexpr int kWidth = 40;
    const int percent = qBound(0, position, 255) * 100 / 255;
    if (progressDrawn_ && percent == drawnPercent_) return;
    drawnPercent_ = percent;
    const int filled = qBound(0, position, 255) * kWidth / 255;
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(kWidth - filled, '.');
    std::fprintf(err_, "\r[%s] %3d%%", bar.constData(), percent);
    std::fflush(err_);
    progressDrawn_ = true;
}

void CliHost::Note(const QString& text) {
    EndProgressLine();
    std::fprintf(err_, "norvaset-cli: %s\n", Lines(text).toLocal8Bit().constData());
    std::fflush(err_);
}

void CliHost::Fail(const QString& text) {
    Note(text);
    failed_ = true;
}

void CliTemplateTarget::SetVisible(const QString& objectName, bool visible) {
    if (objectName == QLatin1String(kButtonCountField)) host_.buttonCountVisible = visible;
}
