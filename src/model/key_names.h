#pragma once

// Names of keys by their virtual-key code (0-255), standing in for the keyboard layout's
// key names. Hot-key texts are built from these names and parsed back with them.

#include <array>
#include <string>
#include <string_view>

namespace tarnu {

inline constexpr unsigned kVkShift = 16;
inline constexpr unsigned kVkControl = 17;
inline constexpr unsigned kVkMenu = 18;  // Alt

class KeyNameTable {
public:
    // The names a US English layout gives; extended keys (Home, arrows, ...) by their own
    // names rather than the keypad's.
    static KeyNameTable usEnglish();

    // The name of a key, empty when the layout has none for it.
    std::string_view name(unsigned vk) const {
        return vk < names_.size() ? std::string_view(names_[vk]) : std::string_view();
    }
    void setName(unsigned vk, std::string name) { names_.at(vk) = std::move(name); }

private:
    std::array<std::string, 256> names_;
};

}  // namespace tarnu
