#include "operations/adding.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>

#include "operations/book_fixture.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

TEST(LinkCaptionTest, FileCaptions) {
    EXPECT_EQ(fileLinkCaption("/home/u/report.final.doc", false), "report.final.doc");
    EXPECT_EQ(fileLinkCaption("/home/u/report.final.doc", true), "report.final");
    EXPECT_EQ(fileLinkCaption("/d/a#b&c.txt", true), "a_b_c");
    EXPECT_EQ(fileLinkCaption("/d/a#b&c.txt", false), "a_b_c.txt");
    EXPECT_EQ(fileLinkCaption("/d/noext", true), "noext");
    EXPECT_EQ(fileLinkCaption("bare.txt", true), "bare");
    // A hidden file's leading dot starts no extension.
    EXPECT_EQ(fileLinkCaption("/home/u/.profile", true), ".profile");
    EXPECT_EQ(fileLinkCaption("/home/u/.config.bak", true), ".config");
}

TEST(LinkCaptionTest, FolderCaptions) {
    EXPECT_EQ(folderCaption("/"), ":/");
    EXPECT_EQ(folderCaption("/home/u"), ":u");
    EXPECT_EQ(folderCaption("/home/u/"), ":");
    EXPECT_EQ(folderCaption("docs"), ":docs");
    EXPECT_EQ(folderCaption("/a#b&c"), ":a#b&c");  // nothing replaced in folder captions
}

using AddingTest = testing::BookFixture;

TEST_F(AddingTest, InsertionPointFollowsTheFirstSelectedNode) {
    Node* outer = addNode(nullptr, ":outer", kKindZuFolder);
    Node* inner = addNode(outer, ":inner", kKindZuFolder);
    Node* deepFile = addNode(inner, "f", kKindFile, "/x/f");
    Node* linked = addNode(nullptr, ":linked", kKindFolder, "/x");
    Node* sub = addNode(linked, ":sub", kKindFolder, "/x/sub");
    Node* looseFile = addNode(sub, "g", kKindFile, "/x/sub/g");

    EXPECT_EQ(adder.insertionPoint()->parent(), nullptr);  // nothing selected
    tree.select(outer);
    EXPECT_EQ(adder.insertionPoint()->parent(), outer);
    tree.clearSelection();
    tree.select(deepFile);
    EXPECT_EQ(adder.insertionPoint()->parent(), inner);
    tree.clearSelection();
    tree.select(looseFile);  // under Folder nodes only
    EXPECT_EQ(adder.insertionPoint()->parent(), nullptr);
    tree.clearSelection();
    tree.select(linked);
    Node* made = adder.insertionPoint();
    EXPECT_EQ(made->parent(), nullptr);
    EXPECT_EQ(made->valueCount(), 0);  // new and empty
}

TEST_F(AddingTest, AddFilesOffersTheFiltersAndLinksEachChosenFile) {
    settings.defDir = "Docs";
    settings.delExt = true;
    settings.autoSaveOnChanges = true;
    Node* folder = addNode(nullptr, ":Work", kKindZuFolder);
    tree.select(folder);
    ui.openFiles.push_back({"/data/a#1.txt", "/data/b&2.tar.gz", "/data/plain"});
    adder.aAddFilesExecute();

    ASSERT_EQ(ui.dialogs.size(), 1u);
    const FileDialogOptions& d = ui.dialogs[0];
    EXPECT_EQ(d.filter,
              "All files (*.*)|*.*|Exe files (*.exe)|*.exe|Text files (*.txt)|*.txt|"
              "BMP files (*.bmp)|*.bmp|Jpg files (*.jpg)|*.jpg|Zip files (*.zip)|*.zip|"
              "Rar files (*.rar)|*.rar|Doc files (*.doc)|*.doc|RTF files (*.rtf)|*.rtf");
    EXPECT_EQ(d.defaultExt, "*.*");
    EXPECT_EQ(d.startDir, dir / "Docs");
    EXPECT_TRUE(d.multiSelect);
    EXPECT_TRUE(d.mustExist);

    EXPECT_EQ(captions(folder), (std::vector<std::string>{"a_1", "b_2.tar", "plain"}));
    Node* first = tree.children(folder).front();
    EXPECT_EQ(first->text(kColPath), "/data/a#1.txt");
    EXPECT_EQ(first->text(kColLock), "No");
    EXPECT_EQ(first->text(kColHotKey), "");
    EXPECT_EQ(first->text(kColKind), kKindFile);
    EXPECT_EQ(first->valueCount(), 5);
    EXPECT_EQ(first->imageIndex(), 100 + 13);  // the icon port's answer for that path
    EXPECT_EQ(first->linkRecord(), nullptr);
    EXPECT_TRUE(folder->isExpanded());
    EXPECT_EQ(document.counts().files, 3);
    EXPECT_EQ(summary.refreshes, 1);
    EXPECT_EQ(summary.shown.files, 3);
    EXPECT_TRUE(autoSaved());
}

