// The NorvaSet window: one instance per user, the program folder beside the executable.

#include "AppConfig.h"
#include "MainWindow.h"
#include "Screenshots.h"
#include "WindowOptions.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // Answered before anything needs a display or the one-instance lock: a second user of
    // the program, or a shell without a desktop, still gets them.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("norvaset %s\n", ProgramVersionText().toLocal8Bit().constData());
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(WindowUsage().toLocal8Bit().constData(), stdout);
            return 0;
        }
    }
    // One instance only. The lock file holds our process id, so a crashed first instance
    // does not block the next start.
    QString lockDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (lockDir.isEmpty()) lockDir = QDir::tempPath();
    QLockFile lock(QDir(lockDir).filePath(QStringLiteral("NorvaSet.lock")));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QUENDRAL_Connect"));

    // The options of the table; --help and --version were answered above.
    QCommandLineParser parser;
    for (const WindowOption& o : WindowOptions())
        parser.addOption({o.names, o.description, o.valueName});
    const QString home = QStringLiteral("home");
    const QString port = QStringLiteral("port");
    const QString screenshots = QStringLiteral("screenshots");
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Settings file to open."),
                                 QStringLiteral("[file]"));

    // "--simulator" may carry a value after "=", which QCommandLineParser's flag cannot.
    MainWindowOptions options;
    const QStringList args = TakeSimulatorOption(QCoreApplication::arguments(), &options.backend);
    parser.process(args);
    if (parser.isSet(QStringLiteral("simulator"))) options.backend.simulator = true;
    options.backend.port = parser.value(port);
    options.home = parser.value(home);
    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty()) {
        options.hasSettingsFile = true;
        options.settingsFile = positional.first();
    }

    ScriptedDialogs unattended;
    const QString pictures = parser.value(screenshots);
    if (!pictures.isEmpty()) options.dialogs = &unattended;

    TForm1 window(options);
    window.show();
    if (!pictures.isEmpty()) {
        // Let the first status poll answer, so the header shows the door phone's state.
        QTimer::singleShot(3500, &window, [&] {
            QTextStream err(stderr);
            for (const ScriptedDialogs::Shown& s : unattended.shown)
                err << s.kind << ": " << s.text << Qt::endl;
            QString error;
            const QStringList files = SaveScreenshots(window, pictures, &error);
            for (const QString& f : files) QTextStream(stdout) << f << Qt::endl;
            if (!error.isEmpty()) err << error << Qt::endl;
            unattended.answers = {false}; // no save at close
            window.close();
            app.exit(files.isEmpty() ? 1 : 0);
        });
    }
    return app.exec();
}
