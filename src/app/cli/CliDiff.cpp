#include "CliDiff.h"

#include "CliHost.h"
#include "CliJson.h"
#include "CommLog.h"
#include "SettingsFile.h"
#include "SettingsModel.h"

#include <cstdio>

bool ReadDiffFile(const QString& path, SettingsModel& model, CliHost& host) {
    CommLog quiet; // a comparison leaves the communication log alone
    try {
        ReadSettingsFile(path, model, quiet);
    } catch (const SettingsFileError& e) {
        host.Note(path + QStringLiteral(": ") + e.text());
        return false;
    } catch (const std::exception& e) {
        host.Note(path + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

int PrintDiffRows(const QList<DiffRow>& rows, bool json) {
    if (json) {
        const QByteArray document = DiffJson(rows);
        std::fwrite(document.constData(), 1, size_t(document.size()), stdout);
    } else {
        for (const DiffRow& row : rows)
            std::printf("%s\n", DiffRowLine(row).toLocal8Bit().constData());
    }
    std::fflush(stdout);
    return rows.isEmpty() ? kDiffEqual : kDiffDifferent;
}

int DiffFiles(const QString& a, const QString& b, const SettingsModel& start,
              const LanguageTexts& texts, CliHost& host, bool json) {
    SettingsModel left, right;
    left.CopyFrom(start);
    right.CopyFrom(start);
    // Both files are checked before anything is printed.
    const bool leftOk = ReadDiffFile(a, left, host);
    const bool rightOk = ReadDiffFile(b, right, host);
    if (!leftOk || !rightOk) return kDiffBadFile;
    return PrintDiffRows(DiffSettings(left, right, texts), json);
}
