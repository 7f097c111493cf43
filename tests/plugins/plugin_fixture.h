#pragma once

// A small ZuBook for the plug-in tests: ZuFolder Docs holding a file link b.txt and ZuFolder
// Work (which holds deep.txt), and a top-level link top.txt. The files exist.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/linux/linux_file_locks.h"
#include "plugins/plugin_manager.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu::testing {

// Writes a text field by hand, so that the tests do not lean on the code under test.
inline void putText(unsigned char* at, std::string_view text) {
    at[0] = static_cast<unsigned char>(text.size());
    std::memcpy(at + 1, text.data(), text.size());
}

inline ItemBytes item(std::string_view name, std::string_view path, std::string_view parent,
                      std::string_view kind, unsigned char lock = 0, std::string_view index = "") {
    ItemBytes bytes{};
    putText(bytes.data() + 0, name);
    putText(bytes.data() + 256, path);
    putText(bytes.data() + 512, parent);
    putText(bytes.data() + 768, kind);
    bytes[1280] = lock;
    putText(bytes.data() + 1282, index);
    return bytes;
}

// What a plug-in manager works on: a tree with icons and real locks, a scripted user and a
// user data directory.
struct PlugInParts {
    ScratchDir userData;
    FakeIcons iconPort;
    ScriptedUi ui;
    AsciiCollation collation;
    ZuTree tree{collation};
    IconCache icons{iconPort};
    LinuxFileLocks lockPort;
    LinkLocks locks{lockPort};
};

class PlugInFixture : public ::testing::Test, protected PlugInParts {
protected:
    void SetUp() override {
        for (const char* name : {"b.txt", "deep.txt", "top.txt"}) {
            writeFile(files / name, name);
        }
        docs = add(nullptr, ":Docs", kKindZuFolder, "");
        b = add(docs, "b.txt", kKindFile, files / "b.txt");
        work = add(docs, ":Work", kKindZuFolder, "");
        deep = add(work, "deep.txt", kKindFile, files / "deep.txt");
        top = add(nullptr, "top.txt", kKindFile, files / "top.txt");
    }
    void TearDown() override {
        tree.forEachInFlatOrder([this](Node* node) {
            locks.releaseLock(*node);
            return true;
        });
    }

    Node* add(Node* parent, std::string_view caption, std::string_view kind, std::string path) {
        Node* node = tree.addChild(parent);
        tree.setText(node, kColCaption, caption);
        tree.setText(node, kColPath, path);
        tree.setText(node, kColLock, kind == kKindFile ? "No" : "");
        tree.setText(node, kColKind, kind);
        return node;
    }
    std::vector<std::string> selectedCaptions() const {
        std::vector<std::string> out;
        for (const Node* node : tree.selection()) {
            out.emplace_back(node->text(kColCaption));
        }
        return out;
    }

    ScratchDir files;
    Node* focused = nullptr;
    Node* docs = nullptr;
    Node* b = nullptr;
    Node* work = nullptr;
    Node* deep = nullptr;
    Node* top = nullptr;
};

}  // namespace tarnu::testing
