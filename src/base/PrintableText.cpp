#include "PrintableText.h"

namespace {

bool Prints(char32_t code) {
    if (!QChar::isPrint(code)) return false;
    const QChar::Category category = QChar::category(code);
    return category != QChar::Separator_Line && category != QChar::Separator_Paragraph;
}

QString Escape(char32_t code) {
    const auto hex = [code](int digits) {
        return QString::number(uint(code), 16).toUpper().rightJustified(digits, QLatin1Char('0'));
    };
    if (code < 0x100) return QStringLiteral("\\x") + hex(2);
    if (code < 0x10000) return QStringLiteral("\\u") + hex(4);
    return QStringLiteral("\\U") + hex(8);
}

} // namespace

QString PrintableText(QStringView text, qsizetype maxChars) {
    QString out;
    out.reserve(text.size());
    qsizetype shown = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (maxChars > 0 && shown == maxChars) {
            out += QChar(0x2026);
            break;
        }
        ++shown;
        // A surrogate pair is one character; a lone surrogate is not text at all.
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t code =
            pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode());
        const qsizetype units = pair ? 2 : 1;
        if (!text[i].isSurrogate() || pair) {
            if (Prints(code)) {
                out += text.mid(i, units);
                i += units - 1;
                continue;
            }
        }
        out += Escape(code);
        i += units - 1;
    }
    return out;
}
