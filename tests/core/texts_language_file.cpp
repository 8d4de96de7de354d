// Reading language files: built-ins behind missing keys, empty values, 8-bit files, key forms
// and the model list.
#include "LanguageTable.h"
#include "LanguageTexts.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

class TextsLanguageFile : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("Test.lng"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return path;
    }
    // Every table entry except the listed ones must show its built-in text.
    static void ExpectBuiltInsExcept(const LanguageTexts& texts,
                                     std::initializer_list<std::pair<const char*, int>> except) {
        for (const LanguageEntry& e : LanguageTable()) {
            bool skip = false;
            for (const auto& [section, key] : except)
                skip = skip || (qstrcmp(section, e.section) == 0 && key == e.key);
            if (skip) continue;
            EXPECT_EQ(texts.Text(QLatin1String(e.section), e.key), QString::fromUtf8(e.builtIn))
                << e.section << " " << e.key;
        }
    }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(TextsLanguageFile, OnlyMessage3ChangesOnlyThatText) {
    LanguageTexts texts;
    ASSERT_TRUE(texts.LoadFile(Write("[Message]\r\n3=Soubor nebyl vybr\xc3\xa1n\r\n")));
    EXPECT_EQ(texts.Text("Message", 3), QStringLiteral("Soubor nebyl vybrán"));
    EXPECT_EQ(StoredText(texts, "Message", 3), QStringLiteral("Soubor nebyl vybrán"));
    ExpectBuiltInsExcept(texts, {{"Message", 3}});
}

TEST_F(TextsLanguageFile, EmptyValueGivesEmptyTextNotTheBuiltIn) {
    LanguageTexts texts;
    ASSERT_TRUE(texts.LoadFile(Write("[Menu]\n1=\n[Page1]\n1=\n[Tree]\n13=\n")));
    EXPECT_TRUE(texts.Has("Menu", 1));
    EXPECT_EQ(texts.Text("Menu", 1), QString());
    const LanguageEntry* file = FindLanguageEntry("Menu", 1);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ComposeText(*file, file->targets.first(), texts), QString());
    const LanguageEntry* dial = FindLanguageEntry("Page1", 1);
    ASSERT_NE(dial, nullptr);
    EXPECT_EQ(ComposeText(*dial, dial->targets.first(), texts), QStringLiteral("41 "));
    EXPECT_EQ(StoredText(texts, "Tree", 13), QString());
    ExpectBuiltInsExcept(texts, {{"Menu", 1}, {"Page1", 1}, {"Tree", 13}});
}

TEST_F(TextsLanguageFile, MissingFileGivesBuiltInsAndDropsThePreviousLanguage) {
    LanguageTexts texts;
    ASSERT_TRUE(texts.LoadFile(Write("[Menu]\n1=Soubor\n[Model]\n0=X\n")));
    EXPECT_EQ(texts.Text("Menu", 1), QStringLiteral("Soubor"));
    EXPECT_FALSE(texts.LoadFile(dir_.filePath(QStringLiteral("Missing.lng"))));
    EXPECT_FALSE(texts.Has("Menu", 1));
    EXPECT_EQ(texts.ModelEntry(0).name, QString());
    ExpectBuiltInsExcept(texts, {});
}

TEST_F(TextsLanguageFile, Windows1250FileIsDecoded) {
    // "Nebyl vybrán žádný soubor" and "Tlačítka" in the 8-bit Central European code page.
    const QByteArray bytes = "[Message]\r\n"
                             "3=Nebyl vybr\xe1n \x9e\xe1"
                             "dn\xfd soubor\r\n"
                             "[Tree]\r\n"
                             "13=Tla\xe8\xedtka\r\n";
    LanguageTexts texts;
    ASSERT_TRUE(texts.LoadFile(Write(bytes)));
    EXPECT_EQ(texts.Text("Message", 3), QStringLiteral("Nebyl vybrán žádný soubor"));
    const LanguageEntry* buttons = FindLanguageEntry("Tree", 13);
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(ComposeText(*buttons, buttons->targets.first(), texts),
              QStringLiteral("Tlačítka  1-10"));
}

TEST_F(TextsLanguageFile, KeysAreReadAsThePlainDecimalNumber) {
    struct Case {
        const char* line;
        bool isKey1;
    };
    const Case cases[] = {
        {"1=X", true},   {" 1 = X ", true}, {"01=X", false}, {"+1=X", false},
        {"1a=X", false}, {"0x1=X", false},  {"-1=X", false}, {"1.0=X", false},
    };
    for (const Case& c : cases) {
        LanguageTexts texts;
        texts.LoadFile(Write(QByteArray("[menu]\n") + c.line + "\n"));
        EXPECT_EQ(texts.Text("Menu", 1), c.isKey1 ? QStringLiteral("X") : QStringLiteral("&File"))
            << c.line;
    }
}

TEST_F(TextsLanguageFile, FirstOfRepeatedKeysCounts) {
    LanguageTexts texts;
    texts.LoadFile(Write("[Menu]\n2=Nový\n2=Jiný\n[MENU]\n3=Otevřít\n"));
    EXPECT_EQ(texts.Text("Menu", 2), QStringLiteral("Nový"));
}

TEST_F(TextsLanguageFile, ModelListSlots) {
    LanguageTexts texts;
    texts.LoadFile(Write("[Model]\n0=Alpha\n2=Gamma\n30=Last\n31=Beyond\n"
                         "[Picture]\n0=alpha.jpg\n2=\n"
                         "[Template]\n2=gamma.ini\n"));
    struct Case {
        int slot;
        const char* name;
        const char* picture;
        const char* templateFile;
    };
    const Case cases[] = {
        {0, "Alpha", "alpha.jpg", "VantNorvaLC.ini"},
        {1, "", "blank.jpg", "VantNorvaLC.ini"},
        {2, "Gamma", "", "gamma.ini"},
        {30, "Last", "blank.jpg", "VantNorvaLC.ini"},
        {31, "", "blank.jpg", "VantNorvaLC.ini"},
        {-1, "", "blank.jpg", "VantNorvaLC.ini"},
    };
    for (const Case& c : cases) {
        const LanguageTexts::ModelListEntry e = texts.ModelEntry(c.slot);
        EXPECT_EQ(e.name, QLatin1String(c.name)) << c.slot;
        EXPECT_EQ(e.picture, QLatin1String(c.picture)) << c.slot;
        EXPECT_EQ(e.templateFile, QLatin1String(c.templateFile)) << c.slot;
    }
}
