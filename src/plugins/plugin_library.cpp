#include "plugins/plugin_library.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <filesystem>
#include <functional>

#include "plugins/extension_registry.h"
#include "plugins/plugin_records.h"

namespace tarnu {

namespace fs = std::filesystem;

namespace {

using Outcome = PlugInCall::Outcome;

// Closes the library when the call is over, however it ends.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path)
        : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~LoadedLibrary() {
        if (handle_) {
            dlclose(handle_);
        }
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    template <typename Fn>
    Fn symbol(const char* name) const {
        return reinterpret_cast<Fn>(dlsym(handle_, name));
    }

private:
    void* handle_;
};

std::string lastLoadError() {
    const char* text = dlerror();
    return text ? text : "";
}

// Loads the file, checks its interface version and finds the export; then calls it.
template <typename Fn>
PlugInCall callExport(const PlugInLibraries& libraries, std::string_view name,
                      const char* exportName, const std::function<void(Fn)>& call) {
    const std::string path = libraries.locate(name);
    if (path.empty()) {
        return {Outcome::NotFound, std::string(name) + ": no such plug-in"};
    }
    for (const std::string& checked : {fs::path(path).parent_path().string(), path}) {
        if (std::string reason = unsafeReason(checked); !reason.empty()) {
            return {Outcome::Unsafe, reason};
        }
    }
    LoadedLibrary library(path);
    if (!library.loaded()) {
        return {Outcome::LoadFailed, lastLoadError()};
    }
    const auto version = library.symbol<TarnuAbiVersionFn>("qpAbiVersion");
    const auto entry = library.symbol<Fn>(exportName);
    if (!version || !entry) {
        return {Outcome::NoExport, path + " lacks " + (version ? exportName : "qpAbiVersion")};
    }
    if (version() != TARNU_PLUGIN_ABI_VERSION) {
        return {Outcome::WrongAbi, path + " was built for another Tarnu plug-in interface"};
    }
    try {
        call(entry);
    } catch (const std::exception& error) {
        return {Outcome::Raised, error.what()};
    } catch (...) {
        return {Outcome::Raised, "The plug-in " + std::string(name) + " failed."};
    }
    return {Outcome::Ran, {}};
}

}  // namespace

bool isPlainPlugInName(std::string_view name) {
    return !name.empty() &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

std::string unsafeReason(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return path + " may be changed by other users, so Tarnu loads no plug-in from it.";
    }
    if (info.st_uid != 0 && info.st_uid != ::geteuid()) {
        return path + " belongs to another user, so Tarnu loads no plug-in from it.";
    }
    return {};
}

std::string PlugInLibraries::locate(std::string_view name) const {
    if (!isPlainPlugInName(name)) {
        return {};
    }
    const std::string wanted = std::string(name) + std::string(kPlugInSuffix);
    for (const std::string& dir : dirs_) {
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
            const std::string file = entry.path().filename().string();
            if (sameTextFolded(file, wanted) && entry.is_regular_file(ec)) {
                return entry.path().string();
            }
        }
    }
    return {};
}

PlugInCall PlugInLibraries::runAction(std::string_view name, TarnuHost* window,
                                      std::uint32_t message) const {
    return callExport<TarnuExecFn>(*this, name, "qpExec",
                                   [&](TarnuExecFn exec) { exec(window, message); });
}

PlugInCall PlugInLibraries::runInfo(std::string_view name, const InfoPlugInTexts& texts,
                                    bool locked) const {
    // Private copies: the plug-in may read them for the length of its call.
    const TextField dir = makeTextField(texts.programDir);
    const TextField caption = makeTextField(texts.name);
    const TextField path = makeTextField(texts.fullPath);
    const TextField hotKey = makeTextField(texts.hotKey);
    return callExport<TarnuExecProcFn>(*this, name, "qpExecProc", [&](TarnuExecProcFn exec) {
        exec(dir.data(), caption.data(), path.data(), hotKey.data(), locked ? 1 : 0);
    });
}

}  // namespace tarnu
