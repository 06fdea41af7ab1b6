// Tintwell benchmarks: the lighten/darken filter pass and the colour
// conversions, each next to a yardstick in the same run (memcpy of the same
// picture; Little CMS's float Lab to 8-bit sRGB transform). After the usual
// table the program prints every figure as a ratio to its yardstick. The
// machine is shared, so run with --benchmark_repetitions=5 (or more): the
// ratio lines then use each benchmark's median.
#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "colour/colour_rows.h"
#include "colour/lighten_darken_filter.h"
#include "core/plugin_state.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr size_t kPixels = static_cast<size_t>(kWidth) * kHeight;
constexpr int kPaletteSize = 21000;  // about one palette picture's worth of pixels

PluginContext MakeContext() {
  PluginContext context{};
  context.RedPosition = 2;
  context.GreenPosition = 1;
  context.BluePosition = 0;
  context.AlphaPosition = 3;
  return context;
}

// Premultiplied 4K pictures, mostly opaque, with smooth colour areas.
// Scattered: 5 % transparent and 5 % partly transparent pixels at random
// places (the worst case for the vector paths). Clustered: transparent holes
// with soft, partly transparent edges, as painted artwork has them.
std::vector<Pixel> MakePicture(bool clustered) {
  const PluginContext context = MakeContext();
  std::vector<Pixel> pixels(kPixels);
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> percent(0, 99);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint32_t a = 255;
      if (clustered) {
        const float s = std::sin(static_cast<float>(x) * 0.013f) * std::sin(static_cast<float>(y) * 0.021f);
        const float edge = (0.93f - s) / 0.03f * 255.0f;
        a = edge <= 0.0f ? 0u : edge >= 255.0f ? 255u : static_cast<uint32_t>(edge);
      } else {
        const int kind = percent(rng);
        if (kind < 5) a = 0;
        else if (kind < 10) a = static_cast<uint32_t>(1 + byte(rng) % 254);
      }
      const uint32_t r = (static_cast<uint32_t>(x / 15) + static_cast<uint32_t>(byte(rng) & 15)) & 255;
      const uint32_t g = (static_cast<uint32_t>(y / 9) + static_cast<uint32_t>(byte(rng) & 15)) & 255;
      const uint32_t b = static_cast<uint32_t>(byte(rng));
      pixels[static_cast<size_t>(y) * kWidth + x] =
          r * a / 255 << (8 * context.RedPosition) | g * a / 255 << (8 * context.GreenPosition) |
          b * a / 255 << (8 * context.BluePosition) | a << (8 * context.AlphaPosition);
    }
  }
  return pixels;
}

const std::vector<Pixel>& Picture(bool clustered = false) {
  static const std::vector<Pixel> scattered = MakePicture(false);
  static const std::vector<Pixel> soft = MakePicture(true);
  return clustered ? soft : scattered;
}

void BM_Memcpy4K(benchmark::State& state) {
  const std::vector<Pixel>& source = Picture();
  std::vector<Pixel> destination(kPixels);
  for (auto _ : state) {
    std::memcpy(destination.data(), source.data(), kPixels * sizeof(Pixel));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Memcpy4K)->Unit(benchmark::kMillisecond);

// One in-place filter pass; arguments: lighten, clustered picture. The
// picture is restored outside the timing.
void FilterPass(benchmark::State& state, FilterPath path) {
  if (!FilterPathAvailable(path)) {
    state.SkipWithError("path not available on this processor");
    return;
  }
  PluginContext context = MakeContext();
  ResetPluginState();
  GState.CurrentPixel = 0xff808080u;  // mid grey: about half the picture changes
  GState.CurrentRgb = PixelToRgb(&context, GState.CurrentPixel);
  const std::vector<Pixel>& picture = Picture(state.range(1) != 0);
  std::vector<Pixel> pixels = picture;
  HostImage image{kWidth, kHeight, {2, 1, 0, 3}, pixels.data()};
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(pixels.data(), picture.data(), kPixels * sizeof(Pixel));
    state.ResumeTiming();
    CieLightenDarkenFilterOnPath(&context, &image, &image, static_cast<int32_t>(state.range(0)), path);
    benchmark::ClobberMemory();
  }
}
void BM_FilterScalar(benchmark::State& state) { FilterPass(state, FilterPath::kScalar); }
void BM_FilterSse2(benchmark::State& state) { FilterPass(state, FilterPath::kSse2); }
void BM_FilterAvx2(benchmark::State& state) { FilterPass(state, FilterPath::kAvx2); }
void BM_FilterAuto(benchmark::State& state) { FilterPass(state, FilterPath::kAuto); }
BENCHMARK(BM_FilterScalar)->Args({1, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterSse2)->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterAvx2)->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterAuto)->Args({1, 0})->Args({0, 1})->Args({1, 1})->Unit(benchmark::kMillisecond);

