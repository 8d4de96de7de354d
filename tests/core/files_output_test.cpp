// Every writer of the program against every kind of output it can be pointed at: a file is
// written whole or not at all, only over a regular file, and a failure says the system's
// reason. The device node and the full disk need root (mknod, a small tmpfs mounted in a
// temporary folder); without root those rows are left out.
#include "FileAccess.h"
#include "LabelFiles.h"
#include "cli_harness.h"
#include "failing_disk.h"
#include "firmware_harness.h"

#include <QProcess>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

bool IsRoot() {
    return geteuid() == 0;
}

// Fills a file system until a write fails.
void Fill(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size()) {}
}

mode_t KindOf(const QString& path) {
    struct stat st {};
    if (lstat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return st.st_mode & S_IFMT;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

enum class Target { New, Existing, Fifo, Device, Link, Folder, FullDisk, ReadOnly };

} // namespace

TEST(FilesOutput, EveryWriterWritesWholePlainFilesOrNothing) {
    QTemporaryDir work;
    SettingsModel model;
    cli::MakeInstallerSettings(model);
    cli::SaveModel(work.filePath("in.nvs"), model);
    cli::WriteBytes(work.filePath("block.bin"),
                    EncodeParameterBlock(model, DoorPhoneState{}).bytes);
    cli::WriteBytes(work.filePath("door.hex"), DoorPhoneHex(0x200));
    LabelTexts labels;
    labels[0] = "Jan Novák";
    WriteButtonLabelFile(work.filePath("in.nvl"), labels);

    const struct {
        const char* name;
        const char* extension;
        QStringList args; // the output follows
    } writers[] = {
        {"print", "pdf", {"print", work.filePath("in.nvs")}},
        {"labels", "pdf", {"labels", work.filePath("in.nvl")}},
        {"settings file", "nvs", {"decode", work.filePath("block.bin")}},
        {"hex-image", "bin", {"hex-image", work.filePath("door.hex")}},
    };
    const char* readOnlyReason = IsRoot() ? "Read-only file system" : "Permission denied";
    const struct {
        const char* name;
        Target kind;
        const char* reason; // "" = written
        bool needsRoot;
    } targets[] = {
        {"new file", Target::New, "", false},
        {"existing file", Target::Existing, "", false},
        {"FIFO", Target::Fifo, "Not a regular file", false},
        {"device node", Target::Device, "Not a regular file", true},
        {"link to a file", Target::Link, "", false},
        {"folder", Target::Folder, "Is a folder", false},
        {"full disk", Target::FullDisk, "No space left on device", true},
        {"read-only folder", Target::ReadOnly, readOnlyReason, false},
    };
    for (const auto& w : writers) {
        for (const auto& t : targets) {
            SCOPED_TRACE(std::string(w.name) + " into " + t.name);
            if (t.needsRoot && !IsRoot()) continue;
            // A full or read-only disk is a tmpfs of our own, where this root may mount.
            const bool mounts =
                t.kind == Target::FullDisk || (t.kind == Target::ReadOnly && IsRoot());
            if (mounts && !TmpfsMount::MayMount()) continue;
            QTemporaryDir scratch;
            const QString folder = scratch.filePath("out");
            ASSERT_TRUE(QDir().mkpath(folder));
            const QString out = QDir(folder).filePath(QStringLiteral("out.") + w.extension);
            const QString real = QDir(folder).filePath(QStringLiteral("real.") + w.extension);
            std::unique_ptr<TmpfsMount> mount;
            QStringList before;
            switch (t.kind) {
            case Target::New: break;
            case Target::Existing: cli::WriteBytes(out, "old"); break;
            case Target::Fifo:
                ASSERT_EQ(mkfifo(QFile::encodeName(out).constData(), 0600), 0);
                break;
            case Target::Device:
                // The null device's numbers, as a node of our own in the temporary folder.
                ASSERT_EQ(mknod(QFile::encodeName(out).constData(), S_IFCHR | 0600, makedev(1, 3)),
                          0);
                break;
            case Target::Link:
                cli::WriteBytes(real, "old");
                ASSERT_TRUE(QFile::link(real, out));
                break;
            case Target::Folder: ASSERT_TRUE(QDir().mkpath(out)); break;
            case Target::FullDisk:
                mount = std::make_unique<TmpfsMount>(folder, "size=64k");
                ASSERT_TRUE(mount->Mounted());
                Fill(QDir(folder).filePath("filler"));
                break;
            case Target::ReadOnly:
                if (IsRoot()) {
                    mount = std::make_unique<TmpfsMount>(folder, "ro,size=64k");
                    ASSERT_TRUE(mount->Mounted());
                } else {
                    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);
                }
                break;
            }
            before = Entries(folder);
            const mode_t kindBefore = KindOf(out);

            const cli::Result r = cli::Run(work.path(), w.args + QStringList{out});
            if (t.kind == Target::ReadOnly && !IsRoot())
                chmod(QFile::encodeName(folder).constData(), 0755);

            if (!*t.reason) {
                EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
                // A link stays a link; the file it names takes the output.
                const QString written = t.kind == Target::Link ? real : out;
                EXPECT_EQ(KindOf(out), t.kind == Target::Link ? mode_t(S_IFLNK) : mode_t(S_IFREG));
                EXPECT_EQ(KindOf(written), mode_t(S_IFREG));
                const QByteArray bytes = cli::ReadBytes(written);
                EXPECT_GT(bytes.size(), 3);
                EXPECT_NE(bytes, QByteArray("old"));
                QStringList expected{QStringLiteral("out.") + w.extension};
                if (t.kind == Target::Link) expected << QStringLiteral("real.") + w.extension;
                EXPECT_EQ(Entries(folder), expected) << "nothing else is left beside it";
            } else {
                EXPECT_NE(r.exitCode, 0);
                EXPECT_TRUE(r.err.contains(QLatin1String(t.reason))) << r.err.toStdString();
                // Nothing was replaced, nothing was left behind.
                EXPECT_EQ(KindOf(out), kindBefore);
                EXPECT_EQ(Entries(folder), before);
            }
        }
    }
}

// A write that fails only when the last buffered bytes reach the disk (the file may not
// grow past 4 KiB in a child process) is reported and keeps the old file.
TEST(FilesOutput, AFailureAtTheLastFlushKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.bin");
    cli::WriteBytes(path, "old");
    const int code = ExitCodeWithFileSizeLimit(4096, [&] {
        QString error;
        const bool written =
            WriteWholeFile(path, QByteArray(3000, 'a') + QByteArray(3000, 'b'), &error);
        return !written && error.contains("File too large") ? 0 : 1;
    });
    EXPECT_EQ(code, 0) << "the failed write must be reported with its reason";
    EXPECT_EQ(cli::ReadBytes(path), QByteArray("old"));
    EXPECT_EQ(Entries(dir.path()), QStringList{"keep.bin"});
}
