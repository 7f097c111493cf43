#pragma once

// The client side of tarnu-share: one listing or one download, then done.

#include <QHostAddress>

#include <cstdint>
#include <string>

#include "sharing/client.h"

namespace tarnu::share {

struct Remote {
    QHostAddress address;
    std::uint16_t controlPort = kControlPort;
    std::uint16_t filePort = kFilePort;
};

// Prints the items of the folder at path ("" for the root): item path, caption, size.
int listFolder(const Remote& remote, const std::string& path);
// Downloads the file at path into directory under the name the server lists for it.
int getFile(const Remote& remote, const std::string& path, const std::string& directory);

}  // namespace tarnu::share
