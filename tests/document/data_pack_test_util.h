#pragma once

// Helpers of the data-pack tests: a program directory with its own packs, and JPEG pictures
// made with libjpeg.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <jpeglib.h>

#include "archive/zlb_archive.h"
#include "common/path.h"
#include "common/stream.h"
#include "support/scratch_dir.h"

namespace tarnu::testing {

// A program directory with a "Data" directory.
class ProgramDir {
public:
    ProgramDir() { std::filesystem::create_directories(dataDir()); }

    std::string path() const { return dir_.str(); }
    std::string dataDir() const { return dir_ / "Data"; }
    std::string dataPack() const { return path::join(dataDir(), "ZuData.dta"); }
    std::string imagePack() const { return path::join(dataDir(), "ZuIm.qii"); }

    // Writes an archive holding exactly these entries.
    static void makeArchive(const std::string& file,
                            const std::map<std::string, std::string>& entries) {
        std::filesystem::remove(file);
        TZLBArchive archive;
        archive.create(file);
        archive.deleteEntry({});  // writes the file even when there are no entries
        for (const auto& [name, bytes] : entries) {
            MemoryStream source(bytes);
            archive.addStream(name, source);
        }
        archive.close();
    }

private:
    ScratchDir dir_;
};

// A baseline JPEG of one colour; grey when components is 1.
inline std::string encodeJpeg(int width, int height, int components, const unsigned char* colour) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::string row;
    for (int x = 0; x < width; ++x) {
        row.append(reinterpret_cast<const char*>(colour), static_cast<std::size_t>(components));
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return out;
}

}  // namespace tarnu::testing
