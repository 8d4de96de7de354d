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

// The largest picture taken: a model picture is shown on one page of the window, and even
// a camera photo of 6000 x 4000 stays within these. Anything larger is refused before a
// byte of it is decompressed.
inline constexpr int kMaxPictureSide = 8192;
inline constexpr qint64 kMaxPicturePixels = 6000LL * 4000LL;

// Reads the header and decompresses the whole picture. A missing, truncated, corrupt or
// oversized file, or one that is not a regular file, gives a null picture and the reason
// in *error.
DecodedPicture DecodeJpegFile(const QString& path, QString* error = nullptr);
DecodedPicture DecodeJpeg(const QByteArray& bytes, QString* error = nullptr);
