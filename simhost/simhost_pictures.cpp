// simhost: composing requesters and writing pictures as PNG files.
#include "simhost_pictures.h"

#include "host/host_functions.h"

#include <cstdio>
#include <cstring>

#if defined(SIMHOST_HAVE_PNG)
#include <png.h>
#endif

namespace simhost {

namespace {

// 3 x 5 capitals and digits for button labels (the host draws its own text).
const char* Glyph(char c) {
  static const struct {
    char c;
    const char* rows;  // 15 cells, row after row, '#' set
  } kGlyphs[] = {
      {'A', ".#.#.#####.##.#"}, {'B', "##.#.###.#.###."}, {'C', ".###..#..#...##"}, {'D', "##.#.##.##.###."},
      {'E', "####..##.#..###"}, {'F', "####..##.#..#.."}, {'G', ".###..#.##.#.##"}, {'H', "#.##.#####.##.#"},
      {'I', "###.#..#..#.###"}, {'J', "..#..#..##.#.#."}, {'K', "#.##.###.#.##.#"}, {'L', "#..#..#..#..###"},
      {'M', "#.########.##.#"}, {'N', "##.#.##.##.##.#"}, {'O', ".#.#.##.##.#.#."}, {'P', "##.#.###.#..#.."},
      {'Q', ".#.#.##.###..##"}, {'R', "##.#.###.#.##.#"}, {'S', ".###...#...###."}, {'T', "###.#..#..#..#."},
      {'U', "#.##.##.##.####"}, {'V', "#.##.##.##.#.#."}, {'W', "#.##.########.#"}, {'X', "#.##.#.#.#.##.#"},
      {'Y', "#.##.#.#..#..#."}, {'Z', "###..#.#.#..###"}, {'0', "####.##.##.####"}, {'1', ".#.##..#..#.###"},
      {'2', "###..#####..###"}, {'3', "###..#.##..####"}, {'4', "#.##.####..#..#"}, {'5', "####..###..####"},
      {'6', "####..####.####"}, {'7', "###..#.#..#..#."}, {'8', "####.#####.####"}, {'9', "####.####..####"},
  };
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (const auto& g : kGlyphs) {
    if (g.c == c) return g.rows;
  }
  return nullptr;
}

struct Canvas {
  RgbaPicture* picture;
  void Put(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= picture->width || y >= picture->height) return;
    uint8_t* p = &picture->rgba[(static_cast<size_t>(y) * picture->width + x) * 4];
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = 255;
  }
  void Fill(int32_t x0, int32_t y0, int32_t w, int32_t h, uint8_t v) {
    for (int32_t y = y0; y < y0 + h; ++y) {
      for (int32_t x = x0; x < x0 + w; ++x) Put(x, y, v, v, v);
    }
  }
};

// Premultiplied "over" an opaque grey.
uint8_t OverGrey(uint8_t colour, uint8_t alpha) {
  return static_cast<uint8_t>(colour + (kPanelGrey * (255 - alpha) + 127) / 255);
}

void DrawToggle(Canvas* canvas, const Gadget& gadget) {
  const bool selected = (gadget.flags & kGadgetFlagSelected) != 0;
  canvas->Fill(gadget.x, gadget.y, gadget.width, gadget.height, selected ? 200 : 96);
  for (int32_t x = gadget.x; x < gadget.x + gadget.width; ++x) {
    canvas->Put(x, gadget.y, 220, 220, 220);
    canvas->Put(x, gadget.y + gadget.height - 1, 50, 50, 50);
  }
  for (int32_t y = gadget.y; y < gadget.y + gadget.height; ++y) {
    canvas->Put(gadget.x, y, 220, 220, 220);
    canvas->Put(gadget.x + gadget.width - 1, y, 50, 50, 50);
  }
  const int32_t textWidth = static_cast<int32_t>(gadget.text.size()) * 4 - 1;
  int32_t x = gadget.x + (gadget.width - textWidth) / 2;
  const int32_t y = gadget.y + (gadget.height - 5) / 2;
  const uint8_t ink = selected ? 0 : 235;
  for (char c : gadget.text) {
    if (const char* rows = Glyph(c)) {
      for (int32_t k = 0; k < 15 && rows[k]; ++k) {
        if (rows[k] == '#') canvas->Put(x + k % 3, y + k / 3, ink, ink, ink);
      }
    }
    x += 4;
  }
}

}  // namespace

