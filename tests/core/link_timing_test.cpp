// How long the program waits for the door phone, on the virtual clock: the silence a
// reply may keep, the deadline of a line that keeps delivering bytes, and how often the
// status poll says the door phone is silent.

#include "link_harness.h"

#include "Defaults.h"

#include <gtest/gtest.h>

namespace {

using namespace DoorPhoneProtocol;

const QString kTimeout = QStringLiteral("Communication error - Norva DoorPhone is not connect");

// One exchange of each kind, started the way its front end starts it.
struct ExchangeCase {
    const char* name;
    int requestBytes; // bytes on the line when the wait of the first answer starts
    int answerBytes;  // the length of that answer
    std::function<void(LinkHarness&)> start;
};

const ExchangeCase kExchanges[] = {
    {"status", 1, kStatusReplyLength, [](LinkHarness&) {}}, // the poll's first tick
    {"read parameters", 2, kParameterReplyLength, [](LinkHarness& h) { h.comm.ReadParameters(); }},
    {"read numbers", 3, kRecordReplyLength, [](LinkHarness& h) { h.comm.ReadNumbers(); }},
    // "W" "P" has no answer; the first parameter byte goes on the next tick.
    {"write parameters", 3, kAnswerLength, [](LinkHarness& h) { h.comm.WriteParameters(); }},
    {"write numbers", 3 + kRecordReplyLength, kAnswerLength,
     [](LinkHarness& h) { h.comm.WriteNumbers(); }},
};

// Runs an exchange until it is over and the poll has had its say, noting when its first
// request was complete on the line and when the first message box opened.
struct Timeline {
    qint64 requestMs = -1;
    qint64 messageMs = -1;
};

Timeline RunExchange(LinkHarness& h, const ExchangeCase& c, const std::function<void()>& tick) {
    Timeline t;
    h.phone->ClearLineRecord();
    h.host.messages.clear();
    h.host.onMessage = [&] {
        if (t.messageMs < 0) t.messageMs = h.clock.NowMs();
    };
    const auto noteRequest = [&] {
        if (t.requestMs < 0 && h.phone->BytesFromHost() >= c.requestBytes)
            t.requestMs = h.clock.NowMs();
    };
    h.loop.afterTick = [&] {
        noteRequest();
        if (tick) tick();
    };
    c.start(h);
    noteRequest();
    // The status exchange has no bracket: it is over once the poll stops waiting.
    h.loop.RunUntil(
        [&] { return t.requestMs >= 0 && !h.comm.TransferActive() && !h.comm.State().Waiting(); },
        30000);
    h.loop.afterTick = nullptr;
    h.host.onMessage = nullptr;
    return t;
}

} // namespace

// The door phone answers the first request late: at 3.1 s the answer is taken; at 3.3 s
// the wait has ended 3.2 s after the request. The poll then says so; a transfer lets the
// line fall quiet and asks once more, and takes the second answer.
TEST(LinkTiming, AnswerLateByTheSilenceLimit) {
    struct Late {
        double answerMs;
        bool taken;
    };
    for (const Late late : {Late{3100, true}, Late{3300, false}}) {
        for (const ExchangeCase& c : kExchanges) {
            SCOPED_TRACE(std::string(c.name) + " answered after " +
                         std::to_string(int(late.answerMs)) + " ms");
            LinkHarness h;
            ApplyBuiltInDefaults(h.model);
            if (c.requestBytes > 1) h.loop.RunFor(2500); // after the first status exchange
            h.phone->timing().answerMs = late.answerMs;
            // Only the first answer is late, so that a whole transfer stays short.
            const Timeline t = RunExchange(h, c, [&] {
                if (h.phone->BytesToHost() > 0) h.phone->timing().answerMs = 1;
            });
            ASSERT_GE(t.requestMs, 0);
            const bool poll = c.requestBytes == 1;
            if (late.taken || !poll) {
                EXPECT_TRUE(h.host.messages.isEmpty()) << h.host.messages.join("|").toStdString();
                EXPECT_FALSE(h.comm.DoorPhoneSilent());
                // The request went out again only after its answer was given up.
                const QByteArray line = h.phone->ReceivedFromHost();
                // "R" "P", "W" "P", or a record's request with its number.
                const int head = line.size() > 1 && line[1] == 'T' ? 3 : 2;
                const int requests = line.count(line.left(head));
                EXPECT_EQ(requests >= 2, !late.taken);
            } else {
                EXPECT_EQ(h.host.messages, QStringList{kTimeout});
                EXPECT_GT(t.messageMs - t.requestMs, kReplyTimeoutMs);
                EXPECT_LE(t.messageMs - t.requestMs, kReplyTimeoutMs + 5);
            }
            EXPECT_TRUE(h.WindowEnabled());
        }
    }
}

// A line that keeps delivering bytes (3 every 30 ms) from a door phone that says nothing
// of its own: the wait ends when the answer's line time and 3.2 s have passed (a read
// sooner, once more bytes came than its answer has), and since the line never falls quiet
// for a second try, the transfer ends a limited time after that.
TEST(LinkTiming, NoisyLineEndsAtTheDeadline) {
    for (const ExchangeCase& c : kExchanges) {
        // Noise in threes makes a 24-byte record out of eight pieces: a number read takes
        // it for an answer, as it takes anything of the right length.
        if (c.answerBytes == kRecordReplyLength) continue;
        SCOPED_TRACE(c.name);
        LinkHarness h;
        ApplyBuiltInDefaults(h.model);
        if (c.requestBytes > 1) h.loop.RunFor(2500);
        h.phone->faults().silent = true;
        qint64 nextNoise = h.clock.NowMs();
        const Timeline t = RunExchange(h, c, [&] {
            if (h.clock.NowMs() < nextNoise) return;
            h.phone->SendToHost("x\x01\xFF");
            nextNoise = h.clock.NowMs() + 30;
        });
        ASSERT_GE(t.requestMs, 0);
        EXPECT_EQ(h.host.messages, QStringList{kTimeout});
        const qint64 deadline = LineTimeMs(c.answerBytes) + kReplyTimeoutMs;
        const qint64 took = t.messageMs - t.requestMs;
        if (c.requestBytes == 1) { // the poll: no second try
            EXPECT_GT(took, deadline);
            EXPECT_LE(took, deadline + 5);
        } else {
            EXPECT_GT(took, kResyncLimitMs);
            EXPECT_LE(took, deadline + kResyncLimitMs + 5);
        }
        EXPECT_TRUE(h.WindowEnabled());
    }
}

