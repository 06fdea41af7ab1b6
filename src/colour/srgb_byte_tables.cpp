// Tintwell colour: the byte tables behind the row conversions' sRGB
// encoding, built on first use.
#include "colour/srgb_byte_tables.h"

#include <cstring>

#include "colour/colour_models.h"

namespace {

float FloatOfBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

bool FillTable(uint32_t (*byteOf)(float), uint32_t* table) {
  table[0] = 0 | kSrgbNoStep << 8;
  table[kSrgbBuckets - 1] = byteOf(2.0f) | kSrgbNoStep << 8;
  // The two end buckets are constant: check their far ends.
  bool exact = byteOf(0.0f) == 0 && byteOf(FloatOfBits((static_cast<uint32_t>(kSrgbFirstKey) << 16) - 1)) == 0 &&
               byteOf(FloatOfBits(0x7f7fffffu)) == byteOf(2.0f);
  for (int32_t bucket = 1; bucket < kSrgbBuckets - 1; ++bucket) {
    const uint32_t first = static_cast<uint32_t>(kSrgbFirstKey + bucket - 1) << 16;
    const uint32_t last = first | 0xffffu;
    const uint32_t base = byteOf(FloatOfBits(first));
    const uint32_t top = byteOf(FloatOfBits(last));
    if (top == base) {
      table[bucket] = base | kSrgbNoStep << 8;
      continue;
    }
    if (top != base + 1) exact = false;
    // Smallest float in the bucket with the higher byte.
    uint32_t below = first;  // byte base
    uint32_t above = last;   // byte top
    while (above - below > 1) {
      const uint32_t middle = below + (above - below) / 2;
      if (byteOf(FloatOfBits(middle)) == base) {
        below = middle;
      } else {
        above = middle;
      }
    }
    table[bucket] = base | (above & 0xffffu) << 8;
  }
  return exact;
}

}  // namespace

uint32_t TruncatedSrgbByte(float linear) { return static_cast<uint32_t>(EncodedSrgbChannel(linear)); }

uint32_t OpaqueSrgbByte(float linear) {
  PluginContext context{};
  context.RedPosition = 0;
  context.GreenPosition = 1;
  context.BluePosition = 2;
  context.AlphaPosition = 3;
  const float channel = EncodedSrgbChannel(linear);
  return RgbToPixel(&context, ColourTriple{channel, 0.0f, 0.0f, 255}) & 0xffu;
}

const SrgbByteTables& SrgbTables() {
  static const SrgbByteTables tables = [] {
    SrgbByteTables t{};
    const bool truncatedExact = FillTable(TruncatedSrgbByte, t.truncated);
    const bool opaqueExact = FillTable(OpaqueSrgbByte, t.opaque);
    t.exact = truncatedExact && opaqueExact;
    return t;
  }();
  return tables;
}

