// Tintwell interaction: the host's active shape or tool, and its draw mode.
//
// A filled shape takes the global draw-mode command ("tv_setdrawmode ..."),
// a tool takes "<tool> mode <word>" made from the tool name the host reports.
// On top of that, automatic lighten/darken: the draw mode follows whether the
// newly picked colour is lighter or darker than the one recorded before, so
// painting over existing colour only lightens or only darkens it.
#pragma once

#include "core/abi.h"

// Draw-mode words.
constexpr const char kDrawModeLighten[] = "lighten";
constexpr const char kDrawModeDarken[] = "darken";
constexpr const char kDrawModeColor[] = "color";
constexpr const char kDrawModeAdd[] = "add";
constexpr const char kDrawModeColorize[] = "colorize";
constexpr const char kDrawModeMerge[] = "merge";

// True when the host's active shape (first word of its reply, any letter
// case) is one of the filled shapes.
bool ActiveShapeIsFill(PluginContext* context);

// Sets the draw mode `word` for a filled shape ("tv_setdrawmode <word>") or
// for the active tool ("<tool> mode <word>"). When the host names no tool,
// nothing is sent: a command without its tool name would be malformed.
void SetPaintDrawMode(PluginContext* context, bool isFill, const char* word);

// Automatic lighten/darken. With record, stores the current value as the
// starting point and returns false; otherwise sends "lighten", "darken" or
// "color" by comparing the current value with it and returns true. Does
// nothing (false) unless the feature is on with a native or additive
// lighten/darken variant chosen.
bool AutoDrawModeCheck(PluginContext* context, bool record);

// End of a brush-mode stroke and the "R"/"S" commands: in brush mode, either
// follows the colour change with the draw mode or ends the canvas events.
void AutoDrawModeFollowUp(PluginContext* context);
