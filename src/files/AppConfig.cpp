#include "AppConfig.h"

#include "Version.h"

#include <QDir>
#include <QFile>

QString VersionText(int major, int minor, int release, int build) {
    return QString::asprintf("%d.%02d.%02d.%02d", major, minor, release, build);
}

QString ProgramVersionText() {
    return VersionText(NORVA_VERSION_MAJOR, NORVA_VERSION_MINOR, NORVA_VERSION_PATCH,
                       NORVA_VERSION_TWEAK + 0);
}

namespace {
QString ConfigPath(const QString& folder) {
    return QDir(folder).filePath(QLatin1String(AppConfig::kFileName));
}

void WriteGroups(IniFile& ini, const QString& languageFileName, int logFile, int communicator) {
    ini.WriteString(QStringLiteral("Info"),
                    QStringLiteral("Config file with basic setting of program NorvaSet"),
                    QStringLiteral("OK"));
    ini.WriteString(QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"));
    ini.WriteInteger(QStringLiteral("Setup"), QStringLiteral("USB"), 1);
    ini.WriteString(QStringLiteral("Setup"), QStringLiteral("Lang"), languageFileName);
    ini.WriteInteger(QStringLiteral("Setup"), QStringLiteral("LOGFILE"), logFile);
    ini.WriteInteger(QStringLiteral("Setup"), QStringLiteral("Communicator"), communicator);
}
} // namespace

bool AppConfig::LoadOrCreate(const QString& programFolder, QString* error) {
    const QString path = ConfigPath(programFolder);
    IniFile ini;
    existed = QFile::exists(path) && ini.Load(path);
    if (existed) {
        ini.ReadInteger(QStringLiteral("Setup"), QStringLiteral("USB"), 1);
        languageKeyPresent = ini.HasKey(QStringLiteral("Setup"), QStringLiteral("Lang"));
        languageFile = ini.ReadString(QStringLiteral("Setup"), QStringLiteral("Lang"),
                                      QDir(programFolder).filePath(QStringLiteral("English.lng")));
        logFile = ini.ReadInteger(QStringLiteral("Setup"), QStringLiteral("LOGFILE"), 0);
        communicator = ini.ReadInteger(QStringLiteral("Setup"), QStringLiteral("Communicator"), 0);
        return true;
    }
    languageFile = QStringLiteral("English.lng");
    logFile = 0;
    communicator = 0;
    IniFile fresh;
    WriteGroups(fresh, languageFile, 0, 0);
    if (!fresh.Save(path)) {
        if (error) *error = fresh.errorString();
        return false;
    }
    return true;
}

bool AppConfig::Write(const QString& programFolder, const QString& languageFileName,
                      bool logEnabled, int communicator, QString* error) {
    const QString path = ConfigPath(programFolder);
    IniFile ini;
    ini.Load(path);
    WriteGroups(ini, languageFileName, logEnabled ? 1 : 0, communicator);
    if (!ini.Save(path)) {
        if (error) *error = ini.errorString();
        return false;
    }
    return true;
}

QString AppConfig::ReadLastHexFile(const QString& programFolder) {
    IniFile ini;
    ini.Load(ConfigPath(programFolder));
    const QString folder = QDir(programFolder).absolutePath() + QLatin1Char('/');
    const QString value = ini.ReadString(QStringLiteral("PATH"), QStringLiteral("FIRM"), folder);
    return value.size() < 3 ? folder : value;
}

bool AppConfig::WriteLastHexFile(const QString& programFolder, const QString& path) {
    IniFile ini;
    ini.Load(ConfigPath(programFolder));
    ini.WriteString(QStringLiteral("PATH"), QStringLiteral("FIRM"), path);
    return ini.Save(ConfigPath(programFolder));
}
