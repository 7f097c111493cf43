#include "document/data_pack.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "common/atomic_file.h"
#include "common/error.h"
#include "common/path.h"
#include "common/stream.h"
#include "common/text_lines.h"

namespace tarnu {

namespace {

constexpr std::string_view kWindowCaptions = "FormsCaptions.fc";
constexpr std::string_view kDataDirName = "Data";
constexpr std::string_view kDataPackName = "ZuData.dta";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

constexpr AuxWindow kAuxWindows[] = {
    AuxWindow::HotKey, AuxWindow::Options,   AuxWindow::AddOptions,      AuxWindow::About,
    AuxWindow::Search, AuxWindow::PlugIns,   AuxWindow::ExpandSelection, AuxWindow::ServerSearch,
    AuxWindow::Server, AuxWindow::AddAction,
};

// The size of a regular file, or -1 when there is none at the path.
std::int64_t regularFileSize(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return -1;
    }
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

// Copies beside the target and moves the copy into place, flushed, so that neither a failure
// half-way nor a crash or a power loss leaves a half-written data pack.
void copyFileSafely(const std::string& from, const std::string& to, std::error_code& ec) {
    try {
        FileStream in(from, FileStream::Mode::Read);
        AtomicFile out(to);
        std::vector<char> buffer(1 << 20);
        while (const std::size_t n = in.read(buffer.data(), buffer.size())) {
            out.stream().write(buffer.data(), n);
        }
        out.commit();
    } catch (const SystemError& e) {
        ec = std::error_code(e.code(), std::generic_category());
    } catch (const Error&) {
        ec = std::make_error_code(std::errc::io_error);
    }
}

DataPackMissing missingPack(const std::string& file) {
    return DataPackMissing("The data file " + file +
                           " is missing or damaged. Tarnu cannot run without it; please "
                           "install the program again.");
}

}  // namespace

DataPack::DataPack(std::string programFilesDir, std::string userDataDir, TZLBArchive& archive)
    : programFilesDir_(std::move(programFilesDir)),
      userDataDir_(std::move(userDataDir)),
      archive_(archive) {
    archive_.CompressionLevel = TCompressionLevel::fcMaximum;
    archive_.VerifyFileCRC = true;
}

std::string DataPack::dataDir() const {
    return path::join(userDataDir_, kDataDirName);
}

std::string DataPack::dataPackPath() const {
    return path::join(dataDir(), kDataPackName);
}

std::string DataPack::imagePackPath() const {
    return path::join(path::join(programFilesDir_, kDataDirName), "ZuIm.qii");
}

std::string DataPack::templatePath() const {
    return path::join(path::join(programFilesDir_, kDataDirName), kDataPackName);
}

void DataPack::makeUserCopy() {
    if (!hasTemplate()) {
        return;
    }
    if (userDataDir_.empty()) {
        throw DataPackMissing(
            "Tarnu cannot tell where to keep your data: neither HOME nor XDG_DATA_HOME is set.");
    }
    if (regularFileSize(dataPackPath()) >= 0) {
        return;
    }
    if (regularFileSize(templatePath()) < kMinimumSize) {
        throw missingPack(templatePath());
    }
    std::error_code ec;
    std::filesystem::create_directories(dataDir(), ec);
    if (!ec) {
        copyFileSafely(templatePath(), dataPackPath(), ec);
    }
    if (ec) {
        throw DataPackMissing("Tarnu cannot write its data directory " + dataDir() + " (" +
                              ec.message() + "). Make it writable for you and start Tarnu again.");
    }
}

bool DataPack::dataDirWritable() const {
    return ::access(dataDir().c_str(), W_OK) == 0;
}

void DataPack::restoreFromTemplate() {
    const std::string damaged = dataPackPath() + ".damaged";
    std::error_code ec;
    std::filesystem::rename(dataPackPath(), damaged, ec);
    if (!ec) {
        copyFileSafely(templatePath(), dataPackPath(), ec);
    }
    if (ec) {
        throw DataPackMissing("Tarnu cannot restore its data file " + dataPackPath() + " (" +
                              ec.message() + ").");
    }
}

DataPackMissing DataPack::missing() const {
    return missingPack(dataPackPath());
}

DataPack::Session DataPack::open() {
    const std::string file = dataPackPath();
    if (regularFileSize(file) < kMinimumSize) {
        archive_.close();
        throw missing();
    }
    // A damaged pack leaves the program as helpless as a missing one.
    try {
        archive_.open(file);
    } catch (const Error&) {
        archive_.close();
        throw missing();
    }
    return Session(archive_);
}

std::optional<std::string> DataPack::readEntry(std::string_view name) {
    Session session = open();
    try {
        return extractIfPresent(session.archive(), name);
    } catch (const Error&) {
        throw missing();
    }
}

void DataPack::writeEntry(std::string_view name, std::string_view bytes) {
    Session session = open();
    MemoryStream source{std::string(bytes)};
    if (session.archive().indexOf(name) < 0) {
        session.archive().addStream(name, source);
    } else {
        session.archive().replaceFromStream(name, source);
    }
}

void DataPack::deleteEntry(std::string_view name) {
    Session session = open();
    if (session.archive().indexOf(name) >= 0) {
        session.archive().deleteEntry(name);
    }
}

bool DataPack::extractEntry(std::string_view name, const std::string& directory) {
    Session session = open();
    if (session.archive().indexOf(name) < 0) {
        return false;
    }
    session.archive().extractToDirectory(name, directory);
    return true;
}

std::optional<std::vector<std::string>> DataPack::readLines(std::string_view name) {
    std::optional<std::string> text = readEntry(name);
    if (!text) {
        return std::nullopt;
    }
    // A text saved by an editor that marks UTF-8 would otherwise spoil its first line.
    std::string_view body = *text;
    if (body.starts_with(kUtf8Mark)) {
        body.remove_prefix(kUtf8Mark.size());
    }
    return splitLines(body);
}

std::string DataPack::message(std::string_view table, int n) {
    const auto lines = readLines(table);
    if (!lines) {
        return {};
    }
    // A table cut short must not take the program down: the caller keeps its own text.
    if (n < 0 || static_cast<std::size_t>(n) >= lines->size()) {
        return {};
    }
    return (*lines)[static_cast<std::size_t>(n)];
}

void DataPack::applyCaptionList(CaptionTarget& window, std::string_view list) {
    const auto lines = readLines(list);
    if (!lines) {
        return;
    }
    // Lines come in pairs of component name and text; an odd last line has no text.
    for (std::size_t k = 0; k + 1 < lines->size(); k += 2) {
        window.setCaption((*lines)[k], (*lines)[k + 1]);
    }
}

void DataPack::applyWindowCaptions(WindowCaptionTarget& windows) {
    const auto lines = readLines(kWindowCaptions);
    if (!lines) {
        return;
    }
    for (AuxWindow window : kAuxWindows) {
        const auto at = static_cast<std::size_t>(window);
        if (at < lines->size() && !(*lines)[at].empty()) {
            windows.setWindowCaption(window, (*lines)[at]);
        }
    }
}

std::optional<Picture> DataPack::loadPicture(std::string_view entry) {
    const std::string file = imagePackPath();
    if (regularFileSize(file) < 0) {
        return std::nullopt;
    }
    std::optional<std::string> bytes;
    // Pictures are decoration: a damaged image pack only costs them.
    try {
        Session session(archive_);
        archive_.open(file);
        bytes = extractIfPresent(archive_, entry);
    } catch (const Error&) {
        return std::nullopt;
    }
    if (!bytes) {
        return std::nullopt;
    }
    return decodeJpeg(*bytes);
}

}  // namespace tarnu