TEST_F(AddingTest, AddFilesCancelledOrWithoutZuBookAddsNothing) {
    ui.openFiles.push_back({});
    adder.aAddFilesExecute();
    EXPECT_TRUE(tree.empty());

    document.close();
    ui.openFiles.push_back({"/data/a.txt"});
    adder.aAddFilesExecute();
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(document.counts().files, 0);
}

TEST_F(AddingTest, AddLinkToOneFileReadsDelExtAndRefreshesOnlyWhenAsked) {
    settings.delExt = false;
    settings.autoSaveOnChanges = true;
    adder.addLinkToFile("/data/one.txt", false);
    EXPECT_EQ(captions(nullptr), (std::vector<std::string>{"one.txt"}));
    EXPECT_EQ(document.counts().files, 1);
    EXPECT_EQ(summary.refreshes, 0);
    settings.delExt = true;
    adder.addLinkToFile("/data/two.txt", true);
    EXPECT_EQ(captions(nullptr), (std::vector<std::string>{"one.txt", "two"}));
    EXPECT_EQ(summary.refreshes, 1);
    EXPECT_EQ(summary.shown.files, 2);
    EXPECT_FALSE(autoSaved());  // a single link asks for no auto-save

    document.close();
    adder.addLinkToFile("/data/three.txt", true);
    EXPECT_TRUE(tree.empty());
    Node* stray = tree.addChild(nullptr);
    adder.fillFileLink("/data/four.txt", stray);
    EXPECT_EQ(stray->valueCount(), 0);
}

// Creation order of the nodes, seen by a pump that runs after every entry of the scan: the
// nodes that appeared since the last call, in flat order (a batch is one chain from a
// directory down to its first entry, so flat order is creation order).
class CreationLog {
public:
    explicit CreationLog(const ZuTree& tree) : tree_(tree) {}
    void record() {
        tree_.forEachInFlatOrder([this](Node* n) {
            if (seen_.insert(n).second) {
                paths.emplace_back(n->text(kColPath));
            }
            return true;
        });
    }
    std::vector<std::string> paths;

private:
    const ZuTree& tree_;
    std::set<const Node*> seen_;
};

TEST_F(AddingTest, ScanAddsDirectoriesDepthFirstBeforeFilesHiddenOnesIncluded) {
    std::string root = dir / "root";
    fs::create_directories(root + "/.a/b");
    writeFile(root + "/.a/b/deep.txt", "x");
    writeFile(root + "/.a/mid#1.txt", "x");
    writeFile(root + "/.top", "x");
    settings.ask = false;
    settings.autoSaveOnChanges = true;
    CreationLog log(tree);
    std::set<std::string> statuses;
    pump.onPump = [&] {
        log.record();
        statuses.insert(ui.status[1]);
    };
    ASSERT_TRUE(adder.addFolder(root));

    EXPECT_EQ(log.paths,
              (std::vector<std::string>{root, root + "/.a", root + "/.a/b", root + "/.a/b/deep.txt",
                                        root + "/.a/mid#1.txt", root + "/.top"}));
    EXPECT_EQ(pump.calls, 5);  // one per entry with the interval at 0
    EXPECT_TRUE(statuses.count("Add: " + root + "/.a/b"));
    EXPECT_EQ(ui.status[1], "");

    Node* top = tree.firstTopLevel();
    EXPECT_EQ(top->text(kColCaption), ":root");
    EXPECT_EQ(top->text(kColPath), root);
    EXPECT_EQ(top->text(kColKind), kKindFolder);
    EXPECT_EQ(top->text(kColLock), "");
    EXPECT_TRUE(top->isExpanded());
    EXPECT_EQ(captions(top), (std::vector<std::string>{".top", ":.a"}));
    Node* a = tree.children(top).back();
    EXPECT_EQ(captions(a), (std::vector<std::string>{":b", "mid_1"}));
    EXPECT_EQ(tree.children(a).back()->text(kColPath), root + "/.a/mid#1.txt");
    EXPECT_EQ(tree.children(a).front()->imageIndex(), icons.folderIcon());
    EXPECT_EQ(document.counts().folders, 3);
    EXPECT_EQ(document.counts().files, 3);
    EXPECT_TRUE(autoSaved());
}

