// The binary interface: context and image layouts as the host sees them.
#include <gtest/gtest.h>

#include <cstddef>

#include "core/abi.h"

TEST(BinaryInterface, FloatWordsRoundTripBitForBit) {
  const float values[] = {0.0f, -0.0f, 1.5f, -123.25f, 3.4e38f, 1e-40f};
  for (float v : values) {
    const float back = WordFloat(FloatWord(v));
    EXPECT_EQ(0, __builtin_memcmp(&v, &back, sizeof v)) << v;
  }
}

#if defined(_WIN32) && !defined(_WIN64)
TEST(BinaryInterface, ContextOffsetsMatchTheHost) {
  EXPECT_EQ(136u, offsetof(PluginContext, VersionMajor));
  EXPECT_EQ(144u, offsetof(PluginContext, Name));
  EXPECT_EQ(280u, offsetof(PluginContext, HostDispatch));
  EXPECT_EQ(324u, offsetof(PluginContext, RedPosition));
  EXPECT_EQ(328u, offsetof(PluginContext, WorkImage));
  EXPECT_EQ(16u, sizeof(HostImage));
}
#endif
