#pragma once

// Finding, checking and calling plug-in libraries. A library is loaded for one call and
// unloaded right after it, also when the call raises.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tarnu_plugin.h"

namespace tarnu {

inline constexpr std::string_view kPlugInSuffix = ".qfp";
inline constexpr std::string_view kDefaultInfoPlugIn = "DefFileInfo";

struct PlugInCall {
    enum class Outcome {
        Ran,
        NotFound,    // no such file in any plug-in directory, or not a plain name
        Unsafe,      // the file or its directory may be written by other users
        LoadFailed,  // not a loadable library
        NoExport,    // the version or the wanted export is missing
        WrongAbi,    // built against another interface version
        Raised,      // the call raised; error holds its text
    };
    Outcome outcome = Outcome::NotFound;
    std::string error;

    bool ran() const { return outcome == Outcome::Ran || outcome == Outcome::Raised; }
};

// A plug-in name is a file name without its suffix: no separators, no "..", no NUL.
bool isPlainPlugInName(std::string_view name);

// Why other users could change the file or directory at path (group or world writable, or
// owned by someone else than this user or root); empty when they cannot.
std::string unsafeReason(const std::string& path);

// The four texts an information plug-in gets.
struct InfoPlugInTexts {
    std::string programDir;
    std::string name;
    std::string fullPath;
    std::string hotKey;
};

class PlugInLibraries {
public:
    // Directories looked in, in order; a later one is only used when an earlier one has no
    // such file.
    explicit PlugInLibraries(std::vector<std::string> dirs) : dirs_(std::move(dirs)) {}

    // The file of plug-in name (without suffix), names compared without regard to case, as
    // the plug-in directory always did; empty when there is none.
    std::string locate(std::string_view name) const;

    PlugInCall runAction(std::string_view name, TarnuHost* window, std::uint32_t message) const;
    PlugInCall runInfo(std::string_view name, const InfoPlugInTexts& texts, bool locked) const;

    const std::vector<std::string>& dirs() const { return dirs_; }

private:
    std::vector<std::string> dirs_;
};

}  // namespace tarnu
