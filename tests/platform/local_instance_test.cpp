// Single instance with real processes: instance_peer plays the other copy.

#include "platform/linux/local_instance.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

constexpr int kTimeoutMs = 20000;
// A second copy that finds nobody must not keep the user waiting.
constexpr qint64 kQuickMs = 2000;

int appArgc = 1;
char appName[] = "platform_tests";
char* appArgv[] = {appName, nullptr};

// Runs the event loop until done() holds; false when the time ran out first.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = kTimeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QTimer tick;  // wakes the wait below to look again
    tick.start(5);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// One forwarded text as it travels: its length with the NUL, the text, the NUL.
QByteArray frame(const std::string& text) {
    QByteArray bytes(4, '\0');
    putU32(reinterpret_cast<unsigned char*>(bytes.data()),
           static_cast<std::uint32_t>(text.size() + 1));
    bytes.append(text.data(), static_cast<qsizetype>(text.size()));
    bytes.append('\0');
    return bytes;
}

class LocalInstanceTest : public ::testing::Test {
protected:
    std::string dir() const { return scratch_.str(); }
    std::string endpointFile() const { return scratch_ / "ZuH.ini"; }

    std::string endpointInFile() const {
        return QSettings(QString::fromStdString(endpointFile()), QSettings::IniFormat)
            .value("Tarnu/Ext", "-1")
            .toString()
            .toStdString();
    }

    std::unique_ptr<QProcess> startPeer(const QStringList& arguments) {
        auto peer = std::make_unique<QProcess>();
        peer->start(QStringLiteral(TARNU_INSTANCE_PEER), arguments);
        EXPECT_TRUE(peer->waitForStarted(kTimeoutMs));
        return peer;
    }

    std::unique_ptr<QProcess> startForwarder(const std::string& switchText,
                                             const std::string& argument,
                                             const std::string& marker = {}) {
        QStringList arguments{"forward", QString::fromStdString(dir()),
                              QString::fromStdString(switchText), QString::fromStdString(argument)};
        if (!marker.empty()) {
            arguments << QString::fromStdString(marker);
        }
        return startPeer(arguments);
    }

    // The exit status of a peer, once the event loop has let it finish; -1 when it did not.
    int exitCodeOf(QProcess& peer) {
        if (!waitUntil([&] { return peer.state() == QProcess::NotRunning; }) ||
            peer.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return peer.exitCode();
    }

    // A running copy in another process.
    std::unique_ptr<QProcess> startHolder() {
        auto holder = startPeer({"hold", QString::fromStdString(dir())});
        EXPECT_EQ(lineFrom(*holder), "ready");
        return holder;
    }

    // The next line a peer printed, without its line end; blocks, for the event loop of this
    // process may be busy in a forward.
    static std::string lineFrom(QProcess& peer) {
        QDeadlineTimer deadline(kTimeoutMs);
        while (!peer.canReadLine()) {
            if (!peer.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
                return "<nothing: " + peer.readAllStandardError().toStdString() + ">";
            }
        }
        QByteArray line = peer.readLine();
        line.chop(1);
        return line.toStdString();
    }

    std::unique_ptr<QLocalSocket> connectTo(const std::string& endpoint) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(QString::fromStdString(endpoint));
        EXPECT_TRUE(socket->waitForConnected(kTimeoutMs));
        return socket;
    }

    static bool sent(QLocalSocket& socket) {
        return waitUntil([&] { return socket.bytesToWrite() == 0; });
    }
    static bool droppedByServer(QLocalSocket& socket) {
        return waitUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; });
    }

    QCoreApplication app_{appArgc, appArgv};
    testing::ScratchDir scratch_;
};

