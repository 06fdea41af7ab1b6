// Tintwell host layer: the host protocol as one table. Every host function
// and sub-operation the plug-in calls has one row: its number, its name, the
// pack length up to which zeros are written, and which words are texts,
// other pointers and floats, and what the host gives back. The plug-in's
// call layer builds its packs from it; the stand-in host records, prints and
// checks calls by it; the desktop host reads overlay shapes by it.
#pragma once

#include <cstdint>

#include "host/host_functions.h"

constexpr int32_t kNoSubOperation = -1;  // the function carries no sub-operation in word 0

struct HostCallShape {
  int32_t function;      // host function number
  int32_t subOperation;  // word 0 of the pack for kFnRequesterOp / kFnOverlayOp, else kNoSubOperation
  const char* name;      // the operation's name in the call layer
  int32_t packLength;    // words written (listed, then zeros) and read by the host
  uint32_t textWords;    // bit i: word i is a NUL-terminated text
  uint32_t pointerWords; // bit i: word i is a pointer other than a text
  uint32_t floatWords;   // bit i: word i is an IEEE single
  uint32_t answerWords;  // bit i: the host writes word i back as an answer
  bool pointerResult;    // the result is a pointer (image or text) rather than a number
  bool textReply;        // the host answers with a text in a buffer the pack points at (always recorded)
  bool resultUsed;       // the result means something (a handle, a pointer, a choice, success); otherwise
                         // the host promises nothing there and the call layer returns nothing
};

