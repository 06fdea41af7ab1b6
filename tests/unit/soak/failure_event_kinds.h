// Soak event kinds for a host whose resources fail under the plug-in:
// settings-file writes refused (a full disk, one key), requester handles
// handed out again (the lowest free one), and the plug-in's own allocations
// failing at random. The invariant: a colour-scheme slot the plug-in wrote
// holds exactly what it wrote, or, when a write was refused, the failure was
// reported and the slot still loads.
#pragma once

#include "soak/soak_harness.h"

namespace soak {

void AddFailureEventKinds(Harness& harness, simhost::SimHost& host);
void AddFailureInvariants(Harness& harness);
// Puts the plug-in's allocator back (call after the run).
void EndFailureEventKinds(simhost::SimHost& host);

// For the report: the plug-in's allocations refused so far.
int64_t RefusedAllocations();

}  // namespace soak
