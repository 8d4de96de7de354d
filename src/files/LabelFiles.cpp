#include "LabelFiles.h"

#include "FileAccess.h"
#include "IniFile.h"

namespace {

const QString kTexts = QStringLiteral("N");
const QString kSize = QStringLiteral("R");
const QString kPictures = QStringLiteral("F");

IniFile FromBytes(const QByteArray& bytes) {
    IniFile ini;
    ini.LoadText(IniFile::DecodeBytes(bytes));
    return ini;
}

IniFile ReadWhole(const QString& path) {
    // A label file is a few kilobytes of INI text: a folder, a FIFO, a device or a file
    // beyond an INI file's size is refused before anything is read.
    const FileContents contents = ReadBoundedFile(path, kMaxIniFileBytes);
    switch (contents.failure) {
    case FileContents::Failure::None: break;
    case FileContents::Failure::Missing:
    case FileContents::Failure::NotAFile:
        throw LabelFileError(QStringLiteral("File not found: ") + path);
    case FileContents::Failure::TooLarge:
        throw LabelFileError(path + QStringLiteral(": ") + contents.error);
    case FileContents::Failure::Unreadable:
        throw LabelFileError(QStringLiteral("File access denied: ") + path);
    }
    return FromBytes(contents.bytes);
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

PanelLabelFile PanelLabelsFrom(const IniFile& ini) {
    PanelLabelFile file;
    file.texts = ReadTexts(ini);
    file.sizeText = ini.ReadString(kSize, QStringLiteral("1"), QStringLiteral("1"));
    for (int k = 0; k < kPanelLabelCount; ++k)
        file.pictures[k] = ini.ReadString(kPictures, QString::number(k + 1), QString());
    return file;
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

LabelTexts ButtonLabelsFromBytes(const QByteArray& bytes) {
    return ReadTexts(FromBytes(bytes));
}

void WriteButtonLabelFile(const QString& path, const LabelTexts& texts) {
    SaveWhole(path, ButtonLabelFileText(texts));
}

PanelLabelFile ReadPanelLabelFile(const QString& path) {
    return PanelLabelsFrom(ReadWhole(path));
}

PanelLabelFile PanelLabelsFromBytes(const QByteArray& bytes) {
    return PanelLabelsFrom(FromBytes(bytes));
}

void WritePanelLabelFile(const QString& path, const LabelTexts& texts, PanelSize size,
                         const std::array<QString, kPanelLabelCount>& pictures) {
    SaveWhole(path, PanelLabelFileText(texts, size, pictures));
}
