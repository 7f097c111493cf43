#pragma once

#include <string>

namespace tarnu {

// System icon indices, as the desktop's icon theme gives them.
class Icons {
public:
    virtual ~Icons() = default;
    // The icon of a directory.
    virtual int folderIcon() = 0;
    // The icon of a file of a type no program claims (the plain document icon).
    virtual int plainFileIcon() = 0;
    // The small icon of this very file.
    virtual int fileIcon(const std::string& path) = 0;
};

}  // namespace tarnu
