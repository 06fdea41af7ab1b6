// Tintwell store: the order of the writes that replace one colour-scheme slot
// in the slot file.
//
// The file is written key by key, and any write may be refused or land on a
// full disk; the host's answer to a write means nothing, so a write is only
// known to have landed by reading it back. The order is planned so that the
// slot, read after any prefix of the writes, loads the old scheme, the new
// one, or one holding every point of both (a point repeated, never one lost).
// Pure: the plan is made from the stored keys and the new points as texts.
#pragma once

#include <cstdint>

constexpr int32_t kSlotKeyCount = 8;  // a slot holds at most eight points
constexpr int32_t kSlotValueSize = 256;  // as long as a settings value the slot file reads

// One write of the plan: a point key ("csP_<key>") or the slot's "pointCount".
struct SlotWrite {
  int32_t key;                    // 0..7 for a point; kSlotCountKey for "pointCount"
  char value[kSlotValueSize];     // the text written
};
constexpr int32_t kSlotCountKey = -1;

// Longest plan: every point key staged and moved, and the count raised and
// lowered, with room for the spare copies a cycle needs.
constexpr int32_t kMaxSlotWrites = 64;

// How much a plan keeps whatever write fails.
enum class SlotWriteSafety : int32_t {
  kWhole,     // the slot loads as the old scheme, the new one, or every point of both
  kNoneLost,  // old and new cannot fit together in eight keys: the slot may mix them,
              // but never loses a point both hold
  kStraight,  // not even that: the new scheme is written straight over the old
};

struct SlotWritePlan {
  SlotWrite writes[kMaxSlotWrites];
  int32_t count;  // writes in order
  SlotWriteSafety safety;
};

// One point of a slot as the plan sees it: the text to write, and what it
// loads as (colour with its top byte set, position to four decimals; the
// raw text when it does not load), which tells two texts of one point apart
// from two points.
struct SlotPointText {
  char text[kSlotValueSize];
  char loadsAs[kSlotValueSize];
};

// Plans the writes that turn the stored slot (storedCount points, the first
// min(storedCount, 8) of them in `stored`) into the new points (`points`,
// newCount of 1..8, in ascending position). Keys past the stored count may
// hold anything; the count never names one the plan has not written.
void PlanSlotWrites(const SlotPointText* stored, int32_t storedCount, const SlotPointText* points, int32_t newCount,
                    SlotWritePlan* plan);
