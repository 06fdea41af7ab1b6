// Soak event kinds for the whole plug-in beyond its panel: every entry point
// with any message kind and argument words, command letters, the LAB dialog,
// the scope window closed by the user, careless and hostile host replies,
// settings files that will not open, and restarts of the plug-in with random
// stored settings, slot files, localisation texts and channel orders.
#pragma once

#include "soak/soak_harness.h"

namespace soak {

// Also makes the host answer carelessly when the careless-replies kind asks.
void AddPluginEventKinds(Harness& harness, simhost::SimHost& host);
// Every handle and image the plug-in holds is one the host has open, and
// everything the host has open is held (support/plugin_holdings.h).
void AddPluginInvariants(Harness& harness);

// How many times the soak restarted the plug-in so far (for the report).
int64_t PluginRestarts();

}  // namespace soak
