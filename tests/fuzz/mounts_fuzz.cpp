// Feeds arbitrary text to the mount table reader, with no sysfs or label links to look at.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/linux/linux_drives.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const tarnu::MountSources nowhere{"/nonexistent-sysfs", "/nonexistent-labels"};
    for (const tarnu::Volume& volume : tarnu::parseVolumes(input, nowhere)) {
        // Without sysfs only optical file systems are volumes, and every one has a name.
        if (!volume.optical || volume.name.empty()) {
            std::abort();
        }
    }
    (void)tarnu::unescapeMountField(input);
    return 0;
}
