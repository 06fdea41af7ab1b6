// Tintwell plug-in frame: the eight exported entry points.
//
// The host calls these on its user-interface thread, one at a time. This
// file only sequences the work; every step lives with the concern it serves
// (requesters/, store/, colour/, panel/, interact/).
#include "plugin/entry_points.h"

#include <cstdlib>
#include <cstring>

#include "colour/current_colour.h"
#include "colour/lighten_darken_filter.h"
#include "core/host_boundary.h"
#include "core/plugin_state.h"
#include "core/version.h"
#include "core/worker_threads.h"
#include "host/host_calls.h"
#include "host/host_images.h"
#include "interact/canvas_modes.h"
#include "interact/command_letters.h"
#include "interact/host_messages.h"
#include "interact/panel_events.h"
#include "interact/pen_actions.h"
#include "panel/about_message.h"
#include "panel/palette_picture.h"
#include "requesters/lab_dialog.h"
#include "requesters/requester_support.h"
#include "requesters/rooms.h"
#include "requesters/vectorscope_window.h"
#include "store/colour_scheme.h"
#include "store/localisation.h"
#include "store/settings.h"
#include "store/shortcuts.h"

namespace {

constexpr int32_t kUserBlockSize = 288;
constexpr int kNameTextLimit = 127;

// A test hook (SetUserBlockAllocator), set between calls into the plug-in;
// the plug-in itself never changes it. It is not part of GState because
// PI_Open puts GState back to its load-time values, and the hook must outlive
// that.
UserBlockAllocator gUserBlockAllocator = std::calloc;

// Copies the plug-in's name into the context's 128-byte field, cut to 127
// bytes of text. Texts may be GBK: a cut never splits a two-byte character,
// which would leave a stray lead byte in the host's title and settings.
void CopyPluginName(char* field, const char* name) {
  const size_t length = GbkPrefixLength(name, kNameTextLimit);
  std::memcpy(field, name, length);
  field[length] = '\0';
}

int32_t OpenSession(PluginContext* context, bool* handedOver);
void CloseSession(PluginContext* context);
int32_t RunCommands(PluginContext* context, const char* command);
int32_t FilterWork(PluginContext* context);
int32_t RouteMessage(PluginContext* context, int32_t kind, HostWord requester, HostWord* args);

}  // namespace

void SetUserBlockAllocator(UserBlockAllocator allocator) {
  gUserBlockAllocator = allocator ? allocator : std::calloc;
}

// Each entry point runs its work through Guarded (core/host_boundary.h): no
// exception reaches the host.

TW_EXPORT int32_t TW_CALL PI_Open(PluginContext* context) {
  // Once the user block is handed over the session runs and the host will
  // close it; before that a failure leaves nothing open.
  bool handedOver = false;  // the user block is the host's: the session runs
  const int32_t opened = Guarded([&] { return OpenSession(context, &handedOver); }, -1);
  return opened >= 0 ? opened : (handedOver ? 1 : 0);
}

TW_EXPORT void TW_CALL PI_Close(PluginContext* context) {
  Guarded([&] { CloseSession(context); return 1; }, 0);
}

TW_EXPORT int32_t TW_CALL PI_About(PluginContext* context) {
  // The host's answer to its message promises nothing; the about box was shown.
  return Guarded(
      [&] {
        ShowAboutMessage(context);
        return 1;
      },
      1);
}

TW_EXPORT int32_t TW_CALL PI_Parameters(PluginContext* context, const char* command) {
  return Guarded([&] { return RunCommands(context, command); }, 1);
}

TW_EXPORT int32_t TW_CALL PI_Start(PluginContext*, int32_t, int32_t, int32_t, int32_t) { return 1; }

TW_EXPORT int32_t TW_CALL PI_Work(PluginContext* context) {
  return Guarded([&] { return FilterWork(context); }, 1);
}

TW_EXPORT void TW_CALL PI_Finish(PluginContext*) {}

TW_EXPORT int32_t TW_CALL PI_Msg(PluginContext* context, int32_t kind, HostWord requester, HostWord* args) {
  return Guarded([&] { return RouteMessage(context, kind, requester, args); }, 1);
}

