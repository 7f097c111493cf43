#pragma once

// The small FTP client of the FTP list: logs in on the control connection and leaves again.
// Nothing is ever transferred. Event-driven; every wait has a time limit.

#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "sharing/protocol.h"

namespace tarnu {

inline constexpr std::string_view kAnonymousUser = "anonymous";
// The customary anonymous password: an e-mail-shaped text of eight characters.
inline constexpr std::string_view kAnonymousPassword = "ftp@x.io";

struct FtpReplyParse {
    ParseStatus status = ParseStatus::Incomplete;
    int code = 0;  // the number at the start of the first line; 0 when there is none
    std::size_t consumed = 0;
};

// The first reply at the start of buffer: its lines up to and including the first that
// neither begins with a space nor has "-" as its fourth character.
FtpReplyParse parseFtpReply(std::string_view buffer);

class FtpClient {
public:
    explicit FtpClient(std::uint16_t port = 21,
                       std::chrono::milliseconds connectLimit = std::chrono::seconds(1),
                       std::chrono::milliseconds replyLimit = std::chrono::seconds(5));
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    void setCredentials(std::string user, std::string password);
    bool hasCredentials() const { return !user_.empty() && !password_.empty(); }

    // Resolves the host (a dotted address is used as it is), connects, reads the greeting,
    // logs in and quits. onDone follows exactly once per probe.
    void probe(const std::string& host);
    void abort();
    bool busy() const { return state_ != State::Idle; }

    // Before USER when no user name or password is set yet; the handler may set them.
    std::function<void()> onAuthenticationNeeded;
    // The login is complete.
    std::function<void()> onLoggedIn;
    std::function<void(bool loggedIn)> onDone;

private:
    enum class State { Idle, Resolving, Connecting, Greeting, User, Password, Quit };

    void connectTo(const QHostAddress& address);
    void read();
    void reply(int code);
    void send(const std::string& line, State next);
    void fail();
    void finish();
    void timedOut();

    std::uint16_t port_;
    std::chrono::milliseconds connectLimit_, replyLimit_;
    std::string user_, password_;
    QTcpSocket socket_;
    QTimer timer_;
    int lookupId_ = -1;
    std::string buffer_;
    State state_ = State::Idle;
    bool loggedIn_ = false;
};

}  // namespace tarnu
