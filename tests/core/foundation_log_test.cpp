// The communication log: header, trailer, fresh file at every opening, failed writes.
#include "Clock.h"
#include "CommLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QStringList Lines(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QString text = QString::fromLatin1(f.readAll());
    EXPECT_TRUE(text.isEmpty() || text.endsWith("\r\n"));
    QStringList lines = text.split("\r\n");
    lines.removeLast();
    return lines;
}
} // namespace

TEST(FoundationLog, HeaderLinesAndTrailer) {
    QTemporaryDir dir;
    VirtualClock clock;
    CommLog log(&clock);
    log.LogLine("not written while off");
    ASSERT_TRUE(log.Open(dir.path()));
    log.LogLine("R+P");
    log.Close(true);
    const QStringList lines = Lines(QDir(dir.path()).filePath("LOG_comm_file.TXT"));
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], log.DateTimeLine());
    EXPECT_EQ(lines[1], QString(24, '='));
    EXPECT_EQ(lines[2], "Start");
    EXPECT_EQ(lines[3], "R+P");
    EXPECT_EQ(lines.mid(4, 1), QStringList{"Program close"});
    EXPECT_EQ(lines[6], QString(24, '='));
    EXPECT_EQ(lines[7], ">>> Report ended <<<");
}

TEST(FoundationLog, OffAndOnGivesAFreshFile) {
    QTemporaryDir dir;
    CommLog log;
    ASSERT_TRUE(log.Open(dir.path()));
    log.LogLine("first session");
    log.Close(false);
    ASSERT_TRUE(log.Open(dir.path()));
    log.LogLine("second session");
    log.Close(false);
    const QStringList lines = Lines(QDir(dir.path()).filePath("LOG_comm_file.TXT"));
    EXPECT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[2], "Start");
    EXPECT_EQ(lines[3], "second session");
}

TEST(FoundationLog, RawBytesAreKeptAsOneCharacterEach) {
    QTemporaryDir dir;
    CommLog log;
    ASSERT_TRUE(log.Open(dir.path()));
    log.LogLine(QString("Par.32 : ") + QChar(0xFF));
    log.Close(false);
    QFile f(QDir(dir.path()).filePath("LOG_comm_file.TXT"));
    f.open(QIODevice::ReadOnly);
    EXPECT_TRUE(f.readAll().endsWith(QByteArray("Par.32 : \xFF\r\n")));
}

TEST(FoundationLog, AFailedWriteStopsLoggingAndTellsOnce) {
    QTemporaryDir dir;
    CommLog log;
    int told = 0;
    log.onWriteFailed = [&](const QString&) { ++told; };
    ASSERT_TRUE(log.Open(dir.path()));
    QFile::remove(log.FilePath()); // removed while the program runs
    log.LogLine("lost");
    log.LogLine("also lost");
    EXPECT_FALSE(log.Enabled());
    EXPECT_EQ(told, 1);
}

TEST(FoundationLog, AFolderThatCannotBeWrittenLeavesTheLogOff) {
    CommLog log;
    EXPECT_FALSE(log.Open("/proc/no-such-folder"));
    EXPECT_FALSE(log.Enabled());
    log.LogLine("ignored");
}
