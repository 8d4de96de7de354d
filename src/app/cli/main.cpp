// norvaset-cli: the door-phone commands of the window for scripts and installers.

#include "AppConfig.h"
#include "CliApp.h"
#include "CliHost.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
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
