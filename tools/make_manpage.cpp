// Writes a program's manual page from its own --help text, at build time, so that the page
// and --help cannot drift apart:
//   make_manpage PROGRAM NAME "SUMMARY" "SOURCE" OUT.1 [SEE-ALSO...]

#include "ManPage.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 6) {
        std::fputs("usage: make_manpage PROGRAM NAME SUMMARY SOURCE OUT.1 [SEE-ALSO...]\n", stderr);
        return 2;
    }
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The programs answer --help without a display; a sanitizer build must not count the
    // libraries' leftovers at exit as a failure.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    program.setProcessEnvironment(env);
    program.start(args[1], {QStringLiteral("--help")});
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit ||
        program.exitCode() != 0) {
        std::fprintf(stderr, "make_manpage: %s --help failed: %s\n", qPrintable(args[1]),
                     program.readAllStandardError().constData());
        return 1;
    }
    ManPageInfo info;
    info.name = args[2];
    info.summary = args[3];
    info.source = args[4];
    info.seeAlso = args.mid(6);
    const QString page =
        ManPageFromHelp(info, QString::fromLocal8Bit(program.readAllStandardOutput()));
    if (page.isEmpty()) {
        std::fprintf(stderr, "make_manpage: %s --help has no \"Usage:\" line\n",
                     qPrintable(args[1]));
        return 1;
    }
    QSaveFile out(args[5]);
    if (!out.open(QIODevice::WriteOnly) || out.write(page.toUtf8()) < 0 || !out.flush() ||
        !out.commit()) {
        std::fprintf(stderr, "make_manpage: %s: %s\n", qPrintable(args[5]),
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