// clang-format off
inline constexpr HostCallShape kHostCalls[] = {
  // function                  sub                     name                          len text   ptr    float  answer ptrRes reply  used
  {kFnApplyFilter,             kNoSubOperation,        "HostApplyFilter",            3,  0,     0,     0,     0,     false, false, false},
  {kFnMessage,                 kNoSubOperation,        "HostMessage",                1,  0x1,   0,     0,     0,     false, false, false},
  {kFnAskInteger,              kNoSubOperation,        "HostAskInteger",             4,  0x1,   0x2,   0,     0,     false, false, false},
  {kFnUpdateArea,              kNoSubOperation,        "HostUpdateArea",             4,  0,     0,     0,     0,     false, false, false},
  {kFnSendCommand,             kNoSubOperation,        "HostSendCommand",            2,  0x1,   0x2,   0,     0,     false, true, false},
  {kFnReadProjectImage,        kNoSubOperation,        "HostReadProjectImage",       7,  0,     0x1,   0,     0,     false, false, false},
  {kFnOpenRequester,           kNoSubOperation,        "HostOpenRequester",          6,  0x20,  0,     0,     0,     false, false, true},
  {kFnCloseRequester,          kNoSubOperation,        "HostCloseRequester",         1,  0,     0,     0,     0,     false, false, false},
  {kFnOpenCallbackRequester,   kNoSubOperation,        "HostOpenCallbackRequester",  11, 0x20,  0x40,  0,     0,     false, false, true},
  {kFnStartCanvasEvents,       kNoSubOperation,        "HostStartCanvasEvents",      3,  0,     0,     0,     0,     false, false, false},
  {kFnStopCanvasEvents,        kNoSubOperation,        "HostStopCanvasEvents",       3,  0,     0,     0,     0,     false, false, false},
  {kFnUnpackImage,             kNoSubOperation,        "HostUnpackImage",            3,  0,     0x3,   0,     0,     false, false, false},
  {kFnPopupMenu,               kNoSubOperation,        "HostPopupMenu",              3,  0,     0x1,   0,     0,     false, false, true},
  {kFnWriteUserString,         kNoSubOperation,        "HostWriteUserString",        5,  0x7,   0,     0,     0,     false, false, false},
  {kFnReadUserString,          kNoSubOperation,        "HostReadUserString",         5,  0xB,   0x4,   0,     0,     false, true, false},
  {kFnOpenConfigFile,          kNoSubOperation,        "HostOpenConfigFile",         6,  0x1,   0,     0,     0,     false, false, true},
  {kFnCloseConfigFile,         kNoSubOperation,        "HostCloseConfigFile",        6,  0,     0,     0,     0,     false, false, false},
  {kFnReadConfigString,        kNoSubOperation,        "HostReadConfigString",       8,  0x16,  0x8,   0,     0,     false, true, false},
  {kFnWriteConfigString,       kNoSubOperation,        "HostWriteConfigString",      9,  0xE,   0,     0,     0,     false, false, false},
  {kFnReadLayerImage,          kNoSubOperation,        "HostReadLayerImage",         5,  0,     0x1,   0,     0,     false, false, false},
  {kFnAllocImage,              kNoSubOperation,        "HostAllocImage",             8,  0,     0,     0,     0,     true,  false, true},
  {kFnFreeImage,               kNoSubOperation,        "HostFreeImage",              8,  0,     0x1,   0,     0,     false, false, false},
  {kFnAddShortcut,             kNoSubOperation,        "HostAddShortcut",            6,  0x3,   0,     0,     0,     false, false, false},
  {kFnOpenLocalisation,        kNoSubOperation,        "HostOpenLocalisation",       8,  0x1,   0,     0,     0,     false, false, true},
  {kFnCloseLocalisation,       kNoSubOperation,        "HostCloseLocalisation",      8,  0,     0,     0,     0,     false, false, false},
  {kFnLocalisedString,         kNoSubOperation,        "HostLocalisedString",        8,  0,     0,     0,     0,     true,  false, true},
  {kFnGetAPenPixel,            kNoSubOperation,        "HostGetAPenPixel",           8,  0,     0x1,   0,     0,     false, false, false},
  {kFnRequesterOp,             kReqGetPlace,           "HostGetRequesterPlace",      6,  0,     0,     0,     0x3C,  false, false, true},
  {kFnRequesterOp,             kReqSetTitle,           "HostSetRequesterTitle",      6,  0x4,   0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqRaise,              "HostRaiseRequester",         2,  0,     0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqSetPlace,           "HostSetRequesterPlace",      7,  0,     0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqAddGadget,          "HostAddGadget",              9,  0x100, 0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqRemoveGadget,       "HostRemoveGadget",           3,  0,     0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqSetGadgetHelp,      "HostSetGadgetHelp",          4,  0x8,   0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqGetGadgetText,      "HostGetGadgetText",          5,  0,     0x8,   0,     0,     false, false, false},
  {kFnRequesterOp,             kReqSetGadgetText,      "HostSetGadgetText",          5,  0x8,   0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqSetPointerTracking, "HostSetPointerTracking",     5,  0,     0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqSetGadgetImage,     "HostSetGadgetImage",         11, 0,     0x8,   0,     0,     false, false, false},
  {kFnRequesterOp,             kReqSetGadgetState,     "HostSetGadgetState",         5,  0,     0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqSavePlace,          "HostSaveRequesterPlace",     6,  0xC,   0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqRestorePlace,       "HostRestoreRequesterPlace",  6,  0xC,   0,     0,     0,     false, false, false},
  {kFnRequesterOp,             kReqShow,               "HostShowRequester",          6,  0,     0,     0,     0,     false, false, false},
  {kFnOverlayOp,               kOverlayRedraw,         "HostOverlayRedraw",          8,  0,     0,     0,     0,     false, false, false},
  {kFnOverlayOp,               kOverlayLine,           "HostOverlayLine",            8,  0,     0,     0x1E,  0,     false, false, false},
  {kFnOverlayOp,               kOverlayDot,            "HostOverlayDot",             9,  0,     0,     0x6,   0,     false, false, false},
  {kFnOverlayOp,               kOverlayImage,          "HostOverlayImage",           12, 0,     0x800, 0x7FE, 0,     false, false, false},
};
// clang-format on

// True for the two functions that carry a sub-operation number in word 0.
constexpr bool HasSubOperation(int32_t function) { return function == kFnRequesterOp || function == kFnOverlayOp; }

// The row of a function (and sub-operation, for the two families); null when
// the protocol has no such call.
// The row's index, -1 when the call is not in the table. (An index, not a
// pointer: compile-time checks compare it, and GCC's sanitizer builds do not
// take a global's address as a constant.)
constexpr int32_t HostCallIndex(int32_t function, int32_t subOperation = kNoSubOperation) {
  for (int32_t i = 0; i < static_cast<int32_t>(sizeof kHostCalls / sizeof kHostCalls[0]); ++i) {
    const HostCallShape& shape = kHostCalls[i];
    if (shape.function == function && (!HasSubOperation(function) || shape.subOperation == subOperation)) return i;
  }
  return -1;
}

constexpr const HostCallShape* FindHostCall(int32_t function, int32_t subOperation = kNoSubOperation) {
  const int32_t index = HostCallIndex(function, subOperation);
  return index < 0 ? nullptr : &kHostCalls[index];
}

// True when the function number is in the protocol (its sub-operation may
// still be unknown).
constexpr bool IsHostFunction(int32_t function) {
  for (const HostCallShape& shape : kHostCalls) {
    if (shape.function == function) return true;
  }
  return false;
}
