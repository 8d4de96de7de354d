// Key filters and exit checks of the fields.
#include "FieldRules.h"
#include "LanguageTexts.h"
#include "SettingsModel.h"

#include <gtest/gtest.h>

namespace {

struct ExitCase {
    const char* field;
    const char* text;
    const char* expected; // the field's text afterwards
    int message;          // [Message] key shown, 0 none
    bool focusBack;
};

void PrintTo(const ExitCase& c, std::ostream* os) {
    *os << c.field << " \"" << c.text << "\"";
}

class ModelExitRule : public ::testing::TestWithParam<ExitCase> {};

} // namespace

TEST_P(ModelExitRule, RepairsOrRefuses) {
    const ExitCase& c = GetParam();
    ExitContext context;
    context.modelMaximum = 2;
    const ExitOutcome o = CheckOnExit(c.field, c.text, context);
    const QString after = o.changed ? o.text : QString(c.text);
    EXPECT_EQ(after, QString(c.expected));
    EXPECT_EQ(o.message.key, c.message);
    EXPECT_EQ(o.focusBack, c.focusBack);
}

INSTANTIATE_TEST_SUITE_P(B_Password, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit1", "123", "123", 18, true},
                                           ExitCase{"Edit1", "1234", "1234", 0, false},
                                           ExitCase{"Edit1", "", "", 18, true},
                                           ExitCase{"Edit1", " 1234 ", " 1234 ", 0, false}));

INSTANTIATE_TEST_SUITE_P(C_TwoCharacterCodes, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit2", "5*", "*5", 0, false},
                                           ExitCase{"Edit9", "0*", "*0", 0, false},
                                           ExitCase{"Edit2", "**", "", 0, false},
                                           ExitCase{"Edit2", "*", "*", 16, true},
                                           ExitCase{"Edit14", "7", "7", 16, true},
                                           ExitCase{"Edit2", "*5", "*5", 0, false},
                                           ExitCase{"Edit2", "55", "55", 0, false},
                                           ExitCase{"Edit2", "", "", 0, false}));

INSTANTIATE_TEST_SUITE_P(D_ExternalCodes, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit17", "5", "5", 20, true},
                                           ExitCase{"Edit52", "12", "12", 0, false},
                                           ExitCase{"Edit30", "123456", "123456", 0, false},
                                           ExitCase{"Edit30", "", "", 0, false}));

INSTANTIATE_TEST_SUITE_P(E_HalfSeconds, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit10", "1.5", "0.5", 0, false},
                                           ExitCase{"Edit10", "0", "0.5", 0, false},
                                           ExitCase{"Edit10", "15", "15", 0, false},
                                           ExitCase{"Edit6", "", "0.5", 0, false},
                                           ExitCase{"Edit11", "0.5", "0.5", 0, false},
                                           ExitCase{"Edit15", "2,", "0.5", 0, false},
                                           ExitCase{"Edit16", "100", "0.5", 0, false}));

INSTANTIATE_TEST_SUITE_P(F_ButtonNumber, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit7", "0", "1", 0, false},
                                           ExitCase{"Edit7", "00", "1", 0, false},
                                           ExitCase{"Edit7", "", "", 0, false},
                                           ExitCase{"Edit12", "  ", "", 0, false},
                                           ExitCase{"Edit12", "57", "57", 0, false},
                                           ExitCase{"Edit12", "100", "99", 0, false}));

INSTANTIATE_TEST_SUITE_P(G_H_Counts, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit54", "", "1", 0, false},
                                           ExitCase{"Edit57", "3", "3", 0, false},
                                           ExitCase{"Edit58", "3", "04", 0, false},
                                           ExitCase{"Edit58", "7", "07", 0, false},
                                           ExitCase{"Edit58", "", "04", 0, false},
                                           ExitCase{"Edit58", "12", "12", 0, false}));

INSTANTIATE_TEST_SUITE_P(I_DialTimings, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit59", "35", "40", 0, false},
                                           ExitCase{"Edit59", "155", "160", 0, false},
                                           ExitCase{"Edit59", "95", "100", 0, false},
                                           ExitCase{"Edit60", "", "40", 0, false},
                                           ExitCase{"Edit60", "105", "110", 0, false},
                                           ExitCase{"Edit60", "104", "100", 0, false},
                                           ExitCase{"Edit61", "50", "100", 0, false},
                                           ExitCase{"Edit61", "650", "600", 0, false},
                                           ExitCase{"Edit62", "850", "900", 0, false},
                                           ExitCase{"Edit62", "1449", "1400", 0, false},
                                           ExitCase{"Edit62", "400", "500", 0, false}));

INSTANTIATE_TEST_SUITE_P(J_DayNightTable, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit63", "7", "07", 0, false},
                                           ExitCase{"Edit63", "30", "23", 0, false},
                                           ExitCase{"Edit64", "75", "59", 0, false},
                                           ExitCase{"Edit64", "60", "59", 0, false},
                                           ExitCase{"Edit90", "", "00", 0, false},
                                           ExitCase{"Edit89", "23", "23", 0, false},
                                           ExitCase{"Edit66", "45", "45", 0, false}));

INSTANTIATE_TEST_SUITE_P(K_CodeRelay, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit53", "101", "1000", 0, true},
                                           ExitCase{"Edit291", "", "0100", 0, true},
                                           ExitCase{"Edit293", "0110", "0110", 0, false},
                                           ExitCase{"Edit281", "1010 ", "1000", 0,
                                                    true})); // not trimmed

INSTANTIATE_TEST_SUITE_P(L_BasicModuleButtons, ModelExitRule,
                         ::testing::Values(ExitCase{"Edit91", "", "2", 0, false},
                                           ExitCase{"Edit91", "4", "2", 55, true},
                                           ExitCase{"Edit91", "1", "1", 0, false}));

