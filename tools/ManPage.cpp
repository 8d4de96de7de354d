#include "ManPage.h"

#include <QRegularExpression>

namespace {

// Text as man(7) prints it: a backslash is written "\e", a minus "\-" (so that options
// copied from the page are typed with the ASCII minus), and a line may not start with a
// control character.
QString Escaped(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\e");
        else if (c == QLatin1Char('-'))
            out += QStringLiteral("\\-");
        else
            out += c;
    }
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

// An option or a command with its arguments: the name and the options in bold, the
// values to fill in (DIR, N, IN.nvs) in italics.
QString Term(const QString& term) {
    static const QRegularExpression placeholder(QStringLiteral("^[A-Z][A-Za-z0-9._|]*$"));
    QStringList out;
    const QStringList words = term.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < words.size(); ++i) {
        const QString& w = words[i];
        if (i == 0 || w.startsWith(QLatin1Char('-')))
            out << QStringLiteral("\\fB") + Escaped(w) + QStringLiteral("\\fR");
        else if (placeholder.match(w).hasMatch())
            out << QStringLiteral("\\fI") + Escaped(w) + QStringLiteral("\\fR");
        else
            out << Escaped(w);
    }
    QString line = out.join(QLatin1Char(' '));
    if (line.startsWith(QLatin1Char('.')) || line.startsWith(QLatin1Char('\'')))
        line.prepend(QStringLiteral("\\&"));
    return line;
}

int Indent(const QString& line) {
    int n = 0;
    while (n < line.size() && line[n] == QLatin1Char(' ')) ++n;
    return n;
}

bool IsHeading(const QString& line) {
    return Indent(line) == 0 && line.endsWith(QLatin1Char(':')) && line.size() < 80;
}

} // namespace

QString ManPageFromHelp(const ManPageInfo& info, const QString& help) {
    QStringList lines = help.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty()) lines.removeFirst();
    const QString usage = QStringLiteral("Usage: ");
    if (lines.isEmpty() || !lines.first().startsWith(usage)) return QString();
    const QString synopsis = lines.takeFirst().mid(usage.size()).trimmed();

    QStringList out;
    out << QStringLiteral(".TH %1 %2 \"\" \"%3\" \"User Commands\"")
               .arg(info.name.toUpper(), QString::number(info.section), info.source);
    // Words are not broken at the end of a line: option and file names must stay whole.
    out << QStringLiteral(".nh");
    out << QStringLiteral(".SH NAME")
        << Escaped(info.name) + QStringLiteral(" \\- ") + Escaped(info.summary);
    out << QStringLiteral(".SH SYNOPSIS") << Term(synopsis);
    out << QStringLiteral(".SH DESCRIPTION");

    enum class Last { Start, Text, Entry, Blank };
    Last last = Last::Start;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed().isEmpty() ? QString() : raw;
        if (line.isEmpty()) {
            if (last != Last::Start) last = Last::Blank;
            continue;
        }
        const int indent = Indent(line);
        const QString text = line.trimmed();
        if (IsHeading(line)) {
            // "Faults (once each; ...):" is headed "FAULTS"; what the brackets say stays.
            QString title = text.chopped(1);
            QString aside;
            if (const int open = title.indexOf(QStringLiteral(" (")); open > 0) {
                aside = title.mid(open + 1);
                title = title.left(open);
            }
            out << QStringLiteral(".SH ") + Escaped(title.toUpper());
            last = Last::Start;
            if (!aside.isEmpty()) {
                out << Escaped(aside);
                last = Last::Text;
            }
            continue;
        }
        if (indent == 2) {
            // An entry: the term up to the first gap of two blanks or more.
            static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
            const QRegularExpressionMatch m = gap.match(text);
            const QString term = m.hasMatch() ? text.left(m.capturedStart()) : text;
            const QString body = m.hasMatch() ? text.mid(m.capturedEnd()) : QString();
            out << QStringLiteral(".TP") << Term(term);
            if (!body.isEmpty()) out << Escaped(body);
            last = Last::Entry;
            continue;
        }
        if (indent > 2 && last == Last::Entry) {
            out << Escaped(text);
            continue;
        }
        // Running text.
        if (last == Last::Blank || last == Last::Entry) out << QStringLiteral(".PP");
        out << Escaped(text);
        last = Last::Text;
    }
    if (!info.seeAlso.isEmpty()) {
        out << QStringLiteral(".SH SEE ALSO");
        QStringList refs;
        for (const QString& page : info.seeAlso) {
            const int open = page.indexOf(QLatin1Char('('));
            refs << (open > 0 ? QStringLiteral(".BR ") + Escaped(page.left(open)) +
                                    QStringLiteral(" ") + page.mid(open)
                              : QStringLiteral(".B ") + Escaped(page));
        }
        // Every reference but the last ends with a comma.
        for (int i = 0; i + 1 < refs.size(); ++i) refs[i] += QLatin1Char(',');
        out << refs;
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
