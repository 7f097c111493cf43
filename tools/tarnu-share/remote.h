#pragma once

// The client side of tarnu-share: one listing or one download, then done.

#include <QHostAddress>

#include <cstdint>
#include <optional>
#include <string>

#include "sharing/client.h"

namespace tarnu::share {

struct Remote {
    QHostAddress address;
    std::uint16_t controlPort = kControlPort;
    std::uint16_t filePort = kFilePort;
};

// An item path as typed: "\\0\\1", or "/0/1" which a shell leaves alone; "" is the root.
// Says what is wrong and returns nothing when it is not one.
std::optional<std::string> itemPathArgument(std::string path);
// Prints the items of the folder at path ("" for the root): item path, caption, size.
int listFolder(const Remote& remote, const std::string& path);
// Downloads the file at path into directory under the name the server lists for it, or the
// folder at path with everything beneath it, printing each file as it ends.
int getFile(const Remote& remote, const std::string& path, const std::string& directory);

}  // namespace tarnu::share
