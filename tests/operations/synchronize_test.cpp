#include "operations/synchronize.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <iterator>

#include "model/collation.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"
#include "support/small_tmpfs.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

// Sends every rename of the named source across a pretend file-system border.
class CrossDeviceFiles : public SyncFiles {
public:
    std::string crossing;

protected:
    int renameNoReplace(const std::string& from, const std::string& to) override {
        return from == crossing ? EXDEV : SyncFiles::renameNoReplace(from, to);
    }
};

// A system without any trash.
class TrashlessFiles : public SyncFiles {
protected:
    bool moveToTrash(const std::string&) override { return false; }
};

class SynchronizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Trashed files go to a trash of the test's own, whose directory does not exist yet.
        const char* old = ::getenv("XDG_DATA_HOME");
        oldDataHome = old ? old : "";
        ::setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        fs::create_directories(dir / "src");
        fs::create_directories(dir / "out");
    }
    void TearDown() override {
        if (oldDataHome.empty()) {
            ::unsetenv("XDG_DATA_HOME");
        } else {
            ::setenv("XDG_DATA_HOME", oldDataHome.c_str(), 1);
        }
    }

    Node* add(Node* parent, std::string_view caption, std::string_view kind,
              std::string_view path = {}) {
        Node* n = tree.addChild(parent);
        tree.setText(n, kColCaption, caption);
        tree.setText(n, kColPath, path);
        tree.setText(n, kColKind, kind);
        return n;
    }
    std::string source(const std::string& name, const std::string& bytes) {
        std::string path = dir / ("src/" + name);
        writeFile(path, bytes);
        return path;
    }
    SyncOutcome sync(SyncChoices choices, SyncFiles& with) {
        SyncRun run(tree, std::move(choices), with);
        std::atomic<bool> stop{false};
        run.run(stop, {});
        SyncOutcome outcome = run.outcome();
        run.finish(ui);
        return outcome;
    }
    SyncOutcome sync(SyncAction action, bool rename) {
        return sync({dir / "out", SyncScope::AllTree, action, rename}, files);
    }
    std::vector<std::string> trashed() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir.path() / "xdg/Trash/files", ec)) {
            names.push_back(readFile(e.path()));
        }
        return names;
    }

    testing::ScratchDir dir;
    std::string oldDataHome;
    AsciiCollation collation;
    ZuTree tree{collation};
    SyncFiles files;
    testing::ScriptedUi ui;
};

TEST_F(SynchronizeTest, CopyBuildsTheFoldersAndTrashesTheOlderPlainFile) {
    Node* docs = add(nullptr, ":Docs", kKindZuFolder);
    add(docs, "Report", kKindFile, source("a.txt", "new"));
    add(docs, ":Empty", kKindFolder, "/nowhere");
    fs::create_directories(dir / "out/Docs");
    writeFile(dir / "out/Docs/a.txt", "older");

    sync(SyncAction::Copy, false);
    EXPECT_EQ(readFile(dir / "out/Docs/a.txt"), "new");
    EXPECT_TRUE(fs::is_directory(dir / "out/Docs/Empty"));
    EXPECT_EQ(trashed(), std::vector<std::string>{"older"}) << "replaced, but kept in the trash";

    sync(SyncAction::Copy, true);
    EXPECT_EQ(readFile(dir / "out/Docs/Report.txt"), "new");
    EXPECT_FALSE(fs::exists(dir / "out/Docs/a.txt")) << "the plain name gives way to the caption";
    EXPECT_TRUE(ui.messages.empty() && ui.errors.empty());
    EXPECT_EQ(tree.topLevel()[0]->text(kColPath), "") << "a copy changes no link";

    // Without a trash the older file is deleted, and the summary says so.
    writeFile(dir / "out/Docs/a.txt", "oldest");
    TrashlessFiles trashless;
    sync({dir / "out", SyncScope::AllTree, SyncAction::Copy, true}, trashless);
    EXPECT_FALSE(fs::exists(dir / "out/Docs/a.txt"));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"No trash could take 1 replaced files, so "
                                                    "they were deleted:\n" +
                                                    dir / "out/Docs/a.txt"});
}

