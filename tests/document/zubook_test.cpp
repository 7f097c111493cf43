#include "document/zubook.h"

#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <random>
#include <thread>

#include "common/bytes.h"
#include "common/error.h"
#include "document/zubook_entries.h"
#include "document/zubook_file.h"
#include "model/node_stream.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"
#include "support/small_tmpfs.h"

namespace tarnu {
namespace {

using testing::readFile;
using testing::writeFile;

class Recorder : public ZuBookListener {
public:
    void zuBookPartsShown(bool shown) override { partsShown = shown; }
    void zuBookLoaded() override { ++loaded; }
    void summaryChanged(const SummaryCounts& c) override { counts = c; }
    bool partsShown = false;
    int loaded = 0;
    SummaryCounts counts;
};

class ZuBookTest : public ::testing::Test {
protected:
    ZuBookTest() {
        archive.CompressionLevel = TCompressionLevel::fcMaximum;
        archive.VerifyFileCRC = true;
        doc.setListener(&recorder);
        tree.setDeleteHook([this](Node& n) { hotFolders.forget(&n); });
    }

    Node* add(Node* parent, std::string_view caption, std::string_view kind,
              std::string_view path = "") {
        Node* n = tree.addChild(parent);
        tree.setText(n, kColCaption, caption);
        tree.setText(n, kColPath, path);
        tree.setText(n, kColLock, kind == kKindFile ? "No" : "");
        tree.setText(n, kColKind, kind);
        return n;
    }

    Node* findChild(std::string_view caption) {
        for (Node* n : tree.topLevel()) {
            if (n->text(kColCaption) == caption) {
                return n;
            }
        }
        return nullptr;
    }

    // Entry names of the archive at path, in file order.
    std::vector<std::string> entryNames(const std::string& path) {
        TZLBArchive a;
        a.open(path);
        std::vector<std::string> names;
        for (const auto& e : a.entries()) {
            names.push_back(e.name);
        }
        return names;
    }

    std::string entry(const std::string& path, std::string_view name) {
        TZLBArchive a;
        a.open(path);
        MemoryStream out;
        a.extractToStream(name, out);
        return out.bytes();
    }

    // A ZuBook file written entry by entry, as another program might have.
    void writeByHand(const std::string& path,
                     std::vector<std::pair<std::string, std::string>> entries) {
        TZLBArchive a;
        a.create(path);
        for (auto& [name, bytes] : entries) {
            MemoryStream s(bytes);
            a.addStream(name, s);
        }
        a.close();
    }

