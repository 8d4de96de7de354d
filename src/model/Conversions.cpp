#include "Conversions.h"

#include "PrintableText.h"

std::optional<int> ParseDecimal(QStringView text) {
    if (text.isEmpty()) return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == u'+' || text[0] == u'-') {
        negative = text[0] == u'-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return std::nullopt;
    return int(value);
}

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ') ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ') --end;
    return text.mid(begin, end - begin);
}

QString NotAnIntegerText(const QString& value) {
    // The value comes from a file: whatever it holds, the message shows only what prints,
    // and not more of it than a field can hold.
    return QStringLiteral("'%1' is not a valid integer value").arg(PrintableText(value, 64));
}
