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

// Fills the first "%s" of a message template with an argument. A NUL in the argument (an
// entry name may hold one) is shown as "\0", so that it cannot end the text early.
std::string formatMessage(std::string_view pattern, std::string_view arg);

// The message followed by what it concerns: "message (detail)".
std::string withDetail(std::string_view message, std::string_view detail);

// The system's reason for an error number, as in "No space left on device".
std::string systemReason(int error);

// A failure of the system on a file, with the error number behind it.
class SystemError : public Error {
public:
    SystemError(const std::string& text, int code) : Error(text), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

}  // namespace tarnu
