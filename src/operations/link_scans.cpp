#include "operations/link_scans.h"

#include <string>

namespace tarnu {

namespace {

constexpr std::string_view kLocking = "Locking files";
constexpr std::string_view kUnlocking = "Unlocking files";
constexpr std::string_view kChecking = "Checking links";

}  // namespace

bool LinkScans::progress(std::string_view what, std::size_t done, std::size_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ < parts_.pumpInterval) {
        return true;
    }
    parts_.ui.setStatus(kProgressPanel, std::string(what) + ": " + std::to_string(done) + " of " +
                                            std::to_string(total));
    parts_.pump.processPendingEvents();
    lastPump_ = std::chrono::steady_clock::now();
    return !parts_.busy.stopRequested();
}

void LinkScans::runOverSelection(Step step, std::string_view what) {
    if (running()) {
        return;
    }
    // The nodes are held while the window runs: nothing may delete them meanwhile.
    TreeBusy::Hold hold(parts_.busy);
    TreeBusy::Hold run(running_);
    TreeViewUpdate update(parts_.view);
    const std::vector<Node*> selection = parts_.tree.selection();
    lastPump_ = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < selection.size(); ++i) {
        // A node the command left as it was gives a save nothing new to write.
        if (step(parts_.tree, *selection[i], parts_.locks) && parts_.autoSave) {
            parts_.autoSave();
        }
        if (!progress(what, i + 1, selection.size())) {
            break;
        }
    }
    parts_.ui.setStatus(kProgressPanel, "");
}

void LinkScans::aLockFilesExecute() {
    runOverSelection(&lockLink, kLocking);
}

void LinkScans::aUnlockFilesExecute() {
    runOverSelection(&unlockLink, kUnlocking);
}

void LinkScans::aCheckLinksExecute() {
    if (running()) {
        return;
    }
    TreeBusy::Hold hold(parts_.busy);
    TreeBusy::Hold run(running_);
    // Taken first: a command that runs meanwhile may add nodes, which the walk must not meet
    // half-way through a list of children.
    std::vector<Node*> order;
    order.reserve(parts_.tree.nodeCount());
    parts_.tree.forEachInFlatOrder([&order](Node* node) {
        order.push_back(node);
        return true;
    });
    lastPump_ = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < order.size(); ++i) {
        checkLink(parts_.tree, parts_.icons, *order[i]);
        if (!progress(kChecking, i + 1, order.size())) {
            break;
        }
    }
    parts_.ui.setStatus(kProgressPanel, "");
}

}  // namespace tarnu
