// Opens arbitrary bytes as an archive and extracts every entry. Damage must surface as
// tarnu::Error: no crash, no hang, no allocation beyond what the input can justify.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/zlb_archive.h"
#include "common/error.h"

namespace {

std::string inputDir;
std::string inputPath;

void removeInput() {
    ::unlink(inputPath.c_str());
    ::rmdir(inputDir.c_str());
}

void writeInput(const std::uint8_t* data, std::size_t size) {
    if (inputPath.empty()) {
        char dir[] = "/tmp/tarnu-fuzz-XXXXXX";
        if (::mkdtemp(dir) == nullptr) {
            std::abort();
        }
        inputDir = dir;
        inputPath = inputDir + "/input.zlb";
        std::atexit(removeInput);
    }
    std::FILE* f = std::fopen(inputPath.c_str(), "wb");
    if (f == nullptr || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeInput(data, size);
    // Without the CRC check the fuzzer reaches the directory and entries; with it, inputs
    // that carry a matching CRC take the path the program takes.
    for (const bool verify : {false, true}) {
        tarnu::TZLBArchive archive;
        archive.VerifyArchiveCRC = verify;
        archive.VerifyFileCRC = true;
        try {
            archive.open(inputPath);
        } catch (const tarnu::Error&) {
            continue;
        }
        for (const tarnu::ArchiveEntry& entry : archive.entries()) {
            tarnu::MemoryStream out;
            try {
                archive.extractToStream(entry.folder + entry.name, out);
            } catch (const tarnu::Error&) {
            }
        }
    }
    return 0;
}
