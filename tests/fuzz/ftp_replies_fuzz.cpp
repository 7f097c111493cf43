// Feeds arbitrary bytes to the FTP client's reply reader as its buffer would hold them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sharing/ftp_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view buffer(reinterpret_cast<const char*>(data), size);
    for (;;) {
        const tarnu::FtpReplyParse parsed = tarnu::parseFtpReply(buffer);
        if (parsed.status != tarnu::ParseStatus::Complete) {
            break;
        }
        if (parsed.consumed == 0 || parsed.consumed > buffer.size()) {
            __builtin_trap();
        }
        buffer.remove_prefix(parsed.consumed);
    }
    return 0;
}
