// Draw-mode detection: which command form a shape or tool reply leads to,
// and when automatic lighten/darken switches.
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "interact/draw_mode.h"
#include "support/plugin_host.h"

namespace {

using DrawMode = PluginHostTest;

TEST_F(DrawMode, ShapeOrToolDecidesTheCommandForm) {
  struct Case {
    const char* shapeReply;
    const char* toolReply;
    bool fill;
    std::vector<std::string> sent;  // after the queries
  };
  const Case cases[] = {
      {"RectangleFill with more words", "airbrush", true, {"tv_setdrawmode darken"}},
      {"  flood", "airbrush", true, {"tv_setdrawmode darken"}},
      {"freehandline", "airbrush", false, {"airbrush mode darken"}},
      {"rectanglefillx", "pencil power 50", false, {"pencil mode darken"}},
      {"", " oilbrush", false, {"oilbrush mode darken"}},
      // No tool named: nothing to address, so nothing is sent.
      {"freehandline", "", false, {}},
      {"freehandline", "   ", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("shape '") + c.shapeReply + "' tool '" + c.toolReply + "'");
    host->ClearRecords();
    host->activeShape = c.shapeReply;
    host->activeTool = c.toolReply;
    const bool fill = ActiveShapeIsFill(host->Context());
    EXPECT_EQ(c.fill, fill);
    SetPaintDrawMode(host->Context(), fill, kDrawModeDarken);
    std::vector<std::string> sent;
    for (const std::string& command : host->CommandTexts()) {
      if (command != "tv_getActiveShape" && command != "tv_GetActiveTool") sent.push_back(command);
    }
    EXPECT_EQ(c.sent, sent);
  }
}

TEST_F(DrawMode, AutomaticLightenDarkenFollowsTheValue) {
  struct Case {
    int32_t autoOn;
    int32_t lightMode;
    int32_t paintBits;
    float value;
    bool switched;
    const char* command;  // the tool command sent, or nullptr
  };
  const Case cases[] = {
      {1, kLightNative, kPaintCieLighten, 0.6f, true, "airbrush mode lighten"},
      {1, kLightNative, kPaintCieDarken, 0.4f, true, "airbrush mode darken"},
      {1, kLightAdditive, kPaintCieLighten, 0.5f, true, "airbrush mode color"},  // equal: plain colour
      {1, kLightCie, kPaintCieLighten, 0.6f, false, nullptr},
      {0, kLightNative, kPaintCieLighten, 0.6f, false, nullptr},
      {1, kLightNative, 0, 0.6f, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("auto " + std::to_string(c.autoOn) + " light " + std::to_string(c.lightMode) + " bits " +
                 std::to_string(c.paintBits) + " value " + std::to_string(c.value));
    host->ClearRecords();
    GState.AutoLightenDarken = c.autoOn;
    GState.LightMode = c.lightMode;
    GState.PaintModeBits = c.paintBits;
    GState.CurrentHsv.c2 = 0.5f;
    GState.StoredValue = -1.0f;
    // Recording never switches and never reports a switch.
    EXPECT_FALSE(AutoDrawModeCheck(host->Context(), true));
    EXPECT_TRUE(host->CommandTexts().empty());
    EXPECT_EQ(c.switched ? 0.5f : -1.0f, GState.StoredValue);

    GState.CurrentHsv.c2 = c.value;
    EXPECT_EQ(c.switched, AutoDrawModeCheck(host->Context(), false));
    const std::vector<std::string> sent = host->CommandTexts();
    if (c.command) {
      ASSERT_FALSE(sent.empty());
      EXPECT_EQ(c.command, sent.back());
      EXPECT_EQ(0.5f, GState.StoredValue);  // the next refresh notice records anew
    } else {
      EXPECT_TRUE(sent.empty());
    }
  }
}

TEST_F(DrawMode, FollowUpSwitchesOrEndsTheBrushMode) {
  struct Case {
    int32_t modeFlags;
    int32_t autoOn;
    int32_t lightMode;
    std::vector<std::string> commands;
    size_t stops;  // canvas-event stops
  };
  const Case cases[] = {
      {0, 1, kLightNative, {}, 0},
      {kModeBrush, 1, kLightNative, {"tv_getActiveShape", "tv_GetActiveTool", "airbrush mode darken"}, 0},
      {kModeBrush, 1, kLightAdditive, {}, 1},
      {kModeBrush, 0, kLightNative, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("flags " + std::to_string(c.modeFlags) + " auto " + std::to_string(c.autoOn) + " light " +
                 std::to_string(c.lightMode));
    host->ClearRecords();
    GState.ModeFlags = c.modeFlags;
    GState.AutoLightenDarken = c.autoOn;
    GState.LightMode = c.lightMode;
    GState.PaintModeBits = kPaintCieDarken;
    GState.StoredValue = 0.7f;
    GState.CurrentHsv.c2 = 0.2f;
    AutoDrawModeFollowUp(host->Context());
    EXPECT_EQ(c.commands, host->CommandTexts());
    EXPECT_EQ(c.stops, CountCalls(kFnStopCanvasEvents));
  }
}

}  // namespace
