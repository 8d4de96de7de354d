#include "CliJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray StatusJson(const CliStatusReport& status) {
    QJsonObject o;
    o.insert(QStringLiteral("usb"), status.usb);
    o.insert(QStringLiteral("version"), status.version);
    bool number = false;
    const int resets = status.resets.toInt(&number);
    o.insert(QStringLiteral("resets"), number ? QJsonValue(resets) : QJsonValue());
    o.insert(QStringLiteral("clock"), status.clock);
    o.insert(QStringLiteral("mode"),
             status.dayMode ? QStringLiteral("day") : QStringLiteral("night"));
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QByteArray DiffJson(const QList<DiffRow>& rows) {
    QJsonArray differences;
    for (const DiffRow& row : rows) {
        QJsonObject d;
        d.insert(QStringLiteral("page"), row.page.simplified());
        d.insert(QStringLiteral("caption"), row.caption);
        d.insert(QStringLiteral("a"), row.valueA);
        d.insert(QStringLiteral("b"), row.valueB);
        d.insert(QStringLiteral("key"), row.key);
        d.insert(QStringLiteral("names"), QJsonArray::fromStringList(row.names));
        differences.append(d);
    }
    QJsonObject o;
    o.insert(QStringLiteral("equal"), rows.isEmpty());
    o.insert(QStringLiteral("differences"), differences);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}
