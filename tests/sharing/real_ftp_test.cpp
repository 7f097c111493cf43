// The FTP checks against a real FTP server (Debian's pyftpdlib) on 127.0.0.1: one that lets
// the anonymous user in and one that refuses every login.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

#include <memory>
#include <string>
#include <vector>

#include "sharing/event_loop.h"
#include "sharing/ftp_checks.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

using testing::appArgc;
using testing::appArgv;
using testing::waitUntil;

// Debian's interpreter: the one first on PATH may lack the Debian packages.
constexpr const char* kPython = "/usr/bin/python3";

bool havePyFtpdLib() {
    return QProcess::execute(kPython, {"-c", "import pyftpdlib"}) == 0;
}

// One pyftpdlib server as a child process; it prints its port once it listens.
class RealFtpServer {
public:
    RealFtpServer(const char* mode, const std::string& home) {
        process_.setStandardErrorFile(QProcess::nullDevice());  // its access log
        process_.start(
            kPython, {TARNU_SHARING_TEST_DIR "/ftp_server.py", mode, QString::fromStdString(home)});
        if (process_.waitForStarted(5000) && waitUntil([&] { return process_.canReadLine(); })) {
            port_ = static_cast<std::uint16_t>(process_.readLine().trimmed().toUInt());
        }
    }
    ~RealFtpServer() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    std::uint16_t port() const { return port_; }

private:
    QProcess process_;
    std::uint16_t port_ = 0;
};

// The marks one list of a single server gets from the checks the steps run, in order, with
// one client, as the FTP list window keeps it from opening to closing.
class OpenedList {
public:
    explicit OpenedList(std::uint16_t port, const char* host = "127.0.0.1")
        : entries_{{host, "FTP file server", "Last check: unknown"}},
          client_(port),
          checks_(entries_, client_, [] { return std::string("NOW"); }) {
        checks_.onMarked = [this](std::size_t, bool live) { marks.push_back(live); };
        checks_.onAllDone = [this] { allDone_ = true; };
    }
    void checkCurrent() {
        const std::size_t before = marks.size();
        checks_.checkOne(0);
        EXPECT_TRUE(waitUntil([&] { return marks.size() > before && !checks_.busy(); }));
    }
    void checkAll() {
        allDone_ = false;
        checks_.checkAll();
        EXPECT_TRUE(waitUntil([&] { return allDone_; }));
    }
    const std::string& status() const { return entries_.front().status; }
    std::vector<bool> marks;

private:
    std::vector<FtpServerEntry> entries_;
    FtpClient client_;
    FtpChecks checks_;
    bool allDone_ = false;
};

TEST(RealFtpServerTest, AnonymousLoginJudgesTheServer) {
    if (!havePyFtpdLib()) {
        GTEST_SKIP() << kPython << " cannot import pyftpdlib (Debian package python3-pyftpdlib)";
    }
    QCoreApplication app(appArgc, appArgv);
    testing::ScratchDir home;
    RealFtpServer anonymous("anonymous", home.str());
    RealFtpServer refusing("refusing", home.str());
    ASSERT_NE(anonymous.port(), 0);
    ASSERT_NE(refusing.port(), 0);

    // Anonymous login allowed: live by either check, before and after credentials are kept.
    OpenedList open(anonymous.port());
    open.checkCurrent();
    open.checkAll();
    open.checkCurrent();
    EXPECT_EQ(open.marks, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(open.status(), "Last check: NOW; Last state: live.");
    // A host name is looked up; localhost may name ::1 first, where the server is not.
    OpenedList byName(anonymous.port(), "localhost");
    byName.checkAll();
    EXPECT_EQ(byName.marks, std::vector<bool>{true});

    // Login refused: the first single check after opening counts the credentials asked for
    // as an answer; later ones, and every check of all, go by the login.
    OpenedList closed(refusing.port());
    closed.checkCurrent();
    EXPECT_EQ(closed.status(), "Last check: NOW; Last state: live.");
    closed.checkCurrent();
    closed.checkAll();
    EXPECT_EQ(closed.marks, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(closed.status(), "Last check: NOW; Last state: close.");

    OpenedList freshlyOpened(refusing.port());
    freshlyOpened.checkAll();
    EXPECT_EQ(freshlyOpened.marks, std::vector<bool>{false});
}

}  // namespace
}  // namespace tarnu
