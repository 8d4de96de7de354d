#pragma once
// The built norva-doorphone-sim as a process, serving the simulated door phone on a
// pseudo-terminal, for the tests of the command line and of the window on a real port.

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

inline QString NorvaBinPath(const char* name) {
    return QDir(QString::fromUtf8(NORVA_BIN_DIR)).filePath(QString::fromLatin1(name));
}

// norva-doorphone-sim on a pseudo-terminal; it ends when its stdin is closed.
class SimProcess {
public:
    explicit SimProcess(const QStringList& args) {
        process_.start(NorvaBinPath("norva-doorphone-sim"), args);
        if (!process_.waitForStarted(10000)) return;
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {}
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~SimProcess() { Stop(); }
    QString Path() const { return path_; }
    qint64 Pid() const { return process_.processId(); }
    // Closing stdin ends it; the memory files are saved on the way out.
    int Stop() {
        if (process_.state() == QProcess::NotRunning) return process_.exitCode();
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished();
            return -1;
        }
        return process_.exitCode();
    }
    QString Errors() { return QString::fromLocal8Bit(process_.readAllStandardError()); }

private:
    QProcess process_;
    QString path_;
};
