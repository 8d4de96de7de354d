// Whole transfers against the simulated door phone on the virtual clock.

#include "link_harness.h"

#include "Defaults.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"

#include <gtest/gtest.h>

namespace {

const QString kTimeout = QStringLiteral("Communication error - Norva DoorPhone is not connect");
const QString kErrorE = QStringLiteral("Error in communication  ...E");
const QString kNumbersError = QStringLiteral("Error in communication of phone numbers");

// Record numbers of the "R" "T" n / "W" "T" n commands the door phone received, in order.
QList<int> Requests(const QByteArray& line, char verb) {
    QList<int> out;
    for (int i = 0; i + 2 < line.size(); ++i) {
        if (line[i] == verb && line[i + 1] == 'T') {
            out << uint8_t(line[i + 2]);
            i += verb == 'W' ? 2 + 24 : 2;
        }
    }
    return out;
}

QList<int> TransferOrder() {
    QList<int> out;
    for (int r : NumberRecordOrder()) out << r;
    return out;
}

// A block that differs from the door phone's factory block in a few fields.
QByteArray CustomBlock() {
    SettingsModel m;
    ApplyBuiltInDefaults(m);
    m.SetText(QStringLiteral("Edit1"), QStringLiteral("5678"));
    m.SetText(QStringLiteral("Edit91"), QStringLiteral("12"));
    const EncodeResult r = EncodeParameterBlock(m, DoorPhoneState{true, QString()});
    EXPECT_TRUE(r.ok);
    return r.bytes;
}

// Progress between the start of a parameter read and the decoding (250): +50 per tick,
// held at the bar's maximum.
void ExpectFiftyPerTick(const std::vector<int>& progress) {
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 1);
    size_t i = 1;
    int expected = 1;
    for (; i < progress.size() && progress[i] != 250; ++i) {
        expected = std::min(expected + 50, 255);
        EXPECT_EQ(progress[i], expected) << "tick " << i;
    }
    EXPECT_GT(i, 1u) << "the block came whole at the first tick";
    ASSERT_LT(i + 1, progress.size());
    EXPECT_EQ(progress[i + 1], 255);
}

} // namespace

