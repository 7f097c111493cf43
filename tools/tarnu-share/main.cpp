// tarnu-share: a sharing peer without a window. Serves a ZuBook's shared tree or folders,
// lists a server's folders and downloads its files.

#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/zlb_archive.h"
#include "common/error.h"
#include "document/message_source.h"
#include "document/shared_files.h"
#include "model/collation.h"
#include "model/icon_cache.h"
#include "platform/linux/signal_watcher.h"
#include "remote.h"
#include "sharing/server.h"
#include "sharing/server_list.h"
#include "sharing/shared_listing.h"

namespace {

using namespace tarnu;

constexpr const char* kUsage =
    "usage: tarnu-share serve [--port N] [--file-port M] [--bind ADDRESS] ZUBOOK\n"
    "       tarnu-share serve [--port N] [--file-port M] [--bind ADDRESS] FOLDER...\n"
    "       tarnu-share ls [--port N] [--file-port M] HOST [PATH]\n"
    "       tarnu-share get [--port N] [--file-port M] HOST PATH [DIR]\n"
    "PATH names an item by positions: \\0\\1 (quoted) or /0/1; get on a folder fetches all of it.\n"
    "Ports 0 pick free ports; the log names the ones in use. HOST may name its ports as a\n"
    "server list entry does: 192.0.2.7:PORT (file port PORT+1) or 192.0.2.7:PORT:FILE-PORT.\n";

// The server's log lines, in the order of the log table.
class LogTexts final : public MessageSource {
public:
    std::string message(std::string_view, int n) override {
        static const char* const texts[] = {"Sharing started",    "Sharing stopped",
                                            "Client connected: ", "Client disconnected",
                                            "Root listing sent",  "Folder listing sent: ",
                                            "File sent: ",        "Client acknowledged a reply"};
        return n >= 0 && n < 8 ? texts[n] : "";
    }
};

class NoIcons final : public Icons {
public:
    int folderIcon() override { return 0; }
    int plainFileIcon() override { return 0; }
    int fileIcon(const std::string&) override { return 0; }
};

struct Options {
    std::uint16_t controlPort = kControlPort;
    std::uint16_t filePort = kFilePort;
    QHostAddress bind = QHostAddress::Any;
    std::vector<std::string> operands;
};

std::optional<Options> parseOptions(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--port" || arg == "--file-port" || arg == "--bind";
        if (!takesValue) {
            options.operands.push_back(arg);
            continue;
        }
        if (++i == args.size()) {
            return std::nullopt;
        }
        if (arg == "--bind") {
            options.bind = QHostAddress(QString::fromStdString(args[i]));
            continue;
        }
        bool ok = false;
        const uint port = QString::fromStdString(args[i]).toUInt(&ok);
        if (!ok || port > 65535) {
            return std::nullopt;
        }
        (arg == "--port" ? options.controlPort : options.filePort) =
            static_cast<std::uint16_t>(port);
    }
    return options;
}

// The shared tree of a ZuBook, or of folders shared as virtual folders beneath the root.
void fillSharedTree(SharedTree& shared, const std::vector<std::string>& operands) {
    namespace fs = std::filesystem;
    if (operands.size() == 1 && fs::is_regular_file(operands[0])) {
        NoIcons iconPort;
        IconCache icons(iconPort);
        TZLBArchive archive;
        shared.load(archive, operands[0], icons);
        return;
    }
    for (const std::string& folder : operands) {
        if (!fs::is_directory(folder)) {
            throw Error(folder + " is neither a ZuBook nor a folder");
        }
        shareDiskFolder(shared, shared.root(), folder);
    }
}

int serve(const Options& options) {
    if (options.operands.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    AsciiCollation collation;
    SharedTree shared(collation);
    fillSharedTree(shared, options.operands);
    LogTexts texts;
    SharingLog log;
    log.onLine = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    Server server(shared, texts, log);
    server.onError = [&log](const std::string& message) { log.add(message); };
    if (!server.start(options.bind, options.controlPort, options.filePort)) {
        std::fprintf(stderr, "tarnu-share: cannot listen on ports %u and %u\n", options.controlPort,
                     options.filePort);
        return 1;
    }
    log.add("Listening on control port " + std::to_string(server.controlPort()) + ", file port " +
            std::to_string(server.filePort()));
    SignalWatcher watcher([](int) { QCoreApplication::quit(); });
    const int code = QCoreApplication::exec();
    server.stop();
    return code;
}

// An address with ports as the server list writes them, or any address on the options' ports.
share::Remote remoteFor(const std::string& host, const Options& options) {
    if (const auto server = parseServerAddress(host, options.controlPort, options.filePort)) {
        return {QHostAddress(server->address), server->controlPort, server->filePort};
    }
    return {QHostAddress(QString::fromStdString(host)), options.controlPort, options.filePort};
}

int runClient(const std::string& command, const Options& options) {
    const auto& operands = options.operands;
    const std::size_t most = command == "ls" ? 2 : 3;
    const std::size_t least = command == "ls" ? 1 : 2;
    if (operands.size() < least || operands.size() > most) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const share::Remote remote = remoteFor(operands[0], options);
    if (remote.address.isNull()) {
        std::fprintf(stderr, "tarnu-share: %s is not a valid IP address\n", operands[0].c_str());
        return 2;
    }
    const auto path = share::itemPathArgument(operands.size() > 1 ? operands[1] : "");
    if (!path) {
        return 2;
    }
    if (command == "ls") {
        return share::listFolder(remote, *path);
    }
    return share::getFile(remote, *path, operands.size() > 2 ? operands[2] : ".");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = args.front();
    const auto options = parseOptions({args.begin() + 1, args.end()});
    if (!options || (command != "serve" && command != "ls" && command != "get")) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        return command == "serve" ? serve(*options) : runClient(command, *options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnu-share: %s\n", e.what());
        return 1;
    }
}
