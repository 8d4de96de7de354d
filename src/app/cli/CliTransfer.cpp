// norvaset-cli read-parameters, read-numbers, read-all OUT.nvs and write-parameters,
// write-numbers, write-all IN.nvs: the window's six transfers, a read saved as a settings
// file (with its backup), a write guarded by a backup and, with --verify, a read-back.

#include "CliApp.h"
#include "CliCommands.h"
#include "CliSession.h"

int RunRead(CliSession& s) {
    const CliOptions& o = s.Options();
    const QString out = o.args[0];
    if (!s.CheckOutputFolder(out)) return kExitUsage;
    if (!s.ReadDevice(ContentOf(o.command))) return kExitFailed;
    return s.SaveSettings(out) ? kExitOk : kExitUsage;
}

int RunWrite(CliSession& s) {
    const CliOptions& o = s.Options();
    const QString in = o.args[0];
    if (!s.LoadSettings(in)) return kExitUsage;
    return s.WriteModel(ContentOf(o.command), in, o.verify);
}
