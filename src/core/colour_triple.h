// Tintwell core: the colour value every colour routine passes around.
//
// Layer: core/. The type belongs to the colour floor (colour/), which
// converts, mixes and draws with it; it lives on the ground floor only
// because the global record keeps the current colour in this form, and the
// record's header may include nothing above core/. Pure colour headers
// include this one, never the global record.
#pragma once

#include <cstdint>

// A colour in any of the colour spaces; conversions copy alpha unchanged.
struct ColourTriple {
  float c0;
  float c1;
  float c2;
  int32_t alpha;  // alpha byte 0..255 of the colour it came from
};
