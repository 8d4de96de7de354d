#pragma once
// Label files: the button label file (".NVL", section "N" keys "1".."24") and the panel
// label file (".VXL", adds the label size in "R" "1" and the picture files in "F"
// "1".."4"). Both are INI text. A file is read whole and checked before a window takes
// anything from it, and written beside the old file and renamed over it only when
// complete, so an interrupted save keeps the previous file.

#include <QByteArray>
#include <QString>
#include <array>
#include <stdexcept>

inline constexpr int kLabelTextCount = 24;
inline constexpr int kPanelLabelCount = 4;
inline constexpr int kPanelLinesPerLabel = 6;

using LabelTexts = std::array<QString, kLabelTextCount>;

// A label file that cannot be read or written. The reason lets a window say it in its own
// language; text() is the English text of the command line.
class LabelFileError : public std::runtime_error {
public:
    enum class Reason {
        Missing,     // no such file
        NotAFile,    // a FIFO, a device
        Folder,      // a folder
        TooLarge,    // far beyond any label file; detail: the sizes
        Unreadable,  // detail: the system's reason
        NotLabels,   // none of the format's keys: not a label file
        WriteFailed, // detail: the system's reason
    };
    LabelFileError(Reason reason, const QString& path, const QString& detail = QString());
    Reason reason() const { return reason_; }
    QString path() const { return path_; }
    QString detail() const { return detail_; }
    QString text() const;

private:
    Reason reason_;
    QString path_;
    QString detail_;
};

// The panel label sizes, numbered as the file stores them.
enum class PanelSize { S22x62 = 1, S28x62 = 2, S41x62 = 3, S56x62 = 4 };

struct PanelLabelFile {
    LabelTexts texts;                       // label k line n at (k - 1) * 6 + (n - 1)
    QString sizeText = QStringLiteral("1"); // [R] 1 as stored ("1" when missing)
    std::array<QString, kPanelLabelCount> pictures;
};

// The text after the last ".", trimmed, in upper case, is the extension ("NVL", "VXL").
bool HasLabelExtension(const QString& fileName, const QString& extension);

// [R] 1 compared as text: not above "1" is 22 x 62, exactly "2" and "3" are 28 x 62 and
// 41 x 62, not below "4" is 56 x 62; anything else keeps the current size.
PanelSize PanelSizeFromText(const QString& value, PanelSize current);

// Throw LabelFileError; reading changes nothing on failure. A file that holds none of its
// format's keys (random bytes, another INI file) is refused as NotLabels.
LabelTexts ReadButtonLabelFile(const QString& path);
void WriteButtonLabelFile(const QString& path, const LabelTexts& texts);
PanelLabelFile ReadPanelLabelFile(const QString& path);
// The same from a file's bytes, read by the caller.
LabelTexts ButtonLabelsFromBytes(const QByteArray& bytes);
PanelLabelFile PanelLabelsFromBytes(const QByteArray& bytes);
void WritePanelLabelFile(const QString& path, const LabelTexts& texts, PanelSize size,
                         const std::array<QString, kPanelLabelCount>& pictures);

// The file texts without touching the disk (for tests and the writers).
QString ButtonLabelFileText(const LabelTexts& texts);
QString PanelLabelFileText(const LabelTexts& texts, PanelSize size,
                           const std::array<QString, kPanelLabelCount>& pictures);
