// Fuzz target: the packed-picture unpacker (PackBits on 4-byte pixels) with
// any stream and any pixel count, the way the stand-in host and the picture
// tools use it for the plug-in's built-in pictures.
//
// Properties: it never reads past the stream nor writes past the count (both
// are blocks of exactly their size); its pixels, counts and verdict equal a
// plain reference expansion; whatever the stream leaves unwritten is 0.
#include <cstring>
#include <vector>

#include "core/packed_image.h"
#include "fuzz_support.h"

namespace {

struct Expansion {
  std::vector<Pixel> pixels;  // exactly count, zeros where the stream gave nothing
  size_t consumed = 0;
  int32_t produced = 0;
  bool clean = true;
};

// Packet by packet, the whole packet expanded first and then cut. Left
// without coverage hooks: its branches say nothing new about the input and
// its per-pixel loop would otherwise cost most of every run.
__attribute__((no_sanitize("coverage"))) Expansion Reference(const std::vector<uint8_t>& stream, int32_t count) {
  Expansion out;
  out.pixels.assign(static_cast<size_t>(count), 0);
  std::vector<Pixel> produced;
  size_t pos = 0;
  while (static_cast<int32_t>(produced.size()) < count) {
    if (pos >= stream.size()) {
      out.clean = false;
      break;
    }
    const uint8_t control = stream[pos++];
    if (control == 128) {
      out.clean = false;
      continue;
    }
    const size_t pixels = control < 128 ? control + 1u : 257u - control;
    const size_t bytes = control < 128 ? 4 * pixels : 4;
    if (stream.size() - pos < bytes) {
      out.clean = false;
      break;
    }
    for (size_t i = 0; i < pixels; ++i) {
      Pixel value;
      std::memcpy(&value, stream.data() + pos + (control < 128 ? 4 * i : 0), 4);
      produced.push_back(value);
    }
    pos += bytes;
  }
  if (static_cast<int32_t>(produced.size()) > count) {
    out.clean = false;
    produced.resize(static_cast<size_t>(count));
  }
  std::copy(produced.begin(), produced.end(), out.pixels.begin());
  out.consumed = pos;
  out.produced = static_cast<int32_t>(produced.size());
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  // Mostly short counts, which keeps the runs fast; now and then one built-in
  // picture (180 x 180). An input too short to choose gets the short count.
  const int32_t count =
      input.ConsumeIntegralInRange(0, 31) == 31 ? 32400 : input.ConsumeIntegralInRange<int32_t>(-2, 700);
  const std::vector<uint8_t> stream = input.ConsumeRemainingBytes<uint8_t>();

  // Exactly sized blocks: one byte or pixel past either is a finding.
  std::unique_ptr<uint8_t[]> packed(new uint8_t[stream.empty() ? 1 : stream.size()]);
  if (!stream.empty()) std::memcpy(packed.get(), stream.data(), stream.size());
  const size_t pixels = count > 0 ? static_cast<size_t>(count) : 1;
  std::unique_ptr<Pixel[]> destination(new Pixel[pixels]);
  std::memset(destination.get(), 0xA5, pixels * sizeof(Pixel));  // stale memory

  const UnpackResult result = UnpackImage(packed.get(), stream.size(), destination.get(), count);
  if (count <= 0) {
    FUZZ_CHECK(!result.Clean && result.Produced == 0 && result.Consumed == 0, "nothing to unpack into");
    return 0;
  }
  const Expansion expected = Reference(stream, count);
  FUZZ_CHECK(result.Produced == expected.produced, "pixels produced");
  FUZZ_CHECK(result.Consumed == expected.consumed, "bytes consumed");
  FUZZ_CHECK(result.Clean == expected.clean, "verdict");
  FUZZ_CHECK(std::memcmp(destination.get(), expected.pixels.data(), pixels * sizeof(Pixel)) == 0, "pixels");

  // A null stream is an empty one.
  const UnpackResult none = UnpackImage(nullptr, stream.size(), destination.get(), count);
  FUZZ_CHECK(!none.Clean && none.Produced == 0 && destination[0] == 0, "null stream");
  return 0;
}