TEST_F(LocalInstanceTest, ASecondCopyIsReleasedBeforeTheTextIsActedOnAndMayDieMidway) {
    LocalInstance running(dir());
    ASSERT_TRUE(running.becomeRunningCopy());
    std::vector<std::string> texts;
    std::unique_ptr<QProcess> second;
    int secondsExit = -1;
    qint64 secondTook = -1;
    QElapsedTimer clock;
    running.setForwardedHandler([&](const std::string& text) {
        texts.push_back(text);
        if (texts.size() > 1) {
            return;
        }
        // As under a dialog: events run while the handler waits. The second copy ends
        // meanwhile, and other senders die with their text sent, or half of it.
        secondsExit = exitCodeOf(*second);
        secondTook = clock.elapsed();
        auto whole = connectTo(running.endpoint());
        whole->write(frame("-add\r/tmp/whole"));
        auto half = connectTo(running.endpoint());
        half->write(frame("-add\r/tmp/half").left(9));
        sent(*whole);
        sent(*half);
        whole->abort();
        half->abort();
        waitUntil([] { return false; }, 200);
    });
    clock.start();
    second = startForwarder("-addf", "/tmp/dir");

    ASSERT_TRUE(waitUntil([&] { return secondTook >= 0; }));
    EXPECT_EQ(secondsExit, 0) << second->readAllStandardError().toStdString();
    EXPECT_LT(secondTook, kQuickMs);
    // The running copy goes on serving; what a dead sender delivered whole may still come.
    auto third = startForwarder("-dua", "/tmp/after.dua");
    EXPECT_EQ(exitCodeOf(*third), 0) << third->readAllStandardError().toStdString();
    ASSERT_TRUE(waitUntil([&] { return texts.back() == "-dua\r/tmp/after.dua"; }));
    EXPECT_EQ(texts.front(), "-addf\r/tmp/dir");
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "-add\r/tmp/half"), 0);
}

TEST_F(LocalInstanceTest, ARunningCopyAnswersEverySecondCopyOneAtATime) {
    LocalInstance running(dir());
    ASSERT_TRUE(running.becomeRunningCopy());
    std::vector<std::string> texts;
    int depth = 0;
    int deepest = 0;
    auto first = connectTo(running.endpoint());
    auto second = connectTo(running.endpoint());
    running.setForwardedHandler([&](const std::string& text) {
        deepest = std::max(deepest, ++depth);
        texts.push_back(text);
        if (texts.size() == 1) {
            // Events run inside the handler, as under a dialog; the next text must wait.
            second->write(frame("-add\r/tmp/b"));
            waitUntil([&] { return texts.size() > 1; }, 300);
        }
        --depth;
    });
    first->write(frame("-add\r/tmp/a"));

    ASSERT_TRUE(waitUntil([&] { return first->bytesAvailable() > 0; }));
    ASSERT_TRUE(waitUntil([&] { return second->bytesAvailable() > 0; }));
    EXPECT_EQ(first->readAll(), QByteArray(1, '\0'));
    EXPECT_EQ(second->readAll(), QByteArray(1, '\0'));
    ASSERT_TRUE(waitUntil([&] { return texts.size() == 2; }));
    EXPECT_EQ(texts, (std::vector<std::string>{"-add\r/tmp/a", "-add\r/tmp/b"}));
    EXPECT_EQ(deepest, 1);
    EXPECT_TRUE(droppedByServer(*first));
}

TEST_F(LocalInstanceTest, TextsThatArriveBeforeAHandlerWaitForIt) {
    LocalInstance running(dir());
    ASSERT_TRUE(running.becomeRunningCopy());
    auto sender = connectTo(running.endpoint());
    sender->write(frame("-addf\r/srv/music"));
    // Taken in and answered at once, even with nobody yet to act on it.
    ASSERT_TRUE(waitUntil([&] { return sender->bytesAvailable() > 0; }));
    EXPECT_EQ(sender->readAll(), QByteArray(1, '\0'));

    // Nor while the program says it is not ready (a dialog of its own is open).
    bool ready = false;
    int asked = 0;
    running.setReadyCheck([&] {
        ++asked;
        return ready;
    });
    std::vector<std::string> texts;
    running.setForwardedHandler([&](const std::string& text) { texts.push_back(text); });
    EXPECT_TRUE(texts.empty());  // not from inside the setter
    EXPECT_FALSE(waitUntil([&] { return !texts.empty(); }, 3 * LocalInstance::kReadyPollMs));
    EXPECT_GE(asked, 2);  // asked again without any new event
    ready = true;
    ASSERT_TRUE(waitUntil([&] { return !texts.empty(); }));
    EXPECT_EQ(texts, std::vector<std::string>{"-addf\r/srv/music"});
}

