#pragma once

// Little-endian integers of the file and wire formats, written byte by byte.

#include <cstdint>
#include <string>

namespace tarnu {

inline void putU32(unsigned char* at, std::uint32_t v) {
    at[0] = static_cast<unsigned char>(v);
    at[1] = static_cast<unsigned char>(v >> 8);
    at[2] = static_cast<unsigned char>(v >> 16);
    at[3] = static_cast<unsigned char>(v >> 24);
}

inline void putI32(unsigned char* at, std::int32_t v) {
    putU32(at, static_cast<std::uint32_t>(v));
}

inline std::uint32_t getU32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

inline std::int32_t getI32(const unsigned char* at) {
    return static_cast<std::int32_t>(getU32(at));
}

inline void appendI32(std::string& out, std::int32_t v) {
    unsigned char b[4];
    putI32(b, v);
    out.append(reinterpret_cast<const char*>(b), 4);
}

}  // namespace tarnu
