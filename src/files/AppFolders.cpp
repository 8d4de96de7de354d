#include "AppFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

namespace {
QString WithSlash(const QString& folder) {
    return QDir::cleanPath(QDir(folder).absolutePath()) + QLatin1Char('/');
}

// The window and the command line share one set of user folders, whatever their
// application names are.
QString UserFolder(QStandardPaths::StandardLocation where) {
    return QStandardPaths::writableLocation(where) + QStringLiteral("/norvaset");
}
} // namespace

bool AppFolders::CanWrite(const QString& folder) {
    if (!QFileInfo(folder).isDir()) return false;
    QFile probe(QDir(folder).filePath(
        QStringLiteral(".norvaset-probe-%1").arg(QCoreApplication::applicationPid())));
    if (!probe.open(QIODevice::WriteOnly)) return false;
    probe.close();
    probe.remove();
    return true;
}

AppFolders AppFolders::Resolve(const QString& home) {
    Places places;
    places.home = home;
    return Resolve(places);
}

bool AppFolders::IsInstalledLayout(const QString& executableDir, const QString& shareDir) {
    return QDir(executableDir).dirName() == QLatin1String("bin") && QFileInfo(shareDir).isDir();
}

AppFolders AppFolders::Resolve(const Places& p) {
    AppFolders f;
    const QString exeDir = WithSlash(
        p.executableDir.isEmpty() ? QCoreApplication::applicationDirPath() : p.executableDir);
    const QString share =
        WithSlash(p.shareDir.isEmpty() ? exeDir + QStringLiteral("../share/norvaset") : p.shareDir);
    f.userData_ = WithSlash(
        p.userDataDir.isEmpty() ? UserFolder(QStandardPaths::GenericDataLocation) : p.userDataDir);
    const QString userConfig =
        WithSlash(p.userConfigDir.isEmpty() ? UserFolder(QStandardPaths::GenericConfigLocation)
                                            : p.userConfigDir);
    f.program_ = p.home.isEmpty() ? exeDir : WithSlash(p.home);
    f.config_ = f.data_ = f.program_;
    // Decided by where the program lies, not by a write test: root passes any write test.
    f.installed_ = p.home.isEmpty() && IsInstalledLayout(exeDir, share);
    if (f.installed_ || !CanWrite(f.program_)) {
        // A --home folder the user asked for still holds the configuration that is read.
        if (p.home.isEmpty()) {
            f.userFolders_ = true;
            f.config_ = userConfig;
            QDir().mkpath(f.config_);
        }
        f.data_ = f.userData_;
        QDir().mkpath(f.data_);
    }
    // A folder given with --home holds what it holds, as it always did; only the installed
    // data stands behind it, so that a fresh folder still starts with languages and models.
    f.shipped_ << f.program_;
    if (share != f.program_) f.shipped_ << share;
    return f;
}

QString AppFolders::SettingsFolder(const QString& lastSettingsFile) const {
    if (!lastSettingsFile.isEmpty()) {
        const QFileInfo last(lastSettingsFile);
        if (last.absoluteDir().exists()) return WithSlash(last.absolutePath());
    }
    if (!installed_) return program_;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return WithSlash(documents);
    return WithSlash(QDir::homePath());
}

QString AppFolders::Find(const QString& name) const {
    for (const QString& folder : shipped_) {
        QString path = folder + name;
        if (QFileInfo::exists(path)) return path;
    }
    return program_ + name;
}

QString AppFolders::Locate(const QString& name) const {
    if (name.isEmpty() || QDir::isAbsolutePath(name)) return QDir(program_).filePath(name);
    return Find(name);
}

QStringList AppFolders::List(const QString& pattern) const {
    QStringList paths;
    QSet<QString> seen;
    for (const QString& folder : shipped_) {
        const QStringList names = QDir(folder).entryList(
            {pattern}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
        for (const QString& name : names) {
            if (seen.contains(name.toLower())) continue;
            seen.insert(name.toLower());
            paths << folder + name;
        }
    }
    return paths;
}
