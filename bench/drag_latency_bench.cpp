// Tintwell benchmarks: the latency an artist feels while dragging on the
// panel (tintwell_drag_bench). One drag event on the SATVAL square, from the panel callback's
// entry to its return, against the stand-in host: the new colour, the A pen
// command (and the A-B gradient reload that follows it), both pictures
// rebuilt and handed to their gadgets. The parts are measured alone beside
// it, so the table shows where the time goes. The stand-in host records
// every call it serves and is written to be read, not to be fast; that
// bookkeeping is part of the figure, which is therefore measured, not held
// to a goal.
//
// The speed goal is the plug-in's own share of an event: the same drag
// against a host that answers every call at once (LeanHost), so the stand-in
// host's command handling and bookkeeping are out of the figure; callgrind counts
// (--count-events, tools/bench.sh) split the instructions the same way
// against the stand-in host itself. The cold start: PI_Open to PI_Close
// with the panel shown, as the host loads the plug-in.
//
// Usage: tintwell_drag_bench [Google Benchmark options]
//        tintwell_drag_bench --count-events=N   runs N drag events (default
//          models) in CountedDragEvents and N cold starts in CountedColdStarts,
//          for valgrind --tool=callgrind --toggle-collect=Counted* (instruction
//          counts repeat exactly on a busy machine).
// Prints the table rows as lines starting "TABLE" (tools/bench.sh gathers them).
#include <benchmark/benchmark.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include <vector>

#include "colour/colour_models.h"
#include "colour/panel_models.h"
#include "colour/current_colour.h"
#include "core/artwork.h"
#include "core/packed_image.h"
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

std::vector<std::vector<HostWord>> DragEvents() {
  std::vector<std::vector<HostWord>> events;
  for (int i = 0; i < 64; ++i) {
    const int32_t x = 91 - 40 + (i * 37) % 81;
    const int32_t y = 92 - 40 + (i * 53) % 81;
    events.push_back({kPaletteGadget, x, y, 1, 200, 0, 0, static_cast<HostWord>(x) << 16,
                      static_cast<HostWord>(y) << 16, 0, 0, 0, 0, 0, 0, 0});
  }
  return events;
}

void SatValDrag(benchmark::State& state, Models models) {
  auto host = OpenPanel(models);
  PluginContext* context = host->Context();
  const RequesterHandle panel = GState.PanelRequester;
  // The pointer wanders over the square so every event is a new colour.
  const auto events = DragEvents();
  size_t i = 0;
  for (auto _ : state) {
    PanelEventHandler(context, kEventDrag, panel, const_cast<HostWord*>(events[i % events.size()].data()));
    if (++i % kRecordDropInterval == 0) {
      state.PauseTiming();
      host->ClearRecords();
      state.ResumeTiming();
    }
  }
  if (host->LiveImageCount() > 8) state.SkipWithError("images pile up");
}

// ---- the plug-in's own share: a host that answers at once

// Serves the drag's host calls with the least work a host can do: command
// replies from a table (the A-B range as the stand-in host would report
// it), images from a pool, the background copied from one unpacking, every
// other call accepted. What a drag event costs against it is the plug-in's
// own work (the dialogue is the same: 257 commands, two images, the
// gadgets).
struct LeanHost {
  std::vector<std::string> rangeReplies;
  std::vector<Pixel> background;
  HostImage images[8] = {};
  std::vector<Pixel> buffers[8];
  size_t next = 0;
  int64_t commands = 0;
};
LeanHost* gLean = nullptr;

HostWord TW_CALL LeanDispatch(PluginContext*, int32_t function, HostWord* pack) {
  LeanHost& lean = *gLean;
  switch (function) {
    case kFnSendCommand: {
      ++lean.commands;
      const char* command = reinterpret_cast<const char*>(pack[0]);
      char* reply = reinterpret_cast<char*>(pack[1]);
      if (!reply) return 1;
      if (std::strncmp(command, "tv_RangeGrab ", 13) == 0) {
        std::strcpy(reply, lean.rangeReplies[static_cast<size_t>(std::atoi(command + 13)) & 255].c_str());
      } else {
        std::strcpy(reply, "180 90 40 255");
      }
      return 1;
    }
    case kFnAllocImage: {
      const size_t slot = lean.next++ % 8;
      HostImage& image = lean.images[slot];
      image.Width = static_cast<int32_t>(pack[0]);
      image.Height = static_cast<int32_t>(pack[1]);
      lean.buffers[slot].resize(static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height));
      image.Pixels = lean.buffers[slot].data();
      return reinterpret_cast<HostWord>(&image);
    }
    case kFnUnpackImage:
      if (static_cast<size_t>(pack[2]) == lean.background.size()) {
        std::memcpy(reinterpret_cast<Pixel*>(pack[1]), lean.background.data(), lean.background.size() * sizeof(Pixel));
      }
      return 1;
    default:
      return 1;
  }
}

// The default models' drag against the answering host: the plug-in's own
// processor time per event.
void SatValDragPluginShare(benchmark::State& state) {
  auto host = OpenPanel({1, 1});
  LeanHost lean;
  for (int position = 0; position < 256; ++position) {
    char text[32];
    std::snprintf(text, sizeof text, "%d %d %d 255", 255 - position, position, 128);
    lean.rangeReplies.push_back(text);
  }
  lean.background.resize(kPackedImagePixels);
  UnpackImage(kPaletteBackground.Data, static_cast<size_t>(kPaletteBackground.Size), lean.background.data(),
              kPackedImagePixels);
  gLean = &lean;
  PluginContext* context = host->Context();
  context->HostDispatch = LeanDispatch;
  const RequesterHandle panel = GState.PanelRequester;
  const auto events = DragEvents();
  size_t i = 0;
  for (auto _ : state) {
    PanelEventHandler(context, kEventDrag, panel, const_cast<HostWord*>(events[i++ % events.size()].data()));
  }
  context->HostDispatch = simhost::SimHost::Dispatch;
  gLean = nullptr;
  // Each event sends the A pen, reloads the range and reads the B pen.
  if (lean.commands < static_cast<int64_t>(i) * 258) state.SkipWithError("the drag did not reach the host");
}

