// The real xdg-open shell, with a stand-in xdg-open on PATH that notes what it was given
// and ends as a desktop would: 0 handed over, 3 no program found, 4 the program failed.

#include "platform/qt/xdg_open_shell.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace tarnu {
namespace {

int appArgc = 1;
char appName[] = "platform_qt_tests";
char* appArgv[] = {appName, nullptr};

// Processes this one started that have not been reaped yet, zombies included.
std::string childrenOfThisProcess() {
    std::ifstream in("/proc/self/task/" + std::to_string(::getpid()) + "/children");
    std::string pids;
    std::getline(in, pids);
    return pids;
}

std::vector<std::string> sortedLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

class XdgOpenShellTest : public ::testing::Test {
protected:
    XdgOpenShellTest() : oldPath_(::getenv("PATH") ? ::getenv("PATH") : "") {
        std::filesystem::create_directory(scratch / "bin");
        const std::string script = scratch / "bin/xdg-open";
        std::ofstream(script) << "#!/bin/sh\n"
                              << "printf '%s\\n' \"$1\" >> '" << log() << "'\n"
                              << "while [ -e '" << (scratch / "hold")
                              << "' ]; do sleep 0.02; done\n"
                              << "case \"$1\" in *.none) exit 3 ;; *.broken) exit 4 ;; esac\n";
        ::chmod(script.c_str(), 0755);
        ::setenv("PATH", (scratch / "bin:" + oldPath_).c_str(), 1);
    }
    ~XdgOpenShellTest() override { ::setenv("PATH", oldPath_.c_str(), 1); }

    std::string log() const { return scratch / "opened.log"; }
    std::string file(const std::string& name) {
        testing::writeFile(scratch / name, "x");
        return scratch / name;
    }
    Shell::LateFailure noteFailureOf(const std::string& what) {
        return [this, what] { failures.push_back(what); };
    }
    // Runs the event loop until every xdg-open started has ended and been reaped.
    bool waitForTheStandIns() {
        QDeadlineTimer deadline(20000);
        QTimer tick;
        tick.start(5);
        while (!childrenOfThisProcess().empty()) {
            if (deadline.hasExpired()) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        // The ended processes delete themselves later: outside a running loop, only on request.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return true;
    }

    QCoreApplication app{appArgc, appArgv};
    testing::ScratchDir scratch;
    std::string oldPath_;
    std::vector<std::string> failures;
};

TEST_F(XdgOpenShellTest, ANonZeroEndOfXdgOpenIsReportedLaterAndNothingIsLeftRunning) {
    XdgOpenShell shell;
    const std::string fine = file("a.txt");
    const std::string none = file("b.none");
    const std::string broken = file("c.broken");
    EXPECT_TRUE(shell.openWatched(fine, noteFailureOf("fine")));
    EXPECT_TRUE(shell.openWatched(none, noteFailureOf("none")));
    EXPECT_TRUE(shell.openWatched(broken, noteFailureOf("broken")));
    EXPECT_TRUE(shell.openWatched("https://example.org/a b?x=1", noteFailureOf("address")));
    EXPECT_TRUE(shell.open(none));  // nobody asked to hear of it
    EXPECT_TRUE(failures.empty());  // xdg-open looks for the program after it started

    ASSERT_TRUE(waitForTheStandIns()) << "left running or unreaped: " << childrenOfThisProcess();
    std::sort(failures.begin(), failures.end());
    EXPECT_EQ(failures, (std::vector<std::string>{"broken", "none"}));
    std::vector<std::string> handedOver{fine, none, none, broken, "https://example.org/a%20b?x=1"};
    std::sort(handedOver.begin(), handedOver.end());
    EXPECT_EQ(sortedLines(log()), handedOver);

    // Refused at once: a missing file is never handed over, and without xdg-open nothing runs.
    EXPECT_FALSE(shell.openWatched(scratch / "gone.txt", noteFailureOf("gone")));
    ::setenv("PATH", (scratch / "nowhere").c_str(), 1);
    EXPECT_FALSE(shell.openWatched(fine, noteFailureOf("no xdg-open")));
    ASSERT_TRUE(waitForTheStandIns());
    EXPECT_EQ(failures.size(), 2u);
}

TEST_F(XdgOpenShellTest, AShellGoneBeforeXdgOpenEndsReportsNothing) {
    testing::writeFile(scratch / "hold", "");
    {
        XdgOpenShell shell;
        EXPECT_TRUE(shell.openWatched(file("d.none"), noteFailureOf("after the shell")));
    }
    std::filesystem::remove(scratch / "hold");
    ASSERT_TRUE(waitForTheStandIns());
    EXPECT_TRUE(failures.empty());
}

}  // namespace
}  // namespace tarnu
