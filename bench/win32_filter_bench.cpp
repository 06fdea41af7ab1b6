// Tintwell benchmarks: the product's filter pass, as the host runs it.
//
// Loads tintwell.dll through LoadLibrary into the stand-in host, and times
// the DLL's own PI_Work (called by HostApplyFilter through the "d" command)
// over the 3840x2160 benchmark picture against the in-place floor, in the
// same run, repetitions interleaved, medians reported:
// - one thread: the process runs on one processor, so the DLL keeps the
//   pass on its calling thread; processor time of that thread;
// - the DLL's worker threads: the process may use every processor; wall
//   time, against the floor's wall time. On a shared machine the wall time
//   follows the load, so the longer of the threads' processor times (with
//   two processors: the calling thread's and the rest of the process's) is
//   shown as well: the wall time the pass would take with both processors
//   free.
// Under wine, Windows' thread times tick in 10 ms steps, so processor time
// is read from the Linux thread clock through the kernel's 32-bit system
// call; on Windows itself the wall clock stands in for it.
//
// Usage: tintwell_win32_bench [repetitions]   (from the directory of tintwell.dll)
// Prints the table rows as lines starting "TABLE" (tools/bench.sh gathers them).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_picture.h"
#include "simhost.h"

namespace {

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

double WallMs() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Processor time in milliseconds (see the banner) of the calling thread, or
// of the whole process.
constexpr int32_t kProcessClock = 2;  // CLOCK_PROCESS_CPUTIME_ID
constexpr int32_t kThreadClock = 3;   // CLOCK_THREAD_CPUTIME_ID
double ProcessorMs(int32_t clock) {
  static const bool wine = UnderWine();
  if (!wine) return WallMs();
  struct {
    int32_t seconds;
    int32_t nanoseconds;
  } time = {0, 0};
  int32_t result;
  constexpr int32_t kClockGettime = 265;  // i386 system call number
  asm volatile("int $0x80" : "=a"(result) : "a"(kClockGettime), "b"(clock), "c"(&time) : "memory");
  return result == 0 ? time.seconds * 1e3 + time.nanoseconds * 1e-6 : WallMs();
}
double ThreadMs() { return ProcessorMs(kThreadClock); }

// The host's PI_Work call, handed our picture instead of the layer's copy,
// and timed.
int32_t(TW_CALL* gLibraryWork)(PluginContext*) = nullptr;
HostImage* gPicture = nullptr;
double gWorkThreadMs = 0;
double gWorkProcessMs = 0;
double gWorkWallMs = 0;

int32_t TW_CALL TimedWork(PluginContext* context) {
  HostImage* const hostImage = context->WorkImage;
  context->WorkImage = gPicture;
  const double process0 = ProcessorMs(kProcessClock);
  const double thread0 = ThreadMs();
  const double wall0 = WallMs();
  const int32_t result = gLibraryWork(context);
  gWorkWallMs = WallMs() - wall0;
  gWorkThreadMs = ThreadMs() - thread0;
  gWorkProcessMs = ProcessorMs(kProcessClock) - process0;
  context->WorkImage = hostImage;
  return result;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  simhost::PluginApi api;
  std::string error;
  if (!simhost::LoadPluginLibrary("tintwell.dll", &api, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  gLibraryWork = api.Work;
  api.Work = TimedWork;

  char temporary[MAX_PATH];
  GetTempPathA(MAX_PATH, temporary);
  simhost::HostOptions options;
  options.settingsPath = std::string(temporary) + "tintwell-bench-" + std::to_string(GetCurrentProcessId()) + ".ini";
  options.pluginDirectory = temporary;
  simhost::SimHost host(api, options);
  if (host.Open() != 1) {
    std::fprintf(stderr, "PI_Open failed\n");
    return 1;
  }

  DWORD_PTR processMask = 0;
  DWORD_PTR systemMask = 0;
  GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask);
  const DWORD_PTR oneProcessor = processMask & (~processMask + 1);
  int processors = 0;
  for (DWORD_PTR m = processMask; m; m &= m - 1) ++processors;

  const std::vector<Pixel> picture = benchpicture::MakePicture(false);
  std::vector<Pixel> pixels = picture;
  HostImage image{benchpicture::kWidth, benchpicture::kHeight, {2, 1, 0, 3}, pixels.data()};
  const auto restore = [&] { std::memcpy(pixels.data(), picture.data(), picture.size() * sizeof(Pixel)); };

  // Two blocks, each interleaving the floor with the pass it measures; the
  // affinity changes only between them (each change moves the thread).
  std::vector<double> floorThread, workThread, workWall, floorWall, threadedWall, threadedCaller, threadedPath;
  gPicture = &image;
  SetProcessAffinityMask(GetCurrentProcess(), oneProcessor);
  for (int rep = 0; rep < repetitions; ++rep) {
    restore();
    const double thread0 = ThreadMs();
    benchpicture::InPlaceFloor(pixels.data(), pixels.size());
    floorThread.push_back(ThreadMs() - thread0);
    restore();
    host.Parameters("d");
    workThread.push_back(gWorkThreadMs);
    workWall.push_back(gWorkWallMs);
  }
  SetProcessAffinityMask(GetCurrentProcess(), processMask);
  for (int rep = 0; rep < repetitions; ++rep) {
    restore();
    const double wall0 = WallMs();
    benchpicture::InPlaceFloor(pixels.data(), pixels.size());
    floorWall.push_back(WallMs() - wall0);
    restore();
    host.Parameters("d");
    threadedWall.push_back(gWorkWallMs);
    threadedCaller.push_back(gWorkThreadMs);
    // The longer of the two shares: the wall time if each thread had a
    // processor of its own throughout (exact for two threads).
    threadedPath.push_back(std::max(gWorkThreadMs, gWorkProcessMs - gWorkThreadMs));
  }
  gPicture = nullptr;
  host.Close();
  simhost::UnloadPluginLibrary(&api);
  DeleteFileA(options.settingsPath.c_str());

  const auto fastest = [](const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
  };
  const double floorMs = Median(floorThread);
  const double workMs = Median(workThread);
  const double floorWallMs = Median(floorWall);
  const double threadedMs = Median(threadedWall);
  std::printf("Win32 DLL under %s, %d repetitions, %d usable processors, medians\n",
              UnderWine() ? "wine (processor time from the Linux thread clock)" : "Windows (wall time)", repetitions,
              processors);
  std::printf("  one thread:     floor %6.2f ms, PI_Work %6.2f ms processor: %5.2f x floor (goal: 1.8)\n", floorMs,
              workMs, workMs / floorMs);
  std::printf("  worker threads: floor %6.2f ms, PI_Work %6.2f ms wall:      %5.2f x floor (follows the load)\n",
              floorWallMs, threadedMs, threadedMs / floorWallMs);
  std::printf("  worker threads: %.2f ms processor on the calling thread; fastest runs (wall): floor %.2f ms, "
              "PI_Work %.2f ms on one thread, %.2f ms on the workers\n",
              Median(threadedCaller), fastest(floorWall), fastest(workWall), fastest(threadedWall));
  if (UnderWine() && processors == 2) {
    std::printf("  worker threads, the longer thread's processor time (the wall time with two free processors): "
                "%.2f ms, %.2f x the one-thread floor\n",
                Median(threadedPath), Median(threadedPath) / floorMs);
  }
  std::printf("TABLE | Win32 DLL: in-place floor, one thread | %.2f ms | 1.00 x floor |\n", floorMs);
  std::printf("TABLE | Win32 DLL: PI_Work, one thread (goal 1.8 x floor) | %.2f ms | %.2f x floor |\n", workMs,
              workMs / floorMs);
  std::printf("TABLE | Win32 DLL: PI_Work, worker threads, wall (follows the load) | %.2f ms | %.2f x floor |\n",
              threadedMs, threadedMs / floorWallMs);
  if (UnderWine() && processors == 2) {
    std::printf("TABLE | Win32 DLL: PI_Work, worker threads, longer thread's processor time (goal 1.0 x floor) | "
                "%.2f ms | %.2f x floor |\n",
                Median(threadedPath), Median(threadedPath) / floorMs);
  }
  return 0;
}