// The cold start's host keeps the colour-scheme file PI_Close writes in its
// memory, not in the working directory.
simhost::HostOptions ColdStartOptions() {
  simhost::HostOptions options;
  options.configFilesInMemory = true;
  return options;
}

// PI_Open to PI_Close as the host loads the plug-in: settings read, the
// gradient table, pens, the colour scheme, the panel opened and drawn, the
// shortcuts; then everything closed and written back.
void ColdStart(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    ResetPluginState();
    auto host = std::make_unique<simhost::SimHost>(simhost::LinkedPluginApi(), ColdStartOptions());
    std::strcpy(host->Context()->Name, "Tintwell");
    state.ResumeTiming();
    if (host->Open() != 1) state.SkipWithError("PI_Open failed");
    host->Close();
    state.PauseTiming();
    host.reset();
    state.ResumeTiming();
  }
}

void SetAPenAlone(benchmark::State& state) {
  auto host = OpenPanel({1, 1});
  size_t i = 0;
  for (auto _ : state) {
    SendAPen(host->Context(), GState.CurrentPixel);  // the pen and the range read after it
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

// ---- instruction counting (see the banner)

__attribute__((noinline)) void CountedDragEvents(PluginContext* context, RequesterHandle panel,
                                                 const std::vector<std::vector<HostWord>>& events, int first,
                                                 int count) {
  for (int i = first; i < first + count; ++i) {
    PanelEventHandler(context, kEventDrag, panel, const_cast<HostWord*>(events[static_cast<size_t>(i) % events.size()].data()));
  }
}

__attribute__((noinline)) void CountedColdStarts(int count) {
  for (int i = 0; i < count; ++i) {
    ResetPluginState();
    simhost::SimHost host(simhost::LinkedPluginApi(), ColdStartOptions());
    std::strcpy(host.Context()->Name, "Tintwell");
    host.Open();
    host.Close();
  }
}

int CountEvents(int count) {
  auto host = OpenPanel({1, 1});
  const auto events = DragEvents();
  // Warm: what the first event works out once (place tables, kept colours).
  CountedDragEvents(host->Context(), GState.PanelRequester, events, 0, 0);
  PanelEventHandler(host->Context(), kEventDrag, GState.PanelRequester, const_cast<HostWord*>(events[0].data()));
  host->ClearRecords();
  // The records dropped between groups of events outside the count, as the
  // timed drag drops them with its timer paused.
  for (int first = 0; first < count; first += kRecordDropInterval) {
    CountedDragEvents(host->Context(), GState.PanelRequester, events, first, std::min(kRecordDropInterval, count - first));
    host->ClearRecords();
  }
  host.reset();
  CountedColdStarts(count);
  std::printf("%d drag events, %d cold starts\n", count, count);
  return 0;
}

class Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations <= 0) continue;
      const bool aggregate = run.run_type == Run::RT_Aggregate;
      if (aggregate && run.aggregate_name != "median") continue;
      const std::string name = aggregate ? run.run_name.str() : run.benchmark_name();
      times[name] = run.GetAdjustedCPUTime();  // microseconds (the unit of every benchmark here)
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

// The default models (CIE palette, plain ring), both CIE, both plain.
BENCHMARK_CAPTURE(SatValDrag, cie_palette_plain_ring, Models{1, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SatValDrag, all_cie, Models{1, 3})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SatValDrag, all_plain, Models{0, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(SatValDragPluginShare)->Unit(benchmark::kMicrosecond);
BENCHMARK(SetAPenAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(PaletteImageAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(SwatchImageAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(ColdStart)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--count-events=", 15) == 0) return CountEvents(std::max(1, std::atoi(argv[i] + 15)));
  }
  benchmark::Initialize(&argc, argv);
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto find = [&](const std::map<std::string, double>& in, const char* name) {
    const auto at = in.find(name);
    return at == in.end() ? -1.0 : at->second;
  };
  const double drag = find(reporter.times, "SatValDrag/cie_palette_plain_ring");
  const double own = find(reporter.times, "SatValDragPluginShare");
  const double cold = find(reporter.times, "ColdStart");
  std::printf("\nSATVAL drag event, default models, processor time: %.0f us against the stand-in host (its side "
              "included); against a host that answers at once (the plug-in's own share): %.0f us (goal 100)\n",
              drag, own);
  if (drag > 0) {
    std::printf("TABLE | native: SATVAL drag event, default models, stand-in host included | %.3f ms | measured |\n",
                drag / 1e3);
  }
  if (own > 0) {
    std::printf("TABLE | native: the drag event's plug-in share, against a host that answers at once (goal 0.1 ms) | "
                "%.3f ms | %.2f x goal |\n",
                own / 1e3, own / 100.0);
  }
  if (cold > 0) {
    std::printf("TABLE | native: cold start, PI_Open + PI_Close, stand-in host included | %.3f ms | measured |\n",
                cold / 1e3);
  }
  benchmark::Shutdown();
  return 0;
}
