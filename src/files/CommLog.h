#pragma once
// The communication log LOG_comm_file.TXT in the program folder: one line per entry,
// CR LF line ends, a fresh file at every opening.

#include <QFile>
#include <QString>
#include <functional>

class ClockPort;

class CommLog {
public:
    static constexpr const char* kFileName = "LOG_comm_file.TXT";

    explicit CommLog(ClockPort* clock = nullptr) : clock_(clock) {}
    void SetClock(ClockPort* clock) { clock_ = clock; }
    ~CommLog();

    bool Enabled() const { return enabled_; }
    // Deletes any earlier file, creates it anew and writes the three header lines.
    // Returns false (and stays off) when the file cannot be created.
    bool Open(const QString& programFolder);
    // Closes the file; with trailer the four closing lines are written first.
    void Close(bool trailer);
    // Appends text and CR LF while the log is on; otherwise nothing.
    void LogLine(const QString& text);
    QString FilePath() const { return file_.fileName(); }
    QString ErrorString() const { return error_; }

    // Called once when a write fails: logging stops, the operation in progress goes on.
    std::function<void(const QString& error)> onWriteFailed;

    // "date-time" as the header and trailer lines show it.
    QString DateTimeLine() const;

private:
    bool WriteRaw(const QString& text);

    ClockPort* clock_;
    QFile file_;
    bool enabled_ = false;
    QString error_;
};
