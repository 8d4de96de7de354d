#include "LanguageTexts.h"

#include "BuiltInTexts.h"
#include "IniFile.h"

namespace {
// A key as the program asks for it: the decimal number without padding or sign.
bool ParseKey(const QString& text, int* key) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 0 || QString::number(n) != text) return false;
    *key = n;
    return true;
}
} // namespace

QString LanguageTexts::Key(const QString& section, int key) {
    return section.toLower() + QLatin1Char('/') + QString::number(key);
}

QString LanguageTexts::BuiltIn(const QString& section, int key) {
    static const QHash<QString, QString> builtIns = [] {
        QHash<QString, QString> h;
        for (const BuiltInText& t : BuiltInTexts()) {
            const QString k = Key(QLatin1String(t.section), t.key);
            if (!h.contains(k)) h.insert(k, QString::fromUtf8(t.text));
        }
        return h;
    }();
    return builtIns.value(Key(section, key));
}

QString LanguageTexts::Text(const QString& section, int key) const {
    const auto it = entries_.constFind(Key(section, key));
    return it != entries_.constEnd() ? *it : BuiltIn(section, key);
}

bool LanguageTexts::Has(const QString& section, int key) const {
    return entries_.contains(Key(section, key));
}

void LanguageTexts::Load(const IniFile& file) {
    entries_.clear();
    for (const QString& section : file.SectionNames())
        for (const auto& [k, v] : file.SectionEntries(section)) {
            int n = 0;
            if (ParseKey(k, &n) && !entries_.contains(Key(section, n)))
                entries_.insert(Key(section, n), v);
        }
}

bool LanguageTexts::LoadFile(const QString& path, QString* error) {
    IniFile file;
    const bool found = file.Load(path);
    if (!found && error) *error = file.errorString();
    Load(file);
    return found;
}

void LanguageTexts::Set(const QString& section, int key, const QString& text) {
    entries_.insert(Key(section, key), text);
}

LanguageTexts::ModelListEntry LanguageTexts::ModelEntry(int n) const {
    ModelListEntry entry{QString(), QStringLiteral("blank.jpg"), QStringLiteral("VantNorvaLC.ini")};
    if (n < 0 || n >= kModelSlots) return entry;
    const auto read = [this, n](const char* section, QString* value) {
        const auto it = entries_.constFind(Key(QLatin1String(section), n));
        if (it != entries_.constEnd()) *value = *it;
    };
    read("Model", &entry.name);
    read("Picture", &entry.picture);
    read("Template", &entry.templateFile);
    return entry;
}
