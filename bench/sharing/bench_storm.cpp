// A well-behaved client lists a folder of 200 entries from tarnu-share serve, idle and then
// while 1,000 other clients (this program, started with --storm) connect and drop: abruptly,
// after garbage, after malformed requests, after 64 KiB without a "#", some on the file
// port. Reports the listing round trips during the storm against the idle ones.

#include <unistd.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "serve_process.h"

using namespace tarnu;
using namespace tarnu::bench;
namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 200;
constexpr int kStormClients = 1000;
constexpr int kAtOnce = 100;
constexpr int kIdleRounds = 100;

// What the i-th storm client does once connected.
void misbehave(QTcpSocket& socket, int i) {
    switch (i % 4) {
        case 0:
            break;
        case 1: {
            QByteArray garbage(4096, '\0');
            for (char& c : garbage) {
                c = static_cast<char>(QRandomGenerator::global()->bounded(256));
            }
            socket.write(garbage);
            break;
        }
        case 2:
            socket.write("GD#\\9999#GF##XY#GD#\\0\\0\\0#E#GR");
            socket.flush();
            socket.disconnectFromHost();  // politely, unlike the others
            return;
        default:
            socket.write(QByteArray(64 * 1024, 'A'));
    }
    socket.flush();
    socket.abort();
}

int storm(std::uint16_t controlPort, std::uint16_t filePort) {
    int started = 0;
    int active = 0;
    int finished = 0;
    const auto start = Clock::now();
    std::function<void()> launch = [&] {
        while (active < kAtOnce && started < kStormClients) {
            const int i = started++;
            ++active;
            auto* socket = new QTcpSocket;
            auto done = [&, socket] {
                if (socket->property("done").toBool()) {
                    return;
                }
                socket->setProperty("done", true);
                socket->deleteLater();
                --active;
                if (++finished == kStormClients) {
                    QCoreApplication::quit();
                }
                QTimer::singleShot(0, launch);
            };
            QObject::connect(socket, &QTcpSocket::connected, [socket, i, done] {
                misbehave(*socket, i);
                if (socket->state() == QAbstractSocket::UnconnectedState) {
                    done();
                }
            });
            QObject::connect(socket, &QTcpSocket::disconnected, done);
            QObject::connect(socket, &QTcpSocket::errorOccurred, done);
            socket->connectToHost(QHostAddress::LocalHost, i % 10 == 9 ? filePort : controlPort);
        }
    };
    launch();
    QCoreApplication::exec();
    std::printf("%d clients in %.0f ms\n", finished, millisecondsSince(start));
    return 0;
}

struct Rounds {
    std::vector<double> ms;
    int unanswered = 0;
    void add(double round) {
        if (round < 0) {
            ++unanswered;
        } else {
            ms.push_back(round);
        }
    }
    double max() const { return ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()); }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--storm") {
        return storm(static_cast<std::uint16_t>(std::stoul(argv[2])),
                     static_cast<std::uint16_t>(std::stoul(argv[3])));
    }
    const fs::path work =
        fs::temp_directory_path() / ("tarnu-bench-storm-" + std::to_string(::getpid()));
    fs::create_directories(work / "folder");
    for (int i = 0; i < kEntries; ++i) {
        std::ofstream(work / "folder" / ("entry-" + std::to_string(i) + ".txt")) << i;
    }
    ServeProcess serve({QString::fromStdString((work / "folder").string())},
                       QString::fromStdString((work / "serve.log").string()));
    Client client;
    serve.connect(client);
    Rounds idle;
    for (int r = 0; r < kIdleRounds; ++r) {
        idle.add(listingMilliseconds(client, "\\0"));
    }
    QProcess stormers;
    stormers.start(
        argv[0], {"--storm", QString::number(serve.controlPort), QString::number(serve.filePort)});
    stormers.waitForStarted();
    Rounds during;
    while (stormers.state() != QProcess::NotRunning && client.isConnected()) {
        during.add(listingMilliseconds(client, "\\0"));
    }
    stormers.waitForFinished(60000);
    Rounds after;
    after.add(listingMilliseconds(client, "\\0"));

    std::printf("storm                               %s",
                stormers.readAllStandardOutput().toStdString().c_str());
    std::printf("idle listing (median / max)         %.3f / %.3f ms, %zu rounds\n", median(idle.ms),
                idle.max(), idle.ms.size());
    std::printf("listing during storm (median / max) %.3f / %.3f ms, %zu rounds, %d unanswered\n",
                median(during.ms), during.max(), during.ms.size(), during.unanswered);
    std::printf("listing after storm                 %s\n",
                after.unanswered == 0 ? "answered" : "UNANSWERED");
    std::printf("during storm / idle (median)        %.2fx\n", median(during.ms) / median(idle.ms));
    std::ifstream log(work / "serve.log");
    int accepted = 0;
    for (std::string line; std::getline(log, line);) {
        accepted += line.find("Client connected") != std::string::npos;
    }
    std::printf("control connections the server logged %d\n", accepted);
    fs::remove_all(work);
    return client.isConnected() && after.unanswered == 0 ? 0 : 1;
}
