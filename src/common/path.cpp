#include "common/path.h"

namespace tarnu::path {

std::string_view fileName(std::string_view path) {
    auto at = path.rfind(kSeparator);
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

std::string_view directory(std::string_view path) {
    auto at = path.rfind(kSeparator);
    return at == std::string_view::npos ? std::string_view{} : path.substr(0, at + 1);
}

std::string_view extension(std::string_view path) {
    auto name = fileName(path);
    auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

std::string join(std::string_view dir, std::string_view name) {
    std::string out(dir);
    if (!out.empty() && out.back() != kSeparator) {
        out += kSeparator;
    }
    out += name;
    return out;
}

std::string captionPath(std::string_view path, std::string_view userDataDir) {
    std::string prefix(userDataDir);
    if (prefix.empty() || prefix.back() != kSeparator) {
        prefix += kSeparator;
    }
    // Only a true prefix counts: "/opt/tarnu2/a.dua" does not lie inside "/opt/tarnu".
    if (path.size() > prefix.size() && path.starts_with(prefix)) {
        return std::string(path.substr(prefix.size()));
    }
    return std::string(path);
}

std::string usablePath(std::string_view stored, std::string_view userDataDir) {
    if (stored.empty() || stored.front() == kSeparator) {
        return std::string(stored);
    }
    return join(userDataDir, stored);
}

}  // namespace tarnu::path