TEST_F(AddingTest, SiblingDirectoriesComeInFileSystemOrderEachWithItsWholeSubtree) {
    std::string root = dir / "root";
    for (std::string name : {"x", "y", "z", "w"}) {
        fs::create_directories(root + "/" + name);
        writeFile(root + "/" + name + "/" + name + ".txt", "x");
    }
    std::vector<std::string> expected{root};
    for (const auto& e : fs::directory_iterator(root)) {
        expected.push_back(e.path().string());
        expected.push_back(e.path().string() + "/" + e.path().filename().string() + ".txt");
    }
    settings.ask = false;
    CreationLog log(tree);
    pump.onPump = [&] { log.record(); };
    adder.addFolder(root);
    EXPECT_EQ(log.paths, expected);
}

TEST_F(AddingTest, AddOptionsDecideWhatTheScanTakes) {
    std::string root = dir / "root";
    fs::create_directories(root + "/sub");
    writeFile(root + "/sub/inner.txt", "x");
    writeFile(root + "/file.txt", "x");
    settings.ask = false;

    addOptions.setOptions({false, true, false, false});
    adder.addFolder(root);
    EXPECT_EQ(captions(tree.topLevel().back()), (std::vector<std::string>{"file.txt"}));

    tree.clear();
    addOptions.setOptions({false, false, true, false});
    adder.addFolder(root);
    EXPECT_EQ(tree.nodeCount(), 1u);

    tree.clear();
    addOptions.setOptions({true, false, true, false});
    adder.addFolder(root);
    Node* top = tree.firstTopLevel();
    EXPECT_EQ(captions(top), (std::vector<std::string>{":sub"}));
    EXPECT_EQ(tree.childCount(tree.children(top).front()), 0u);

    // The scan cuts extensions by the dialog's copy, not by the setting.
    tree.clear();
    settings.delExt = false;
    addOptions.setOptions({false, true, true, false});
    adder.addFolder(root);
    EXPECT_EQ(captions(tree.firstTopLevel()), (std::vector<std::string>{"file"}));
}

TEST_F(AddingTest, APathEndingInASeparatorGivesTheBareMarkerAndNoDoubledSeparators) {
    std::string root = dir / "root";
    fs::create_directories(root + "/sub");
    writeFile(root + "/sub/f.txt", "x");
    settings.ask = false;
    adder.addFolder(root + "//");
    Node* top = tree.firstTopLevel();
    EXPECT_EQ(top->text(kColCaption), ":");
    EXPECT_EQ(top->text(kColPath), root + "//");
    Node* sub = tree.children(top).front();
    EXPECT_EQ(sub->text(kColPath), root + "/sub");
    EXPECT_EQ(tree.children(sub).front()->text(kColPath), root + "/sub/f.txt");
}

TEST_F(AddingTest, TheRootGivesItsOwnCaptionAndChildPathsWithOneSeparator) {
    settings.ask = false;
    addOptions.setOptions({false, true, true, false});
    adder.addFolder("/");
    Node* top = tree.firstTopLevel();
    EXPECT_EQ(top->text(kColCaption), ":/");
    EXPECT_EQ(top->text(kColPath), "/");
    std::set<std::string> expected;
    for (const auto& e : fs::directory_iterator("/")) {
        if (!e.is_directory()) {
            expected.insert(e.path().string());
        }
    }
    std::set<std::string> got;
    for (const Node* n : tree.children(top)) {
        got.emplace(n->text(kColPath));
    }
    EXPECT_EQ(got, expected);
}

