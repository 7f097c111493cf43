#pragma once

// Reference-counted names with 16-bit ids, handed out from 0xC000 up: adding a name that is
// already there gives its id again, and the id is freed when the last reference goes.

#include <cstdint>
#include <map>
#include <string>

namespace tarnu {

class AtomTable {
public:
    static constexpr std::uint16_t kFirstId = 0xC000;

    // The name's id; 0 when every id is taken.
    std::uint16_t add(const std::string& name);
    // Drops one reference; false when no name has that id.
    bool remove(std::uint16_t id);
    // The id of a name, 0 when absent.
    std::uint16_t find(const std::string& name) const;

private:
    struct Atom {
        std::string name;
        int references;
    };
    std::map<std::uint16_t, Atom> byId_;
    std::map<std::string, std::uint16_t> byName_;
};

}  // namespace tarnu
