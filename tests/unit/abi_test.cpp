// The binary interface: float words as the host reads them. (The context
// and image layouts are pinned by static_asserts in the 32-bit build.)
#include <gtest/gtest.h>

#include "core/abi.h"

TEST(BinaryInterface, FloatWordsRoundTripBitForBit) {
  const float values[] = {0.0f, -0.0f, 1.5f, -123.25f, 3.4e38f, 1e-40f};
  for (float v : values) {
    const float back = WordFloat(FloatWord(v));
    EXPECT_EQ(0, __builtin_memcmp(&v, &back, sizeof v)) << v;
  }
}
