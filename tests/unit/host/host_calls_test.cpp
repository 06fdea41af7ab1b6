// The host call layer and the protocol table it is built from: each case
// states one operation's binary interface (function number, the words in
// order, the pack length); the operation must send exactly that, and the
// table's row must agree with it, so that the stand-in host, which records
// and serves calls by the same table, is checked against the interface too.
#include <gtest/gtest.h>

#include <functional>
#include <type_traits>
#include <string>
#include <vector>

#include "host/host_calls.h"
#include "host/host_commands.h"
#include "host/host_protocol.h"

#include <set>

namespace {

struct Capture {
  int calls = 0;
  int32_t function = 0;
  std::vector<HostWord> pack;
  HostWord result = 0x5a5a;
  int packLength = 16;                       // how many words to copy out
  std::function<void(HostWord*)> answer;     // lets a test fill answer words
};

Capture gCapture;

HostWord TW_CALL CaptureDispatch(PluginContext*, int32_t function, HostWord* pack) {
  ++gCapture.calls;
  gCapture.function = function;
  gCapture.pack.assign(pack, pack + gCapture.packLength);
  if (gCapture.answer) gCapture.answer(pack);
  return gCapture.result;
}

HostWord W(const void* p) { return reinterpret_cast<HostWord>(p); }

const char kText[] = "text";
const char kKey[] = "key";
const char kValue[] = "value";
char gBuffer[256];
int32_t gInt = 7;
Pixel gPixels[4];
HostImage gImage{2, 2, {2, 1, 0, 3}, gPixels};
const MenuItem gMenu[2] = {};
const float kCorners[8] = {-1.5f, -2.5f, 1.5f, -2.5f, 1.5f, 2.5f, -1.5f, 2.5f};

int32_t TW_CALL SomeCallback(PluginContext*, int32_t, HostWord, HostWord*) { return 1; }

struct PackCase {
  const char* name;
  std::function<HostWord(PluginContext*)> call;
  int32_t function;
  std::vector<HostWord> words;  // listed words
  int length;                   // pack length; zeros from words.size() up to it
};

// What a case gives back for an operation that returns nothing.
constexpr HostWord kNoAnswer = -12345;

// The operation's answer, or kNoAnswer where the layer hands none on.
template <typename Operation>
std::function<HostWord(PluginContext*)> Answer(Operation operation) {
  return [operation](PluginContext* c) -> HostWord {
    if constexpr (std::is_void_v<decltype(operation(c))>) {
      operation(c);
      return kNoAnswer;
    } else {
      return operation(c);
    }
  };
}

std::vector<PackCase> PackCases() {
  const HostWord f = FloatWord(1.25f), g = FloatWord(-3.5f);
  return {
      {"ApplyFilter", Answer([](PluginContext* c) { return HostApplyFilter(c); }), 130, {0, 0, 0}, 3},
      {"Message", Answer([](PluginContext* c) { return HostMessage(c, kText); }), 134, {W(kText)}, 1},
      {"AskInteger", Answer([](PluginContext* c) { return HostAskInteger(c, kText, &gInt, 64, 255); }), 136,
       {W(kText), W(&gInt), 64, 255}, 4},
      {"UpdateArea", Answer([](PluginContext* c) { return HostUpdateArea(c, 1, 2, 3, 4); }), 138, {1, 2, 3, 4}, 4},
      {"SendCommand", Answer([](PluginContext* c) { return HostSendCommand(c, kText, gBuffer); }), 139,
       {W(kText), W(gBuffer)}, 2},
      {"SendCommandNoReply", Answer([](PluginContext* c) { return HostSendCommand(c, kText, nullptr); }), 139,
       {W(kText), 0}, 2},
      {"ReadProjectImage", Answer([](PluginContext* c) { return HostReadProjectImage(c, gPixels, 640, 480); }), 140,
       {W(gPixels), 0, 0, 640, 480, 0, 0}, 7},
      {"OpenRequester", Answer([](PluginContext* c) { return HostOpenRequester(c, 185, 185, 10, 20, 8, kText); }), 228,
       {185, 185, 10, 20, 8, W(kText)}, 6},
      {"CloseRequester", Answer([](PluginContext* c) { return HostCloseRequester(c, 77); }), 229, {77}, 1},
      {"OpenCallbackRequester",
       Answer([](PluginContext* c) { return HostOpenCallbackRequester(c, 185, 48, 128, 128, 0x900010, kText, SomeCallback); }),
       233, {185, 48, 128, 128, 0x900010, W(kText), reinterpret_cast<HostWord>(SomeCallback)}, 11},
      {"StartCanvasEvents", Answer([](PluginContext* c) { return HostStartCanvasEvents(c, 0x20001); }), 328, {0x20001, 0, 0}, 3},
      {"StopCanvasEvents", Answer([](PluginContext* c) { return HostStopCanvasEvents(c); }), 329, {0, 0, 0}, 3},
      {"UnpackImage", Answer([](PluginContext* c) { return HostUnpackImage(c, kText, gPixels, 32400); }), 429,
       {W(kText), W(gPixels), 32400}, 3},
      {"PopupMenu", Answer([](PluginContext* c) { return HostPopupMenu(c, gMenu, 1); }), 528, {W(gMenu), 1, 0}, 3},
      {"WriteUserString", Answer([](PluginContext* c) { return HostWriteUserString(c, kText, kKey, kValue); }), 728,
       {W(kText), W(kKey), W(kValue)}, 5},
      {"ReadUserString", Answer([](PluginContext* c) { return HostReadUserString(c, kText, kKey, gBuffer, kValue, 255); }),
       729, {W(kText), W(kKey), W(gBuffer), W(kValue), 255}, 5},
      {"OpenConfigFile", Answer([](PluginContext* c) { return HostOpenConfigFile(c, kText); }), 738, {W(kText), 0}, 6},
      {"CloseConfigFile", Answer([](PluginContext* c) { return HostCloseConfigFile(c, 99); }), 739, {99, 0}, 6},
      {"ReadConfigString",
       Answer([](PluginContext* c) { return HostReadConfigString(c, 99, kText, kKey, gBuffer, kValue, 256); }), 740,
       {99, W(kText), W(kKey), W(gBuffer), W(kValue), 256}, 8},
      {"WriteConfigString", Answer([](PluginContext* c) { return HostWriteConfigString(c, 99, kText, kKey, kValue); }), 741,
       {99, W(kText), W(kKey), W(kValue)}, 9},
      {"ReadLayerImage", Answer([](PluginContext* c) { return HostReadLayerImage(c, gPixels, 16, 5); }), 778,
       {W(gPixels), 16, 5, 1}, 5},
      {"AllocImage", Answer([](PluginContext* c) { return W(HostAllocImage(c, 49, 49)); }), 838, {49, 49, 0}, 8},
      {"FreeImage", Answer([](PluginContext* c) { return HostFreeImage(c, &gImage); }), 839, {W(&gImage)}, 8},
      {"AddShortcut", Answer([](PluginContext* c) { return HostAddShortcut(c, kText, kKey); }), 948, {W(kText), W(kKey)}, 6},
      {"OpenLocalisation", Answer([](PluginContext* c) { return HostOpenLocalisation(c, kText); }), 1228, {W(kText), 0}, 8},
      {"CloseLocalisation", Answer([](PluginContext* c) { return HostCloseLocalisation(c, 42); }), 1229, {42}, 8},
      {"LocalisedString", Answer([](PluginContext* c) { return W(HostLocalisedString(c, 42, 10000)); }), 1230, {42, 10000}, 8},
      {"GetAPenPixel", Answer([](PluginContext* c) { return HostGetAPenPixel(c, gPixels); }), 1698, {W(gPixels)}, 8},
      {"SetRequesterTitle", Answer([](PluginContext* c) { return HostSetRequesterTitle(c, 77, kText); }), 230,
       {2, 77, W(kText)}, 6},
      {"RaiseRequester", Answer([](PluginContext* c) { return HostRaiseRequester(c, 77); }), 230, {3, 77}, 2},
      {"SetRequesterPlace", Answer([](PluginContext* c) { return HostSetRequesterPlace(c, 77, 1, 2, 185, 289); }), 230,
       {6, 77, 1, 2, 185, 289}, 7},
      {"AddGadget", Answer([](PluginContext* c) { return HostAddGadget(c, 77, -2, -2, 50, 50, 120, 512, kText); }), 230,
       {10, 77, -2, -2, 50, 50, 120, 512, W(kText)}, 9},
      {"RemoveGadget", Answer([](PluginContext* c) { return HostRemoveGadget(c, 77, 110); }), 230, {11, 77, 110}, 3},
      {"SetGadgetHelp", Answer([](PluginContext* c) { return HostSetGadgetHelp(c, 77, 100, kText); }), 230,
       {13, 77, 100, W(kText)}, 4},
      {"GetGadgetText", Answer([](PluginContext* c) { return HostGetGadgetText(c, 77, 5, gBuffer, 16); }), 230,
       {24, 77, 5, W(gBuffer), 16}, 5},
      {"SetGadgetText", Answer([](PluginContext* c) { return HostSetGadgetText(c, 77, 5, kText); }), 230,
       {25, 77, 5, W(kText)}, 5},
      {"SetPointerTracking", Answer([](PluginContext* c) { return HostSetPointerTracking(c, 77, 1); }), 230, {26, 77, 1}, 5},
      {"SetGadgetImage", Answer([](PluginContext* c) { return HostSetGadgetImage(c, 77, 130, &gImage); }), 230,
       {31, 77, 130, W(&gImage), 0}, 11},
      {"SetGadgetState", Answer([](PluginContext* c) { return HostSetGadgetState(c, 77, 151, 0x40080); }), 230,
       {35, 77, 151, 0x40080}, 5},
      {"SaveRequesterPlace", Answer([](PluginContext* c) { return HostSaveRequesterPlace(c, 77, kText, kKey); }), 230,
       {44, 77, W(kText), W(kKey)}, 6},
      {"RestoreRequesterPlace", Answer([](PluginContext* c) { return HostRestoreRequesterPlace(c, 77, kText, kKey); }), 230,
       {45, 77, W(kText), W(kKey)}, 6},
      {"ShowRequester", Answer([](PluginContext* c) { return HostShowRequester(c, 77); }), 230, {46, 77, 1}, 6},
      {"OverlayRedraw", Answer([](PluginContext* c) { return HostOverlayRedraw(c); }), 1688, {0}, 8},
      {"OverlayLine", Answer([](PluginContext* c) { return HostOverlayLine(c, 1.25f, -3.5f, 1.25f, -3.5f, 0xff00ff00u); }),
       1688, {1, f, g, f, g, static_cast<HostWord>(0xff00ff00u)}, 8},
      {"OverlayDot", Answer([](PluginContext* c) { return HostOverlayDot(c, 1.25f, -3.5f, 2, 0x01020304u); }), 1688,
       {4, f, g, 2, 0x01020304, 0}, 9},
      {"OverlayImage", Answer([](PluginContext* c) { return HostOverlayImage(c, 1.25f, -3.5f, kCorners, &gImage); }), 1688,
       {5, f, g, FloatWord(-1.5f), FloatWord(-2.5f), FloatWord(1.5f), FloatWord(-2.5f), FloatWord(1.5f),
        FloatWord(2.5f), FloatWord(-1.5f), FloatWord(2.5f), W(&gImage)},
       12},
  };
}

class HostCallLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    gCapture = Capture{};
    context_.HostDispatch = CaptureDispatch;
    context_.RedPosition = 2;
    context_.GreenPosition = 1;
    context_.BluePosition = 0;
    context_.AlphaPosition = 3;
  }
  PluginContext context_{};
};

}  // namespace

