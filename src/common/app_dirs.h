#pragma once

// Where Tarnu's files are. Files that come with the program are only read; everything the
// program writes goes under the user data directory.
//
// Portable mode: a file "tarnu.portable" beside the executable makes the executable's own
// directory hold both, laid out as the build tree is (Data/, help/, plugins/).
// Installed mode: the program files lie relative to the executable (../share/tarnu and the
// plug-in directory under the library directory), so any install prefix works; the user data
// directory is $XDG_DATA_HOME/tarnu, by default ~/.local/share/tarnu.

#include <string>
#include <string_view>

namespace tarnu {

inline constexpr std::string_view kPortableMarker = "tarnu.portable";

struct AppDirs {
    std::string programDir;       // the directory of the executable
    std::string programFilesDir;  // read-only: data pack template, image pack, help
    std::string pluginDir;        // plug-ins that come with the program
    std::string userDataDir;      // writable: data pack, Default.dua, everything else written
    std::string userPluginDir;    // plug-ins the user adds; empty in portable mode
    bool portable = false;
};

// The directories of a program whose executable lies in exeDir, with the values of
// XDG_DATA_HOME and HOME (empty when unset). userDataDir is empty when installed mode finds
// neither.
AppDirs appDirs(std::string_view exeDir, std::string_view xdgDataHome, std::string_view home);

// The same with this process's environment.
AppDirs appDirsFromEnvironment(std::string_view exeDir);

}  // namespace tarnu