TEST_F(AddingTest, LinkedDirectoriesAreEnteredUntilTheyLoopAndNamesKeepTheirBytes) {
    std::string root = dir / "root";
    fs::create_directories(root + "/a");
    fs::create_directories(root + "/other");
    writeFile(root + "/a/x.txt", "x");
    writeFile(root + "/other/y.txt", "y");
    const std::string latin1 = "caf\xE9.txt";  // not UTF-8: stored as the file system has it
    writeFile(root + "/a/" + latin1, "z");
    fs::create_directory_symlink("../other", root + "/a/other");  // no loop: entered
    fs::create_directory_symlink("..", root + "/a/up");           // a loop back to root
    fs::create_directory_symlink(".", root + "/a/self");          // a loop onto itself
    fs::create_symlink("a/x.txt", root + "/filelink");
    fs::create_symlink("missing", root + "/broken");
    settings.ask = false;
    adder.addFolder(root);

    Node* top = tree.firstTopLevel();
    EXPECT_EQ(captions(top), (std::vector<std::string>{":a", ":other", "broken", "filelink"}));
    std::map<std::string, Node*> inA;
    for (Node* n : tree.children(tree.children(top).front())) {
        inA[std::string(n->text(kColPath))] = n;
    }
    ASSERT_EQ(inA.size(), 5u);
    ASSERT_TRUE(inA.count(root + "/a/other"));
    EXPECT_EQ(captions(inA[root + "/a/other"]), (std::vector<std::string>{"y"}));
    EXPECT_EQ(tree.childCount(inA[root + "/a/up"]), 0u);
    EXPECT_EQ(tree.childCount(inA[root + "/a/self"]), 0u);
    ASSERT_TRUE(inA.count(root + "/a/" + latin1));
    EXPECT_EQ(inA[root + "/a/" + latin1]->text(kColCaption), "caf\xE9");
    EXPECT_EQ(tree.children(top)[3]->text(kColKind), kKindFile);
    EXPECT_EQ(document.counts().folders, 6);
    EXPECT_EQ(document.counts().files, 6);
}

// Runs check as an unprivileged user, so that permissions apply even when the tests run as
// root; the check's answer comes back as the exit status.
bool runUnprivileged(const std::function<bool()>& check) {
    if (::geteuid() != 0) {
        return check();
    }
    pid_t child = ::fork();
    if (child == 0) {
        bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && check();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(AddingTest, AnUnreadableDirectoryAddsNoChildrenAndTheScanGoesOn) {
    std::string root = dir / "root";
    fs::create_directories(root + "/closed");
    fs::create_directories(root + "/open");
    writeFile(root + "/closed/secret.txt", "x");
    writeFile(root + "/open/seen.txt", "x");
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read |
                                    fs::perms::others_exec | fs::perms::group_read |
                                    fs::perms::group_exec);
    ::chmod((root + "/closed").c_str(), 0);
    settings.ask = false;
    bool ok = runUnprivileged([&] {
        adder.addFolder(root);
        Node* top = tree.firstTopLevel();
        if (!top || captions(top) != std::vector<std::string>{":closed", ":open"}) {
            return false;
        }
        return tree.childCount(tree.children(top)[0]) == 0 &&
               captions(tree.children(top)[1]) == std::vector<std::string>{"seen"};
    });
    ::chmod((root + "/closed").c_str(), 0700);
    EXPECT_TRUE(ok);
}

TEST_F(AddingTest, AddFolderAsksForTheDirectoryAndRefreshesTheSummary) {
    std::string root = dir / "root";
    fs::create_directories(root);
    writeFile(root + "/f.txt", "x");
    settings.ask = false;
    ui.folders.push_back(std::nullopt);
    adder.aAddFolderExecute();
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"Please specify a directory|"}));
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(summary.refreshes, 0);

    ui.folders.push_back(root);
    adder.aAddFolderExecute();
    EXPECT_EQ(tree.nodeCount(), 2u);
    EXPECT_EQ(summary.refreshes, 1);
    EXPECT_EQ(summary.shown.folders, 1);
    EXPECT_EQ(summary.shown.files, 1);
}

TEST_F(AddingTest, WithoutAZuBookAddFolderShowsNoDialogAndAddsNothing) {
    document.close();
    settings.ask = true;
    EXPECT_FALSE(adder.addFolder(dir.str()));
    EXPECT_EQ(addOptionsShown, 0);
    EXPECT_TRUE(tree.empty());
}

