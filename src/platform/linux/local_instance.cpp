#include "platform/linux/local_instance.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QObject>
#include <QSettings>
#include <QTimer>

#include <cstdlib>
#include <deque>
#include <unordered_set>
#include <utility>

#include "common/bytes.h"

namespace tarnu {

namespace {

constexpr char kLockFileName[] = "TarnuMutex.lock";
constexpr char kEndpointFileName[] = "ZuH.ini";
constexpr char kEndpointKey[] = "Tarnu/Ext";
constexpr int kHeaderSize = 4;
constexpr char kTaken = 0;
constexpr char kRefused = 1;

// Other users must neither read nor plant anything here, nor point us elsewhere by a link.
bool isPrivateDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && path.front() == '/' && ::lstat(path.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0 &&
           (st.st_mode & 0700) == 0700;
}

// The running copy's socket path, empty when the file is missing, unreadable or says -1.
QString readEndpoint(const QString& file) {
    if (!QFileInfo(file).isFile()) {
        return {};
    }
    const QString ext = QSettings(file, QSettings::IniFormat).value(kEndpointKey).toString();
    // Relative names would resolve in the shared temporary directory.
    return QDir::isAbsolutePath(ext) ? ext : QString();
}

bool writeEndpoint(const QString& file, const QString& endpoint) {
    QFile::remove(file);
    QSettings ini(file, QSettings::IniFormat);
    ini.setValue(kEndpointKey, endpoint);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

}  // namespace

std::string privateRuntimeDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && isPrivateDirectory(runtime)) {
        return runtime;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    dir += "/tarnu-" + std::to_string(::geteuid());
    // Created here or found: either way only what lstat then shows counts.
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    return isPrivateDirectory(dir) ? dir : std::string();
}

struct LocalInstance::Impl {
    Impl(std::string dir, int waitMs, Limits limits)
        : directory(std::move(dir)), waitMs(waitMs), limits(limits) {}

    QString path(const char* name) const {
        return QDir(QString::fromStdString(directory)).filePath(QString::fromLatin1(name));
    }

    void acceptAll() {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            if (static_cast<int>(open.size()) >= limits.connections) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            // Counted until it is closed, not until it is deleted: deletion waits for the
            // event loop.
            open.insert(socket);
            QObject::connect(socket, &QObject::destroyed, &context,
                             [this, socket] { open.erase(socket); });
            QObject::connect(socket, &QLocalSocket::disconnected, &context,
                             [this, socket] { open.erase(socket); });
            // Whatever follows a complete message stays in the kernel, not in our memory.
            socket->setReadBufferSize(kHeaderSize + kMaxMessage);
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, &context,
                             [this, socket] { readFrom(socket); });
            // Every connection is gone by then: a sender that stalls half-way, or a peer
            // that never takes its answer, is dropped.
            auto* stall = new QTimer(socket);
            stall->setSingleShot(true);
            QObject::connect(stall, &QTimer::timeout, &context, [this, socket] { drop(socket); });
            stall->start(limits.stallMs);
            readFrom(socket);
        }
    }

    // Takes one message once all of it is there and answers at once; the text is acted on
    // later, from the event loop. A sender that breaks the form is dropped.
    void readFrom(QLocalSocket* socket) {
        if (socket->bytesAvailable() < kHeaderSize) {
            return;
        }
        unsigned char header[kHeaderSize];
        socket->peek(reinterpret_cast<char*>(header), kHeaderSize);
        const std::uint32_t size = getU32(header);
        if (size == 0 || size > static_cast<std::uint32_t>(kMaxMessage)) {
            drop(socket);
            return;
        }
        if (socket->bytesAvailable() < kHeaderSize + static_cast<qint64>(size)) {
            return;
        }
        socket->skip(kHeaderSize);
        QByteArray payload = socket->read(size);
        if (payload.size() != static_cast<qsizetype>(size) || payload.back() != '\0') {
            drop(socket);
            return;
        }
        QObject::disconnect(socket, &QLocalSocket::readyRead, &context, nullptr);
        const bool take = static_cast<int>(received.size()) < limits.queuedTexts &&
                          receivedBytes + payload.size() <= limits.queuedBytes;
        if (take) {
            received.emplace_back(payload.constData(), payload.size() - 1);
            receivedBytes += payload.size();
            scheduleDelivery();
        }
        socket->write(take ? &kTaken : &kRefused, 1);
        socket->disconnectFromServer();  // once the answer is out; then deleted
    }

    void drop(QLocalSocket* socket) {
        open.erase(socket);
        QObject::disconnect(socket, nullptr, &context, nullptr);
        socket->abort();
        socket->deleteLater();
    }

    void scheduleDelivery() {
        if (deliveryPending || received.empty() || !handler) {
            return;
        }
        deliveryPending = true;
        QMetaObject::invokeMethod(
            &context,
            [this] {
                deliveryPending = false;
                deliver();
            },
            Qt::QueuedConnection);
    }

    // One text at a time: a handler that lets events run (a dialog, a long load) does not
    // see the next text until it has returned.
    void deliver() {
        if (handling || received.empty() || !handler) {
            return;
        }
        if (ready && !ready()) {
            if (!retryPending) {
                retryPending = true;
                QTimer::singleShot(kReadyPollMs, &context, [this] {
                    retryPending = false;
                    deliver();
                });
            }
            return;
        }
        handling = true;
        const std::string text = std::move(received.front());
        received.pop_front();
        receivedBytes -= static_cast<std::int64_t>(text.size()) + 1;
        ForwardedHandler call = handler;  // the handler may replace itself
        call(text);
        handling = false;
        scheduleDelivery();
    }

    std::string directory;
    int waitMs;
    Limits limits;
    std::unique_ptr<QLockFile> lock;
    std::unique_ptr<QLocalServer> server;
    ForwardedHandler handler;
    std::function<bool()> ready;
    std::deque<std::string> received;
    std::int64_t receivedBytes = 0;
    std::unordered_set<const QObject*> open;
    bool handling = false;
    bool deliveryPending = false;
    bool retryPending = false;
    // Last, so that it goes first and no connection or queued call outlives the state it uses.
    QObject context;
};

