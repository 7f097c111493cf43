#include "document/picture.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace tarnu {

namespace {

// Header pictures are a few hundred pixels wide; anything far larger is damage or abuse,
// and decoding it would only cost memory.
constexpr JDIMENSION kMaxSide = 8192;
constexpr std::size_t kMaxPixels = std::size_t{16} << 20;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings about damaged but readable data: the picture is shown as far as it goes.
void onMessage(j_common_ptr) {}

// Runs libjpeg over the bytes; false on any error it reports. Errors leave this frame by
// longjmp, so only trivially destructible objects may live in it.
bool decode(jpeg_decompress_struct& info, ErrorManager& errors, std::string_view bytes,
            Picture& out) {
    if (setjmp(errors.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    if (info.output_width == 0 || info.output_height == 0 || info.output_width > kMaxSide ||
        info.output_height > kMaxSide ||
        std::size_t{info.output_width} * info.output_height > kMaxPixels) {
        return false;
    }
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        return false;
    }
    const std::size_t stride = std::size_t{info.output_width} * 3;
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.rgb.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgb.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

std::optional<Picture> decodeJpeg(std::string_view bytes) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = onError;
    errors.pub.output_message = onMessage;
    Picture picture;
    bool ok = false;
    try {
        ok = decode(info, errors, bytes, picture);
    } catch (...) {
        jpeg_destroy_decompress(&info);
        throw;
    }
    jpeg_destroy_decompress(&info);
    if (!ok) {
        return std::nullopt;
    }
    return picture;
}

}  // namespace tarnu
