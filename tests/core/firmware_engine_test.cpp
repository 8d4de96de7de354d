// The upgrade exchange against the simulated door phone and scripted loaders, on the
// virtual clock.

#include "firmware_harness.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// What the door phone receives for an image: "x", the "w" until "Y", then the blocks.
QByteArray Wire(const FirmwareImage& image, int polls = 1) {
    QByteArray out = "x" + QByteArray(polls, 'w');
    for (const QByteArray& b : image.blocks) out += b;
    return out;
}

QByteArray ImageMemory(const FirmwareImage& image) {
    QByteArray memory(SimDoorPhone::kFirmwareBytes, char(0xFF));
    for (const QByteArray& b : image.blocks) {
        const int word = uint8_t(b[0]) | (uint8_t(b[1]) << 8);
        if (word < 0x1E00) memory.replace(2 * word, 8, b.mid(2));
    }
    return memory;
}

} // namespace

TEST(FirmwareEngine, SimulatedLoaderEndings) {
    const FirmwareImage image = SmallImage(5); // 5 blocks and the end block: 60 bytes
    struct Case {
        const char* name;
        SimDoorPhone::LoaderFaults faults;
        FwEnding ending;
        bool programmed; // firmware.bin holds the image
    };
    const auto with = [](auto set) {
        SimDoorPhone::LoaderFaults f;
        set(f);
        return f;
    };
    const Case cases[] = {
        {"clean", {}, FwEnding::Finish, true},
        {"never Y", with([](auto& f) { f.neverReady = true; }), FwEnding::ErrorConnection, false},
        {"OK in one reply restarts by time-out", with([](auto& f) { f.okAtByte = 14; }),
         FwEnding::Finish, true},
        {"K in the middle of a block", with([](auto& f) { f.blockTakenAtByte = 15; }),
         FwEnding::Finish, true},
        {"P", with([](auto& f) { f.restartAtByte = 23; }), FwEnding::Finish, true},
        {"silence in the middle of a block", with([](auto& f) { f.silentAtByte = 33; }),
         FwEnding::Finish, true},
        {"E at block 3", with([](auto& f) { f.errorAtBlock = 3; }), FwEnding::Error, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FirmwareRig rig;
        rig.phone->loaderFaults() = c.faults;
        EXPECT_EQ(rig.Run(image), c.ending);
        EXPECT_EQ(rig.port.endings, 1);
        EXPECT_EQ(rig.port.labels.last(), FirmwareUpgrade::EndingLabel(c.ending));
        EXPECT_EQ(rig.port.messages.size(), 1);
        EXPECT_FALSE(rig.engine.TimerRunning());
        const QString bin = QDir(rig.folder.path()).filePath("firmware.bin");
        if (c.programmed) {
            EXPECT_EQ(FileText(bin), ImageMemory(image));
            EXPECT_EQ(rig.port.value1, rig.port.max1 + 1);
            EXPECT_EQ(rig.port.value2, rig.port.max2 + 1);
        } else {
            EXPECT_FALSE(QFile::exists(bin));
        }
    }
}

TEST(FirmwareEngine, WireOrderAndPace) {
    const FirmwareImage image = SmallImage(2);
    {
        SCOPED_TRACE("clean: x, one w, the blocks");
        FirmwareRig rig;
        EXPECT_EQ(rig.Run(image), FwEnding::Finish);
        EXPECT_EQ(rig.Sent(), Wire(image));
    }
    {
        SCOPED_TRACE("SendFFlag: F before x");
        FirmwareRig rig;
        EXPECT_EQ(rig.Run(image, true), FwEnding::Finish);
        EXPECT_EQ(rig.Sent(), "F" + Wire(image));
    }
    {
        SCOPED_TRACE("never Y: 101 w, one every 16 ms");
        FirmwareRig rig;
        rig.phone->loaderFaults().neverReady = true;
        EXPECT_EQ(rig.Run(image), FwEnding::ErrorConnection);
        EXPECT_EQ(rig.Sent(), "x" + QByteArray(101, 'w'));
        EXPECT_NEAR(rig.Elapsed(), 1600, 20);
        EXPECT_EQ(rig.port.messages.first(),
                  rig.texts.Text("Message", 38) + "\r\n" + rig.texts.Text("Message", 39));
    }
}

TEST(FirmwareEngine, RepliesOfAScriptedLoader) {
    const FirmwareImage image = SmallImage(2);
    const QByteArray b1 = image.blocks[0];
    // index counts the bytes received: 1 "x", 2 "w", 3.. the image.
    struct Case {
        const char* name;
        std::function<QByteArray(uint8_t, int)> answer;
        FwEnding ending;
        QByteArray wireStart; // what the loader received first (after "xw")
        qint64 minMs, maxMs;  // elapsed clock time
        const char* detail;   // how the run ended, in words
    };
    // A loader that takes blocks as the door phone does, but answers image byte n with
    // special(n) when that is not null (and then drops the half block it holds).
    const auto loader = [](std::function<QByteArray(int)> special) {
        auto inBlock = std::make_shared<int>(0);
        return [special, inBlock](uint8_t byte, int index) -> QByteArray {
            if (byte == 'w' && index == 2) return "Y";
            if (index < 3) return {};
            const QByteArray s = special(index - 2);
            if (!s.isNull()) {
                *inBlock = 0;
                return s;
            }
            if (++*inBlock < 10) return "O";
            *inBlock = 0;
            return "K";
        };
    };
    // A loader that answers connect(byte, index) up to firstImage, then takes the blocks.
    const auto connectThen = [](std::function<const char*(uint8_t, int)> connect, int firstImage) {
        return [connect, firstImage](uint8_t byte, int index) -> QByteArray {
            if (index < firstImage) return connect(byte, index);
            return (index - firstImage) % 10 == 9 ? "K" : "O";
        };
    };
    const auto at = [](int n, const char* reply) {
        return [n, reply](int i) { return i == n ? QByteArray(reply) : QByteArray(); };
    };
    // Out of step, the block goes again after 0.6 s of quiet line.
    const qint64 quiet = FirmwareUpgrade::kQuietMs;
    const Case cases[] = {
        {"ZK finishes", loader(at(4, "ZK")), FwEnding::Finish, b1.left(4), 0, 50,
         "complete at block 1 of 3"},
        {"OK is out of step: the block again after a quiet line", loader(at(3, "OK")),
         FwEnding::Finish, b1.left(3) + b1, quiet, quiet + 100, "took all 3 blocks"},
        {"K after the 5th byte is out of step: the block again after a quiet line",
         loader(at(5, "K")), FwEnding::Finish, b1.left(5) + b1, quiet, quiet + 100, "took all"},
        {"O after a whole block is out of step: the block again", loader(at(10, "O")),
         FwEnding::Finish, b1 + b1, quiet, quiet + 100, "took all"},
        {"P sends byte 1 again at once", loader(at(7, "P")), FwEnding::Finish, b1.left(7) + b1, 0,
         50, "took all"},
        {"E is an error", loader(at(2, "E")), FwEnding::Error, b1.left(2), 0, 50,
         "the door phone answered 'E' to block 1 of 3"},
        {"a loader that falls silent ends by time-out",
         loader([](int n) { return n >= 4 ? QByteArray("") : QByteArray(); }), FwEnding::ErrorTime,
         b1.left(4) + b1.left(1), 11 * 800, 11 * 800 + 100,
         "no answer for 0.8 s at block 1 byte 1, 11 restarts"},
        {"a loader that asks for the block forever ends",
         loader([](int n) { return n % 10 == 0 ? QByteArray("P") : QByteArray(); }),
         FwEnding::ErrorTime, b1 + b1, 0, 10000,
         "the door phone asked for block 1 of 3 again, 101 restarts"},
        {"Y to the third w: a quiet line first, as a w may have started a block",
         connectThen([](uint8_t b, int i) { return b == 'w' && i == 4 ? "Y" : ""; }, 5),
         FwEnding::Finish, "ww" + b1, 2 * 16 + quiet, 2 * 16 + quiet + 100, "took all"},
        {"E while connecting: a loader left waiting refused x and w; x starts it again",
         connectThen([](uint8_t b, int i) { return i == 3               ? "E"
                                                   : b == 'w' && i == 5 ? "Y"
                                                                        : ""; },
                     6),
         FwEnding::Finish, "wxw" + b1, quiet, quiet + 100, "took all"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FirmwareRig rig(true);
        rig.scripted->answer = c.answer;
        EXPECT_EQ(rig.Run(image), c.ending);
        EXPECT_EQ(rig.scripted->received.left(2 + c.wireStart.size()), "xw" + c.wireStart);
        EXPECT_GE(rig.Elapsed(), c.minMs);
        EXPECT_LE(rig.Elapsed(), c.maxMs);
        EXPECT_EQ(rig.port.endings, 1);
        EXPECT_TRUE(rig.port.report.detail.contains(c.detail))
            << rig.port.report.detail.toStdString();
    }
}

// The computer stands still in the middle of a block (a loaded machine, a USB hiccup),
// or the loader answers late: either way the run ends "Finish" with the right program,
// and a short pause costs no restart.
TEST(FirmwareEngine, PausesOfTheComputerAndStallsOfTheLoader) {
    const FirmwareImage image = SmallImage(6);
    const int block = 3;
    for (const bool computer : {true, false}) {
        for (const int ms : {300, 600, 1000, 3000}) {
            for (const int byte : {1, 5, 10}) {
                SCOPED_TRACE(QStringLiteral("%1 %2 ms at byte %3")
                                 .arg(computer ? "computer frozen" : "loader stalled")
                                 .arg(ms)
                                 .arg(byte)
                                 .toStdString());
                FirmwareRig rig;
                if (!computer) {
                    rig.phone->loaderFaults().stallAtByte = (block - 1) * 10 + byte;
                    rig.phone->loaderFaults().stallMs = ms;
                }
                ASSERT_TRUE(rig.Start(image));
                bool frozen = false;
                RunFirmwareTimer(rig.engine, rig.clock, 600000, [&] {
                    if (!computer || frozen || rig.engine.BlockNumber() != block ||
                        rig.engine.BytesSent() != byte)
                        return;
                    frozen = true;
                    rig.clock.Sleep(ms);
                });
                EXPECT_EQ(rig.engine.Ending(), FwEnding::Finish)
                    << rig.port.report.detail.toStdString();
                EXPECT_EQ(FileText(QDir(rig.folder.path()).filePath("firmware.bin")),
                          ImageMemory(image));
                // Shorter than the loader keeps a half block, a pause sends nothing twice.
                if (ms < SimDoorPhone::kLoaderBlockGapMs) {
                    EXPECT_EQ(rig.engine.TotalRestarts(), 0);
                }
                // Every word of the program went to its own address once the run ended.
                EXPECT_FALSE(rig.phone->LoaderActive());
            }
        }
    }
}

// A run that was given up leaves the loader waiting for the rest of the image; it takes
// everything as image bytes and answers no status. The next run starts it again and
// finishes.
TEST(FirmwareEngine, TheNextRunFinishesWhatAGivenUpRunLeft) {
    const FirmwareImage image = SmallImage(6);
    FirmwareRig rig;
    rig.phone->loaderFaults().stallAtByte = 25;
    rig.phone->loaderFaults().stallMs = 20000;
    EXPECT_EQ(rig.Run(image), FwEnding::ErrorTime);
    ASSERT_TRUE(rig.phone->LoaderActive());
    // As the command line's next run: a new opening of the port, a status request that
    // gets no status, then the upgrade with "x" only.
    rig.clock.Sleep(30000);
    rig.link.CloseLink();
    rig.link.ConnectAttempt();
    ASSERT_TRUE(rig.link.WriteByte('V'));
    rig.clock.Sleep(3200);
    rig.engine.FwDrain();
    RecordingFwPort port;
    FirmwareUpgrade again(rig.link, rig.clock, port, rig.texts);
    ASSERT_TRUE(again.Start(image, false, rig.folder.path()));
    RunFirmwareTimer(again, rig.clock, 600000);
    EXPECT_EQ(again.Ending(), FwEnding::Finish) << port.report.detail.toStdString();
    EXPECT_EQ(FileText(QDir(rig.folder.path()).filePath("firmware.bin")), ImageMemory(image));
}

TEST(FirmwareEngine, PulledCableEndsByTimeOut) {
    FirmwareRig rig;
    rig.phone->faults().unplugAfterBytesFromHost = 2 + 15; // "x", "w", block 1, half of block 2
    EXPECT_EQ(rig.Run(SmallImage(4), false, 60000), FwEnding::ErrorTime);
    EXPECT_LT(rig.Elapsed(), 10000);
    EXPECT_FALSE(rig.engine.Running());
}

TEST(FirmwareEngine, NoWriteWithoutADoorPhone) {
    FirmwareRig rig;
    rig.backend.SetPlugged(0, false);
    rig.backend.SetPlugged(1, false);
    DoorPhoneLink unplugged(rig.backend, rig.clock);
    unplugged.ConnectAttempt();
    ASSERT_FALSE(unplugged.Connected());
    FirmwareUpgrade engine(unplugged, rig.clock, rig.port, rig.texts);
    EXPECT_FALSE(engine.Start(SmallImage(2), true, rig.folder.path()));
    EXPECT_EQ(rig.phone->BytesFromHost(), 0);
    EXPECT_FALSE(engine.TimerRunning());
    EXPECT_EQ(engine.Phase(), FwPhase::Idle);
}

TEST(FirmwareEngine, FirmwareLog) {
    FirmwareRig rig;
    rig.texts.Set("Message", 36, "Send");
    EXPECT_EQ(rig.Run(SmallImage(1)), FwEnding::Finish);
    const QString log = QString::fromLatin1(
        FileText(QDir(rig.folder.path()).filePath(FirmwareUpgrade::kLogFileName)));
    EXPECT_EQ(log, rig.port.log);
    const QStringList lines = log.split("\r\n");
    ASSERT_GE(lines.size(), 8);
    EXPECT_EQ(lines[1], "========================");
    EXPECT_EQ(lines[2], "Send<=>Receive");
    EXPECT_EQ(lines[3], "77<=>Y");
    EXPECT_EQ(lines[4], "04<=>O"); // the low byte of the first word address, and its answer
    EXPECT_TRUE(lines.contains("FF<=>Z")) << log.toStdString();
    EXPECT_EQ(lines[lines.size() - 3], "========================");
    EXPECT_EQ(lines[lines.size() - 2], lines[0]);
    EXPECT_EQ(lines.last(), "");
}

TEST(FirmwareEngine, WholeImageIntoTheSimulator) {
    const HexLoad load = LoadHexText(DoorPhoneHex(SimDoorPhone::kFirmwareBytes));
    ASSERT_TRUE(load.check.Ok());
    FirmwareRig rig;
    int moves = 0;
    EXPECT_EQ(rig.Start(load.image), true);
    RunFirmwareTimer(rig.engine, rig.clock, 3600000, [&] { moves = rig.port.progressCalls; });
    EXPECT_EQ(rig.engine.Ending(), FwEnding::Finish);
    EXPECT_EQ(FileText(QDir(rig.folder.path()).filePath("firmware.bin")),
              DoorPhoneMemory(SimDoorPhone::kFirmwareBytes));
    EXPECT_EQ(rig.port.max1, 1920 / 10 - 1);
    EXPECT_GT(moves, 1900);
    EXPECT_EQ(rig.port.progressTexts.first(), "block 1 of 1920");
    EXPECT_EQ(rig.port.progressTexts.last(), "block 1920 of 1920");
    EXPECT_EQ(rig.port.report.detail, "the door phone took all 1920 blocks");
    EXPECT_EQ(rig.engine.TotalRestarts(), 0);
    // Every byte and its answer, each 10 bits at 9600 baud and 1 ms to answer, seen at
    // the next 1 ms tick: 4 ms a byte on the virtual line.
    EXPECT_LT(rig.Elapsed(), 19300 * 4);
}
