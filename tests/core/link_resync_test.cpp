// Keeping step with the door phone on a busy machine, on the virtual clock: answers that
// reach the program together, the program standing still in the middle of a command, and
// a whole machine that stood still while a wait ran.

#include "link_harness.h"

#include "Defaults.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"

#include <gtest/gtest.h>

namespace {

using namespace DoorPhoneProtocol;

const QString kErrorE = QStringLiteral("Error in communication  ...E");

// Settings that differ from the door phone's factory content in the block and in a few
// numbers, so that a write that does not take shows.
void CustomSettings(SettingsModel& model) {
    ApplyBuiltInDefaults(model);
    model.SetText(QStringLiteral("Edit1"), QStringLiteral("5678"));
    for (int b = 1; b <= 99; b += 14) {
        model.SetText(FirstNumberField(b), QString::number(b * 1111));
        model.SetText(SecondNumberField(b), QStringLiteral("*#") + QString::number(b));
    }
}

bool NumbersStored(SimDoorPhone& phone, const SettingsModel& model) {
    phone.Settle();
    for (int r : NumberRecordOrder())
        if (phone.Record(r) != EncodeNumberRecord(r, model)) return false;
    return true;
}

} // namespace

// What the door phone says after one parameter byte reaches the program in one read: each
// answer is taken in turn, a repeated "D" changes nothing, and an "E" is never lost.
TEST(LinkResync, AnswersThatArriveTogether) {
    struct Case {
        const char* name;
        int afterByte;      // the program reads late after sending this byte of the block
        const char* answer; // "" = the door phone's own answers
        ExchangeEnd end;
    };
    const Case cases[] = {
        {"D and Z of byte 255", 255, "", ExchangeEnd::Done},
        {"DD after byte 10", 10, "DD", ExchangeEnd::Done},
        {"noise after the D", 10, "Dx", ExchangeEnd::Done},
        {"noise before the D", 10, "xD", ExchangeEnd::Done},
        {"DE after byte 10", 10, "DE", ExchangeEnd::Refused},
        {"ED after byte 10", 10, "ED", ExchangeEnd::Refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        CustomSettings(h.model);
        const QByteArray before = h.phone->Parameters();
        if (*c.answer) {
            h.phone->faults().answerAtParameterByte = c.afterByte;
            h.phone->faults().parameterAnswer = c.answer;
        }
        // The program stands still for 50 ms right after the byte, so that everything the
        // door phone says to it (including the "Z" 20 ms after the last "D") waits together.
        h.clock.StallWhen([&] { return h.phone->BytesFromHost() == 2 + c.afterByte; }, 50);

        ASSERT_TRUE(h.Run([&] { h.comm.WriteParameters(); }));
        EXPECT_EQ(h.LastEnd(), c.end);
        h.phone->Settle();
        if (c.end == ExchangeEnd::Done) {
            EXPECT_TRUE(h.host.messages.isEmpty()) << h.host.messages.join("|").toStdString();
            const QByteArray sent = h.phone->ReceivedFromHost().mid(2);
            EXPECT_EQ(h.phone->Parameters().left(255), sent);
            EXPECT_EQ(h.phone->ReceivedFromHost().size(), 2 + 255) << "every byte once";
        } else {
            EXPECT_EQ(h.host.messages, QStringList{kErrorE});
            EXPECT_EQ(h.phone->Parameters(), before);
        }
        EXPECT_TRUE(h.WindowEnabled());
    }
}

// The program stands still in the middle of an exchange for a while (a loaded machine, a
// stopped process). Whatever the door phone made of it, every exchange ends with the door
// phone holding what was sent, or with the answer that was asked for.
TEST(LinkResync, ProgramStandsStillMidExchange) {
    struct Exchange {
        const char* name;
        std::function<bool(LinkHarness&)> start;
        // Bytes of the exchange on the line before the stall strikes, by position.
        std::vector<int> stallAfter;
        std::function<bool(LinkHarness&)> check;
    };
    const Exchange exchanges[] = {
        {"write parameters",
         [](LinkHarness& h) { return h.comm.WriteParameters(); },
         {1, 2, 3, 7, 12, 150, 257},
         [](LinkHarness& h) {
             // The block the same write leaves without a stall.
             LinkHarness calm;
             CustomSettings(calm.model);
             calm.loop.RunFor(2100);
             calm.Run([&] { calm.comm.WriteParameters(); });
             calm.phone->Settle();
             h.phone->Settle();
             return h.phone->Parameters() == calm.phone->Parameters() &&
                    calm.phone->ParameterWrites() == 1;
         }},
        {"write numbers",
         [](LinkHarness& h) { return h.comm.WriteNumbers(); },
         {1, 5, 10, 27, 27 + 13, 27 * 100 + 4},
         [](LinkHarness& h) { return NumbersStored(*h.phone, h.model); }},
        {"read parameters",
         [](LinkHarness& h) { return h.comm.ReadParameters(); },
         {1, 2},
         nullptr},
        {"read numbers",
         [](LinkHarness& h) { return h.comm.ReadNumbers(); },
         {1, 2, 3, 3 * 50 + 2},
         nullptr},
        {"set clock",
         [](LinkHarness& h) { return h.comm.SetClockFromPc(); },
         {1, 5, 10},
         [](LinkHarness& h) {
             h.phone->Settle();
             return h.phone->ClockSets() == 1;
         }},
        {"day/night",
         [](LinkHarness& h) { return h.comm.SwitchDayNight(); },
         {1},
         [](LinkHarness& h) {
             h.phone->Settle();
             return !h.phone->dayMode; // switched once from day to night
         }},
    };
    for (const Exchange& e : exchanges) {
        for (const int after : e.stallAfter) {
            for (const qint64 stallMs : {300, 600, 1000, 3000}) {
                SCOPED_TRACE(std::string(e.name) + ", " + std::to_string(stallMs) +
                             " ms after byte " + std::to_string(after));
                LinkHarness h;
                CustomSettings(h.model);
                // The reads find the settings on the door phone.
                if (!e.check) {
                    SettingsModel written;
                    CustomSettings(written);
                    h.phone->SetParameters(EncodeParameterBlock(written, DoorPhoneState{}).bytes);
                    for (int r : NumberRecordOrder())
                        h.phone->SetRecord(r, EncodeNumberRecord(r, written));
                    ApplyBuiltInDefaults(h.model);
                }
                h.loop.RunFor(2100); // the first status: the door phone's day mode is known
                h.clock.StallWhen([&] { return h.phone->BytesFromHost() == after; }, stallMs);
                ASSERT_TRUE(h.Run([&] { ASSERT_TRUE(e.start(h)); }));
                EXPECT_EQ(h.LastEnd(), ExchangeEnd::Done);
                EXPECT_TRUE(h.host.messages.isEmpty()) << h.host.messages.join("|").toStdString();
                if (!e.check) {
                    SettingsModel written;
                    CustomSettings(written);
                    const QString field = e.name == std::string("read parameters")
                                              ? QStringLiteral("Edit1")
                                              : FirstNumberField(15);
                    EXPECT_EQ(h.model.Text(field), written.Text(field));
                } else {
                    EXPECT_TRUE(e.check(h));
                }
                EXPECT_TRUE(h.WindowEnabled());
            }
        }
    }
}

// The whole machine stood still just after a request went out, the door phone's side too:
// its answer comes after the program's silence limit has passed. The program was not
// running for most of that wait, so the line gets a fresh wait instead of a failure.
TEST(LinkResync, WaitThatRanOutWhileTheProgramStoodStill) {
    for (const qint64 stallMs : {3500, 5400, 9000}) {
        SCOPED_TRACE(stallMs);
        LinkHarness h;
        h.loop.RunFor(2100);
        h.phone->ClearLineRecord();
        h.phone->timing().answerMs = double(stallMs + 100); // answers once the machine runs
        h.clock.StallWhen([&] { return h.phone->BytesFromHost() == 2; }, stallMs);
        h.loop.afterTick = [&] {
            if (h.phone->BytesToHost() > 0) h.phone->timing().answerMs = 1;
        };
        ASSERT_TRUE(h.Run([&] { h.comm.ReadParameters(); }));
        EXPECT_EQ(h.LastEnd(), ExchangeEnd::Done);
        EXPECT_TRUE(h.host.messages.isEmpty());
        EXPECT_EQ(h.phone->ReceivedFromHost(), QByteArray("RP")) << "asked once";
        h.loop.afterTick = nullptr;
    }
}

// Every exchange tells its listeners how it ended, once, after its bracket has closed;
// "all" tells them of both halves, the first as going on.
TEST(LinkResync, EveryExchangeReportsItsEnd) {
    struct Case {
        const char* name;
        std::function<bool(LinkHarness&)> start;
        std::function<void(SimDoorPhone&)> fault;
        std::vector<std::pair<Exchange, ExchangeEnd>> outcomes;
    };
    const auto none = [](SimDoorPhone&) {};
    const Case cases[] = {
        {"read all",
         [](LinkHarness& h) { return h.comm.ReadAll(); },
         none,
         {{Exchange::ReadParameters, ExchangeEnd::Done},
          {Exchange::ReadNumbers, ExchangeEnd::Done}}},
        {"write all",
         [](LinkHarness& h) { return h.comm.WriteAll(); },
         none,
         {{Exchange::WriteParameters, ExchangeEnd::Done},
          {Exchange::WriteNumbers, ExchangeEnd::Done}}},
        {"write all, silent",
         [](LinkHarness& h) { return h.comm.WriteAll(); },
         [](SimDoorPhone& p) { p.faults().silent = true; },
         {{Exchange::WriteParameters, ExchangeEnd::Failed}}},
        {"write numbers, E",
         [](LinkHarness& h) { return h.comm.WriteNumbers(); },
         [](SimDoorPhone& p) { p.faults().errorAtRecord = 3; },
         {{Exchange::WriteNumbers, ExchangeEnd::Refused}}},
        {"set clock",
         [](LinkHarness& h) { return h.comm.SetClockFromPc(); },
         none,
         {{Exchange::SetClock, ExchangeEnd::Done}}},
        {"day/night",
         [](LinkHarness& h) { return h.comm.SwitchDayNight(); },
         none,
         {{Exchange::DayNight, ExchangeEnd::Done}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        ApplyBuiltInDefaults(h.model);
        c.fault(*h.phone);
        bool bracketClosed = true;
        h.comm.AddExchangeListener([&](const ExchangeOutcome&) {
            bracketClosed = bracketClosed && !h.comm.TransferActive();
        });
        ASSERT_TRUE(h.Run([&] { ASSERT_TRUE(c.start(h)); }));
        std::vector<std::pair<Exchange, ExchangeEnd>> got;
        for (const ExchangeOutcome& o : h.outcomes)
            if (o.exchange != Exchange::Status) got.emplace_back(o.exchange, o.end);
        EXPECT_EQ(got, c.outcomes);
        ASSERT_FALSE(h.outcomes.empty());
        EXPECT_FALSE(h.outcomes.back().continues);
        EXPECT_TRUE(bracketClosed);
        EXPECT_FALSE(h.comm.State().Waiting()) << "nothing left waiting";
    }
}
