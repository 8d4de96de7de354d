// Button (.NVL) and panel (.VXL) label files.
#include "IniFile.h"
#include "LabelFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}
// Section and key names of a file, in file order ("N/1", ...).
QStringList Keys(const QString& path) {
    IniFile ini;
    ini.Load(path);
    QStringList out;
    for (const QString& s : ini.SectionNames())
        for (const auto& kv : ini.SectionEntries(s)) out << s + "/" + kv.first;
    return out;
}
QStringList Expected(std::initializer_list<std::pair<const char*, int>> sections) {
    QStringList out;
    for (const auto& [name, count] : sections)
        for (int k = 1; k <= count; ++k) out << QString("%1/%2").arg(name).arg(k);
    return out;
}
LabelTexts Numbered() {
    LabelTexts t;
    for (int i = 0; i < kLabelTextCount; ++i) t[i] = QString("Novák %1 = ř").arg(i + 1);
    t[5].clear();
    t[23].clear();
    return t;
}
} // namespace

TEST(LabelFiles, ButtonFileRoundTripKeepsEveryTextAndWritesExactly24Keys) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.NVL");
    // An older file with other content is replaced, not merged into.
    WriteBytes(path, "[Other]\r\nx=1\r\n[N]\r\n30=old\r\n");
    WriteButtonLabelFile(path, Numbered());
    EXPECT_EQ(Keys(path), Expected({{"N", 24}}));
    EXPECT_EQ(ReadButtonLabelFile(path), Numbered());
}

TEST(LabelFiles, MissingKeysReadAsEmptyAndAFileWithoutAnyIsRefused) {
    QTemporaryDir dir;
    struct Case {
        const char* content;
        int filled; // 1-based field that holds "Seven", 0 for none, -1 refused
    } cases[] = {
        {"[N]\r\n7=Seven\r\n", 7},
        {"[n]\r\n 7 = Seven \r\n", 7},
        {"[N]\r\n24=Seven\r\n25=ignored\r\n", 24},
        {"[N]\r\n3=\r\n", 0},
        {"", -1},
        {"[X]\r\n7=Seven\r\n", -1},
        {"[N]\r\n25=Seven\r\n", -1},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath("k.nvl");
        WriteBytes(path, c.content);
        if (c.filled < 0) {
            try {
                ReadButtonLabelFile(path);
                ADD_FAILURE() << c.content;
            } catch (const LabelFileError& e) {
                EXPECT_EQ(e.reason(), LabelFileError::Reason::NotLabels) << c.content;
            }
            continue;
        }
        const LabelTexts texts = ReadButtonLabelFile(path);
        for (int i = 0; i < kLabelTextCount; ++i)
            EXPECT_EQ(texts[i], i + 1 == c.filled ? QString("Seven") : QString())
                << c.content << " field " << i + 1;
    }
    // A panel file with only its size or a picture is a panel file.
    WriteBytes(dir.filePath("r.vxl"), "[R]\r\n1=3\r\n");
    EXPECT_EQ(ReadPanelLabelFile(dir.filePath("r.vxl")).sizeText, QString("3"));
    WriteBytes(dir.filePath("f.vxl"), "[F]\r\n4=/a.bmp\r\n");
    EXPECT_EQ(ReadPanelLabelFile(dir.filePath("f.vxl")).pictures[3], QString("/a.bmp"));
}

TEST(LabelFiles, PanelFileRoundTripWritesExactlyItsKeys) {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.vxl");
    const std::array<QString, kPanelLabelCount> pictures = {"/pics/a.bmp", "", "/pics/c d.bmp", ""};
    for (PanelSize size :
         {PanelSize::S22x62, PanelSize::S28x62, PanelSize::S41x62, PanelSize::S56x62}) {
        WritePanelLabelFile(path, Numbered(), size, pictures);
        EXPECT_EQ(Keys(path), Expected({{"N", 24}, {"R", 1}, {"F", 4}}));
        const PanelLabelFile read = ReadPanelLabelFile(path);
        EXPECT_EQ(read.texts, Numbered());
        EXPECT_EQ(PanelSizeFromText(read.sizeText, PanelSize::S22x62), size);
        EXPECT_EQ(read.pictures, pictures);
    }
}

