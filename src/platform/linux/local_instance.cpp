#include "platform/linux/local_instance.h"

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
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>

#include <deque>
#include <utility>

#include "common/bytes.h"

namespace tarnu {

namespace {

constexpr char kLockFileName[] = "TarnuMutex.lock";
constexpr char kEndpointFileName[] = "ZuH.ini";
constexpr char kEndpointKey[] = "Tarnu/Ext";
constexpr int kHeaderSize = 4;
constexpr int kConnectTimeoutMs = 3000;
constexpr char kHandled = 0;

// Other users must neither read nor plant anything here.
bool isPrivateDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
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

struct LocalInstance::Impl {
    struct Received {
        QPointer<QLocalSocket> sender;
        std::string text;
    };

    Impl(std::string dir, int timeoutMs) : directory(std::move(dir)), handledTimeoutMs(timeoutMs) {}

    QString path(const char* name) const {
        return QDir(QString::fromStdString(directory)).filePath(QString::fromLatin1(name));
    }

    void acceptAll() {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            // Whatever follows a complete message stays in the kernel, not in our memory.
            socket->setReadBufferSize(kHeaderSize + kMaxMessage);
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, &context,
                             [this, socket] { readFrom(socket); });
            readFrom(socket);
        }
    }

    // Takes one message once all of it is there; a sender that breaks the form is dropped.
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
        received.push_back({socket, std::string(payload.constData(), payload.size() - 1)});
        deliver();
    }

    void drop(QLocalSocket* socket) {
        QObject::disconnect(socket, nullptr, &context, nullptr);
        socket->abort();
        socket->deleteLater();
    }

    // One text at a time: a handler that lets events run (a dialog, a long load) does not
    // see the next text until it has returned.
    void deliver() {
        if (handling || !handler) {
            return;
        }
        handling = true;
        while (!received.empty() && handler) {
            Received next = std::move(received.front());
            received.pop_front();
            ForwardedHandler call = handler;  // the handler may replace itself
            call(next.text);
            if (next.sender) {
                next.sender->write(&kHandled, 1);
                next.sender->disconnectFromServer();
            }
        }
        handling = false;
    }

    std::string directory;
    int handledTimeoutMs;
    std::unique_ptr<QLockFile> lock;
    std::unique_ptr<QLocalServer> server;
    ForwardedHandler handler;
    std::deque<Received> received;
    bool handling = false;
    // Last, so that it goes first and no connection outlives the state it uses.
    QObject context;
};

LocalInstance::LocalInstance(std::string runtimeDir, int handledTimeoutMs) {
    if (runtimeDir.empty()) {
        // XDG_RUNTIME_DIR, else a 0700 directory of this user that Qt creates under /tmp.
        runtimeDir =
            QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString();
    }
    impl_ = std::make_unique<Impl>(std::move(runtimeDir), handledTimeoutMs);
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
    QLocalSocket socket;
    socket.connectToServer(endpoint);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    QByteArray frame(kHeaderSize, '\0');
    putU32(reinterpret_cast<unsigned char*>(frame.data()),
           static_cast<std::uint32_t>(text.size() + 1));
    frame.append(text.data(), static_cast<qsizetype>(text.size()));
    frame.append('\0');
    socket.write(frame);

    QDeadlineTimer deadline(d.handledTimeoutMs < 0 ? QDeadlineTimer::Forever
                                                   : QDeadlineTimer(d.handledTimeoutMs));
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
    char answer = 1;
    return socket.read(&answer, 1) == 1 && answer == kHandled;
}

void LocalInstance::setForwardedHandler(ForwardedHandler handler) {
    Impl& d = *impl_;
    d.handler = std::move(handler);
    if (d.handler && !d.received.empty()) {
        // From the event loop, not from inside this call.
        QMetaObject::invokeMethod(
            &d.context, [&d] { d.deliver(); }, Qt::QueuedConnection);
    }
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
        QObject::disconnect(d.server.get(), nullptr, &d.context, nullptr);
        if (d.handling) {
            // Released from inside the handler: its sender's socket is still in use.
            d.server.release()->deleteLater();
        } else {
            d.server.reset();
        }
    }
    if (d.lock) {
        d.lock->unlock();
        d.lock.reset();
    }
}

}  // namespace tarnu