// Which words of a case are texts and which are other pointers, by value.
bool IsText(HostWord w) { return w == W(kText) || w == W(kKey) || w == W(kValue); }
bool IsPointer(HostWord w) {
  return w == W(gBuffer) || w == W(&gInt) || w == W(gPixels) || w == W(&gImage) || w == W(gMenu) ||
         w == reinterpret_cast<HostWord>(SomeCallback);
}

TEST_F(HostCallLayer, EveryOperationWritesItsPackThenZerosAndReturnsTheHostsWord) {
  std::set<const HostCallShape*> covered = {FindHostCall(kFnRequesterOp, kReqGetPlace)};  // tested below
  for (const PackCase& c : PackCases()) {
    const std::string name = std::string("Host") + c.name;
    const HostCallShape* shape = nullptr;
    for (const HostCallShape& row : kHostCalls) {
      if (name.rfind(row.name, 0) == 0) shape = &row;  // "SendCommandNoReply" is a SendCommand case
    }
    ASSERT_NE(nullptr, shape) << name << " has no row in the protocol table";
    covered.insert(shape);
    EXPECT_EQ(c.function, shape->function) << name;
    EXPECT_EQ(c.length, shape->packLength) << name;
    EXPECT_EQ(HasSubOperation(c.function) ? c.words[0] : kNoSubOperation, shape->subOperation) << name;
    for (size_t i = 0; i < c.words.size(); ++i) {
      // A text word in the case is a text in the table, a pointer a pointer
      // or null (the unpacker's packed source is passed as a text here).
      const bool text = (shape->textWords >> i) & 1, pointer = (shape->pointerWords >> i) & 1;
      const HostWord w = c.words[i];
      EXPECT_TRUE(!IsText(w) || text || pointer) << name << " word " << i;
      EXPECT_TRUE(!text || IsText(w)) << name << " word " << i;
      EXPECT_TRUE(!pointer || !w || IsPointer(w) || IsText(w)) << name << " word " << i;
    }
    gCapture = Capture{};
    // The host may read every word up to the pack length, so all of them
    // are checked.
    gCapture.packLength = c.length;
    const HostWord result = c.call(&context_);
    ASSERT_EQ(1, gCapture.calls) << c.name;
    EXPECT_EQ(c.function, gCapture.function) << c.name;
    // Only an answer the protocol gives a meaning is handed on.
    EXPECT_EQ(shape->resultUsed ? 0x5a5a : kNoAnswer, result) << c.name;
    ASSERT_LE(static_cast<int>(c.words.size()), c.length) << c.name;
    for (int i = 0; i < c.length; ++i) {
      const HostWord expected = i < static_cast<int>(c.words.size()) ? c.words[i] : 0;
      EXPECT_EQ(expected, gCapture.pack[i]) << c.name << " word " << i;
    }
  }
  EXPECT_EQ(std::size(kHostCalls), covered.size()) << "a row of the protocol table has no case";
}

