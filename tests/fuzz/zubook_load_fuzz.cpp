// Loads arbitrary bytes as a ZuBook file with every service faked, then saves it again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "support/fake_document.h"

namespace {

std::string scratchDir() {
    static std::string dir = [] {
        std::string pattern = "/tmp/tarnu-fuzz-XXXXXX";
        return std::string(::mkdtemp(pattern.data()));
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string dir = scratchDir();
    const std::string path = dir + "/in.dua";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    tarnu::testing::FakeDocument parts(dir);
    parts.archive.VerifyArchiveCRC = size % 2 == 0;  // half the runs get past the CRC
    if (parts.doc.load(path)) {
        parts.doc.save(dir + "/out.dua");
    }
    return 0;
}
