#pragma once

#include <string>

namespace tarnu {

// Hands a path or an address to the program the desktop opens it with.
class Shell {
public:
    virtual ~Shell() = default;
    // False, and nothing else, when it could not be handed over: an empty text, a path
    // that does not exist, or no program that takes it.
    virtual bool open(const std::string& pathOrUrl) = 0;
};

}  // namespace tarnu