TEST_F(HostCallLayer, GetRequesterPlaceCopiesAnswerWordsOnlyOnSuccess) {
  gCapture.packLength = 6;
  gCapture.answer = [](HostWord* pack) {
    pack[2] = 11;
    pack[3] = 22;
    pack[4] = 185;
    pack[5] = 289;
  };
  int32_t x = -1, y = -1, w = -1, h = -1;
  EXPECT_EQ(0x5a5a, HostGetRequesterPlace(&context_, 77, &x, nullptr, &w, nullptr));
  EXPECT_EQ((std::vector<HostWord>{1, 77, 0, 0, 0, 0}), gCapture.pack);  // as sent
  EXPECT_EQ(11, x);
  EXPECT_EQ(-1, y);
  EXPECT_EQ(185, w);
  EXPECT_EQ(-1, h);

  gCapture.result = 0;
  x = y = w = h = -1;
  EXPECT_EQ(0, HostGetRequesterPlace(&context_, 77, &x, &y, &w, &h));
  EXPECT_EQ(-1, x);
  EXPECT_EQ(-1, y);
  EXPECT_EQ(-1, w);
  EXPECT_EQ(-1, h);
}

TEST_F(HostCallLayer, MakePixelPlacesEachByteAtItsContextPosition) {
  struct Layout {
    int8_t r, g, b, a;
    Pixel expected;
  };
  const Layout layouts[] = {
      {2, 1, 0, 3, 0x44112233u},  // BGRA in memory
      {0, 1, 2, 3, 0x44332211u},  // RGBA
      {3, 2, 1, 0, 0x11223344u},  // ABGR
      {1, 2, 3, 0, 0x33221144u},
  };
  for (const Layout& l : layouts) {
    context_.RedPosition = l.r;
    context_.GreenPosition = l.g;
    context_.BluePosition = l.b;
    context_.AlphaPosition = l.a;
    const Pixel p = MakePixel(&context_, 0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(l.expected, p) << int(l.r) << int(l.g) << int(l.b) << int(l.a);
    EXPECT_EQ(0x11, PixelRed(&context_, p));
    EXPECT_EQ(0x22, PixelGreen(&context_, p));
    EXPECT_EQ(0x33, PixelBlue(&context_, p));
    EXPECT_EQ(0x44, PixelAlpha(&context_, p));
  }
  EXPECT_EQ(0, gCapture.calls);  // no host function behind MakePixel
}

TEST(ReplyScanning, ReadsLeadingIntegersAndZerosTheRest) {
  struct Case {
    const char* reply;
    int read;
    int32_t values[4];
  };
  const Case cases[] = {
      {"12 34 56 78", 4, {12, 34, 56, 78}},
      {"12 34", 2, {12, 34, 0, 0}},
      {"", 0, {0, 0, 0, 0}},
      {"  -5 +7 x 9", 2, {-5, 7, 0, 0}},
      {"255 0 0 255 extra words", 4, {255, 0, 0, 255}},
      {"abc", 0, {0, 0, 0, 0}},
      {"99999999999 -99999999999", 2, {2147483647, -2147483647 - 1, 0, 0}},
  };
  for (const Case& c : cases) {
    int32_t values[4] = {-1, -1, -1, -1};
    EXPECT_EQ(c.read, ScanReplyIntegers(c.reply, values, 4)) << c.reply;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.values[i], values[i]) << c.reply << " #" << i;
  }
  int32_t values[2] = {5, 5};
  EXPECT_EQ(0, ScanReplyIntegers(nullptr, values, 2));
  EXPECT_EQ(0, values[0]);
}

TEST_F(HostCallLayer, FormattedCommandsAreCutRatherThanOverrun) {
  gCapture.packLength = 2;
  std::string longName(3000, 'n');
  std::string sent;
  gCapture.answer = [&sent](HostWord* pack) { sent = reinterpret_cast<const char*>(pack[0]); };
  SendCommandFormat(&context_, nullptr, "tv_SetAPen %d %d %d", 200, 100, 0);
  EXPECT_EQ("tv_SetAPen 200 100 0", sent);
  SendCommandFormat(&context_, nullptr, "tv_LayerCreate \"%s\"", longName.c_str());
  EXPECT_EQ(1023u, sent.size());
}
