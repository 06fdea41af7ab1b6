// Tintwell store: the order of the writes that replace one colour-scheme slot.
//
// The plan is worked out on a model of the slot: the texts of its eight point
// keys (each one of the old or new points' texts, or unknown past the stored
// count) and its count. Every write is tried on the model first and kept only
// when the slot would then load as
//   - the old points (as a set: a repeated point loads as one more boundary
//     on top of its twin, which the painter cannot see),
//   - the new points, or
//   - every point of both and nothing else.
// Keys past the count are free to write; the count is raised over them only
// when that keeps the slot so. Two ways are tried in turn:
//   1. the new points moved into place with copies as stepping stones, the
//      new texts coming in only where they complete the new scheme (a point
//      added, deleted, moved or recoloured on its own needs no more room);
//   2. every new text staged past the count and shown at once with the old
//      ones, then the keys rearranged and the count lowered (two or more
//      points changed at once).
// Both need room past the points both schemes take. When eight keys are not
// enough for old, new and a stepping stone together, no order can keep the
// slot whole; the same two ways are then tried again asking only that no
// point both schemes hold ever goes missing, and failing that the new scheme
// is written straight over the old. The slot is judged by the points it
// loads as, so a point stored in another spelling ("0.500000") still counts
// as that point; the keys end holding the new texts exactly.
#include "store/scheme_slot_writes.h"

#include <cstring>

#include "core/tw_assert.h"

namespace {

constexpr int32_t kUnknown = -1;      // a key past the stored count: anything may be there
constexpr int32_t kMaxTexts = 2 * kSlotKeyCount;

struct SlotModel {
  int32_t keys[kSlotKeyCount];  // index into the text table, or kUnknown
  int32_t count;                // keys the slot names, 0..8
};

struct Planner {
  const SlotPointText* texts[kMaxTexts];  // distinct texts, exactly as written
  int32_t pointOf[kMaxTexts];             // the point each text loads as
  int32_t textCount = 0;
  int32_t pointCount = 0;
  bool keepWhole = true;  // false: only the points both hold must stay
  uint32_t oldSet = 0;   // bit per point: in the old scheme
  uint32_t newSet = 0;   // bit per point: in the new scheme
  int32_t target[kSlotKeyCount] = {};  // the new texts, by key
  int32_t targetCount = 0;
  SlotModel slot{};
  SlotWritePlan* plan = nullptr;

  // The text's index, and the bit of the point it loads as in `*point`.
  int32_t Intern(const SlotPointText* text, uint32_t* point) {
    int32_t index = -1;
    for (int32_t i = 0; i < textCount && index < 0; ++i) {
      if (std::strncmp(texts[i]->text, text->text, kSlotValueSize) == 0) index = i;
    }
    if (index < 0) {
      TW_ASSERT(textCount < kMaxTexts && "at most eight old and eight new texts");
      index = textCount++;
      texts[index] = text;
      pointOf[index] = -1;
      for (int32_t i = 0; i < index && pointOf[index] < 0; ++i) {
        if (std::strncmp(texts[i]->loadsAs, text->loadsAs, kSlotValueSize) == 0) pointOf[index] = pointOf[i];
      }
      if (pointOf[index] < 0) pointOf[index] = pointCount++;
    }
    *point |= 1u << pointOf[index];
    return index;
  }

  // What the slot would load as, as a set of points; false when it names a
  // key whose text is unknown.
  bool Shown(const SlotModel& model, uint32_t* shown) const {
    *shown = 0;
    for (int32_t i = 0; i < model.count; ++i) {
      if (model.keys[i] == kUnknown) return false;
      *shown |= 1u << pointOf[model.keys[i]];
    }
    return true;
  }

  bool Whole(const SlotModel& model) const {
    uint32_t shown = 0;
    if (!Shown(model, &shown)) return false;
    if (!keepWhole) {
      const uint32_t common = oldSet & newSet;
      return (shown & common) == common;
    }
    const uint32_t both = oldSet | newSet;
    return shown == oldSet || shown == newSet || shown == both;
  }

  bool Append(int32_t key, int32_t text) {
    if (plan->count >= kMaxSlotWrites) return false;
    SlotWrite& write = plan->writes[plan->count++];
    write.key = key;
    std::memcpy(write.value, texts[text]->text, kSlotValueSize);
    write.value[kSlotValueSize - 1] = '\0';
    return true;
  }

  bool AppendCount(int32_t count) {
    if (plan->count >= kMaxSlotWrites) return false;
    SlotWrite& write = plan->writes[plan->count++];
    write.key = kSlotCountKey;
    std::memset(write.value, 0, sizeof write.value);
    // One or two digits: 0..8.
    write.value[0] = static_cast<char>('0' + count);
    return true;
  }

  // Writes `text` into `key` when the slot stays whole afterwards.
  bool TryWrite(int32_t key, int32_t text) {
    SlotModel next = slot;
    next.keys[key] = text;
    if (!Whole(next) || !Append(key, text)) return false;
    slot = next;
    return true;
  }

  bool TryCount(int32_t count) {
    SlotModel next = slot;
    next.count = count;
    if (!Whole(next) || !AppendCount(count)) return false;
    slot = next;
    return true;
  }

  // Whether `key`'s point is shown by another key too.
  bool Repeated(int32_t key) const {
    for (int32_t i = 0; i < slot.count; ++i) {
      if (i != key && slot.keys[i] != kUnknown && pointOf[slot.keys[i]] == pointOf[slot.keys[key]]) return true;
    }
    return false;
  }

  bool InPlace() const {
    for (int32_t i = 0; i < targetCount; ++i) {
      if (slot.keys[i] != target[i]) return false;
    }
    return true;
  }

