// INI profile semantics and Config.ini.
#include "AppConfig.h"
#include "IniFile.h"
#include "TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString ReadAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}
void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}
} // namespace

TEST(FoundationIni, ReadsWithoutRegardToCase) {
    IniFile ini;
    ini.LoadText("[Setup]\r\nLang = Czech.lng \r\nlogfile=1\r\n[Other]\r\nLang=x\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"setup", "LANG", "Czech.lng"},  {"SETUP", "LogFile", "1"},   {"Other", "lang", "x"},
        {"Setup", "Missing", "default"}, {"Nope", "Lang", "default"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "default"), QString(c.expected))
            << c.section << "/" << c.key;
}

TEST(FoundationIni, ReadIntegerTakesOnlyWholeNumbers) {
    IniFile ini;
    ini.LoadText("[S]\nA=12\nB=2x\nC=abc\nD=\nE=-3\n");
    EXPECT_EQ(ini.ReadInteger("S", "A", 7), 12);
    EXPECT_EQ(ini.ReadInteger("S", "B", 7), 7); // not a number: the default
    EXPECT_EQ(ini.ReadInteger("S", "C", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "D", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "E", 7), -3);
    EXPECT_EQ(ini.ReadInteger("S", "Z", 7), 7);
}

TEST(FoundationIni, WritingKeepsOrderAndEverythingElse) {
    IniFile ini;
    ini.LoadText("; comment\r\n[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    ini.WriteString("a", "Y", "20"); // replaced where it stands, spelling kept
    ini.WriteString("A", "w", "4");  // appended to its section, before the blank line
    ini.WriteString("C", "k", "v");  // a new section at the end
    EXPECT_EQ(
        ini.ToText(),
        QString("; comment\r\n[A]\r\nx=1\r\ny=20\r\nw=4\r\n\r\n[B]\r\nz=3\r\n[C]\r\nk=v\r\n"));
}

TEST(FoundationIni, DecodesUtf8OrWindows1250) {
    const QString czech = QString::fromUtf8("Nebyl vybrán žádný soubor");
    EXPECT_EQ(DecodeUtf8OrWindows1250(czech.toUtf8()), czech);
    // The same text as an old 8-bit file: á = E1, ž = 9E, ý = FD.
    EXPECT_EQ(DecodeUtf8OrWindows1250(QByteArray("Nebyl vybr\xE1n \x9E\xE1\x64n\xFD soubor")),
              czech);
}

TEST(FoundationConfig, FirstStartCreatesTheFileInItsOrder) {
    QTemporaryDir dir;
    AppConfig config;
    ASSERT_TRUE(config.LoadOrCreate(dir.path(), nullptr));
    EXPECT_FALSE(config.existed);
    EXPECT_EQ(ReadAll(QDir(dir.path()).filePath("Config.ini")),
              QString("[Info]\r\nConfig file with basic setting of program NorvaSet=OK\r\n"
                      "[-]\r\n-=-\r\n[Setup]\r\nUSB=1\r\nLang=English.lng\r\nLOGFILE=0\r\n"
                      "Communicator=0\r\n"));
}

TEST(FoundationConfig, LogFileTwoStaysOffAndIsWrittenBackZero) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("Config.ini");
    WriteAll(path, "[Setup]\r\nLOGFILE=2\r\nCommunicator=3\r\nLang=Czech.lng\r\n"
                   "[PATH]\r\nFIRM=/x/fw.hex\r\n");
    AppConfig config;
    ASSERT_TRUE(config.LoadOrCreate(dir.path(), nullptr));
    EXPECT_TRUE(config.existed);
    EXPECT_NE(config.logFile, 1);
    EXPECT_EQ(config.communicator, 3);
    EXPECT_EQ(config.languageFile, QString("Czech.lng"));
    ASSERT_TRUE(AppConfig::Write(dir.path(), "Czech.lng", false, 3, nullptr));
    const QString text = ReadAll(path);
    EXPECT_TRUE(text.contains("LOGFILE=0\r\n"));
    // Sections the file already had keep their place; the firmware path is untouched.
    EXPECT_TRUE(text.startsWith("[Setup]\r\nLOGFILE=0\r\nCommunicator=3\r\nLang=Czech.lng\r\n"
                                "USB=1\r\n[PATH]\r\nFIRM=/x/fw.hex\r\n[Info]"))
        << text.toStdString();
    EXPECT_EQ(AppConfig::ReadLastHexFile(dir.path()), QString("/x/fw.hex"));
}

TEST(FoundationConfig, VersionText) {
    EXPECT_EQ(VersionText(1, 2, 3, 4), QString("1.02.03.04"));
    EXPECT_EQ(VersionText(1, 0, 0, 1).left(4), QString("1.00"));
}

// A reader takes one pair of quotes off a value; what is written must read back as written.
TEST(FoundationIni, AWrittenValueReadsBackAsWritten) {
    for (const QString value :
         {"plain", "\"quoted\"", "'single'", "''", "'''", "\"a'", "'", "x'y'", "''a''"}) {
        IniFile ini;
        ini.WriteString("N", "1", value);
        IniFile again;
        again.LoadText(ini.ToText());
        EXPECT_EQ(again.ReadString("N", "1", "?"), value) << value.toStdString();
        EXPECT_EQ(ini.ReadString("N", "1", "?"), value) << value.toStdString();
    }
    // A file written by hand keeps its meaning: the outer quotes are not part of the value.
    IniFile hand;
    hand.LoadText("[N]\r\n1=\"Novak\"\r\n");
    EXPECT_EQ(hand.ReadString("N", "1", "?"), "Novak");
}
