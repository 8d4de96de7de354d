#include "CableAccess.h"

#include <QDir>
#include <QFileInfo>

#include <grp.h>
#include <sys/stat.h>

namespace {
const char kRuleFile[] = "60-norvaset.rules";
} // namespace

QString DeviceGroup(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(path.toLocal8Bit().constData(), &info) != 0) return QString();
    const struct group* g = ::getgrgid(info.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString();
}

QStringList UdevRuleFolders() {
    return {QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/run/udev/rules.d"),
            QStringLiteral("/usr/local/lib/udev/rules.d"), QStringLiteral("/usr/lib/udev/rules.d"),
            QStringLiteral("/lib/udev/rules.d")};
}

bool UdevRuleInstalled(const QStringList& folders) {
    // udev takes the first folder's file of a name; an empty one or a link to /dev/null
    // there switches the rule off.
    for (const QString& folder : folders) {
        const QFileInfo rule(QDir(folder).filePath(QLatin1String(kRuleFile)));
        if (!rule.exists() && !rule.isSymLink()) continue;
        return rule.isFile() && rule.size() > 0;
    }
    return false;
}

QString OpenProblemText(const OpenProblem& problem, const QString& cable) {
    return OpenProblemText(problem, cable,
                           problem.reason == OpenFailure::Permission && UdevRuleInstalled());
}

QString OpenProblemText(const OpenProblem& problem, const QString& cable, bool ruleInstalled) {
    const QString where =
        problem.path.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(problem.path);
    switch (problem.reason) {
    case OpenFailure::None: return QString();
    case OpenFailure::Permission: {
        const QString group = DeviceGroup(problem.path);
        const bool groupKnown = !group.isEmpty() && group != QLatin1String("root");
        QString text = QStringLiteral("The cable %1%2 is plugged in, but this user may not open "
                                      "it (permission denied). ")
                           .arg(cable, where);
        if (ruleInstalled) {
            // The rule is there: it takes effect when the cable is plugged in again; a group
            // the user was just added to counts from the next login.
            text += QStringLiteral("NorvaSet's udev rule is installed: unplug the cable and plug "
                                   "it in again");
            if (groupKnown)
                text += QStringLiteral(", or, when the user has been added to the group \"%1\" "
                                       "that owns %2, log out and in again")
                            .arg(group, problem.path);
        } else {
            text += QStringLiteral("Install NorvaSet's udev rule (60-norvaset.rules in "
                                   "/usr/lib/udev/rules.d or /etc/udev/rules.d) and plug the "
                                   "cable in again");
            if (groupKnown)
                text += QStringLiteral(", or add the user to the group \"%1\" that owns %2 "
                                       "(sudo usermod -aG %1 $USER) and log in again")
                            .arg(group, problem.path);
        }
        return text + QLatin1Char('.');
    }
    case OpenFailure::Busy:
        return QStringLiteral("The cable %1%2 is busy: another program has it open. Close that "
                              "program and try again.")
            .arg(cable, where);
    case OpenFailure::Gone:
        return QStringLiteral("The cable %1%2 was unplugged before it could be opened.")
            .arg(cable, where);
    case OpenFailure::Missing:
        return QStringLiteral("The cable %1 cannot be opened: there is no device %2 (no such "
                              "device). Plug the cable in, or check the name of the port.")
            .arg(cable, problem.path);
    case OpenFailure::Other:
        return QStringLiteral("The cable %1%2 cannot be opened: %3.")
            .arg(cable, where, problem.detail);
    }
    return QString();
}

QString OpenProblemBrief(const OpenProblem& problem) {
    const QString at = problem.path.isEmpty() ? QString() : QLatin1Char(' ') + problem.path;
    switch (problem.reason) {
    case OpenFailure::None: return QString();
    case OpenFailure::Permission: return QStringLiteral("permission denied") + at;
    case OpenFailure::Busy: return QStringLiteral("busy") + at;
    case OpenFailure::Gone: return QStringLiteral("unplugged") + at;
    case OpenFailure::Missing: return QStringLiteral("no such device") + at;
    case OpenFailure::Other: return QStringLiteral("cannot be opened") + at;
    }
    return QString();
}