TEST_F(SynchronizeTest, CopyingAFileOntoItselfLeavesItIntact) {
    fs::create_directories(dir / "out/Docs");
    const std::string inside = dir / "out/Docs/a.txt";
    writeFile(inside, "precious");
    Node* docs = add(nullptr, ":Docs", kKindZuFolder);
    add(docs, "a", kKindFile, inside);
    for (bool rename : {false, true}) {
        sync(SyncAction::Copy, rename);
        EXPECT_EQ(readFile(inside), "precious") << "rename " << rename;
    }
    EXPECT_EQ(readFile(dir / "out/Docs/a.txt"), "precious");
    EXPECT_TRUE(trashed().empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SynchronizeTest, MoveSetsPathsAndNeverReplacesOrDuplicates) {
    Node* docs = add(nullptr, ":Docs", kKindZuFolder);
    Node* a = add(docs, "a", kKindFile, source("a.txt", "A"));
    Node* b = add(docs, "b", kKindFile, source("b.txt", "B"));
    fs::create_directories(dir / "out/Docs");
    writeFile(dir / "out/Docs/b.txt", "theirs");
    sync(SyncAction::Move, false);
    EXPECT_EQ(a->text(kColPath), dir / "out/Docs/a.txt");
    EXPECT_EQ(readFile(dir / "out/Docs/a.txt"), "A");
    EXPECT_FALSE(fs::exists(dir / "src/a.txt"));
    EXPECT_EQ(docs->text(kColPath), dir / "out/Docs") << "a ZuFolder moved into gets a path";
    EXPECT_EQ(b->text(kColPath), dir / "out/Docs/b.txt");
    EXPECT_EQ(trashed(), std::vector<std::string>{"theirs"});

    SyncOutcome again = sync(SyncAction::Move, false);
    EXPECT_TRUE(again.failures.empty());
    EXPECT_EQ(readFile(dir / "out/Docs/a.txt"), "A");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out/Docs"), fs::directory_iterator{}), 2);

    // "Selected" puts a selected link's file straight into the target directory.
    Node* c = add(docs, "a", kKindFile, source("c.txt", "C"));
    tree.select(c);
    SyncOutcome moved = sync({dir / "out", SyncScope::Selected, SyncAction::Move, true}, files);
    EXPECT_TRUE(moved.failures.empty());
    EXPECT_EQ(c->text(kColPath), dir / "out/a.txt");
    // A caption name already taken is not the plain name's file, so nothing clears it.
    Node* d = add(nullptr, "a", kKindFile, source("d.txt", "D"));
    tree.clearSelection();
    tree.select(d);
    SyncOutcome refused = sync({dir / "out", SyncScope::Selected, SyncAction::Move, true}, files);
    ASSERT_EQ(refused.failures.size(), 1u);
    EXPECT_EQ(d->text(kColPath), dir / "src/d.txt") << "a refused move leaves the link";
    EXPECT_EQ(readFile(dir / "src/d.txt"), "D");
    EXPECT_EQ(readFile(dir / "out/a.txt"), "C");
    EXPECT_EQ(ui.messages.back().rfind("1 of the files could not be synchronized:", 0), 0u);
}

TEST_F(SynchronizeTest, MoveAcrossFileSystemsRemovesTheSourceOnlyAfterAFullCopy) {
    CrossDeviceFiles crossing;
    crossing.crossing = source("far.bin", std::string(300000, 'x'));
    Node* far = add(nullptr, "far", kKindFile, crossing.crossing);
    SyncOutcome outcome =
        sync({dir / "out", SyncScope::AllTree, SyncAction::Move, false}, crossing);
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(readFile(dir / "out/far.bin"), std::string(300000, 'x'));
    EXPECT_FALSE(fs::exists(crossing.crossing));
    EXPECT_EQ(far->text(kColPath), dir / "out/far.bin");

    // The copy cannot be made: the source stays where it was.
    crossing.crossing = source("kept.bin", "kept");
    Node* kept = add(nullptr, "kept", kKindFile, crossing.crossing);
    tree.clearSelection();
    tree.select(kept);
    outcome = sync({dir / "gone", SyncScope::Selected, SyncAction::Move, false}, crossing);
    EXPECT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(readFile(crossing.crossing), "kept");
    EXPECT_EQ(kept->text(kColPath), crossing.crossing);
}

TEST_F(SynchronizeTest, BadSourcesAreSummedUpAndOddNamesKeepTheirBytes) {
    const std::string fifo = dir / "src/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string odd = source("new\nline\xff.txt", "odd");
    for (int i = 0; i < 7; ++i) {
        add(nullptr, "missing" + std::to_string(i), kKindFile, dir / "src/missing");
    }
    add(nullptr, "pipe", kKindFile, fifo);  // opening it for reading would block the run
    add(nullptr, "dir", kKindFile, dir / "src");
    add(nullptr, "odd", kKindFile, odd);

    SyncOutcome outcome = sync(SyncAction::Copy, false);
    EXPECT_EQ(outcome.failures.size(), 9u);
    EXPECT_EQ(readFile(dir / "out/new\nline\xff.txt"), "odd");
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& summary = ui.messages[0];
    EXPECT_EQ(summary.rfind("9 of the files could not be synchronized:\n", 0), 0u) << summary;
    EXPECT_NE(summary.find(dir / "src/missing: No such file or directory"), std::string::npos);
    EXPECT_NE(summary.find("\n..."), std::string::npos) << "only the first paths are listed";
}

TEST_F(SynchronizeTest, ATargetThatCannotBeCreatedEndsTheRunWithTheSystemsText) {
    writeFile(dir / "out/blocker", "");
    add(add(nullptr, ":Docs", kKindZuFolder), "a", kKindFile, source("a.txt", "A"));
    add(nullptr, "b", kKindFile, source("b.txt", "B"));
    SyncOutcome outcome =
        sync({dir / "out/blocker", SyncScope::AllTree, SyncAction::Copy, false}, files);
    ASSERT_TRUE(outcome.fatal);
    EXPECT_EQ(outcome.filesDone, 0u) << "nothing after the failure runs";
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Cannot create the directory " +
                                                  dir / "out/blocker/Docs" + ": Not a directory"});
}

