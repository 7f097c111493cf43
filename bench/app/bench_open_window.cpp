// Opens a 1,000,000-node ZuBook in the main window and measures the time to the tree's first
// paint, against loading the same ZuBook without any window in the same run.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <cstdio>
#include <filesystem>

#include "app/main_window.h"
#include "document/zubook_file.h"
#include "support/quiet_ports.h"

using namespace tarnu;

namespace {

constexpr int kFolders = 1000;
constexpr int kLinksPerFolder = 999;

class NoLocks : public FileLocks {
public:
    LockHandle lock(const std::string&) override { return kNoLock; }
    bool unlock(LockHandle) override { return true; }
    bool isLockedByAnyone(const std::string&) override { return false; }
};

class NoKeys : public GlobalHotKeys {
public:
    bool grab(int, unsigned, unsigned) override { return true; }
    bool release(int) override { return true; }
    void setPressedHandler(PressedHandler) override {}
};

class NoDesktop : public DesktopIntegration {
public:
    bool registerFileType(const std::string&) override { return true; }
    bool setIntegrate(bool, const std::string&, const std::string&) override { return true; }
    bool setRunAtLogin(bool, const std::string&) override { return true; }
    bool isRunAtLogin(const std::string&) override { return false; }
};

class NoShell : public Shell {
public:
    bool open(const std::string&) override { return true; }
};

// Notices the first paint of a widget.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        painted |= event->type() == QEvent::Paint;
        return false;
    }
};

void writeBigZuBook(const std::string& path) {
    AsciiCollation collation;
    ZuTree tree(collation);
    for (int f = 0; f < kFolders; ++f) {
        Node* folder = tree.addChild(nullptr);
        tree.setText(folder, kColCaption, ":Folder " + std::to_string(f));
        tree.setText(folder, kColKind, kKindZuFolder);
        for (int i = 0; i < kLinksPerFolder; ++i) {
            Node* link = tree.addChild(folder);
            std::string name = "document " + std::to_string(i);
            tree.setText(link, kColCaption, name);
            tree.setText(link, kColPath,
                         "/home/user/projects/folder-" + std::to_string(f) + "/" + name + ".txt");
            tree.setText(link, kColLock, "No");
            tree.setText(link, kColKind, kKindFile);
        }
    }
    tree.firstTopLevel()->setExpanded(true);
    HotFolderTable hotFolders;
    SharedTree shared(collation);
    TZLBArchive archive;
    archive.CompressionLevel = TCompressionLevel::fcMaximum;
    writeZuBookFile(archive, path, tree, hotFolders, shared, std::nullopt);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string dir = std::filesystem::temp_directory_path() / "tarnu-bench-window";
    std::filesystem::create_directories(dir);
    const std::string book = dir + "/big.dua";
    writeBigZuBook(book);

    QtIcons icons;
    NoLocks locks;
    NoKeys keys;
    NoDesktop desktop;
    bench::QuietUi ui;
    NoShell shell;
    bench::NoPump pump;
    LocaleCollation collation;
    TarnuCore core(dir, dir + "/tarnu", collation,
                   CorePorts{icons, locks, keys, desktop, ui, shell, pump});

    QElapsedTimer timer;
    timer.start();
    core.openZuBook(book);
    const double loadOnly = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    core.closeZuBook();

    TfrmMain window(core, icons);
    FirstPaint paint;
    window.treeList()->viewport()->installEventFilter(&paint);
    timer.restart();
    core.openZuBook(book);
    window.show();
    while (!paint.painted) {
        QCoreApplication::processEvents();
    }
    const double firstPaint = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("ZuBook of %zu nodes\n", core.tree().nodeCount());
    std::printf("load without a window           %.3f s\n", loadOnly);
    std::printf("load and first paint in window  %.3f s  (%.2fx the load alone)\n", firstPaint,
                firstPaint / loadOnly);
    std::filesystem::remove_all(dir);
    return 0;
}