// Inputs for the per-call conversions: a spread of in-gamut colours.
struct Inputs {
  std::vector<ColourTriple> rgb, hsv, cieHsv, lab;
  std::vector<Pixel> pixels;
};

const Inputs& ConversionInputs() {
  static const Inputs inputs = [] {
    ResetPluginState();
    GState.ReferenceWhite[0] = 95.147f;
    GState.ReferenceWhite[1] = 100.1f;
    GState.ReferenceWhite[2] = 108.983f;
    PluginContext context = MakeContext();
    Inputs in;
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < kPaletteSize; ++i) {
      const ColourTriple rgb{static_cast<float>(byte(rng)), static_cast<float>(byte(rng)),
                             static_cast<float>(byte(rng)), 255};
      in.rgb.push_back(rgb);
      in.hsv.push_back(RgbToHsv(rgb));
      in.cieHsv.push_back(RgbToCieHsv(rgb));
      in.lab.push_back(RgbToLab(rgb));
      in.pixels.push_back(RgbToPixel(&context, rgb));
    }
    return in;
  }();
  return inputs;
}

template <typename Convert>
void PerCall(benchmark::State& state, const std::vector<ColourTriple>& inputs, Convert convert) {
  for (auto _ : state) {
    for (const ColourTriple& in : inputs) benchmark::DoNotOptimize(convert(in));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(inputs.size()));
}

void BM_CieHsvToRgb(benchmark::State& state) { PerCall(state, ConversionInputs().cieHsv, CieHsvToRgb); }
void BM_HsvToRgb(benchmark::State& state) { PerCall(state, ConversionInputs().hsv, HsvToRgb); }
void BM_RgbToCieHsv(benchmark::State& state) { PerCall(state, ConversionInputs().rgb, RgbToCieHsv); }
void BM_RgbToLab(benchmark::State& state) { PerCall(state, ConversionInputs().rgb, RgbToLab); }
void BM_LabToRgb(benchmark::State& state) { PerCall(state, ConversionInputs().lab, LabToRgb); }
BENCHMARK(BM_CieHsvToRgb);
BENCHMARK(BM_HsvToRgb);
BENCHMARK(BM_RgbToCieHsv);
BENCHMARK(BM_RgbToLab);
BENCHMARK(BM_LabToRgb);

void BM_NtscGamutCheck(benchmark::State& state) {
  PluginContext context = MakeContext();
  GState.GamutMode = 1;
  const std::vector<Pixel>& pixels = ConversionInputs().pixels;
  for (auto _ : state) {
    for (Pixel p : pixels) benchmark::DoNotOptimize(NtscGamutCheck(&context, p));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(pixels.size()));
}
BENCHMARK(BM_NtscGamutCheck);

