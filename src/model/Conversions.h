#pragma once
// Small conversions the model's codecs and checks share.

#include <QString>
#include <QStringView>
#include <optional>

// A decimal integer with an optional sign and nothing else; nullopt otherwise.
std::optional<int> ParseDecimal(QStringView text);
// Removes leading and trailing blanks and control characters (every character up to
// and including the space).
QString TrimBlanks(const QString& text);
// The user-facing text of a failed integer conversion: "'x' is not a valid integer value".
QString NotAnIntegerText(const QString& value);
