// Tintwell store: the keyboard shortcuts registered with the host.
//
// Each shortcut's key is a one-letter command; the host hands it back to
// PI_Parameters when the user presses the shortcut. The labels are built in
// (GBK) and never localised.
#pragma once

#include <cstdint>

#include "core/abi.h"

struct ShortcutEntry {
  int32_t LabelText;  // private built-in text number of the label
  const char* Key;    // one-letter PI_Parameters command
};

constexpr int kShortcutCount = 13;

// PI_Open: registers the thirteen shortcuts in their order.
void RegisterShortcuts(PluginContext* context);
