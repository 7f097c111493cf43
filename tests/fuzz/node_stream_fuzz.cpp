// Reads arbitrary bytes as a node stream and writes back whatever was read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/error.h"
#include "model/node_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnu::AsciiCollation collation;
    tarnu::ZuTree tree(collation);
    tarnu::MemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        tarnu::readNodeStream(tree, in);
    } catch (const tarnu::Error&) {
        // The nodes read so far stay in the tree and must still write out cleanly.
    }
    tarnu::MemoryStream out;
    tarnu::writeNodeStream(tree, out);
    tarnu::ZuTree again(collation);
    out.seek(0);
    tarnu::readNodeStream(again, out);
    if (again.nodeCount() != tree.nodeCount()) {
        __builtin_trap();
    }
    return 0;
}
