// Tintwell core: a few worker threads for passes over whole pictures.
//
// Layer: core/. The host calls the plug-in on one thread; a long pass (the
// lighten/darken filter) may share its work with worker threads that are
// started on first use and then wait, parked, until the next pass. The
// caller always takes part itself and returns only when every thread has
// finished, so nothing runs between calls. Workers never call the host.
// They are ended by StopWorkerThreads (PI_Close); while any exist, the
// library keeps itself loaded, so a host that unloads it without closing
// first leaves parked threads behind rather than threads in unmapped code.
#pragma once

#include <cstdint>

// Processors this process may run on (its affinity), at least 1, at most
// kMaxWorkerThreads.
constexpr int32_t kMaxWorkerThreads = 8;
int32_t UsableProcessorCount();

// Runs task(data) on up to `threads` threads at once, the calling thread
// being one of them, and returns when all that ran it have returned. Tasks
// split the work among themselves (for example by claiming bands from a
// shared counter) and return once none is left to claim, so any number of
// them gets it all done: a worker not yet awake when the caller's task
// returns is not waited for and does not run it. Returns how many threads
// took part: fewer than asked when a worker cannot be started or came late,
// 1 when the workers are busy (a nested call) or only one was asked for.
int32_t RunOnWorkerThreads(int32_t threads, void (*task)(void* data), void* data);

// Ends and joins the parked workers and lets the library unload again. The
// next RunOnWorkerThreads starts them anew.
void StopWorkerThreads();

// Workers currently started (for tests).
int32_t StartedWorkerThreads();
