#pragma once

// Pictures of the image pack, decoded for the windows that show them.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tarnu {

// 8-bit RGB pixels, row after row from the top, three bytes a pixel, no padding.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Decodes a JPEG picture. Nothing when the bytes are not a JPEG picture libjpeg can read,
// or when the picture is larger than any picture of the program has reason to be.
std::optional<Picture> decodeJpeg(std::string_view bytes);

}  // namespace tarnu
