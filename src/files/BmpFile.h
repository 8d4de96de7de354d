#pragma once
// The structure of a BMP bitmap file, checked before a picture is decoded: a decoder that
// meets a file cut short fills the missing rows with whatever its buffer held (a black
// block, another picture's pixels) and reports success. A file passes only when its
// headers make sense and every byte of pixel data they promise is there.

#include <QByteArray>
#include <QString>

struct BmpCheck {
    bool ok = false;
    int width = 0;  // pixels
    int height = 0; // pixels, top-down or bottom-up alike
    QString error;  // why the file is not a whole bitmap
};

// Checks a whole BMP file's bytes: file header, info header (core, info, v2 to v5), the
// palette, and the pixel data, uncompressed (every row) or run-length coded (the runs up
// to their end-of-bitmap mark).
BmpCheck CheckBmp(const QByteArray& bytes);
