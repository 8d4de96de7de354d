// The field catalogue's cross-references and the settings model's behaviour.
#include "FieldCatalogue.h"
#include "ParameterBlock.h"
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
