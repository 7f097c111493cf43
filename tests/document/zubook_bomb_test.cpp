// Small hostile ZuBooks that unpack into huge entries or trees. Loading one takes memory in
// proportion to the tree it really holds, or is refused with a message; the load runs in a
// child process so that its peak memory can be measured on its own.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "archive/archive_writer.h"
#include "common/bytes.h"
#include "model/node_stream.h"
#include "support/fake_document.h"
#include "support/repeat_source.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

// TARNU_FULL_BOMBS=1 builds them at the size met in the field: 10 million nodes in a
// 679 KB file, six 256 MiB entries of zeros in 1.5 MB.
bool fullSize() {
    const char* full = std::getenv("TARNU_FULL_BOMBS");
    return full != nullptr && std::string_view(full) == "1";
}

std::string i32s(std::initializer_list<std::int32_t> values) {
    std::string out;
    for (std::int32_t v : values) {
        appendI32(out, v);
    }
    return out;
}

void writeBomb(const std::string& path, const std::vector<std::string>& names,
               const std::function<testing::RepeatSource(const std::string&)>& content) {
    ArchiveWriter out(path, TCompressionLevel::fcFastest);
    std::vector<ArchiveEntry> entries;
    for (const std::string& name : names) {
        ArchiveEntry& entry = entries.emplace_back();
        entry.name = name;
        testing::RepeatSource source = content(name);
        out.storeEntry(entry, source);
    }
    out.finish(entries);
    out.commit();
}

// Empty top-level nodes, 28 bytes each before compression; the records are empty.
void writeNodeBomb(const std::string& path, std::int32_t nodes) {
    writeBomb(path, {"UserTable.tbl", "ItemRec.lst"}, [&](const std::string& name) {
        if (name == "ItemRec.lst") {
            return testing::RepeatSource(i32s({0}), "", 0);
        }
        return testing::RepeatSource(i32s({-1, nodes}), i32s({24, 0, -1, -1, 0, 0, 0}), nodes);
    });
}

// Entries of zeros: an empty tree (its first integer is 0), an empty shared tree, and
// plug-in data the load never needs. With honest records the two record entries hold just
// their count of 0; otherwise they are zeros too.
void writeZeroBomb(const std::string& path, std::int64_t entrySize, bool honestRecords) {
    const std::string zeros(1 << 16, '\0');
    writeBomb(path,
              {"User_FPlugIns", "UserTable.tbl", "ItemRec.lst", "HotFolders.hf", "NodesState.ns",
               "SharedFiles.sf"},
              [&](const std::string& name) {
                  if (honestRecords && name != "User_FPlugIns" && name != "UserTable.tbl" &&
                      name != "SharedFiles.sf") {
                      return testing::RepeatSource(i32s({0}), "", 0);
                  }
                  return testing::RepeatSource("", zeros, entrySize / std::int64_t(zeros.size()));
              });
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::atol(line.c_str() + std::strlen(field));
        }
    }
    return -1;
}

struct LoadOutcome {
    bool loaded = false;
    long baseKb = 0;  // resident before the load
    long peakKb = 0;  // highest while loading
    long treeKb = 0;  // resident after it, less the base: what the tree holds
    char error[240] = {};
};

// Loads the ZuBook in a child process, optionally with its address space limited to what it
// has plus extraBytes. A child the kernel or an exception kills reports nothing.
std::optional<LoadOutcome> loadInChild(const std::string& path, std::size_t extraBytes = 0) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        testing::ScratchDir dir;
        testing::FakeDocument parts(dir.str());
        if (extraBytes > 0) {
            const auto vmKb = static_cast<rlim_t>(statusKb("VmSize:"));
            const rlimit limit{vmKb * 1024 + extraBytes, RLIM_INFINITY};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
        LoadOutcome out;
        out.baseKb = statusKb("VmRSS:");
        out.loaded = parts.doc.load(path);
        out.peakKb = statusKb("VmHWM:");
        out.treeKb = statusKb("VmRSS:") - out.baseKb;
        if (!parts.ui.errors.empty()) {
            std::strncpy(out.error, parts.ui.errors.front().c_str(), sizeof out.error - 1);
        }
        (void)!::write(pipeFds[1], &out, sizeof out);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    LoadOutcome out;
    const bool got = ::read(pipeFds[0], &out, sizeof out) == sizeof out;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return got ? std::optional(out) : std::nullopt;
}

TEST(ZuBookBombTest, NodeBombTakesLessThanTwiceItsTreeOrIsRefused) {
    const std::int32_t nodes = fullSize() ? 10'000'000 : 1'000'000;
    testing::ScratchDir dir;
    const std::string path = dir / "nodes.dua";
    writeNodeBomb(path, nodes);

    const auto loaded = loadInChild(path);
    ASSERT_TRUE(loaded) << "the load killed its process";
    ASSERT_TRUE(loaded->loaded) << loaded->error;
    const long extraKb = loaded->peakKb - loaded->baseKb;
    std::printf("%d nodes: tree %ld KiB, peak while loading %ld KiB above the start\n", nodes,
                loaded->treeKb, extraKb);
    EXPECT_LT(extraKb, 2 * loaded->treeKb);

    // Room for a tenth of the tree: refused with a message, the process lives on.
    const auto refused = loadInChild(path, static_cast<std::size_t>(loaded->treeKb) * 1024 / 10);
    ASSERT_TRUE(refused) << "the load killed its process";
    EXPECT_FALSE(refused->loaded);
    EXPECT_NE(
        std::string(refused->error).find("The tree needs more memory than this computer can give"),
        std::string::npos)
        << refused->error;
}

TEST(ZuBookBombTest, ZeroEntriesLoadAnEmptyTreeInLittleMemoryOrAreRefused) {
    const std::int64_t entrySize = std::int64_t{fullSize() ? 256 : 32} << 20;
    testing::ScratchDir dir;
    for (const bool honestRecords : {true, false}) {
        const std::string path = dir / (honestRecords ? "zeros.dua" : "records.dua");
        writeZeroBomb(path, entrySize, honestRecords);
        const auto outcome = loadInChild(path);
        ASSERT_TRUE(outcome) << "the load killed its process";
        if (honestRecords) {
            EXPECT_TRUE(outcome->loaded) << outcome->error;
        } else {
            // No tree of no nodes needs more than the 4 bytes of a count.
            EXPECT_FALSE(outcome->loaded);
            EXPECT_EQ(std::string(outcome->error),
                      "ItemRec.lst is larger than its ZuBook can need (" + path + ")");
        }
        const long extraKb = outcome->peakKb - outcome->baseKb;
        std::printf("entries of %lld MiB, honest records %d: peak %ld KiB above the start\n",
                    static_cast<long long>(entrySize >> 20), honestRecords, extraKb);
        EXPECT_LT(extraKb, 16 * 1024);
    }
}

}  // namespace
}  // namespace tarnu
