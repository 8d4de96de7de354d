// The language table: which keys are read in which order, and what each target shows.
#include "LanguageTable.h"
#include "LanguageTexts.h"

#include <gtest/gtest.h>

#include <QSet>

#include <numeric>
#include <vector>

namespace {

std::vector<int> Range(int first, int last) {
    std::vector<int> keys(last - first + 1);
    std::iota(keys.begin(), keys.end(), first);
    return keys;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const LanguageTarget* FindTarget(const LanguageEntry& entry, const QString& object, TextUse use,
                                 int index = -1) {
    for (const LanguageTarget& t : entry.targets)
        if (t.object == object && t.use == use && (index < 0 || t.index == index)) return &t;
    return nullptr;
}

QString Shown(const LanguageTexts& texts, const char* section, int key, const QString& object,
              TextUse use = TextUse::Caption, int index = -1) {
    const LanguageEntry* entry = FindLanguageEntry(QLatin1String(section), key);
    if (!entry) return QStringLiteral("<no entry>");
    const LanguageTarget* target = FindTarget(*entry, object, use, index);
    if (!target) return QStringLiteral("<no target>");
    return ComposeText(*entry, *target, texts);
}

} // namespace

TEST(TextsTable, SectionsAndKeysInApplicationOrder) {
    struct Section {
        const char* name;
        std::vector<int> keys;
    };
    const Section expected[] = {
        {"Info", Range(1, 17)},
        {"Menu", Range(1, 47)},
        {"Tree", Range(1, 15)},
        {"Page1", Range(1, 14)},
        {"Page2", Range(1, 5)},
        {"Page3", Range(1, 18)},
        {"Page4", Range(1, 12)},
        {"Page5", Range(1, 26)},
        {"Page6", Range(1, 5)},
        {"Page9", Range(1, 11)},
        {"Page10", Range(1, 8)},
        {"Page11", Range(1, 12)},
        {"Page12", Range(1, 12)},
        {"Page13", Range(1, 11)},
        {"Page14", Join(Join({1, 2}, Range(10, 15)), {3, 4, 5})},
        {"Labels", Join(Range(1, 8), Range(10, 24))},
        {"Firmware", Join(Range(1, 17), Range(20, 24))},
        {"Message", Join(Range(1, 45), Range(48, 62))},
        {"Help", Range(1, 4)},
        {"Audio", Range(1, 15)},
        {"Backup", Range(1, 32)},
        {"Files", Range(1, 5)},
        {"Window", Range(1, 2)},
    };
    std::vector<std::pair<QString, int>> want, got;
    for (const Section& s : expected)
        for (int k : s.keys) want.emplace_back(QLatin1String(s.name), k);
    for (const LanguageEntry& e : LanguageTable())
        got.emplace_back(QLatin1String(e.section), e.key);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "at position " << i;
}

TEST(TextsTable, ModelListIsReadBetweenPage14Keys2And10) {
    const auto table = LanguageTable();
    const std::size_t pos = ModelListPosition();
    ASSERT_GT(pos, 0u);
    ASSERT_LT(pos, table.size());
    EXPECT_STREQ(table[pos - 1].section, "Page14");
    EXPECT_EQ(table[pos - 1].key, 2);
    EXPECT_STREQ(table[pos].section, "Page14");
    EXPECT_EQ(table[pos].key, 10);
}

TEST(TextsTable, EveryEntryIsAppliedAndEveryTreeNodeNamedOnce) {
    QList<int> nodes;
    for (const LanguageEntry& e : LanguageTable()) {
        EXPECT_FALSE(e.targets.isEmpty()) << e.section << " " << e.key;
        for (const LanguageTarget& t : e.targets) {
            const bool named = t.use != TextUse::Stored && t.use != TextUse::TreeNode;
            EXPECT_EQ(!t.object.isEmpty(), named) << e.section << " " << e.key;
            if (t.use == TextUse::TreeNode) nodes << t.index;
        }
    }
    std::sort(nodes.begin(), nodes.end());
    QList<int> all(26);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(nodes, all);
}

TEST(TextsTable, ComposedTextsWithBuiltIns) {
    const LanguageTexts builtIn;
    struct Case {
        const char* section;
        int key;
        const char* object;
        TextUse use;
        int index;
        const char* shown;
    };
    const Case cases[] = {
        {"Page1", 1, "GroupBox1", TextUse::Caption, -1, "41 Dial"},
        {"Page1", 14, "Label10", TextUse::Caption, -1,
         "Password for access to programming from a phone:"},
        {"Menu", 25, "Label2", TextUse::Caption, -1, "Norva:"},
        {"Menu", 44, "Label5", TextUse::Hint, -1, "Use rihght mouse button"},
        {"Page2", 2, "Label14", TextUse::Caption, -1, "432 Hang up by code from telephone:"},
        {"Page5", 1, "GroupBox11", TextUse::Caption, -1, "311 Mode of relay 1"},
        {"Page5", 1, "GroupBox14", TextUse::Caption, -1, "312 Mode of relay 2"},
        {"Page5", 11, "Label7", TextUse::Caption, -1, "312* Number of button:"},
        {"Page5", 22, "GroupBox31", TextUse::Caption, -1, " Commands for 1 impulse "},
        {"Page12", 1, "CheckBox5", TextUse::Caption, -1, "084 Enable automatic switch Day - Night"},
        {"Page12", 6, "Label99", TextUse::Caption, -1, "00 Sunday"},
        {"Page14", 2, "Label123", TextUse::Caption, -1,
         "6# Number of buttons in the basic module:"},
        {"Page14", 5, "Label127", TextUse::Caption, 1, "Button  1"},
        {"Page14", 5, "Label136", TextUse::Caption, 10, "Button 10"},
        {"Page14", 5, "Label241", TextUse::Caption, 99, "Button 99"},
        {"Page14", 3, "Label243", TextUse::Caption, -1, "Day / Group1"},
        {"Info", 8, "TForm2.Label9", TextUse::Caption, -1, "Email: info@vendrolux.example"},
        {"Info", 12, "TForm2.Label8", TextUse::Caption, -1, "WEB : www.vendrolux.example"},
        {"Info", 13, "TForm2.Label10", TextUse::Caption, -1, "Version:"},
        {"Info", 16, "TForm2.Image1", TextUse::Picture, -1, "Vendrolux.BMP"},
        {"Tree", 5, "", TextUse::TreeNode, 5, "Relay 1"},
        {"Tree", 6, "", TextUse::TreeNode, 9, "External codes 2"},
        {"Tree", 13, "", TextUse::TreeNode, 16, "Buttons  1-10"},
        {"Tree", 13, "", TextUse::TreeNode, 25, "Buttons 91-99"},
        {"Tree", 14, "", TextUse::TreeNode, 0, "DoorPhone select"},
        {"Firmware", 1, "TForm4.Button1", TextUse::Caption, -1, "Open file *.HEX"},
        {"Labels", 14, "TForm5", TextUse::Caption, -1, "Print labels"},
        {"Message", 55, "Edit91", TextUse::Hint, -1,
         "Attention to the setting of this parameter affects numbering buttons!"},
        {"Help", 3, "TForm3.Memo1", TextUse::Text, -1,
         "Control program using the right mouse button. In a field such as time, treewiev "
         "settings, and automatic day / night mode features can be used in the hidden menu, "
         "right-mouse button."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Shown(builtIn, c.section, c.key, QString::fromUtf8(c.object), c.use, c.index),
                  QString::fromUtf8(c.shown))
            << c.section << " " << c.key << " " << c.object;
}

TEST(TextsTable, MemoJoins) {
    const LanguageTexts builtIn;
    EXPECT_EQ(Shown(builtIn, "Page4", 7, QStringLiteral("Memo1"), TextUse::Text),
              QStringLiteral(
                  "EXPLANATION\n\n- Each relay have 8 MODES\n\n- INTERNAL code is entered press "
                  "of buttons on the phone\n\n- EXTERNAL code is entered press of the first 10 "
                  "keys from the DoorPhone\n   or from connected keyboard after pressing the "
                  "symbol key\n   \n- Possible use activation relays on 1 pulse (normal lock) or 2 "
                  "pulses (sliding gate)\n   \n   \n   \n   "));

    LanguageTexts texts;
    for (int key = 10; key <= 15; ++key) texts.Set("Page14", key, QString::number(key));
    EXPECT_EQ(Shown(texts, "Page14", 15, QStringLiteral("Memo2"), TextUse::Text),
              QStringLiteral("10\n\n11\n\n12\n\n13\n\n14\n\n15"));
    // Every entry of a join gives the whole text, so applying any one of them is enough.
    EXPECT_EQ(Shown(texts, "Page14", 10, QStringLiteral("Memo2"), TextUse::Text),
              Shown(texts, "Page14", 15, QStringLiteral("Memo2"), TextUse::Text));
}

TEST(TextsTable, StoredTexts) {
    LanguageTexts texts;
    struct Case {
        const char* section;
        int key;
        const char* stored;
    };
    const Case builtIn[] = {
        {"Info", 1, "NorvaSet  "},
        {"Tree", 5, "Relay 2"},
        {"Tree", 6, "External codes 2"},
        {"Tree", 13, "Buttons"},
        {"Menu", 47, "Kodrix.exe"},
        {"Message", 24, " Norva Set"},
        {"Message", 50, "      - default data -"},
        {"Message", 52, "      - not reading any data -"},
        {"Message", 61,
         "In this type of DorrPhone is not possible use 3 buttons\nonly 1 or 2 or 4 "
         "buttons"},
        {"Message", 21, "Nebyl vybrán žádný soubor"},
        // A key the program does not read stores nothing.
        {"Message", 46, ""},
    };
    for (const Case& c : builtIn)
        EXPECT_EQ(StoredText(texts, QLatin1String(c.section), c.key), QString::fromUtf8(c.stored))
            << c.section << " " << c.key;

    texts.Set("Message", 50, QStringLiteral("výchozí data"));
    texts.Set("Tree", 5, QStringLiteral("Relé"));
    EXPECT_EQ(StoredText(texts, "Message", 50), QStringLiteral("      - výchozí data -"));
    EXPECT_EQ(StoredText(texts, "Tree", 5), QStringLiteral("Relé 2"));
}

TEST(TextsTable, LanguageWordsReplaceOnlyTheTextPart) {
    LanguageTexts texts;
    texts.Set("Tree", 5, QStringLiteral("W"));
    texts.Set("Tree", 13, QStringLiteral("Tlačítka"));
    texts.Set("Page14", 5, QStringLiteral("Tl."));
    texts.Set("Page1", 1, QString());
    EXPECT_EQ(Shown(texts, "Tree", 5, {}, TextUse::TreeNode, 5), QStringLiteral("W 1"));
    EXPECT_EQ(Shown(texts, "Tree", 5, {}, TextUse::TreeNode, 8), QStringLiteral("W 2"));
    EXPECT_EQ(Shown(texts, "Tree", 13, {}, TextUse::TreeNode, 16),
              QStringLiteral("Tlačítka  1-10"));
    EXPECT_EQ(Shown(texts, "Page14", 5, QStringLiteral("Label130"), TextUse::Caption, 4),
              QStringLiteral("Tl.  4"));
    EXPECT_EQ(Shown(texts, "Page1", 1, QStringLiteral("GroupBox1")), QStringLiteral("41 "));
}

TEST(TextsTable, ButtonRowLabelsSkipTheColumnHeadings) {
    const QSet<int> headings = {125, 126, 137, 138, 149, 150, 161, 162, 173, 174,
                                185, 186, 197, 198, 219, 220, 231, 232, 243, 244};
    int previous = 126;
    for (int b = 1; b <= 99; ++b) {
        const QString name = ButtonRowLabel(b);
        ASSERT_TRUE(name.startsWith(QLatin1String("Label"))) << b;
        const int n = name.mid(5).toInt();
        EXPECT_GT(n, previous) << b;
        EXPECT_FALSE(headings.contains(n)) << b;
        for (int skipped = previous + 1; skipped < n; ++skipped)
            EXPECT_TRUE(headings.contains(skipped)) << b;
        previous = n;
    }
    EXPECT_EQ(ButtonRowLabel(1), QStringLiteral("Label127"));
    EXPECT_EQ(ButtonRowLabel(99), QStringLiteral("Label241"));
    EXPECT_TRUE(ButtonRowLabel(0).isEmpty());
    EXPECT_TRUE(ButtonRowLabel(100).isEmpty());

    const char* ranges[] = {"  1-10", " 11-20", " 21-30", " 31-40", " 41-50",
                            " 51-60", " 61-70", " 71-80", " 81-90", " 91-99"};
    for (int p = 0; p < 10; ++p) EXPECT_EQ(ButtonPageRange(p), QLatin1String(ranges[p]));
}