// Lab to 8-bit RGB: our conversion with the truncation to bytes, then Little
// CMS's float Lab (D65 white) to 8-bit sRGB transform over the same colours.
void BM_LabToRgbBytes(benchmark::State& state) {
  const std::vector<ColourTriple>& lab = ConversionInputs().lab;
  std::vector<uint8_t> out(lab.size() * 3);
  for (auto _ : state) {
    for (size_t i = 0; i < lab.size(); ++i) {
      const ColourTriple rgb = LabToRgb(lab[i]);
      out[3 * i] = static_cast<uint8_t>(rgb.c0);
      out[3 * i + 1] = static_cast<uint8_t>(rgb.c1);
      out[3 * i + 2] = static_cast<uint8_t>(rgb.c2);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(lab.size()));
}
BENCHMARK(BM_LabToRgbBytes);

// The same through the batch routine that palette and preview drawing use.
void BM_LabToRgbBytesRow(benchmark::State& state) {
  const std::vector<ColourTriple>& lab = ConversionInputs().lab;
  std::vector<uint8_t> out(lab.size() * 3);
  for (auto _ : state) {
    LabToRgbBytesRow(lab.data(), out.data(), lab.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(lab.size()));
}
BENCHMARK(BM_LabToRgbBytesRow);

void BM_LittleCmsLabToRgbBytes(benchmark::State& state) {
  const std::vector<ColourTriple>& lab = ConversionInputs().lab;
  std::vector<double> labIn;
  for (const ColourTriple& c : lab) {
    labIn.push_back(c.c0);
    labIn.push_back(c.c1);
    labIn.push_back(c.c2);
  }
  cmsCIExyY d65;
  cmsWhitePointFromTemp(&d65, 6504);
  cmsHPROFILE labProfile = cmsCreateLab4Profile(&d65);
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHTRANSFORM transform =
      cmsCreateTransform(labProfile, TYPE_Lab_DBL, srgb, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0);
  std::vector<uint8_t> out(lab.size() * 3);
  for (auto _ : state) {
    cmsDoTransform(transform, labIn.data(), out.data(), static_cast<cmsUInt32Number>(lab.size()));
    benchmark::DoNotOptimize(out.data());
  }
  cmsDeleteTransform(transform);
  cmsCloseProfile(srgb);
  cmsCloseProfile(labProfile);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(lab.size()));
}
BENCHMARK(BM_LittleCmsLabToRgbBytes);

// One palette picture's worth: CIE HSV to RGB, packed, then the gamut check.
void BM_PaletteCieHsv(benchmark::State& state) {
  PluginContext context = MakeContext();
  GState.GamutMode = 1;
  const std::vector<ColourTriple>& cie = ConversionInputs().cieHsv;
  for (auto _ : state) {
    int32_t warnings = 0;
    for (const ColourTriple& c : cie) warnings += NtscGamutCheck(&context, RgbToPixel(&context, CieHsvToRgb(c)));
    benchmark::DoNotOptimize(warnings);
  }
}
BENCHMARK(BM_PaletteCieHsv)->Unit(benchmark::kMicrosecond);

// The same palette through the batch routines (same pixels, same warnings).
void BM_PaletteCieHsvRow(benchmark::State& state) {
  PluginContext context = MakeContext();
  GState.GamutMode = 1;
  const std::vector<ColourTriple>& cie = ConversionInputs().cieHsv;
  std::vector<Pixel> pixels(cie.size());
  std::vector<int32_t> checks(cie.size());
  for (auto _ : state) {
    CieHsvToPixelRow(&context, cie.data(), pixels.data(), cie.size());
    NtscGamutCheckRow(&context, pixels.data(), checks.data(), cie.size());
    int32_t warnings = 0;
    for (int32_t c : checks) warnings += c;
    benchmark::DoNotOptimize(warnings);
  }
}
BENCHMARK(BM_PaletteCieHsvRow)->Unit(benchmark::kMicrosecond);

// Keeps each run's processor time per iteration (ns) by name for the ratio
// lines (processor time, so that other work on a shared machine counts less;
// the median when the runs are repeated).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations <= 0) continue;
      // With --benchmark_repetitions the median stands for the benchmark.
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") times[run.run_name.str()] = run.GetAdjustedCPUTime() * Scale(run.time_unit);
      } else {
        times[run.benchmark_name()] = run.GetAdjustedCPUTime() * Scale(run.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;  // nanoseconds per iteration

 private:
  static double Scale(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kSecond: return 1e9;
      case benchmark::kMillisecond: return 1e6;
      case benchmark::kMicrosecond: return 1e3;
      default: return 1.0;
    }
  }
};

