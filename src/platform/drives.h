#pragma once

// The volumes a catalog can read: optical discs and removable media that are mounted.

#include <functional>
#include <string>
#include <vector>

namespace tarnu {

struct Volume {
    std::string name;        // the label, else the mount point's last component
    std::string label;       // empty when the volume has none
    std::string mountPoint;  // where it is read
    std::string device;      // such as /dev/sr0
    std::string fsType;
    bool optical = false;
};

class Drives {
public:
    virtual ~Drives() = default;
    virtual std::vector<Volume> volumes() = 0;
    // False when nothing is mounted at the mount point any more (the disc was taken out).
    virtual bool isReady(const std::string& mountPoint) = 0;
    // Called on the GUI thread when volumes are mounted or unmounted.
    virtual void setChangeHandler(std::function<void()> handler) = 0;
};

}  // namespace tarnu
