// The simulated door phone on its own: line timing, memories and their folder, commands.

#include "Clock.h"
#include "Defaults.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SimCableBackend.h"
#include "SimDoorPhone.h"
#include "SimDoorPhoneFactory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Send(SimDoorPhone& phone, VirtualClock& clock, const QByteArray& bytes, int pauseMs) {
    for (char b : bytes) {
        phone.OnByteFromHost(uint8_t(b), clock.NowMs());
        clock.Advance(pauseMs);
    }
}

// Bytes handed over by each millisecond from now on, until count bytes have come.
QList<QPair<qint64, int>> Arrivals(SimDoorPhone& phone, VirtualClock& clock, int count) {
    QList<QPair<qint64, int>> out;
    int total = 0;
    for (int guard = 0; guard < 2000 && total < count; ++guard) {
        const int n = phone.TakeBytesForHost(clock.NowMs()).size();
        if (n) out.append({clock.NowMs(), n});
        total += n;
        clock.Advance(1);
    }
    return out;
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(SimDoorPhone, RepliesKeepTheLineTiming) {
    // 9600 baud: 1.0417 ms a byte; the answer time is 1 ms by default.
    struct Case {
        const char* name;
        QByteArray command;
        int pauseMs;
        int packetBytes;
        int splitBytes;
        double splitGapMs;
        QList<QPair<qint64, int>> arrivals;
    };
    const Case cases[] = {
        // "V" arrives at 1.04, the answer starts at 2.04 and its 20th byte is over at 22.88.
        {"status", "V", 0, 62, 0, 0, {{23, 20}}},
        // "P" leaves at 2 and arrives at 3.04; the block starts at 4.04, 62 bytes a packet.
        {"parameters", "RP", 2, 62, 0, 0, {{69, 62}, {134, 62}, {198, 62}, {263, 62}, {271, 8}}},
        {"record byte by byte", QByteArray("RT\x05"), 2, 1, 0, 0, {}},
        {"status in two pieces", "V", 0, 62, 10, 5, {{13, 10}, {28, 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualClock clock;
        SimDoorPhone phone(clock);
        phone.timing().packetBytes = c.packetBytes;
        phone.faults().splitBytes = c.splitBytes;
        phone.faults().splitGapMs = c.splitGapMs;
        Send(phone, clock, c.command, c.pauseMs);
        clock.Advance(-c.pauseMs * c.command.size()); // look from the first byte on
        const int expected = c.command == "V" ? 20 : c.command == "RP" ? 256 : 24;
        const auto got = Arrivals(phone, clock, expected);
        if (c.arrivals.isEmpty()) {
            // One byte every 1.04 ms: 24 bytes over 25 ms, from 6.04 on.
            ASSERT_EQ(got.size(), 24);
            EXPECT_EQ(got.first().first, 8);
            EXPECT_EQ(got.last().first, 32);
        } else {
            EXPECT_EQ(got, c.arrivals);
        }
    }
}

TEST(SimDoorPhone, AnswersEveryExchange) {
    VirtualClock clock;
    clock.SetWallClock(QDateTime(QDate(2026, 7, 8), QTime(9, 10, 11)));
    SimDoorPhone phone(clock);
    phone.version = 200;
    phone.resets = 0x0134;
    phone.dayMode = false;
    phone.SetRecord(101, EncodeDialNumber(QStringLiteral("0123")));

    const auto exchange = [&](const QByteArray& command) {
        Send(phone, clock, command, 2);
        clock.Advance(400);
        return phone.TakeBytesForHost(clock.NowMs());
    };
    EXPECT_EQ(exchange("V"), QByteArray("S\x11N\x10H\x09R\x26M\x07"
                                        "D\x08V\xC8I\x34J\x01GN",
                                        20));
    EXPECT_EQ(exchange("RP"), phone.Parameters());
    EXPECT_EQ(exchange(QByteArray("RT") + char(101)), EncodeDialNumber(QStringLiteral("0123")));
    EXPECT_EQ(exchange(QByteArray("RT") + char(100)), QByteArray("E"));

    const QByteArray record = EncodeDialNumber(QStringLiteral("*99#"));
    EXPECT_EQ(exchange(QByteArray("WT") + char(7) + record), QByteArray("Z"));
    EXPECT_EQ(phone.Record(7), record);

    QByteArray block = SimDoorPhone::FactoryParameters();
    block[0] = 42;
    EXPECT_EQ(exchange(QByteArray("WP") + block.left(255)), QByteArray(255, 'D') + "Z");
    EXPECT_EQ(phone.Parameters(), block);
    phone.timing().dBeforeZ = false;
    block[1] = 43;
    EXPECT_EQ(exchange(QByteArray("WP") + block.left(255)), QByteArray(254, 'D') + "Z");
    EXPECT_EQ(phone.ParameterWrites(), 2);

    exchange("WG");
    EXPECT_TRUE(phone.dayMode);
    const QByteArray clockCommand("WCS\x45N\x30H\x17R\x27M\x02"
                                  "D\x28W\x06~",
                                  17);
    EXPECT_EQ(exchange(clockCommand), QByteArray());
    EXPECT_EQ(phone.ClockSets(), 1);
    EXPECT_EQ(phone.DeviceTime().toString("yyyy-MM-dd hh:mm"), QStringLiteral("2027-02-28 17:30"));
    // A set-clock command with a wrong tag changes nothing.
    QByteArray broken = clockCommand;
    broken[4] = 'X';
    exchange(broken);
    EXPECT_EQ(phone.ClockSets(), 1);
}

TEST(SimDoorPhone, FactoryBlockIsValid) {
    const QByteArray block = SimDoorPhone::FactoryParameters();
    ASSERT_EQ(block.size(), 256);
    EXPECT_EQ(uint8_t(block[31]), 85);
    VirtualClock clock;
    SimDoorPhone phone(clock);
    EXPECT_EQ(phone.Numbers(), QByteArray(198 * 24, char(0xFF)));
}

TEST(SimDoorPhone, MemoryFolder) {
    QTemporaryDir dir;
    VirtualClock clock;
    {
        auto far = CreateSimulatedDoorPhone(clock, dir.path());
        auto* phone = static_cast<SimDoorPhone*>(far.get());
        // Both files exist from the start.
        EXPECT_EQ(ReadFile(dir.filePath("parameters.bin")), SimDoorPhone::FactoryParameters());
        EXPECT_EQ(ReadFile(dir.filePath("numbers.bin")).size(), 198 * 24);
        // A record written over the line is in the file as soon as its "Z" has gone out,
        // at its place; not before, so that the save never holds the answer back.
        const QByteArray record = EncodeDialNumber(QStringLiteral("4711"));
        Send(*phone, clock, QByteArray("WT") + char(199) + record, 2);
        clock.Advance(50);
        EXPECT_EQ(phone->TakeBytesForHost(clock.NowMs()), QByteArray("Z"));
        EXPECT_NE(ReadFile(dir.filePath("numbers.bin")).mid(197 * 24, 24), record);
        phone->TakeBytesForHost(clock.NowMs());
        EXPECT_EQ(ReadFile(dir.filePath("numbers.bin")).mid(197 * 24, 24), record);
        QByteArray block = phone->Parameters();
        block[5] = 9;
        phone->SetParameters(block);
    } // saved when it goes away
    VirtualClock clock2;
    auto again = CreateSimulatedDoorPhone(clock2, dir.path());
    auto* phone = static_cast<SimDoorPhone*>(again.get());
    EXPECT_EQ(phone->Record(199), EncodeDialNumber(QStringLiteral("4711")));
    EXPECT_EQ(phone->Parameters()[5], 9);

    // A file of the wrong size is left out; the other one still loads.
    QFile bad(dir.filePath("parameters.bin"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("short");
    bad.close();
    SimDoorPhone fresh(clock2);
    QString error;
    EXPECT_FALSE(fresh.LoadFrom(dir.path(), &error));
    EXPECT_TRUE(error.contains("parameters.bin"));
    EXPECT_EQ(fresh.Parameters(), SimDoorPhone::FactoryParameters());
    EXPECT_EQ(fresh.Record(199), EncodeDialNumber(QStringLiteral("4711")));
}

TEST(SimDoorPhone, PulledCableFailsOnTheProgramsSide) {
    struct Case {
        const char* name;
        bool toHost;
    };
    for (const Case c : {Case{"after 30 bytes out", true}, Case{"after 2 bytes in", false}}) {
        SCOPED_TRACE(c.name);
        VirtualClock clock;
        SimCableBackend backend(clock);
        auto phone = std::make_shared<SimDoorPhone>(clock);
        backend.AddBothCables(phone);
        phone->AttachTo(backend);
        if (c.toHost)
            phone->faults().unplugAfterBytesToHost = 30;
        else
            phone->faults().unplugAfterBytesFromHost = 2;

        std::unique_ptr<DeviceHandle> handle;
        ASSERT_EQ(backend.OpenBySerial("TROX-USB", &handle), ftstatus::OK);
        uint32_t n = 0;
        for (char b : QByteArray("RP")) {
            handle->Write(uint8_t(b), &n);
            clock.Advance(2);
        }
        uint32_t rx = 0, most = 0;
        for (int t = 0; t < 400; ++t) {
            clock.Advance(1);
            handle->GetStatus(&rx);
            most = std::max(most, rx);
        }
        EXPECT_EQ(most, c.toHost ? 30u : 0u);
        EXPECT_NE(handle->GetStatus(&rx), ftstatus::OK);
        uint32_t listed = 9;
        backend.ListCount(&listed);
        EXPECT_EQ(listed, 0u);

        // Plugged in again, it answers as before.
        backend.SetPlugged(0, true);
        handle.reset();
        ASSERT_EQ(backend.OpenBySerial("TROX-USB", &handle), ftstatus::OK);
        handle->Write('V', &n);
        clock.Advance(30);
        handle->GetStatus(&rx);
        EXPECT_EQ(rx, 20u);
    }
}

TEST(SimDoorPhone, GarbageAndUnknownCommands) {
    struct Loader : SimDoorPhone {
        using SimDoorPhone::SimDoorPhone;
        QByteArray seen;
        bool OnOtherCommand(uint8_t byte, double atMs) override {
            seen.append(char(byte));
            if (byte == 'k') Answer("Y", atMs + 1);
            return true;
        }
    };
    VirtualClock clock;
    Loader phone(clock);
    phone.faults().garbageBeforeReply = "\x01\x02";
    Send(phone, clock, "V", 2);
    clock.Advance(100);
    const QByteArray status = phone.TakeBytesForHost(clock.NowMs());
    EXPECT_EQ(status.size(), 22);
    EXPECT_TRUE(status.startsWith("\x01\x02S"));

    // "F" and "x" start the firmware loader; other unknown bytes reach the hook.
    Send(phone, clock, "Q?k", 2);
    clock.Advance(20);
    EXPECT_EQ(phone.TakeBytesForHost(clock.NowMs()), QByteArray("Y"));
    EXPECT_EQ(phone.seen, QByteArray("Q?k"));

    // A stray "x" (a data byte after an abandoned command) does not keep the loader: the
    // next byte that is not the loader's is a command again.
    phone.seen.clear();
    Send(phone, clock, "xk", 2);
    clock.Advance(20);
    EXPECT_EQ(phone.TakeBytesForHost(clock.NowMs()), QByteArray("Y"));
    EXPECT_FALSE(phone.LoaderActive());
    EXPECT_EQ(phone.seen, QByteArray("k"));

    phone.SendToHost("??");
    clock.Advance(3);
    EXPECT_EQ(phone.TakeBytesForHost(clock.NowMs()), QByteArray("??"));
}
