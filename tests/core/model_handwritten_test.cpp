// Checks against tables typed anew from the file formats, not taken from the code's own
// tables: a settings file put together byte by byte, read back field by field and written
// again byte for byte; and the order in which a template's [Defaults] keys are read.
#include "CommLog.h"
#include "FieldCatalogue.h"
#include "SettingsFile.h"
#include "SettingsModel.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

// One record: 6, the key and ten zeros, the value's length, the value, spaces up to offset
// 48, and offset 49 zero unless the value fills all 32 bytes.
QByteArray Record(const QByteArray& key, const QByteArray& value) {
    QByteArray r;
    r += char(6);
    r += key + QByteArray(10, '\0');
    r += char(value.size());
    r += value;
    while (r.size() < 49) r += ' ';
    if (r.size() < 50) r += '\0';
    return r;
}

enum Kind { Text, Choice, List, Flag };
struct Row {
    QByteArray key;
    Kind kind;
    QStringList controls; // the field, or a choice's radio buttons in position order
};

QStringList Buttons(std::initializer_list<int> numbers) {
    QStringList out;
    for (int n : numbers) out << QStringLiteral("RadioButton%1").arg(n);
    return out;
}
QStringList Control(const char* prefix, int n) {
    return {QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(n)};
}

// The 335 records in file order.
std::vector<Row> RecordRows() {
    std::vector<Row> rows;
    const auto text = [&](const char* key, int edit) {
        rows.push_back({key, Text, Control("Edit", edit)});
    };
    const auto flag = [&](const char* key, int box) {
        rows.push_back({key, Flag, Control("CheckBox", box)});
    };
    const auto list = [&](const char* key, int box) {
        rows.push_back({key, List, Control("ComboBox", box)});
    };
    const auto choice = [&](const char* key, std::initializer_list<int> b) {
        rows.push_back({key, Choice, Buttons(b)});
    };
    // Six external codes: "K" + kind + code 1..6 + relay, fields from first on.
    const auto codes = [&](char kind, char relay, int first) {
        for (int code = 1; code <= 6; ++code)
            rows.push_back({QByteArray("K") + kind + char('0' + code) + relay + ": ", Text,
                            Control("Edit", first + code - 1)});
    };
    choice("Dial: ", {1, 2});
    choice("Mode: ", {3, 4});
    choice("Prol: ", {5, 6});
    choice("Hang: ", {7, 8});
    text("Pass: ", 1);
    text("Khg1: ", 2);
    text("Khg2: ", 3);
    text("Days: ", 4);
    text("Nigs: ", 5);
    choice("Cmod: ", {9, 10, 11, 16, 12, 13, 14, 15, 17});
    choice("Kmod: ", {20, 21});
    choice("Ddac: ", {22, 23, 24, 25});
    text("Dela: ", 6);
    choice("Mor1: ", {30, 31, 32, 33, 34, 35, 36, 37});
    text("Ctl1: ", 7);
    text("1im1: ", 8);
    text("2im1: ", 9);
    text("Pdu1: ", 10);
    text("Pde1: ", 11);
    flag("Ovl1: ", 1);
    choice("Exb1: ", {38, 39, 40});
    codes('o', '1', 17);
    codes('d', '1', 23);
    codes('n', '1', 29);
    choice("Mor2: ", {18, 19, 26, 27, 28, 29, 41, 42});
    text("Ctl2: ", 12);
    text("1im2: ", 13);
    text("2im2: ", 14);
    text("Pdu2: ", 15);
    text("Pde2: ", 16);
    flag("Ovl2: ", 2);
    choice("Exb2: ", {43, 44, 45});
    codes('o', '2', 35);
    codes('d', '2', 41);
    codes('n', '2', 47);
    list("Mdho: ", 17);
    text("Pznv: ", 54);
    text("Cmst: ", 55);
    text("Cpzv: ", 56);
    text("Czpo: ", 57);
    text("Pvno: ", 58);
    list("Foft: ", 1);
    list("Nobt: ", 2);
    list("Dpto: ", 3);
    text("Dton: ", 59);
    text("Dmez: ", 60);
    text("Dfla: ", 61);
    text("Dpau: ", 62);
    list("Ldtt: ", 4);
    list("Pree: ", 5);
    list("Conf: ", 6);
    list("Lmic: ", 7);
    list("Ltra: ", 8);
    list("Lrec: ", 9);
    list("Lsig: ", 10);
    flag("Scli: ", 3);
    flag("Bgrn: ", 4);
    list("Blev: ", 11);
    list("Spee: ", 12);
    list("Dcma: ", 13);
    list("Loos: ", 14);
    flag("Auto: ", 5);
    for (int t = 1; t <= 28; ++t)
        rows.push_back({QStringLiteral("Ti%1: ").arg(t, 2, 10, QLatin1Char('0')).toLatin1(), Text,
                        Control("Edit", 62 + t)});
    list("Spih: ", 15);
    flag("Sclo: ", 7);
    flag("Stic: ", 8);
    flag("Soth: ", 9);
    flag("Expw: ", 6);
    flag("Dtmi: ", 10);
    flag("Baby: ", 11);
    flag("Siem: ", 12);
    list("Modl: ", 16);
    text("Ptla: ", 91);
    for (int n = 1; n <= 198; ++n)
        rows.push_back({QStringLiteral("M%1: ").arg(n, 3, 10, QLatin1Char('0')).toLatin1(), Text,
                        Control("Edit", n <= 189 ? 91 + n : 92 + n)});
    flag("Kren: ", 13);
    text("Kr1t: ", 53);
    text("Kr1p: ", 281);
    text("Kr2t: ", 291);
    text("Kr2p: ", 292);
    text("Krot: ", 293);
    flag("MutA: ", 14);
    return rows;
}

