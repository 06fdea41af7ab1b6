// Tintwell store: the keyboard shortcuts registered with the host.
#pragma once

#include "plugin/abi.h"

void RegisterShortcuts(PluginContext* context);
