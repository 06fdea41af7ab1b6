// Tintwell panel: the about message, shown by the host's "About" entry and by
// the option menu's last item.
#pragma once

#include "core/abi.h"

// Shows the plug-in's name, version and credits with HostMessage (whose
// answer means nothing).
void ShowAboutMessage(PluginContext* context);
