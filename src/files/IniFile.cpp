#include "IniFile.h"

#include "FileAccess.h"
#include "TextCodec.h"

namespace {
bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

bool IniFile::Load(const QString& path) {
    path_ = path;
    lines_.clear();
    error_.clear();
    const FileContents contents = ReadBoundedFile(path, kMaxIniFileBytes);
    if (!contents.ok()) {
        error_ = path + QStringLiteral(": ") + contents.error;
        return false;
    }
    LoadText(DecodeBytes(contents.bytes));
    return true;
}

QString IniFile::DecodeBytes(const QByteArray& bytes) {
    return DecodeUtf8OrWindows1250(bytes);
}

namespace {
// "…" or '…': the quotes a profile reader takes off a value.
bool IsQuoted(const QString& value) {
    return value.size() >= 2 &&
           (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
           value.back() == value.front();
}
} // namespace

void IniFile::LoadText(const QString& text) {
    lines_.clear();
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList raw = normal.split(QLatin1Char('\n'));
    if (!raw.isEmpty() && raw.last().isEmpty()) raw.removeLast();
    for (const QString& r : raw) {
        Line line;
        line.raw = r;
        const QString t = r.trimmed();
        if (t.startsWith(QLatin1Char('[')) && t.contains(QLatin1Char(']'))) {
            line.kind = Line::Section;
            line.section = t.mid(1, t.indexOf(QLatin1Char(']')) - 1).trimmed();
        } else if (!t.startsWith(QLatin1Char(';')) && t.contains(QLatin1Char('='))) {
            const int eq = t.indexOf(QLatin1Char('='));
            line.kind = Line::Key;
            line.key = t.left(eq).trimmed();
            line.value = t.mid(eq + 1).trimmed();
            if (IsQuoted(line.value)) line.value = line.value.mid(1, line.value.size() - 2);
        }
        lines_.append(line);
    }
}

QString IniFile::ToText() const {
    QString out;
    for (const Line& l : lines_) out += l.raw + QLatin1String("\r\n");
    return out;
}

bool IniFile::Save(const QString& path) {
    const QString target = path.isEmpty() ? path_ : path;
    error_.clear();
    if (!WriteWholeFile(target, ToText().toUtf8(), &error_)) return false;
    path_ = target;
    return true;
}

int IniFile::FindSection(const QString& section) const {
    for (int i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Line::Section && SameName(lines_[i].section, section)) return i;
    return -1;
}

int IniFile::SectionEnd(int sectionLine) const {
    int i = sectionLine + 1;
    while (i < lines_.size() && lines_[i].kind != Line::Section) ++i;
    return i;
}

int IniFile::FindKey(int sectionLine, const QString& key) const {
    const int end = SectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i)
        if (lines_[i].kind == Line::Key && SameName(lines_[i].key, key)) return i;
    return -1;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const int s = FindSection(section);
    if (s < 0) return def;
    const int k = FindKey(s, key);
    return k < 0 ? def : lines_[k].value;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    const int s = FindSection(section);
    if (s < 0) return def;
    const int k = FindKey(s, key);
    if (k < 0) return def;
    // Only a whole decimal number counts: "abc", "2x", "" and numbers beyond int read as
    // the default, so a damaged key never turns into 0 or into its leading digits.
    const QString& v = lines_[k].value;
    int i = 0;
    const bool negative = !v.isEmpty() && v[0] == QLatin1Char('-');
    if (!v.isEmpty() && (v[0] == QLatin1Char('-') || v[0] == QLatin1Char('+'))) ++i;
    if (i >= v.size()) return def;
    long long n = 0;
    for (; i < v.size(); ++i) {
        if (v[i] < QLatin1Char('0') || v[i] > QLatin1Char('9')) return def;
        n = n * 10 + (v[i].unicode() - '0');
        if (n > 2147483648LL) return def;
    }
    if (negative) n = -n;
    if (n > 2147483647LL) return def;
    return static_cast<int>(n);
}

bool IniFile::HasKey(const QString& section, const QString& key) const {
    const int s = FindSection(section);
    return s >= 0 && FindKey(s, key) >= 0;
}

QStringList IniFile::SectionNames() const {
    QStringList names;
    for (const Line& l : lines_)
        if (l.kind == Line::Section) names << l.section;
    return names;
}

QList<QPair<QString, QString>> IniFile::SectionEntries(const QString& section) const {
    QList<QPair<QString, QString>> out;
    const int s = FindSection(section);
    if (s < 0) return out;
    const int end = SectionEnd(s);
    for (int i = s + 1; i < end; ++i)
        if (lines_[i].kind == Line::Key) out.append({lines_[i].key, lines_[i].value});
    return out;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    Line kv;
    kv.kind = Line::Key;
    kv.key = key;
    kv.value = value;
    // A value in quotes loses them on reading: one more pair keeps it as written.
    const QString stored = IsQuoted(value) ? value.front() + value + value.front() : value;
    kv.raw = key + QLatin1Char('=') + stored;
    int s = FindSection(section);
    if (s < 0) {
        Line head;
        head.kind = Line::Section;
        head.section = section;
        head.raw = QLatin1Char('[') + section + QLatin1Char(']');
        lines_.append(head);
        lines_.append(kv);
        return;
    }
    const int k = FindKey(s, key);
    if (k >= 0) {
        kv.key = lines_[k].key; // keep the spelling the file already has
        kv.raw = kv.key + QLatin1Char('=') + stored;
        lines_[k] = kv;
        return;
    }
    // After the last non-blank line of the section.
    int at = SectionEnd(s);
    while (at > s + 1 && lines_[at - 1].raw.trimmed().isEmpty()) --at;
    lines_.insert(at, kv);
}
