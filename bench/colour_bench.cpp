// Tintwell benchmarks: the lighten/darken filter pass and the colour
// conversions, each next to a yardstick in the same run (the in-place floor
// and a memcpy of the same picture; Little CMS's float Lab to 8-bit sRGB
// transform). After the usual table the program prints every figure as a
// ratio to its yardstick, and the filter's rows of the product's table
// (lines starting "TABLE", which tools/bench.sh gathers). The machine is
// shared, so run with --benchmark_repetitions=5 (or more) and
// --benchmark_enable_random_interleaving=true: the ratio lines then use each
// benchmark's median over interleaved runs.
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
#include "colour/current_colour.h"
#include "colour/lighten_darken_filter.h"
#include "colour/panel_models.h"
#include "core/worker_threads.h"
#include "core/plugin_state.h"
#include "bench_picture.h"

namespace {

constexpr const char kFloor[] = "BM_InPlaceFloor4K/process_time/real_time";
using benchpicture::kHeight;
using benchpicture::kPixels;
using benchpicture::kWidth;
constexpr int kPaletteSize = 21000;  // about one palette picture's worth of pixels

PluginContext MakeContext() {
  PluginContext context{};
  context.RedPosition = benchpicture::kRed;
  context.GreenPosition = benchpicture::kGreen;
  context.BluePosition = benchpicture::kBlue;
  context.AlphaPosition = benchpicture::kAlpha;
  return context;
}

const std::vector<Pixel>& Picture(bool clustered = false) {
  static const std::vector<Pixel> scattered = benchpicture::MakePicture(false);
  static const std::vector<Pixel> soft = benchpicture::MakePicture(true);
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

// The in-place floor over the same picture, restored before each pass
// outside the timing as the filter's is (so both start from the same cache
// state); also in wall time, the yardstick of the threaded pass.
void BM_InPlaceFloor4K(benchmark::State& state) {
  const std::vector<Pixel>& picture = Picture();
  std::vector<Pixel> pixels = picture;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(pixels.data(), picture.data(), kPixels * sizeof(Pixel));
    state.ResumeTiming();
    benchpicture::InPlaceFloor(pixels.data(), kPixels);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_InPlaceFloor4K)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// One in-place filter pass; arguments: lighten, clustered picture, threads
// (0: as the plug-in chooses). The picture is restored outside the timing.
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
  const int32_t threads = static_cast<int32_t>(state.range(2));
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(pixels.data(), picture.data(), kPixels * sizeof(Pixel));
    state.ResumeTiming();
    CieLightenDarkenFilterOnPath(&context, &image, &image, static_cast<int32_t>(state.range(0)), CurrentColour(), path,
                                 threads);
    benchmark::ClobberMemory();
  }
}
void BM_FilterScalar(benchmark::State& state) { FilterPass(state, FilterPath::kScalar); }
void BM_FilterSse2(benchmark::State& state) { FilterPass(state, FilterPath::kSse2); }
void BM_FilterAvx2(benchmark::State& state) { FilterPass(state, FilterPath::kAvx2); }
void BM_FilterAuto(benchmark::State& state) { FilterPass(state, FilterPath::kAuto); }
BENCHMARK(BM_FilterScalar)->Args({1, 0, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterSse2)->Args({1, 0, 1})->Args({1, 1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterAvx2)->Args({1, 0, 1})->Args({1, 1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterAuto)->Args({1, 0, 1})->Args({0, 1, 1})->Args({1, 1, 1})->Unit(benchmark::kMillisecond);
// The plug-in's own choice of threads, in wall time.
BENCHMARK(BM_FilterAuto)->Args({1, 0, 0})->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

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
      in.hsv.push_back(PanelRgbToHsv(rgb));
      in.cieHsv.push_back(PanelRgbToCieHsv(rgb));
      in.lab.push_back(PanelRgbToLab(rgb));
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

void BM_CieHsvToRgb(benchmark::State& state) { PerCall(state, ConversionInputs().cieHsv, PanelCieHsvToRgb); }
void BM_HsvToRgb(benchmark::State& state) { PerCall(state, ConversionInputs().hsv, HsvToRgb); }
void BM_RgbToCieHsv(benchmark::State& state) { PerCall(state, ConversionInputs().rgb, PanelRgbToCieHsv); }
void BM_RgbToLab(benchmark::State& state) { PerCall(state, ConversionInputs().rgb, PanelRgbToLab); }
void BM_LabToRgb(benchmark::State& state) { PerCall(state, ConversionInputs().lab, PanelLabToRgb); }
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
    for (Pixel p : pixels) benchmark::DoNotOptimize(PanelGamutCheck(&context, p));
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
      const ColourTriple rgb = PanelLabToRgb(lab[i]);
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
    LabToRgbBytesRow(CurrentWhite(), lab.data(), out.data(), lab.size());
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
    for (const ColourTriple& c : cie) warnings += PanelGamutCheck(&context, RgbToPixel(&context, PanelCieHsvToRgb(c)));
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
    CieHsvToPixelRow(&context, CurrentWhite(), cie.data(), pixels.data(), cie.size());
    NtscGamutCheckRow(&context, GState.GamutMode, pixels.data(), checks.data(), cie.size());
    int32_t warnings = 0;
    for (int32_t c : checks) warnings += c;
    benchmark::DoNotOptimize(warnings);
  }
}
BENCHMARK(BM_PaletteCieHsvRow)->Unit(benchmark::kMicrosecond);

// Each row conversion on each vector path over the palette's colours
// (arguments: the conversion, the path: 0 plain, 1 SSE2, 2 AVX2, 3 AVX-512),
// so the paths' speeds can be set side by side; a path the processor lacks
// is skipped.
enum RowBench { kRowLab, kRowLabTerms, kRowCieHsv, kRowHsv, kRowFixedHues, kRowGamut };
void BM_RowOnPath(benchmark::State& state) {
  const RowConversions* rows = RowConversionsOn(static_cast<RowPath>(state.range(1)));
  if (!rows) {
    state.SkipWithError("the processor lacks this path");
    return;
  }
  PluginContext context = MakeContext();
  const Inputs& in = ConversionInputs();
  const LabWhite white = CurrentWhite();
  const size_t n = in.lab.size();
  std::vector<Pixel> pixels(n);
  std::vector<int32_t> checks(n);
  std::vector<float> aTerms(n), bTerms(n), hues(n), fractions(n);
  std::vector<int32_t> sectors(n);
  for (size_t i = 0; i < n; ++i) {
    aTerms[i] = in.lab[i].c1 / 500.0f;
    bTerms[i] = in.lab[i].c2 / 200.0f;
    hues[i] = in.hsv[i].c0;
  }
  HsvHueSectors(hues.data(), sectors.data(), fractions.data(), n);
  for (auto _ : state) {
    switch (state.range(0)) {
      case kRowLab: rows->labToPixel(&context, white, in.lab.data(), pixels.data(), n); break;
      case kRowLabTerms:
        rows->labTermsToOpaquePixel(&context, white, 50.0f, aTerms.data(), bTerms.data(), pixels.data(), n);
        break;
      case kRowCieHsv: rows->cieHsvToPixel(&context, white, in.cieHsv.data(), pixels.data(), n); break;
      case kRowHsv: rows->hsvToPixel(&context, in.hsv.data(), pixels.data(), n); break;
      case kRowFixedHues:
        rows->hsvFixedHuesToPixel(&context, sectors.data(), fractions.data(), 0.6f, 0.7f, pixels.data(), n);
        break;
      default: rows->ntscGamutCheck(&context, kGamutWide, in.pixels.data(), checks.data(), n); break;
    }
    benchmark::DoNotOptimize(pixels.data());
    benchmark::DoNotOptimize(checks.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
}
BENCHMARK(BM_RowOnPath)
    ->ArgsProduct({{kRowLab, kRowLabTerms, kRowCieHsv, kRowHsv, kRowFixedHues, kRowGamut},
                   {static_cast<int64_t>(RowPath::kPlain), static_cast<int64_t>(RowPath::kSse2),
                    static_cast<int64_t>(RowPath::kAvx2), static_cast<int64_t>(RowPath::kAvx512)}})
    ->ArgNames({"row", "path"})
    ->MinTime(0.1)  // 24 of them: short runs keep the whole program's repetitions quick
    ->Unit(benchmark::kMicrosecond);

// Keeps each run's processor time per iteration (ns) by name for the ratio
// lines (processor time, so that other work on a shared machine counts less;
// the median when the runs are repeated).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations <= 0) continue;
      // With --benchmark_repetitions the median stands for the benchmark.
      std::string name;
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name != "median") continue;
        name = run.run_name.str();
      } else {
        name = run.benchmark_name();
      }
      times[name] = run.GetAdjustedCPUTime() * Scale(run.time_unit);
      realTimes[name] = run.GetAdjustedRealTime() * Scale(run.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;      // processor time, nanoseconds per iteration
  std::map<std::string, double> realTimes;  // wall time, nanoseconds per iteration

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

// A filter pass against both yardsticks, and as a row of the product's table.
void PrintFilterRatios(const RatioReporter& reporter, const char* what, const std::string& name, bool tableRow) {
  const auto pass = reporter.times.find(name);
  const auto floor = reporter.times.find(kFloor);
  const auto copy = reporter.times.find("BM_Memcpy4K");
  if (pass == reporter.times.end() || floor == reporter.times.end() || copy == reporter.times.end()) return;
  std::printf("  %-44s %8.2f %8.2f\n", what, pass->second / floor->second, pass->second / copy->second);
  if (tableRow) {
    std::printf("TABLE | native: %s | %.2f ms | %.2f x floor |\n", what, pass->second / 1e6, pass->second / floor->second);
  }
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
  std::printf(" filter pass of the 3840x2160 picture, one thread / in-place floor, / memcpy\n");
  PrintFilterRatios(reporter, "plain per-pixel formula, scattered alpha", "BM_FilterScalar/1/0/1", false);
  PrintFilterRatios(reporter, "SSE2, scattered alpha", "BM_FilterSse2/1/0/1", true);
  PrintFilterRatios(reporter, "SSE2, clustered alpha", "BM_FilterSse2/1/1/1", false);
  PrintFilterRatios(reporter, "AVX2, scattered alpha", "BM_FilterAvx2/1/0/1", true);
  PrintFilterRatios(reporter, "AVX2, clustered alpha", "BM_FilterAvx2/1/1/1", false);
  PrintFilterRatios(reporter, "best path, lighten, scattered (goal: 2)", "BM_FilterAuto/1/0/1", false);
  PrintFilterRatios(reporter, "best path, darken, clustered", "BM_FilterAuto/0/1/1", false);
  PrintFilterRatios(reporter, "best path, lighten, clustered", "BM_FilterAuto/1/1/1", false);
  {
    const auto pass = reporter.realTimes.find("BM_FilterAuto/1/0/0/process_time/real_time");
    const auto floor = reporter.realTimes.find(kFloor);
    if (pass != reporter.realTimes.end() && floor != reporter.realTimes.end()) {
      std::printf(" wall time, the plug-in's threads (%d usable processors) / in-place floor on one thread\n",
                  UsableProcessorCount());
      std::printf("  %-44s %8.2f\n", "best path, lighten, scattered (goal: 1.5)", pass->second / floor->second);
      std::printf("TABLE | native: best path, worker threads (wall) | %.2f ms | %.2f x floor |\n", pass->second / 1e6,
                  pass->second / floor->second);
    }
  }
  std::printf(" Little CMS time / ours, Lab to 8-bit RGB (higher is faster)\n");
  PrintRatio(reporter, "PanelLabToRgb with truncation to bytes", "BM_LittleCmsLabToRgbBytes", "BM_LabToRgbBytes");
  PrintRatio(reporter, "LabToRgbBytesRow (goal: 10 or more)", "BM_LittleCmsLabToRgbBytes", "BM_LabToRgbBytesRow");
  std::printf(" palette of %d CIE HSV pixels with gamut check / 0.5 ms budget\n", kPaletteSize);
  for (const char* name : {"BM_PaletteCieHsv", "BM_PaletteCieHsvRow"}) {
    const auto palette = reporter.times.find(name);
    if (palette == reporter.times.end()) continue;
    std::printf("  %-44s %8.2f  (%.0f us)\n", std::strcmp(name, "BM_PaletteCieHsv") == 0 ? "palette, one call per pixel"
                                                                     : "palette, row routines (goal: below 1)",
                palette->second / 500000.0, palette->second / 1000.0);
  }
  const char* const pathNames[] = {"plain", "SSE2", "AVX2", "AVX-512"};
  std::printf(" row routines: the %s path, the widest this processor runs (BM_RowOnPath times each)\n",
              pathNames[static_cast<int>(ChosenRowPath())]);
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
