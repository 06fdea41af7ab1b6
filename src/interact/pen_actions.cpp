// Tintwell interaction: the actions on the host's pens that redraw the panel.
// Interaction layer; calls colour/ (the current colour's owner) and panel/.
#include "interact/pen_actions.h"

#include "colour/current_colour.h"
#include "colour/pens.h"
#include "core/plugin_state.h"
#include "panel/panel_images.h"

void RefreshPanel(PluginContext* context) {
  TakeAPenAsCurrent(context);
  BuildSwatchImage(context);
  BuildPaletteImage(context);
}

void SwapPens(PluginContext* context) {
  const Pixel aPen = GetAPen(context);
  const Pixel bPen = GetBPen(context);
  SendBPen(context, aPen);
  SendAPen(context, bPen);
  TakeCurrentFromPixel(context, bPen);
  // The ring starts from the new colour's picker coordinates; which model
  // they are held in is the caller's to name (the swap corner names it).
  SetRingColour(GState.CurrentHsv, GState.HueRingCie != 0);
  GState.LastAPen = bPen;
  GState.LastBPen = aPen;
  BuildSwatchImage(context);
  BuildPaletteImage(context);
}
