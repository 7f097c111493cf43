#pragma once

// An open ZuBook with the adding and editing commands wired to fakes, for the command tests.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/zubook.h"
#include "operations/adding.h"
#include "operations/editing.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu::testing {

// Counts its calls and can act like a user who does something while the window runs.
class FakePump : public EventPump {
public:
    void processPendingEvents() override {
        ++calls;
        if (onPump) {
            onPump();
        }
    }
    int calls = 0;
    std::function<void()> onPump;
};

class SummaryRecorder : public ZuBookListener {
public:
    void summaryChanged(const SummaryCounts& counts) override {
        ++refreshes;
        shown = counts;
    }
    int refreshes = 0;
    SummaryCounts shown;
};

class BookFixture : public ::testing::Test {
protected:
    void SetUp() override {
        document.setListener(&summary);
        ui.inputs.push_back("book.dua");
        document.newZuBook();
        ASSERT_TRUE(document.isOpen());
        ui.prompts.clear();
        summary.refreshes = 0;
    }

    Node* addNode(Node* parent, std::string_view caption, std::string_view kind,
                  std::string_view path = {}) {
        Node* n = tree.addChild(parent);
        tree.setText(n, kColCaption, caption);
        tree.setText(n, kColPath, path);
        tree.setText(n, kColKind, kind);
        return n;
    }

    std::vector<std::string> captions(const Node* parent) {
        std::vector<std::string> out;
        for (const Node* n : tree.children(parent)) {
            out.emplace_back(n->text(kColCaption));
        }
        return out;
    }

    // The ZuBook was written by the auto-save rule.
    bool autoSaved() const { return std::filesystem::exists(dir / "book.dua"); }

    ScratchDir dir;
    FakeIcons iconPort;
    FakeMessages messages;
    FakeLinkServices links;
    ScriptedUi ui;
    AsciiCollation collation;
    ZuTree tree{collation};
    IconCache icons{iconPort};
    TZLBArchive archive;
    HotFolderTable hotFolders;
    SharedTree shared{collation};
    Settings settings;
    ZuBookDocument document{ZuBookParts{tree, icons, archive, hotFolders, shared, links, ui,
                                        messages, dir.str(),
                                        [this] { return settings.autoSaveOnChanges; }}};
    SummaryRecorder summary;
    AddOptionsCopy addOptions{settings};
    FakePump pump;
    TreeBusy busy;
    std::function<bool(AddOptionsCopy&)> showAddOptions;  // unset: never expected
    int addOptionsShown = 0;
    ZuBookAdder adder{AddingParts{tree, icons, document, settings, addOptions, ui, pump, busy,
                                  dir.str(),
                                  [this](AddOptionsCopy& copy) {
                                      ++addOptionsShown;
                                      return showAddOptions ? showAddOptions(copy) : true;
                                  },
                                  nullptr, std::chrono::milliseconds(0)}};
    ZuBookEditor editor{
        EditingParts{tree, icons, document, hotFolders, ui, messages, adder, busy, nullptr}};
};

}  // namespace tarnu::testing
