// The status poll, the status decoder, the clock and the day/night command.

#include "link_harness.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kTimeout = QStringLiteral("Communication error - Norva DoorPhone is not connect");

QString Pairs(std::initializer_list<std::pair<char, int>> pairs) {
    QString out;
    for (const auto& [tag, value] : pairs) {
        out += QChar(tag);
        out += QChar(value);
    }
    while (out.size() < 20) out += QStringLiteral("X"); // pads with an unknown tag
    return out;
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v));
    return out;
}

} // namespace

TEST(LinkStatus, DecoderTable) {
    struct Case {
        const char* name;
        QString reply;
        bool flagBefore;
        QString version, time, resets;
        bool flagAfter;
        bool day;
    };
    const Case cases[] = {
        {"255", Pairs({{'V', 255}}), false, "2.55", "", "", true, false},
        {"200", Pairs({{'V', 200}}), true, "2.00", "", "", false, false},
        {"7 keeps the flag set", Pairs({{'V', 7}}), true, "7.", "", "", true, false},
        {"7 keeps the flag clear", Pairs({{'V', 7}}), false, "7.", "", "", false, false},
        {"22", Pairs({{'V', 22}}), true, "2.2", "", "", false, false},
        {"23", Pairs({{'V', 23}}), false, "2.3", "", "", true, false},
        {"48", Pairs({{'V', 48}}), false, "4.8", "", "", true, false},
        {"50", Pairs({{'V', 50}}), true, "5.0", "", "", false, false},
        {"68", Pairs({{'V', 68}}), false, "6.8", "", "", true, false},
        {"122", Pairs({{'V', 122}}), true, "1.22", "", "", false, false},
        {"198", Pairs({{'V', 198}}), false, "1.98", "", "", true, false},
        {"250", Pairs({{'V', 250}}), true, "2.50", "", "", false, false},
        {"clock in S N H R M D order",
         Pairs({{'S', 0x85}, {'N', 0x59}, {'H', 0x23}, {'R', 0x26}, {'M', 0x12}, {'D', 0x31}}),
         false, "", "31.12.2026 / 23:59:05", "", false, false},
        {"clock pairs in another order", Pairs({{'D', 0x01}, {'S', 0x10}, {'N', 0x02}}), false, "",
         "02:10", "", false, false},
        {"a nibble above 9", Pairs({{'S', 0x1A}}), false, "", "110", "", false, false},
        {"resets", Pairs({{'I', 0x34}, {'J', 0x01}}), false, "", "", "308", false, false},
        {"day", Pairs({{'G', 'D'}}), false, "", "", "", false, true},
        {"night", Pairs({{'G', 'N'}}), false, "", "", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        h.comm.SetSendFFlag(c.flagBefore);
        h.comm.DecodeStatus(c.reply);
        EXPECT_EQ(h.comm.Status().versionText, c.version);
        EXPECT_EQ(h.comm.Status().deviceTimeText, c.time);
        EXPECT_EQ(h.comm.Status().resetsText, c.resets);
        EXPECT_EQ(h.comm.SendFFlag(), c.flagAfter);
        EXPECT_EQ(h.comm.DayMode(), c.day);
    }
}

TEST(LinkStatus, PollShowsTheLastReplyAndKeepsTheCableOpen) {
    LinkHarness h;
    h.phone->version = 255;
    h.phone->resets = 300;
    h.phone->dayMode = false;
    h.phone->SetDeviceTime(QDateTime(QDate(2026, 5, 4), QTime(8, 9, 10)));

    h.loop.RunFor(2001); // first tick: the request goes out
    EXPECT_EQ(h.phone->ReceivedFromHost(), QByteArray("V"));
    EXPECT_EQ(h.host.shownVersion, QString());
    h.loop.RunFor(100); // the reply came; the port stays open, no other program takes it
    TFT232* const port = h.link.Link();
    EXPECT_NE(port, nullptr);
    EXPECT_EQ(h.comm.Status().versionText, QStringLiteral("2.55"));

    h.loop.RunFor(900); // second tick: shows it, asks again
    EXPECT_EQ(h.link.Link(), port);
    EXPECT_EQ(h.phone->ReceivedFromHost(), QByteArray("VV"));
    EXPECT_EQ(h.host.shownVersion, QStringLiteral("2.55"));
    EXPECT_EQ(h.host.shownResets, QStringLiteral("300"));
    EXPECT_EQ(h.host.deviceClock, QStringLiteral("04.05.2026 / 08:09:12"));
    EXPECT_EQ(h.host.pcClock, Communicator::PcClockText(h.clock.CurrentDateTime()));
    EXPECT_FALSE(h.host.dayImage);
    EXPECT_TRUE(h.host.nightImage);
    EXPECT_TRUE(h.comm.SendFFlag());
    EXPECT_EQ(h.comm.TimerInterval(EngineTimer::Poll), 1000);
    EXPECT_TRUE(h.host.messages.isEmpty());

    // The status is kept for the writes and the backups; a tick without an answer shows
    // empty fields all the same.
    h.phone->faults().silent = true;
    h.loop.RunFor(1000);
    EXPECT_EQ(h.comm.Status().versionText, QStringLiteral("2.55"));
    EXPECT_EQ(h.comm.Status().resetsText, QStringLiteral("300"));
    EXPECT_EQ(h.host.shownVersion, QString());
    EXPECT_EQ(h.host.shownResets, QString());
    EXPECT_EQ(h.host.deviceClock, QString());
}

// A status is ten tag and value pairs holding each status tag once. Anything else, however
// long, is not one: the wait runs out and the poll asks again.
TEST(LinkStatus, OnlyAStatusIsTakenForAStatus) {
    struct Case {
        const char* name;
        std::function<void(LinkHarness&)> fault;
        bool taken;
    };
    // A line that answers one of "Y", "O", "K", "Z" every 20 ms and never a status.
    const auto chatter = [](LinkHarness& h) {
        h.phone->faults().silent = true;
        h.loop.afterTick = [&h, next = qint64(0), i = 0]() mutable {
            if (h.clock.NowMs() < next) return;
            h.phone->SendToHost(QByteArray(1, "YOKZ"[i++ % 4]));
            next = h.clock.NowMs() + 20;
        };
    };
    const Case cases[] = {
        {"19 bytes", [](LinkHarness& h) { h.phone->faults().statusLength = 19; }, false},
        {"21 bytes: the status, then a byte more",
         [](LinkHarness& h) { h.phone->faults().statusLength = 21; }, true},
        {"noise ahead of the status",
         [](LinkHarness& h) { h.phone->faults().garbageBeforeReply = "Y"; }, true},
        {"acknowledgement letters", chatter, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        c.fault(h);
        h.loop.RunFor(2000 + 3300); // the first request, then 3.2 s for a reply
        h.loop.afterTick = nullptr;
        EXPECT_EQ(h.host.messages, c.taken ? QStringList{} : QStringList{kTimeout});
        EXPECT_EQ(h.comm.DoorPhoneSilent(), !c.taken);
        EXPECT_TRUE(h.host.commandsEnabled);
        h.loop.RunFor(1500);
        EXPECT_GE(h.phone->ReceivedFromHost().count('V'), 2) << "the poll asks again";
    }
}

// The tags decide, not the length or the order.
TEST(LinkStatus, StatusReplyTable) {
    const QByteArray good("S\x01"
                          "N\x02"
                          "H\x03"
                          "R\x26"
                          "M\x12"
                          "D\x31"
                          "V\xFD"
                          "I\x07"
                          "J\x00"
                          "GD",
                          20);
    struct Case {
        const char* name;
        QByteArray bytes;
        bool status;
    };
    QByteArray reordered = good.mid(10) + good.left(10);
    QByteArray twice = good;
    twice[18] = 'V'; // "V" twice, "G" missing
    QByteArray unknown = good;
    unknown[0] = 'X';
    const Case cases[] = {
        {"the door phone's order", good, true},
        {"another order", reordered, true},
        {"a tag twice, one missing", twice, false},
        {"an unknown tag", unknown, false},
        {"19 bytes", good.left(19), false},
        {"21 bytes", good + 'x', false},
        {"letters only", QByteArray("YOKZYOKZYOKZYOKZYOKZ"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Communicator::IsStatusReply(c.bytes), c.status);
    }
}

TEST(LinkStatus, CallProgressListFollowsTheFirmwareWithTheLogOff) {
    struct Case {
        int version;
        int indexBefore;
        int items;
        int indexAfter;
    };
    const Case cases[] = {
        {255, 3, 4, 3}, // "2.55"
        {252, 1, 4, 1}, // "2.52"
        {251, 3, 3, 2}, // "2.51": not above 51
        {200, 3, 3, 2}, // "2.00"
        {7, 3, 3, 2},   // "7."
        {2, 3, 3, 2},   // "2.": no number after the point
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        LinkHarness h;
        ASSERT_FALSE(h.log.Enabled());
        h.model.SetChoiceItems(QStringLiteral("ComboBox15"),
                               {"Off", "Type 1", "Type 2", "Silent call"});
        h.model.SetChoice(QStringLiteral("ComboBox15"), c.indexBefore);
        h.phone->version = c.version;
        h.loop.RunFor(3001); // two ticks: the second reports
        EXPECT_EQ(h.model.ChoiceItems(QStringLiteral("ComboBox15")).size(), c.items);
        EXPECT_EQ(h.model.Choice(QStringLiteral("ComboBox15")), c.indexAfter);
        EXPECT_FALSE(h.comm.Status().lastReportedVersion.isEmpty());
    }
}

TEST(LinkStatus, TickWithoutReplyLeavesTheCallProgressListAlone) {
    LinkHarness h;
    h.phone->version = 255;
    h.loop.RunFor(3001);
    h.model.SetChoice(QStringLiteral("ComboBox15"), 3);
    h.phone->faults().silent = true;
    h.loop.RunFor(5500); // the next request and its 3.2 s
    EXPECT_FALSE(h.host.messages.isEmpty());
    EXPECT_EQ(h.model.ChoiceItems(QStringLiteral("ComboBox15")).size(), 4);
    EXPECT_EQ(h.model.Choice(QStringLiteral("ComboBox15")), 3);
}

TEST(LinkStatus, ConnectionReportIsLoggedOncePerVersion) {
    QTemporaryDir dir;
    LinkHarness h;
    ASSERT_TRUE(h.log.Open(dir.path()));
    h.phone->version = 253;
    h.phone->resets = 12;
    h.loop.RunFor(2001 + 4000); // several ticks with the same version
    h.log.Close(false);
    QFile file(h.log.FilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    EXPECT_EQ(text.count(QStringLiteral("Connect to communicator")), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("Version: 2.53\r\nNo. of resets: 12\r\n"
                                             "Time in communicator: ")));
    EXPECT_TRUE(text.contains(QStringLiteral("Mode : Day\r\n")));
}

TEST(LinkStatus, SetTimeFromPcSendsTheNextSecondAndTakes2180Ms) {
    struct Case {
        QDateTime pc;
        QByteArray bytes;
        const char* logLine;
    };
    const Case cases[] = {
        {QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59, 500)),
         Bytes({'W', 'C', 'S', 0x00, 'N', 0x00, 'H', 0x00, 'R', 0x26, 'M', 0x01, 'D', 0x01, 'W', 4,
                '~'}),
         "1-1-2026 - 0-0-0"},
        {QDateTime(QDate(2026, 3, 15), QTime(14, 37, 5, 0)),
         Bytes({'W', 'C', 'S', 0x05, 'N', 0x37, 'H', 0x14, 'R', 0x26, 'M', 0x03, 'D', 0x15, 'W', 0,
                '~'}),
         "15-3-2026 - 14-37-5"},
        {QDateTime(QDate(2026, 3, 16), QTime(9, 8, 7, 200)),
         Bytes({'W', 'C', 'S', 0x08, 'N', 0x08, 'H', 0x09, 'R', 0x26, 'M', 0x03, 'D', 0x16, 'W', 1,
                '~'}),
         "16-3-2026 - 9-8-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logLine);
        QTemporaryDir dir;
        LinkHarness h;
        ASSERT_TRUE(h.log.Open(dir.path()));
        h.clock.SetWallClock(c.pc.addMSecs(-1005)); // the time is read after the bracket opens
        h.phone->ClearLineRecord();
        const qint64 start = h.clock.NowMs();
        h.comm.SetClockFromPc();
        EXPECT_EQ(h.clock.NowMs() - start, 1005 + 17 * 10 + 1005);
        EXPECT_EQ(h.phone->ReceivedFromHost(), c.bytes);
        h.phone->Settle();
        EXPECT_EQ(h.phone->ClockSets(), 1);
        EXPECT_TRUE(h.WindowEnabled());
        h.log.Close(false);
        QFile file(h.log.FilePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(QString::fromLatin1(file.readAll())
                        .contains(QStringLiteral(">>> Time <<<\r\n") +
                                  QString::fromLatin1(c.logLine) + QStringLiteral("\r\n")));
    }
}

TEST(LinkStatus, DayNightSwitchFlipsAtOnceAndTheDeviceConfirms) {
    LinkHarness h;
    h.phone->dayMode = true;
    h.loop.RunFor(3001);
    ASSERT_TRUE(h.comm.DayMode());
    EXPECT_TRUE(h.host.dayImage);

    h.phone->ClearLineRecord();
    const qint64 start = h.clock.NowMs();
    h.comm.SwitchDayNight();
    EXPECT_EQ(h.clock.NowMs() - start, 1005 + 5 + 100 + 1005);
    EXPECT_EQ(h.phone->ReceivedFromHost(), QByteArray("WG"));
    EXPECT_FALSE(h.comm.DayMode());
    EXPECT_FALSE(h.host.dayImage); // both hidden until the next tick
    EXPECT_FALSE(h.host.nightImage);
    h.loop.RunFor(2100);
    EXPECT_FALSE(h.phone->dayMode);
    EXPECT_FALSE(h.comm.DayMode());
    EXPECT_TRUE(h.host.nightImage);
}

TEST(LinkStatus, TicksDuringAMessageBoxAreDropped) {
    LinkHarness h;
    h.phone->faults().silent = true;
    qsizetype during = -1;
    h.host.onMessage = [&] {
        const qsizetype before = h.phone->ReceivedFromHost().size();
        h.clock.Advance(1500); // the box stays open past a poll tick
        h.comm.PollTick();
        h.comm.TransferTick();
        during = h.phone->ReceivedFromHost().size() - before;
    };
    h.loop.RunFor(2000 + 3300);
    ASSERT_EQ(h.host.messages.size(), 1);
    EXPECT_EQ(during, 0);
}
