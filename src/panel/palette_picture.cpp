// Tintwell panel: the pixels of the palette picture.
//
// Areas (dx = 90 - x grows to the left, dy = 90 - y grows upward,
// r = sqrt(dx² + dy²) truncated):
//   hue ring 64..87     hue from the angle; saturation and value full, or
//                       (HueRingMode 0x1) the current colour's in 64..81 and
//                       86..87; CIE ring (0x2) at lightness 0.5 under the
//                       standard white; ring lock: a dotted circle 78..81
//   SATVAL square       |dx|, |dy| <= 42: square hue, saturation across,
//                       value up; gamut warning hatching, or in CIE mode dots
//                       on the clipping limits
//   zones r < 64        dotted edges of locked bars, else the flood colour
//   corners r >= 88     the background picture
// Hatching and dots mark every fourth diagonal ((x + y) divisible by 4).
//
// The fast path gives the same pixels as the plain one. What depends only on
// a pixel's place (area, hue angle, square coordinates, hatching places) is
// worked out once; ring and square colours are kept between calls together
// with every input they were computed from, so a drag recomputes only the
// part it changes (the square during a ring drag, the ring's current-colour
// bands during a square drag), with the row conversions.
//
// Sections:
//   pixel rules      what one pixel of each area is, as the plain path draws it
//   place tables     what depends only on a pixel's place, worked out once
//   kept colours     keys, conversion batches and the cache (PaletteCache)
//   the ring         planning its two parts and drawing them
//   the square       the CIE and HSV squares
//   the zones        flood colour or the dotted edges of locked bars
//   overlays         markers, option boxes and the paint-mode sign
//   entry points     plain and fast areas, the overlays, the cache's release
#include "panel/palette_picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "colour/colour_rows.h"
#include "colour/panel_models.h"
#include "core/pixel_bytes.h"
#include "core/plugin_memory.h"
#include "host/host_calls.h"
#include "panel/panel_geometry.h"

