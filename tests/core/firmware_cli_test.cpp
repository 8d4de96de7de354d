// norvaset-cli hex-image and firmware, run as processes.
#include "cli_harness.h"
#include "firmware_harness.h"

#include <QTemporaryDir>

TEST(FirmwareCli, HexImageAndFirmwareThroughTheSimulator) {
    QTemporaryDir dir;
    const QString good = dir.filePath("door.hex"), bad = dir.filePath("bad.hex");
    const QByteArray text = DoorPhoneHex(0x200);
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        QFile b(bad);
        ASSERT_TRUE(b.open(QIODevice::WriteOnly));
        b.write(text.left(text.lastIndexOf(":00000001FF")));
    }
    struct Case {
        const char* name;
        QStringList args;
        int exit;
        QString err; // a part of stderr
    };
    const Case cases[] = {
        {"refused file", {"hex-image", bad, dir.filePath("bad.bin")}, 2, "no end-of-file record"},
        {"blocks", {"hex-image", good, dir.filePath("good.bin")}, 0, ""},
        {"refused before the cable",
         {"--simulator=" + dir.filePath("phone"), "firmware", bad, "--yes"},
         2,
         "Line "},
        {"a missing file",
         {"--simulator=" + dir.filePath("phone"), "firmware", dir.filePath("none.hex"), "--yes"},
         2,
         "File not found"},
        {"not confirmed",
         {"--simulator=" + dir.filePath("phone"), "firmware", good},
         1,
         "not confirmed"},
        {"flashed",
         {"--simulator=" + dir.filePath("phone"), "firmware", good, "--yes"},
         0,
         "successfully complete"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const cli::Result r = cli::Run(dir.path(), c.args);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("bad.bin")));
    QByteArray blocks;
    for (const QByteArray& b : LoadHexText(text).image.blocks) blocks += b;
    EXPECT_EQ(FileText(dir.filePath("good.bin")), blocks);
    EXPECT_EQ(FileText(dir.filePath("phone/firmware.bin")), DoorPhoneMemory(0x200));
}
