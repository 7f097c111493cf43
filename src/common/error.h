#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnu {

// The one error type of the program. Its text is shown to the user as it stands.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills the first "%s" of a message template with an argument.
std::string formatMessage(std::string_view pattern, std::string_view arg);

}  // namespace tarnu
