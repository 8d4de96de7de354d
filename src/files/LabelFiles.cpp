#include "LabelFiles.h"

#include "IniFile.h"

#include <QFile>

namespace {

const QString kTexts = QStringLiteral("N");
const QString kSize = QStringLiteral("R");
const QString kPictures = QStringLiteral("F");

IniFile ReadWhole(const QString& path) {
    QFile file(path);
    if (!file.exists()) throw LabelFileError(QStringLiteral("File not found: ") + path);
    if (!file.open(QIODevice::ReadOnly))
        throw LabelFileError(QStringLiteral("File access denied: ") + path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw LabelFileError(QStringLiteral("Disk read error: ") + file.errorString());
    IniFile ini;
    ini.LoadText(IniFile::DecodeBytes(bytes));
    return ini;
}

LabelTexts ReadTexts(const IniFile& ini) {
    LabelTexts texts;
    for (int i = 0; i < kLabelTextCount; ++i)
        texts[i] = ini.ReadString(kTexts, QString::number(i + 1), QString());
    return texts;
}

void WriteTexts(IniFile& ini, const LabelTexts& texts) {
    for (int i = 0; i < kLabelTextCount; ++i)
        ini.WriteString(kTexts, QString::number(i + 1), texts[i]);
}

void SaveWhole(const QString& path, const QString& text) {
    IniFile ini;
    ini.LoadText(text);
    // A fresh profile: the saved file holds exactly the label keys, whatever an
    // overwritten file held before.
    if (!ini.Save(path))
        throw LabelFileError(QStringLiteral("Disk write error: ") + ini.errorString());
}

} // namespace

LabelFileError::LabelFileError(const QString& text)
    : std::runtime_error(text.toStdString()), text_(text) {}

bool HasLabelExtension(const QString& fileName, const QString& extension) {
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString after = dot < 0 ? fileName : fileName.mid(dot + 1);
    return after.trimmed().toUpper() == extension;
}

PanelSize PanelSizeFromText(const QString& value, PanelSize current) {
    if (QString::compare(value, QLatin1String("1")) <= 0) return PanelSize::S22x62;
    if (value == QLatin1String("2")) return PanelSize::S28x62;
    if (value == QLatin1String("3")) return PanelSize::S41x62;
    if (QString::compare(value, QLatin1String("4")) >= 0) return PanelSize::S56x62;
    return current;
}

QString ButtonLabelFileText(const LabelTexts& texts) {
    IniFile ini;
    WriteTexts(ini, texts);
    return ini.ToText();
}

QString PanelLabelFileText(const LabelTexts& texts, PanelSize size,
                           const std::array<QString, kPanelLabelCount>& pictures) {
    IniFile ini;
    WriteTexts(ini, texts);
    ini.WriteInteger(kSize, QStringLiteral("1"), static_cast<int>(size));
    for (int k = 0; k < kPanelLabelCount; ++k)
        ini.WriteString(kPictures, QString::number(k + 1), pictures[k]);
    return ini.ToText();
}

LabelTexts ReadButtonLabelFile(const QString& path) {
    return ReadTexts(ReadWhole(path));
}

void WriteButtonLabelFile(const QString& path, const LabelTexts& texts) {
    SaveWhole(path, ButtonLabelFileText(texts));
}

PanelLabelFile ReadPanelLabelFile(const QString& path) {
    const IniFile ini = ReadWhole(path);
    PanelLabelFile file;
    file.texts = ReadTexts(ini);
    file.sizeText = ini.ReadString(kSize, QStringLiteral("1"), QStringLiteral("1"));
    for (int k = 0; k < kPanelLabelCount; ++k)
        file.pictures[k] = ini.ReadString(kPictures, QString::number(k + 1), QString());
    return file;
}

void WritePanelLabelFile(const QString& path, const LabelTexts& texts, PanelSize size,
                         const std::array<QString, kPanelLabelCount>& pictures) {
    SaveWhole(path, PanelLabelFileText(texts, size, pictures));
}
