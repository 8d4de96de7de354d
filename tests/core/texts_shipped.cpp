// The language files shipped beside the program: English.lng is exactly the built-in table,
// and every translation carries the same keys.
#include "LanguageTable.h"
#include "LanguageTexts.h"

#include "IniFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSet>

namespace {

QString AssetPath(const char* name) {
    return QStringLiteral(NORVA_SOURCE_DIR "/assets/") + QLatin1String(name);
}

// Every (section, key) of a file, section names as the table spells them.
QSet<QString> KeySet(const IniFile& file) {
    QSet<QString> keys;
    for (const QString& section : file.SectionNames())
        for (const auto& entry : file.SectionEntries(section))
            keys.insert(section.toLower() + QLatin1Char('/') + entry.first);
    return keys;
}

} // namespace

TEST(TextsShipped, EnglishHoldsEveryEntryAsItsBuiltInText) {
    IniFile file;
    ASSERT_TRUE(file.Load(AssetPath("English.lng")));
    QSet<QString> expected;
    for (const LanguageEntry& e : LanguageTable()) {
        const QString key = QString::number(e.key);
        expected.insert(QString::fromLatin1(e.section).toLower() + QLatin1Char('/') + key);
        EXPECT_TRUE(file.HasKey(QLatin1String(e.section), key)) << e.section << " " << e.key;
        EXPECT_EQ(file.ReadString(QLatin1String(e.section), key, QStringLiteral("<missing>")),
                  QString::fromUtf8(e.builtIn))
            << e.section << " " << e.key;
    }
    for (const QString& s : ModelListSections())
        for (std::size_t n = 0; n < ShippedModels().size(); ++n)
            expected.insert(s.toLower() + QLatin1Char('/') + QString::number(n));
    EXPECT_EQ(KeySet(file), expected);
    // Written by the tool target english_lng: the file is exactly the table's.
    QFile shipped(AssetPath("English.lng"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    EXPECT_TRUE(shipped.readAll() == EnglishLanguageFileText().toUtf8())
        << "assets/English.lng is out of date: ninja -C build english_lng";

    // Sections in the order the program applies them, the model list after [Page14].
    QStringList order = LanguageSections();
    const int labels = order.indexOf(QStringLiteral("Labels"));
    const QList<QString> listSections = ModelListSections();
    for (int s = int(listSections.size()) - 1; s >= 0; --s) order.insert(labels, listSections[s]);
    EXPECT_EQ(file.SectionNames(), order);
}

TEST(TextsShipped, EnglishModelList) {
    LanguageTexts texts;
    ASSERT_TRUE(texts.LoadFile(AssetPath("English.lng")));
    const auto models = ShippedModels();
    for (int n = 0; n < int(models.size()); ++n) {
        const LanguageTexts::ModelListEntry e = texts.ModelEntry(n);
        EXPECT_EQ(e.name, QString::fromUtf8(models[n].name)) << n;
        EXPECT_EQ(e.picture, QLatin1String(models[n].picture)) << n;
        EXPECT_EQ(e.templateFile, QLatin1String(models[n].templateFile)) << n;
        // Every shipped model has its picture and its template beside the language files.
        EXPECT_TRUE(QFile::exists(AssetPath(models[n].picture))) << models[n].picture;
        EXPECT_TRUE(QFile::exists(AssetPath(models[n].templateFile))) << models[n].templateFile;
    }
    EXPECT_EQ(texts.ModelEntry(int(models.size())).name, QString());
}

TEST(TextsShipped, TranslationsHaveTheSameKeysAndModelFiles) {
    IniFile english;
    ASSERT_TRUE(english.Load(AssetPath("English.lng")));
    for (const char* name : {"Czech.lng"}) {
        IniFile file;
        ASSERT_TRUE(file.Load(AssetPath(name))) << name;
        EXPECT_EQ(KeySet(file), KeySet(english)) << name;
        EXPECT_EQ(file.SectionNames(), english.SectionNames()) << name;
        // Only the model names are translated; the files behind them are the same.
        for (const char* section : {"Picture", "Template"})
            for (int n = 0; n < int(ShippedModels().size()); ++n)
                EXPECT_EQ(file.ReadString(section, QString::number(n), {}),
                          english.ReadString(section, QString::number(n), {}))
                    << name << " " << section << " " << n;
        // A text that is shown must not vanish in translation, nor an empty one appear.
        for (const LanguageEntry& e : LanguageTable()) {
            const QString key = QString::number(e.key);
            EXPECT_EQ(file.ReadString(QLatin1String(e.section), key, {}).isEmpty(),
                      QByteArray(e.builtIn).isEmpty())
                << name << " " << e.section << " " << e.key;
        }
    }
}

// Texts that are joined without a separator (the Help window's) carry the blank between
// them, in the built-in table and in every shipped language file.
TEST(TextsShipped, JoinedTextsKeepTheirBlanks) {
    std::vector<std::pair<QString, LanguageTexts>> languages(3);
    languages[0].first = QStringLiteral("built-in");
    languages[1].first = QStringLiteral("English.lng");
    languages[2].first = QStringLiteral("Czech.lng");
    for (std::size_t i = 1; i < languages.size(); ++i)
        ASSERT_TRUE(languages[i].second.LoadFile(AssetPath(languages[i].first.toUtf8())));
    for (const auto& [name, texts] : languages) {
        QStringList parts;
        for (int key = 1; key <= 4; ++key) {
            const QString part = texts.Text(QStringLiteral("Help"), key);
            if (!part.isEmpty()) parts << part;
        }
        ASSERT_GE(parts.size(), 2) << name.toStdString();
        for (int i = 0; i + 1 < parts.size(); ++i)
            EXPECT_TRUE(parts[i].back().isSpace() || parts[i + 1].front().isSpace())
                << name.toStdString() << ": \"" << parts[i].toStdString() << "\" runs into \""
                << parts[i + 1].toStdString() << "\"";
    }
}
