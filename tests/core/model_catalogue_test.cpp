// The field catalogue's cross-references and the settings model's behaviour.
#include "FieldCatalogue.h"
#include "LanguageTable.h"
#include "ParameterBlock.h"
#include "SettingsFile.h"
#include "SettingsModel.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(ModelCatalogue, TablesReferToRealFields) {
    const auto catalogue = FieldCatalogue();
    EXPECT_EQ(catalogue.size(), 293u + 14u + 17u + 11u); // edits, flags, lists, radio groups
    for (const ByteDef& b : ParameterByteMap())
        if (!b.field.isEmpty()) { EXPECT_TRUE(FindField(b.field)) << b.byte; }

    const auto keys = TemplateKeyOrder();
    EXPECT_EQ(keys.size(), 367u);
    EXPECT_EQ(keys.front().key, "RB1");
    EXPECT_EQ(keys.back().key, "ET290");
    QSet<QString> seen;
    for (const TemplateKeyDef& k : keys) {
        EXPECT_GE(k.field, 0) << k.key.toStdString();
        EXPECT_FALSE(seen.contains(k.key)) << k.key.toStdString();
        seen.insert(k.key);
    }
    EXPECT_FALSE(seen.contains("ET281"));
    EXPECT_FALSE(seen.contains("ET91"));
    EXPECT_FALSE(seen.contains("CB16"));

    int position = -1;
    EXPECT_EQ(FindRadioGroup(QStringLiteral("RadioButton16"), &position)->name, "GroupBox8");
    EXPECT_EQ(position, 3);
    EXPECT_EQ(FindRadioGroup(QStringLiteral("RadioButton28"), &position)->name, "GroupBox14");
    EXPECT_EQ(position, 4);
    EXPECT_EQ(FindField(QStringLiteral("Nope")), nullptr);
}

TEST(ModelSettings, ChoicesOutsideTheListMeanNoSelection) {
    SettingsModel m;
    EXPECT_EQ(m.ChoiceCount("ComboBox15"), 3);
    m.SetChoice("ComboBox15", 3);
    EXPECT_EQ(m.Choice("ComboBox15"), -1);
    m.SetChoiceItems("ComboBox15", {"Off", "Type 1", "Type 2", "Silent call"});
    m.SetChoice("ComboBox15", 3);
    EXPECT_EQ(m.ChoiceText("ComboBox15"), "Silent call");
    m.SetChoiceItems("ComboBox15", {"Off", "Type 1", "Type 2"});
    EXPECT_EQ(m.Choice("ComboBox15"), -1);
    m.SetChoice("GroupBox1", 7);
    EXPECT_EQ(m.Choice("GroupBox1"), -1);
    m.SetChoice("ComboBox2", 8);
    EXPECT_EQ(m.ChoiceText("ComboBox2"), "10");
}

TEST(ModelSettings, ChangesAreSignalledOnce) {
    SettingsModel m;
    QStringList spy;
    QObject::connect(&m, &SettingsModel::FieldChanged, [&](const QString& name) { spy << name; });
    m.SetText("Edit8", "45");
    m.SetText("Edit8", "45");
    m.SetFlag("CheckBox1", m.Flag("CheckBox1"));
    m.SetChoice("ComboBox4", 0);
    ASSERT_EQ(spy.size(), 2);
    EXPECT_EQ(spy, QStringList({"Edit8", "ComboBox4"}));
}

TEST(ModelSettings, RelayInterlock) {
    struct Step {
        const char* select;
        const char* relay1After;
    };
    const std::vector<std::vector<Step>> cases = {
        // relay 2 mode 5 holds relay 1 in mode 1
        {{"RadioButton32", "RadioButton32"},
         {"RadioButton28", "RadioButton30"},
         {"RadioButton32", "RadioButton30"},
         {"RadioButton37", "RadioButton30"}},
        // released again once relay 2 leaves mode 5
        {{"RadioButton28", "RadioButton30"},
         {"RadioButton29", "RadioButton30"},
         {"RadioButton32", "RadioButton32"}},
    };
    for (const auto& steps : cases) {
        SettingsModel m;
        for (const Step& s : steps) {
            m.SelectRadioButton(s.select);
            EXPECT_TRUE(m.IsRadioButtonSelected(s.relay1After)) << s.select;
        }
    }
    // Relay 1 without any mode is held as well.
    SettingsModel m;
    m.SelectRadioButton("RadioButton28");
    m.SetChoice("GroupBox11", -1);
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton30"));
    // Inside an update both modes are judged at the end.
    {
        SettingsModel::UpdateScope scope(m);
        m.SelectRadioButton("RadioButton33");
        m.SelectRadioButton("RadioButton27");
    }
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton33"));
}

// What the catalogue says about a field's place names controls the language texts caption,
// so that the pages, the printout and every listing show a caption and not a name.
TEST(ModelCatalogue, CaptionsUnitsAndGroupsNameRealControls) {
    QSet<QString> captioned;
    for (const LanguageEntry& e : LanguageTable())
        for (const LanguageTarget& t : e.targets)
            if (t.use == TextUse::Caption) captioned.insert(t.object);
    const QSet<QString> units = {"", "sec", "min", "ms", "Hz", "dBm", "dB", "mV", "V", "mA"};
    int labelled = 0;
    for (const FieldDef& def : FieldCatalogue()) {
        const std::string name = def.name.toStdString();
        for (const QString& control : {def.label, def.subGroup, def.column}) {
            if (!control.isEmpty()) { EXPECT_TRUE(captioned.contains(control)) << name; }
        }
        if (!def.subGroup.isEmpty()) {
            EXPECT_TRUE(captioned.contains(def.group)) << name;
            EXPECT_FALSE(def.mark.isEmpty()) << name;
        }
        // A text or list field has a caption of its own, or is one of a table's cells.
        if (def.kind == FieldKind::Text || def.style == ChoiceStyle::List) {
            EXPECT_TRUE(!def.label.isEmpty() || !def.subGroup.isEmpty()) << name;
        }
        EXPECT_TRUE(units.contains(def.unit)) << name;
        labelled += !def.label.isEmpty();
    }
    EXPECT_EQ(labelled, 48 + 28 + 198); // caption labels, day/night rows, number rows
}

TEST(ModelCatalogue, SettingsFilesEndWhereAGenerationEnds) {
    const auto counts = SettingsFileRecordCounts();
    EXPECT_EQ(std::vector<int>(counts.begin(), counts.end()), (std::vector<int>{328, 334, 335}));
    const auto table = SettingsRecordTable();
    for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].record, int(i + 1));
}
