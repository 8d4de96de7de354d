// Every input that ever made a fuzz target crash is kept in tests/fixtures/fuzz-crashes/
// TARGET/ and replayed here, so a mended fault stays mended.
#include "FuzzEntries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

TEST(FuzzCrashes, EveryTargetHasItsEntry) {
    for (const char* name :
         {"settings_file", "ini_file", "parameter_block", "number_record", "status_reply",
          "jpeg_picture", "label_file", "hex_image", "settings_text"})
        EXPECT_NE(FuzzEntryByName(name), nullptr) << name;
    EXPECT_EQ(FuzzEntryByName("no_such_reader"), nullptr);
}

TEST(FuzzCrashes, KeptInputsRunClean) {
    const QDir root(QStringLiteral(NORVA_SOURCE_DIR) + "/tests/fixtures/fuzz-crashes");
    ASSERT_TRUE(root.exists());
    int replayed = 0;
    for (const QString& target : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const FuzzEntry entry = FuzzEntryByName(target.toStdString());
        ASSERT_NE(entry, nullptr) << "inputs kept for an unknown target " << target.toStdString();
        QDirIterator it(root.filePath(target), QDir::Files);
        while (it.hasNext()) {
            QFile file(it.next());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            const QByteArray bytes = file.readAll();
            SCOPED_TRACE(file.fileName().toStdString());
            entry(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++replayed;
        }
    }
    RecordProperty("replayed", replayed);
}
