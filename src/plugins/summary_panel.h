#pragma once

// The texts of the summary panel above the tree: the open ZuBook's file name, and its
// ZuFolder, folder-link and file-link counts, one per line.

#include <string>
#include <string_view>

#include "document/message_source.h"
#include "document/zubook.h"

namespace tarnu {

struct SummaryTexts {
    std::string zuBook;  // message 25 and the file name without its directory
    std::string counts;  // messages 26 to 28 with their counts, one per line
};

// Raises Error when the data pack lacks the lines.
SummaryTexts summaryTexts(const SummaryCounts& counts, std::string_view zuBookPath,
                          MessageSource& messages);

}  // namespace tarnu
