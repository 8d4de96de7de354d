// norvaset-cli diff A.nvs B.nvs and diff --device B.nvs: the settings and telephone numbers
// that differ between two settings files, or between the door phone and a file, one line
// each on stdout, "page | caption | value in A | value in B"; with --json one JSON document.

#include "CliApp.h"
#include "CliCommands.h"
#include "CliHost.h"
#include "CliJson.h"
#include "CliSession.h"
#include "CommLog.h"
#include "FieldCatalogue.h"
#include "SettingsDiff.h"
#include "SettingsModel.h"

#include <cstdio>

namespace {

enum CliDiffExit {
    kDiffEqual = 0,
    kDiffDifferent = 1,
    kDiffBadFile = 2,      // a file that cannot be read, or a usage error
    kDiffDeviceFailed = 3, // diff --device: the door phone could not be read
};

// Reads a settings file over model (which holds the start both sides share). A comparison
// leaves the communication log alone.
bool ReadSide(CliSession& s, const QString& path, SettingsModel& model) {
    CommLog quiet;
    return s.ReadSettings(path, model, quiet);
}

int PrintDiffRows(const QList<DiffRow>& rows, bool json) {
    if (json) {
        const QByteArray document = DiffJson(rows);
        std::fwrite(document.constData(), 1, size_t(document.size()), stdout);
    } else {
        for (const DiffRow& row : rows)
            std::printf("%s\n", Printable(DiffRowLine(row)).toLocal8Bit().constData());
    }
    std::fflush(stdout);
    return rows.isEmpty() ? kDiffEqual : kDiffDifferent;
}

// Both files read over the same start (the model list, the model's defaults), then compared.
int DiffFiles(CliSession& s, const QString& a, const QString& b) {
    SettingsModel left, right;
    left.CopyFrom(s.Model());
    right.CopyFrom(s.Model());
    // Both files are checked before anything is printed.
    const bool leftOk = ReadSide(s, a, left);
    const bool rightOk = ReadSide(s, b, right);
    if (!leftOk || !rightOk) return kDiffBadFile;
    return PrintDiffRows(DiffSettings(left, right, s.Texts()), s.Options().json);
}

int DiffDevice(CliSession& s, const QString& file) {
    SettingsModel& model = s.Model();
    // The file first: a bad one is said before the cable is touched.
    SettingsModel right;
    right.CopyFrom(model);
    if (!ReadSide(s, file, right)) return kDiffBadFile;
    if (!s.ReadDevice(BackupContent::All)) return kDiffDeviceFailed;
    // The door phone does not hold the model selector: only the file says it.
    const QString selector = QLatin1String(kModelSelectorField);
    model.SetChoice(selector, right.Choice(selector));
    return PrintDiffRows(DiffSettings(model, right, s.Texts()), s.Options().json);
}

} // namespace

int RunDiff(CliSession& s) {
    const QStringList& args = s.Options().args;
    return s.Options().device ? DiffDevice(s, args[0]) : DiffFiles(s, args[0], args[1]);
}
