// The NorvaSet window: one instance per user, the program folder beside the executable.

#include "AppConfig.h"
#include "MainWindow.h"
#include "Screenshots.h"

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
    // Answered before anything needs a display or the one-instance lock.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("norvaset %s\n", ProgramVersionText().toLocal8Bit().constData());
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

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Settings of the Norva door phone"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("version"), QStringLiteral("Print the version and quit.")});
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("Use DIR as the program folder."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Use this serial device as the cable."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption screenshots(
        QStringLiteral("screenshots"),
        QStringLiteral("Save a picture of every page into DIR, then quit (questions are "
                       "answered No and messages are printed)."),
        QStringLiteral("DIR"));
    parser.addOption(home);
    parser.addOption(port);
    parser.addOption(screenshots);
    parser.addOption({QStringLiteral("simulator"),
                      QStringLiteral("Talk to the simulated door phone (--simulator=DIR keeps "
                                     "its memory in DIR).")});
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
