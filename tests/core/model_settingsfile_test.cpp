// The settings file: record layout, round trip, older files, reading by position, the
// value rules, all-or-nothing reading and atomic saving.
#include "CommLog.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "failing_disk.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QStringList kModels = {"Model A", "Model B", "Model C", "Model D", "Model E"};

// Every field away from its default, each text different.
void FillEverything(SettingsModel& m) {
    m.SetChoiceItems("ComboBox15", {"Off", "Type 1", "Type 2", "Silent call"});
    int i = 0;
    for (const FieldDef& f : FieldCatalogue()) {
        ++i;
        switch (f.kind) {
        case FieldKind::Text: m.SetText(f.name, QStringLiteral("%1#%2").arg(i).arg(f.name)); break;
        case FieldKind::Flag: m.SetFlag(f.name, !f.defaultFlag); break;
        case FieldKind::Choice: {
            const int count = m.ChoiceCount(f.name);
            m.SetChoice(f.name, (f.defaultChoice + 1 + i) % count);
            break;
        }
        }
    }
    // Relay 2 away from mode 5 so that the interlock leaves relay 1 as set.
    m.SelectRadioButton("RadioButton42");
    m.SelectRadioButton("RadioButton36");
}

SettingsModel* NewModel() {
    auto* m = new SettingsModel;
    m->SetChoiceItems("ComboBox16", kModels);
    return m;
}

QByteArray WithValue(QByteArray file, int n, const QByteArray& value) {
    const QByteArray r = EncodeSettingsRecord("Xxxx: ", QString::fromLatin1(value));
    file.replace((n - 1) * 50 + 17, 33, r.mid(17, 33));
    return file;
}

} // namespace

TEST(ModelSettingsFile, RecordTableCoversEveryRecordOnce) {
    const auto table = SettingsRecordTable();
    ASSERT_EQ(table.size(), 335u);
    QSet<QString> keys, fields;
    for (int n = 1; n <= 335; ++n) {
        EXPECT_EQ(table[n - 1].record, n);
        EXPECT_EQ(table[n - 1].key.size(), 6);
        EXPECT_TRUE(table[n - 1].key.endsWith(": "));
        keys.insert(table[n - 1].key);
        fields.insert(table[n - 1].field);
    }
    EXPECT_EQ(keys.size(), 335);
    EXPECT_EQ(fields.size(), 335);
    struct Spot {
        int record;
        const char* key;
        const char* field;
    } spots[] = {
        {1, "Dial: ", "GroupBox1"},    {14, "Mor1: ", "GroupBox11"}, {22, "Ko11: ", "Edit17"},
        {27, "Ko61: ", "Edit22"},      {28, "Kd11: ", "Edit23"},     {48, "Ko12: ", "Edit35"},
        {65, "Kn62: ", "Edit52"},      {93, "Ti01: ", "Edit63"},     {120, "Ti28: ", "Edit90"},
        {129, "Modl: ", "ComboBox16"}, {131, "M001: ", "Edit92"},    {141, "M011: ", "Edit102"},
        {151, "M021: ", "Edit112"},    {161, "M031: ", "Edit122"},   {311, "M181: ", "Edit272"},
        {319, "M189: ", "Edit280"},    {320, "M190: ", "Edit282"},   {328, "M198: ", "Edit290"},
        {329, "Kren: ", "CheckBox13"}, {334, "Krot: ", "Edit293"},   {335, "MutA: ", "CheckBox14"},
    };
    for (const Spot& s : spots) {
        EXPECT_EQ(table[s.record - 1].key, s.key) << s.record;
        EXPECT_EQ(table[s.record - 1].field, s.field) << s.record;
    }
}

TEST(ModelSettingsFile, ExactBytesOfARecord) {
    QByteArray expected(50, '\0');
    expected[0] = 6;
    memcpy(expected.data() + 1, "Pass: ", 6);
    expected[17] = 4;
    memcpy(expected.data() + 18, "4071", 4);
    for (int i = 22; i <= 48; ++i) expected[i] = ' ';
    EXPECT_EQ(EncodeSettingsRecord("Pass: ", "4071"), expected);

    // A value of 32 characters fills offset 49; a longer one is cut to 32.
    const QByteArray full = EncodeSettingsRecord("M001: ", QString(40, '7'));
    EXPECT_EQ(int(full[17]), 32);
    EXPECT_EQ(full.mid(18), QByteArray(32, '7'));
    const QByteArray empty = EncodeSettingsRecord("Khg1: ", "");
    EXPECT_EQ(int(empty[17]), 0);
    EXPECT_EQ(empty.mid(18, 31), QByteArray(31, ' '));
    EXPECT_EQ(int(empty[49]), 0);
}

TEST(ModelSettingsFile, SaveThenReadGivesEveryFieldBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("all.NVS");
    CommLog log;
    std::unique_ptr<SettingsModel> saved(NewModel());
    FillEverything(*saved);
    WriteSettingsFile(path, *saved, log);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.size(), 335 * 50);

    std::unique_ptr<SettingsModel> read(NewModel());
    read->SetChoiceItems("ComboBox15", saved->ChoiceItems("ComboBox15"));
    ReadSettingsFile(path, *read, log);
    for (const FieldDef& fd : FieldCatalogue())
        EXPECT_EQ(read->ValueString(fd.name), saved->ValueString(fd.name)) << fd.name.toStdString();
    EXPECT_TRUE(read->SameValues(*saved));
}

