#include "common/error.h"

namespace tarnu {

std::string formatMessage(std::string_view pattern, std::string_view arg) {
    std::string out(pattern);
    if (auto at = out.find("%s"); at != std::string::npos) {
        out.replace(at, 2, arg);
    }
    return out;
}

}  // namespace tarnu
