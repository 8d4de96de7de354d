// norvaset-cli encode IN.nvs OUT.bin and decode IN.bin OUT.nvs: the 256-byte parameter
// block a write of a settings file sends, and a block taken as a read takes it.

#include "CliApp.h"
#include "CliCommands.h"
#include "CliSession.h"
#include "FileAccess.h"
#include "ParameterBlock.h"

int RunEncode(CliSession& s) {
    const CliOptions& o = s.Options();
    const QString in = o.args[0], out = o.args[1];
    if (!s.LoadSettings(in)) return kExitUsage;
    const EncodeResult encoded =
        EncodeParameterBlock(s.Model(), DoorPhoneState{o.dayMode, o.resets});
    if (!encoded.ok) {
        s.Host().Note(in + QStringLiteral(": ") + encoded.errorField + QStringLiteral(": ") +
                      Printable(encoded.errorMessage));
        return kExitUsage;
    }
    QString error;
    if (!WriteWholeFile(out, encoded.bytes, &error)) {
        s.Host().Note(out + QStringLiteral(": ") + error);
        return kExitUsage;
    }
    return kExitOk;
}

int RunDecode(CliSession& s) {
    const CliOptions& o = s.Options();
    const QString in = o.args[0], out = o.args[1];
    const FileContents contents = ReadBoundedFile(in, kParameterBlockSize);
    if (!contents.ok()) {
        s.Host().Note(in + QStringLiteral(": ") + contents.error);
        return kExitUsage;
    }
    const QByteArray& block = contents.bytes;
    if (block.size() != kParameterBlockSize) {
        s.Host().Note(QStringLiteral("%1: %2 bytes, a parameter block has %3")
                          .arg(in)
                          .arg(block.size())
                          .arg(kParameterBlockSize));
        return kExitUsage;
    }
    if (!s.CheckOutputFolder(out)) return kExitUsage;
    s.Host().Arm();
    CliHost& host = s.Host();
    const LanguageTexts& texts = s.Texts();
    const bool accepted =
        DecodeParameterBlock(block, s.Model(), s.Log(), [&host, &texts](BlockRefusal refusal) {
            host.ShowMessage(BlockRefusalMessage(refusal, texts), QString(), MsgIcon::None);
            host.LoadModelDefaults();
        }).accepted;
    if (!accepted) return kExitFailed;
    return s.SaveSettings(out) ? kExitOk : kExitUsage;
}
