// Tintwell store: colour schemes of the palette slider and their slot file.
//
// A scheme is up to eight colour points along the value slider; the user
// keeps schemes in numbered slots of one settings file in the host's plug-in
// directory and edits them with presses, drags and releases on the slider.
#pragma once

#include <cstdint>

#include "core/abi.h"

// Buttons word of a panel pointer event.
constexpr int32_t kSchemeButtonLeft = 0x1;
constexpr int32_t kSchemeButtonRight = 0x2;

// PI_Open: initialise the scheme and load slot 0.
void InitColourScheme(PluginContext* context);
// Loads the current slot. A missing file, section or empty slot leaves the
// scheme as it is; an unreadable point shows a message and also leaves it
// as it is. Until a slot is read whole, `fromOtherSlot` keeps it from being saved over.
void LoadColourSchemeSlot(PluginContext* context);
// When a save happens: while the artist works (a slot switch or copy, which
// tries again later) or at closing (the last chance).
enum class SchemeSaveMoment : int32_t { kEditing, kClosing };
// Writes the scheme into the current slot and clears `modified`; points
// that were not read from that slot and are unedited are not written. Each
// write is read back; after any failure the slot still loads as the old
// scheme, the new one, or one with every point of both (where eight keys
// allow). A failure (no file, a write that did not land) is told once until a
// save succeeds, and always at closing; `modified` then stays set; false.
bool SaveColourSchemeSlot(PluginContext* context, SchemeSaveMoment moment = SchemeSaveMoment::kEditing);
// Rebuilds `sorted` and `count` from the used points when `needsSort` is set.
void SortColourScheme();

// What a slider gesture leaves for the panel to redraw: the store knows
// nothing of the pictures, so the caller redraws.
enum class SchemeRedraw : int32_t {
  kNone = 0,
  kSwatch = 1,  // the swatch picture (slider strip) changed
  kPanel = 2,   // the host's A pen changed: refresh the whole panel from it
};

// Pointer events on the slider in palette mode. The panel stores
// GState.ColourScheme.pointerPos (0..1) before each call and redraws as the
// result asks.
SchemeRedraw ColourSchemePress(PluginContext* context, int32_t buttons);
SchemeRedraw ColourSchemeDrag(PluginContext* context);
SchemeRedraw ColourSchemeRelease(PluginContext* context);

// Milliseconds of the process clock, used to time double clicks. Wraps
// around; compare two readings by their difference only.
int32_t ClockMilliseconds();
// Tests: freeze the clock at a given reading, or go back to the real clock.
void SetTestClock(int32_t milliseconds);
void ClearTestClock();
