// Decoding of the wiring picture with libjpeg: memory source, one scanline at a time.
#include "app/dialogs/JpegImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace korvex {

namespace {

// libjpeg's default error handler calls exit(); this one returns to decodeJpeg instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info)
{
    auto* mgr = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(mgr->jump, 1);
}

void onMessage(j_common_ptr /*info*/) {} // warnings are counted in num_warnings, not printed

// Everything touched after setjmp lives here, outside the frame that longjmp unwinds through,
// so no local needs to be volatile.
struct Decode {
    jpeg_decompress_struct info{};
    ErrorManager err{};
    QImage image;
    bool created = false;
};

bool run(Decode& d, const QByteArray& bytes)
{
    d.info.err = jpeg_std_error(&d.err.base);
    d.err.base.error_exit = onError;
    d.err.base.output_message = onMessage;
    if (setjmp(d.err.jump))
        return false;
    jpeg_create_decompress(&d.info);
    d.created = true;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    if (d.info.output_components != 3 || d.info.output_width == 0 || d.info.output_height == 0 ||
        d.info.output_width > 8192 || d.info.output_height > 8192)
        return false;
    d.image =
        QImage(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height), QImage::Format_RGB888);
    if (d.image.isNull())
        return false;
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = d.image.scanLine(static_cast<int>(d.info.output_scanline));
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&d.info);
    return d.err.base.num_warnings == 0;
}

} // namespace

QImage decodeJpeg(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    Decode d;
    const bool ok = run(d, bytes);
    if (d.created)
        jpeg_destroy_decompress(&d.info);
    if (!ok)
        return {};
    return d.image.convertToFormat(QImage::Format_RGB32);
}

} // namespace korvex
