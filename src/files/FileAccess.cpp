#include "FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

bool IsRegularFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

FileContents ReadBoundedFile(const QString& path, qint64 maxBytes) {
    FileContents out;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        out.failure = FileContents::Failure::Missing;
        out.error = QStringLiteral("File not found");
        return out;
    }
    if (!info.isFile()) {
        out.failure = FileContents::Failure::NotAFile;
        out.error = info.isDir() ? QStringLiteral("Is a folder, not a file")
                                 : QStringLiteral("Not a regular file");
        return out;
    }
    const auto tooLarge = [&out, maxBytes](const QString& size) {
        out.bytes.clear();
        out.failure = FileContents::Failure::TooLarge;
        out.error = QStringLiteral("File too large: %1 bytes, such a file has at most %2")
                        .arg(size)
                        .arg(maxBytes);
        return out;
    };
    if (info.size() > maxBytes) return tooLarge(QString::number(info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.failure = FileContents::Failure::Unreadable;
        out.error = QStringLiteral("File access denied");
        return out;
    }
    // One byte more than allowed tells a file that grew since its size was taken.
    out.bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        out.bytes.clear();
        out.failure = FileContents::Failure::Unreadable;
        out.error = QStringLiteral("Disk read error: ") + file.errorString();
        return out;
    }
    if (out.bytes.size() > maxBytes) return tooLarge(QStringLiteral("more than %1").arg(maxBytes));
    return out;
}

bool CanWriteFileAt(const QString& path, QString* reason) {
    const auto fail = [reason](const QString& text) {
        if (reason) *reason = text;
        return false;
    };
    if (path.isEmpty()) return fail(QStringLiteral("No file name"));
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(info.isDir() ? QStringLiteral("Is a folder, not a file")
                                 : QStringLiteral("Not a regular file"));
    const QDir folder = info.absoluteDir();
    if (!folder.exists()) return fail(QStringLiteral("The folder does not exist"));
    // Access bits do not tell everything (a read-only mount, root on a locked folder):
    // try a file beside the target, as the writers do.
    QTemporaryFile probe(folder.filePath(QStringLiteral(".norvaset-probe-XXXXXX")));
    if (!probe.open()) return fail(QStringLiteral("File access denied: ") + probe.errorString());
    return true;
}
