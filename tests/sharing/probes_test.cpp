// The address probes and the FTP checks against listeners in the test, on 127.0.0.x.

#include <gtest/gtest.h>

#include "sharing/event_loop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <map>
#include <memory>
#include <set>

#include "sharing/address_probes.h"
#include "sharing/ftp_checks.h"
#include "sharing/server_list.h"

namespace tarnu {
namespace {

using testing::appArgc;
using testing::appArgv;
using testing::waitUntil;

std::uint32_t ip(const char* text) {
    return *parseDottedQuad(text);
}

TEST(AddressProbesTest, ScansRangesAcrossOctetsAndStops) {
    QCoreApplication app(appArgc, appArgv);
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress("127.0.0.2"), 0));
    AddressProbes probes(listener.serverPort(), std::chrono::milliseconds(1000), 4);
    std::map<std::uint32_t, bool> results;
    std::vector<std::uint32_t> probed;
    bool finished = false;
    probes.onProbing = [&](std::uint32_t a) { probed.push_back(a); };
    probes.onResult = [&](std::uint32_t a, bool up) { results[a] = up; };
    probes.onFinished = [&] { finished = true; };

    probes.scanRange(ip("127.0.0.1"), ip("127.0.0.3"));
    ASSERT_TRUE(waitUntil([&] { return finished; }));
    EXPECT_EQ(results,
              (std::map<std::uint32_t, bool>{
                  {ip("127.0.0.1"), false}, {ip("127.0.0.2"), true}, {ip("127.0.0.3"), false}}));

    // .250 to .255, then the carry into the third octet: ten addresses.
    finished = false;
    probed.clear();
    probes.scanRange(ip("127.0.0.250"), ip("127.0.1.3"));
    ASSERT_TRUE(waitUntil([&] { return finished; }));
    ASSERT_EQ(probed.size(), 10u);
    EXPECT_EQ(probed[6], ip("127.0.1.0"));
    // One address, and none when the start lies above the end.
    finished = false;
    probed.clear();
    probes.scanRange(ip("127.0.0.2"), ip("127.0.0.2"));
    ASSERT_TRUE(waitUntil([&] { return finished; }));
    EXPECT_EQ(probed.size(), 1u);
    finished = false;
    probes.scanRange(ip("127.0.0.3"), ip("127.0.0.2"));
    EXPECT_TRUE(finished);
    EXPECT_EQ(probed.size(), 1u);

    // Stopping leaves what was found and starts nothing more.
    probed.clear();
    probes.onResult = [&](std::uint32_t, bool) { probes.stop(); };
    probes.scanList({ip("127.0.0.2"), ip("127.0.0.2"), ip("127.0.0.2"), ip("127.0.0.2"),
                     ip("127.0.0.2"), ip("127.0.0.2")});
    waitUntil([&] { return !probes.running(); });
    EXPECT_EQ(probed.size(), 4u);
}

// A scripted FTP server: greets (or not), and answers USER as told.
class FakeFtpServer {
public:
    // Mute greets and then never answers.
    enum class Mode { Anonymous, Refusing, Silent, Mute };
    explicit FakeFtpServer(Mode mode) : mode_(mode) {
        listener_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&listener_, &QTcpServer::newConnection, [this] { accept(); });
    }
    std::uint16_t port() const { return listener_.serverPort(); }
    std::vector<std::string> commands;

private:
    void accept() {
        QTcpSocket* s = listener_.nextPendingConnection();
        if (mode_ != Mode::Silent) {
            s->write("220-Welcome\r\n220 Ready\r\n");
        }
        QObject::connect(s, &QTcpSocket::readyRead, [this, s] {
            while (s->canReadLine()) {
                const std::string line = s->readLine().trimmed().toStdString();
                commands.push_back(line.substr(0, line.find(' ')));
                if (mode_ == Mode::Mute) {
                    continue;
                }
                if (line.starts_with("USER")) {
                    s->write(mode_ == Mode::Refusing ? "530 No anonymous\r\n" : "331 Password\r\n");
                } else if (line.starts_with("PASS")) {
                    s->write("230-Hello\r\n230 Logged in\r\n");
                } else if (line == "QUIT") {
                    s->write("221 Bye\r\n");
                    s->disconnectFromHost();
                }
            }
        });
    }
    Mode mode_;
    QTcpServer listener_;
};

