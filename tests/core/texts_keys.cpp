// The names code uses for language entries (TextKeys.h): each names an entry the program
// has a built-in text for and the shipped translation carries, and no entry has two names.
// The names are read from the header itself, so a name added there is checked without
// being listed here.
#include "LanguageTable.h"
#include "TextKeys.h"

#include "IniFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QRegularExpression>

namespace {

struct NamedKey {
    QString name;
    QString section;
    int key = 0;
};

QString HeaderText() {
    QFile header(QStringLiteral(NORVA_SOURCE_DIR "/src/files/TextKeys.h"));
    return header.open(QIODevice::ReadOnly) ? QString::fromUtf8(header.readAll()) : QString();
}

QList<NamedKey> NamedKeys(const QString& text) {
    QHash<QString, QString> sections;
    static const QRegularExpression section(
        QStringLiteral(R"re(constexpr const char\* (\w+) = "(\w+)";)re"));
    for (const auto& m : section.globalMatch(text)) sections.insert(m.captured(1), m.captured(2));
    QList<NamedKey> named;
    static const QRegularExpression key(
        QStringLiteral(R"re(constexpr TextKey (\w+)\{\s*(\w+),\s*(\d+)\s*\};)re"));
    for (const auto& m : key.globalMatch(text))
        named.push_back({m.captured(1), sections.value(m.captured(2)), m.captured(3).toInt()});
    return named;
}

} // namespace

TEST(TextsKeys, EveryNameIsAnEntryOfTheTableAndTheTranslation) {
    const QString header = HeaderText();
    const QList<NamedKey> named = NamedKeys(header);
    // Every name is read, however it is laid out.
    EXPECT_EQ(named.size(), header.count(QStringLiteral("constexpr TextKey ")));
    // The header is read as the compiler reads it: its names carry the compiled values.
    const auto compiled = [&named](const char* name, TextKey expected) {
        for (const NamedKey& n : named)
            if (n.name == QLatin1String(name))
                return n.section == QLatin1String(expected.section) && n.key == expected.key;
        return false;
    };
    ASSERT_TRUE(compiled("kNoAnswer", keys::kNoAnswer));
    ASSERT_TRUE(compiled("kWriteVerified", keys::kWriteVerified));
    ASSERT_TRUE(compiled("kCannotWrite", keys::kCannotWrite));

    IniFile czech;
    ASSERT_TRUE(czech.Load(QStringLiteral(NORVA_SOURCE_DIR "/assets/Czech.lng")));
    QHash<QString, QString> nameOf;
    for (const NamedKey& n : named) {
        SCOPED_TRACE(n.name.toStdString());
        ASSERT_FALSE(n.section.isEmpty()) << "a section constant the test does not know";
        const LanguageEntry* entry = FindLanguageEntry(n.section, n.key);
        ASSERT_NE(entry, nullptr) << n.section.toStdString() << " " << n.key;
        EXPECT_FALSE(QByteArray(entry->builtIn).isEmpty());
        EXPECT_TRUE(czech.HasKey(n.section, QString::number(n.key)));
        const QString place = n.section + QLatin1Char('/') + QString::number(n.key);
        EXPECT_FALSE(nameOf.contains(place)) << "also named " << nameOf.value(place).toStdString();
        nameOf.insert(place, n.name);
    }
}
