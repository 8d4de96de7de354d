#pragma once
// Model pictures are JPEG files, decoded here with libjpeg into plain RGB rows that the
// window turns into an image.

#include <QByteArray>
#include <QString>

struct DecodedPicture {
    int width = 0;
    int height = 0;
    QByteArray rgb; // width * height * 3 bytes, rows top to bottom
    bool IsNull() const { return width <= 0 || height <= 0; }
};

// Reads the header and decompresses the whole picture. A missing, truncated or corrupt
// file gives a null picture and the reason in *error.
DecodedPicture DecodeJpegFile(const QString& path, QString* error = nullptr);
DecodedPicture DecodeJpeg(const QByteArray& bytes, QString* error = nullptr);
