#include "FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

namespace {

// Links deeper than this are a loop (the system gives up at 40 as well).
constexpr int kMaxLinkDepth = 40;

QString NotAFileReason(const QFileInfo& info) {
    return info.isDir() ? QStringLiteral("Is a folder, not a file")
                        : QStringLiteral("Not a regular file");
}

} // namespace

QString FollowLinks(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; depth < kMaxLinkDepth && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

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
    const QFileInfo info(FollowLinks(path));
    if (info.exists() && !info.isFile()) return fail(NotAFileReason(info));
    const QDir folder = info.absoluteDir();
    if (!folder.exists()) return fail(QStringLiteral("The folder does not exist"));
    // Access bits do not tell everything (a read-only mount, root on a locked folder):
    // try a file beside the target, as the writers do.
    QTemporaryFile probe(folder.filePath(QStringLiteral(".norvaset-probe-XXXXXX")));
    if (!probe.open()) return fail(QStringLiteral("File access denied: ") + probe.errorString());
    return true;
}

// What the content is written through: every write reaches the file whole, or the sink
// fails for good with the system's reason. The file is unbuffered, so that a write the
// disk takes only in part (a full disk, a file size limit) is followed by one that fails
// with its errno; a buffered file would report it at best as "Unknown error", and a writer
// that ignores short writes (the PDF engine) would leave a truncated file unnoticed.
class OutputFile::Sink : public QIODevice {
public:
    explicit Sink(QSaveFile& file) : file_(file) {}
    bool Failed() const { return failed_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        if (failed_) return -1;
        for (qint64 done = 0; done < length;) {
            errno = 0;
            const qint64 n = file_.write(data + done, length - done);
            if (n <= 0) {
                const int code = errno;
                QString reason = file_.errorString();
                if (reason.isEmpty() || file_.error() == QFileDevice::NoError ||
                    reason == QLatin1String("Unknown error"))
                    reason = code != 0 ? QString::fromLocal8Bit(std::strerror(code))
                                       : QStringLiteral("Disk write error");
                failed_ = true;
                setErrorString(reason);
                return -1;
            }
            done += n;
        }
        return length;
    }

private:
    QSaveFile& file_;
    bool failed_ = false;
};

OutputFile::OutputFile(const QString& path) : path_(path), target_(path) {}

OutputFile::~OutputFile() {
    Discard();
}

bool OutputFile::Fail(OutputFailure failure, const QString& reason) {
    failure_ = failure;
    error_ = reason;
    Discard();
    return false;
}

bool OutputFile::Open() {
    failure_ = OutputFailure::None;
    error_.clear();
    if (path_.isEmpty()) return Fail(OutputFailure::NoName, QStringLiteral("No file name"));
    target_ = FollowLinks(path_);
    const QFileInfo info(target_);
    if (info.isSymLink())
        return Fail(OutputFailure::System, QStringLiteral("Too many levels of symbolic links"));
    // A rename over a FIFO or a device would put a plain file in its place.
    if (info.exists() && !info.isFile())
        return Fail(info.isDir() ? OutputFailure::Folder : OutputFailure::NotAFile,
                    NotAFileReason(info));
    file_ = std::make_unique<QSaveFile>(target_);
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(OutputFailure::System, file_->errorString());
    sink_ = std::make_unique<Sink>(*file_);
    sink_->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

QIODevice* OutputFile::Device() const {
    return sink_.get();
}

bool OutputFile::Write(const QByteArray& bytes) {
    if (!sink_) return false;
    if (sink_->write(bytes) != bytes.size())
        return Fail(OutputFailure::System, sink_->errorString());
    return true;
}

bool OutputFile::Commit() {
    if (!file_) return false;
    if (sink_->Failed()) return Fail(OutputFailure::System, sink_->errorString());
    // A write error that shows only at the final flush would not stop commit(): the
    // truncated file would take the target's name.
    if (!file_->flush()) return Fail(OutputFailure::System, file_->errorString());
    if (!file_->commit()) return Fail(OutputFailure::System, file_->errorString());
    sink_.reset();
    file_.reset();
    return true;
}

void OutputFile::Discard() {
    sink_.reset();
    if (!file_) return;
    file_->cancelWriting();
    file_.reset(); // the new file beside the target is removed
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error,
                    OutputFailure* failure) {
    OutputFile file(path);
    const bool written = file.Open() && file.Write(bytes) && file.Commit();
    if (error) *error = file.ErrorString();
    if (failure) *failure = file.Failure();
    return written;
}
