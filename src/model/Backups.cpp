#include "Backups.h"

#include "AppConfig.h"
#include "FileAccess.h"
#include "IniFile.h"
#include "NumberMemory.h"
#include "SettingsFile.h"
#include "SettingsModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>

namespace {

const QString kExtension = QStringLiteral(".nvs");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");

const QRegularExpression& BackupNamePattern() {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2})_[A-Za-z0-9._-]+\\.nvs$"));
    return re;
}

// A folder that exists (or can be made) and takes a file: the permission bits alone do
// not say it (a read-only mount, or root that may write anywhere).
bool Writable(const QString& folder, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("%1 cannot be made").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".probe-XXXXXX")));
    if (!probe.open()) {
        if (error)
            *error = QDir::toNativeSeparators(folder) + QStringLiteral(": ") + probe.errorString();
        return false;
    }
    return true;
}

// The same folder for the window and the command line, whatever their application names.
QString UserDataBackups() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir(base).filePath(QStringLiteral("norvaset/") +
                               QLatin1String(BackupFolder::kFolderName));
}

} // namespace

QString BackupContentTag(BackupContent what) {
    switch (what) {
    case BackupContent::Parameters: return QStringLiteral("parameters");
    case BackupContent::Numbers: return QStringLiteral("numbers");
    case BackupContent::All: break;
    }
    return QStringLiteral("all");
}

QString SafeFileNamePart(const QString& text) {
    // Accented letters keep their base letter ("Vrátník" is "Vratnik").
    const QString plain = text.normalized(QString::NormalizationForm_KD);
    QString out;
    bool gap = false;
    for (const QChar c : plain) {
        if (c.isMark()) continue;
        const char16_t u = c.unicode();
        const bool safe = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                          (u >= '0' && u <= '9') || u == '.' || u == '_' || u == '-';
        // "-" joins words; a "." at the start would hide the file.
        if (safe && u != '-' && !(u == '.' && out.isEmpty())) {
            if (gap && !out.isEmpty()) out += QLatin1Char('-');
            gap = false;
            out += c;
        } else {
            gap = true;
        }
    }
    return out;
}

QString BackupFileName(const QDateTime& at, const QString& model, const QString& firmware,
                       BackupContent what) {
    QString modelPart = SafeFileNamePart(model);
    if (modelPart.isEmpty()) modelPart = QStringLiteral("unknown");
    QString firmwarePart = SafeFileNamePart(firmware);
    if (firmwarePart.isEmpty()) firmwarePart = QStringLiteral("unknown");
    return at.toString(kTimeFormat) + QLatin1Char('_') + modelPart + QStringLiteral("_fw") +
           firmwarePart + QLatin1Char('_') + BackupContentTag(what) + kExtension;
}

bool IsBackupFileName(const QString& fileName) {
    return BackupNamePattern().match(fileName).hasMatch();
}

QByteArray BackupBytes(const SettingsModel& model, BackupContent what) {
    if (what != BackupContent::Parameters) return SettingsFileBytes(model);
    SettingsModel copy;
    copy.CopyFrom(model);
    for (const int record : NumberRecordOrder()) copy.SetText(NumberFieldForRecord(record), {});
    return SettingsFileBytes(copy);
}

BackupFolder::BackupFolder(const QString& dataFolder, const QString& fallback)
    : dataFolder_(dataFolder), fallback_(fallback.isEmpty() ? UserDataBackups() : fallback) {}

QString BackupFolder::Path(QString* error) const {
    const QString own = QDir(dataFolder_).filePath(QLatin1String(kFolderName));
    QString ownError;
    if (Writable(own, &ownError)) return QDir::cleanPath(own);
    QString fallbackError;
    if (Writable(fallback_, &fallbackError)) return QDir::cleanPath(fallback_);
    if (error) *error = ownError + QLatin1Char('\n') + fallbackError;
    return QString();
}

QString BackupFolder::Save(const QByteArray& bytes, const QDateTime& at, const QString& model,
                           const QString& firmware, BackupContent what, QString* error) const {
    const QString folder = Path(error);
    if (folder.isEmpty()) return QString();
    const QString name = BackupFileName(at, model, firmware, what);
    QString path = QDir(folder).filePath(name);
    for (int n = 2; QFile::exists(path); ++n) {
        QString numbered = name;
        numbered.insert(name.size() - kExtension.size(), QStringLiteral("-%1").arg(n));
        path = QDir(folder).filePath(numbered);
    }
    QString reason;
    if (!WriteWholeFile(path, bytes, &reason)) {
        if (error) *error = QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
        return QString();
    }
    Prune(folder);
    return path;
}

QStringList BackupFolder::List(const QString& folder) {
    struct Entry {
        QString stamp;
        qint64 written;
        int number; // 1, or n of a "-n" name made in the same second
        QString name;
    };
    static const QRegularExpression numbered(QStringLiteral("-(\\d+)\\.nvs$"));
    std::vector<Entry> entries;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& info : files) {
        const auto match = BackupNamePattern().match(info.fileName());
        if (!match.hasMatch()) continue;
        const auto n = numbered.match(info.fileName());
        entries.push_back({match.captured(1),
                           info.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch(),
                           n.hasMatch() ? n.captured(1).toInt() : 1, info.fileName()});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.stamp != b.stamp) return a.stamp < b.stamp;
        if (a.written != b.written) return a.written < b.written;
        if (a.number != b.number) return a.number < b.number;
        return a.name < b.name;
    });
    QStringList out;
    for (const Entry& e : entries) out << QDir(folder).filePath(e.name);
    return out;
}

int BackupFolder::Prune(const QString& folder, int keep) {
    const QStringList all = List(folder);
    int removed = 0;
    for (int i = 0; i + std::max(keep, 0) < all.size(); ++i)
        if (QFile::remove(all[i])) ++removed;
    return removed;
}

BackupOptions BackupOptions::Read(const QString& programFolder) {
    IniFile ini;
    ini.Load(QDir(programFolder).filePath(QLatin1String(AppConfig::kFileName)));
    const QString section = QLatin1String(kSection);
    BackupOptions o;
    o.verifyAfterWrite = ini.ReadInteger(section, QStringLiteral("VerifyAfterWrite"), 1) != 0;
    o.backupBeforeWrite = ini.ReadInteger(section, QStringLiteral("BackupBeforeWrite"), 1) != 0;
    return o;
}

bool BackupOptions::Write(const QString& programFolder, QString* error) const {
    const QString path = QDir(programFolder).filePath(QLatin1String(AppConfig::kFileName));
    IniFile ini;
    if (!IsRegularFile(path) || !ini.Load(path)) {
        if (error) *error = QDir::toNativeSeparators(path) + QStringLiteral(": File not found");
        return false;
    }
    const QString section = QLatin1String(kSection);
    ini.WriteInteger(section, QStringLiteral("VerifyAfterWrite"), verifyAfterWrite ? 1 : 0);
    ini.WriteInteger(section, QStringLiteral("BackupBeforeWrite"), backupBeforeWrite ? 1 : 0);
    if (!ini.Save(path)) {
        if (error) *error = ini.errorString();
        return false;
    }
    return true;
}
