// Loads arbitrary bytes as a ZuBook file with every service faked, then saves it again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "document/zubook.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

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
    tarnu::testing::FakeIcons iconPort;
    tarnu::testing::FakeMessages messages;
    tarnu::testing::FakeLinkServices links;
    tarnu::testing::ScriptedUi ui;
    tarnu::AsciiCollation collation;
    tarnu::ZuTree tree(collation);
    tarnu::IconCache icons(iconPort);
    tarnu::TZLBArchive archive;
    archive.VerifyArchiveCRC = size % 2 == 0;  // half the runs get past the CRC
    tarnu::HotFolderTable hotFolders;
    tarnu::SharedTree shared(collation);
    tree.setDeleteHook([&](tarnu::Node& n) { hotFolders.forget(&n); });
    tarnu::ZuBookDocument doc(
        tarnu::ZuBookParts{tree, icons, archive, hotFolders, shared, links, ui, messages, dir});
    if (doc.load(path)) {
        doc.save(dir + "/out.dua");
    }
    return 0;
}