// Root writes into any read-only directory, so only a read-only mount refuses it the writes.
TEST_F(SynchronizeTest, AReadOnlyTargetLosesNothingAndSaysWhy) {
    fs::create_directories(dir / "ro");
    testing::SmallTmpfs readOnly(dir / "ro", "64k", true);
    if (!readOnly.mounted()) {
        GTEST_SKIP() << "no right to mount a tmpfs";
    }
    const std::string loose = source("loose.txt", "loose");
    Node* looseLink = add(nullptr, "loose", kKindFile, loose);
    SyncOutcome outcome = sync({dir / "ro", SyncScope::AllTree, SyncAction::Move, false}, files);
    EXPECT_FALSE(outcome.fatal);
    EXPECT_EQ(outcome.failures, std::vector<std::string>{loose + ": Read-only file system"});
    EXPECT_EQ(readFile(loose), "loose");
    EXPECT_EQ(looseLink->text(kColPath), loose);

    const std::string inside = source("inside.txt", "inside");
    Node* insideLink = add(add(nullptr, ":Docs", kKindZuFolder), "inside", kKindFile, inside);
    outcome = sync({dir / "ro", SyncScope::AllTree, SyncAction::Move, false}, files);
    EXPECT_EQ(outcome.fatal,
              "Cannot create the directory " + dir / "ro/Docs" + ": Read-only file system");
    EXPECT_EQ(readFile(inside), "inside");
    EXPECT_EQ(insideLink->text(kColPath), inside);
    EXPECT_TRUE(fs::is_empty(dir / "ro"));
}

TEST_F(SynchronizeTest, ProgressShowsShortenedPathsAndStopEndsTheRun) {
    EXPECT_EQ(shortenedPath("name.ext"), "name.ext");
    EXPECT_EQ(shortenedPath("/home/u/a.txt"), "/home/u/a.txt");
    EXPECT_EQ(shortenedPath("/usr/share/very-long-directory-name/more/and/more/name.ext"),
              "/usr/share/very-long-directory-name/../name.ext");

    for (const char* name : {"1", "2", "3"}) {
        add(nullptr, name, kKindFile, source(name, name));
    }
    SyncRun run(tree, {dir / "out", SyncScope::AllTree, SyncAction::Copy, false}, files);
    ASSERT_EQ(run.fileCount(), 3u);
    std::atomic<bool> stop{false};
    std::vector<std::string> labels;
    run.run(stop, [&](std::size_t done, std::size_t total, const std::string& label) {
        labels.push_back(std::to_string(done) + "/" + std::to_string(total) + " " + label);
        stop = true;
    });
    EXPECT_TRUE(run.outcome().cancelled);
    EXPECT_EQ(labels, (std::vector<std::string>{"0/3 " + shortenedPath(dir / "src/1"), "1/3 "}));
    EXPECT_TRUE(fs::exists(dir / "out/1"));
    EXPECT_FALSE(fs::exists(dir / "out/2"));
}

}  // namespace
}  // namespace tarnu
