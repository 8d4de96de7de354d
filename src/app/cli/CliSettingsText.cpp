#include "CliSettingsText.h"

#include "CliApp.h"
#include "CliHost.h"
#include "CommLog.h"
#include "FieldCatalogue.h"
#include "FieldTexts.h"
#include "FileAccess.h"
#include "LanguageTexts.h"
#include "ParameterBlock.h"
#include "SettingsDiff.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "SettingsText.h"

#include <QSaveFile>
#include <cstdio>

namespace {

// A text form of every setting is about 10 kB; anything far larger is no such text.
constexpr qint64 kMaxSettingsTextBytes = 1024 * 1024;

void PrintLine(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
}

bool Load(const QString& path, const CliTextCommand& c) {
    try {
        ReadSettingsFile(path, c.model, c.log);
    } catch (const SettingsFileError& e) {
        c.host.Note(path + QStringLiteral(": ") + e.text());
        return false;
    } catch (const std::exception& e) {
        c.host.Note(path + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

// Checked before anything is read, so that bad input and a place that cannot be written
// are both said before the door phone is asked for anything.
bool CanWrite(const QString& path, CliHost& host) {
    QString reason;
    if (CanWriteFileAt(path, &reason)) return true;
    host.Note(path + QStringLiteral(": cannot be written here (%1)").arg(reason));
    return false;
}

bool Save(const QString& path, const CliTextCommand& c) {
    try {
        WriteSettingsFile(path, c.model, c.log);
    } catch (const SettingsFileError& e) {
        c.host.Note(path + QStringLiteral(": ") + e.text());
        return false;
    }
    return true;
}

int Refused(const QList<SettingProblem>& problems, const QString& source, CliHost& host) {
    for (const SettingProblem& p : problems) host.Note(source + SettingProblemText(p));
    return kExitUsage;
}

int Show(const CliTextCommand& c) {
    if (!Load(c.args[0], c)) return kExitUsage;
    if (c.json) {
        const QByteArray json = SettingsJson(c.model, c.texts);
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    } else {
        for (const SettingRow& row : SettingRows(c.model, c.texts)) {
            const QString value = row.unit.isEmpty() || row.raw.isEmpty()
                                      ? row.value
                                      : row.value + QLatin1Char(' ') + row.unit;
            PrintLine(QStringList{row.page.simplified(), row.caption, value, row.name}.join(
                QStringLiteral(" | ")));
        }
    }
    std::fflush(stdout);
    return kExitOk;
}

int Export(const CliTextCommand& c) {
    const QString &in = c.args[0], &out = c.args[1];
    if (!CanWrite(out, c.host) || !Load(in, c)) return kExitUsage;
    QString error;
    if (!WriteOutputFile(out, SettingsText(c.model).toUtf8(), &error)) {
        c.host.Note(out + QStringLiteral(": ") + error);
        return kExitUsage;
    }
    return kExitOk;
}

int Import(const CliTextCommand& c) {
    const QString &in = c.args[0], &out = c.args[1];
    if (!CanWrite(out, c.host)) return kExitUsage;
    const FileContents text = ReadBoundedFile(in, kMaxSettingsTextBytes);
    if (!text.ok()) {
        c.host.Note(in + QStringLiteral(": ") + text.error);
        return kExitUsage;
    }
    const QList<SettingProblem> problems = ApplySettingsText(text.bytes, c.model);
    if (!problems.isEmpty()) return Refused(problems, in + QStringLiteral(": "), c.host);
    return Save(out, c) ? kExitOk : kExitUsage;
}

int Names(const CliTextCommand& c) {
    const LanguageTexts english; // the names are documented in English
    for (const FieldDef* def : FieldsInTextOrder())
        PrintLine(QStringList{def->stableName, PageCaption(def->page, english).simplified(),
                              FieldCaption(*def, english), SettingRange(*def, c.model, c.rules)}
                      .join(QStringLiteral(" | ")));
    std::fflush(stdout);
    return kExitOk;
}

// What a write must send for the change: the parameters, the numbers, both, or nothing.
struct Changed {
    bool parameters = false;
    bool numbers = false;
};
struct Image {
    EncodeResult block;
    QByteArray numbers;
};
Image ImageOf(const SettingsModel& model) {
    return {EncodeParameterBlock(model, DoorPhoneState{}), NumberMemoryBytes(model)};
}
Changed Compare(const Image& before, const Image& after) {
    return {!before.block.ok || !after.block.ok || before.block.bytes != after.block.bytes,
            before.numbers != after.numbers};
}

int Set(const CliTextCommand& c) {
    const int first = c.device ? 1 : 2;
    const QString out = c.args[first - 1];
    const QStringList assignments = c.args.mid(first);
    // Names and form first: a misspelt name never costs a read of the door phone.
    if (c.device)
        if (const QList<SettingProblem> problems = CheckSettingNames(assignments);
            !problems.isEmpty())
            return Refused(problems, QString(), c.host);
    if (!CanWrite(out, c.host)) return kExitUsage;
    if (c.device) {
        if (!c.readDevice()) return kExitFailed;
    } else if (!Load(c.args[0], c)) {
        return kExitUsage;
    }
    const Image before = ImageOf(c.model);
    QStringList notes;
    const QList<SettingProblem> problems =
        ApplySettingAssignments(assignments, c.model, c.rules, c.texts, &notes);
    if (!problems.isEmpty()) return Refused(problems, QString(), c.host);
    for (const QString& note : notes) c.host.Note(note);
    if (!Save(out, c)) return kExitUsage;
    if (!c.write) return kExitOk;

    const Changed changed = Compare(before, ImageOf(c.model));
    if (!changed.parameters && !changed.numbers) {
        c.host.Note(QStringLiteral("the door phone holds these settings already: nothing written"));
        return kExitOk;
    }
    return c.writeDevice(!changed.numbers      ? BackupContent::Parameters
                         : !changed.parameters ? BackupContent::Numbers
                                               : BackupContent::All);
}

} // namespace

bool WriteOutputFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // flush() reports a full disk that commit() alone would miss.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

int RunSettingsTextCommand(const CliTextCommand& c) {
    // A settings file may hold the call-progress signal of newer door phones; a door phone's
    // own list is set again by its status before anything is written to it.
    OfferEveryListItem(c.model);
    if (c.command == QLatin1String("show")) return Show(c);
    if (c.command == QLatin1String("export")) return Export(c);
    if (c.command == QLatin1String("import")) return Import(c);
    if (c.command == QLatin1String("names")) return Names(c);
    if (c.command == QLatin1String("set")) return Set(c);
    c.host.Note(QStringLiteral("unknown command '%1'").arg(c.command));
    return kExitUsage;
}