namespace {

// ---------------------------------------------------------------- pixel rules

constexpr float kTurn = 6.2831855f;  // 2 pi as a float: angle to fraction of a turn
// The white the CIE ring is drawn under, whatever the user calibrated: the
// ring's full-colour band must look the same on every set-up.
constexpr float kRingWhite[3] = {95.147f, 100.1f, 108.983f};
constexpr float kCieRingValue = 0.5f;
constexpr int32_t kHatchStep = 4;  // hatching on every fourth diagonal
constexpr int32_t kClipDotStep = 8;  // CIE clipping dots on every eighth column of the square

bool OnHatch(int32_t x, int32_t y) { return (x + y) % kHatchStep == 0; }

int32_t SquareIndex(int32_t x, int32_t y) { return y * kPaletteImageSize + x; }

// The white of a ring batch: the user's, or the fixed ring white.
LabWhite BatchWhite(bool ringWhite) { return ringWhite ? UsableWhite(kRingWhite) : CurrentWhite(); }

ColourTriple RingToRgb(ColourTriple hsv, const LabWhite& white) {
  return (GState.HueRingMode & kRingCie) ? CieHsvToRgb(hsv, white) : HsvToRgb(hsv);
}

float RingHueAt(int32_t dx, int32_t dy) {
  return WrapPickerHue(ColourAtan2(static_cast<float>(dy), static_cast<float>(dx)) / kTurn + 0.5f);
}

// How a ring pixel gets its saturation and value.
enum class RingSource : uint8_t {
  kFull,     // saturation 1, value 1 (CIE ring: value 0.5 under the ring white)
  kLockDot,  // ring lock dot: saturation 1, value x mod 2, under the user's white
  kInner,    // current saturation and value under the user's white (64..81)
  kEdge,     // current saturation and value under the ring white (86..87)
};

RingSource RingSourceAt(int32_t r, bool hatch) {
  const int32_t mode = GState.HueRingMode;
  if ((GState.RingLockBits & kLockRing) && r >= kRingLockDotInner && r <= kRingLockDotOuter && hatch) {
    return RingSource::kLockDot;
  }
  if (!(mode & kRingShowsCurrent) || r > kRingInnerBandOuter) {
    return ((mode & kRingShowsCurrent) && r >= kRingEdgeInner) ? RingSource::kEdge : RingSource::kFull;
  }
  return RingSource::kInner;
}

// Saturation and value of a ring pixel, and whether it is drawn under the
// ring white.
ColourTriple RingColourInputs(RingSource source, int32_t x, float hue, const ColourTriple& ring, bool* ringWhite) {
  const bool cie = (GState.HueRingMode & kRingCie) != 0;
  *ringWhite = false;
  switch (source) {
    case RingSource::kLockDot:
      return {hue, 1.0f, static_cast<float>(x % 2), 255};
    case RingSource::kFull:
      *ringWhite = cie;
      return {hue, 1.0f, cie ? kCieRingValue : 1.0f, 255};
    case RingSource::kEdge:
      *ringWhite = cie;
      return {hue, ring.c1, ring.c2, 255};
    case RingSource::kInner:
    default:
      return {hue, ring.c1, ring.c2, 255};
  }
}

bool RingHatched(int32_t r, bool hatch) {
  return GState.HueRingMode != 0 && r <= kRingInnerBandOuter && hatch;
}

// Zones inside the ring and outside the square.
void DrawZonePixel(const PluginContext* context, Pixel* pixel, int32_t dx, int32_t dy, int32_t r, bool hatch) {
  const bool edge = r >= kBarLockInner && hatch;
  if ((GState.RingLockBits & kLockHorizontal) && std::abs(dx) >= kBarMin && edge) {
    *pixel = InvertPixel(context, GState.CurrentPixel);
  } else if ((GState.RingLockBits & kLockVertical) && std::abs(dy) >= kBarMin && edge) {
    *pixel = InvertPixel(context, GState.CurrentPixel);
  } else if (GState.FloodBackground) {
    *pixel = GState.CurrentPixel;
  }
}

// The square's colour at (S, V) and whether the gamut check flags it.
// Columns of the clipping dots: the first pixel from the top whose three
// colour bytes all differ from 255, and the first with any of them 0.
struct ClipColumn {
  bool belowWhite = false;
  bool reachedZero = false;
};

// Applies the square's marks to a freshly converted pixel: a hatch place
// that the gamut check flags is inverted (invertMask: the colour bytes), and
// on a clipping-dot column the first pixel below white and the first that
// reaches zero.
inline Pixel MarkSquareColour(Pixel colour, int32_t check, bool hatch, bool dotColumn, Pixel invertMask,
                              ClipColumn* column) {
  if (check != 0) return hatch ? colour ^ invertMask : colour;
  if (!dotColumn) return colour;
  const uint32_t b0 = colour & 0xffu, b1 = (colour >> 8) & 0xffu, b2 = (colour >> 16) & 0xffu;
  bool mark = false;
  if (!column->belowWhite && b0 != 255 && b1 != 255 && b2 != 255) {
    column->belowWhite = true;
    mark = true;
  }
  if (!column->reachedZero && (b0 == 0 || b1 == 0 || b2 == 0)) {
    column->reachedZero = true;
    mark = true;
  }
  return mark ? colour ^ invertMask : colour;
}

bool OnClipDotColumn(int32_t dx) { return GState.CieHsvMode && dx % kClipDotStep == 0; }

Pixel MarkSquarePixel(const PluginContext* context, Pixel colour, int32_t check, int32_t x, int32_t y, int32_t dx,
                      ClipColumn* column) {
  return MarkSquareColour(colour, check, OnHatch(x, y), OnClipDotColumn(dx), InvertPixel(context, 0), column);
}

float SquareSaturation(int32_t dx) { return 1.0f - static_cast<float>(dx + kSquareHalf) / kSquareSpan; }
float SquareValue(int32_t dy) { return static_cast<float>(dy + kSquareHalf) / kSquareSpan; }

// ---------------------------------------------------------------- place tables

struct RingPlace {
  uint16_t index;  // y * 180 + x
  uint8_t x;
  uint8_t radius;
  bool hatch;
  float hue;
  float sine, cosine;  // the hue's direction in the a*b* plane (CIE ring)
};

struct ZonePlace {
  uint16_t index;
  int8_t dx, dy;
  uint8_t radius;
  bool hatch;
};

// A run of pixels that follow each other in a row: drawn with one copy or
// fill instead of one store per pixel.
struct Run {
  uint16_t first;   // position in the list it comes from
  uint16_t index;   // picture index of its first pixel
  uint16_t length;
};

// Runs of a list of picture indices (in row order).
template <typename Runs = std::vector<Run>, typename IndexOf>
Runs RunsOf(size_t count, IndexOf indexOf) {
  Runs runs;
  for (size_t i = 0; i < count; ++i) {
    const uint16_t index = indexOf(i);
    if (!runs.empty() && runs.back().index + runs.back().length == index) {
      ++runs.back().length;
    } else {
      runs.push_back({static_cast<uint16_t>(i), index, 1});
    }
  }
  return runs;
}

struct PlaceTables {
  std::vector<RingPlace> ring;
  std::vector<ZonePlace> zones;
  std::vector<Run> zoneRuns;
  float squareSaturation[2 * kSquareHalf + 1];  // by column from the left
  float squareValue[2 * kSquareHalf + 1];       // by row from the top
};

const PlaceTables& Places() {
  static const PlaceTables tables = [] {
    PlaceTables t;
    for (int32_t y = 0; y < kPaletteImageSize; ++y) {
      for (int32_t x = 0; x < kPaletteImageSize; ++x) {
        const int32_t dx = kPaletteCentre - x, dy = kPaletteCentre - y;
        const int32_t r = PaletteRadius(x, y);
        const uint16_t index = static_cast<uint16_t>(SquareIndex(x, y));
        if (r >= kHueRingInner && r <= kHueRingOuter) {
          RingPlace place{index, static_cast<uint8_t>(x), static_cast<uint8_t>(r), OnHatch(x, y), RingHueAt(dx, dy),
                          0.0f, 0.0f};
          CieHueDirection(place.hue, &place.sine, &place.cosine);
          t.ring.push_back(place);
        } else if (r < kHueRingInner && !(std::abs(dx) <= kSquareHalf && std::abs(dy) <= kSquareHalf)) {
          t.zones.push_back({index, static_cast<int8_t>(dx), static_cast<int8_t>(dy), static_cast<uint8_t>(r),
                             OnHatch(x, y)});
        }
      }
    }
    t.zoneRuns = RunsOf(t.zones.size(), [&](size_t i) { return t.zones[i].index; });
    for (int32_t k = 0; k <= 2 * kSquareHalf; ++k) {
      t.squareSaturation[k] = SquareSaturation(kSquareHalf - k);
      t.squareValue[k] = SquareValue(kSquareHalf - k);
    }
    return t;
  }();
  return tables;
}

// ---------------------------------------------------------------- kept colours

uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Everything a kept colour depends on besides the pixel's place; compared
// bit for bit.
struct ColourKey {
  uint32_t words[10] = {};
  bool operator==(const ColourKey& o) const { return std::memcmp(words, o.words, sizeof words) == 0; }
};

ColourKey CommonKey(const PluginContext* context) {
  ColourKey key;
  key.words[0] = static_cast<uint32_t>(GState.GamutMode);
  key.words[1] = static_cast<uint32_t>(static_cast<uint8_t>(context->RedPosition)) |
                 static_cast<uint32_t>(static_cast<uint8_t>(context->GreenPosition)) << 8 |
                 static_cast<uint32_t>(static_cast<uint8_t>(context->BluePosition)) << 16 |
                 static_cast<uint32_t>(static_cast<uint8_t>(context->AlphaPosition)) << 24;
  for (int i = 0; i < 3; ++i) key.words[2 + i] = FloatBits(GState.ReferenceWhite[i]);
  return key;
}

struct KeptColours {
  bool valid = false;
  ColourKey key;
  PluginVector<Pixel> pixels;
  PluginVector<uint16_t> where;  // ring parts: the picture index of each pixel
};

// Conversion batch of the HSV square: its colours converted in one go
// through the HSV row. The gamut check runs only on the colours whose mark
// depends on it (the hatching places); the others read 0. (The CIE square
// goes row by row through the Lab row, see DrawCieSquare.)
struct Batch {
  size_t count = 0;
  PluginVector<uint32_t> members;      // positions in the kept array
  PluginVector<ColourTriple> colours;  // HSV colours
  PluginVector<uint32_t> checked;      // batch positions that need the gamut check
  PluginVector<Pixel> pixels;
  PluginVector<Pixel> checkPixels;
  PluginVector<int32_t> checkResults;
  PluginVector<int32_t> checks;
  void Reset(size_t n) {
    count = 0;
    members.resize(n);
    colours.resize(n);
    checked.clear();
    checked.reserve(n);
  }
  void Add(uint32_t member, const ColourTriple& colour, bool check) {
    if (check) checked.push_back(static_cast<uint32_t>(count));
    members[count] = member;
    colours[count] = colour;
    ++count;
  }
};

// L*a*b* of an opaque CIE HSV colour whose hue direction is known.
ColourTriple CieLab(float sine, float cosine, float saturation, float value) {
  return {value * 100.0f, cosine * saturation * 100.0f, sine * saturation * 100.0f, 255};
}

// The gamut check of a batch's checked pixels (gathered into checkPixels,
// results in checkResults); false when there is nothing to check.
template <typename AnyBatch>
bool CheckGamutOfChecked(const PluginContext* context, AnyBatch* batch) {
  if (GState.GamutMode == kGamutOff || batch->checked.empty()) return false;
  const size_t m = batch->checked.size();
  batch->checkPixels.resize(m);
  batch->checkResults.resize(m);
  for (size_t k = 0; k < m; ++k) batch->checkPixels[k] = batch->pixels[batch->checked[k]];
  NtscGamutCheckRow(context, GState.GamutMode, batch->checkPixels.data(), batch->checkResults.data(), m);
  return true;
}

// Converts a batch of HSV colours, then runs the gamut check over the
// results that need it.
void ConvertBatch(const PluginContext* context, Batch* batch) {
  const size_t n = batch->count;
  batch->pixels.resize(n);
  batch->checks.assign(n, 0);
  if (n == 0) return;
  HsvToPixelRow(context, batch->colours.data(), batch->pixels.data(), n);
  if (!CheckGamutOfChecked(context, batch)) return;
  for (size_t k = 0; k < batch->checked.size(); ++k) batch->checks[batch->checked[k]] = batch->checkResults[k];
}

// The ring in two parts: the pixels whose colour follows from the options
// alone, and those that show the current colour (HueRingMode 0x1). Each part
// is split by the white its colours are converted under; what depends only
// on the options (which pixel goes where, its hue or hue direction, whether
// its mark needs the gamut check) is planned once per option set, so a drag
// that moves the current colour only refills the saturation and value and
// converts.
struct RingBatch {
  PluginVector<uint16_t> where;        // picture index of each pixel
  PluginVector<float> sine, cosine;    // CIE ring: the hue's direction
  PluginVector<ColourTriple> colours;  // HSV, or the L*a*b* of CIE colours
  PluginVector<uint32_t> checked;      // positions whose hatching needs the gamut check
  PluginVector<Pixel> pixels;          // converted and marked: what is drawn
  PluginVector<Run> runs;              // of where, set with the plan
  PluginVector<Pixel> checkPixels;
  PluginVector<int32_t> checkResults;
  PluginVector<float> aTerms, bTerms;  // CIE current part: a / 500 and b / 200
  // HSV current part: each hue's sector and fraction, worked out with the
  // plan (hasSectors), so a drag only multiplies in saturation and value.
  bool hasSectors = false;
  PluginVector<int32_t> sectors;
  PluginVector<float> fractions;
  void Clear() {
    hasSectors = false;
    where.clear();
    sine.clear();
    cosine.clear();
    colours.clear();
    checked.clear();
  }
};

struct RingPart {
  bool valid = false;
  ColourKey key;
  RingBatch batches[2];  // under the user's white, under the ring white
};

// The palette picture's own state: the colours kept between pictures and the
// buffers their conversions reuse. It is derived from GState and the context
// (dropping it costs time, never a pixel), so it is not part of GState, whose
// header cannot name these panel types anyway; it lives as long as the
// library, is emptied by ReleasePaletteCaches at PI_Open and PI_Close, and is
// touched on the host's thread only, as GState is.
struct PaletteCache {
  RingPart ringFixed;                // ring colours that only the options change
  RingPart ringCurrent;              // the ring's current-colour bands
  uint32_t ringPlanGeneration = 0;   // counts ring plans; part of ringCurrent's key
  KeptColours square;                // the SATVAL square's pixels
  PluginVector<float> currentHues;   // the current part's HSV hues (user white batch), set with the plan
  Batch squareBatch;                 // the square's conversion batch, kept for its memory
};
PaletteCache gCache;

void MarkRingBatch(const PluginContext* context, RingBatch* batch);

// Converts every colour of a batch (CIE: L*a*b* under the given white) into
// its pixel, then inverts the checked ones the gamut check flags.
void ConvertRingBatch(const PluginContext* context, RingBatch* batch, bool cie, const LabWhite& white) {
  const size_t n = batch->colours.size();
  batch->pixels.resize(n);
  if (n == 0) return;
  if (cie) {
    LabToPixelRow(context, white, batch->colours.data(), batch->pixels.data(), n);
  } else {
    HsvToPixelRow(context, batch->colours.data(), batch->pixels.data(), n);
  }
  MarkRingBatch(context, batch);
}

// Inverts the checked pixels that the gamut check flags.
void MarkRingBatch(const PluginContext* context, RingBatch* batch) {
  if (!CheckGamutOfChecked(context, batch)) return;
  // Inverting is flipping the colour bytes: a flagged place gets them
  // flipped, the rest is written back unchanged, with no branch per place.
  const Pixel invertMask = InvertPixel(context, 0);
  for (size_t k = 0; k < batch->checked.size(); ++k) {
    batch->pixels[batch->checked[k]] = batch->checkPixels[k] ^ (batch->checkResults[k] != 0 ? invertMask : 0u);
  }
}

// Sets the colours of a planned batch from the saturation and value each
// pixel gets (the current colour's for the current part).
void FillRingColours(RingBatch* batch, bool cie, const PluginVector<float>& hues, float saturation, float value) {
  const size_t n = batch->where.size();
  batch->colours.resize(n);
  for (size_t i = 0; i < n; ++i) {
    batch->colours[i] = cie ? CieLab(batch->sine[i], batch->cosine[i], saturation, value)
                            : ColourTriple{hues[i], saturation, value, 255};
  }
}

// The first steps of LabToXyz for an opaque CIE HSV colour of the given
// hue direction and chroma: a / 500 and b / 200, with a and b formed exactly
// as CieHsvToRgb forms them.
void CieLabTerms(float sine, float cosine, float saturation, float* aTerm, float* bTerm) {
  const ColourTriple lab = CieLab(sine, cosine, saturation, 0.0f);
  *aTerm = lab.c1 / 500.0f;
  *bTerm = lab.c2 / 200.0f;
}

// The CIE ring's current-colour band: one lightness and chroma, each pixel
// its own hue direction; converted as one row, then marked.
void ConvertCieRingBand(const PluginContext* context, RingBatch* batch, float saturation, float value,
                        const LabWhite& white) {
  const size_t n = batch->where.size();
  batch->pixels.resize(n);
  batch->aTerms.resize(n);
  batch->bTerms.resize(n);
  // Through plain pointers, so that the compiler takes the row a vector at a
  // time (the same operations, so the same bits).
  const float* const sine = batch->sine.data();
  const float* const cosine = batch->cosine.data();
  float* const aTerms = batch->aTerms.data();
  float* const bTerms = batch->bTerms.data();
  for (size_t i = 0; i < n; ++i) CieLabTerms(sine[i], cosine[i], saturation, &aTerms[i], &bTerms[i]);
  LabTermsToOpaquePixelRow(context, white, CieLab(0.0f, 0.0f, 0.0f, value).c0, batch->aTerms.data(),
                           batch->bTerms.data(), batch->pixels.data(), n);
  MarkRingBatch(context, batch);
}

// ---------------------------------------------------------------- the ring

// Lays out both parts for the current options; the fixed part's colours are
// converted here, once.
void PlanRing(const PluginContext* context, PluginVector<float>* currentHues) {
  const PlaceTables& places = Places();
  const bool cie = (GState.HueRingMode & kRingCie) != 0;
  for (RingPart* part : {&gCache.ringFixed, &gCache.ringCurrent}) {
    for (RingBatch& batch : part->batches) batch.Clear();
  }
  currentHues->clear();
  for (const RingPlace& place : places.ring) {
    const RingSource source = RingSourceAt(place.radius, place.hatch);
    const bool current = source == RingSource::kInner || source == RingSource::kEdge;
    bool underRingWhite = false;
    const ColourTriple hsv = RingColourInputs(source, place.x, place.hue, ColourTriple{}, &underRingWhite);
    // The current part's HSV colours share one white: one batch.
    const int white = (cie && underRingWhite) ? 1 : 0;
    RingBatch& batch = (current ? gCache.ringCurrent : gCache.ringFixed).batches[white];
    if (RingHatched(place.radius, place.hatch)) batch.checked.push_back(static_cast<uint32_t>(batch.where.size()));
    batch.where.push_back(place.index);
    batch.sine.push_back(place.sine);
    batch.cosine.push_back(place.cosine);
    if (current) {
      if (white == 0) currentHues->push_back(place.hue);
    } else {
      batch.colours.push_back(cie ? CieLab(place.sine, place.cosine, hsv.c1, hsv.c2) : hsv);
    }
  }
  for (int white = 0; white < 2; ++white) {
    ConvertRingBatch(context, &gCache.ringFixed.batches[white], cie, BatchWhite(white != 0));
  }
  for (RingPart* part : {&gCache.ringFixed, &gCache.ringCurrent}) {
    for (RingBatch& batch : part->batches) batch.runs = RunsOf<PluginVector<Run>>(batch.where.size(), [&](size_t i) { return batch.where[i]; });
  }
  RingBatch& current = gCache.ringCurrent.batches[0];
  if (!cie) {
    current.sectors.resize(currentHues->size());
    current.fractions.resize(currentHues->size());
    current.hasSectors =
        HsvHueSectors(currentHues->data(), current.sectors.data(), current.fractions.data(), currentHues->size());
  }
}

void DrawRingPart(const RingPart& part, Pixel* pixels) {
  for (const RingBatch& batch : part.batches) {
    for (const Run& run : batch.runs) {
      std::memcpy(pixels + run.index, batch.pixels.data() + run.first, run.length * sizeof(Pixel));
    }
  }
}


void DrawRingFast(const PluginContext* context, Pixel* pixels, const ColourTriple& ring) {
  ColourKey fixedKey = CommonKey(context);
  fixedKey.words[5] = static_cast<uint32_t>(GState.HueRingMode);
  fixedKey.words[6] = static_cast<uint32_t>(GState.RingLockBits & kLockRing);
  if (!gCache.ringFixed.valid || !(gCache.ringFixed.key == fixedKey)) {
    // Invalid until whole: a plan or refill that runs out of memory half
    // way is started afresh next time, never used.
    gCache.ringFixed.valid = false;
    gCache.ringCurrent.valid = false;
    PlanRing(context, &gCache.currentHues);
    gCache.ringFixed.key = fixedKey;
    gCache.ringFixed.valid = true;
    ++gCache.ringPlanGeneration;
  }
  ColourKey currentKey = fixedKey;
  currentKey.words[7] = gCache.ringPlanGeneration;
  currentKey.words[8] = FloatBits(ring.c1);
  currentKey.words[9] = FloatBits(ring.c2);
  if (!gCache.ringCurrent.valid || !(gCache.ringCurrent.key == currentKey)) {
    gCache.ringCurrent.valid = false;
    const bool cie = (GState.HueRingMode & kRingCie) != 0;
    for (int white = 0; white < 2; ++white) {
      RingBatch& batch = gCache.ringCurrent.batches[white];
      if (batch.hasSectors) {
        batch.pixels.resize(batch.where.size());
        HsvFixedHuesToPixelRow(context, batch.sectors.data(), batch.fractions.data(), ring.c1, ring.c2,
                               batch.pixels.data(), batch.where.size());
        MarkRingBatch(context, &batch);
        continue;
      }
      if (cie) {
        ConvertCieRingBand(context, &batch, ring.c1, ring.c2, BatchWhite(white != 0));
        continue;
      }
      FillRingColours(&batch, cie, gCache.currentHues, ring.c1, ring.c2);
      ConvertRingBatch(context, &batch, cie, BatchWhite(white != 0));
    }
    gCache.ringCurrent.key = currentKey;
    gCache.ringCurrent.valid = true;
  }
  DrawRingPart(gCache.ringFixed, pixels);
  DrawRingPart(gCache.ringCurrent, pixels);
}

// ---------------------------------------------------------------- the square

// The CIE square into the kept pixels: a row per value, a*/500 and b*/200
// per column (the hue is the square's, the chroma the column's), the gamut
// check where a mark depends on it.
void DrawCieSquare(const PluginContext* context, float squareHue) {
  constexpr int32_t side = 2 * kSquareHalf + 1;
  const PlaceTables& places = Places();
  float sine = 0.0f, cosine = 0.0f;
  CieHueDirection(squareHue, &sine, &cosine);
  float aTerms[side], bTerms[side];
  for (int32_t col = 0; col < side; ++col) {
    CieLabTerms(sine, cosine, places.squareSaturation[col], &aTerms[col], &bTerms[col]);
  }
  gCache.square.pixels.resize(static_cast<size_t>(side * side));
  Pixel* const square = gCache.square.pixels.data();
  const LabWhite white = CurrentWhite();
  for (int32_t row = 0; row < side; ++row) {
    LabTermsToOpaquePixelRow(context, white, CieLab(0.0f, 0.0f, 0.0f, places.squareValue[row]).c0, aTerms, bTerms,
                             square + row * side, side);
  }
  // Only the hatching places and the dot columns can get a mark (the rest
  // keep their colour). They are listed once: the hatching places off the
  // dot columns, which a flagged check inverts, then the dot columns' places
  // row by row, so each dot column is walked from the top as the marks
  // require.
  struct DotPlace {
    uint16_t index;  // row * side + col
    uint8_t col;
    bool hatch;
  };
  struct MarkPlaces {
    std::vector<uint16_t> all;  // the hatching places, then the dot places
    std::vector<DotPlace> dots;
  };
  static const MarkPlaces marked = [] {
    MarkPlaces list;
    for (int32_t row = 0; row < side; ++row) {
      for (int32_t col = 0; col < side; ++col) {
        const int32_t x = kSquareLeft + col, y = kSquareLeft + row;
        const auto index = static_cast<uint16_t>(row * side + col);
        if ((kPaletteCentre - x) % kClipDotStep == 0) {
          list.dots.push_back({index, static_cast<uint8_t>(col), OnHatch(x, y)});
        } else if (OnHatch(x, y)) {
          list.all.push_back(index);
        }
      }
    }
    for (const DotPlace& dot : list.dots) list.all.push_back(dot.index);
    return list;
  }();
  // Buffers kept for their memory as long as the library is loaded (unlike
  // the cache, ReleasePaletteCaches leaves them): they hold nothing between
  // calls, and each call sizes them afresh.
  static PluginVector<Pixel> checkPixels;
  static PluginVector<int32_t> checks;
  const size_t m = marked.all.size();
  const size_t hatchOnly = m - marked.dots.size();
  checkPixels.resize(m);
  checks.assign(m, 0);
  for (size_t k = 0; k < m; ++k) checkPixels[k] = square[marked.all[k]];
  if (GState.GamutMode != kGamutOff) NtscGamutCheckRow(context, GState.GamutMode, checkPixels.data(), checks.data(), m);
  const Pixel invertMask = InvertPixel(context, 0);
  for (size_t k = 0; k < hatchOnly; ++k) {
    square[marked.all[k]] = checkPixels[k] ^ (checks[k] != 0 ? invertMask : 0u);
  }
  ClipColumn columns[side];
  for (size_t k = hatchOnly; k < m; ++k) {
    const DotPlace& place = marked.dots[k - hatchOnly];
    square[place.index] =
        MarkSquareColour(checkPixels[k], checks[k], place.hatch, true, invertMask, &columns[place.col]);
  }
}

void DrawSquareFast(const PluginContext* context, Pixel* pixels, float squareHue) {
  constexpr int32_t side = 2 * kSquareHalf + 1;
  ColourKey key = CommonKey(context);
  key.words[5] = static_cast<uint32_t>(GState.CieHsvMode != 0);
  key.words[6] = FloatBits(squareHue);
  if ((!gCache.square.valid || !(gCache.square.key == key)) && GState.CieHsvMode) {
    gCache.square.valid = false;  // invalid until whole
    DrawCieSquare(context, squareHue);
    gCache.square.key = key;
    gCache.square.valid = true;
  }
  if (!gCache.square.valid || !(gCache.square.key == key)) {  // HSV square
    gCache.square.valid = false;  // invalid until whole
    const PlaceTables& places = Places();
    Batch& batch = gCache.squareBatch;
    batch.Reset(static_cast<size_t>(side * side));
    for (int32_t row = 0; row < side; ++row) {
      for (int32_t col = 0; col < side; ++col) {
        const float saturation = places.squareSaturation[col], value = places.squareValue[row];
        const int32_t x = kSquareLeft + col, y = kSquareLeft + row;
        batch.Add(0, ColourTriple{squareHue, saturation, value, 255}, OnHatch(x, y));
      }
    }
    ConvertBatch(context, &batch);
    const size_t n = batch.count;
    gCache.square.pixels.resize(n);
    ClipColumn columns[side];
    for (int32_t row = 0; row < side; ++row) {
      for (int32_t col = 0; col < side; ++col) {
        const size_t i = static_cast<size_t>(row * side + col);
        const int32_t x = kSquareLeft + col, y = kSquareLeft + row;
        gCache.square.pixels[i] =
            MarkSquarePixel(context, batch.pixels[i], batch.checks[i], x, y, kPaletteCentre - x, &columns[col]);
      }
    }
    gCache.square.key = key;
    gCache.square.valid = true;
  }
  for (int32_t row = 0; row < side; ++row) {
    std::memcpy(pixels + SquareIndex(kSquareLeft, kSquareLeft + row), gCache.square.pixels.data() + row * side,
                side * sizeof(Pixel));
  }
}

// ---------------------------------------------------------------- the zones

void DrawZonesFast(const PluginContext* context, Pixel* pixels) {
  const bool locked = (GState.RingLockBits & (kLockHorizontal | kLockVertical)) != 0;
  if (!locked) {
    if (!GState.FloodBackground) return;
    const Pixel flood = GState.CurrentPixel;
    for (const Run& run : Places().zoneRuns) std::fill_n(pixels + run.index, run.length, flood);
    return;
  }
  for (const ZonePlace& place : Places().zones) {
    DrawZonePixel(context, pixels + place.index, place.dx, place.dy, place.radius, place.hatch);
  }
}

// ---------------------------------------------------------------- overlays

// Values far outside the picture (or NaN) land outside it, never overflow.
int32_t TruncateToPlace(float value) {
  if (!(value > -100000.0f && value < 100000.0f)) return -100000;
  return static_cast<int32_t>(value);
}

void PutPixel(Pixel* pixels, int32_t x, int32_t y, Pixel colour) {
  if (x < 0 || y < 0 || x >= kPaletteImageSize || y >= kPaletteImageSize) return;
  pixels[SquareIndex(x, y)] = colour;
}

void DrawMarker(Pixel* pixels, int32_t cx, int32_t cy, int32_t dv, int32_t dh, Pixel hue, Pixel inv) {
  for (int32_t k = 1; k <= 4; ++k) {
    PutPixel(pixels, cx - k, cy - k, inv);
    PutPixel(pixels, cx + k, cy - k, inv);
    PutPixel(pixels, cx - k, cy + k, inv);
    PutPixel(pixels, cx + k, cy + k, inv);
  }
  PutPixel(pixels, cx, cy, inv);
  PutPixel(pixels, cx, cy - dv, hue);
  PutPixel(pixels, cx, cy + dv, hue);
  PutPixel(pixels, cx - dh, cy, hue);
  PutPixel(pixels, cx + dh, cy, hue);
}

// Two options in one box: bit 0x1 white, bit 0x2 red, both a fine checker.
void DrawTwoBitBox(const PluginContext* context, Pixel* pixels, int32_t x0, int32_t y0, int32_t bits) {
  const Pixel white = MakePixel(context, 255, 255, 255, 255);
  const Pixel red = MakePixel(context, 255, 0, 0, 255);
  const bool first = (bits & 0x1) != 0, second = (bits & 0x2) != 0;
  if (!first && !second) return;
  for (int32_t y = y0; y < y0 + kOptionBoxSize; ++y) {
    for (int32_t x = x0; x < x0 + kOptionBoxSize; ++x) {
      Pixel colour = first ? white : red;
      if (first && second) colour = (x + y) % 2 == 0 ? white : red;
      PutPixel(pixels, x, y, colour);
    }
  }
}

void FillBox(Pixel* pixels, int32_t x0, int32_t y0, Pixel colour) {
  for (int32_t y = y0; y < y0 + kOptionBoxSize; ++y) {
    for (int32_t x = x0; x < x0 + kOptionBoxSize; ++x) PutPixel(pixels, x, y, colour);
  }
}

}  // namespace

