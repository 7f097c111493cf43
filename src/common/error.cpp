#include "common/error.h"

#include <cstring>

namespace tarnu {

std::string formatMessage(std::string_view pattern, std::string_view arg) {
    std::string shown;
    shown.reserve(arg.size());
    for (char c : arg) {
        if (c == '\0') {
            shown += "\\0";
        } else {
            shown += c;
        }
    }
    std::string out(pattern);
    if (auto at = out.find("%s"); at != std::string::npos) {
        out.replace(at, 2, shown);
    }
    return out;
}

std::string withDetail(std::string_view message, std::string_view detail) {
    std::string out(message);
    out += " (";
    out += detail;
    out += ')';
    return out;
}

std::string systemReason(int error) {
    return std::strerror(error);
}

}  // namespace tarnu
