// norvaset-cli show, set, export, import and names: the settings by the stable names of the
// field catalogue, as readable text and JSON for installers' scripts (the text form itself
// is src/model/SettingsText.h).
//
//   show IN.nvs [--json]                 every setting as the window shows it, and its name
//   set IN.nvs OUT.nvs NAME=VALUE...     change settings through the window's field rules
//   set --device OUT.nvs NAME=VALUE... [--write]
//                                        the same starting from the door phone, and back
//   export IN.nvs OUT.txt                the text form of a settings file
//   import IN.txt OUT.nvs                a settings file from the text form
//   names                                every name, its page, English caption and values
//
// Bad input is said with its line (or its assignment) on stderr, exit 2, and no output
// file is written.

#include "CliApp.h"
#include "CliCommands.h"
#include "CliSession.h"
#include "FieldCatalogue.h"
#include "FieldTexts.h"
#include "FileAccess.h"
#include "LanguageTexts.h"
#include "ParameterBlock.h"
#include "SettingsModel.h"
#include "SettingsText.h"

#include <cstdio>

namespace {

// A text form of every setting is about 10 kB; anything far larger is no such text.
constexpr qint64 kMaxSettingsTextBytes = 1024 * 1024;

void PrintLine(const QString& line) {
    std::printf("%s\n", Printable(line).toLocal8Bit().constData());
}

int Refused(const QList<SettingProblem>& problems, const QString& source, CliHost& host) {
    for (const SettingProblem& p : problems) host.Note(source + SettingProblemText(p));
    return kExitUsage;
}

// The model template's limits (buttons on the basic module).
ExitContext Rules(CliSession& s) {
    const ModelState& features = s.Session().ModelFeatures();
    return {features.modelMaximum, features.labelKind};
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

} // namespace

int RunShow(CliSession& s) {
    if (!s.LoadSettings(s.Options().args[0])) return kExitUsage;
    if (s.Options().json) {
        const QByteArray json = SettingsJson(s.Model(), s.Texts());
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    } else {
        for (const SettingRow& row : SettingRows(s.Model(), s.Texts())) {
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

int RunExport(CliSession& s) {
    const QString &in = s.Options().args[0], &out = s.Options().args[1];
    if (!s.CheckOutputFolder(out) || !s.LoadSettings(in)) return kExitUsage;
    QString error;
    if (!WriteWholeFile(out, SettingsText(s.Model()).toUtf8(), &error)) {
        s.Host().Note(out + QStringLiteral(": ") + error);
        return kExitUsage;
    }
    return kExitOk;
}

int RunImport(CliSession& s) {
    const QString &in = s.Options().args[0], &out = s.Options().args[1];
    if (!s.CheckOutputFolder(out)) return kExitUsage;
    const FileContents text = ReadBoundedFile(in, kMaxSettingsTextBytes);
    if (!text.ok()) {
        s.Host().Note(in + QStringLiteral(": ") + text.error);
        return kExitUsage;
    }
    const QList<SettingProblem> problems = ApplySettingsText(text.bytes, s.Model());
    if (!problems.isEmpty()) return Refused(problems, in + QStringLiteral(": "), s.Host());
    return s.SaveSettings(out) ? kExitOk : kExitUsage;
}

int RunNames(CliSession& s) {
    const LanguageTexts english; // the names are documented in English
    const ExitContext rules = Rules(s);
    for (const FieldDef* def : FieldsInTextOrder())
        PrintLine(QStringList{def->stableName, PageCaption(def->page, english).simplified(),
                              FieldCaption(*def, english), SettingRange(*def, s.Model(), rules)}
                      .join(QStringLiteral(" | ")));
    std::fflush(stdout);
    return kExitOk;
}

int RunSet(CliSession& s) {
    const CliOptions& o = s.Options();
    const int first = o.device ? 1 : 2;
    const QString out = o.args[first - 1];
    const QStringList assignments = o.args.mid(first);
    // Names and form first: a misspelt name never costs a read of the door phone.
    if (o.device)
        if (const QList<SettingProblem> problems = CheckSettingNames(assignments);
            !problems.isEmpty())
            return Refused(problems, QString(), s.Host());
    if (!s.CheckOutputFolder(out)) return kExitUsage;
    if (o.device) {
        if (!s.ReadDevice(BackupContent::All)) return kExitFailed;
    } else if (!s.LoadSettings(o.args[0])) {
        return kExitUsage;
    }
    const Image before = ImageOf(s.Model());
    QStringList notes;
    const QList<SettingProblem> problems =
        ApplySettingAssignments(assignments, s.Model(), Rules(s), s.Texts(), &notes);
    if (!problems.isEmpty()) return Refused(problems, QString(), s.Host());
    for (const QString& note : notes) s.Host().Note(note);
    if (!s.SaveSettings(out)) return kExitUsage;
    if (!o.write) return kExitOk;

    const Changed changed = Compare(before, ImageOf(s.Model()));
    if (!changed.parameters && !changed.numbers) {
        s.Host().Note(
            QStringLiteral("the door phone holds these settings already: nothing written"));
        return kExitOk;
    }
    return s.WriteModel(!changed.numbers      ? BackupContent::Parameters
                        : !changed.parameters ? BackupContent::Numbers
                                              : BackupContent::All,
                        QStringLiteral("set"), true);
}
