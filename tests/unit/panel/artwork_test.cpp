// The built-in pictures and their unpacker: each packed picture is consumed
// exactly and gives 32400 pixels of the content it stands for; the lamp
// icons keep their format; no stream, however broken, makes the unpacker
// read or write out of bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/artwork.h"
#include "core/packed_image.h"

namespace {

struct Bgra {
  uint8_t b, g, r, a;
};

Bgra ByteOrder(Pixel p) {
  Bgra c;
  std::memcpy(&c, &p, 4);
  return c;
}

std::vector<Pixel> Unpack(const PackedImage& picture) {
  std::vector<Pixel> pixels(kPackedImagePixels + 1, 0xdeadbeefu);
  // The stream in a buffer of exactly its size, so any read past it is caught
  // by the address sanitizer.
  const std::vector<uint8_t> stream(picture.Data, picture.Data + picture.Size);
  const UnpackResult result = UnpackImage(stream.data(), stream.size(), pixels.data(), kPackedImagePixels);
  EXPECT_TRUE(result.Clean);
  EXPECT_EQ(static_cast<size_t>(picture.Size), result.Consumed);
  EXPECT_EQ(kPackedImagePixels, result.Produced);
  EXPECT_EQ(0xdeadbeefu, pixels.back()) << "nothing past the pixel count";
  pixels.pop_back();
  return pixels;
}

TEST(Artwork, PackedPicturesUnpackExactlyAndShowWhatTheyShould) {
  const struct {
    const char* name;
    const PackedImage& picture;
    int32_t size;
  } pictures[] = {{"palette background", kPaletteBackground, 3988},
                  {"vectorscope graticule", kVectorscopeGraticule, 10724},
                  {"waveform graticule", kWaveformGraticule, 3791}};
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(p.size, p.picture.Size);
    const std::vector<Pixel> pixels = Unpack(p.picture);
    for (int32_t i = 0; i < kPackedImagePixels; ++i) {
      const Bgra c = ByteOrder(pixels[i]);
      ASSERT_TRUE(c.r <= c.a && c.g <= c.a && c.b <= c.a) << "premultiplied, pixel " << i;
    }
  }

  // The palette background is transparent black wherever the ring, square
  // and zones are drawn (r < 88) and inside the option boxes; the boxes are
  // framed and each corner carries its decoration.
  const std::vector<Pixel> background = Unpack(kPaletteBackground);
  std::set<int> decoratedCorners;
  for (int32_t y = 0; y < kPackedImageSide; ++y) {
    for (int32_t x = 0; x < kPackedImageSide; ++x) {
      const int32_t dx = 90 - x, dy = 90 - y;
      const Pixel p = background[y * kPackedImageSide + x];
      if (dx * dx + dy * dy < 88 * 88) {
        ASSERT_EQ(0u, p) << x << "," << y;
      } else if (p != 0) {
        decoratedCorners.insert((dx > 0 ? 0 : 1) + (dy > 0 ? 0 : 2));
      }
    }
  }
  EXPECT_EQ(4u, decoratedCorners.size());
  for (int32_t x0 : {4, 168}) {
    for (int32_t y0 : {159, 169}) {
      for (int32_t k = 0; k < 8; ++k) {
        EXPECT_EQ(255, ByteOrder(background[y0 * 180 + x0 + k]).a) << "frame top " << x0 << "," << y0;
        EXPECT_EQ(255, ByteOrder(background[(y0 + k) * 180 + x0]).a) << "frame left " << x0 << "," << y0;
      }
      for (int32_t y = y0 + 1; y < y0 + 7; ++y) {
        for (int32_t x = x0 + 1; x < x0 + 7; ++x) EXPECT_EQ(0u, background[y * 180 + x]) << x << "," << y;
      }
    }
  }

  // Both graticules are opaque black fields with grey lines.
  for (const PackedImage* graticule : {&kVectorscopeGraticule, &kWaveformGraticule}) {
    int32_t lines = 0;
    for (Pixel p : Unpack(*graticule)) {
      const Bgra c = ByteOrder(p);
      ASSERT_EQ(255, c.a);
      ASSERT_TRUE(c.r == c.g && c.g == c.b) << "grey";
      lines += c.r != 0;
    }
    EXPECT_GT(lines, 500);
  }
}

