// Feeds arbitrary text to the INI reader, then checks that a key written into it reads back
// and that no other key's value changes, also after the text is parsed again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/error.h"
#include "document/ini_file.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tarnu::IniFile ini(input);
    const std::string before = ini.readString("Columns", "0", "none");
    int n = 0;
    (void)ini.readInteger("General", "RunMin", 1);
    (void)tarnu::parseProfileInteger(input.substr(0, 16), n);

    // A value from the input without line breaks, written under a fixed key.
    std::string value(input.substr(0, 32));
    for (char& c : value) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    try {
        ini.writeString("General", "LoadArch", value);
    } catch (const tarnu::Error&) {
        std::abort();
    }
    const std::string_view trimmed = [&] {
        std::string_view v = value;
        while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) {
            v.remove_prefix(1);
        }
        while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) {
            v.remove_suffix(1);
        }
        return v;
    }();
    check(ini.readString("general", "loadarch", "?") == trimmed);
    check(ini.readString("Columns", "0", "none") == before);

    const tarnu::IniFile again(ini.text());
    check(again.readString("General", "LoadArch", "?") == trimmed);
    check(again.readString("Columns", "0", "none") == before);
    check(again.text() == ini.text());
    return 0;
}