TEST(ModelExitRules, LabelKindFourRefusesThreeButtons) {
    ExitContext context;
    context.modelMaximum = 4;
    context.labelKind = "4";
    ExitOutcome o = CheckOnExit("Edit91", "3", context);
    EXPECT_EQ(o.text, "4");
    EXPECT_TRUE(o.focusBack);
    LanguageTexts texts;
    EXPECT_EQ(ExitMessageText(o, texts),
              "In this type of DorrPhone is not possible use 3 buttons\n\r"
              "only 1 or 2 or 4 buttons");
    EXPECT_EQ(ExitMessageCaption(o, texts), ""); // the application title
    EXPECT_EQ(o.icon, MsgIcon::None);
    context.labelKind = "2";
    EXPECT_FALSE(CheckOnExit("Edit91", "3", context).changed);
}

TEST(ModelExitRules, MessagesCaptionsAndIcons) {
    LanguageTexts texts;
    struct Case {
        const char* field;
        const char* text;
        const char* message;
        const char* caption;
        MsgIcon icon;
    } cases[] = {
        {"Edit1", "12", "Password must be long 4 digit", "Password", MsgIcon::Warning},
        {"Edit2", "*", "Code must be long 2 digit or blank", "Input format", MsgIcon::Information},
        {"Edit17", "1",
         "The code must not contain a one digit, the minimum digits is 2, maximum 6 digits, "
         "reset the code is blank",
         "Input format", MsgIcon::Information},
    };
    for (const Case& c : cases) {
        const ExitOutcome o = CheckOnExit(c.field, c.text, {});
        EXPECT_EQ(ExitMessageText(o, texts), c.message);
        EXPECT_EQ(ExitMessageCaption(o, texts), c.caption);
        EXPECT_EQ(o.icon, c.icon);
    }
}

TEST(ModelExitRules, EmptyListsTakeTheirFixedPosition) {
    struct Case {
        const char* field;
        int position;
        bool focusBack;
    } cases[] = {
        {"ComboBox1", 2, true},  {"ComboBox2", 3, true},  {"ComboBox3", 2, true},
        {"ComboBox4", 6, true},  {"ComboBox5", 0, true},  {"ComboBox6", 1, true},
        {"ComboBox7", 7, true},  {"ComboBox9", 7, true},  {"ComboBox10", 6, true},
        {"ComboBox11", 2, true}, {"ComboBox12", 1, true}, {"ComboBox13", 1, true},
        {"ComboBox14", 0, true}, {"ComboBox15", 1, true}, {"ComboBox16", 0, false},
        {"ComboBox17", 2, true},
    };
    for (const Case& c : cases) {
        SettingsModel m;
        m.SetChoiceItems("ComboBox16", {"Model A", "Model B"});
        m.SetChoice(c.field, -1);
        const ExitOutcome o = RunExitCheck(m, c.field, {});
        EXPECT_TRUE(o.changed) << c.field;
        EXPECT_EQ(m.Choice(c.field), c.position) << c.field;
        EXPECT_EQ(o.focusBack, c.focusBack) << c.field;
        // A list with a selection passes.
        EXPECT_FALSE(RunExitCheck(m, c.field, {}).changed) << c.field;
    }
    // ComboBox15 is also reset for a text shorter than three characters.
    EXPECT_TRUE(CheckOnExit("ComboBox15", "Of", {}).changed);
    EXPECT_FALSE(CheckOnExit("ComboBox15", "Off", {}).changed);
    EXPECT_FALSE(CheckOnExit("ComboBox3", "7", {}).changed); // typed digits
}

TEST(ModelExitRules, RunExitCheckRepairsTheModel) {
    SettingsModel m;
    m.SetText("Edit2", "7*");
    RunExitCheck(m, "Edit2", {});
    EXPECT_EQ(m.Text("Edit2"), "*7");
    m.SetText("Edit53", "1");
    RunExitCheck(m, "Edit53", {});
    EXPECT_EQ(m.Text("Edit53"), "1000");
}

TEST(ModelKeyFilters, EveryFilter) {
    struct Case {
        const char* field;
        const char* pass;
        const char* drop;
    } cases[] = {
        {"Edit1", "0123456789\b", "*a.-"},
        {"Edit7", "09", "*a"},
        {"Edit20", "09", "*#"},
        {"Edit58", "09", "-"},
        {"Edit62", "09", "."},
        {"Edit70", "09", ":"},
        {"ComboBox3", "15", "a"},
        {"Edit2", "09*\b", "#a"},
        {"Edit14", "*", "#"},
        {"Edit6", "09,.\b", "*a"},
        {"Edit16", ".", "-"},
        {"Edit54", "19\b", "0a"},
        {"Edit55", "9", "0"},
        {"Edit56", "15\b", "06"},
        {"Edit57", "5", "6"},
        {"Edit91", "04\b", "5a"},
        {"Edit53", "01\b", "2a"},
        {"Edit293", "1", "2"},
        {"ComboBox1", "", "a1\b"},
        {"ComboBox17", "", "5"},
        {"ComboBox16", "", "a"},
        {"CheckBox1", "a1", ""},
    };
    for (const Case& c : cases) {
        for (const char* k = c.pass; *k; ++k)
            EXPECT_EQ(FilterKey(c.field, QChar(*k)), QChar(*k)) << c.field << " '" << *k << "'";
        for (const char* k = c.drop; *k; ++k)
            EXPECT_EQ(FilterKey(c.field, QChar(*k)), std::nullopt) << c.field << " '" << *k << "'";
    }
}
