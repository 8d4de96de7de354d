// norvaset-cli: the door-phone commands of the window for scripts and installers.

#include "AppConfig.h"
#include "CliApp.h"
#include "CliHost.h"

#include <QCoreApplication>
#ifdef NORVA_WITH_PRINT
#include <QGuiApplication>
#endif
#include <cstdio>

namespace {
QtMessageHandler gQtMessages = nullptr;

// The command line needs no runtime folder, but the paint system looks for one as it
// starts. Under su, runuser or cron there is none, and Qt's remark about it would be the
// only line on stderr that is not the program's own; everything else Qt says is kept.
void WithoutRuntimeFolderRemarks(QtMsgType type, const QMessageLogContext& context,
                                 const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: ")) &&
        (message.contains(QLatin1String("XDG_RUNTIME_DIR")) ||
         message.contains(QLatin1String("runtime directory"))))
        return;
    if (gQtMessages) gQtMessages(type, context, message);
}
} // namespace

int main(int argc, char** argv) {
    gQtMessages = qInstallMessageHandler(WithoutRuntimeFolderRemarks);
#ifdef NORVA_WITH_PRINT
    // Printing to a PDF needs fonts and a paint system but no screen: the offscreen
    // platform gives both, also on a machine without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QCoreApplication::setApplicationName(QStringLiteral("norvaset-cli"));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    CliOptions options;
    QString error;
    if (!ParseCliArguments(args, &options, &error)) {
        std::fprintf(stderr, "norvaset-cli: %s\nTry 'norvaset-cli --help'.\n",
                     error.toLocal8Bit().constData());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(CliUsage().toLocal8Bit().constData(), stdout);
        return kExitOk;
    }
    if (options.version) {
        std::printf("norvaset-cli %s\n", ProgramVersionText().toLocal8Bit().constData());
        return kExitOk;
    }
    CliHost host;
    return RunCli(options, host);
}
