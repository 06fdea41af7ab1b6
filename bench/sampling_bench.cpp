// Tintwell benchmarks: reading the canvas. The sample buffer's reload of a
// 3840 x 2160 canvas and one pick-mode event with its ring preview, both run
// against the stand-in host (so the host's own side of each call, copying
// the picture or answering a command, is part of the figure).
#include <benchmark/benchmark.h>

#include <cstring>

#include "colour/panel_models.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "interact/canvas_pick.h"
#include "simhost.h"

namespace {

simhost::HostOptions CanvasOptions(int32_t width, int32_t height) {
  simhost::HostOptions options;
  options.imageWidth = width;
  options.imageHeight = height;
  return options;
}

void PaintPattern(simhost::SimHost& host) {
  const int32_t width = host.Options().imageWidth;
  const int32_t height = host.Options().imageHeight;
  simhost::Layer* layer = host.CurrentLayer();
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      layer->pixels[static_cast<size_t>(y) * width + x] =
          simhost::Rgba{uint8_t(x), uint8_t(y), uint8_t(x ^ y), uint8_t(x % 7 ? 255 : 128)};
    }
  }
}

// state.range(0): 1 the current layer (project image read), 0 the whole
// picture (layer image read after "tv_LayerGetImage").
void BM_LoadSampleBuffer4K(benchmark::State& state) {
  ResetPluginState();
  simhost::SimHost host(simhost::LinkedPluginApi(), CanvasOptions(3840, 2160));
  PaintPattern(host);
  GState.SampleSourceFlags = state.range(0) ? kSampleSingleLayer : 0;
  for (auto _ : state) {
    LoadSampleBuffer(host.Context());
    benchmark::DoNotOptimize(GState.SampleBuffer->Pixels[12345]);
    host.ClearRecords();
  }
  HostFreeImage(host.Context(), GState.SampleBuffer);
  GState.SampleBuffer = nullptr;
  ResetPluginState();
}
BENCHMARK(BM_LoadSampleBuffer4K)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One press-or-drag event of the pick mode (alpha and pixel queries, the
// mix, the A pen with its gradient reload) followed by the ring preview of
// the pixel under the pointer, as a pointer move draws it. state.range(0) 1
// leaves out the A-B gradient reload (256 "tv_RangeGrab" commands) that
// every new A pen brings, by marking the slider as dragged: the rest is the
// event's own share.
void BM_PickEventWithPreview(benchmark::State& state) {
  ResetPluginState();
  simhost::SimHost host(simhost::LinkedPluginApi(), CanvasOptions(640, 480));
  std::strcpy(host.Context()->Name, "Tintwell");
  PaintPattern(host);
  host.Parameters("s");
  GState.PressureSensitivity = 255;
  GState.DragTarget = state.range(0) ? kDragSlider : 0;
  HostWord args[5] = {0, 0, 1, 200, 0};
  int32_t step = 0;
  for (auto _ : state) {
    args[0] = static_cast<HostWord>((100 + step % 300) * 65536 + 12345);
    args[1] = static_cast<HostWord>((50 + step % 200) * 65536);
    CanvasPickEvent(host.Context(), args);
    CanvasPickPreview(host.Context(), SamplePixel(static_cast<int32_t>(args[0]), static_cast<int32_t>(args[1]),
                                                  host.Context()));
    host.ClearRecords();
    ++step;
  }
  host.Parameters("s");
  host.Close();
  ResetPluginState();
}
BENCHMARK(BM_PickEventWithPreview)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
