// Tintwell host layer: the host's function numbers, sub-operations and the
// flag values the plug-in passes. These are the host's protocol, shared by the
// call layer and by the stand-in host.
#pragma once

#include <cstdint>

#include "core/abi.h"

// Host function numbers.
constexpr int32_t kFnApplyFilter = 130;
constexpr int32_t kFnMessage = 134;
constexpr int32_t kFnAskInteger = 136;
constexpr int32_t kFnUpdateArea = 138;
constexpr int32_t kFnSendCommand = 139;
constexpr int32_t kFnReadProjectImage = 140;
constexpr int32_t kFnOpenRequester = 228;
constexpr int32_t kFnCloseRequester = 229;
constexpr int32_t kFnRequesterOp = 230;
constexpr int32_t kFnOpenCallbackRequester = 233;
constexpr int32_t kFnStartCanvasEvents = 328;
constexpr int32_t kFnStopCanvasEvents = 329;
constexpr int32_t kFnUnpackImage = 429;
constexpr int32_t kFnPopupMenu = 528;
constexpr int32_t kFnWriteUserString = 728;
constexpr int32_t kFnReadUserString = 729;
constexpr int32_t kFnOpenConfigFile = 738;
constexpr int32_t kFnCloseConfigFile = 739;
constexpr int32_t kFnReadConfigString = 740;
constexpr int32_t kFnWriteConfigString = 741;
constexpr int32_t kFnReadLayerImage = 778;
constexpr int32_t kFnAllocImage = 838;
constexpr int32_t kFnFreeImage = 839;
constexpr int32_t kFnAddShortcut = 948;
constexpr int32_t kFnOpenLocalisation = 1228;
constexpr int32_t kFnCloseLocalisation = 1229;
constexpr int32_t kFnLocalisedString = 1230;
constexpr int32_t kFnOverlayOp = 1688;
constexpr int32_t kFnGetAPenPixel = 1698;

// Sub-operations of kFnRequesterOp (word 0 of the pack).
constexpr int32_t kReqGetPlace = 1;
constexpr int32_t kReqSetTitle = 2;
constexpr int32_t kReqRaise = 3;
constexpr int32_t kReqSetPlace = 6;
constexpr int32_t kReqAddGadget = 10;
constexpr int32_t kReqRemoveGadget = 11;
constexpr int32_t kReqSetGadgetHelp = 13;
constexpr int32_t kReqGetGadgetText = 24;
constexpr int32_t kReqSetGadgetText = 25;
constexpr int32_t kReqSetPointerTracking = 26;
constexpr int32_t kReqSetGadgetImage = 31;
constexpr int32_t kReqSetGadgetState = 35;
constexpr int32_t kReqSavePlace = 44;
constexpr int32_t kReqRestorePlace = 45;
constexpr int32_t kReqShow = 46;

// Sub-operations of kFnOverlayOp (word 0 of the pack).
constexpr int32_t kOverlayRedraw = 0;
constexpr int32_t kOverlayLine = 1;
constexpr int32_t kOverlayDot = 4;
constexpr int32_t kOverlayImage = 5;

// Callback event kinds.
constexpr int32_t kEventOpened = 100;
constexpr int32_t kEventClosing = 101;
constexpr int32_t kEventTextEdited = 106;
constexpr int32_t kEventRefresh = 110;
constexpr int32_t kEventPress = 200;
constexpr int32_t kEventRelease = 201;
constexpr int32_t kEventDrag = 202;
constexpr int32_t kEventPointerMove = 210;
constexpr int32_t kEventArrowStep = 212;
constexpr int32_t kEventColourNotice = 310;

// PI_Msg message kinds.
enum HostMessage : int32_t {
  kMsgGadgetPress = 200,
  kMsgPointerMove = 210,
  kMsgOverlayDraw = 300,
  kMsgRoomChange = 320,
  kMsgCanvasEnd = 1000,
  kMsgCanvasPointer = 1002,
};

// Requester flags.
constexpr int32_t kReqFlagsCanvasWindow = 14;
constexpr int32_t kReqFlagsVectorscope = 8;
constexpr int32_t kReqFlagsPanel = 0x900010;
constexpr int32_t kReqFlagsLabDialog = 16;

// Gadget flags: the bits a host reads from them (the stand-in and desktop
// hosts draw and serve gadgets by these), then the words the plug-in passes.
constexpr int32_t kGadgetFlagButton = 0x1;        // a push button
constexpr int32_t kGadgetFlagSelected = 0x80;     // a toggle shown on
constexpr int32_t kGadgetFlagTextField = 0x800;   // an editable text field
constexpr int32_t kGadgetFlagToggle = 0x40000;    // a toggle button
constexpr int32_t kGadgetFlagArrows = 0x80000;    // a pair of step arrows
constexpr int32_t kGadgetCanvasImage = 512;
constexpr int32_t kGadgetImage = 546;  // 0x222
constexpr int32_t kGadgetNumberField = kGadgetFlagTextField;
constexpr int32_t kGadgetArrows = kGadgetFlagArrows;
constexpr int32_t kGadgetButton = kGadgetFlagButton;
constexpr int32_t kGadgetToggleOff = kGadgetFlagToggle;
constexpr int32_t kGadgetToggleOn = kGadgetFlagToggle | kGadgetFlagSelected;

// Mask passed to HostStartCanvasEvents.
constexpr int32_t kCanvasEventMask = 0x20001;

// Pop-up menu item: thirteen words.
struct MenuItem {
  HostWord Words[13];  // 0 text, 1 id, 2 flags, rest zero
};
constexpr int32_t kMenuSeparator = 0x01;
constexpr int32_t kMenuChecked = 0x08;
constexpr int32_t kMenuCheckable = 0x20;
