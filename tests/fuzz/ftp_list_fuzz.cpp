// Reads arbitrary bytes as "FTPList.qfl"; what was read must write and read back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sharing/ftp_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tarnu::FtpListParse parsed = tarnu::parseFtpList(text);
    bool plain = true;  // texts that a line of the outline can hold as they are
    for (const auto& entry : parsed.entries) {
        for (const std::string* value : {&entry.host, &entry.description, &entry.status}) {
            plain = plain && value->find_first_of("\r\n\x1a") == std::string::npos &&
                    value->find_first_of(" \t") != 0 && !value->empty();
        }
    }
    if (plain &&
        tarnu::parseFtpList(tarnu::formatFtpList(parsed.entries)).entries != parsed.entries) {
        __builtin_trap();
    }
    return 0;
}
