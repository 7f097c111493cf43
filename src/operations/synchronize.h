#pragma once

// "Synchronize": recreates the ZuFolders and Folder nodes of the ZuBook (or of the selected
// nodes) as directories under a target directory and copies or moves the files behind the
// File links into them. The work is planned from the tree on the GUI thread, runs on any
// thread without touching the tree, and its changes to the links are applied on the GUI
// thread at the end.

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/tree.h"
#include "operations/sync_files.h"
#include "operations/tree_busy.h"
#include "platform/ui.h"

namespace tarnu {

enum class SyncScope { AllTree, Selected };
enum class SyncAction { Copy, Move };

struct SyncChoices {
    std::string targetDir;
    SyncScope scope = SyncScope::AllTree;
    SyncAction action = SyncAction::Copy;
    bool renameByLinkName = false;
};

// The label's form of a path: directories from the front while the text stays under the
// limit, then "../" and the file name.
std::string shortenedPath(std::string_view path, std::size_t limit = 40);

// One step of a run, planned from the tree.
struct SyncStep {
    enum class Kind { MakeDirectory, FolderPath, File };
    Kind kind = Kind::File;
    Node* node = nullptr;     // FolderPath, File: the node whose column 1 may change
    std::string target;       // the directory, or the file's target
    std::string source;       // File: column 1
    std::string plainName;    // File: the target directory and the source's file name
    std::string captionName;  // File: the target directory, the caption and the extension
};

std::vector<SyncStep> planSync(ZuTree& tree, const SyncChoices& choices);

struct SyncOutcome {
    std::vector<std::pair<Node*, std::string>> newPaths;
    std::vector<std::string> failures;  // "path: reason"
    std::vector<std::string> deletedWithoutTrash;
    std::optional<std::string> fatal;  // a directory could not be created
    bool cancelled = false;
    std::size_t filesDone = 0;
};

// Progress: files done, files in all, the label.
using SyncProgress = std::function<void(std::size_t, std::size_t, const std::string&)>;

class SyncRun {
public:
    // Plans on the calling thread, which must be the tree's.
    SyncRun(ZuTree& tree, SyncChoices choices, SyncFiles& files);

    std::size_t fileCount() const { return fileCount_; }
    // Runs the plan on any thread; the tree is not touched. Stops between steps once stop
    // is set.
    void run(const std::atomic<bool>& stop, const SyncProgress& progress);
    // Back on the tree's thread: gives moved links and folders their new paths, shows the
    // error that ended the run, and sums up what failed.
    void finish(Ui& ui);

    const SyncOutcome& outcome() const { return outcome_; }

private:
    void runFile(const SyncStep& step);

    ZuTree& tree_;
    SyncChoices choices_;
    SyncFiles& files_;
    std::vector<SyncStep> steps_;
    std::size_t fileCount_ = 0;
    SyncOutcome outcome_;
};

// One run with everything it holds: the tree's nodes stay alive (the ZuBook may not be
// closed or its nodes deleted) until the job goes.
class SyncJob {
public:
    SyncJob(ZuTree& tree, TreeBusy& busy, SyncChoices choices)
        : hold_(busy), run_(tree, std::move(choices), files_) {}
    SyncRun& run() { return run_; }

private:
    TreeBusy::Hold hold_;
    SyncFiles files_;
    SyncRun run_;
};

// The summary shown at the end; empty when everything went through.
std::string syncSummary(const SyncOutcome& outcome);

}  // namespace tarnu