TEST_F(LocalInstanceTest, BrokenMessagesAreDroppedAndSlowSendersBlockNobody) {
    LocalInstance::Limits patient;
    patient.stallMs = kTimeoutMs;
    LocalInstance running(dir(), LocalInstance::kDefaultWaitMs, patient);
    ASSERT_TRUE(running.becomeRunningCopy());
    std::vector<std::string> texts;
    running.setForwardedHandler([&](const std::string& text) { texts.push_back(text); });

    auto header = [](std::uint32_t size) {
        QByteArray bytes(4, '\0');
        putU32(reinterpret_cast<unsigned char*>(bytes.data()), size);
        return bytes;
    };
    const std::vector<QByteArray> broken = {
        header(LocalInstance::kMaxMessage + 1) + QByteArray(100, 'x'),  // too long
        header(0xFFFFFFFFu),                                            // far too long
        header(0),                                                      // not even a NUL
        header(5) + "-dua\r",                                           // no NUL at the end
    };
    for (const QByteArray& bytes : broken) {
        auto sender = connectTo(running.endpoint());
        sender->write(bytes);
        EXPECT_TRUE(droppedByServer(*sender)) << bytes.toHex().toStdString();
        EXPECT_EQ(sender->bytesAvailable(), 0);
    }

    // Half a message; the rest comes later.
    auto slow = connectTo(running.endpoint());
    const QByteArray slowFrame = frame("-dua\r/tmp/slow.dua");
    slow->write(slowFrame.left(7));
    ASSERT_TRUE(sent(*slow));

    auto second = startForwarder("-add", "/tmp/quick.txt");
    EXPECT_EQ(exitCodeOf(*second), 0) << second->readAllStandardError().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !texts.empty(); }));  // acted on after the answer
    EXPECT_EQ(texts, std::vector<std::string>{"-add\r/tmp/quick.txt"});

    slow->write(slowFrame.mid(7));
    ASSERT_TRUE(waitUntil([&] { return slow->bytesAvailable() > 0; }));
    EXPECT_EQ(slow->readAll(), QByteArray(1, '\0'));
    EXPECT_EQ(texts, (std::vector<std::string>{"-add\r/tmp/quick.txt", "-dua\r/tmp/slow.dua"}));
}

// Reads the one-byte answer of the running copy: 0 taken, 1 refused, -1 none.
int answerOf(QLocalSocket& socket) {
    waitUntil([&] {
        return socket.bytesAvailable() > 0 || socket.state() != QLocalSocket::ConnectedState;
    });
    return socket.bytesAvailable() == 1 ? socket.readAll()[0] : -1;
}

