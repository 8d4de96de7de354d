// The button number memory: record mapping, the two codecs and the dialling key filter.
#include "FieldRules.h"
#include "NumberMemory.h"
#include "SettingsModel.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(ModelNumbers, RecordsMapToTheirFields) {
    struct Case {
        int record;
        const char* field;
    } cases[] = {
        {1, "Edit92"},    {10, "Edit101"},  {11, "Edit112"},  {91, "Edit272"},  {99, "Edit280"},
        {101, "Edit102"}, {110, "Edit111"}, {111, "Edit122"}, {191, "Edit282"}, {199, "Edit290"},
        {100, ""},        {0, ""},          {200, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberFieldForRecord(c.record), c.field) << c.record;
        if (*c.field) { EXPECT_EQ(RecordForNumberField(c.field), c.record) << c.field; }
    }
    EXPECT_EQ(RecordForNumberField("Edit281"), 0); // a code-relay field
    EXPECT_EQ(RecordForNumberField("Edit91"), 0);

    const auto order = NumberRecordOrder();
    ASSERT_EQ(order.size(), 198u);
    EXPECT_EQ(order[98], 99);
    EXPECT_EQ(order[99], 101);
    EXPECT_EQ(order[197], 199);
    // Every record has its own field and every number field one record.
    QSet<QString> fields;
    for (int r : order) fields.insert(NumberFieldForRecord(r));
    EXPECT_EQ(fields.size(), 198);
    EXPECT_FALSE(fields.contains(""));
}

TEST(ModelNumbers, DecodeRecord) {
    auto bytes = [](std::initializer_list<int> head) {
        QByteArray b(24, char(255));
        int k = 0;
        for (int v : head) b[k++] = char(v);
        return b;
    };
    struct Case {
        QByteArray reply;
        const char* expected;
    } cases[] = {
        {bytes({}), ""},
        {bytes({1, 10, 14, 11, 12, 13}), "10R*#P"},
        {bytes({0, 16, 5}), "D-5"},
        {bytes({3, 15, 4}), "34"},       // 15 is no character but does not end the number
        {bytes({3, 255, 4}), "34"},      // nor does 255
        {bytes({2, 100, 200, 7}), "27"}, // unused values give nothing
    };
    for (const Case& c : cases) {
        SettingsModel m;
        m.SetText("Edit102", "old");
        EXPECT_EQ(DecodeNumberRecord(101, c.reply, m), c.expected);
        EXPECT_EQ(m.Text("Edit102"), c.expected);
    }
    SettingsModel m;
    const SettingsModel before;
    EXPECT_EQ(DecodeNumberRecord(100, bytes({5}), m), "5");
    EXPECT_TRUE(m.SameValues(before)) << "record 100 has no field";
}

TEST(ModelNumbers, EncodeRecord) {
    struct Case {
        QString text;
        std::vector<int> head; // first bytes; the rest up to 24 must be 255
        int filled;            // bytes that are not "after the end"
    } cases[] = {
        {"", {}, 0},
        {"0123*#PRF", {10, 1, 2, 3, 11, 12, 13, 14, 14}, 9},
        {"D", {0}, 1},
        {"5-6", {5, 16, 6}, 3}, // "-" read from the door phone goes back as it came
        {"5a6", {5, 15, 6}, 3}, // outside the table: "no character"
        {QString(24, '9'), std::vector<int>(24, 9), 24},
        {QString(25, '9'), std::vector<int>(24, 9), 24},
    };
    for (const Case& c : cases) {
        SettingsModel m;
        m.SetText("Edit290", c.text);
        const QByteArray b = EncodeNumberRecord(199, m);
        ASSERT_EQ(b.size(), 24);
        for (int k = 0; k < 24; ++k) {
            const int expected = k < int(c.head.size()) ? c.head[k] : 255;
            EXPECT_EQ(quint8(b[k]), expected) << c.text.toStdString() << " @" << k;
        }
        EXPECT_EQ(b.count(char(255)), 24 - c.filled);
    }
    EXPECT_TRUE(EncodeNumberRecord(100, SettingsModel()).isEmpty());
}

TEST(ModelNumbers, FlashTypedAsFComesBackAsR) {
    SettingsModel m;
    m.SetText("Edit92", "0F12");
    DecodeNumberRecord(1, EncodeNumberRecord(1, m), m);
    EXPECT_EQ(m.Text("Edit92"), "0R12");
}

TEST(ModelNumbers, DiallingKeyFilter) {
    struct Case {
        QChar key;
        std::optional<QChar> out;
    } cases[] = {
        {'h', '*'},          {'H', '*'},
        {'k', '#'},          {'K', '#'},
        {'p', 'P'},          {'r', 'R'},
        {'f', 'F'},          {'5', '5'},
        {'*', '*'},          {'#', '#'},
        {'P', 'P'},          {'R', 'R'},
        {'F', 'F'},          {kBackspace, kBackspace},
        {'A', std::nullopt}, {' ', std::nullopt},
        {'-', std::nullopt}, {'D', std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilterKey("Edit150", c.key), c.out) << QString(c.key).toStdString();
}