// ---------------------------------------------------------------- entry points

float WrapPickerHue(float hue) {
  if (hue < 1.0f) hue += 1.0f;
  if (hue > 1.0f) hue -= 1.0f;
  return hue;
}

void DrawPaletteAreasPlain(const PluginContext* context, Pixel* pixels, const PaletteInputs& inputs) {
  ClipColumn columns[kPaletteImageSize];
  for (int32_t y = 0; y < kPaletteImageSize; ++y) {
    for (int32_t x = 0; x < kPaletteImageSize; ++x) {
      const int32_t dx = kPaletteCentre - x, dy = kPaletteCentre - y;
      const int32_t r = PaletteRadius(x, y);
      const bool hatch = OnHatch(x, y);
      Pixel* pixel = pixels + SquareIndex(x, y);
      if (r >= kHueRingInner && r <= kHueRingOuter) {
        const float hue = RingHueAt(dx, dy);
        bool underRingWhite = false;
        const ColourTriple hsv =
            RingColourInputs(RingSourceAt(r, hatch), x, hue, inputs.ringSource, &underRingWhite);
        Pixel colour = RgbToPixel(context, RingToRgb(hsv, BatchWhite(underRingWhite)));
        if (PanelGamutCheck(context, colour) != 0 && RingHatched(r, hatch)) colour = InvertPixel(context, colour);
        *pixel = colour;
      } else if (std::abs(dx) <= kSquareHalf && std::abs(dy) <= kSquareHalf) {
        const ColourTriple hsv{inputs.squareHue, SquareSaturation(dx), SquareValue(dy), 255};
        const Pixel colour = RgbToPixel(context, PickerHsvToRgb(hsv));
        *pixel = MarkSquarePixel(context, colour, PanelGamutCheck(context, colour), x, y, dx, &columns[x]);
      } else if (r < kHueRingInner) {
        DrawZonePixel(context, pixel, dx, dy, r, hatch);
      }
    }
  }
}

