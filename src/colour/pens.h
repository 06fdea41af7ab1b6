// Tintwell colour: exchanging the A and B pen colours with the host.
//
// Layer: colour/. Plain exchanges: each routine asks or tells the host and
// nothing else. What must follow a pen change (the A-B gradient read again)
// is the current colour's owner's (SendAPen, SendBPen in current_colour.h).
#pragma once

#include "core/abi.h"

Pixel GetAPen(PluginContext* context);
Pixel GetBPen(PluginContext* context);
// Send the pen's stored red, green and blue bytes; alpha is not sent.
void SetAPen(PluginContext* context, Pixel pixel);
void SetBPen(PluginContext* context, Pixel pixel);

// Number of places in the host's A-B colour range.
constexpr int kPenRangeSize = 256;
// Reads the host's A-B colour range, position 255 first, so range[k] holds
// position 255 - k; kPenRangeSize entries.
void ReadPenRange(PluginContext* context, Pixel* range);
