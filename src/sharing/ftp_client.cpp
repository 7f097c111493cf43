#include "sharing/ftp_client.h"

#include <cctype>

namespace tarnu {

namespace {

constexpr std::size_t kMaxReplyBytes = 64 * 1024;

bool isErrorCode(int code) {
    return code >= 401 && code <= 599;
}

bool endsReply(std::string_view line) {
    return !line.starts_with(' ') && !(line.size() >= 4 && line[3] == '-');
}

// A name may resolve to IPv6 first (localhost to ::1) where the server listens on IPv4
// alone; the list's addresses are IPv4 everywhere else, so IPv4 goes first here too.
QHostAddress preferredAddress(const QList<QHostAddress>& addresses) {
    for (const QHostAddress& address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            return address;
        }
    }
    return addresses.front();
}

}  // namespace

FtpReplyParse parseFtpReply(std::string_view buffer) {
    int code = 0;
    for (std::size_t i = 0;
         i < buffer.size() && i < 9 && std::isdigit(static_cast<unsigned char>(buffer[i])); ++i) {
        code = code * 10 + (buffer[i] - '0');
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = buffer.find('\n', start);
        if (end == std::string_view::npos) {
            const bool tooLong = buffer.size() > kMaxReplyBytes;
            return {tooLong ? ParseStatus::Bad : ParseStatus::Incomplete, 0, 0};
        }
        std::string_view line = buffer.substr(start, end - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (endsReply(line)) {
            return {ParseStatus::Complete, code, end + 1};
        }
        start = end + 1;
    }
}

FtpClient::FtpClient(std::uint16_t port, std::chrono::milliseconds connectLimit,
                     std::chrono::milliseconds replyLimit)
    : port_(port), connectLimit_(connectLimit), replyLimit_(replyLimit) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { timedOut(); });
    QObject::connect(&socket_, &QTcpSocket::connected, &socket_, [this] {
        state_ = State::Greeting;
        timer_.start(replyLimit_);
    });
    QObject::connect(&socket_, &QTcpSocket::readyRead, &socket_, [this] { read(); });
    QObject::connect(&socket_, &QTcpSocket::errorOccurred, &socket_, [this] {
        if (state_ != State::Idle) {
            finish();
        }
    });
}

FtpClient::~FtpClient() {
    socket_.disconnect();
    abort();
}

void FtpClient::setCredentials(std::string user, std::string password) {
    user_ = std::move(user);
    password_ = std::move(password);
}

void FtpClient::probe(const std::string& host) {
    abort();
    loggedIn_ = false;
    buffer_.clear();
    const QHostAddress address(QString::fromStdString(host));
    if (!address.isNull()) {
        connectTo(address);
        return;
    }
    state_ = State::Resolving;
    timer_.start(connectLimit_);
    lookupId_ = QHostInfo::lookupHost(QString::fromStdString(host), &socket_,
                                      [this](const QHostInfo& info) {
                                          lookupId_ = -1;
                                          if (state_ != State::Resolving) {
                                              return;
                                          }
                                          if (info.addresses().isEmpty()) {
                                              finish();
                                          } else {
                                              connectTo(preferredAddress(info.addresses()));
                                          }
                                      });
}

void FtpClient::abort() {
    if (lookupId_ >= 0) {
        QHostInfo::abortHostLookup(lookupId_);
        lookupId_ = -1;
    }
    timer_.stop();
    state_ = State::Idle;
    socket_.abort();
}

void FtpClient::connectTo(const QHostAddress& address) {
    state_ = State::Connecting;
    timer_.start(connectLimit_);
    socket_.connectToHost(address, port_);
}

void FtpClient::read() {
    buffer_ += socket_.readAll().toStdString();
    while (state_ != State::Idle) {
        const FtpReplyParse parsed = parseFtpReply(buffer_);
        if (parsed.status == ParseStatus::Incomplete) {
            return;
        }
        if (parsed.status == ParseStatus::Bad) {
            fail();
            return;
        }
        buffer_.erase(0, parsed.consumed);
        reply(parsed.code);
    }
}

void FtpClient::reply(int code) {
    switch (state_) {
        case State::Greeting:
            if (!hasCredentials() && onAuthenticationNeeded) {
                onAuthenticationNeeded();
            }
            send("USER " + user_, State::User);
            return;
        case State::User:
            if (isErrorCode(code)) {
                fail();
            } else if (code == 331) {
                send("PASS " + password_, State::Password);
            } else {
                loggedIn_ = true;
            }
            break;
        case State::Password:
            if (isErrorCode(code)) {
                fail();
            } else {
                loggedIn_ = true;
            }
            break;
        case State::Quit:
            finish();
            return;
        default:
            return;
    }
    if (loggedIn_ && state_ != State::Quit) {
        if (onLoggedIn) {
            onLoggedIn();
        }
        send("QUIT", State::Quit);
    }
}

void FtpClient::send(const std::string& line, State next) {
    state_ = next;
    timer_.start(replyLimit_);
    const std::string bytes = line + "\r\n";
    socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void FtpClient::fail() {
    loggedIn_ = false;
    send("QUIT", State::Quit);
}

void FtpClient::timedOut() {
    // A server that let a reply wait out its limit will not answer QUIT either: say it and
    // leave, rather than wait the limit a second time.
    if (state_ == State::Greeting || state_ == State::User || state_ == State::Password) {
        loggedIn_ = false;
        socket_.write("QUIT\r\n");
        socket_.flush();
    }
    finish();
}

void FtpClient::finish() {
    const bool loggedIn = loggedIn_;
    abort();
    if (onDone) {
        onDone(loggedIn);
    }
}

}  // namespace tarnu
