#include "plugins/summary_panel.h"

#include "common/path.h"
#include "document/messages.h"

namespace tarnu {

SummaryTexts summaryTexts(const SummaryCounts& counts, std::string_view zuBookPath,
                          MessageSource& messages) {
    auto line = [&](int n) { return messages.message(ask::kTable, n); };
    SummaryTexts texts;
    texts.zuBook = line(ask::kSummaryZuBook) + std::string(path::fileName(zuBookPath));
    texts.counts = line(ask::kSummaryZuFolders) + std::to_string(counts.zuFolders) + "\n" +
                   line(ask::kSummaryFolders) + std::to_string(counts.folders) + "\n" +
                   line(ask::kSummaryFiles) + std::to_string(counts.files);
    return texts;
}

}  // namespace tarnu