    testing::ScratchDir dir;
    testing::FakeIcons iconPort;
    testing::FakeMessages messages;
    testing::FakeLinkServices links;
    testing::ScriptedUi ui;
    AsciiCollation collation;
    ZuTree tree{collation};
    IconCache icons{iconPort};
    TZLBArchive archive;
    HotFolderTable hotFolders;
    SharedTree shared{collation};
    Recorder recorder;
    ZuBookDocument doc{
        ZuBookParts{tree, icons, archive, hotFolders, shared, links, ui, messages, dir.str()}};
};

TEST_F(ZuBookTest, SavedZuBookLoadsBackWithEverythingItHolds) {
    Node* docs = add(nullptr, ":Docs", kKindZuFolder);
    Node* work = add(docs, ":Work", kKindZuFolder);
    Node* deep = add(work, ":Deep", kKindZuFolder);
    Node* plan = add(work, "plan", kKindFile, "/home/u/plan.txt");
    add(nullptr, ":Music", kKindFolder, "/home/u/Music");
    tree.setText(plan, kColHotKey, "Ctrl+Alt+P");
    tree.setText(plan, kColComment, "the plan");
    plan->ensureLinkRecord().hotKey = 0xC050;
    plan->ensureLinkRecord().lockHandle = 7;
    docs->setExpanded(true);
    deep->setExpanded(true);
    hotFolders.bind(tree, deep, 2);
    Node* sharedFile = shared.tree().addChild(shared.root());
    shared.tree().setText(sharedFile, 0, "notes");
    shared.tree().setText(sharedFile, 1, dir / "notes.txt");
    writeFile(dir / "notes.txt", "x");

    const std::string path = dir / "book.dua";
    ASSERT_TRUE(doc.save(path));
    EXPECT_EQ(entryNames(path),
              (std::vector<std::string>{"UserTable.tbl", "ItemRec.lst", "HotFolders.hf",
                                        "NodesState.ns", "SharedFiles.sf"}));
    const std::string firstFile = readFile(path);

    shared.tree().clear();
    ASSERT_TRUE(doc.load(path));
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(doc.caption(), "Tarnu - book.dua");
    EXPECT_EQ(doc.currentPath(), path);
    EXPECT_TRUE(recorder.partsShown);
    EXPECT_EQ(recorder.loaded, 1);
    EXPECT_EQ(links.checks, 1);
    EXPECT_EQ(links.relocked, (std::vector<std::string>{"/home/u/plan.txt"}));
    EXPECT_EQ(links.registered, (std::vector<std::uint32_t>{0xC050}));
    EXPECT_EQ(recorder.counts.zuFolders, 3);
    EXPECT_EQ(recorder.counts.folders, 1);
    EXPECT_EQ(recorder.counts.files, 1);

    Node* loadedPlan = tree.nodeAtFlatPosition(3);
    ASSERT_EQ(loadedPlan->text(kColCaption), "plan");
    EXPECT_EQ(loadedPlan->text(kColComment), "the plan");
    ASSERT_NE(loadedPlan->linkRecord(), nullptr);
    EXPECT_EQ(loadedPlan->linkRecord()->hotKey, 0xC050);
    EXPECT_TRUE(tree.firstTopLevel()->isExpanded());
    ASSERT_NE(hotFolders.slot(2), nullptr);
    EXPECT_EQ(hotFolders.slot(2)->text(kColCaption), ":Deep");
    EXPECT_TRUE(hotFolders.slot(2)->isExpanded());
    EXPECT_EQ(shared.tree().childCount(shared.root()), 1u);

    // Saving what was loaded writes the same file again.
    ASSERT_TRUE(doc.save(path));
    EXPECT_EQ(entry(path, "UserTable.tbl"), [&] {
        TZLBArchive a;
        std::string p = dir / "first.dua";
        writeFile(p, firstFile);
        a.open(p);
        MemoryStream out;
        a.extractToStream("UserTable.tbl", out);
        return out.bytes();
    }());
}

TEST_F(ZuBookTest, EntryFormatsAreExact) {
    Node* a = add(nullptr, ":A", kKindZuFolder);
    add(a, "f", kKindFile, "/f");
    Node* g = add(a, "g", kKindFile, "/g");
    g->ensureLinkRecord().hotKey = 0x4047;
    a->setExpanded(true);
    const std::string path = dir / "exact.dua";
    ASSERT_TRUE(doc.save(path));

    std::string itemRec;
    appendI32(itemRec, 2);  // g is the third node in flat order
    appendI32(itemRec, 0);
    itemRec += std::string("\x47\x40", 2);
    appendI32(itemRec, 1);
    EXPECT_EQ(entry(path, "ItemRec.lst"), itemRec);

    std::string state("\x01\x00\x00", 3);
    appendI32(state, 3);
    EXPECT_EQ(entry(path, "NodesState.ns"), state);
    EXPECT_EQ(entry(path, "HotFolders.hf"), "");

    g->freeLinkRecord();
    ASSERT_TRUE(doc.save(path));
    EXPECT_EQ(entry(path, "ItemRec.lst"), std::string(4, '\0'));
}

TEST_F(ZuBookTest, PlugInDataIsCarriedOverFirstAndStrangeEntriesAreDropped) {
    const std::string path = dir / "old.dua";
    MemoryStream table;
    writeNodeStream(tree, table);
    writeByHand(path, {{"Extra.bin", "zzz"},
                       {"UserTable.tbl", table.bytes()},
                       {"User_FPlugIns", std::string("\x00\x01plug", 6)},
                       {"ItemRec.lst", std::string(4, '\0')}});
    add(nullptr, ":New", kKindZuFolder);
    ASSERT_TRUE(doc.save(path));
    auto names = entryNames(path);
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names.front(), "User_FPlugIns");
    EXPECT_EQ(entry(path, "User_FPlugIns"), std::string("\x00\x01plug", 6));
}

// A tree of ten nodes written by a program whose sorting put them in another order.
std::string tenNodesWrittenElsewhere() {
    MemoryStream out;
    out.writeI32(-1);
    out.writeI32(10);
    const char* names[] = {"j", "i", "h", "g", "f", "e", "d", "c", "b", "a"};
    for (const char* name : names) {
        for (std::int32_t v : {24, 0, 0, -1, 0, 0, 5}) {
            out.writeI32(v);
        }
        out.writeI32(1);
        out.write(name, 1);
        for (int i = 0; i < 3; ++i) {
            out.writeI32(0);
        }
        out.writeI32(4);
        out.write("File", 4);
    }
    return out.takeBytes();
}

std::string itemRecords(std::initializer_list<std::pair<std::int32_t, std::uint16_t>> records) {
    std::string out;
    for (auto [position, hotKey] : records) {
        appendI32(out, position);
        appendI32(out, 0);
        out.push_back(static_cast<char>(hotKey & 0xFF));
        out.push_back(static_cast<char>(hotKey >> 8));
    }
    appendI32(out, static_cast<std::int32_t>(records.size()));
    return out;
}

TEST_F(ZuBookTest, RecordPositionsFollowTheWritersOrder) {
    const std::string path = dir / "elsewhere.dua";
    std::string state(10, '\0');
    state[1] = 1;
    appendI32(state, 50);  // more flags than nodes: stops at the last node
    writeByHand(path, {{"UserTable.tbl", tenNodesWrittenElsewhere()},
                       {"ItemRec.lst", itemRecords({{2, 0x4101}, {7, 0x4102}})},
                       {"NodesState.ns", state}});
    ASSERT_TRUE(doc.load(path));
    // Positions 2 and 7 were the third and eighth nodes written: "h" and "c".
    auto hotKeyOf = [&](std::string_view caption) -> std::uint16_t {
        Node* n = findChild(caption);
        return n && n->linkRecord() ? n->linkRecord()->hotKey : 0;
    };
    EXPECT_EQ(hotKeyOf("h"), 0x4101);
    EXPECT_EQ(hotKeyOf("c"), 0x4102);
    EXPECT_EQ(hotKeyOf("a"), 0);
    EXPECT_TRUE(findChild("i")->isExpanded());
    EXPECT_EQ(tree.firstTopLevel()->text(kColCaption), "a");  // sorted here all the same
}

TEST_F(ZuBookTest, RecordsBehindTheCursorOrPastTheEndAreDroppedWithAllAfterThem) {
    const std::string path = dir / "records.dua";
    writeByHand(path, {{"UserTable.tbl", tenNodesWrittenElsewhere()},
                       {"ItemRec.lst", itemRecords({{5, 0x4105}, {3, 0x4103}, {8, 0x4108}})}});
    ASSERT_TRUE(doc.load(path));
    EXPECT_EQ(links.registered, (std::vector<std::uint32_t>{0x4105}));

    writeByHand(dir / "past.dua", {{"UserTable.tbl", tenNodesWrittenElsewhere()},
                                   {"ItemRec.lst", itemRecords({{10, 0x410A}, {1, 0x4101}})}});
    links.registered.clear();
    ASSERT_TRUE(doc.load(dir / "past.dua"));
    EXPECT_TRUE(links.registered.empty());
}

TEST_F(ZuBookTest, RefusedHotKeysAreDroppedAtLoad) {
    Node* f = add(nullptr, "f", kKindFile, "/f");
    tree.setText(f, kColHotKey, "Ctrl+F");
    f->ensureLinkRecord().hotKey = 0x4046;
    ASSERT_TRUE(doc.save(dir / "hk.dua"));
    links.refused.insert(0x4046);
    ASSERT_TRUE(doc.load(dir / "hk.dua"));
    Node* loaded = tree.firstTopLevel();
    EXPECT_EQ(loaded->text(kColHotKey), "");
    EXPECT_EQ(loaded->linkRecord(), nullptr);
}

TEST_F(ZuBookTest, BadFilesShowTheArchiveErrorAndLeaveNoZuBookOpen) {
    add(nullptr, ":Keep", kKindZuFolder);
    writeFile(dir / "text.dua", std::string(100, 'x'));
    MemoryStream table;
    writeNodeStream(tree, table);
    writeByHand(dir / "noitems.dua", {{"UserTable.tbl", table.bytes()}});
    writeByHand(dir / "notable.dua", {{"ItemRec.lst", std::string(4, '\0')}});
    // Entries larger than a tree of one node can need: refused before they are unpacked.
    const std::string noRecords(4, '\0');
    writeByHand(dir / "bigstate.dua", {{"UserTable.tbl", table.bytes()},
                                       {"ItemRec.lst", noRecords},
                                       {"NodesState.ns", std::string(6, '\0')}});
    writeByHand(dir / "bighot.dua", {{"UserTable.tbl", table.bytes()},
                                     {"ItemRec.lst", noRecords},
                                     {"HotFolders.hf", std::string(200, '\n')}});
    writeByHand(dir / "bigitems.dua",
                {{"UserTable.tbl", table.bytes()}, {"ItemRec.lst", std::string(15, '\0')}});
    const std::pair<std::string, std::string> cases[] = {
        {"missing.dua", "Data-file not found"},
        {"text.dua", "The data-file have different version..."},
        {"noitems.dua", "ItemRec.lst not found in archive"},
        {"notable.dua", "UserTable.tbl not found in archive"},
        {"bigstate.dua", "NodesState.ns is larger than its ZuBook can need"},
        {"bighot.dua", "HotFolders.hf is larger than its ZuBook can need"},
        {"bigitems.dua", "ItemRec.lst is larger than its ZuBook can need"},
    };
    for (const auto& [name, message] : cases) {
        ui.errors.clear();
        EXPECT_FALSE(doc.load(dir / name));
        // Every text names the file.
        EXPECT_EQ(ui.errors, (std::vector<std::string>{message + " (" + (dir / name) + ")"}))
            << name;
        EXPECT_EQ(doc.caption(), "Tarnu");
        EXPECT_TRUE(tree.empty());
        EXPECT_FALSE(archive.isOpen());
    }
}

TEST_F(ZuBookTest, SaveNeverLeavesAHalfWrittenFile) {
    // An empty tree writes nothing at all.
    writeFile(dir / "keep.dua", "not an archive");
    EXPECT_TRUE(doc.save(dir / "keep.dua"));
    EXPECT_EQ(readFile(dir / "keep.dua"), "not an archive");

    // Over a file that is no archive: the error is shown and the file stays as it was.
    add(nullptr, ":A", kKindZuFolder);
    EXPECT_FALSE(doc.save(dir / "keep.dua"));
    EXPECT_EQ(readFile(dir / "keep.dua"), "not an archive");
    EXPECT_EQ(ui.errors.size(), 1u);

    // Into a directory that does not exist: reported, nothing left behind.
    EXPECT_FALSE(doc.save(dir / "no/such/dir/x.dua"));
    EXPECT_EQ(ui.errors.size(), 2u);
    EXPECT_EQ(dir.leftovers(), std::vector<std::string>{});
    EXPECT_EQ(ui.status[1], "");
}

TEST_F(ZuBookTest, FullAndReadOnlyDisksNameTheFileAndTheReason) {
    std::filesystem::create_directory(dir / "small");
    std::filesystem::create_directory(dir / "ro");
    testing::SmallTmpfs small(dir / "small", "64k");
    testing::SmallTmpfs readOnly(dir / "ro", "64k", true);
    if (!small.mounted() || !readOnly.mounted()) {
        GTEST_SKIP() << "no right to mount a tmpfs";
    }
    Node* folder = add(nullptr, ":Big", kKindZuFolder);
    const std::string book = dir / "small/book.dua";
    ASSERT_TRUE(doc.save(book));
    const std::string before = readFile(book);
    // Comments that hardly compress, twice what the disk holds.
    std::mt19937 rng(7);
    for (int i = 0; i < 40; ++i) {
        std::string noise(4096, ' ');
        for (char& c : noise) {
            c = static_cast<char>('!' + rng() % 90);
        }
        tree.setText(add(folder, "n" + std::to_string(i), kKindFile, "/f"), kColComment, noise);
    }
    EXPECT_FALSE(doc.save(book));
    EXPECT_EQ(ui.errors, (std::vector<std::string>{"Stream write error (" + book +
                                                   ": No space left on device)"}));
    EXPECT_EQ(readFile(book), before);
    EXPECT_EQ(dir.leftovers(), std::vector<std::string>{});

    ui.errors.clear();
    EXPECT_FALSE(doc.save(dir / "ro/book.dua"));
    EXPECT_EQ(ui.errors,
              (std::vector<std::string>{"Unable to open data-file " + (dir / "ro/book.dua") +
                                        " (Read-only file system)"}));
}

TEST_F(ZuBookTest, SnapshotWrittenOnAnotherThreadLoadsBackThroughALink) {
    Node* docs = add(nullptr, ":Docs", kKindZuFolder);
    Node* plan = add(docs, "plan", kKindFile, "/home/u/plan.txt");
    plan->ensureLinkRecord().hotKey = 0xC050;
    docs->setExpanded(true);
    hotFolders.bind(tree, docs, 4);
    const std::string real = dir / "real.dua";
    const std::string link = dir / "link.dua";
    writeByHand(real, {{"User_FPlugIns", "plug-in bytes"}, {"UserTable.tbl", "old"}});
    std::filesystem::create_symlink(real, link);

    ZuBookSnapshot snapshot = takeSnapshot(tree, hotFolders, shared, readPlugInData(archive, link),
                                           archive.CompressionLevel);
    // The tree may change while the snapshot is written: the file holds the snapshot.
    add(nullptr, ":Later", kKindZuFolder);
    std::exception_ptr failure;
    std::thread writer([&] {
        try {
            writeSnapshot(snapshot, link);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    writer.join();
    ASSERT_FALSE(failure);

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    const ZuBookFile file = readZuBookFile(archive, link);
    const std::vector<std::optional<std::string>> read = {file.plugIns,    file.userTable,
                                                          file.itemRec,    file.hotFolders,
                                                          file.nodesState, file.sharedFiles};
    ASSERT_EQ(snapshot.entries.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i], snapshot.entries[i].bytes) << snapshot.entries[i].name;
    }
    EXPECT_EQ(*file.plugIns, "plug-in bytes");

    ASSERT_TRUE(doc.load(link));
    EXPECT_EQ(tree.nodeCount(), 2u);
    ASSERT_NE(hotFolders.slot(4), nullptr);
    EXPECT_EQ(tree.firstTopLevel()->text(kColCaption), ":Docs");
    EXPECT_TRUE(tree.firstTopLevel()->isExpanded());
}

TEST_F(ZuBookTest, NewAsksAgainForAnExistingNameAndSavesInTheProgramDirectory) {
    writeFile(dir / "Default.dua", "x");
    ui.inputs = {std::string("Default.dua"), std::string("Mine.dua")};
    doc.newZuBook();
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"AskRes.ar#11"}));
    EXPECT_EQ(ui.prompts.front(), "Tarnu|AskRes.ar#10|Default.dua");
    EXPECT_EQ(doc.caption(), "Tarnu - Mine.dua");
    EXPECT_EQ(doc.currentPath(), dir / "Mine.dua");
    add(nullptr, ":A", kKindZuFolder);
    doc.saveMenu();
    EXPECT_TRUE(std::filesystem::exists(dir / "Mine.dua"));
    EXPECT_EQ(doc.caption(), "Tarnu - Mine.dua");

    ui.inputs = {std::nullopt};
    doc.newZuBook();  // cancelled: the open ZuBook stays
    EXPECT_EQ(doc.caption(), "Tarnu - Mine.dua");
}

