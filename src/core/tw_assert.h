// Tintwell core: checks of documented preconditions, for programmer errors
// only (never for what a host or a file may hand us: that is handled).
// Debug builds stop at the first broken precondition; release builds (the
// DLL the host loads) compile the check out entirely, so it costs nothing
// and never prints. A check says what it expected, in the condition itself:
//   TW_ASSERT(count <= kMax && "at most eight texts");
#pragma once

#if defined(NDEBUG)
#define TW_ASSERT(condition) ((void)0)
#else
#define TW_ASSERT(condition) ((condition) ? (void)0 : __builtin_trap())
#endif
