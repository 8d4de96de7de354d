#include "LabelFiles.h"

#include "FileAccess.h"
#include "IniFile.h"

#include <QFileInfo>

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
    using Reason = LabelFileError::Reason;
    // A label file is a few kilobytes of INI text: a folder, a FIFO, a device or a file
    // beyond an INI file's size is refused before anything is read.
    const FileContents contents = ReadBoundedFile(path, kMaxIniFileBytes);
    switch (contents.failure) {
    case FileContents::Failure::None: break;
    case FileContents::Failure::Missing: throw LabelFileError(Reason::Missing, path);
    case FileContents::Failure::NotAFile:
        throw LabelFileError(QFileInfo(path).isDir() ? Reason::Folder : Reason::NotAFile, path);
    case FileContents::Failure::TooLarge:
        throw LabelFileError(Reason::TooLarge, path, contents.error);
    case FileContents::Failure::Unreadable:
        throw LabelFileError(Reason::Unreadable, path, contents.error);
    }
    return FromBytes(contents.bytes);
}

// Whether the profile holds at least one key of the label files: a file without any is
// something else (random bytes, another program's INI file), and opening it would only
// empty the window.
bool HasAnyKey(const IniFile& ini, bool panel) {
    for (int i = 1; i <= kLabelTextCount; ++i)
        if (ini.HasKey(kTexts, QString::number(i))) return true;
    if (!panel) return false;
    if (ini.HasKey(kSize, QStringLiteral("1"))) return true;
    for (int k = 1; k <= kPanelLabelCount; ++k)
        if (ini.HasKey(kPictures, QString::number(k))) return true;
    return false;
}

IniFile ReadLabelFile(const QString& path, bool panel) {
    IniFile ini = ReadWhole(path);
    if (!HasAnyKey(ini, panel)) throw LabelFileError(LabelFileError::Reason::NotLabels, path);
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

PanelLabelFile PanelLabelsFrom(const IniFile& ini) {
    PanelLabelFile file;
    file.texts = ReadTexts(ini);
    file.sizeText = ini.ReadString(kSize, QStringLiteral("1"), QStringLiteral("1"));
    for (int k = 0; k < kPanelLabelCount; ++k)
        file.pictures[k] = ini.ReadString(kPictures, QString::number(k + 1), QString());
    return file;
}

void SaveWhole(const QString& path, const QString& text) {
    // A fresh profile: the saved file holds exactly the label keys, whatever an
    // overwritten file held before.
    using Reason = LabelFileError::Reason;
    QString error;
    OutputFailure failure = OutputFailure::None;
    if (WriteWholeFile(path, text.toUtf8(), &error, &failure)) return;
    if (failure == OutputFailure::Folder) throw LabelFileError(Reason::Folder, path);
    if (failure == OutputFailure::NotAFile) throw LabelFileError(Reason::NotAFile, path);
    throw LabelFileError(Reason::WriteFailed, path, error);
}

} // namespace

namespace {
QString ErrorText(LabelFileError::Reason reason, const QString& path, const QString& detail) {
    using Reason = LabelFileError::Reason;
    switch (reason) {
    case Reason::Missing: return QStringLiteral("File not found: ") + path;
    case Reason::NotAFile: return QStringLiteral("Not a regular file: ") + path;
    case Reason::Folder: return QStringLiteral("Is a folder, not a file: ") + path;
    case Reason::NotLabels:
        return path + QStringLiteral(": Selected file isn't file for labels Norva collection");
    case Reason::TooLarge:
    case Reason::Unreadable:
    case Reason::WriteFailed: break;
    }
    return path + QStringLiteral(": ") + detail;
}
} // namespace

LabelFileError::LabelFileError(Reason reason, const QString& path, const QString& detail)
    : std::runtime_error(ErrorText(reason, path, detail).toStdString()), reason_(reason),
      path_(path), detail_(detail) {}

QString LabelFileError::text() const {
    return ErrorText(reason_, path_, detail_);
}

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
    return ReadTexts(ReadLabelFile(path, false));
}

LabelTexts ButtonLabelsFromBytes(const QByteArray& bytes) {
    return ReadTexts(FromBytes(bytes));
}

void WriteButtonLabelFile(const QString& path, const LabelTexts& texts) {
    SaveWhole(path, ButtonLabelFileText(texts));
}

PanelLabelFile ReadPanelLabelFile(const QString& path) {
    return PanelLabelsFrom(ReadLabelFile(path, true));
}

PanelLabelFile PanelLabelsFromBytes(const QByteArray& bytes) {
    return PanelLabelsFrom(FromBytes(bytes));
}

void WritePanelLabelFile(const QString& path, const LabelTexts& texts, PanelSize size,
                         const std::array<QString, kPanelLabelCount>& pictures) {
    SaveWhole(path, PanelLabelFileText(texts, size, pictures));
}
