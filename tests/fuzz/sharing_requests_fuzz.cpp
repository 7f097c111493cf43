// Feeds arbitrary bytes to the server's request framing as one connection's buffer would
// hold them, and resolves every path against a small shared tree.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sharing/protocol.h"
#include "sharing/shared_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnu::AsciiCollation collation;
    tarnu::SharedTree shared(collation);
    tarnu::ZuTree& tree = shared.tree();
    tarnu::Node* docs = tree.addChild(shared.root());
    tree.setText(docs, tarnu::kSharedCaption, ":docs");
    tree.setText(docs, tarnu::kSharedFullName, tarnu::kSharedFolderMark);
    tarnu::Node* file = tree.addChild(docs);
    tree.setText(file, tarnu::kSharedCaption, "a.txt");
    tree.setText(file, tarnu::kSharedFullName, "/nonexistent/a.txt");

    std::string_view buffer(reinterpret_cast<const char*>(data), size);
    for (;;) {
        const tarnu::RequestParse parsed = tarnu::parseRequest(buffer);
        if (parsed.status != tarnu::ParseStatus::Complete) {
            break;
        }
        if (parsed.consumed == 0 || parsed.consumed > buffer.size()) {
            __builtin_trap();  // a complete request always takes bytes from the buffer
        }
        buffer.remove_prefix(parsed.consumed);
        for (auto wanted : {tarnu::ItemWanted::Folder, tarnu::ItemWanted::File}) {
            if (const tarnu::Node* item = tarnu::resolveItem(shared, parsed.request.path, wanted)) {
                tarnu::listingOf(shared, item);
            }
        }
    }
    return 0;
}
