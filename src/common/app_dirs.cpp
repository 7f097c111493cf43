#include "common/app_dirs.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/path.h"

// Set by the build from the install layout; these are the defaults of GNUInstallDirs.
#ifndef TARNU_DATA_FROM_BIN
#define TARNU_DATA_FROM_BIN "../share/tarnu"
#endif
#ifndef TARNU_PLUGINS_FROM_BIN
#define TARNU_PLUGINS_FROM_BIN "../lib/tarnu/plugins"
#endif

namespace tarnu {

namespace {

namespace fs = std::filesystem;

std::string below(std::string_view dir, std::string_view relative) {
    std::string out = (fs::path(dir) / fs::path(relative)).lexically_normal().string();
    if (out.size() > 1 && out.back() == path::kSeparator) {
        out.pop_back();
    }
    return out;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

AppDirs appDirs(std::string_view exeDir, std::string_view xdgDataHome, std::string_view home) {
    AppDirs dirs;
    dirs.programDir = std::string(exeDir);
    std::error_code ec;
    dirs.portable = fs::exists(fs::path(exeDir) / kPortableMarker, ec);
    if (dirs.portable) {
        dirs.programFilesDir = dirs.programDir;
        dirs.pluginDir = path::join(dirs.programDir, "plugins");
        dirs.userDataDir = dirs.programDir;
    } else {
        dirs.programFilesDir = below(exeDir, TARNU_DATA_FROM_BIN);
        dirs.pluginDir = below(exeDir, TARNU_PLUGINS_FROM_BIN);
        // The XDG rules ignore a relative XDG_DATA_HOME.
        if (xdgDataHome.starts_with(path::kSeparator)) {
            dirs.userDataDir = path::join(xdgDataHome, "tarnu");
        } else if (!home.empty()) {
            dirs.userDataDir = path::join(home, ".local/share/tarnu");
        }
    }
    if (!dirs.portable && !dirs.userDataDir.empty()) {
        dirs.userPluginDir = path::join(dirs.userDataDir, "plugins");
    }
    return dirs;
}

AppDirs appDirsFromEnvironment(std::string_view exeDir) {
    return appDirs(exeDir, environment("XDG_DATA_HOME"), environment("HOME"));
}

}  // namespace tarnu
