// simhost: what a person sees of the plug-in's pictures. Composes a
// requester as the host would show it (its gadgets' current images at their
// places, buttons drawn by the host) and writes pictures as PNG files.
//
// Pictures here are straight RGBA bytes, four per pixel, row after row; the
// plug-in's premultiplied Pixels are converted on the way in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simhost.h"

namespace simhost {

struct RgbaPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4 bytes: red, green, blue, alpha (premultiplied as stored)
};

// A host image's pixels as the gadget holds them, read through the channel
// positions (bytes stay premultiplied).
RgbaPicture GadgetPicture(const Gadget& gadget, const uint8_t channelPositions[4]);

// The requester's content area as the host shows it: a neutral grey panel,
// each image gadget's picture centred in its rectangle and blended over the
// grey (premultiplied "over"), toggle buttons as framed boxes with their
// label, lighter when selected. Opaque result.
RgbaPicture ComposeRequester(const Requester& requester, const uint8_t channelPositions[4]);

// 64-bit FNV-1a digest of a picture's size and bytes, as 16 hex digits.
std::string PictureDigest(const RgbaPicture& picture);

// Writes the picture as an 8-bit RGB PNG, blended over neutral grey, each
// pixel drawn `scale` x `scale` times. False with a reason when the file
// can't be written or this build has no PNG writer (libpng is found only for
// native builds).
bool WritePng(const std::string& path, const RgbaPicture& picture, int32_t scale, std::string* error);

// The grey the host's panels are drawn in.
constexpr uint8_t kPanelGrey = 128;

}  // namespace simhost