TEST_F(LocalInstanceTest, AFloodOrAStallHoldsOnlyBoundedResources) {
    LocalInstance::Limits limits;
    limits.connections = 4;
    limits.stallMs = 1000;
    limits.queuedTexts = 3;
    limits.queuedBytes = 1000;
    LocalInstance running(dir(), LocalInstance::kDefaultWaitMs, limits);
    ASSERT_TRUE(running.becomeRunningCopy());

    // Four senders stop half-way; a fifth finds no room and is closed unanswered.
    std::vector<std::unique_ptr<QLocalSocket>> stalled;
    for (int i = 0; i < 4; ++i) {
        stalled.push_back(connectTo(running.endpoint()));
        stalled.back()->write(frame("-add\r/tmp/stalled").left(6));
        ASSERT_TRUE(sent(*stalled.back()));
    }
    QElapsedTimer since;
    since.start();
    auto fifth = connectTo(running.endpoint());
    fifth->write(frame("-add\r/tmp/fifth"));
    EXPECT_EQ(answerOf(*fifth), -1);
    EXPECT_EQ(stalled.front()->state(), QLocalSocket::ConnectedState);
    // After the stall limit they are gone, and room is free again.
    for (auto& socket : stalled) {
        EXPECT_TRUE(droppedByServer(*socket));
    }
    EXPECT_GE(since.elapsed(), 900);

    // With nobody acting on texts, the queue takes three, and fewer bytes than the limit.
    auto send = [&](const std::string& text) {
        auto socket = connectTo(running.endpoint());
        socket->write(frame(text));
        return answerOf(*socket);
    };
    EXPECT_EQ(send("-add\r/tmp/1"), 0);
    EXPECT_EQ(send("-add\r/" + std::string(990, 'b')), 1);  // over the byte limit
    EXPECT_EQ(send("-add\r/tmp/2"), 0);
    EXPECT_EQ(send("-add\r/tmp/3"), 0);
    EXPECT_EQ(send("-add\r/tmp/4"), 1);  // over the count

    std::vector<std::string> texts;
    running.setForwardedHandler([&](const std::string& text) { texts.push_back(text); });
    ASSERT_TRUE(waitUntil([&] { return texts.size() == 3; }));
    EXPECT_EQ(texts, (std::vector<std::string>{"-add\r/tmp/1", "-add\r/tmp/2", "-add\r/tmp/3"}));
    EXPECT_EQ(send("-add\r/" + std::string(990, 'b')), 0);  // handled texts free their room
}

TEST_F(LocalInstanceTest, TheLongestTextGoesThroughAndLongerOnesAreNotSent) {
    auto holder = startHolder();
    LocalInstance second(dir());
    ASSERT_FALSE(second.becomeRunningCopy());

    EXPECT_FALSE(second.forward(std::string(LocalInstance::kMaxMessage, 'x')));
    const std::string longest(LocalInstance::kMaxMessage - 1, 'y');
    EXPECT_TRUE(second.forward(longest));
    EXPECT_EQ(lineFrom(*holder), longest);  // the refused one never arrived
    // A name that is not UTF-8 arrives byte for byte.
    const std::string odd = "-add\r/tmp/caf\xe9 \xff\xfe.txt";
    EXPECT_TRUE(second.forward(odd));
    EXPECT_EQ(lineFrom(*holder), odd);
    holder->kill();
    holder->waitForFinished(kTimeoutMs);
}

TEST_F(LocalInstanceTest, ASecondCopyThatFindsNoRunningCopyForwardsNothingAtOnce) {
    // What a socket file looks like after its copy died: nobody listens.
    const std::string deadSocket = scratch_ / "dead.sock";
    {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, deadSocket.c_str(), sizeof(address.sun_path) - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ASSERT_EQ(::listen(fd, 1), 0);
        ::close(fd);
    }
    writeFile(scratch_ / "plain.txt", "not a socket");

    const std::vector<std::string> endpointFiles = {
        "",  // no file at all
        "[Tarnu]\nExt=-1\n",
        "[Tarnu]\nExt=\n",
        "[Other]\nExt=" + deadSocket + "\n",
        "[Tarnu]\nExt=" + (scratch_ / "missing.sock") + "\n",
        "[Tarnu]\nExt=" + (scratch_ / "plain.txt") + "\n",
        "[Tarnu]\nExt=" + deadSocket + "\n",
        "[Tarnu]\nExt=dead.sock\n",  // relative: never looked up elsewhere
        std::string("\x01\xff\0garbage", 10),
    };
    for (const std::string& contents : endpointFiles) {
        fs::remove(endpointFile());
        if (!contents.empty()) {
            writeFile(endpointFile(), contents);
        }
        LocalInstance second(dir());
        QElapsedTimer took;
        took.start();
        EXPECT_FALSE(second.forward("-dua\r/tmp/x.dua")) << contents;
        EXPECT_LT(took.elapsed(), kQuickMs) << contents;
    }
}

