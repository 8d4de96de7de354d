// The language files shipped beside the program: English.lng is exactly the built-in table,
// and every translation carries the same keys.
#include "LanguageTable.h"
#include "LanguageTexts.h"

#include "IniFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSet>

namespace {

const QStringList kModelSections = {QStringLiteral("Model"), QStringLiteral("Picture"),
                                    QStringLiteral("Template")};

// The five models of the shipped list: name, picture, template.
const char* const kModels[][3] = {
    {"Vant Norva low cost", "norva_lowcost.jpg", "norva_lowcost.ini"},
    {"Norva 2 Keypad", "norva_2k.jpg", "norva_2k.ini"},
    {"Vant Norva 4", "vant_norva4.jpg", "vant_norva4.ini"},
    {"Norva 10", "norva_10.jpg", "norva_10.ini"},
    {"Norva 99", "norva_99.jpg", "norva_99.ini"},
};

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

// A value as the INI reader gives it back: blanks at either end, or a value that is itself
// quoted, are kept by quoting.
QString LngValue(const QString& text) {
    const bool quote = text != text.trimmed() ||
                       (text.size() >= 2 && text.front() == text.back() &&
                        (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\'')));
    return quote ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

QString EnglishFileText() {
    QString out = QStringLiteral("; English texts of NorvaSet, and the list of door-phone "
                                 "models\n");
    QString section;
    for (const LanguageEntry& e : LanguageTable()) {
        if (section != QLatin1String(e.section)) {
            if (section == QLatin1String("Page14")) {
                for (int s = 0; s < kModelSections.size(); ++s) {
                    out += QStringLiteral("\n[%1]\n").arg(kModelSections[s]);
                    for (int n = 0; n < 5; ++n)
                        out += QStringLiteral("%1=%2\n").arg(n).arg(QLatin1String(kModels[n][s]));
                }
            }
            section = QLatin1String(e.section);
            out += QStringLiteral("\n[%1]\n").arg(section);
        }
        out += QStringLiteral("%1=%2\n").arg(e.key).arg(LngValue(QString::fromUtf8(e.builtIn)));
    }
    return out;
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
    for (const QString& s : kModelSections)
        for (int n = 0; n < 5; ++n)
            expected.insert(s.toLower() + QLatin1Char('/') + QString::number(n));
    EXPECT_EQ(KeySet(file), expected);

    // Sections in the order the program applies them, the model list after [Page14].
    QStringList order = LanguageSections();
    const int labels = order.indexOf(QStringLiteral("Labels"));
    for (int s = kModelSections.size() - 1; s >= 0; --s) order.insert(labels, kModelSections[s]);
    EXPECT_EQ(file.SectionNames(), order);
}

TEST(TextsShipped, EnglishModelList) {
    LanguageTexts texts;
    ASSERT_TRUE(texts.LoadFile(AssetPath("English.lng")));
    for (int n = 0; n < 5; ++n) {
        const LanguageTexts::ModelListEntry e = texts.ModelEntry(n);
        EXPECT_EQ(e.name, QLatin1String(kModels[n][0])) << n;
        EXPECT_EQ(e.picture, QLatin1String(kModels[n][1])) << n;
        EXPECT_EQ(e.templateFile, QLatin1String(kModels[n][2])) << n;
    }
    EXPECT_EQ(texts.ModelEntry(5).name, QString());
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
            for (int n = 0; n < 5; ++n)
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

// Writes assets/English.lng from the table; run with --gtest_also_run_disabled_tests after
// changing a built-in text.
TEST(TextsShipped, DISABLED_WriteEnglishFile) {
    QFile f(AssetPath("English.lng"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(EnglishFileText().toUtf8());
}
