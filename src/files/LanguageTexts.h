#pragma once
// The texts of the language file in use, with the built-in English texts behind them.
// Every caption and message of the program is a [Section] n entry.

#include <QHash>
#include <QString>

class IniFile;

struct BuiltInText {
    const char* section;
    int key;
    const char* text; // UTF-8
};

class LanguageTexts {
public:
    // The [section] key text: the language file's entry when it has one (an empty value
    // included), else the built-in text ("" when there is none).
    QString Text(const QString& section, int key) const;
    // The built-in English text alone.
    static QString BuiltIn(const QString& section, int key);

    // Takes every entry of a language file; entries not in it fall back to built-ins.
    void Load(const IniFile& file);
    // Back to the built-in texts only.
    void Clear() { entries_.clear(); }
    // Replaces one entry (tests, and texts composed at run time).
    void Set(const QString& section, int key, const QString& text);

private:
    static QString Key(const QString& section, int key);
    QHash<QString, QString> entries_;
};
