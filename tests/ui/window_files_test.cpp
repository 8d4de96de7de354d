// Start-up with crafted files in the program folder: an empty or folder language entry in
// Config.ini, and model pictures that cannot be shown. Each falls back as a missing file.
#include "window_harness.h"

#include <QDirIterator>
#include <QLabel>

namespace {
void CopyShipped(const QString& home) {
    QDirIterator it(QStringLiteral(NORVA_SOURCE_DIR) + "/assets", QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile::copy(path, QDir(home).filePath(QFileInfo(path).fileName()));
    }
}

// blank.jpg claiming another size in its frame header.
QByteArray PictureClaiming(int width, int height) {
    QFile f(QStringLiteral(NORVA_SOURCE_DIR) + "/assets/blank.jpg");
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    for (int i = 0; i + 8 < bytes.size(); ++i)
        if (uint8_t(bytes[i]) == 0xFF && uint8_t(bytes[i + 1]) == 0xC0) {
            bytes[i + 5] = char(height >> 8);
            bytes[i + 6] = char(height & 0xFF);
            bytes[i + 7] = char(width >> 8);
            bytes[i + 8] = char(width & 0xFF);
            break;
        }
    return bytes;
}
} // namespace

TEST(WindowFiles, LanguageEntriesThatAreNoFilesFallBackToEnglish) {
    struct Case {
        const char* name;
        const char* config;
        bool makeFolder; // "Sub.lng" is a folder
    } cases[] = {
        {"empty Lang", "[Setup]\r\nLang=\r\n", false},
        {"Lang names a folder", "[Setup]\r\nLang=Sub.lng\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig w(true, [&c](const QString& home) {
            CopyShipped(home);
            if (c.makeFolder) QDir().mkpath(QDir(home).filePath("Sub.lng"));
            WriteTextFile(QDir(home).filePath("Config.ini"), c.config);
        });
        EXPECT_EQ(w.window->LanguagePath(), QDir(w.home.path()).filePath("English.lng"));
        // The choice in Config.ini is forgotten, so the next start is a good one.
        EXPECT_FALSE(QFile::exists(QDir(w.home.path()).filePath("Config.ini")));
        EXPECT_FALSE(MessageTexts(w.startup).contains("Language file error"));
        EXPECT_EQ(w.window->Model().ChoiceItems("ComboBox16").size(), 5);
    }
}

TEST(WindowFiles, PicturesThatCannotBeShownFallBackToBlank) {
    struct Case {
        const char* name;
        std::function<void(const QString& picture)> craft;
    } cases[] = {
        {"claims 65500 x 65500",
         [](const QString& p) { WriteTextFile(p, PictureClaiming(65500, 65500)); }},
        {"claims 9000 x 9000",
         [](const QString& p) { WriteTextFile(p, PictureClaiming(9000, 9000)); }},
        {"a folder",
         [](const QString& p) {
             QFile::remove(p);
             QDir().mkpath(p);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig w(true, [&c](const QString& home) {
            CopyShipped(home);
            WriteTextFile(QDir(home).filePath("Config.ini"),
                          "[Setup]\r\nLang=English.lng\r\nLOGFILE=1\r\nCommunicator=0\r\n");
            c.craft(QDir(home).filePath("norva_lowcost.jpg"));
        });
        auto* picture = qobject_cast<QLabel*>(w.W("Image3"));
        ASSERT_NE(picture, nullptr);
        EXPECT_FALSE(picture->pixmap().isNull());
        for (const QString& message : MessageTexts(w.startup))
            EXPECT_FALSE(message.contains("picture", Qt::CaseInsensitive)) << message.toStdString();
        QFile log(QDir(w.home.path()).filePath("LOG_comm_file.TXT"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_TRUE(log.readAll().contains(
            ("Picture file: " + QDir(w.home.path()).filePath("blank.jpg")).toUtf8()));
    }
}
