// Feeds arbitrary bytes to the client's reply framing, then reads each payload as a listing
// and as a file announcement; a listing that parses must build back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sharing/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view buffer(reinterpret_cast<const char*>(data), size);
    while (!buffer.empty()) {
        const tarnu::ReplyParse parsed = tarnu::parseReply(buffer);
        if (parsed.status != tarnu::ParseStatus::Complete) {
            break;
        }
        buffer.remove_prefix(parsed.consumed);
        const std::string& payload = parsed.reply.payload;
        if (const auto entries = tarnu::parseListing(payload)) {
            const std::string rebuilt = tarnu::buildListing(*entries);
            if (std::string_view(payload).substr(0, rebuilt.size()) != rebuilt) {
                __builtin_trap();
            }
        }
        tarnu::parseFileAnnouncement(payload);
    }
    return 0;
}
