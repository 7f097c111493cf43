// Feeds arbitrary text to the listing reader. The listing it reads must write out and read
// back unchanged, whatever names and section names the input held.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cdcatalog/cd_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const tarnu::CdListing listing = tarnu::CdListing::fromText(input);
    const std::string text = listing.toText();
    const tarnu::CdListing again = tarnu::CdListing::fromText(text);
    if (again.toText() != text) {
        std::abort();
    }
    for (const auto& section : listing.sections()) {
        if (again.files(section.name).size() < section.files.size()) {
            std::abort();
        }
    }
    return 0;
}
