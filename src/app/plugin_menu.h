#pragma once

// The plug-in actions at the end of the link context menu, built anew each time it opens.

#include <QMenu>
#include <functional>

#include "plugins/plugin_manager.h"

namespace tarnu {

// Removes every item after the first fixedCount, then appends one item per action of the
// first selected link's extension; choosing one runs its plug-in for the focused link.
void fillPlugInActions(QMenu& menu, qsizetype fixedCount, PlugInManager& plugIns,
                       const std::function<const Node*()>& focused);

}  // namespace tarnu
