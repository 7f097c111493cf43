#pragma once

#include <string>
#include <string_view>

namespace tarnu {

// Numbered texts of the program's message tables ("AskRes.ar", "ClientServer.cs", ...).
class MessageSource {
public:
    virtual ~MessageSource() = default;
    // Line n of the table, counted from 0; empty when the table is absent.
    virtual std::string message(std::string_view table, int n) = 0;
};

}  // namespace tarnu
