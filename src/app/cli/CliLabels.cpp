#include "CliLabels.h"

#include <cstdio>

#ifdef NORVA_WITH_PRINT

#include "ButtonLabelSheet.h"
#include "CliApp.h"
#include "LabelFiles.h"
#include "LabelPdf.h"
#include "PanelLabelSheet.h"

namespace {

int Fail(int code, const QString& text) {
    std::fprintf(stderr, "norvaset-cli: %s\n", text.toLocal8Bit().constData());
    return code;
}

} // namespace

int RunLabelsCommand(const QStringList& args) {
    QStringList files;
    QString kind = QStringLiteral("2");
    bool oneButton = false, sawKind = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--one-button")) {
            oneButton = true;
        } else if (a == QLatin1String("--kind") || a.startsWith(QLatin1String("--kind="))) {
            if (a.contains(QLatin1Char('='))) {
                kind = a.mid(a.indexOf(QLatin1Char('=')) + 1);
            } else if (i + 1 < args.size()) {
                kind = args[++i];
            } else {
                return Fail(kExitUsage, QStringLiteral("--kind needs a value: 1, 2, 3 or other"));
            }
            sawKind = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return Fail(kExitUsage, QStringLiteral("unknown option '%1' for labels").arg(a));
        } else {
            files << a;
        }
    }
    if (files.size() != 2)
        return Fail(kExitUsage, QStringLiteral("labels needs IN.nvl|IN.vxl and OUT.pdf"));
    const QString in = files[0], out = files[1];
    const bool panel = HasLabelExtension(in, QStringLiteral("VXL"));
    if (!panel && !HasLabelExtension(in, QStringLiteral("NVL")))
        return Fail(kExitFailed, QStringLiteral("%1: Selected file isn't file for labels Norva "
                                                "collection")
                                     .arg(in));
    if (panel && (sawKind || oneButton))
        return Fail(kExitUsage, QStringLiteral("--kind and --one-button are for .NVL files"));
    if (kind == QLatin1String("0") || kind == QLatin1String("4"))
        return Fail(kExitUsage, QStringLiteral("kind %1 has no button labels").arg(kind));
    if (oneButton && kind != QLatin1String("1"))
        return Fail(kExitUsage, QStringLiteral("--one-button is for kind 1"));

    QString error;
    bool written = false;
    try {
        if (panel) {
            const PanelLabelFile file = ReadPanelLabelFile(in);
            print::PanelJob job;
            job.texts = file.texts;
            job.size = PanelSizeFromText(file.sizeText, PanelSize::S22x62);
            job.pictures = file.pictures;
            QStringList unusable;
            written = print::WriteLabelsPdf(
                out, QStringLiteral("Label Norva DoorPhone"),
                [&](print::LabelCanvas& canvas) {
                    unusable = print::PrintPanelLabels(canvas, job);
                },
                &error);
            for (const QString& u : unusable) Fail(0, QStringLiteral("picture left out: ") + u);
        } else {
            const LabelTexts texts = ReadButtonLabelFile(in);
            const print::ButtonLabelLayout layout = print::ButtonLayoutFor(kind, oneButton);
            written = print::WriteLabelsPdf(
                out, QStringLiteral("Label Norva"),
                [&](print::LabelCanvas& canvas) {
                    print::ButtonLabelSheet(canvas, layout).PrintAll(texts);
                },
                &error);
        }
    } catch (const LabelFileError& e) { return Fail(kExitFailed, e.text()); }
    if (!written) return Fail(kExitFailed, out + QStringLiteral(": ") + error);
    return kExitOk;
}

#else

int RunLabelsCommand(const QStringList&) {
    std::fprintf(stderr, "norvaset-cli: this build has no printing\n");
    return 2;
}

#endif
