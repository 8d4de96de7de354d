// norvaset-cli print IN.nvs OUT.pdf: the window's settings printout of a settings file,
// as an A4 PDF, written whole or not at all.

#include "CliApp.h"
#include "CliCommands.h"
#include "CliSession.h"

#ifdef NORVA_WITH_PRINT
#include "ModelPrintoutSource.h"
#endif

int RunPrint(CliSession& s) {
    // A file that cannot be read prints nothing.
    if (!s.LoadSettings(s.Options().args[0])) return kExitFailed;
#ifdef NORVA_WITH_PRINT
    // The tree as the template left it gives the headings.
    const print::ModelPrintoutSource source(s.Model(), s.Texts(), s.TreeEntries());
    const print::PrintResult result =
        print::WritePrintoutPdf(s.Options().args[1], print::BuildPrintout(source), source.Header());
    if (!result.ok) {
        s.Host().Note(result.error);
        return kExitFailed;
    }
    return kExitOk;
#else
    s.Host().Note(QStringLiteral("this norvaset-cli was built without printing"));
    return kExitUsage;
#endif
}
