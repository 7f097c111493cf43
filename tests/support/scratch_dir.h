#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tarnu::testing {

// A fresh directory under the temporary directory, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarnu-test-XXXXXX");
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string str() const { return path_.string(); }
    const std::filesystem::path& path() const { return path_; }

    // Temporary files left behind: names starting with "ZLB" or ".ZLB", at any depth.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::recursive_directory_iterator(path_)) {
            const std::string name = e.path().filename().string();
            if (name.starts_with("ZLB") || name.starts_with(".ZLB")) {
                out.push_back(e.path().string());
            }
        }
        return out;
    }

private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace tarnu::testing
