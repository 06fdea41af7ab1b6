// Tintwell colour: the packed graticule pictures of the scope window.
#pragma once

#include <cstddef>
#include <cstdint>

// A built-in 180 x 180 picture, PackBits-packed on 4-byte pixels.
struct PackedPicture {
  const uint8_t* data;  // null while the picture is missing
  size_t size;          // bytes
};

PackedPicture VectorscopeGraticule();
PackedPicture WaveformGraticule();
