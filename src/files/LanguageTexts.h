#pragma once
// The texts of the language file in use, with the built-in English texts behind them.
// Every caption and message of the program is a [Section] n entry.

#include "TextKeys.h"

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
    // The model list of a language file: [Model], [Picture] and [Template] n for n = 0 ... 30.
    static constexpr int kModelSlots = 31;
    struct ModelListEntry {
        QString name;         // [Model] n, "" when missing (an unused slot)
        QString picture;      // [Picture] n, a file name in the program folder
        QString templateFile; // [Template] n, a file name in the program folder
    };

    // The [section] key text: the language file's entry when it has one (an empty value
    // included), else the built-in text ("" when there is none).
    QString Text(const QString& section, int key) const;
    QString Text(TextKey key) const { return Text(QLatin1String(key.section), key.key); }
    // The built-in English text alone.
    static QString BuiltIn(const QString& section, int key);
    // Whether the language file in use holds [section] key (an empty value included).
    bool Has(const QString& section, int key) const;

    // Takes every entry of a language file; entries not in it fall back to built-ins.
    // Keys are decimal numbers written without padding or sign, as the program reads them:
    // "01" or "+1" is not key 1 and is ignored.
    void Load(const IniFile& file);
    // Reads the language file at path (UTF-8, or Windows-1250 for old 8-bit files). A file
    // that does not exist, cannot be read, is not a regular file or is too large for a
    // language file leaves only the built-in texts and gives false, with the reason in
    // *error.
    bool LoadFile(const QString& path, QString* error = nullptr);
    // Back to the built-in texts only.
    void Clear() { entries_.clear(); }
    // Replaces one entry (tests, and texts composed at run time).
    void Set(const QString& section, int key, const QString& text);

    // Slot n (0 ... 30) of the model list, with the file names that a missing key stands
    // for ("blank.jpg", "VantNorvaLC.ini"). The file names are as written, not yet joined
    // to the program folder. A slot outside 0 ... 30 reads as all keys missing.
    ModelListEntry ModelEntry(int n) const;

private:
    static QString Key(const QString& section, int key);
    QHash<QString, QString> entries_;
};
