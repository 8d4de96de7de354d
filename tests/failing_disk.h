#pragma once
// Disks that fail under the writers' tests. A small tmpfs mounted on a folder for as long
// as the object lives: a full disk or a read-only file system. Only root may mount, and not
// every root (a container without the capability): tests ask MayMount() and leave the case
// out. And a child process whose files may not grow past a size: a write that fails at its
// last flush, which any user may have.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs body in a child process whose files may not grow past maxBytes; the child's exit
// code is body's result, -1 when the child did not end by itself.
inline int ExitCodeWithFileSizeLimit(rlim_t maxBytes, const std::function<int()>& body) {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN); // the write is to fail with EFBIG, not kill the child
        const rlimit limit{maxBytes, maxBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class TmpfsMount {
public:
    TmpfsMount(const QString& folder, const QString& options) : folder_(folder) {
        mounted_ = QProcess::execute("mount", {"-t", "tmpfs", "-o", options, "tmpfs", folder}) == 0;
    }
    ~TmpfsMount() {
        if (mounted_) QProcess::execute("umount", {folder_});
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool Mounted() const { return mounted_; }

    // Whether this process may mount a tmpfs at all (tried once).
    static bool MayMount() {
        static const bool may = [] {
            QTemporaryDir dir;
            return dir.isValid() && TmpfsMount(dir.path(), QStringLiteral("size=16k")).Mounted();
        }();
        return may;
    }

private:
    QString folder_;
    bool mounted_ = false;
};
