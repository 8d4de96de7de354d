// What a file holds reaches a message only as printable text: a garbage file's ESC and BEL
// must not reach the terminal or a message box.
#include "CommLog.h"
#include "Defaults.h"
#include "IniFile.h"
#include "LanguageTexts.h"
#include "PrintableText.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "SettingsText.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every character of a message can be shown: no control, format or separator character.
bool AllPrintable(const QString& text) {
    for (const char32_t c : text.toUcs4())
        if (!QChar::isPrint(c) || QChar::category(c) == QChar::Separator_Line ||
            QChar::category(c) == QChar::Separator_Paragraph)
            return false;
    return true;
}

} // namespace

TEST(PrintableText, EscapesWhatDoesNotPrintAndKeepsTheRest) {
    const struct {
        const char* name;
        QString in;
        int maxChars;
        QString out;
    } cases[] = {
        {"plain", "Norva 10 / C:\\dir", 0, "Norva 10 / C:\\dir"},
        {"accents", QString::fromUtf8("Kovářská 17 – čtvrť"), 0,
         QString::fromUtf8("Kovářská 17 – čtvrť")},
        {"escape sequence and bell", "1\x1b[2J\x07x", 0, "1\\x1B[2J\\x07x"},
        {"DEL and a C1 control", QString("a") + QChar(0x7F) + QChar(0x9B) + "b", 0, "a\\x7F\\x9Bb"},
        {"right-to-left override", QString("ab") + QChar(0x202E) + "cd", 0, "ab\\u202Ecd"},
        {"line separator", QString("a") + QChar(0x2028) + "b", 0, "a\\u2028b"},
        {"character beyond the BMP", QString::fromUtf8("ok \xF0\x9F\x94\x94"), 0,
         QString::fromUtf8("ok \xF0\x9F\x94\x94")},
        {"lone surrogate", QString("a") + QChar(0xD83D) + "b", 0, "a\\uD83Db"},
        {"tag character beyond the BMP", QString("a") + QChar(0xDB40) + QChar(0xDC01), 0,
         "a\\U000E0001"},
        {"cut", "0123456789", 4, QString("0123") + QChar(0x2026)},
        {"cut counts characters, not escapes", "\x1b\x1b\x1b", 2,
         QString("\\x1B\\x1B") + QChar(0x2026)},
    };
    for (const auto& c : cases) {
        const QString out = PrintableText(c.in, c.maxChars);
        EXPECT_EQ(out, c.out) << c.name;
        EXPECT_TRUE(AllPrintable(out)) << c.name;
    }
}

// The readers that quote a file's content in their error texts.
TEST(PrintableText, ReadersQuoteFileContentPrintably) {
    QTemporaryDir dir;
    CommLog log;
    const QString garbage = QStringLiteral("1\x1b]0;owned\x07x");

    // A settings file whose list position is not a number.
    SettingsModel model;
    QByteArray bytes = SettingsFileBytes(model);
    const auto table = SettingsRecordTable();
    for (size_t n = 0; n < table.size(); ++n)
        if (table[n].coding == FileCoding::ListIndex) {
            bytes.replace(qsizetype(n) * kSettingsRecordSize, kSettingsRecordSize,
                          EncodeSettingsRecord(table[n].key, garbage));
            break;
        }
    const QString settingsPath = dir.filePath("garbage.nvs");
    {
        QFile f(settingsPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList errors;
    try {
        ReadSettingsFile(settingsPath, model, log);
        ADD_FAILURE() << "the garbage settings file was taken";
    } catch (const SettingsFileError& e) { errors << e.text(); }

    // A model template whose default list position is not a number.
    IniFile templateFile;
    templateFile.LoadText(QStringLiteral("[Defaults]\r\nCB1=") + garbage + QStringLiteral("\r\n"));
    try {
        ApplyTemplateDefaults(model, templateFile);
        ADD_FAILURE() << "the garbage template default was taken";
    } catch (const ConversionError& e) { errors << e.text(); }

    // The settings as text: an unknown escape in a file, a character that cannot be typed.
    for (const SettingProblem& p :
         ApplySettingsText(QByteArray("service.password = \"1\\\x07\"\n"), model))
        errors << SettingProblemText(p);
    LanguageTexts texts;
    for (const SettingProblem& p : ApplySettingAssignments({QStringLiteral("service.password=12\x1b"
                                                                           "4")},
                                                           model, {}, texts, nullptr))
        errors << SettingProblemText(p);

    ASSERT_EQ(errors.size(), 4) << errors.join("|").toStdString();
    EXPECT_EQ(errors[0], QString("'1\\x1B]0;owned\\x07x' is not a valid integer value"));
    EXPECT_EQ(errors[1], errors[0]);
    EXPECT_TRUE(errors[2].contains("unknown escape \\\\x07")) << errors[2].toStdString();
    EXPECT_TRUE(errors[3].contains("'\\x1B' cannot be typed here")) << errors[3].toStdString();
    for (const QString& e : errors) EXPECT_TRUE(AllPrintable(e)) << e.toStdString();
}