  // Puts the new texts into keys 0..targetCount-1, each write keeping the
  // slot whole; when no key can take its new text yet, copies the text of the
  // first key in the way somewhere it is not needed, so that key may go.
  bool MoveIntoPlace() {
    while (!InPlace()) {
      bool wrote = false;
      for (int32_t i = 0; i < targetCount && !wrote; ++i) {
        if (slot.keys[i] != target[i]) wrote = TryWrite(i, target[i]);
      }
      if (wrote) continue;
      int32_t blocked = -1;
      for (int32_t i = 0; i < targetCount && blocked < 0; ++i) {
        if (slot.keys[i] != target[i] && !Repeated(i)) blocked = i;
      }
      if (blocked < 0) return false;  // every key in the way is a copy, yet none may change
      const int32_t text = slot.keys[blocked];
      bool copied = false;
      for (int32_t f = targetCount; f < slot.count && !copied; ++f) {
        if (Repeated(f)) copied = TryWrite(f, text);
      }
      if (copied) continue;
      if (slot.count >= kSlotKeyCount) return false;  // no room for a stepping stone
      const int32_t spare = slot.count;
      if (!Append(spare, text)) return false;
      slot.keys[spare] = text;
      if (!TryCount(spare + 1)) return false;
    }
    return slot.count == targetCount || TryCount(targetCount);
  }

  // First way: keys the new scheme adds past the stored count are written
  // there (no reader looks at them yet) and shown by the count when that
  // keeps the slot whole.
  bool GrowInPlace() {
    for (int32_t i = slot.count; i < targetCount; ++i) {
      if (!Append(i, target[i])) return false;
      slot.keys[i] = target[i];
    }
    if (targetCount > slot.count && !TryCount(targetCount)) return false;
    return MoveIntoPlace();
  }

  // Second way: every new text is staged past the count, then all are shown
  // together with the old ones.
  bool ThroughBoth() {
    int32_t next = slot.count;
    for (int32_t i = slot.count; i < targetCount; ++i) {
      if (!Append(i, target[i])) return false;
      slot.keys[i] = target[i];
      next = i + 1;
    }
    for (int32_t i = 0; i < targetCount; ++i) {
      const int32_t text = target[i];
      if (oldSet & (1u << pointOf[text])) continue;
      bool staged = false;
      for (int32_t k = 0; k < next; ++k) staged = staged || (slot.keys[k] != kUnknown && pointOf[slot.keys[k]] == pointOf[text]);
      if (staged) continue;
      if (next >= kSlotKeyCount || !Append(next, text)) return false;
      slot.keys[next++] = text;
    }
    if (next > slot.count && !TryCount(next)) return false;
    return MoveIntoPlace();
  }

  // Every key the plan left alone and the count are written once more as
  // the save writes them: the slot already loads as the new scheme, so these
  // change nothing a reader sees, and the file ends holding exactly the
  // save's texts (a stored count of "08" or a point with trailing bytes the
  // reads cannot see are replaced too).
  void Settle() {
    bool written[kSlotKeyCount] = {};
    bool countWritten = false;
    for (int32_t i = 0; i < plan->count; ++i) {
      if (plan->writes[i].key == kSlotCountKey) {
        countWritten = true;
      } else {
        written[plan->writes[i].key] = true;
      }
    }
    for (int32_t i = 0; i < targetCount; ++i) {
      if (!written[i]) Append(i, target[i]);
    }
    if (!countWritten || plan->writes[plan->count - 1].key != kSlotCountKey) AppendCount(targetCount);
  }

  // The new scheme written straight over the old, the count last, so it
  // never names a key this save has not written.
  void Straight() {
    slot.count = 0;
    plan->count = 0;
    for (int32_t i = 0; i < targetCount; ++i) Append(i, target[i]);
    AppendCount(targetCount);
  }
};

}  // namespace

void PlanSlotWrites(const SlotPointText* stored, int32_t storedCount, const SlotPointText* points, int32_t newCount,
                    SlotWritePlan* plan) {
  TW_ASSERT(newCount >= 1 && newCount <= kSlotKeyCount && "a scheme has one to eight points");
  if (newCount > kSlotKeyCount) newCount = kSlotKeyCount;
  if (newCount < 0) newCount = 0;
  Planner planner;
  planner.plan = plan;
  const int32_t oldCount = storedCount < 0 ? 0 : (storedCount > kSlotKeyCount ? kSlotKeyCount : storedCount);
  // A stored count beyond eight names keys no load reads; the slot shows its
  // first eight, and the plan starts from there.
  SlotModel start{};
  for (int32_t i = 0; i < kSlotKeyCount; ++i) start.keys[i] = kUnknown;
  for (int32_t i = 0; i < oldCount; ++i) start.keys[i] = planner.Intern(&stored[i], &planner.oldSet);
  start.count = oldCount;
  for (int32_t i = 0; i < newCount; ++i) planner.target[i] = planner.Intern(&points[i], &planner.newSet);
  planner.targetCount = newCount;

  const SlotWriteSafety levels[] = {SlotWriteSafety::kWhole, SlotWriteSafety::kNoneLost};
  for (const SlotWriteSafety level : levels) {
    planner.keepWhole = level == SlotWriteSafety::kWhole;
    for (int32_t way = 0; way < 2; ++way) {
      planner.slot = start;
      plan->count = 0;
      plan->safety = level;
      if (!(way == 0 ? planner.GrowInPlace() : planner.ThroughBoth())) continue;
      planner.Settle();
      return;
    }
  }
  plan->safety = SlotWriteSafety::kStraight;
  planner.Straight();
}
