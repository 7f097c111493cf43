#pragma once

// File-system path rules shared by the whole program. Paths use the native separator;
// on Linux that is "/" and the root "/" plays the part of a drive root.

#include <string>
#include <string_view>

namespace tarnu::path {

inline constexpr char kSeparator = '/';

// The part after the last separator (the whole text when there is none).
std::string_view fileName(std::string_view path);

// The part up to and including the last separator (empty when there is none).
std::string_view directory(std::string_view path);

// The extension with its dot, taken from the file-name part; empty when it has none.
std::string_view extension(std::string_view path);

// Joins a directory and a name with exactly one separator between them.
std::string join(std::string_view dir, std::string_view name);

// In the two rules below "the program directory" of stored paths is the user data directory
// (see common/app_dirs.h): the executable's own directory only in portable mode. An
// installed program's directory is shared and read-only, and nothing the user stores
// lives there.

// The form in which a path is shown in captions and stored in settings: the part after the
// user data directory and its separator when the path lies inside that directory, otherwise
// the path unchanged.
std::string captionPath(std::string_view path, std::string_view userDataDir);

// The path a stored value stands for: a relative value (which includes every bare name) is
// taken in the user data directory; an absolute one is used as it is; empty stays empty.
std::string usablePath(std::string_view stored, std::string_view userDataDir);

}  // namespace tarnu::path
