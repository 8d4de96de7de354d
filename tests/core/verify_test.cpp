// A write that did not take: the simulated door phone that keeps one byte wrong, and the
// compare after a write that finds it.
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "Ports.h"
#include "SettingsDiff.h"
#include "SettingsModel.h"
#include "SimDoorPhone.h"
#include "WriteVerify.h"

#include <gtest/gtest.h>

namespace {

void Send(SimDoorPhone& phone, VirtualClock& clock, const QByteArray& bytes) {
    for (char b : bytes) {
        phone.OnByteFromHost(uint8_t(b), clock.NowMs());
        clock.Advance(2);
    }
}

} // namespace

TEST(VerifyFault, SimulatedMemoryKeepsExactlyTheChosenByteWrongAndStillSaysZ) {
    const struct {
        int wrongByte;
        int wrongRecord;
        int record;      // the record written (1..199)
        int blockOffset; // offset of the wrong byte in the parameter block, -1 none
        bool recordWrong;
    } cases[] = {
        {0, 0, 5, -1, false}, {5, 0, 5, 4, false},     {255, 0, 5, 254, false},
        {0, 7, 7, -1, true},  {0, 150, 150, -1, true}, {0, 150, 149, -1, false},
    };
    for (const auto& c : cases) {
        VirtualClock clock;
        SimDoorPhone phone(clock);
        phone.faults().wrongParameterByte = c.wrongByte;
        phone.faults().wrongRecord = c.wrongRecord;
        QByteArray block(255, char(0x33));
        Send(phone, clock, "WP" + block);
        const QByteArray record(24, char(0x02));
        Send(phone, clock, "WT" + QByteArray(1, char(c.record)) + record);
        phone.Settle();
        clock.Advance(100);
        const QByteArray answers = phone.TakeBytesForHost(clock.NowMs());
        EXPECT_TRUE(answers.endsWith("ZZ")) << c.wrongByte << " " << c.wrongRecord;

        QByteArray stored = phone.Parameters().left(255);
        if (c.blockOffset >= 0) {
            EXPECT_EQ(quint8(stored[c.blockOffset]), 0x32) << c.wrongByte;
            stored[c.blockOffset] = char(0x33);
        }
        EXPECT_EQ(stored, block) << c.wrongByte;
        QByteArray expected = record;
        if (c.recordWrong) expected[0] = char(0x03);
        EXPECT_EQ(phone.Record(c.record), expected) << c.wrongRecord;
    }
}

TEST(VerifyFault, CompareCoversWhatWasWrittenOnly) {
    const LanguageTexts texts;
    SettingsModel model;
    model.SetText(FirstNumberField(3), "123");
    SentImage both;
    both.parameters = both.numbers = true;
    both.block = EncodeParameterBlock(model, DoorPhoneState{true, "12"}).bytes;
    both.memory = NumberMemoryBytes(model);
    RawRead same;
    same.block = both.block;
    for (int i = 0; i < kNumberRecordCount; ++i)
        same.records.insert(NumberRecordOrder()[i], both.memory.mid(i * 24, 24));
    ASSERT_TRUE(same.HasAllRecords());

    const struct {
        const char* what;
        bool parameters, numbers;
        int blockByte; // byte changed in the read-back block, 0 none
        int record;    // record changed in the read-back, 0 none; -1 one missing
        QStringList keys;
    } cases[] = {
        {"nothing differs", true, true, 0, 0, {}},
        {"own bytes only", true, true, 28, 0, {}},
        {"a setting", true, true, 1, 0, {"GroupBox1"}},
        {"a number", true, true, 0, 3, {"M3"}},
        {"both", true, true, 20, 103, {"CheckBox7", "M103"}},
        {"numbers not written", true, false, 0, 3, {}},
        {"parameters not written", false, true, 1, 0, {}},
        {"a record that never came", false, true, 0, -1, {"M199"}},
    };
    for (const auto& c : cases) {
        SentImage sent = both;
        sent.parameters = c.parameters;
        sent.numbers = c.numbers;
        RawRead back = same;
        if (c.blockByte) back.block[c.blockByte - 1] = char(back.block[c.blockByte - 1] ^ 1);
        if (c.record > 0) back.records[c.record][0] = char(back.records[c.record][0] ^ 1);
        if (c.record < 0) back.records.remove(199);
        QStringList keys;
        for (const DiffRow& r : VerifyWrite(sent, back, model, texts)) keys << r.key;
        EXPECT_EQ(keys, c.keys) << c.what;
    }
    EXPECT_EQ(VerifyMessage("Heading",
                            {{"P", "C", "1", "2", "k", {}}, {"", "Byte 26", "0", "9", "b", {}}}),
              "Heading\nP: C: 1 -> 2\nByte 26: 0 -> 9");
}
