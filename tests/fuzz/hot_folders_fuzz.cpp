// Reads arbitrary bytes as "HotFolders.hf" against a small nested tree and writes it back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/hot_folders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnu::AsciiCollation collation;
    tarnu::ZuTree tree(collation);
    tarnu::Node* parent = nullptr;
    for (const char* caption : {":Docs", ":Work", ":Deep", "file"}) {
        tarnu::Node* n = tree.addChild(parent);
        tree.setText(n, tarnu::kColCaption, caption);
        tree.setText(n, tarnu::kColKind, caption[0] == ':' ? "ZuFolder" : "File");
        parent = n;
    }
    tarnu::HotFolderTable table;
    table.read(tree, std::string_view(reinterpret_cast<const char*>(data), size));
    table.write();
    return 0;
}
