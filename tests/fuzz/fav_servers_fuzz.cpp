// Reads arbitrary bytes as "FavServers.fs" and takes every entry's address as Connect does.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sharing/server_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& caption : tarnu::parseServerList(text)) {
        if (const auto address = tarnu::parseDottedQuad(tarnu::addressPart(caption))) {
            // A parsed address prints back to a text that parses to the same address.
            if (tarnu::parseDottedQuad(tarnu::formatDottedQuad(*address)) != address) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
