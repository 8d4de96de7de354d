#pragma once
// Reading and writing the program's files safely. Every file the program reads is a
// regular file of a bounded size: a folder, a FIFO, a device or a link to one is not a
// file here (opening a FIFO would block the window, reading /dev/zero would never end),
// and no reader takes in more than its format can hold.

#include <QByteArray>
#include <QString>

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
// renamed over it), and the path is not a folder or another non-file. On false, *reason
// holds the user-facing reason.
bool CanWriteFileAt(const QString& path, QString* reason);
