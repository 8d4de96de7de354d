#include "SettingsFileName.h"

bool IsUsableSettingsName(const QString& path) {
    return path.size() >= 8;
}

bool HasSettingsExtension(const QString& path) {
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? path : path.mid(dot + 1);
    return extension.trimmed().toUpper() == QLatin1String("NVS");
}

QString SettingsFileShortName(const QString& path) {
    const int slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}
