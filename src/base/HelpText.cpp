#include "HelpText.h"

#include <QStringList>

QString HelpEntry(const QString& term, const QString& description, int column, int width) {
    const QString indent(column, QLatin1Char(' '));
    QString out = term;
    if (description.isEmpty()) return out + QLatin1Char('\n');
    if (out.size() > column - 2)
        out += QLatin1Char('\n') + indent;
    else
        out = out.leftJustified(column, QLatin1Char(' '));
    bool firstLine = true;
    for (const QString& paragraph : description.split(QLatin1Char('\n'))) {
        if (!firstLine) out += QLatin1Char('\n') + indent;
        firstLine = false;
        int used = column;
        bool firstWord = true;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!firstWord && used + 1 + word.size() > width) {
                out += QLatin1Char('\n') + indent;
                used = column;
                firstWord = true;
            }
            if (!firstWord) {
                out += QLatin1Char(' ');
                ++used;
            }
            out += word;
            used += int(word.size());
            firstWord = false;
        }
    }
    return out + QLatin1Char('\n');
}
