#include "operations/atom_table.h"

namespace tarnu {

std::uint16_t AtomTable::add(const std::string& name) {
    if (auto it = byName_.find(name); it != byName_.end()) {
        ++byId_.at(it->second).references;
        return it->second;
    }
    // The lowest free id: ids are few and freed ones come back into use.
    std::uint32_t id = kFirstId;
    for (auto it = byId_.begin(); it != byId_.end() && it->first == id; ++it) {
        ++id;
    }
    if (id > 0xFFFF) {
        return 0;
    }
    auto atom = static_cast<std::uint16_t>(id);
    byId_.emplace(atom, Atom{name, 1});
    byName_.emplace(name, atom);
    return atom;
}

bool AtomTable::remove(std::uint16_t id) {
    auto it = byId_.find(id);
    if (it == byId_.end()) {
        return false;
    }
    if (--it->second.references == 0) {
        byName_.erase(it->second.name);
        byId_.erase(it);
    }
    return true;
}

std::uint16_t AtomTable::find(const std::string& name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? 0 : it->second;
}

}  // namespace tarnu
