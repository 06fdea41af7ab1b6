// simhost: requesters and their gadgets, overlays over the canvas view and
// the pop-up menu, as the dispatcher serves them.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_protocol.h"
#include "simhost_impl.h"

namespace simhost {

// ---------------------------------------------------------------- requesters

namespace {

// A requester's or a gadget's place and size from its pack: x and y at
// placeAt and the word after, width and height at sizeAt and the word after.
template <typename Box>
void ReadBox(Box& box, const HostWord* pack, size_t placeAt, size_t sizeAt) {
  box.x = static_cast<int32_t>(pack[placeAt]);
  box.y = static_cast<int32_t>(pack[placeAt + 1]);
  box.width = static_cast<int32_t>(pack[sizeAt]);
  box.height = static_cast<int32_t>(pack[sizeAt + 1]);
}

}  // namespace

HostWord SimHost::Impl::OpenRequester(HostWord* pack, bool callback) {
  if (failRequesterOpens > 0) {
    --failRequesterOpens;
    return 0;
  }
  Requester requester;
  ReadBox(requester, pack, 2, 0);
  requester.flags = static_cast<int32_t>(pack[4]);
  requester.title = ReadText(pack[5]);
  requester.callback = callback;
  if (callback) {
    requester.callbackFn = reinterpret_cast<RequesterCallbackFn>(pack[6]);
    if (!requester.callbackFn) {
      Fault("HostOpenCallbackRequester without a callback");
      return 0;
    }
  }
  RequesterHandle handle = kFirstRequesterHandle;
  if (reuseHandles) {
    // The lowest free one; a handle the user closed is free again.
    while (requesters.count(handle)) handle += kRequesterHandleStep;
  } else {
    // A new one, past any that reuse handed out meanwhile.
    while (requesters.count(nextRequester)) nextRequester += kRequesterHandleStep;
    handle = nextRequester;
    nextRequester += kRequesterHandleStep;
  }
  // Whatever window once had this value, the user has not closed this one.
  userClosedRequesters.erase(handle);
  requester.handle = handle;
  requesters[handle] = requester;
  if (callback) {
    std::vector<HostWord> args = PaddedArgs({});
    CallCallback(requesters[handle], kEventOpened, args.data());
  }
  return handle;
}

HostWord SimHost::Impl::CloseRequester(RequesterHandle handle, HostWord word4) {
  auto it = requesters.find(handle);
  if (it == requesters.end()) {
    Fault(Format("HostCloseRequester: unknown requester %lld", static_cast<long long>(handle)));
    return 0;
  }
  if (it->second.closing) return 0;  // closed again from its own closing event
  if (it->second.callback) {
    it->second.closing = true;
    std::vector<HostWord> args = PaddedArgs({});
    args[4] = word4;
    CallCallback(it->second, kEventClosing, args.data());
  }
  requesters.erase(handle);
  return 1;
}

Requester* SimHost::Impl::FindRequester(RequesterHandle handle, const char* operation) {
  auto it = requesters.find(handle);
  if (it == requesters.end()) {
    Fault(Format("%s: unknown requester %lld", operation, static_cast<long long>(handle)));
    return nullptr;
  }
  return &it->second;
}

Gadget* SimHost::Impl::FindGadget(Requester* requester, int32_t id, const char* operation) {
  auto it = requester->gadgets.find(id);
  if (it == requester->gadgets.end()) {
    Fault(Format("%s: no gadget %d in requester %lld", operation, id, static_cast<long long>(requester->handle)));
    return nullptr;
  }
  return &it->second;
}

HostWord SimHost::Impl::RequesterOp(int32_t sub, HostWord* pack, size_t record) {
  const char* name = ShapeOf(kFnRequesterOp, sub)->name;
  const RequesterHandle handle = pack[1];
  if (sub == kReqSavePlace || sub == kReqRestorePlace) {
    if (handle == 0) return 0;  // nothing open to place (the plug-in passes 0 while the panel is closed)
  }
  if (sub == kReqGetPlace && failGetPlaces > 0) {
    --failGetPlaces;
    return 0;
  }
  if (sub == kReqGetPlace && userClosedRequesters.count(handle)) {
    calls[record].output = "no such requester";
    return 0;
  }
  Requester* requester = FindRequester(handle, name);
  if (!requester) return 0;
  switch (sub) {
    case kReqGetPlace:
      pack[2] = requester->x;
      pack[3] = requester->y;
      pack[4] = requester->width;
      pack[5] = requester->height;
      calls[record].output =
          Format("%d %d %d %d", requester->x, requester->y, requester->width, requester->height);
      return 1;
    case kReqSetTitle:
      requester->title = ReadText(pack[2]);
      return 1;
    case kReqRaise:
      ++requester->raiseCount;
      return 1;
    case kReqSetPlace:
      requester->x = static_cast<int32_t>(pack[2]);
      requester->y = static_cast<int32_t>(pack[3]);
      requester->width = static_cast<int32_t>(pack[4]);
      requester->height = static_cast<int32_t>(pack[5]);
      return 1;
    case kReqAddGadget:
      return AddGadget(requester, pack);
    case kReqRemoveGadget: {
      // Removing a gadget that is not there is harmless (the panel's
      // relayout removes every content gadget whatever is shown).
      const int32_t id = static_cast<int32_t>(pack[2]);
      return requester->gadgets.erase(id) != 0 ? 1 : 0;
    }
    case kReqSetPointerTracking:
      requester->tracking = pack[2] != 0;
      return 1;
    case kReqSetGadgetHelp:
    case kReqGetGadgetText:
    case kReqSetGadgetText:
    case kReqSetGadgetImage:
    case kReqSetGadgetState:
      return GadgetOp(sub, requester, pack, record, name);
    case kReqSavePlace:
      self->SetUserSetting(
          ReadText(pack[2]), ReadText(pack[3]),
          Format("%d %d %d %d", requester->x, requester->y, requester->width, requester->height));
      return 1;
    case kReqRestorePlace: {
      const auto stored = self->UserSetting(ReadText(pack[2]), ReadText(pack[3]));
      if (!stored) return 0;
      int x, y, width, height;
      if (std::sscanf(stored->c_str(), "%d %d %d %d", &x, &y, &width, &height) != 4) return 0;
      requester->x = x;
      requester->y = y;
      requester->width = width;
      requester->height = height;
      return 1;
    }
    case kReqShow:
      ++requester->showCount;
      return 1;
    default:
      Fault(Format("HostRequesterOp: unknown sub-operation %d", sub));
      return 0;
  }
}

HostWord SimHost::Impl::AddGadget(Requester* requester, HostWord* pack) {
  const int32_t id = static_cast<int32_t>(pack[6]);
  if (requester->gadgets.count(id)) {
    Fault(Format("HostAddGadget: gadget %d already in requester %lld", id, static_cast<long long>(requester->handle)));
  }
  Gadget gadget;
  gadget.id = id;
  ReadBox(gadget, pack, 2, 4);
  gadget.flags = static_cast<int32_t>(pack[7]);
  gadget.text = ReadText(pack[8]);
  requester->gadgets[id] = gadget;
  return 1;
}

// The sub-operations on one gadget of the requester.
HostWord SimHost::Impl::GadgetOp(int32_t sub, Requester* requester, HostWord* pack, size_t record, const char* name) {
  Gadget* gadget = FindGadget(requester, static_cast<int32_t>(pack[2]), name);
  if (!gadget) return 0;
  switch (sub) {
    case kReqSetGadgetHelp: {
      gadget->help = ReadText(pack[3]);
      return 1;
    }
    case kReqGetGadgetText: {
      calls[record].output =
          WriteBounded(reinterpret_cast<char*>(pack[3]), static_cast<int64_t>(pack[4]), gadget->text);
      return 1;
    }
    case kReqSetGadgetText: {
      gadget->text = ReadText(pack[3]);
      return 1;
    }
    case kReqSetGadgetImage: {
      HostImage* image = reinterpret_cast<HostImage*>(pack[3]);
      if (image && !self->IsLiveImage(image)) {
        Fault("HostSetGadgetImage: not a live image");
        return 0;
      }
      gadget->image = image;
      ++gadget->imageSetCount;
      gadget->imagePixels.clear();
      gadget->imageWidth = image ? image->Width : 0;
      gadget->imageHeight = image ? image->Height : 0;
      if (image) {
        gadget->imagePixels.assign(image->Pixels,
                                   image->Pixels + static_cast<size_t>(image->Width) * image->Height);
      }
      return 1;
    }
    case kReqSetGadgetState: {
      gadget->flags = static_cast<int32_t>(pack[3]);
      return 1;
    }
    default:
      return 0;
  }
}

// ---------------------------------------------------------------- overlays

HostWord SimHost::Impl::OverlayOp(int32_t sub, HostWord* pack) {
  OverlayRecord overlay;
  overlay.subOperation = sub;
  switch (sub) {
    case kOverlayRedraw:
      if (std::find(pending.begin(), pending.end(), kMsgOverlayDraw) == pending.end()) {
        pending.push_back(kMsgOverlayDraw);
      }
      break;
    case kOverlayLine:
      for (int i = 1; i <= 4; ++i) overlay.coordinates.push_back(WordFloat(pack[i]));
      overlay.colour = static_cast<Pixel>(pack[5]);
      break;
    case kOverlayDot:
      overlay.coordinates = {WordFloat(pack[1]), WordFloat(pack[2])};
      overlay.size = static_cast<int32_t>(pack[3]);
      overlay.colour = static_cast<Pixel>(pack[4]);
      break;
    case kOverlayImage:
      for (int i = 1; i <= 10; ++i) overlay.coordinates.push_back(WordFloat(pack[i]));
      overlay.image = reinterpret_cast<HostImage*>(pack[11]);
      if (!self->IsLiveImage(overlay.image)) Fault("HostOverlayImage: not a live image");
      break;
    default:
      Fault(Format("HostOverlayOp: unknown sub-operation %d", sub));
      return 0;
  }
  overlays.push_back(overlay);
  return 1;
}

// ---------------------------------------------------------------- pop-up menu

HostWord SimHost::Impl::PopupMenu(HostWord* pack, size_t record) {
  const MenuItem* items = reinterpret_cast<const MenuItem*>(pack[0]);
  const int32_t count = static_cast<int32_t>(pack[1]);
  PopupMenuRecord menu;
  if (!items || count < 0 || count > 1000) {
    Fault("HostPopupMenu without items or with a bad count");
    return 0;
  }
  for (int32_t i = 0; i < count; ++i) {
    MenuItemRecord item;
    item.text = ReadText(items[i].Words[0]);
    item.id = static_cast<int32_t>(items[i].Words[1]);
    item.flags = static_cast<int32_t>(items[i].Words[2]);
    menu.items.push_back(item);
    for (int w = 3; w < 13; ++w) {
      if (items[i].Words[w] != 0) {
        Fault(Format("HostPopupMenu: item %d has a non-zero word %d", i, w));
        break;
      }
    }
  }
  for (int w = 0; w < 13; ++w) {
    if (items[count].Words[w] != 0) {
      Fault("HostPopupMenu: the item after the last is not an all-zero terminator");
      break;
    }
  }
  menu.answer = popupHandler ? popupHandler(menu) : popupAnswer;
  popupMenus.push_back(menu);
  calls[record].output = std::to_string(menu.answer);
  return menu.answer;
}

}  // namespace simhost