TEST(Artwork, LampIconsAreRoundOpaqueAndUseTheirPaletteSizes) {
  const size_t indices[kLampIconCount] = {60, 53, 52, 56, 51};  // dark, green, orange, red, lime
  for (int32_t n = 0; n < kLampIconCount; ++n) {
    const LampIcon& icon = kLampIcons[n];
    std::set<uint8_t> used(icon.Index, icon.Index + kLampIconPixels);
    EXPECT_EQ(indices[n], used.size()) << "icon " << n;
    for (int32_t k = 0; k < kLampIconPixels; ++k) {
      ASSERT_TRUE(icon.Alpha[k] == 0 || icon.Alpha[k] == 255) << "icon " << n << " pixel " << k;
    }
    for (int32_t corner : {0, 19, 380, 399}) EXPECT_EQ(0, icon.Alpha[corner]) << "icon " << n;
    EXPECT_EQ(255, icon.Alpha[10 * 20 + 10]) << "icon " << n;
    EXPECT_EQ(255, icon.Alpha[10 * 20 + 0]) << "icon " << n << ": the round bezel reaches the edge";
  }
}

// Truncated, oversized and hostile streams: the unpacker stops at the end of
// the stream and at the pixel count, fills what the stream did not give with
// transparent black and says the stream was not clean.
TEST(Artwork, UnpackerStaysInBoundsWhateverTheStream) {
  constexpr int32_t kCount = 300;
  constexpr Pixel kGuard = 0xa5a5a5a5u;
  std::mt19937 random(7);
  auto check = [&](const std::vector<uint8_t>& stream, const std::string& what) -> UnpackResult {
    std::vector<Pixel> out(kCount + 4, kGuard);
    std::vector<uint8_t> exact(stream);  // exactly sized for the sanitizer
    const UnpackResult r = UnpackImage(exact.empty() ? nullptr : exact.data(), exact.size(), out.data(), kCount);
    EXPECT_LE(r.Consumed, exact.size()) << what;
    EXPECT_LE(r.Produced, kCount) << what;
    for (int32_t i = kCount; i < kCount + 4; ++i) EXPECT_EQ(kGuard, out[i]) << what << ": wrote past the count";
    for (int32_t i = r.Produced; i < kCount; ++i) EXPECT_EQ(0u, out[i]) << what << ": unfilled pixel " << i;
    return r;
  };

  // The real pictures, cut short at many places.
  const std::vector<uint8_t> whole(kVectorscopeGraticule.Data, kVectorscopeGraticule.Data + kVectorscopeGraticule.Size);
  for (size_t cut = 0; cut < whole.size(); cut += 97) {
    std::vector<Pixel> out(kPackedImagePixels + 1, kGuard);
    const std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(cut));
    const UnpackResult r = UnpackImage(part.data(), part.size(), out.data(), kPackedImagePixels);
    ASSERT_FALSE(r.Clean) << cut;
    ASSERT_LE(r.Consumed, cut);
    ASSERT_EQ(kGuard, out.back());
  }

  // Oversized: a run far past the count is cut there.
  const UnpackResult longRun = check({0x81, 1, 2, 3, 4, 0x81, 1, 2, 3, 4, 0x81, 1, 2, 3, 4}, "long runs");
  EXPECT_EQ(kCount, longRun.Produced);
  EXPECT_FALSE(longRun.Clean);
  // Exactly filling streams are clean and leave the rest of the buffer alone.
  std::vector<uint8_t> exact;
  for (int32_t left = kCount; left > 0; left -= 100) exact.insert(exact.end(), {static_cast<uint8_t>(257 - 100), 9, 8, 7, 6});
  const UnpackResult clean = check(exact, "exact");
  EXPECT_TRUE(clean.Clean);
  EXPECT_EQ(exact.size(), clean.Consumed);
  // No stream at all, and a stream of unused control bytes.
  EXPECT_FALSE(check({}, "empty").Clean);
  EXPECT_EQ(0, check(std::vector<uint8_t>(50, 128), "all 128").Produced);

  // Random streams, biased toward control bytes that claim a lot.
  for (int trial = 0; trial < 3000; ++trial) {
    std::vector<uint8_t> stream(random() % 200);
    for (uint8_t& b : stream) b = static_cast<uint8_t>(random() % 4 == 0 ? 120 + random() % 16 : random());
    check(stream, "random stream " + std::to_string(trial));
  }
}

}  // namespace
