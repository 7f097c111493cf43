#include "archive/crc32.h"

#ifdef TARNU_HAVE_ISAL
#include <isa-l/crc.h>
#else
#include <zlib.h>
#endif

namespace tarnu {

// The same CRC either way; ISA-L folds with carry-less multiplication, several times faster
// than zlib's table code, which matters when every open checks a whole archive.
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
#ifdef TARNU_HAVE_ISAL
    return ::crc32_gzip_refl(crc, static_cast<const unsigned char*>(data), size);
#else
    return static_cast<std::uint32_t>(
        ::crc32_z(crc, static_cast<const Bytef*>(data), static_cast<z_size_t>(size)));
#endif
}

}  // namespace tarnu
