// The real product's filter pass: tintwell.dll loaded through LoadLibrary
// runs PI_Work over a picture of ours, called with the stack at every 4-byte
// offset (the host guarantees no more), split among its worker threads, and
// its threads end at PI_Close so that the library unloads.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <random>
#include <string>
#include <vector>

#include "simhost.h"

namespace {

using WorkEntry = int32_t(TW_CALL*)(PluginContext*);

// Calls the entry with the stack pointer lowered by `shift` bytes first.
int32_t CallWithStackShift(WorkEntry work, PluginContext* context, int32_t shift) {
  int32_t result;
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "subl %[shift], %%esp\n\t"
      "pushl %[context]\n\t"
      "call *%[work]\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(result)
      : [work] "r"(work), [context] "r"(context), [shift] "r"(shift)
      : "esi", "ecx", "edx", "memory", "cc", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7");
  return result;
}

// The host's PI_Work call, with our picture instead of the layer's copy.
WorkEntry gLibraryWork = nullptr;
HostImage* gPicture = nullptr;
int32_t gStackShift = 0;

int32_t TW_CALL WorkOnOurPicture(PluginContext* context) {
  HostImage* const hostImage = context->WorkImage;
  context->WorkImage = gPicture;
  const int32_t result = CallWithStackShift(gLibraryWork, context, gStackShift);
  context->WorkImage = hostImage;
  return result;
}

int32_t ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry;
  entry.dwSize = sizeof entry;
  int32_t count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

// The host's channel order (red 2, green 1, blue 0, alpha 3), premultiplied.
Pixel Bytes(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return b | g << 8 | r << 16 | a << 24; }

class DllFilter : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(simhost::LoadPluginLibrary("tintwell.dll", &api_, &error)) << error;
    gLibraryWork = api_.Work;
    api_.Work = WorkOnOurPicture;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    options_.settingsPath = std::string(base) + "tintwell-dll-filter-" + std::to_string(GetCurrentProcessId()) + ".ini";
    options_.pluginDirectory = base;
  }
  void TearDown() override {
    api_.Work = gLibraryWork;
    simhost::UnloadPluginLibrary(&api_);
    EXPECT_EQ(nullptr, GetModuleHandleA("tintwell.dll")) << "the library stayed loaded";
    DeleteFileA(options_.settingsPath.c_str());
  }

  simhost::PluginApi api_;
  simhost::HostOptions options_;
};

}  // namespace

// With a black A pen the current colour is black: darken turns every pixel
// with any colour into black of its own alpha, lighten changes nothing.
// Scattered transparent and partly transparent pixels (a few with stray
// colour bytes), an odd size, large enough to be shared among threads.
TEST_F(DllFilter, EveryStackOffsetGivesTheRuleBytes) {
  constexpr int32_t kWidth = 613;
  constexpr int32_t kHeight = 433;
  std::vector<Pixel> picture(static_cast<size_t>(kWidth) * kHeight);
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> byte(0, 255);
  for (Pixel& p : picture) {
    const int kind = byte(rng) % 10;
    const uint32_t a = kind == 0 ? 0u : kind == 1 ? 1u + static_cast<uint32_t>(byte(rng)) % 254u : 255u;
    const uint32_t top = a == 0 ? 255u : a;  // transparent pixels may carry stray bytes
    p = Bytes(byte(rng) % (top + 1), byte(rng) % (top + 1), kind == 2 ? 0u : byte(rng) % (top + 1), a);
    if (kind == 3) p = Bytes(0, 0, 0, a);
  }
  std::vector<Pixel> darkened = picture;
  for (Pixel& p : darkened) {
    if ((p >> 24) != 0 && (p & 0xffffffu) != 0) p &= 0xff000000u;
  }

  simhost::SimHost host(api_, options_);
  host.aPen = simhost::Rgba{0, 0, 0, 255};
  ASSERT_EQ(1, host.Open());
  const int32_t threadsBefore = ThreadsOfThisProcess();
  for (int32_t shift = 0; shift < 32; shift += 4) {
    for (const char* direction : {"l", "d"}) {
      std::vector<Pixel> pixels = picture;
      HostImage image{kWidth, kHeight, {2, 1, 0, 3}, pixels.data()};
      gPicture = &image;
      gStackShift = shift;
      EXPECT_EQ(1, host.Parameters(direction));
      gPicture = nullptr;
      const std::vector<Pixel>& expected = direction[0] == 'l' ? picture : darkened;
      size_t wrong = 0;
      for (size_t i = 0; i < pixels.size(); ++i) wrong += pixels[i] != expected[i];
      EXPECT_EQ(0u, wrong) << "shift " << shift << " direction " << direction;
    }
  }
  // The pass was shared among workers kept for the next one (on a machine
  // with more than one processor); PI_Close ends them.
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  GetProcessAffinityMask(GetCurrentProcess(), &process, &system);
  if (process & (process - 1)) {
    EXPECT_GT(ThreadsOfThisProcess(), threadsBefore);
  }
  host.Close();
  EXPECT_EQ(threadsBefore, ThreadsOfThisProcess());
  EXPECT_TRUE(host.Faults().empty()) << host.Faults().front();
}

// A host that unloads the library without PI_Close finds it still loaded
// while its workers wait (their code must not vanish under them); the next
// PI_Close ends them and the library can go. The next session starts clean:
// the panel opens, and nothing of the last session (its panel, canvas
// windows, images, scope) is raised, closed or freed in the new host.
TEST_F(DllFilter, UnloadWithoutCloseKeepsTheWorkersCodeAndTheNextSessionStartsClean) {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  GetProcessAffinityMask(GetCurrentProcess(), &process, &system);
  if (!(process & (process - 1))) GTEST_SKIP() << "one processor: no workers";
  std::vector<Pixel> pixels(640 * 480, Bytes(200, 100, 50, 255));
  HostImage image{640, 480, {2, 1, 0, 3}, pixels.data()};
  {
    simhost::SimHost host(api_, options_);
    host.SetUserSetting("Tintwell", "vscope", "1");
    ASSERT_EQ(1, host.Open());
    gPicture = &image;
    EXPECT_EQ(1, host.Parameters("d"));
    gPicture = nullptr;
    EXPECT_EQ(1, host.Parameters("s"));  // the pick window, its image and the scope window
    EXPECT_EQ(3, host.OpenRequesterCount());
  }
  api_.Work = gLibraryWork;
  simhost::UnloadPluginLibrary(&api_);
  EXPECT_NE(nullptr, GetModuleHandleA("tintwell.dll"));

  std::string error;
  ASSERT_TRUE(simhost::LoadPluginLibrary("tintwell.dll", &api_, &error)) << error;
  gLibraryWork = api_.Work;
  api_.Work = WorkOnOurPicture;
  simhost::SimHost host(api_, options_);
  ASSERT_EQ(1, host.Open());
  EXPECT_EQ(1, host.OpenRequesterCount()) << "the new session's panel";
  EXPECT_TRUE(host.Faults().empty()) << host.Faults().front();
  EXPECT_EQ(1, host.Parameters("s"));
  EXPECT_EQ(1, host.Parameters("s"));
  host.Close();
  EXPECT_EQ(0, host.OpenRequesterCount());
  EXPECT_EQ(0, host.LiveImageCount());
  EXPECT_TRUE(host.Faults().empty()) << host.Faults().front();
}