TEST_F(AddingTest, TheAskSettingDecidesAndOnlySavingChangesIt) {
    std::string root = dir / "root";
    fs::create_directories(root + "/sub");
    writeFile(root + "/f.txt", "x");
    settings.ask = true;

    showAddOptions = [](AddOptionsCopy&) { return false; };  // Cancel
    EXPECT_FALSE(adder.addFolder(root));
    EXPECT_TRUE(tree.empty());

    showAddOptions = [](AddOptionsCopy& copy) {  // "Ask next time" off, then "Start"
        copy.setOptions({true, true, true, false});
        return true;
    };
    EXPECT_TRUE(adder.addFolder(root));
    EXPECT_EQ(addOptionsShown, 2);
    EXPECT_TRUE(settings.ask);

    showAddOptions = [this](AddOptionsCopy& copy) {  // the same, with saving
        copy.setOptions({false, true, true, false});
        copy.saveInto(settings);
        return true;
    };
    EXPECT_TRUE(adder.addFolder(root));
    EXPECT_EQ(addOptionsShown, 3);
    EXPECT_FALSE(settings.ask);
    EXPECT_FALSE(settings.recurce);

    tree.clear();
    EXPECT_TRUE(adder.addFolder(root));
    EXPECT_EQ(addOptionsShown, 3);  // not asked any more
    EXPECT_EQ(captions(tree.firstTopLevel()), (std::vector<std::string>{"f"}));
}

TEST_F(AddingTest, WhileScanningTheTreeCannotBeDeletedFromAndAStopEndsTheScan) {
    std::string root = dir / "root";
    for (int i = 0; i < 20; ++i) {
        fs::create_directories(root + "/d" + std::to_string(i));
        writeFile(root + "/d" + std::to_string(i) + "/f.txt", "x");
    }
    settings.ask = false;
    settings.autoSaveOnChanges = true;
    Node* other = addNode(nullptr, ":other", kKindZuFolder);
    int pumpsBeforeStop = 3;
    bool busyInside = false;
    bool nestedAdded = true;
    pump.onPump = [&] {
        busyInside = busy.busy() && adder.scanning();
        tree.clearSelection();
        tree.select(other);
        editor.aDeleteExecute(other, false);  // refused: no question, nothing deleted
        nestedAdded = adder.addFolder(root);  // a second scan is refused
        if (--pumpsBeforeStop == 0) {
            busy.requestStop();  // the program wants to close
        }
    };
    ASSERT_TRUE(adder.addFolder(root));

    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(nestedAdded);
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_EQ(pump.calls, 3);  // stopped at the next entry
    EXPECT_EQ(tree.topLevel().size(), 2u);
    EXPECT_LT(tree.nodeCount(), 2u + 40u);
    EXPECT_FALSE(busy.busy());
    EXPECT_FALSE(busy.stopRequested());
    EXPECT_EQ(ui.status[1], "");
    EXPECT_FALSE(autoSaved());  // a stopped scan is not saved

    // Once the scan has returned the close can go ahead, and the next scan runs in full.
    ui.confirmations.push_back(true);
    editor.aDeleteExecute(other, false);
    EXPECT_EQ(tree.topLevel().size(), 1u);
    document.close();
    EXPECT_TRUE(tree.empty());
    ui.inputs.push_back("again.dua");  // book.dua exists now: the delete saved it
    document.newZuBook();
    pump.onPump = nullptr;
    EXPECT_TRUE(adder.addFolder(root));
    EXPECT_EQ(tree.nodeCount(), 1u + 40u);
}

TEST_F(AddingTest, ThePumpRunsNoMoreOftenThanItsInterval) {
    std::string root = dir / "root";
    for (int i = 0; i < 30; ++i) {
        fs::create_directories(root + "/d" + std::to_string(i));
        for (int j = 0; j < 20; ++j) {
            writeFile(root + "/d" + std::to_string(i) + "/f" + std::to_string(j), "");
        }
    }
    settings.ask = false;
    ZuBookAdder throttled{AddingParts{tree, icons, document, settings, addOptions, ui, pump, busy,
                                      dir.str(), nullptr, nullptr, std::chrono::milliseconds(10)}};
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(throttled.addFolder(root));
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(tree.nodeCount(), 1u + 30u + 600u);
    EXPECT_LE(pump.calls, elapsed / std::chrono::milliseconds(10));
}

}  // namespace
}  // namespace tarnu