TEST_F(ZuBookTest, SaveAsAndLoadGoThroughTheFileDialogs) {
    add(nullptr, ":A", kKindZuFolder);
    ui.saveFiles = {std::nullopt, dir / "sub/chosen.dua"};
    doc.saveAs();  // cancelled
    EXPECT_EQ(doc.caption(), "Tarnu");
    std::filesystem::create_directory(dir / "sub");
    doc.saveMenu();  // nothing open yet: behaves as Save As
    EXPECT_EQ(doc.caption(), "Tarnu - sub/chosen.dua");
    EXPECT_EQ(doc.currentPath(), dir / "sub/chosen.dua");
    ASSERT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(ui.dialogs[0].filter, "Tarnu files (*.dua)|*.dua|All files (*.*)|*.*");
    EXPECT_TRUE(ui.dialogs[0].confirmOverwrite);
    EXPECT_EQ(ui.dialogs[0].startDir, "");  // no "SaveDir" set: the dialog picks

    doc.close();
    ui.openFiles = {{dir / "sub/chosen.dua"}};
    doc.loadMenu();
    EXPECT_EQ(ui.dialogs[2].filter, "Tarnu files (*.dua)|*.dua|All files (*.*)|*.*");
    EXPECT_TRUE(ui.dialogs[2].mustExist);
    EXPECT_EQ(doc.caption(), "Tarnu - sub/chosen.dua");
    EXPECT_EQ(tree.nodeCount(), 1u);
}

TEST_F(ZuBookTest, CloseEmptiesEverything) {
    Node* a = add(nullptr, ":A", kKindZuFolder);
    hotFolders.bind(tree, a, 0);
    ui.inputs = {std::string("x.dua")};
    doc.newZuBook();
    EXPECT_EQ(hotFolders.slot(0), nullptr);
    EXPECT_TRUE(tree.empty());
    doc.close();
    EXPECT_EQ(doc.caption(), "Tarnu");
    EXPECT_FALSE(recorder.partsShown);
    EXPECT_EQ(icons.entries().size(), 2u);
}

}  // namespace
}  // namespace tarnu
