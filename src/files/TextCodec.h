#pragma once
// Decoding of the program's own text files: old language files are 8-bit Windows-1250,
// new ones UTF-8.

#include <QByteArray>
#include <QString>

bool IsValidUtf8(const QByteArray& bytes);
QString DecodeWindows1250(const QByteArray& bytes);
// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is dropped), else
// Windows-1250.
QString DecodeUtf8OrWindows1250(const QByteArray& bytes);
