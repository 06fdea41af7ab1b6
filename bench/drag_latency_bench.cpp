// Tintwell benchmarks: the latency an artist feels while dragging on the
// panel (tintwell_drag_bench). One drag event on the SATVAL square, from the panel callback's
// entry to its return, against the stand-in host: the new colour, the A pen
// command (and the A-B gradient reload that follows it), both pictures
// rebuilt and handed to their gadgets. The parts are measured alone beside
// it, so the table shows where the time goes. The stand-in host records
// every call it serves; that bookkeeping is part of the figure.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "colour/colour_models.h"
#include "colour/pens.h"
#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "interact/panel_events.h"
#include "panel/panel_images.h"
#include "simhost.h"

namespace {

constexpr int32_t kPaletteGadget = 110;
// Events between dropping the host's records (about a thousand commands):
// a host that keeps every call it ever served would measure its own growth.
constexpr int kRecordDropInterval = 4;

struct Models {
  int32_t cieHsv;
  int32_t hueRing;
};

// A host with the panel open (palette, slider and FX-brush row shown) and a
// press on the SATVAL square at its centre.
std::unique_ptr<simhost::SimHost> OpenPanel(const Models& models) {
  ResetPluginState();
  auto host = std::make_unique<simhost::SimHost>(simhost::LinkedPluginApi());
  std::strcpy(host->Context()->Name, "Tintwell");
  GState.ShowPalette = 1;
  GState.ShowFxBrush = 1;
  GState.SliderMode = kSliderLabValue;
  GState.CieHsvMode = models.cieHsv;
  GState.HueRingMode = models.hueRing;
  GState.FloodBackground = 1;
  GState.PressureSensitivity = 0;
  GState.ReferenceWhite[0] = 95.147f;
  GState.ReferenceWhite[1] = 100.1f;
  GState.ReferenceWhite[2] = 108.983f;
  host->aPen = {180, 90, 40, 255};
  host->Parameters(nullptr);
  std::vector<HostWord> press = {kPaletteGadget, 91, 92, 1, 255, 0, 0, 91 << 16, 92 << 16, 0};
  host->SendEvent(GState.PanelRequester, kEventPress, press);
  host->ClearRecords();
  return host;
}

void SatValDrag(benchmark::State& state, Models models) {
  auto host = OpenPanel(models);
  PluginContext* context = host->Context();
  const RequesterHandle panel = GState.PanelRequester;
  // The pointer wanders over the square so every event is a new colour.
  std::vector<std::vector<HostWord>> events;
  for (int i = 0; i < 64; ++i) {
    const int32_t x = 91 - 40 + (i * 37) % 81;
    const int32_t y = 92 - 40 + (i * 53) % 81;
    events.push_back({kPaletteGadget, x, y, 1, 200, 0, 0, static_cast<HostWord>(x) << 16,
                      static_cast<HostWord>(y) << 16, 0, 0, 0, 0, 0, 0, 0});
  }
  size_t i = 0;
  for (auto _ : state) {
    PanelEventHandler(context, kEventDrag, panel, events[i % events.size()].data());
    if (++i % kRecordDropInterval == 0) {
      state.PauseTiming();
      host->ClearRecords();
      state.ResumeTiming();
    }
  }
  if (host->LiveImageCount() > 8) state.SkipWithError("images pile up");
}

void SetAPenAlone(benchmark::State& state) {
  auto host = OpenPanel({1, 1});
  size_t i = 0;
  for (auto _ : state) {
    SetAPen(host->Context(), GState.CurrentPixel);
    if (++i % kRecordDropInterval == 0) {
      state.PauseTiming();
      host->ClearRecords();
      state.ResumeTiming();
    }
  }
}

// As during a square drag: the saturation and value move on every event.
void PaletteImageAlone(benchmark::State& state) {
  auto host = OpenPanel({1, 1});
  GState.DragTarget = kDragSquare;
  size_t i = 0;
  for (auto _ : state) {
    GState.CurrentHsv.c1 = 0.2f + 0.01f * static_cast<float>(i % 64);
    GState.CurrentHsv.c2 = 0.9f - 0.01f * static_cast<float>(i % 64);
    GState.CurrentRgb = PickerHsvToRgb(GState.CurrentHsv);
    BuildPaletteImage(host->Context());
    if (++i % kRecordDropInterval == 0) {
      state.PauseTiming();
      host->ClearRecords();
      state.ResumeTiming();
    }
  }
}

void SwatchImageAlone(benchmark::State& state) {
  auto host = OpenPanel({1, 1});
  size_t i = 0;
  for (auto _ : state) {
    BuildSwatchImage(host->Context());
    if (++i % kRecordDropInterval == 0) {
      state.PauseTiming();
      host->ClearRecords();
      state.ResumeTiming();
    }
  }
}

}  // namespace

// The default models (CIE palette, plain ring), both CIE, both plain.
BENCHMARK_CAPTURE(SatValDrag, cie_palette_plain_ring, Models{1, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SatValDrag, all_cie, Models{1, 3})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SatValDrag, all_plain, Models{0, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(SetAPenAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(PaletteImageAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(SwatchImageAlone)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