TEST(LabelFiles, SizeIsComparedAsText) {
    struct Case {
        const char* file; // the [R] section, "" for none
        PanelSize current;
        PanelSize expected;
    } cases[] = {
        {"[R]\r\n1=3\r\n", PanelSize::S22x62, PanelSize::S41x62},
        {"[R]\r\n1=2\r\n", PanelSize::S56x62, PanelSize::S28x62},
        {"[R]\r\n1=1\r\n", PanelSize::S56x62, PanelSize::S22x62},
        {"[R]\r\n1=0\r\n", PanelSize::S56x62, PanelSize::S22x62},
        {"[R]\r\n1=\r\n", PanelSize::S41x62, PanelSize::S22x62},
        {"", PanelSize::S41x62, PanelSize::S22x62}, // missing: "1"
        {"[R]\r\n1=4\r\n", PanelSize::S22x62, PanelSize::S56x62},
        {"[R]\r\n1=9\r\n", PanelSize::S22x62, PanelSize::S56x62},
        {"[R]\r\n1=x\r\n", PanelSize::S22x62, PanelSize::S56x62},
        // Between "1" and "4" but neither "2" nor "3": the size stays.
        {"[R]\r\n1=25\r\n", PanelSize::S41x62, PanelSize::S41x62},
        {"[R]\r\n1=10\r\n", PanelSize::S28x62, PanelSize::S28x62},
        {"[R]\r\n1=3.0\r\n", PanelSize::S56x62, PanelSize::S56x62},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.filePath("s.vxl");
        WriteBytes(path, QByteArray("[N]\r\n1=a\r\n") + c.file);
        const PanelLabelFile read = ReadPanelLabelFile(path);
        EXPECT_EQ(PanelSizeFromText(read.sizeText, c.current), c.expected) << c.file;
    }
}

TEST(LabelFiles, ExtensionIsTheTextAfterTheLastDot) {
    struct Case {
        const char* name;
        const char* extension;
        bool expected;
    } cases[] = {
        {"/a/b.nvl", "NVL", true},      {"/a/b.NVL ", "NVL", true}, {"/a.x/b.Nvl", "NVL", true},
        {"/a/b.nvl.bak", "NVL", false}, {"/a/nvl", "NVL", false},   {"/a/b.vxl", "NVL", false},
        {"/a/b.vxl", "VXL", true},      {"/a/b.", "VXL", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasLabelExtension(c.name, c.extension), c.expected) << c.name;
}

TEST(LabelFiles, FailuresChangeNothing) {
    QTemporaryDir dir;
    const QString good = dir.filePath("keep.nvl");
    WriteButtonLabelFile(good, Numbered());
    const QByteArray before = ReadBytes(good);
    QDir(dir.path()).mkdir("sub.nvl");
    struct Case {
        const char* what;
        std::function<void()> run;
    } cases[] = {
        {"read a missing file", [&] { ReadButtonLabelFile(dir.filePath("none.nvl")); }},
        {"read a folder", [&] { ReadPanelLabelFile(dir.filePath("sub.nvl")); }},
        {"write over a folder", [&] { WriteButtonLabelFile(dir.filePath("sub.nvl"), {}); }},
        {"write into a missing folder",
         [&] { WritePanelLabelFile(dir.filePath("no/x.vxl"), {}, PanelSize::S22x62, {}); }},
    };
    for (const Case& c : cases) {
        EXPECT_THROW(c.run(), LabelFileError) << c.what;
        EXPECT_EQ(ReadBytes(good), before) << c.what;
        EXPECT_FALSE(QFile::exists(dir.filePath("no"))) << c.what;
    }
}
