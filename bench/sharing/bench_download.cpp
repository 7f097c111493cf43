// Downloads a 1 GiB file from tarnu-share serve over loopback into a download directory, and
// times it against nc piping the same file over loopback in the same run.
// Usage: bench_download [MiB]

#include <unistd.h>

#include <QProcess>
#include <QTcpServer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "serve_process.h"

using namespace tarnu;
using namespace tarnu::bench;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, std::size_t mebibytes) {
    std::string block(1 << 20, '\0');
    std::ofstream out(path, std::ios::binary);
    for (std::size_t m = 0; m < mebibytes; ++m) {
        for (std::size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>((i * 7 + m * 131 + i / 251) & 0xFF);
        }
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

std::uint16_t freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Whether something listens on 127.0.0.1:port, from the kernel's table, without connecting
// (nc -l takes one connection only).
bool listening(std::uint16_t port) {
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    std::ifstream table("/proc/net/tcp");
    std::string sl, local, remote, state;
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        if (fields >> sl >> local >> remote >> state && local == wanted && state == "0A") {
            return true;
        }
    }
    return false;
}

// Seconds from the sender's start until the listener has written the last byte.
double timeNc(const fs::path& file, const fs::path& out) {
    const std::uint16_t port = freePort();
    QProcess receiver;
    receiver.setStandardOutputFile(QString::fromStdString(out.string()));
    receiver.start("nc", {"-l", "127.0.0.1", QString::number(port)});
    while (!listening(port)) {
        usleep(1000);
    }
    QProcess sender;
    sender.setStandardInputFile(QString::fromStdString(file.string()));
    const auto start = Clock::now();
    sender.start("nc", {"-N", "127.0.0.1", QString::number(port)});
    receiver.waitForFinished(-1);
    const double seconds = millisecondsSince(start) / 1000.0;
    sender.waitForFinished(-1);
    return seconds;
}

bool sameBytes(const fs::path& a, const fs::path& b) {
    return std::system(("cmp -s '" + a.string() + "' '" + b.string() + "'").c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::size_t mebibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1024;
    const fs::path work =
        fs::temp_directory_path() / ("tarnu-bench-download-" + std::to_string(::getpid()));
    fs::create_directories(work / "share");
    const fs::path file = work / "share/big.bin";
    writeFile(file, mebibytes);

    const double nc = timeNc(file, work / "nc.out");
    const bool ncSame = sameBytes(file, work / "nc.out");
    fs::remove(work / "nc.out");

    double tarnu = -1.0;
    bool tarnuSame = false;
    {
        ServeProcess serve({QString::fromStdString((work / "share").string())},
                           QString::fromStdString((work / "serve.log").string()));
        Client client;
        serve.connect(client);
        bool finished = false;
        client.files().onFinished = [&](const std::string&) { finished = true; };
        const auto start = Clock::now();
        client.download("\\0\\0", (work / "down").string(), "big.bin");
        if (runUntil([&] { return finished; }, 600000)) {
            tarnu = millisecondsSince(start) / 1000.0;
        }
        tarnuSame = sameBytes(file, work / "down/big.bin");
    }
    const double mib = static_cast<double>(mebibytes);
    std::printf("file                                %zu MiB\n", mebibytes);
    std::printf("nc over loopback                    %.3f s  %.0f MiB/s%s\n", nc, mib / nc,
                ncSame ? "" : "  (bytes differ!)");
    std::printf("tarnu download over loopback        %.3f s  %.0f MiB/s%s\n", tarnu, mib / tarnu,
                tarnuSame ? "" : "  (bytes differ!)");
    std::printf("tarnu speed / nc speed              %.2fx\n", nc / tarnu);
    fs::remove_all(work);
    return tarnu > 0 && tarnuSame ? 0 : 1;
}
