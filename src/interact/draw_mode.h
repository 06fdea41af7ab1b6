// Tintwell interaction: following a colour change with the host's draw mode.
#pragma once

#include "core/abi.h"

// True when the host's active shape is a filled shape (its draw mode then
// follows "tv_setdrawmode"; tools take "<tool> mode <word>").
bool ActiveShapeIsFill(PluginContext* context);
// Sets the draw mode word for the active shape (isFill) or the active tool.
void SetPaintDrawMode(PluginContext* context, bool isFill, const char* word);
bool AutoDrawModeCheck(PluginContext* context, bool record);
void AutoDrawModeFollowUp(PluginContext* context);