// A reply whose bytes keep coming is not cut by the silence limit: a parameter block in
// four pieces, 1 s apart, is taken within its deadline, and the same block with 1.2 s
// between the pieces is not.
TEST(LinkTiming, SlowReplyIsHeldToItsDeadline) {
    struct Case {
        double gapMs;
        bool taken;
    };
    for (const Case c : {Case{1000, true}, Case{1200, false}}) {
        SCOPED_TRACE(c.gapMs);
        LinkHarness h;
        h.loop.RunFor(2500);
        h.phone->faults().splitBytes = 64;
        h.phone->faults().splitGapMs = c.gapMs;
        ASSERT_TRUE(h.Run([&] { h.comm.ReadParameters(); }));
        EXPECT_EQ(h.host.messages, c.taken ? QStringList{} : QStringList{kTimeout});
    }
}

// A door phone that stops answering the poll: the box once, then the status line, with
// the poll asking on; an answer clears it, and a later silence shows the box once more.
TEST(LinkTiming, PollFailureIsShownOncePerSilence) {
    LinkHarness h;
    const auto polls = [&] { return h.phone->ReceivedFromHost().count('V'); };
    struct Step {
        const char* name;
        bool silent;
        qint64 runMs;
        int messages; // boxes shown so far
    };
    const Step steps[] = {
        {"answering", false, 5000, 0},      {"first silence", true, 6000, 1},
        {"still silent", true, 30000, 1},   {"answers again", false, 6000, 1},
        {"a later silence", true, 6000, 2}, {"and on", true, 20000, 2},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        h.phone->faults().silent = s.silent;
        const int before = polls();
        h.loop.RunFor(s.runMs);
        EXPECT_EQ(h.host.messages.size(), s.messages) << h.host.messages.join("|").toStdString();
        for (const QString& m : h.host.messages) EXPECT_EQ(m, kTimeout);
        // The silence has its own place in the status line; the file's name stays.
        EXPECT_EQ(h.host.shownSilent, s.silent);
        EXPECT_EQ(h.comm.DoorPhoneSilent(), s.silent);
        // The poll goes on: one request per answered second, one per time-out when silent.
        EXPECT_GE(polls() - before, s.silent ? int(s.runMs / 5000) : 2);
        EXPECT_TRUE(h.host.commandsEnabled);
    }
}

// What the user starts says it failed every time, also while the poll keeps quiet; and
// after the user was told, the poll does not tell again.
TEST(LinkTiming, UserTransfersShowEveryFailure) {
    LinkHarness h;
    ApplyBuiltInDefaults(h.model);
    h.phone->faults().silent = true;
    h.loop.RunFor(6000);
    ASSERT_EQ(h.host.messages, QStringList{kTimeout}); // the poll's one box
    for (const ExchangeCase& c : kExchanges) {
        if (c.requestBytes == 1) continue; // the poll itself
        for (int round = 1; round <= 2; ++round) {
            SCOPED_TRACE(std::string(c.name) + " #" + std::to_string(round));
            ASSERT_TRUE(h.Run([&] { c.start(h); }));
            EXPECT_EQ(h.host.messages, QStringList{kTimeout});
            EXPECT_TRUE(h.WindowEnabled());
            h.host.messages.clear();
            h.loop.RunFor(8000); // the poll asks again, silently
            EXPECT_TRUE(h.host.messages.isEmpty());
        }
    }
}

// Closing: the poll stops, and a status wait that was under way shows nothing.
TEST(LinkTiming, NothingShowsOnceTheWindowCloses) {
    LinkHarness h;
    h.phone->faults().silent = true;
    h.loop.RunFor(2100); // the first status request is waiting
    ASSERT_TRUE(h.comm.State().Waiting());
    h.comm.PrepareForClose();
    h.loop.RunFor(20000);
    EXPECT_TRUE(h.host.messages.isEmpty());
    EXPECT_FALSE(h.comm.TimerRunning(EngineTimer::Poll));
    EXPECT_FALSE(h.comm.TimerRunning(EngineTimer::Transfer));
}

// A status request left waiting when another window stopped the timers does not block
// the poll afterwards: the next tick asks again, and the answer is taken.
TEST(LinkTiming, PollAsksAgainAfterTheTimersWerePaused) {
    LinkHarness h;
    h.phone->timing().answerMs = 500;
    h.loop.RunFor(2100); // the first request is waiting
    ASSERT_TRUE(h.comm.State().Waiting());
    h.comm.StopTimers(); // a label window opens ...
    h.clock.Advance(10000);
    h.phone->timing().answerMs = 1;
    h.comm.StartPollTimer(); // ... and closes
    h.loop.RunFor(1100);
    EXPECT_EQ(h.phone->ReceivedFromHost().count('V'), 2);
    EXPECT_FALSE(h.comm.State().Waiting());
    EXPECT_TRUE(h.host.messages.isEmpty());
}
