#pragma once

#include <cstddef>
#include <string>

namespace tarnu::testing {

// Bytes that differ from their neighbours and do not repeat with a short period, so a piece
// lost, doubled or misplaced in a transfer shows.
inline std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

}  // namespace tarnu::testing