RgbaPicture GadgetPicture(const Gadget& gadget, const uint8_t channelPositions[4]) {
  RgbaPicture picture;
  picture.width = gadget.imageWidth;
  picture.height = gadget.imageHeight;
  const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  if (gadget.imagePixels.size() < count) return RgbaPicture{};
  picture.rgba.resize(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const Pixel p = gadget.imagePixels[i];
    for (int c = 0; c < 4; ++c) picture.rgba[i * 4 + c] = static_cast<uint8_t>(p >> (8 * (channelPositions[c] & 3)));
  }
  return picture;
}

RgbaPicture ComposeRequester(const Requester& requester, const uint8_t channelPositions[4]) {
  RgbaPicture out;
  out.width = requester.width > 0 ? requester.width : 1;
  out.height = requester.height > 0 ? requester.height : 1;
  out.rgba.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
  Canvas canvas{&out};
  canvas.Fill(0, 0, out.width, out.height, kPanelGrey);
  for (const auto& entry : requester.gadgets) {
    const Gadget& gadget = entry.second;
    if (gadget.imageWidth > 0 && !gadget.imagePixels.empty()) {
      const RgbaPicture image = GadgetPicture(gadget, channelPositions);
      const int32_t ox = gadget.x + (gadget.width - image.width) / 2;
      const int32_t oy = gadget.y + (gadget.height - image.height) / 2;
      for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
          const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
          canvas.Put(ox + x, oy + y, OverGrey(p[0], p[3]), OverGrey(p[1], p[3]), OverGrey(p[2], p[3]));
        }
      }
    } else if (gadget.flags & kGadgetFlagToggle) {
      DrawToggle(&canvas, gadget);
    }
  }
  return out;
}

std::string PictureDigest(const RgbaPicture& picture) {
  uint64_t hash = 1469598103934665603ull;
  auto mix = [&hash](uint8_t byte) {
    hash ^= byte;
    hash *= 1099511628211ull;
  };
  for (int32_t v : {picture.width, picture.height}) {
    for (int k = 0; k < 4; ++k) mix(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k)));
  }
  for (uint8_t byte : picture.rgba) mix(byte);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

bool WritePng(const std::string& path, const RgbaPicture& picture, int32_t scale, std::string* error) {
#if defined(SIMHOST_HAVE_PNG)
  if (picture.width <= 0 || picture.height <= 0 || scale < 1 ||
      picture.rgba.size() != static_cast<size_t>(picture.width) * picture.height * 4) {
    if (error) *error = "empty picture";
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    if (error) *error = "can't write " + path;
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, nullptr);
    std::fclose(file);
    if (error) *error = "libpng failed to start";
    return false;
  }
  const int32_t width = picture.width * scale, height = picture.height * scale;
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    if (error) *error = "libpng failed writing " + path;
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* source = &picture.rgba[static_cast<size_t>(y / scale) * picture.width * 4];
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = source + (x / scale) * 4;
      for (int c = 0; c < 3; ++c) row[static_cast<size_t>(x) * 3 + c] = OverGrey(p[c], p[3]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  const bool closed = std::fclose(file) == 0;
  if (!closed && error) *error = "can't finish " + path;
  return closed;
#else
  (void)path;
  (void)picture;
  (void)scale;
  if (error) *error = "this build has no PNG writer (libpng is used by native builds only)";
  return false;
#endif
}

}  // namespace simhost
