#include "NumberMemory.h"

#include "ParameterBlock.h"
#include "SettingsModel.h"

#include <array>

namespace {
constexpr quint8 kAfterEnd = 255;
constexpr quint8 kNoCharacter = 15;
} // namespace

QString FirstNumberField(int button) {
    if (button < 1 || button > 99) return QString();
    const int p = (button - 1) / 10, r = (button - 1) % 10;
    return QStringLiteral("Edit%1").arg(92 + 20 * p + r);
}

QString SecondNumberField(int button) {
    if (button < 1 || button > 99) return QString();
    const int p = (button - 1) / 10, r = (button - 1) % 10;
    return QStringLiteral("Edit%1").arg(102 + 20 * p + r);
}

QString NumberFieldForRecord(int record) {
    if (record >= 1 && record <= 99) return FirstNumberField(record);
    if (record >= 101 && record <= 199) return SecondNumberField(record - 100);
    return QString();
}

int RecordForNumberField(const QString& fieldName) {
    if (!fieldName.startsWith(QLatin1String("Edit"))) return 0;
    bool ok = false;
    const int n = fieldName.mid(4).toInt(&ok);
    if (!ok || n < 92 || n > 290 || n == 281) return 0;
    const int p = (n - 92) / 20, offset = (n - 92) % 20;
    const int button = 10 * p + offset % 10 + 1;
    if (button > 99) return 0;
    return offset < 10 ? button : 100 + button;
}

std::span<const int> NumberRecordOrder() {
    static const std::array<int, kNumberRecordCount> order = [] {
        std::array<int, kNumberRecordCount> a{};
        int i = 0;
        for (int r = 1; r <= 99; ++r) a[i++] = r;
        for (int r = 101; r <= 199; ++r) a[i++] = r;
        return a;
    }();
    return order;
}

QString DecodeDialNumber(const QByteArray& bytes) {
    QString text;
    for (qsizetype k = 0; k < bytes.size() && k < kNumberRecordLength; ++k)
        text += DialDigitChar(quint8(bytes[k]));
    return text;
}

QByteArray EncodeDialNumber(const QString& text) {
    QByteArray bytes(kNumberRecordLength, char(kAfterEnd));
    for (int k = 0; k < kNumberRecordLength && k < text.size(); ++k) {
        const int v = DialDigitValue(text[k], true);
        bytes[k] = char(v < 0 ? kNoCharacter : v);
    }
    return bytes;
}

QString DecodeNumberRecord(int record, const QByteArray& reply, SettingsModel& model) {
    QString text = DecodeDialNumber(reply);
    const QString field = NumberFieldForRecord(record);
    if (!field.isEmpty()) model.SetText(field, text);
    return text;
}

QByteArray EncodeNumberRecord(int record, const SettingsModel& model) {
    const QString field = NumberFieldForRecord(record);
    if (field.isEmpty()) return QByteArray();
    return EncodeDialNumber(model.Text(field));
}
