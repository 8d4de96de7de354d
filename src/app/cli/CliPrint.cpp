#include "CliPrint.h"

#include "CliApp.h"
#include "CliHost.h"

#ifdef NORVA_WITH_PRINT
#include "ModelPrintoutSource.h"
#endif

int WriteSettingsPrintout(const SettingsModel& model, const LanguageTexts& texts,
                          const QHash<int, QString>& treeEntries, const QString& out,
                          CliHost& host) {
#ifdef NORVA_WITH_PRINT
    const print::ModelPrintoutSource source(model, texts, treeEntries);
    const print::PrintResult result =
        print::WritePrintoutPdf(out, print::BuildPrintout(source), source.Header());
    if (!result.ok) {
        host.Note(result.error);
        return kExitFailed;
    }
    return kExitOk;
#else
    (void)model;
    (void)texts;
    (void)treeEntries;
    (void)out;
    host.Note(QStringLiteral("this norvaset-cli was built without printing"));
    return kExitUsage;
#endif
}