QStringList Range(const char* prefix, int first, int last, int skip = -1) {
    QStringList out;
    for (int n = first; n <= last; ++n)
        if (n != skip) out << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(n);
    return out;
}

} // namespace

TEST(Handwritten, SettingsFileReadFieldByFieldAndWrittenByteForByte) {
    const std::vector<Row> rows = RecordRows();
    ASSERT_EQ(rows.size(), 335u);

    SettingsModel model;
    model.SetChoiceItems("ComboBox16", {"Model A", "Model B", "Model C"});
    // Every value differs from what the model held before, so each record must be applied.
    QByteArray file;
    std::vector<QString> expected;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const int n = int(i) + 1;
        QString value;
        switch (row.kind) {
        case Text:
            value = QStringLiteral("%1#%2").arg(n).arg(row.key.left(4).constData());
            model.SetText(row.controls[0], QStringLiteral("old"));
            break;
        case Choice: {
            const int position = (n * 5) % int(row.controls.size());
            value = QString::number(position);
            model.SelectRadioButton(row.controls[(position + 1) % row.controls.size()]);
            break;
        }
        case List:
            value = QStringLiteral("1");
            model.SetChoice(row.controls[0], 0);
            break;
        case Flag:
            value = n % 2 ? QStringLiteral("1") : QStringLiteral("0");
            model.SetFlag(row.controls[0], n % 2 == 0);
            break;
        }
        expected.push_back(value);
        file += Record(row.key, value.toLatin1());
    }
    ASSERT_EQ(file.size(), 16750);

    QTemporaryDir dir;
    const QString path = dir.filePath("hand.nvs");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    CommLog log;
    ReadSettingsFile(path, model, log);

    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.key.constData());
        const QString& value = expected[i];
        switch (row.kind) {
        case Text: EXPECT_EQ(model.Text(row.controls[0]), value); break;
        case Choice:
            EXPECT_TRUE(model.IsRadioButtonSelected(row.controls[value.toInt()]))
                << row.controls[value.toInt()].toStdString();
            break;
        case List: EXPECT_EQ(model.Choice(row.controls[0]), 1); break;
        case Flag: EXPECT_EQ(model.Flag(row.controls[0]), value == "1"); break;
        }
    }

    const QByteArray written = SettingsFileBytes(model);
    ASSERT_EQ(written.size(), file.size());
    for (int r = 0; r < 335; ++r)
        EXPECT_EQ(written.mid(r * 50, 50).toHex(' ').toStdString(),
                  file.mid(r * 50, 50).toHex(' ').toStdString())
            << "record " << r + 1;
}

TEST(Handwritten, DefaultsKeysAreReadInTheirOrder) {
    QStringList order;
    order << Range("RB", 1, 8) << Range("ET", 1, 5) << Range("RB", 9, 17) << Range("RB", 20, 25)
          << "ET6" << Range("RB", 30, 37) << Range("ET", 7, 11) << "CKB1" << Range("RB", 38, 40)
          << Range("ET", 17, 34) << "CR01"
          << "CR02"
          << "CR03"
          << "CR04"
          << "CR05"
          << "CR06"
          << "RB18"
          << "RB19" << Range("RB", 26, 29) << "RB41"
          << "RB42" << Range("ET", 12, 16) << "CKB2" << Range("RB", 43, 45) << Range("ET", 35, 52)
          << "CB17" << Range("ET", 54, 58) << Range("CB", 1, 3) << Range("ET", 59, 62)
          << Range("CB", 4, 10) << "CKB3"
          << "CKB4" << Range("CB", 11, 14) << "CKB5" << Range("ET", 63, 90) << "CB15"
          << "CKB7"
          << "CKB8"
          << "CKB9"
          << "CKB6"
          << "CKB10"
          << "CKB11"
          << "CKB12"
          << "CKB14" << Range("ET", 92, 290, 281);
    QStringList actual;
    for (const TemplateKeyDef& k : TemplateKeyOrder()) actual << k.key;
    EXPECT_EQ(actual, order);
}
