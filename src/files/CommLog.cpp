#include "CommLog.h"

#include "Clock.h"

#include <QDir>
#include <QLocale>

CommLog::~CommLog() {
    if (file_.isOpen()) file_.close();
}

QString CommLog::DateTimeLine() const {
    const QDateTime now = clock_ ? clock_->CurrentDateTime() : QDateTime::currentDateTime();
    const QLocale locale;
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char('-') +
           locale.toString(now.time(), QLocale::LongFormat);
}

bool CommLog::Open(const QString& programFolder) {
    if (file_.isOpen()) file_.close();
    enabled_ = false;
    error_.clear();
    const QString path = QDir(programFolder).filePath(QLatin1String(kFileName));
    if (QFile::exists(path)) QFile::remove(path);
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        error_ = file_.errorString();
        return false;
    }
    enabled_ = true;
    LogLine(DateTimeLine());
    LogLine(QStringLiteral("========================"));
    LogLine(QStringLiteral("Start"));
    return enabled_;
}

void CommLog::Close(bool trailer) {
    if (enabled_ && trailer) {
        LogLine(QStringLiteral("Program close"));
        LogLine(DateTimeLine());
        LogLine(QStringLiteral("========================"));
        LogLine(QStringLiteral(">>> Report ended <<<"));
    }
    enabled_ = false;
    if (file_.isOpen()) file_.close();
}

void CommLog::LogLine(const QString& text) {
    if (!enabled_) return;
    WriteRaw(text + QLatin1String("\r\n"));
}

bool CommLog::WriteRaw(const QString& text) {
    // The log keeps the door phone's raw bytes as one character each.
    const QByteArray bytes = text.toLatin1();
    if (file_.write(bytes) == bytes.size() && file_.exists()) return true;
    // A failed log write must not end the exchange in progress: stop logging, tell once.
    error_ = file_.exists() ? file_.errorString() : QStringLiteral("The log file was removed");
    enabled_ = false;
    file_.close();
    if (onWriteFailed) onWriteFailed(error_);
    return false;
}