TEST(LinkTransfer, ReadParametersTakesTheBlockHoweverItArrives) {
    struct Case {
        const char* name;
        int packet;
        int split;
        double gapMs;
    };
    const Case cases[] = {
        {"usb packets", 62, 0, 0},
        {"byte by byte", 1, 0, 0},
        {"four pieces with pauses", 62, 64, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        const QByteArray block = CustomBlock();
        h.phone->SetParameters(block);
        h.phone->timing().packetBytes = c.packet;
        h.phone->faults().splitBytes = c.split;
        h.phone->faults().splitGapMs = c.gapMs;

        ASSERT_TRUE(h.Run([&] { h.comm.ReadParameters(); }));
        EXPECT_TRUE(h.host.messages.isEmpty()) << h.host.messages.join("|").toStdString();
        EXPECT_EQ(h.phone->ReceivedFromHost(), QByteArray("RP"));
        const EncodeResult again = EncodeParameterBlock(h.model, DoorPhoneState{true, QString()});
        EXPECT_EQ(again.bytes, block);
        ExpectFiftyPerTick(h.host.progress);
        EXPECT_TRUE(h.WindowEnabled());
    }
}

// A reply that is not a block: asked for once more after a quiet line, then given up. A
// garbled reply that comes right the second time is taken; a cable that goes is let go.
TEST(LinkTransfer, ParameterReplyOfWrongLengthOrLostCable) {
    struct Case {
        const char* name;
        std::function<void(SimDoorPhone&)> fault;
        bool taken;
        bool cableLost;
    };
    const Case cases[] = {
        {"257 bytes", [](SimDoorPhone& p) { p.faults().parameterLength = 257; }, false, false},
        {"255 bytes", [](SimDoorPhone& p) { p.faults().parameterLength = 255; }, false, false},
        {"silent", [](SimDoorPhone& p) { p.faults().silent = true; }, false, false},
        {"unplugged after 100 bytes",
         [](SimDoorPhone& p) { p.faults().unplugAfterBytesToHost = 100; }, false, true},
        {"garbage ahead of the block, once",
         [](SimDoorPhone& p) { p.faults().garbageBeforeReply = "xy"; }, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        const QByteArray block = CustomBlock();
        h.phone->SetParameters(block);
        c.fault(*h.phone);
        SettingsModel before;
        before.CopyFrom(h.model);

        ASSERT_TRUE(h.Run([&] { h.comm.ReadParameters(); }));
        if (c.taken) {
            EXPECT_TRUE(h.host.messages.isEmpty()) << h.host.messages.join("|").toStdString();
            EXPECT_EQ(h.phone->ReceivedFromHost(), QByteArray("RPRP")) << "asked once more";
            EXPECT_EQ(EncodeParameterBlock(h.model, DoorPhoneState{true, QString()}).bytes, block);
        } else {
            EXPECT_EQ(h.host.messages, QStringList{kTimeout});
            EXPECT_TRUE(h.model.SameValues(before)) << "a refused reply changed the settings";
        }
        EXPECT_EQ(h.link.Lost(), c.cableLost);
        // The window is usable again; the device commands follow the cable.
        EXPECT_EQ(h.host.commandsEnabled, !c.cableLost);
        EXPECT_TRUE(h.host.selectorEnabled && !h.host.progressVisible && !h.comm.TransferActive());
    }
}

TEST(LinkTransfer, ReadPhoneNumbersRequestsEveryRecordOnceInOrder) {
    LinkHarness h;
    const struct {
        int record;
        const char* text;
        const char* field;
    } numbers[] = {{1, "123", "Edit92"},
                   {99, "*9#", "Edit280"},
                   {101, "P5R", "Edit102"},
                   {199, "0987654321", "Edit290"}};
    for (const auto& n : numbers)
        h.phone->SetRecord(n.record, EncodeDialNumber(QString::fromLatin1(n.text)));
    h.model.SetText(QStringLiteral("Edit93"), QStringLiteral("555")); // empty in the device

    ASSERT_TRUE(h.Run([&] { h.comm.ReadNumbers(); }));
    EXPECT_TRUE(h.host.messages.isEmpty());
    EXPECT_EQ(Requests(h.phone->ReceivedFromHost(), 'R'), TransferOrder());
    for (const auto& n : numbers)
        EXPECT_EQ(h.model.Text(QString::fromLatin1(n.field)), QString::fromLatin1(n.text));
    EXPECT_EQ(h.model.Text(QStringLiteral("Edit93")), QString());
    EXPECT_EQ(h.host.progress[h.host.progress.size() - 2], 255); // 199 x 4 / 3, held at max
    EXPECT_TRUE(h.WindowEnabled());
}

TEST(LinkTransfer, WritePhoneNumbersSendsTheFirstRecordAtOnceAndWaitsForTheLastZ) {
    LinkHarness h;
    for (int b = 1; b <= 99; b += 7) {
        h.model.SetText(FirstNumberField(b), QString::number(b * 1111));
        h.model.SetText(SecondNumberField(b), QStringLiteral("*#P") + QString::number(b));
    }
    h.phone->ClearLineRecord();
    h.comm.WriteNumbers();
    EXPECT_EQ(h.phone->ReceivedFromHost(), QByteArray("WT\x01") + EncodeNumberRecord(1, h.model));
    ASSERT_TRUE(h.RunToIdle());

    EXPECT_TRUE(h.host.messages.isEmpty());
    EXPECT_EQ(Requests(h.phone->ReceivedFromHost(), 'W'), TransferOrder());
    h.phone->Settle();
    for (int r : NumberRecordOrder()) EXPECT_EQ(h.phone->Record(r), EncodeNumberRecord(r, h.model));
    EXPECT_EQ(h.phone->RecordWrites(), 198);
    // The write ended with the "Z" of record 199, which nothing else is left to take.
    EXPECT_EQ(h.link.ReceiveDrain(), QString());
    EXPECT_TRUE(h.WindowEnabled());
}

TEST(LinkTransfer, WriteParametersSendsBytesOneToTwoFiftyFive) {
    for (const bool dBeforeZ : {true, false}) {
        SCOPED_TRACE(dBeforeZ ? "D then Z after byte 255" : "Z alone after byte 255");
        LinkHarness h;
        ApplyBuiltInDefaults(h.model);
        h.model.SetText(QStringLiteral("Edit1"), QStringLiteral("9876"));
        h.phone->timing().dBeforeZ = dBeforeZ;
        const QByteArray before = h.phone->Parameters();
        const EncodeResult expected = EncodeParameterBlock(h.model, DoorPhoneState{});

        ASSERT_TRUE(h.Run([&] { h.comm.WriteParameters(); }));
        EXPECT_TRUE(h.host.messages.isEmpty());
        EXPECT_EQ(h.phone->ReceivedFromHost(), QByteArray("WP") + expected.bytes.left(255));
        EXPECT_EQ(h.phone->Parameters().left(255), expected.bytes.left(255));
        EXPECT_EQ(h.phone->Parameters()[255], before[255]); // byte 256 is never written

        // The trail lists every byte sent; a "D" after byte 255 adds the 256th value.
        QString trail;
        for (int i = 0; i < (dBeforeZ ? 256 : 255); ++i)
            trail += QLatin1Char('-') + QString::number(uint8_t(expected.bytes[i]));
        EXPECT_EQ(h.comm.State().byteTrail, trail);
        EXPECT_EQ(h.comm.State().retryCount, 0);
        EXPECT_TRUE(h.WindowEnabled());
    }
}

TEST(LinkTransfer, WriteParametersFailures) {
    struct Case {
        const char* name;
        std::function<void(LinkHarness&)> setup;
        QString message;
    };
    const Case cases[] = {
        {"E at byte 10", [](LinkHarness& h) { h.phone->faults().errorAtParameterByte = 10; },
         kErrorE},
        {"E at byte 255", [](LinkHarness& h) { h.phone->faults().errorAtParameterByte = 255; },
         kErrorE},
        {"silent", [](LinkHarness& h) { h.phone->faults().silent = true; }, kTimeout},
        {"unplugged at byte 40",
         [](LinkHarness& h) { h.phone->faults().unplugAfterBytesFromHost = 40; }, kTimeout},
        {"a record refused after the block",
         [](LinkHarness& h) { h.phone->faults().errorAtParameterByte = 255; }, kErrorE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        ApplyBuiltInDefaults(h.model);
        h.model.SetText(QStringLiteral("Edit1"), QStringLiteral("9876"));
        const QByteArray before = h.phone->Parameters();
        c.setup(h);

        ASSERT_TRUE(h.Run([&] { h.comm.WriteParameters(); }));
        EXPECT_EQ(h.host.messages, QStringList{c.message});
        h.phone->Settle();
        EXPECT_EQ(h.phone->Parameters(), before) << "a broken write stored a block";
        EXPECT_EQ(h.host.commandsEnabled, h.link.Connected());
        EXPECT_TRUE(h.host.selectorEnabled && !h.host.progressVisible && !h.comm.TransferActive());
    }
}

TEST(LinkTransfer, ParameterBlockThatCannotBeBuiltSendsNothing) {
    LinkHarness h;
    ApplyBuiltInDefaults(h.model);
    h.model.SetText(QStringLiteral("Edit91"), QString());

    ASSERT_TRUE(h.Run([&] { h.comm.WriteAll(); }));
    ASSERT_EQ(h.host.messages.size(), 1);
    EXPECT_EQ(h.host.messages[0], EncodeParameterBlock(h.model, DoorPhoneState{}).errorMessage);
    EXPECT_TRUE(h.phone->ReceivedFromHost().isEmpty());
    EXPECT_FALSE(h.comm.State().continuation == AllContinuation::WriteNumbers);
    EXPECT_TRUE(h.WindowEnabled());
}

TEST(LinkTransfer, AllCommandsAndTheirContinuations) {
    struct Case {
        const char* name;
        bool write;
        std::function<void(SimDoorPhone&)> fault;
        QStringList messages;
        int numberRequests;       // records read or written after the parameter half
        bool commandLine = false; // the command line stops "all" after a refusal
    };
    const auto unmarked = [](SimDoorPhone& p) {
        QByteArray block = p.Parameters();
        block[kValidityMarkerByte - 1] = 0;
        p.SetParameters(block);
    };
    const QString kRefusedBlock = "Error in data reading - EEPROM\r\n      - default data -";
    const Case cases[] = {
        {"read all", false, [](SimDoorPhone&) {}, {}, 198},
        {"read all, parameter read times out",
         false,
         [](SimDoorPhone& p) { p.faults().parameterLength = 257; },
         {kTimeout},
         0},
        {"write all", true, [](SimDoorPhone&) {}, {}, 198},
        {"write all, E in the parameter half",
         true,
         [](SimDoorPhone& p) { p.faults().errorAtParameterByte = 3; },
         {kErrorE},
         198},
        {"write all, parameter write times out",
         true,
         [](SimDoorPhone& p) { p.faults().silent = true; },
         {kTimeout},
         0},
        {"write all, E in the parameter half, command line",
         true,
         [](SimDoorPhone& p) { p.faults().errorAtParameterByte = 3; },
         {kErrorE},
         0,
         true},
        {"read all, refused block", false, unmarked, {kRefusedBlock}, 198},
        {"read all, refused block, command line", false, unmarked, {kRefusedBlock}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        h.comm.SetAllGoesOnAfterFailure(!c.commandLine);
        ApplyBuiltInDefaults(h.model);
        h.model.SetText(FirstNumberField(5), QStringLiteral("12345"));
        c.fault(*h.phone);

        ASSERT_TRUE(h.Run([&] {
            if (c.write)
                h.comm.WriteAll();
            else
                h.comm.ReadAll();
        }));
        EXPECT_EQ(h.host.messages, c.messages);
        const QList<int> numbers = Requests(h.phone->ReceivedFromHost(), c.write ? 'W' : 'R');
        EXPECT_EQ(numbers.size(), c.numberRequests);
        if (c.write && c.numberRequests) {
            h.phone->Settle();
            EXPECT_EQ(h.phone->Record(5), EncodeNumberRecord(5, h.model));
        }
        EXPECT_TRUE(h.WindowEnabled());
    }
}

TEST(LinkTransfer, WriteAllDeclinedAtTheButtonCountQuestionWritesNothing) {
    LinkHarness h;
    ApplyBuiltInDefaults(h.model);
    h.model.SetText(QStringLiteral("Edit91"), QStringLiteral("4"));
    h.host.buttonCountVisible = true;
    h.host.answers = {false};

    h.phone->ClearLineRecord();
    h.comm.WriteAll();
    h.loop.RunFor(5000); // a few poll ticks

    ASSERT_EQ(h.host.questions.size(), 1);
    const QString question =
        QStringLiteral("Are you sure, that number of buttons on basic modul is OK");
    // 57 characters: half of it, 28.5, goes to the even 28; plus 7 blanks.
    const QString expected = question + QStringLiteral("\n\n") + QString(35, QChar(' ')) +
                             QStringLiteral("-->>>  4  <<<--");
    EXPECT_EQ(h.host.questions[0].toStdString(), expected.toStdString());
    EXPECT_EQ(h.host.questionCaptions[0], QStringLiteral("Atention!!!"));
    EXPECT_EQ(h.host.buttonCountFocus, 1);
    EXPECT_FALSE(h.phone->ReceivedFromHost().contains("WP"));
    EXPECT_FALSE(h.phone->ReceivedFromHost().contains("WT"));
    EXPECT_FALSE(h.comm.State().continuation == AllContinuation::WriteNumbers);
    EXPECT_TRUE(h.comm.TimerRunning(EngineTimer::Poll)) << "the poll stopped after a No";

    // Yes goes on with the write.
    h.host.answers = {true};
    ASSERT_TRUE(h.Run([&] { h.comm.WriteAll(); }));
    h.phone->Settle();
    EXPECT_EQ(h.phone->ParameterWrites(), 1);
    EXPECT_EQ(h.phone->RecordWrites(), 198);
}

TEST(LinkTransfer, ErrorAnswersToNumberRecords) {
    struct Case {
        const char* name;
        bool write;
        int record;
        const char* answer;
        int repeats;
        QStringList messages;
        int requestsOfRecord; // how often the record went out
    };
    const Case cases[] = {
        // The answer to a written record is taken a byte at a time: an "E" ends the
        // transfer at once, whatever follows it.
        {"write, E", true, 50, "E", 1, {kErrorE}, 1},
        {"write, EE", true, 50, "EE", 1, {kErrorE}, 1},
        {"write, E at record 199", true, 199, "E", 1, {kErrorE}, 1},
        // A read waits for 24 bytes: an error letter in their place runs into the
        // time-out, which asks for the same record again.
        {"read, E once", false, 50, "E", 1, {}, 2},
        {"read, E once at record 101", false, 101, "E", 1, {}, 2},
        {"read, E always", false, 50, "E", -1, {kNumbersError}, 69},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        h.phone->faults().errorAtRecord = c.record;
        h.phone->faults().errorText = c.answer;
        h.phone->faults().errorRepeats = c.repeats;

        ASSERT_TRUE(h.Run(
            [&] {
                if (c.write)
                    h.comm.WriteNumbers();
                else
                    h.comm.ReadNumbers();
            },
            600000));
        EXPECT_EQ(h.host.messages, c.messages);
        const QList<int> sent = Requests(h.phone->ReceivedFromHost(), c.write ? 'W' : 'R');
        EXPECT_EQ(sent.count(c.record), c.requestsOfRecord);
        EXPECT_FALSE(sent.contains(100)) << "there is no record 100";
        if (c.messages.isEmpty()) {
            EXPECT_EQ(sent.last(), 199);
            EXPECT_EQ(sent.size(), 199);
        }
        EXPECT_TRUE(h.WindowEnabled());
    }
}

TEST(LinkTransfer, TransferEndsWhenTheCableKindChangesUnderIt) {
    LinkHarness h;
    h.comm.ReadNumbers();
    h.loop.RunFor(300);
    h.link.SelectCableKind(true); // the model template picked the other cable
    ASSERT_TRUE(h.RunToIdle());
    EXPECT_EQ(h.host.messages, QStringList{kTimeout});
    EXPECT_FALSE(h.comm.TransferActive());
    EXPECT_TRUE(h.comm.TimerRunning(EngineTimer::Poll));
}

TEST(LinkTransfer, FailureWhileLoadingDefaultsStillEndsTheTransfer) {
    LinkHarness h;
    QByteArray bad = h.phone->Parameters();
    bad[31] = 0; // no validity marker: the defaults load
    h.phone->SetParameters(bad);
    h.host.onDefaults = [] { throw ConversionError(QStringLiteral("x1")); };

    ASSERT_TRUE(h.Run([&] { h.comm.ReadParameters(); }));
    EXPECT_EQ(h.host.defaultsLoaded, 1);
    ASSERT_FALSE(h.host.messages.isEmpty());
    EXPECT_EQ(h.host.messages.last(), ConversionError(QStringLiteral("x1")).text());
    EXPECT_TRUE(h.WindowEnabled());
}

TEST(LinkTransfer, CommandsDoNothingWithoutConnection) {
    LinkHarness h;
    h.link.SelectCableKind(true); // not connected until the Vant cable is opened
    h.link.CloseLink();
    h.phone->ClearLineRecord();
    h.comm.ReadAll();
    h.comm.WriteAll();
    h.comm.WriteNumbers();
    h.comm.SetClockFromPc();
    h.comm.SwitchDayNight();
    EXPECT_TRUE(h.phone->ReceivedFromHost().isEmpty());
    EXPECT_FALSE(h.comm.TransferActive());
    EXPECT_FALSE(h.comm.State().continuation == AllContinuation::ReadNumbers);
    EXPECT_FALSE(h.comm.State().continuation == AllContinuation::WriteNumbers);
    EXPECT_TRUE(h.comm.TimerRunning(EngineTimer::Poll));
}
