#include "archive/crc32.h"

#include <zlib.h>

namespace tarnu {

std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
    return static_cast<std::uint32_t>(
        ::crc32_z(crc, static_cast<const Bytef*>(data), static_cast<z_size_t>(size)));
}

}  // namespace tarnu