TEST_F(LocalInstanceTest, ASecondCopyWaitsForASilentRunningCopyOnlyAsLongAsAllowed) {
    // Accepts connections (the kernel does) but never reads or answers.
    const std::string mute = scratch_ / "mute.sock";
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, mute.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    writeFile(endpointFile(), "[Tarnu]\nExt=" + mute + "\n");

    LocalInstance second(dir(), 300);
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(second.forward("-dua\r/tmp/x.dua"));
    EXPECT_GE(took.elapsed(), 300);
    EXPECT_LT(took.elapsed(), kQuickMs + 300);
    ::close(fd);
}

TEST_F(LocalInstanceTest, AKilledRunningCopyIsTakenOverByTheNextStart) {
    auto holder = startHolder();
    const std::string oldEndpoint = endpointInFile();
    ASSERT_TRUE(fs::exists(oldEndpoint)) << oldEndpoint;

    // However old its lock file, a live running copy keeps it.
    fs::last_write_time(scratch_ / "TarnuMutex.lock",
                        fs::file_time_type::clock::now() - std::chrono::hours(48));
    {
        LocalInstance second(dir());
        EXPECT_FALSE(second.becomeRunningCopy());
        EXPECT_TRUE(second.forward("-add\r/tmp/a.txt"));
        EXPECT_EQ(lineFrom(*holder), "-add\r/tmp/a.txt");
    }

    holder->kill();  // SIGKILL: no release, its files stay behind
    ASSERT_TRUE(holder->waitForFinished(kTimeoutMs));
    ASSERT_EQ(endpointInFile(), oldEndpoint);

    LocalInstance late(dir());
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(late.forward("-add\r/tmp/b.txt"));
    EXPECT_LT(took.elapsed(), kQuickMs);

    LocalInstance next(dir());
    ASSERT_TRUE(next.becomeRunningCopy());
    ASSERT_FALSE(next.endpoint().empty());
    EXPECT_NE(next.endpoint(), oldEndpoint);
    EXPECT_EQ(endpointInFile(), next.endpoint());
    EXPECT_FALSE(fs::exists(oldEndpoint));

    std::vector<std::string> texts;
    next.setForwardedHandler([&](const std::string& text) { texts.push_back(text); });
    auto third = startForwarder("-addf", "/tmp/c");
    EXPECT_EQ(exitCodeOf(*third), 0) << third->readAllStandardError().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !texts.empty(); }));  // acted on after the answer
    EXPECT_EQ(texts, std::vector<std::string>{"-addf\r/tmp/c"});
}

TEST_F(LocalInstanceTest, ReleaseRemovesTheEndpointAndHandsTheMarkerOn) {
    LocalInstance first(dir());
    ASSERT_TRUE(first.becomeRunningCopy());
    EXPECT_TRUE(first.becomeRunningCopy());  // asking again changes nothing
    const std::string endpoint = first.endpoint();
    ASSERT_FALSE(endpoint.empty());
    EXPECT_EQ(endpointInFile(), endpoint);
    struct stat st {};
    ASSERT_EQ(::stat(endpoint.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u);  // the user's own, even apart from its directory

    LocalInstance second(dir());
    EXPECT_FALSE(second.becomeRunningCopy());
    EXPECT_TRUE(second.endpoint().empty());

    first.release();
    EXPECT_FALSE(fs::exists(endpointFile()));
    EXPECT_FALSE(fs::exists(endpoint));
    EXPECT_FALSE(second.forward("-dua\r/tmp/x.dua"));
    first.release();  // a second time does nothing

    EXPECT_TRUE(second.becomeRunningCopy());
    EXPECT_EQ(endpointInFile(), second.endpoint());
    // A started second copy now finds the new running copy.
    std::vector<std::string> texts;
    second.setForwardedHandler([&](const std::string& text) { texts.push_back(text); });
    auto third = startForwarder("-dua", "/tmp/y.dua");
    EXPECT_EQ(exitCodeOf(*third), 0) << third->readAllStandardError().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !texts.empty(); }));  // acted on after the answer
    EXPECT_EQ(texts, std::vector<std::string>{"-dua\r/tmp/y.dua"});
}

