// Feeds arbitrary text to the catalog tree reader. Whatever it keeps must write out and read
// back to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cdcatalog/catalog_tree.h"
#include "common/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const tarnu::AsciiCollation collation;
    tarnu::CatalogTree tree(collation);
    try {
        tree.loadText(input);
    } catch (const tarnu::Error&) {
        // a level error keeps the nodes read so far
    }
    const std::string text = tree.toText();
    tarnu::CatalogTree again(collation);
    again.loadText(text);  // an error here is a fault: it escapes and fails the run
    if (again.toText() != text) {
        std::abort();
    }
    return 0;
}
