#pragma once

#include <string>

#include "document/zubook.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace tarnu::testing {

// A ZuBook document with every service faked, the way the program wires it.
struct FakeDocument {
    explicit FakeDocument(const std::string& programDir)
        : doc(ZuBookParts{tree, icons, archive, hotFolders, shared, links, ui, messages,
                          programDir}) {
        archive.VerifyFileCRC = true;
        tree.setDeleteHook([this](Node& n) { hotFolders.forget(&n); });
    }

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
    ZuBookDocument doc;
};

}  // namespace tarnu::testing
