#pragma once

#include <cstdint>

#include "model/tree.h"

namespace tarnu {

// What loading a ZuBook asks of the lock and hot-key machinery, which lives a layer above.
class LinkRecordServices {
public:
    virtual ~LinkRecordServices() = default;
    // Locks the file of a link saved as locked; the handle is stored only on success.
    virtual void relock(Node& node) = 0;
    // Registers a link's hot key system-wide; false when refused.
    virtual bool registerHotKey(std::uint32_t value) = 0;
    // Gives every node its icon without looking at the disk: run while the views wait for
    // the loaded tree, so that they show it right from the start.
    virtual void givePictures() {}
    // Marks broken links and gives every node its icon. Run once the loaded tree is shown:
    // it may let the window run.
    virtual void checkLinks() = 0;
};

}  // namespace tarnu
