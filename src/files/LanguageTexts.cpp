#include "LanguageTexts.h"

#include "BuiltInTexts.h"
#include "IniFile.h"

QString LanguageTexts::Key(const QString& section, int key) {
    return section.toLower() + QLatin1Char('/') + QString::number(key);
}

QString LanguageTexts::BuiltIn(const QString& section, int key) {
    for (const BuiltInText& t : BuiltInTexts())
        if (section.compare(QLatin1String(t.section), Qt::CaseInsensitive) == 0 && t.key == key)
            return QString::fromUtf8(t.text);
    return QString();
}

QString LanguageTexts::Text(const QString& section, int key) const {
    const auto it = entries_.constFind(Key(section, key));
    return it != entries_.constEnd() ? *it : BuiltIn(section, key);
}

void LanguageTexts::Load(const IniFile& file) {
    entries_.clear();
    for (const QString& section : file.SectionNames())
        for (const auto& [k, v] : file.SectionEntries(section)) {
            bool ok = false;
            const int n = k.toInt(&ok);
            if (ok && !entries_.contains(Key(section, n))) entries_.insert(Key(section, n), v);
        }
}

void LanguageTexts::Set(const QString& section, int key, const QString& text) {
    entries_.insert(Key(section, key), text);
}
