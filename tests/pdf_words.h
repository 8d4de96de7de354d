#pragma once
// Reads a PDF back as words with their places on the page (poppler's pdftotext
// -bbox-layout), so tests can check what was printed where. Positions are in PDF points
// (1/72 inch) from the top left corner of the page.

#include <QFile>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

namespace pdf {

struct Word {
    int page = 0; // 0-based
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
};

// The words of one printed line, left to right.
struct Line {
    int page = 0;
    double y = 0; // top of the line's first word
    QList<Word> words;
    QString Text() const {
        QStringList parts;
        for (const Word& w : words) parts << w.text;
        return parts.join(QLatin1Char(' '));
    }
    // The word that starts at or after x (points), nullptr when none.
    const Word* At(double x, double tolerance = 1.0) const {
        for (const Word& w : words)
            if (std::abs(w.xMin - x) <= tolerance) return &w;
        return nullptr;
    }
};

struct Document {
    bool ok = false;
    QString error;
    QList<QSizeF> pages; // width and height of every page, in points
    QList<Word> words;

    // The words of a page grouped into lines (words whose tops are within tolerance),
    // top to bottom.
    QList<Line> Lines(int page, double tolerance = 1.5) const {
        QList<Word> onPage;
        for (const Word& w : words)
            if (w.page == page) onPage << w;
        std::stable_sort(onPage.begin(), onPage.end(),
                         [](const Word& a, const Word& b) { return a.yMin < b.yMin; });
        QList<Line> lines;
        for (const Word& w : onPage) {
            if (lines.isEmpty() || w.yMin - lines.last().y > tolerance)
                lines.append(Line{page, w.yMin, {}});
            lines.last().words << w;
        }
        for (Line& l : lines)
            std::sort(l.words.begin(), l.words.end(),
                      [](const Word& a, const Word& b) { return a.xMin < b.xMin; });
        return lines;
    }
    // Every line of the document, page after page.
    QList<Line> AllLines() const {
        QList<Line> out;
        for (int p = 0; p < pages.size(); ++p) out += Lines(p);
        return out;
    }
    // The first line whose text starts with prefix (on any page), nullptr when none.
    const Line* FindLine(const QList<Line>& lines, const QString& prefix) const {
        for (const Line& l : lines)
            if (l.Text().startsWith(prefix)) return &l;
        return nullptr;
    }
};

inline QString Unescape(QString text) {
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

inline Document ReadWords(const QString& pdfPath) {
    Document doc;
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("words.html"));
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox-layout"), pdfPath, out});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode()) {
        doc.error = QStringLiteral("pdftotext failed: ") +
                    QString::fromLocal8Bit(p.readAllStandardError()) + p.errorString();
        return doc;
    }
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly)) {
        doc.error = file.errorString();
        return doc;
    }
    const QString html = QString::fromUtf8(file.readAll());
    static const QRegularExpression tag(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|"
                       "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    int page = -1;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(1).isEmpty()) {
            doc.pages << QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
            ++page;
            continue;
        }
        doc.words << Word{page,
                          m.captured(3).toDouble(),
                          m.captured(4).toDouble(),
                          m.captured(5).toDouble(),
                          m.captured(6).toDouble(),
                          Unescape(m.captured(7))};
    }
    doc.ok = true;
    return doc;
}

// Device pixels of a printout at dpi, with the printable area starting margin
// millimetres from the page's corner, as PDF points.
inline double Points(int pixels, int dpi, double marginMm = 0) {
    return marginMm * 72 / 25.4 + pixels * 72.0 / dpi;
}

} // namespace pdf