void PrintRatio(const RatioReporter& reporter, const char* what, const std::string& name, const std::string& base,
                double scale = 1.0) {
  const auto a = reporter.times.find(name);
  const auto b = reporter.times.find(base);
  if (a == reporter.times.end() || b == reporter.times.end()) return;
  std::printf("  %-44s %8.2f\n", what, a->second * scale / b->second);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios of processor time measured in this run:\n");
  for (int clustered = 0; clustered < 2; ++clustered) {
    size_t transparent = 0;
    size_t partial = 0;
    for (Pixel p : Picture(clustered != 0)) {
      const uint32_t a = p >> 24;
      transparent += a == 0;
      partial += a != 0 && a != 255;
    }
    std::printf(" %s picture: %.1f %% transparent, %.1f %% partly transparent\n",
                clustered ? "clustered" : "scattered", 100.0 * transparent / kPixels, 100.0 * partial / kPixels);
  }
  std::printf(" filter pass / memcpy of the same 3840x2160 picture\n");
  PrintRatio(reporter, "plain per-pixel formula, scattered alpha", "BM_FilterScalar/1/0", "BM_Memcpy4K");
  PrintRatio(reporter, "SSE2, scattered alpha", "BM_FilterSse2/1/0", "BM_Memcpy4K");
  PrintRatio(reporter, "SSE2, clustered alpha", "BM_FilterSse2/1/1", "BM_Memcpy4K");
  PrintRatio(reporter, "AVX2, scattered alpha", "BM_FilterAvx2/1/0", "BM_Memcpy4K");
  PrintRatio(reporter, "AVX2, clustered alpha", "BM_FilterAvx2/1/1", "BM_Memcpy4K");
  PrintRatio(reporter, "run-time choice, lighten, scattered (goal: 2.5)", "BM_FilterAuto/1/0", "BM_Memcpy4K");
  PrintRatio(reporter, "run-time choice, darken, clustered", "BM_FilterAuto/0/1", "BM_Memcpy4K");
  PrintRatio(reporter, "run-time choice, lighten, clustered", "BM_FilterAuto/1/1", "BM_Memcpy4K");
  std::printf(" Little CMS time / ours, Lab to 8-bit RGB (higher is faster)\n");
  PrintRatio(reporter, "LabToRgb with truncation to bytes", "BM_LittleCmsLabToRgbBytes", "BM_LabToRgbBytes");
  PrintRatio(reporter, "LabToRgbBytesRow (goal: 10 or more)", "BM_LittleCmsLabToRgbBytes", "BM_LabToRgbBytesRow");
  std::printf(" palette of %d CIE HSV pixels with gamut check / 0.5 ms budget\n", kPaletteSize);
  for (const char* name : {"BM_PaletteCieHsv", "BM_PaletteCieHsvRow"}) {
    const auto palette = reporter.times.find(name);
    if (palette == reporter.times.end()) continue;
    std::printf("  %-44s %8.2f  (%.0f us)\n", std::strcmp(name, "BM_PaletteCieHsv") == 0 ? "palette, one call per pixel"
                                                                     : "palette, row routines (goal: below 1)",
                palette->second / 500000.0, palette->second / 1000.0);
  }
  std::printf(" per call: nanoseconds, and Little CMS's time per pixel / this\n");
  const auto cms = reporter.times.find("BM_LittleCmsLabToRgbBytes");
  for (const char* name : {"BM_CieHsvToRgb", "BM_HsvToRgb", "BM_RgbToCieHsv", "BM_RgbToLab", "BM_LabToRgb",
                           "BM_NtscGamutCheck", "BM_LabToRgbBytes", "BM_LabToRgbBytesRow"}) {
    const auto t = reporter.times.find(name);
    if (t == reporter.times.end() || cms == reporter.times.end()) continue;
    std::printf("  %-30s %8.1f ns %8.2f\n", name, t->second / kPaletteSize, cms->second / t->second);
  }
  benchmark::Shutdown();
  return 0;
}
