// norvaset-cli labels: a button label file (.NVL) or a panel label file (.VXL) printed as
// an A4 PDF, the same sheets the label windows print. A label file that cannot be read, or
// a PDF that cannot be written, leaves nothing behind (exit 1).
//
//   labels IN.nvl OUT.pdf [--kind 1|2|3|other] [--one-button]
//   labels IN.vxl OUT.pdf

#include "CliApp.h"
#include "CliCommands.h"
#include "CliSession.h"
#include "LabelFiles.h"

#ifdef NORVA_WITH_PRINT
#include "ButtonLabelSheet.h"
#include "LabelPdf.h"
#include "PanelLabelSheet.h"
#endif

bool CheckLabelOptions(const CliOptions& o, QString* error) {
    const bool sawKind = !o.labelKind.isNull();
    if (HasLabelExtension(o.args.value(0), QStringLiteral("VXL")) && (sawKind || o.oneButton)) {
        *error = QStringLiteral("--kind and --one-button are for .NVL files");
        return false;
    }
    if (o.labelKind == QLatin1String("0") || o.labelKind == QLatin1String("4")) {
        *error = QStringLiteral("kind %1 has no button labels").arg(o.labelKind);
        return false;
    }
    if (o.oneButton && o.labelKind != QLatin1String("1")) {
        *error = QStringLiteral("--one-button is for kind 1");
        return false;
    }
    return true;
}

#ifdef NORVA_WITH_PRINT

int RunLabels(CliSession& s) {
    const CliOptions& o = s.Options();
    CliHost& host = s.Host();
    const QString in = o.args[0], out = o.args[1];
    const bool panel = HasLabelExtension(in, QStringLiteral("VXL"));
    if (!panel && !HasLabelExtension(in, QStringLiteral("NVL"))) {
        host.Note(in + QStringLiteral(": Selected file isn't file for labels Norva collection"));
        return kExitFailed;
    }
    print::PrintOutcome written;
    try {
        if (panel) {
            const PanelLabelFile file = ReadPanelLabelFile(in);
            print::PanelJob job;
            job.texts = file.texts;
            job.size = PanelSizeFromText(file.sizeText, PanelSize::S22x62);
            job.pictures = file.pictures;
            QStringList unusable;
            written = print::WriteLabelsPdf(out, QStringLiteral("Label Norva DoorPhone"),
                                            [&](print::LabelCanvas& canvas) {
                                                unusable = print::PrintPanelLabels(canvas, job);
                                            });
            for (const QString& u : unusable)
                host.Note(QStringLiteral("picture left out: ") + Printable(u));
        } else {
            const LabelTexts texts = ReadButtonLabelFile(in);
            const QString kind = o.labelKind.isEmpty() ? QStringLiteral("2") : o.labelKind;
            const print::ButtonLabelLayout layout = print::ButtonLayoutFor(kind, o.oneButton);
            written = print::WriteLabelsPdf(
                out, QStringLiteral("Label Norva"), [&](print::LabelCanvas& canvas) {
                    print::ButtonLabelSheet(canvas, layout).PrintAll(texts);
                });
        }
    } catch (const LabelFileError& e) {
        host.Note(e.text());
        return kExitFailed;
    }
    if (!written.ok) {
        host.Note(written.Message());
        return kExitFailed;
    }
    return kExitOk;
}

#else

int RunLabels(CliSession& s) {
    s.Host().Note(QStringLiteral("this norvaset-cli was built without printing"));
    return kExitUsage;
}

#endif
