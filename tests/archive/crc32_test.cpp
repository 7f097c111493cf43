#include "archive/crc32.h"

#include <gtest/gtest.h>

#include "archive/archive_test_util.h"

namespace tarnu {
namespace {

TEST(Crc32, MatchesZlibForEveryLengthAndAlignment) {
    const std::string bytes = test::randomBytes(5000, 9);
    for (std::size_t start : {0u, 1u, 3u, 7u}) {
        for (std::size_t n = 0; n + start <= 600; n += 1) {
            const std::string piece = bytes.substr(start, n);
            ASSERT_EQ(crc32Of(piece), test::zcrc(piece)) << start << "+" << n;
        }
    }
    // Continued in two parts, as the archive does block by block.
    const std::uint32_t first = crc32Update(0, bytes.data(), 1234);
    EXPECT_EQ(crc32Update(first, bytes.data() + 1234, bytes.size() - 1234), test::zcrc(bytes));
}

}  // namespace
}  // namespace tarnu