namespace {

int32_t OpenSession(PluginContext* context, bool* handedOver) {
  // A host may unload the library without PI_Close while the filter's
  // workers keep it loaded, and load it again: what the last session held
  // names windows, images and files of a dialogue that is over. It is
  // dropped without a word to this host, which never gave them out.
  ResetPluginState();
  ReleasePaletteCaches();
  OpenLocalisation(context);

  CopyPluginName(context->Name, LocalisedText(context, texts::kPluginName));

  context->VersionMajor = TINTWELL_VERSION_MAJOR;
  context->VersionMinor = TINTWELL_VERSION_MINOR;

  // Handed to the host, which owns it from here on.
  void* userBlock = gUserBlockAllocator(1, kUserBlockSize);
  if (!userBlock) {
    // Nothing else was opened yet; the localisation file must not stay open.
    CloseLocalisation(context);
    return 0;
  }
  context->UserBlock = userBlock;
  context->UserBlockSize = kUserBlockSize;
  *handedOver = true;

  LoadSettings(context);
  LoadGradientTable(context);
  LoadStoredPens(context);
  InitColourScheme(context);
  PI_Parameters(context, nullptr);
  RefreshPanel(context);
  RegisterShortcuts(context);
  return 1;
}

void CloseSession(PluginContext* context) {
  CloseLocalisation(context);
  // Each handle is cleared before the host is called, so whatever the close
  // delivers back to us finds the window gone.
  if (const RequesterHandle panel = GState.PanelRequester) {
    HostSetPointerTracking(context, panel, 0);
    GState.PanelRequester = 0;
    HostCloseRequester(context, panel);
  }
  if (GState.PickRequester || GState.PickImage) {
    GState.RingLockBits = 0;
    CloseWindowAndImage(context, &GState.PickRequester, &GState.PickImage, true);
  }
  if (GState.BrushRequester || GState.BrushImage) {
    CloseWindowAndImage(context, &GState.BrushRequester, &GState.BrushImage, true);
  }
  // Unless the user closed it already; its picture goes either way.
  CloseScopeWindow(context);
  ReleaseScopePicture(context);
  // Its callback lives in this library, which the host may unload next.
  CloseLabDialog(context);
  // The host may unload without ending the canvas interaction first; the
  // canvas copy would otherwise outlive the plug-in.
  FreeHeldImage(context, &GState.SampleBuffer);
  if (GState.ColourScheme.modified) SaveColourSchemeSlot(context, SchemeSaveMoment::kClosing);
  // The filter's worker threads end here, not at unload: the loader lock
  // held there would stop them from exiting.
  StopWorkerThreads();
  ReleasePaletteCaches();
}

int32_t RunCommands(PluginContext* context, const char* command) {
  if (!command) return ShowPanel(context);
  return RunCommandLetters(context, command);
}

int32_t FilterWork(PluginContext* context) {
  HostImage* image = context->WorkImage;
  CieLightenDarkenFilter(context, image, image, (GState.PaintModeBits & kPaintCieLighten) ? 1 : 0, CurrentColour());
  HostUpdateArea(context, context->WorkArea[0], context->WorkArea[1], context->WorkArea[2], context->WorkArea[3]);
  return 1;
}

int32_t RouteMessage(PluginContext* context, int32_t kind, HostWord requester, HostWord* args) {
  switch (kind) {
    case kMsgGadgetPress:
      PlainGadgetPress(context, args);
      break;
    case kMsgPointerMove:
      SmallWindowPointerMove(context, requester, args);
      break;
    case kMsgOverlayDraw:
      DrawCanvasOverlay(context);
      break;
    case kMsgRoomChange:
      if (args) RoomChange(context, reinterpret_cast<const char*>(args[0]));
      break;
    case kMsgCanvasEnd:
      EndCanvasInteraction(context);
      break;
    case kMsgCanvasPointer:
      CanvasPointerEvent(context, args);
      break;
    default:
      break;
  }
  return 1;
}

}  // namespace
