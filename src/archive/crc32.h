#pragma once

// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320).

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnu {

// Continues a CRC over more bytes; start with 0.
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size);

inline std::uint32_t crc32Of(std::string_view bytes) {
    return crc32Update(0, bytes.data(), bytes.size());
}

}  // namespace tarnu
