#include "CableAccess.h"

#include <grp.h>
#include <sys/stat.h>

QString DeviceGroup(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(path.toLocal8Bit().constData(), &info) != 0) return QString();
    const struct group* g = ::getgrgid(info.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString();
}

QString OpenProblemText(const OpenProblem& problem, const QString& cable) {
    const QString where =
        problem.path.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(problem.path);
    switch (problem.reason) {
    case OpenFailure::None: return QString();
    case OpenFailure::Permission: {
        const QString group = DeviceGroup(problem.path);
        QString text = QStringLiteral("The cable %1%2 is plugged in, but this user may not open "
                                      "it (permission denied). Install NorvaSet's udev rule "
                                      "(60-norvaset.rules in /usr/lib/udev/rules.d or "
                                      "/etc/udev/rules.d) and plug the cable in again")
                           .arg(cable, where);
        if (!group.isEmpty() && group != QLatin1String("root"))
            text += QStringLiteral(", or add the user to the group \"%1\" that owns %2 "
                                   "(sudo usermod -aG %1 $USER) and log in again")
                        .arg(group, problem.path);
        return text + QLatin1Char('.');
    }
    case OpenFailure::Busy:
        return QStringLiteral("The cable %1%2 is busy: another program has it open. Close that "
                              "program and try again.")
            .arg(cable, where);
    case OpenFailure::Gone:
        return QStringLiteral("The cable %1%2 was unplugged before it could be opened.")
            .arg(cable, where);
    case OpenFailure::Other:
        return QStringLiteral("The cable %1%2 cannot be opened: %3.")
            .arg(cable, where, problem.detail);
    }
    return QString();
}
