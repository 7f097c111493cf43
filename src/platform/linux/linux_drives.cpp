#include "platform/linux/linux_drives.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace tarnu {

namespace {

namespace fs = std::filesystem;

bool isOptical(std::string_view fsType) {
    return fsType == "iso9660" || fsType == "udf";
}

std::string readSmallFile(const fs::path& path) {
    std::ifstream in(path);
    std::string value;
    std::getline(in, value);
    return value;
}

// The kernel name of a device node (/dev/sdb1 -> sdb1), following links such as
// /dev/disk/by-uuid/... where they exist.
std::string kernelName(const std::string& device) {
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    return (ec ? fs::path(device) : real).filename().string();
}

bool isRemovable(const std::string& sysfsRoot, const std::string& name) {
    const fs::path block = fs::path(sysfsRoot) / "class" / "block" / name;
    std::string value = readSmallFile(block / "removable");
    if (value.empty()) {
        value = readSmallFile(block / ".." / "removable");  // a partition: its disk
    }
    return value == "1";
}

// udev names label links with \xHH escapes for bytes such as spaces and slashes.
std::string unescapeLabel(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> labelsByDevice(const std::string& labelDir) {
    std::map<std::string, std::string> labels;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(labelDir, ec)) {
        const fs::path target = fs::read_symlink(entry.path(), ec);
        if (!ec) {
            try {
                labels[target.filename().string()] =
                    unescapeLabel(entry.path().filename().string());
            } catch (const std::exception&) {
                // a malformed escape: the volume goes by its mount point
            }
        }
    }
    return labels;
}

std::string lastComponent(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    return name.empty() ? path : name;
}

}  // namespace

std::string unescapeMountField(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](std::size_t at) { return field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<Volume> parseVolumes(std::string_view mounts, const MountSources& sources) {
    std::vector<Volume> volumes;
    const auto labels = labelsByDevice(sources.labelDir);
    std::istringstream lines{std::string(mounts)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint, fsType;
        if (!(fields >> device >> mountPoint >> fsType) || !device.starts_with("/dev/")) {
            continue;
        }
        Volume volume;
        volume.device = unescapeMountField(device);
        volume.mountPoint = unescapeMountField(mountPoint);
        volume.fsType = fsType;
        volume.optical = isOptical(fsType);
        const std::string name = kernelName(volume.device);
        if (!volume.optical && !isRemovable(sources.sysfsRoot, name)) {
            continue;
        }
        if (const auto at = labels.find(name); at != labels.end()) {
            volume.label = at->second;
        }
        volume.name = volume.label.empty() ? lastComponent(volume.mountPoint) : volume.label;
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

LinuxDrives::LinuxDrives(std::string mountsFile, MountSources sources)
    : mountsFile_(std::move(mountsFile)), sources_(std::move(sources)) {}

LinuxDrives::~LinuxDrives() {
    notifier_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::string LinuxDrives::readMounts() const {
    std::ifstream in(mountsFile_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<Volume> LinuxDrives::volumes() {
    return parseVolumes(readMounts(), sources_);
}

bool LinuxDrives::isReady(const std::string& mountPoint) {
    for (const Volume& v : volumes()) {
        if (v.mountPoint == mountPoint) {
            return true;
        }
    }
    return false;
}

void LinuxDrives::setChangeHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
    if (notifier_) {
        return;
    }
    // The kernel flags the mount table with POLLPRI | POLLERR when it changes; the
    // notifier's exception type waits for exactly that.
    fd_ = ::open(mountsFile_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Exception);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        // Reading the table to its end re-arms the notification.
        char buffer[4096];
        ::lseek(fd_, 0, SEEK_SET);
        while (::read(fd_, buffer, sizeof buffer) > 0) {
        }
        if (handler_) {
            handler_();
        }
    });
}

}  // namespace tarnu