LocalInstance::LocalInstance(std::string runtimeDir, int waitMs, Limits limits) {
    if (runtimeDir.empty()) {
        runtimeDir = privateRuntimeDirectory();
    }
    impl_ = std::make_unique<Impl>(std::move(runtimeDir), waitMs, limits);
}

LocalInstance::~LocalInstance() {
    release();
}

const std::string& LocalInstance::directory() const {
    return impl_->directory;
}

std::string LocalInstance::endpoint() const {
    return impl_->server ? impl_->server->fullServerName().toStdString() : std::string();
}

bool LocalInstance::becomeRunningCopy() {
    Impl& d = *impl_;
    if (d.lock) {
        return true;
    }
    if (!isPrivateDirectory(d.directory)) {
        return true;  // nowhere safe to meet other copies: run on our own
    }
    auto lock = std::make_unique<QLockFile>(d.path(kLockFileName));
    // A running copy holds the lock for hours; only a dead holder makes it stale.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        return lock->error() != QLockFile::LockFailedError;
    }
    d.lock = std::move(lock);

    const QString endpointFile = d.path(kEndpointFileName);
    const QString previous = readEndpoint(endpointFile);
    QFile::remove(endpointFile);
    if (!previous.isEmpty() &&
        QFileInfo(previous).absolutePath() == QFileInfo(endpointFile).absolutePath()) {
        QLocalServer::removeServer(previous);  // left by a copy that died
    }

    const QString name =
        d.path("tarnu-") + QString::number(QCoreApplication::applicationPid()) + ".sock";
    QLocalServer::removeServer(name);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        return true;  // running, but out of reach of second copies
    }
    if (!writeEndpoint(endpointFile, server->fullServerName())) {
        server->close();
        QFile::remove(endpointFile);
        return true;
    }
    QObject::connect(server.get(), &QLocalServer::newConnection, &d.context,
                     [&d] { d.acceptAll(); });
    d.server = std::move(server);
    return true;
}

bool LocalInstance::forward(const std::string& text) {
    Impl& d = *impl_;
    if (text.size() + 1 > static_cast<std::size_t>(kMaxMessage) ||
        !isPrivateDirectory(d.directory)) {
        return false;
    }
    const QString endpoint = readEndpoint(d.path(kEndpointFileName));
    if (endpoint.isEmpty()) {
        return false;
    }
    QDeadlineTimer deadline(d.waitMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(d.waitMs));
    QLocalSocket socket;
    socket.connectToServer(endpoint);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    QByteArray frame(kHeaderSize, '\0');
    putU32(reinterpret_cast<unsigned char*>(frame.data()),
           static_cast<std::uint32_t>(text.size() + 1));
    frame.append(text.data(), static_cast<qsizetype>(text.size()));
    frame.append('\0');
    socket.write(frame);

    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;  // closed unanswered, or no answer in time
        }
    }
    char answer = kRefused;
    return socket.read(&answer, 1) == 1 && answer == kTaken;
}

void LocalInstance::setForwardedHandler(ForwardedHandler handler) {
    Impl& d = *impl_;
    d.handler = std::move(handler);
    d.scheduleDelivery();  // from the event loop, not from inside this call
}

void LocalInstance::setReadyCheck(std::function<bool()> ready) {
    impl_->ready = std::move(ready);
}

void LocalInstance::release() {
    Impl& d = *impl_;
    if (d.server) {
        const QString endpointFile = d.path(kEndpointFileName);
        if (readEndpoint(endpointFile) == d.server->fullServerName()) {
            QFile::remove(endpointFile);
        }
        d.server->close();
        d.received.clear();
        d.receivedBytes = 0;
        // No reading of a connection is on the stack here: texts are handled from the event
        // loop, so the server and its sockets can go at once.
        QObject::disconnect(d.server.get(), nullptr, &d.context, nullptr);
        d.server.reset();
    }
    if (d.lock) {
        d.lock->unlock();
        d.lock.reset();
    }
}

}  // namespace tarnu
