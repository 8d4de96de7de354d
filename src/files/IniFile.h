#pragma once
// INI profile files with the semantics installers know from Windows tools: sections and
// keys are matched without regard to case, writing a key replaces its value where it
// stands, a missing key is added at the end of its section, a missing section is
// appended at the end of the file, and a missing key reads as the caller's default.
// Nothing the file already holds is reordered or dropped.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class IniFile {
public:
    IniFile() = default;

    // Reads the file; a missing, unreadable or oversized file, or one that is not a regular
    // file, gives an empty profile and false (with errorString()).
    bool Load(const QString& path);
    // Parses text already decoded.
    void LoadText(const QString& text);
    // Decodes bytes as UTF-8, or as Windows-1250 when they are not valid UTF-8.
    static QString DecodeBytes(const QByteArray& bytes);

    // Writes the whole profile (CR LF line ends) to path, or to the loaded path, whole or
    // not at all (OutputFile). Returns false (with errorString()) when the file cannot be
    // written.
    bool Save(const QString& path = QString());
    QString errorString() const { return error_; }
    QString path() const { return path_; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // A decimal number with an optional sign; anything else (text, trailing characters,
    // an empty value, a number beyond int) reads as the default.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool HasKey(const QString& section, const QString& key) const;
    QStringList SectionNames() const;
    // Key/value pairs of a section in file order (the first section of that name).
    QList<QPair<QString, QString>> SectionEntries(const QString& section) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value) {
        WriteString(section, key, QString::number(value));
    }

    QString ToText() const;

private:
    struct Line {
        QString raw;
        QString section; // for a section header line: its name
        QString key;     // for a key line: its key (trimmed)
        QString value;   // for a key line: its value (trimmed)
        enum Kind { Other, Section, Key } kind = Other;
    };
    int FindSection(const QString& section) const;
    int FindKey(int sectionLine, const QString& key) const;
    int SectionEnd(int sectionLine) const;

    QList<Line> lines_;
    QString path_;
    QString error_;
};
