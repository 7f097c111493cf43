#pragma once

// "Lock files", "Unlock files" and "Check links" as the window runs them: over selections
// and ZuBooks of any size, letting the window run and showing progress in the status bar.

#include <chrono>
#include <cstddef>
#include <string_view>
#include <vector>

#include "model/icon_cache.h"
#include "model/tree.h"
#include "operations/locking.h"
#include "operations/tree_busy.h"
#include "platform/event_pump.h"
#include "platform/ui.h"

namespace tarnu {

struct LinkScanParts {
    ZuTree& tree;
    IconCache& icons;
    LinkLocks& locks;
    Ui& ui;
    EventPump& pump;
    TreeBusy& busy;
    TreeViewHooks* view = nullptr;
    std::chrono::milliseconds pumpInterval{10};
    AutoSave autoSave;
};

class LinkScans {
public:
    // The status-bar panel that shows how far a run has come.
    static constexpr int kProgressPanel = 1;

    // Everything in the parts must outlive this object.
    explicit LinkScans(LinkScanParts parts) : parts_(std::move(parts)) {}

    // Each runs over the selection in its order and saves after every node it changed.
    void aLockFilesExecute();
    void aUnlockFilesExecute();
    // Over the whole ZuBook in flat order.
    void aCheckLinksExecute();

    // A run is under way (the window runs meanwhile); a second one is refused.
    bool running() const { return running_.busy(); }

private:
    using Step = bool (*)(ZuTree&, Node&, LinkLocks&);
    void runOverSelection(Step step, std::string_view what);
    // Lets the window run now and then, and shows how far the run has come. False when the
    // program asked the run to stop.
    bool progress(std::string_view what, std::size_t done, std::size_t total);

    LinkScanParts parts_;
    TreeBusy running_;
    std::chrono::steady_clock::time_point lastPump_;
};

}  // namespace tarnu
