#pragma once
// Reading and writing the program's files safely. Every file the program reads is a
// regular file of a bounded size: a folder, a FIFO, a device or a link to one is not a
// file here (opening a FIFO would block the window, reading /dev/zero would never end),
// and no reader takes in more than its format can hold. Every file the program writes
// goes through OutputFile: written whole or not at all, and only over a regular file.

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;
class QSaveFile;

// Upper bounds of what the readers take in. Shipped language files and templates are about
// 10 kB; a settings file holds 335 records of 50 bytes; model pictures are small photos.
inline constexpr qint64 kMaxIniFileBytes = 512 * 1024;
inline constexpr qint64 kMaxSettingsFileBytes = 64 * 1024;
inline constexpr qint64 kMaxPictureFileBytes = 16 * 1024 * 1024;

// True only for an existing regular file (after following links). An empty path, a
// folder, a FIFO or a device is not one.
bool IsRegularFile(const QString& path);

struct FileContents {
    enum class Failure { None, Missing, NotAFile, TooLarge, Unreadable };
    QByteArray bytes;
    Failure failure = Failure::None;
    QString error; // user-facing reason, empty when the read succeeded
    bool ok() const { return failure == Failure::None; }
};

// Reads the whole file when it is a regular file of at most maxBytes bytes. The size is
// checked before reading and again while reading, so a file that grows or lies about its
// size is never taken in beyond maxBytes + 1 bytes.
FileContents ReadBoundedFile(const QString& path, qint64 maxBytes);

// Whether a file can be written at path, checked before any long work that ends in writing
// it: the folder exists and accepts a new file (files are written beside the target and
// renamed over it), and the path is not a folder or another non-file. Links are followed
// as OutputFile follows them. On false, *reason holds the user-facing reason.
bool CanWriteFileAt(const QString& path, QString* reason);

// Why an output file was not written. Folder and NotAFile are refusals of the program's
// own; System carries the operating system's reason ("No space left on device",
// "Permission denied", "No such file or directory").
enum class OutputFailure { None, NoName, Folder, NotAFile, System };

// One output file, written whole or not at all. The content goes to a new file beside the
// target, which takes the target's name only when everything was written and flushed: a
// full disk, a missing permission or a failed write leaves the old file as it was and no
// partial file behind. An existing target must be a regular file, so a FIFO, a device or
// a folder named as output is refused and left untouched. A symbolic link is followed:
// the file it names is replaced and the link stays.
class OutputFile {
public:
    explicit OutputFile(const QString& path);
    ~OutputFile(); // an uncommitted file is discarded
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the target and opens the new file beside it; false with the reason.
    bool Open();
    // Where the content goes while the file is open.
    QIODevice* Device() const;
    // Writes bytes; false with the reason (the file is then discarded).
    bool Write(const QByteArray& bytes);
    // Puts the finished file in place; false with the reason when it is not whole.
    bool Commit();
    // Drops what was written; the target stays as it was.
    void Discard();

    OutputFailure Failure() const { return failure_; }
    QString ErrorString() const { return error_; }
    // The file that is (or was to be) replaced: the path with its links followed.
    QString Target() const { return target_; }

private:
    class Sink;
    bool Fail(OutputFailure failure, const QString& reason);

    QString path_;
    QString target_;
    std::unique_ptr<QSaveFile> file_;
    std::unique_ptr<Sink> sink_;
    OutputFailure failure_ = OutputFailure::None;
    QString error_;
};

// A whole file in one call. On false, *error holds the reason (without the path).
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error,
                    OutputFailure* failure = nullptr);

// The file a path names once its symbolic links are followed (the path itself when it is
// no link). A link to a missing file gives the missing file's path.
QString FollowLinks(const QString& path);
