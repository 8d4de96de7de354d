#include "WindowOptions.h"

#include "HelpText.h"

namespace {
constexpr int kColumn = 22; // where the descriptions start
constexpr int kWidth = 88;  // the longest line

// An entry of --help: the term, its description from kColumn on.
QString Wrapped(const QString& lead, const QString& text) {
    return HelpEntry(lead, text, kColumn, kWidth);
}

QString Shown(const WindowOption& o) {
    if (!o.shown.isEmpty()) return o.shown;
    QStringList forms;
    for (const QString& n : o.names)
        forms << (n.size() == 1 ? QLatin1String("-") : QLatin1String("--")) + n;
    QString text = forms.join(QStringLiteral(", "));
    if (!o.valueName.isEmpty()) text += QLatin1Char(' ') + o.valueName;
    return text;
}
} // namespace

const QList<WindowOption>& WindowOptions() {
    static const QList<WindowOption> options = {
        {{QStringLiteral("simulator")},
         {},
         QStringLiteral("talk to the simulated door phone instead of a cable (its memory kept "
                        "in DIR)"),
         QStringLiteral("--simulator[=DIR]")},
        {{QStringLiteral("port")},
         QStringLiteral("PATH"),
         QStringLiteral("use this serial device as the cable"),
         {}},
        {{QStringLiteral("home")},
         QStringLiteral("DIR"),
         QStringLiteral("use DIR as the program folder: its files come first, and it keeps "
                        "Config.ini, the logs and the backups"),
         {}},
        {{QStringLiteral("screenshots")},
         QStringLiteral("DIR"),
         QStringLiteral("save a picture of every page into DIR, then quit (questions are "
                        "answered No and messages are printed)"),
         {}},
        {{QStringLiteral("h"), QStringLiteral("help")},
         {},
         QStringLiteral("print this help and quit"),
         {}},
        {{QStringLiteral("version")}, {}, QStringLiteral("print the version and quit"), {}},
    };
    return options;
}

QString WindowUsage() {
    QString out = QStringLiteral(
        "Usage: norvaset [options] [settings.nvs]\n"
        "\n"
        "Reads, edits and writes the settings of the Norva door phone through its USB\n"
        "programming cable; saves, compares and prints them, prints button labels and\n"
        "upgrades the door phone's firmware. A settings file named on the command line is\n"
        "opened at the start. Only one NorvaSet window runs at a time for a user.\n"
        "\n"
        "Options:\n");
    for (const WindowOption& o : WindowOptions())
        out += Wrapped(QStringLiteral("  ") + Shown(o), o.description);
    out += QStringLiteral("\nFiles:\n");
    out += Wrapped(QStringLiteral("  ~/.config/norvaset/"),
                   QStringLiteral("Config.ini, the program's configuration (a build folder or "
                                  "a --home folder keeps it in that folder)"));
    out += Wrapped(QStringLiteral("  ~/.local/share/norvaset/"),
                   QStringLiteral("the communication log LOG_comm_file.TXT, the firmware log "
                                  "LOG_FW_file.TXT and the backups of every read (Backups/)"));
    out += Wrapped(QStringLiteral("  /usr/share/norvaset/"),
                   QStringLiteral("language files, model templates, pictures and tone "
                                  "recordings"));
    return out;
}
