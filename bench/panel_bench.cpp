// Tintwell benchmarks: building the palette picture, as every drag event on
// the panel does, against a host that does nothing but hand out one image
// (so the figures are the plug-in's own work: unpacking the background,
// the ring, the square, markers and boxes). Goal: a full rebuild of the CIE
// ring bands and square with the gamut warning on, both redrawn, within 0.12 ms; the plain
// per-pixel evaluation (the reference the fast path is tested against) is
// measured beside it. Run with --benchmark_repetitions=5 on a shared machine.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/artwork.h"
#include "core/packed_image.h"
#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "panel/palette_picture.h"
#include "panel/panel_images.h"

namespace {

// A host that serves exactly what BuildPaletteImage asks for.
HostImage gImage{};
std::vector<Pixel> gPixels(kPackedImagePixels);

HostWord TW_CALL Dispatch(PluginContext*, int32_t function, HostWord* pack) {
  switch (function) {
    case kFnAllocImage:
      gImage.Width = static_cast<int32_t>(pack[0]);
      gImage.Height = static_cast<int32_t>(pack[1]);
      gImage.Pixels = gPixels.data();
      return reinterpret_cast<HostWord>(&gImage);
    case kFnUnpackImage:
      UnpackImage(reinterpret_cast<const uint8_t*>(pack[0]), 5u * static_cast<size_t>(pack[2]),
                  reinterpret_cast<Pixel*>(pack[1]), static_cast<int32_t>(pack[2]));
      return 1;
    case kFnSendCommand:  // the A pen, when the markers follow it
      if (pack[1]) std::strcpy(reinterpret_cast<char*>(pack[1]), "200 120 60 0");
      return 1;
    default:
      return 1;
  }
}

PluginContext MakeContext() {
  PluginContext context{};
  context.RedPosition = 2;
  context.GreenPosition = 1;
  context.BluePosition = 0;
  context.AlphaPosition = 3;
  context.HostDispatch = Dispatch;
  return context;
}

// CIE ring and CIE square with the (0-100) gamut warning, as after PI_Open.
void CieGamutState(int32_t ringMode) {
  ResetPluginState();
  GState.PanelRequester = 1;
  GState.ShowPalette = 1;
  GState.CieHsvMode = 1;
  GState.HueRingMode = ringMode;
  GState.GamutMode = kGamutWide;
  GState.FloodBackground = 1;
  GState.ReferenceWhite[0] = 95.147f;
  GState.ReferenceWhite[1] = 100.1f;
  GState.ReferenceWhite[2] = 108.983f;
  GState.CurrentRgb = {200.0f, 120.0f, 60.0f, 255};
  GState.CurrentHsv = {0.95f, 0.6f, 0.6f, 255};
  GState.HueRingHsv = GState.CurrentHsv;
}

// A drag on the hue ring: every event shows a new hue in the square (the
// ring itself stays as it is).
void BM_PaletteRingDrag(benchmark::State& state) {
  PluginContext context = MakeContext();
  CieGamutState(kRingCie);
  GState.DragTarget = kDragHueRing;
  int step = 0;
  for (auto _ : state) {
    GState.CurrentHsv.c0 = 0.1f + static_cast<float>(step++ % 997) / 1000.0f;
    BuildPaletteImage(&context);
    benchmark::DoNotOptimize(gPixels.data());
  }
}
BENCHMARK(BM_PaletteRingDrag)->Unit(benchmark::kMicrosecond);

// A drag on the square with the ring showing the current saturation and
// value: every event redraws the ring's current-colour bands.
void BM_PaletteSquareDrag(benchmark::State& state) {
  PluginContext context = MakeContext();
  CieGamutState(kRingShowsCurrent | kRingCie);
  GState.DragTarget = kDragSquare;
  int step = 0;
  for (auto _ : state) {
    const float t = static_cast<float>(step++ % 997) / 1000.0f;
    GState.CurrentHsv.c1 = t;
    GState.CurrentRgb = {200.0f, 120.0f - 100.0f * t, 60.0f, 255};
    BuildPaletteImage(&context);
    benchmark::DoNotOptimize(gPixels.data());
  }
}
BENCHMARK(BM_PaletteSquareDrag)->Unit(benchmark::kMicrosecond);

// Nothing kept helps: ring bands and square both change on every event.
void BM_PaletteEverythingChanges(benchmark::State& state) {
  PluginContext context = MakeContext();
  CieGamutState(kRingShowsCurrent | kRingCie);
  int step = 0;
  for (auto _ : state) {
    const float t = static_cast<float>(step++ % 997) / 1000.0f;
    GState.CurrentRgb = {200.0f, 120.0f - 100.0f * t, 60.0f + 50.0f * t, 255};
    BuildPaletteImage(&context);
    benchmark::DoNotOptimize(gPixels.data());
  }
}
BENCHMARK(BM_PaletteEverythingChanges)->Unit(benchmark::kMicrosecond);

// Nothing kept at all: every colour of the ring and square worked out anew.
void BM_PaletteFromNothing(benchmark::State& state) {
  PluginContext context = MakeContext();
  CieGamutState(kRingShowsCurrent | kRingCie);
  for (auto _ : state) {
    ForgetPaletteColours();
    BuildPaletteImage(&context);
    benchmark::DoNotOptimize(gPixels.data());
  }
}
BENCHMARK(BM_PaletteFromNothing)->Unit(benchmark::kMicrosecond);

// The straightforward evaluation: every pixel through the single routines.
void BM_PalettePlain(benchmark::State& state) {
  PluginContext context = MakeContext();
  CieGamutState(kRingCie);
  std::vector<Pixel> background(kPackedImagePixels);
  std::vector<Pixel> pixels(kPackedImagePixels);
  UnpackImage(kPaletteBackground.Data, static_cast<size_t>(kPaletteBackground.Size), background.data(),
              kPackedImagePixels);
  PaletteInputs inputs{GState.CurrentHsv, GState.CurrentHsv, 0.95f};
  int step = 0;
  for (auto _ : state) {
    inputs.squareHue = 0.1f + static_cast<float>(step++ % 997) / 1000.0f;
    pixels = background;
    DrawPaletteAreasPlain(&context, pixels.data(), inputs);
    DrawPaletteOverlays(&context, pixels.data(), inputs);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_PalettePlain)->Unit(benchmark::kMicrosecond);

class Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations <= 0) continue;
      const double us = run.GetAdjustedCPUTime() / (run.time_unit == benchmark::kMillisecond ? 0.001 : 1.0);
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") times[run.run_name.str()] = us;
      } else {
        times[run.benchmark_name()] = us;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;  // processor microseconds per rebuild
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nPalette rebuild, processor time per event (goal: 120 us for the CIE ring bands and square with the "
              "gamut warning, both redrawn):\n");
  const struct {
    const char* name;
    const char* what;
  } lines[] = {{"BM_PaletteRingDrag", "hue ring drag (square redrawn)"},
               {"BM_PaletteSquareDrag", "square drag (ring bands redrawn)"},
               {"BM_PaletteEverythingChanges", "ring bands and square both redrawn"},
               {"BM_PaletteFromNothing", "nothing kept (every ring colour too)"},
               {"BM_PalettePlain", "plain per-pixel evaluation"}};
  for (const auto& line : lines) {
    const auto t = reporter.times.find(line.name);
    if (t != reporter.times.end()) std::printf("  %-40s %8.0f us\n", line.what, t->second);
  }
  const auto full = reporter.times.find("BM_PaletteEverythingChanges");
  if (full != reporter.times.end()) {
    std::printf("TABLE | native: full CIE palette rebuild with the gamut warning, ring bands and square (goal 0.12 ms) | "
                "%.3f ms | %.2f x goal |\n", full->second / 1e3, full->second / 120.0);
  }
  const auto nothing = reporter.times.find("BM_PaletteFromNothing");
  if (nothing != reporter.times.end()) {
    std::printf("TABLE | native: CIE palette rebuild with nothing kept (the first one) | %.3f ms | %.2f x 0.12 ms |\n",
                nothing->second / 1e3, nothing->second / 120.0);
  }
  benchmark::Shutdown();
  return 0;
}
