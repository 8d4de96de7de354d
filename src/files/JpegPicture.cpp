#include "JpegPicture.h"

#include "FileAccess.h"
#include "PrintableText.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

// A truncated or corrupt file would otherwise decode with grey rows and only a warning:
// the first warning ends the decoding as an error does, without decoding the rest.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0) {
        auto* err = reinterpret_cast<ErrorManager*>(info->err);
        (*info->err->format_message)(info, err->message);
        std::longjmp(err->jump, 1);
    }
}
} // namespace

namespace {
// Only trivially destructible locals here: libjpeg leaves by a long jump on error.
bool RunDecoder(const unsigned char* data, unsigned long size, QByteArray* rgb, int* width,
                int* height, char* message) {
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnError;
    err.base.emit_message = OnMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    // The header alone may claim any size up to 65535 x 65535: refuse a picture no model
    // page shows before anything is allocated for it.
    const qint64 claimedWidth = info.image_width, claimedHeight = info.image_height;
    if (claimedWidth > kMaxPictureSide || claimedHeight > kMaxPictureSide ||
        claimedWidth * claimedHeight > kMaxPicturePixels) {
        std::snprintf(message, JMSG_LENGTH_MAX, "Picture too large: %lld x %lld pixels",
                      static_cast<long long>(claimedWidth), static_cast<long long>(claimedHeight));
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const qsizetype rowBytes = qsizetype(info.output_width) * 3;
    rgb->resize(rowBytes * qsizetype(info.output_height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(rgb->data() + rowBytes * info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    *width = int(info.output_width);
    *height = int(info.output_height);
    jpeg_destroy_decompress(&info);
    return true;
}
} // namespace

DecodedPicture DecodeJpeg(const QByteArray& bytes, QString* error) {
    DecodedPicture out;
    if (bytes.isEmpty()) {
        if (error) *error = QStringLiteral("Empty picture file");
        return out;
    }
    QByteArray rgb;
    int width = 0, height = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (!RunDecoder(reinterpret_cast<const unsigned char*>(bytes.constData()),
                    static_cast<unsigned long>(bytes.size()), &rgb, &width, &height, message)) {
        if (error) *error = QString::fromLatin1(message);
        return out;
    }
    out.width = width;
    out.height = height;
    out.rgb = rgb;
    return out;
}

DecodedPicture DecodeJpegFile(const QString& path, QString* error) {
    const FileContents contents = ReadBoundedFile(path, kMaxPictureFileBytes);
    if (!contents.ok()) {
        if (error)
            *error = QStringLiteral("Cannot open picture ") + PrintableText(path) +
                     QStringLiteral(": ") + contents.error;
        return DecodedPicture();
    }
    return DecodeJpeg(contents.bytes, error);
}