void ForgetPaletteColours() {
  gCache.ringFixed.valid = false;
  gCache.ringCurrent.valid = false;
  gCache.square.valid = false;
}

void DrawPaletteAreas(const PluginContext* context, Pixel* pixels, const PaletteInputs& inputs) {
  // The fast way keeps colours between pictures; without the memory for
  // them the plain way draws the same picture.
  try {
    DrawRingFast(context, pixels, inputs.ringSource);
    DrawSquareFast(context, pixels, inputs.squareHue);
    DrawZonesFast(context, pixels);
  } catch (const std::bad_alloc&) {
    DrawPaletteAreasPlain(context, pixels, inputs);
  }
}

void ReleasePaletteCaches() {
  gCache = PaletteCache();
}

void DrawPaletteOverlays(const PluginContext* context, Pixel* pixels, const PaletteInputs& inputs) {
  const ColourTriple& m = inputs.marker;
  const Pixel hue = PickerHsvToPixel(context, {m.c0, 1.0f, 1.0f, m.alpha});
  const Pixel inv = MakePixel(context, static_cast<uint8_t>(255 - PixelRed(context, hue)),
                              static_cast<uint8_t>(255 - PixelGreen(context, hue)),
                              static_cast<uint8_t>(255 - PixelBlue(context, hue)), 255);

  // Hue marker on the ring.
  float sine, cosine;
  ColourSinCos(kTurn * m.c0, &sine, &cosine);
  const int32_t ringDot = (GState.RingLockBits & kLockRing) ? 4 : 2;
  DrawMarker(pixels, kPaletteCentre + TruncateToPlace(kHueMarkerRadius * cosine),
             kPaletteCentre + TruncateToPlace(kHueMarkerRadius * sine), ringDot, ringDot, hue, inv);

  // SATVAL marker, or the out-of-square sign when the colour lies beyond it.
  const int32_t sx = kSquareLeft + TruncateToPlace(kSquareSpan * m.c1);
  const int32_t sy = kSquareRight - TruncateToPlace(kSquareSpan * m.c2);
  if (sx >= kSquareMarkerMin && sx <= kSquareMarkerMax && sy >= kSquareMarkerMin && sy <= kSquareMarkerMax) {
    DrawMarker(pixels, sx, sy, (GState.RingLockBits & kLockVertical) ? 4 : 2,
               (GState.RingLockBits & kLockHorizontal) ? 4 : 2, hue, inv);
  } else {
    constexpr int32_t kSignLength = 18;
    for (int32_t i = 0; i < kSignLength; ++i) {
      const Pixel colour = i % 2 == 0 ? hue : inv;
      const int32_t near = kSquareLeft + i, far = kSquareRight - 1 - i;
      PutPixel(pixels, near, near, colour);
      PutPixel(pixels, far, near, colour);
      PutPixel(pixels, near, far, colour);
      PutPixel(pixels, far, far, colour);
    }
  }

  // Paint-mode sign over the lamp icon: minus (darken), plus (lighten), or a
  // cross when the draw mode follows colour changes natively.
  const Pixel black = MakePixel(context, 0, 0, 0, 255);
  const int32_t cx = kPaintSignCentreX, cy = kPaintSignCentreY;
  if (GState.PaintModeBits & (kPaintCieDarken | kPaintCieLighten)) {
    if (GState.AutoLightenDarken == 0 || GState.LightMode == kLightCie) {
      for (int32_t d = -2; d <= 2; ++d) PutPixel(pixels, cx + d, cy, black);
      if (GState.PaintModeBits & kPaintCieLighten) {
        for (int32_t d = -2; d <= 2; ++d) PutPixel(pixels, cx, cy + d, black);
      }
    } else {
      for (int32_t d = -2; d <= 2; ++d) {
        PutPixel(pixels, cx + d, cy + d, black);
        PutPixel(pixels, cx - d, cy + d, black);
      }
    }
  }

  // Option boxes, a box whose option is off keeping the background.
  const Pixel white = MakePixel(context, 255, 255, 255, 255);
  if (GState.CieHsvMode) FillBox(pixels, kCieBoxX, kCieBoxY, white);
  DrawTwoBitBox(context, pixels, kSampleSourceBoxX, kSampleSourceBoxY,
                GState.SampleSourceFlags & (kSampleSingleLayer | kSampleFrozen));
  DrawTwoBitBox(context, pixels, kHueRingBoxX, kHueRingBoxY, GState.HueRingMode & (kRingShowsCurrent | kRingCie));
  if (GState.FloodBackground) FillBox(pixels, kFloodBoxX, kFloodBoxY, white);
}
