#include "WriteVerify.h"

#include "CommLog.h"
#include "NumberMemory.h"

QByteArray RawRead::NumberMemory() const {
    QByteArray out;
    for (const int record : NumberRecordOrder()) {
        // A missing or short record must not shift the ones after it.
        out += records.value(record).leftJustified(kNumberRecordLength, '\0', true);
    }
    return out;
}

bool RawRead::HasAllRecords() const {
    for (const int record : NumberRecordOrder())
        if (records.value(record).size() != kNumberRecordLength) return false;
    return true;
}

QList<DiffRow> VerifyWrite(const SentImage& sent, const RawRead& back, const SettingsModel& shape,
                           const LanguageTexts& texts) {
    QList<DiffRow> rows;
    if (sent.parameters) rows << ParameterBlockDiff(sent.block, back.block, shape, texts);
    if (sent.numbers) rows << NumberMemoryDiff(sent.memory, back.NumberMemory(), texts);
    return rows;
}

void LogVerify(CommLog& log, const QList<DiffRow>& rows) {
    log.LogLine(QStringLiteral(">>> Verify after write <<<"));
    if (rows.isEmpty()) {
        log.LogLine(QStringLiteral("Verify: OK"));
        return;
    }
    for (const DiffRow& row : rows) log.LogLine(QStringLiteral("Verify: ") + DiffRowLine(row));
}

QString VerifyMessage(const QString& heading, const QList<DiffRow>& rows, int maxLines) {
    QStringList lines{heading};
    for (int i = 0; i < rows.size(); ++i) {
        if (i == maxLines) {
            lines << QStringLiteral("...");
            break;
        }
        const DiffRow& r = rows[i];
        lines << (r.page.isEmpty() ? QString() : r.page + QStringLiteral(": ")) + r.caption +
                     QStringLiteral(": ") + r.valueA + QStringLiteral(" -> ") + r.valueB;
    }
    return lines.join(QLatin1Char('\n'));
}