TEST_F(LocalInstanceTest, ADirectoryOthersMayEnterIsNotUsed) {
    ASSERT_EQ(::chmod(dir().c_str(), 0755), 0);
    LocalInstance first(dir());
    EXPECT_TRUE(first.becomeRunningCopy());  // runs, on its own
    EXPECT_TRUE(first.endpoint().empty());
    LocalInstance second(dir());
    EXPECT_TRUE(second.becomeRunningCopy());
    EXPECT_FALSE(second.forward("-dua\r/tmp/x.dua"));
    EXPECT_TRUE(fs::is_empty(scratch_.path()));

    // Nor does an endpoint file planted there steer a second copy anywhere.
    QLocalServer planted;
    ASSERT_TRUE(planted.listen(QString::fromStdString(scratch_ / "planted.sock")));
    writeFile(endpointFile(), "[Tarnu]\nExt=" + (scratch_ / "planted.sock") + "\n");
    LocalInstance third(dir(), 300);
    EXPECT_FALSE(third.forward("-dua\r/tmp/x.dua"));
    EXPECT_FALSE(planted.waitForNewConnection(0));
}

// Sets an environment variable for one scope, or clears it when value is null.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = ::getenv(name)) {
            old_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST_F(LocalInstanceTest, AnUnsafeRuntimeDirectoryGivesWayToAPrivateOneOfOurOwn) {
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", dir().c_str());
        EXPECT_EQ(LocalInstance().directory(), dir());
    }
    testing::ScratchDir tmp;
    ScopedEnv temp("TMPDIR", tmp.str().c_str());
    const fs::path own = tmp.path() / ("tarnu-" + std::to_string(::geteuid()));
    const fs::path open = tmp.path() / "open";
    fs::create_directory(open);
    ASSERT_EQ(::chmod(open.c_str(), 0755), 0);
    const fs::path link = tmp.path() / "link";
    fs::create_directory_symlink(dir(), link);  // a private directory, but through a link
    const fs::path missing = tmp.path() / "missing";

    for (const char* runtime : {static_cast<const char*>(nullptr), "", "relative", open.c_str(),
                                link.c_str(), missing.c_str()}) {
        ScopedEnv env("XDG_RUNTIME_DIR", runtime);
        const std::string what = runtime ? runtime : "(unset)";
        fs::remove(own);
        LocalInstance first;
        EXPECT_EQ(first.directory(), own.string()) << what;
        struct stat st {};
        ASSERT_EQ(::lstat(own.c_str(), &st), 0) << what;
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_uid, ::geteuid());
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        // Copies started alike meet there: the second one is not another running copy.
        ASSERT_TRUE(first.becomeRunningCopy()) << what;
        EXPECT_FALSE(first.endpoint().empty());
        LocalInstance second;
        EXPECT_FALSE(second.becomeRunningCopy()) << what;
        first.release();
        fs::remove_all(own);
    }

    // Somebody planted the fallback: a link, or a directory others may enter. Not used.
    ScopedEnv env("XDG_RUNTIME_DIR", open.c_str());
    fs::create_directory_symlink(dir(), own);
    EXPECT_EQ(LocalInstance().directory(), "");
    fs::remove(own);
    fs::create_directory(own);
    ASSERT_EQ(::chmod(own.c_str(), 0733), 0);
    EXPECT_EQ(LocalInstance().directory(), "");
    EXPECT_TRUE(fs::is_empty(dir()));
}

}  // namespace
}  // namespace tarnu
