// Tintwell interaction: Smart Fill, the fill inside a freshly drawn line.
//
// The artist draws a freehand line and clicks inside it (the FX-brush watch
// records the click); at the panel's next refresh notice the area is filled
// in one undoable host step, entirely through host commands:
//   take the line back, open an undo group, hide the artist's layer,
//   replay the line on a scratch layer and recolour it into a stencil,
//   flood-fill a second scratch layer at the click inside that stencil,
//   keep the result on the spare page, show the artist's layer again,
//   close the group as "Smart Fill", undo the whole group,
//   bring the spare page's result to the front, leave the freehand line active.
//
// Four numbers come back from the host (image position, current layer, the
// two scratch layer ids). A reply without a number is never used: the run
// stops and puts back what it changed: the artist's layer is shown again,
// the group is closed and taken back when it gathered anything, and the
// line taken back at the start is replayed on the artist's layer, so layers,
// visibility and undo history are as they were before the run.
// Every command goes with a reply buffer; only the four numbers are read.
// Interaction layer; calls host/.
#include "interact/smart_fill.h"

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_commands.h"

namespace {

constexpr char kUndoGroupClose[] = "tv_undoclosestack \"Smart Fill\"";

// Sends a command and reads the leading integer of its reply; false when the
// reply holds none.
bool AskNumber(PluginContext* context, const char* command, int32_t* value) {
  char reply[kReplySize];
  AskHost(context, command, reply);
  return ScanReplyIntegers(reply, value, 1) == 1;
}

// How far the run got, for putting things back when it must stop.
struct FillRun {
  bool layerHidden = false;  // the artist's layer (current) was hidden
  int32_t current = 0;
  bool gathered = false;     // the undo group holds changes
};

// Stops a run whose reply held no number: the artist's layer is shown again,
// the group closed (and undone when it gathered changes), and the line that
// the run took back is replayed where it was.
void AbandonRun(PluginContext* context, const FillRun& run) {
  char reply[kReplySize];
  if (run.layerHidden) SendCommandFormat(context, reply, "tv_LayerDisplay %d on", run.current);
  HostSendCommand(context, kUndoGroupClose, reply);
  if (run.gathered) HostSendCommand(context, "tv_undo", reply);
  HostSendCommand(context, "tv_reapply", reply);
}

// Creates a scratch layer with `create`, shifted to the image being worked
// on and shown there. False (the run abandoned) when the host names no layer.
bool ScratchLayer(PluginContext* context, const char* create, int32_t image, const FillRun& run, int32_t* layer) {
  if (!AskNumber(context, create, layer)) {
    AbandonRun(context, run);
    return false;
  }
  char reply[kReplySize];
  SendCommandFormat(context, reply, "tv_LayerShift %d %d", *layer, image);
  SendCommandFormat(context, reply, "tv_LayerImage %d", image);
  return true;
}

}  // namespace

void SmartFill(PluginContext* context) {
  char reply[kReplySize];
  AskHost(context, "tv_getactiveshape", reply);
  if (!ReplyIs(reply, kFreehandLine)) return;

  HostSendCommand(context, "tv_undo", reply);  // the line just drawn
  HostSendCommand(context, "tv_undoopenstack", reply);
  FillRun run;
  int32_t image = 0;
  if (!AskNumber(context, "tv_LayerGetImage", &image) || !AskNumber(context, "tv_LayerCurrentID", &run.current)) {
    AbandonRun(context, run);
    return;
  }
  SendCommandFormat(context, reply, "tv_LayerDisplay %d off", run.current);
  run.layerHidden = true;
  run.gathered = true;

  // Scratch layer of the line, recoloured into a solid stencil shape.
  int32_t line = 0;
  if (!ScratchLayer(context, "tv_LayerCreate \"deleteme_restroke\"", image, run, &line)) return;
  HostSendCommand(context, "tv_reapply", reply);
  HostSendCommand(context, "tv_pixelmatrix 0 0 0 0 0   0 0 0 0 150   0 0 0 0 255   0 0 0 1 0", reply);
  SendCommandFormat(context, reply, "tv_layerstencil %d on", line);

  // Scratch layer of the fill at the recorded click, kept on the spare page.
  int32_t fill = 0;
  if (!ScratchLayer(context, "tv_LayerCreate \"deleteme_fillresult\"", image, run, &fill)) return;
  SendCommandFormat(context, reply, "tv_fill %d %d", GState.SmartFillPoint[0], GState.SmartFillPoint[1]);
  HostSendCommand(context, "tv_sparecopy", reply);

  // Everything but the spare page is taken back in one step.
  SendCommandFormat(context, reply, "tv_LayerDisplay %d on", run.current);
  HostSendCommand(context, kUndoGroupClose, reply);
  HostSendCommand(context, "tv_undo", reply);
  HostSendCommand(context, "tv_sparetofront", reply);
  HostSendCommand(context, "tv_setActiveShape freehandline", reply);
}