TEST(ModelSettingsFile, OlderFilesLeaveTheLaterFieldsAlone) {
    std::unique_ptr<SettingsModel> source(NewModel());
    FillEverything(*source);
    const QByteArray bytes = SettingsFileBytes(*source);
    const QStringList codeRelay = {"CheckBox13", "Edit53",  "Edit281",
                                   "Edit291",    "Edit292", "Edit293"};
    for (int records : {328, 334}) {
        std::unique_ptr<SettingsModel> m(NewModel());
        const SettingsModel before;
        // A trailing part shorter than a record is not a record.
        ApplySettingsFileBytes(bytes.left(records * 50 + 49), *m);
        for (const QString& name : codeRelay)
            EXPECT_EQ(m->ValueString(name), (records == 328 ? before : *source).ValueString(name))
                << records << " " << name.toStdString();
        EXPECT_EQ(m->Flag("CheckBox14"), before.Flag("CheckBox14")) << records;
        EXPECT_EQ(m->Text("Edit290"), source->Text("Edit290"));
    }
}

TEST(ModelSettingsFile, KeysDoNotMatterOnlyPosition) {
    std::unique_ptr<SettingsModel> source(NewModel());
    FillEverything(*source);
    QByteArray bytes = SettingsFileBytes(*source);
    for (int n = 0; n < 335; ++n) bytes.replace(n * 50 + 1, 6, "Zz9z: ");
    std::unique_ptr<SettingsModel> m(NewModel());
    m->SetChoiceItems("ComboBox15", source->ChoiceItems("ComboBox15"));
    ApplySettingsFileBytes(bytes, *m);
    EXPECT_TRUE(m->SameValues(*source));
}

TEST(ModelSettingsFile, ValueRules) {
    std::unique_ptr<SettingsModel> base(NewModel());
    const QByteArray file = SettingsFileBytes(*base);
    struct Case {
        int record;
        QByteArray value;
        const char* field;
        const char* before; // ValueString set first ("1"/"0" for flags)
        const char* expected;
    } cases[] = {
        {5, " 5 ", "Edit1", nullptr, "5"},
        {5, "\t12\x01", "Edit1", nullptr, "12"},
        {5, "12 34", "Edit1", nullptr, "12 34"},
        {1, "9", "GroupBox1", nullptr, "RadioButton1"},
        {1, "1", "GroupBox1", nullptr, "RadioButton2"},
        {1, "01", "GroupBox1", nullptr, "RadioButton1"},
        {10, "3", "GroupBox8", nullptr, "RadioButton16"},
        {20, "yes", "CheckBox1", "1", "0"},
        {20, "1", "CheckBox1", "0", "1"},
        {329, "yes", "CheckBox13", "1", "1"},
        {329, "0", "CheckBox13", "1", "0"},
        {329, "1", "CheckBox13", "0", "1"},
        {335, "yes", "CheckBox14", "1", "0"},
        {73, "12", "ComboBox2", nullptr, ""},
        {73, "-1", "ComboBox2", nullptr, ""},
        {73, " 0 ", "ComboBox2", nullptr, "2"},
        {129, "3", "ComboBox16", nullptr, "Model D"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<SettingsModel> m(NewModel());
        if (c.before) m->SetFlag(c.field, QString(c.before) == "1");
        ApplySettingsFileBytes(WithValue(file, c.record, c.value), *m);
        EXPECT_EQ(m->ValueString(c.field), c.expected)
            << c.record << " '" << c.value.toStdString() << "'";
    }
}

TEST(ModelSettingsFile, AFailedReadChangesNothing) {
    std::unique_ptr<SettingsModel> source(NewModel());
    FillEverything(*source);
    const QByteArray good = SettingsFileBytes(*source);
    struct Case {
        QByteArray bytes;
        const char* error;
    } cases[] = {
        {good.left(327 * 50), "Read beyond end of file"},
        {good.left(328 * 50 - 1), "Read beyond end of file"},
        {good.left(330 * 50), "Read beyond end of file"}, // ends inside the code relay
        {QByteArray(), "Read beyond end of file"},
        {WithValue(good, 66, "x"), "'x' is not a valid integer value"},
        {WithValue(good, 129, ""), "'' is not a valid integer value"},
        {WithValue(good, 91, "1.5"), "'1.5' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<SettingsModel> m(NewModel());
        std::unique_ptr<SettingsModel> before(NewModel());
        try {
            ApplySettingsFileBytes(c.bytes, *m);
            ADD_FAILURE() << "no error for " << c.error;
        } catch (const SettingsFileError& e) { EXPECT_EQ(e.text(), c.error); }
        EXPECT_TRUE(m->SameValues(*before)) << c.error;
    }
}

TEST(ModelSettingsFile, MissingFileIsReported) {
    QTemporaryDir dir;
    CommLog log;
    SettingsModel m;
    try {
        ReadSettingsFile(dir.filePath("none.NVS"), m, log);
        FAIL();
    } catch (const SettingsFileError& e) { EXPECT_EQ(e.text(), "File not found"); }
}

TEST(ModelSettingsFile, AnInterruptedSaveKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.NVS");
    CommLog log;
    std::unique_ptr<SettingsModel> old(NewModel());
    WriteSettingsFile(path, *old, log);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray oldBytes = f.readAll();
    f.close();

    std::unique_ptr<SettingsModel> next(NewModel());
    FillEverything(*next);
    // A child process whose files may not grow beyond 4 KiB: the write fails at the end.
    const int code = ExitCodeWithFileSizeLimit(4096, [&] {
        try {
            WriteSettingsFile(path, *next, log);
        } catch (const SettingsFileError&) { return 0; }
        return 1;
    });
    EXPECT_EQ(code, 0) << "the failed save must be reported";
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), oldBytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.NVS"});
}
