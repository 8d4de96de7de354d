#pragma once
// Runs the built norvaset-cli and norva-doorphone-sim as processes.

#include "CommLog.h"
#include "Defaults.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "sim_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace cli {

inline QString BinPath(const char* name) {
    return QDir(QString::fromUtf8(NORVA_BIN_DIR)).filePath(QString::fromLatin1(name));
}

struct Result {
    int exitCode = -1; // -1: crashed or did not end in time
    QString out;
    QString err;
};

// norvaset-cli with args, in workDir, its program folder an empty folder there (built-in
// texts, no model template), so that no shipped file or Config.ini changes the outcome.
inline Result Run(const QString& workDir, QStringList args, int timeoutMs = 120000) {
    const QString home = QDir(workDir).filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    args.prepend(home);
    args.prepend(QStringLiteral("--home"));
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(BinPath("norvaset-cli"), args);
    Result r;
    if (!p.waitForStarted(10000)) return r;
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    if (p.exitStatus() == QProcess::NormalExit) r.exitCode = p.exitCode();
    return r;
}

using ::SimProcess;

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline void SaveModel(const QString& path, const SettingsModel& model) {
    CommLog log;
    WriteSettingsFile(path, model, log);
}

inline void LoadModel(const QString& path, SettingsModel& model) {
    CommLog log;
    ReadSettingsFile(path, model, log);
}

// Every field the parameter block carries.
inline QStringList BlockFields() {
    QStringList out;
    for (const ByteDef& b : ParameterByteMap())
        if (!b.field.isEmpty() && !out.contains(b.field)) out << b.field;
    return out;
}

// The built-in defaults with something changed on most pages, all of it values that come
// back unchanged from the parameter block.
inline void MakeInstallerSettings(SettingsModel& m) {
    ApplyBuiltInDefaults(m);
    const std::pair<const char*, const char*> texts[] = {
        {"Edit1", "4071"},    {"Edit2", "*5"},  {"Edit4", "*0"},    {"Edit91", "2"},
        {"Edit7", "12"},      {"Edit12", "3"},  {"Edit8", "*7"},    {"Edit9", "80"},
        {"Edit10", "0.5"},    {"Edit6", "99"},  {"Edit53", "1010"}, {"Edit17", "102"},
        {"Edit18", "123456"}, {"Edit63", "07"}, {"Edit64", "30"},   {"Edit87", "23"},
        {"Edit88", "59"},
    };
    for (const auto& [name, value] : texts) m.SetText(name, value);
    for (const char* rb : {"RadioButton2", "RadioButton6", "RadioButton16", "RadioButton35"})
        m.SelectRadioButton(rb);
    m.SetChoice("ComboBox1", 9);
    m.SetChoice("ComboBox4", 12);
    m.SetChoice("ComboBox17", 10);
    m.SetFlag("CheckBox7", true);
    m.SetFlag("CheckBox2", true);
    m.SetText(FirstNumberField(1), "0123456789");
    m.SetText(SecondNumberField(1), "*0#P");
    m.SetText(FirstNumberField(99), "602123456");
    m.SetText(SecondNumberField(50), "R1-2");
}

// The number memory as the door phone holds it for the model.
inline QByteArray NumberMemoryOf(const SettingsModel& m) {
    QByteArray out;
    for (int record : NumberRecordOrder()) out += EncodeNumberRecord(record, m);
    return out;
}

// A simulated door phone's memory in folder (--simulator=DIR, norva-doorphone-sim --state)
// holding m: a firmware that reports day mode and 7 resets.
inline void SeedDoorPhone(const QString& folder, const SettingsModel& m) {
    QDir().mkpath(folder);
    WriteBytes(folder + "/parameters.bin", EncodeParameterBlock(m, {true, "7"}).bytes);
    WriteBytes(folder + "/numbers.bin", NumberMemoryOf(m));
}

// A test of norvaset-cli as a process, in a temporary folder of its own.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo::exists(BinPath("norvaset-cli")));
        ASSERT_TRUE(dir_.isValid());
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    Result Run(const QStringList& args) { return cli::Run(dir_.path(), args); }
    QStringList Files() const {
        return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir_;
};

} // namespace cli
