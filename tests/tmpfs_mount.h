#pragma once
// A small tmpfs mounted on a folder for as long as the object lives: a full disk or a
// read-only file system for the writers' tests. Only root may mount, and not every root
// (a container without the capability): tests ask MayMount() and leave the case out.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

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
