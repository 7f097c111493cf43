// Feeds arbitrary text to the extension registry as ext.ini and as newplg.ini, then checks
// that what it writes reads back to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "plugins/extension_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tarnu::ExtensionRegistry registry;
    registry.read(input);
    registry.merge(input.substr(size / 2));
    for (const tarnu::ExtensionEntry& entry : registry.entries()) {
        (void)registry.defaultActionPlugInOf(entry.extension);
        (void)registry.actionsOf(entry.extension);
    }
    const std::string written = registry.write();
    tarnu::ExtensionRegistry again;
    again.read(written);
    // A text that holds a line break or "=" in a name cannot round-trip; the rest must.
    bool plain = true;
    for (const tarnu::ExtensionEntry& entry : registry.entries()) {
        plain = plain && entry.extension.find_first_of("\r\n") == std::string::npos &&
                entry.infoPlugIn.find_first_of("\r\n") == std::string::npos;
        for (const tarnu::PlugInAction& action : entry.actions) {
            plain = plain && action.name.find_first_of("\r\n=") == std::string::npos &&
                    action.plugIn.find_first_of("\r\n") == std::string::npos;
        }
    }
    if (plain && again.write() != written) {
        std::abort();
    }
    return 0;
}