TEST(FtpChecksTest, LoginDecidesAndTheFirstAnswerCountsForASingleCheck) {
    QCoreApplication app(appArgc, appArgv);
    FakeFtpServer anonymous(FakeFtpServer::Mode::Anonymous);
    FakeFtpServer refusing(FakeFtpServer::Mode::Refusing);
    FakeFtpServer silent(FakeFtpServer::Mode::Silent);
    auto checkAll = [&](FakeFtpServer& server, bool fresh) {
        FtpClient client(server.port(), std::chrono::milliseconds(1000),
                         std::chrono::milliseconds(300));
        if (!fresh) {
            client.setCredentials("anonymous", "ftp@x.io");
        }
        std::vector<FtpServerEntry> entries{{"127.0.0.1", "d", ""}};
        FtpChecks checks(entries, client, [] { return std::string("NOW"); });
        bool over = false;
        checks.onAllDone = [&] { over = true; };
        checks.checkAll();
        EXPECT_TRUE(waitUntil([&] { return over; }));
        return entries.front().status;
    };
    EXPECT_EQ(checkAll(anonymous, true), "Last check: NOW; Last state: live.");
    EXPECT_EQ(anonymous.commands, (std::vector<std::string>{"USER", "PASS", "QUIT"}));
    EXPECT_EQ(checkAll(refusing, true), "Last check: NOW; Last state: close.");
    EXPECT_EQ(refusing.commands, (std::vector<std::string>{"USER", "QUIT"}));
    EXPECT_EQ(checkAll(silent, true), "Last check: NOW; Last state: close.");  // reply limit

    // A single check: the first probe since the list opened asks for credentials, which
    // counts as an answer; a later one does not.
    FtpClient client(refusing.port());
    std::vector<FtpServerEntry> entries{{"127.0.0.1", "d", ""}};
    FtpChecks checks(entries, client, [] { return std::string("NOW"); });
    std::vector<bool> marks;
    std::vector<std::string> status;
    checks.onMarked = [&](std::size_t, bool live) { marks.push_back(live); };
    checks.onStatus = [&](const std::string& text) { status.push_back(text); };
    checks.checkOne(0);
    ASSERT_TRUE(waitUntil([&] { return marks.size() == 1; }));
    EXPECT_TRUE(marks[0]);
    EXPECT_EQ(status, (std::vector<std::string>{"Check FTP: 127.0.0.1", ""}));
    checks.checkOne(0);
    ASSERT_TRUE(waitUntil([&] { return marks.size() == 2; }));
    EXPECT_FALSE(marks[1]);
}

TEST(FtpChecksTest, AServerThatFallsSilentAfterItsGreetingIsCloseAfterFiveSeconds) {
    QCoreApplication app(appArgc, appArgv);
    FakeFtpServer mute(FakeFtpServer::Mode::Mute);
    FtpClient client(mute.port());  // the reply limit the FTP list uses
    std::vector<FtpServerEntry> entries{{"127.0.0.1", "d", ""}};
    FtpChecks checks(entries, client, [] { return std::string("NOW"); });
    bool over = false;
    checks.onAllDone = [&] { over = true; };
    QElapsedTimer clock;
    clock.start();
    checks.checkAll();
    ASSERT_TRUE(waitUntil([&] { return over; }, 15000));
    EXPECT_EQ(entries.front().status, "Last check: NOW; Last state: close.");
    // USER waits its five seconds, and no more: QUIT is not waited for again. A coarse Qt
    // timer may fire up to 5% early.
    EXPECT_GE(clock.elapsed(), 4700);
    EXPECT_LT(clock.elapsed(), 7000);
    waitUntil([&] { return mute.commands.size() == 2; }, 1000);
    EXPECT_EQ(mute.commands, (std::vector<std::string>{"USER", "QUIT"}));
}

}  // namespace
}  // namespace tarnu
