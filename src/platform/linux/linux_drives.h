#pragma once

// Volumes from the kernel's mount table: optical file systems (iso9660, udf) and file
// systems on removable block devices, with labels from the udev label links.

#include <QSocketNotifier>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives.h"

namespace tarnu {

struct MountSources {
    std::string sysfsRoot = "/sys";               // class/block/<device>/removable
    std::string labelDir = "/dev/disk/by-label";  // links named by label to the devices
};

// The volumes of a mount table's text (the format of /proc/mounts).
std::vector<Volume> parseVolumes(std::string_view mounts, const MountSources& sources);

// Decodes the octal escapes (\040 for a space) of a mount table field.
std::string unescapeMountField(std::string_view field);

class LinuxDrives final : public Drives {
public:
    explicit LinuxDrives(std::string mountsFile = "/proc/mounts", MountSources sources = {});
    ~LinuxDrives() override;

    std::vector<Volume> volumes() override;
    bool isReady(const std::string& mountPoint) override;
    void setChangeHandler(std::function<void()> handler) override;

private:
    std::string readMounts() const;

    std::string mountsFile_;
    MountSources sources_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> handler_;
};

}  // namespace tarnu
