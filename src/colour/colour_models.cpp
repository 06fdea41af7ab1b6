// Tintwell colour: colour models and conversions.
//
// Layer: colour/ (pure arithmetic). Pixels are premultiplied, channel bytes
// at the context's positions. All colour arithmetic is 32-bit float with the
// constants taken as the nearest floats; the builds are compiled with
// -ffp-contract=off and SSE maths so that every build rounds identically.
// The few transcendental functions are our own (see ColourPow below) for the
// same reason.
#include "colour/colour_models.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Deterministic transcendental functions, evaluated in double.

uint64_t DoubleBits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

double BitsDouble(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

constexpr double kPi = 3.14159265358979323846;
// ln 2 split so that k * kLn2Hi is exact for |k| < 2^21 (fdlibm's split).
constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;
// pi/2 split the same way, for sin and cos argument reduction.
constexpr double kHalfPiHi = 1.57079632673412561417e+00;
constexpr double kHalfPiLo = 6.07710050650619224932e-11;

// 2^(j/64), j = 0..63, by the exponential series at compile time (so the
// table is the same bits in every build).
constexpr int kExpBits = 6;
constexpr int kExpSize = 1 << kExpBits;

constexpr double SeriesExp(double x) {
  double sum = 1.0;
  double term = 1.0;
  for (int n = 1; n < 40; ++n) {
    term = term * x / n;
    sum += term;
  }
  return sum;
}

constexpr std::array<double, kExpSize> MakeExpTable() {
  std::array<double, kExpSize> table{};
  for (int j = 0; j < kExpSize; ++j) table[j] = SeriesExp((kLn2Hi + kLn2Lo) * j / kExpSize);
  return table;
}
constexpr std::array<double, kExpSize> kExpTable = MakeExpTable();

// Natural logarithm of x in (0.5, 2) by the atanh series (compile time only).
constexpr double SeriesLog(double x) {
  const double s = (x - 1.0) / (x + 1.0);
  const double z = s * s;
  double power = s;
  double sum = 0.0;
  for (int k = 0; k < 40; ++k) {
    sum += power / (2 * k + 1);
    power *= z;
  }
  return 2.0 * sum;
}

// The mantissa interval [1, 2) is cut into 128 pieces; piece i is rescaled
// by kLogInverse[i] (about 1/centre, rounded to 28 bits so that a float
// mantissa times it is exact in double) and log of the rest is a short series.
constexpr int kLogBits = 7;
constexpr int kLogSize = 1 << kLogBits;

struct LogEntry {
  double inverse;  // ~1 / centre of the piece, 28 significant bits
  double logCentre;  // -log(inverse)
};

constexpr std::array<LogEntry, kLogSize> MakeLogTable() {
  std::array<LogEntry, kLogSize> table{};
  for (int i = 0; i < kLogSize; ++i) {
    const double centre = 1.0 + (i + 0.5) / kLogSize;
    const double scale = 268435456.0;  // 2^28
    const double inverse = static_cast<double>(static_cast<int64_t>(scale / centre + 0.5)) / scale;
    table[i] = LogEntry{inverse, -SeriesLog(inverse)};
  }
  return table;
}
constexpr std::array<LogEntry, kLogSize> kLogTable = MakeLogTable();

// atan(j/16), j = 0..16, by Euler's series (compile time only).
constexpr double SeriesAtan(double x) {
  const double x2 = x * x;
  const double ratio = x2 / (1.0 + x2);
  double term = x / (1.0 + x2);
  double sum = 0.0;
  for (int n = 0; n < 120; ++n) {
    sum += term;
    term = term * ratio * (2.0 * n + 2.0) / (2.0 * n + 3.0);
  }
  return sum;
}

constexpr int kAtanSteps = 16;
constexpr std::array<double, kAtanSteps + 1> MakeAtanTable() {
  std::array<double, kAtanSteps + 1> table{};
  for (int j = 0; j <= kAtanSteps; ++j) table[j] = SeriesAtan(static_cast<double>(j) / kAtanSteps);
  return table;
}
constexpr std::array<double, kAtanSteps + 1> kAtanTable = MakeAtanTable();

// log(x) for a positive, finite double holding a float value (so its
// mantissa has at most 24 significant bits).
double LogOfFloat(double x) {
  uint64_t bits = DoubleBits(x);
  const int exponent = static_cast<int>((bits >> 52) & 0x7ff) - 1023;
  const int index = static_cast<int>((bits >> (52 - kLogBits)) & (kLogSize - 1));
  const double mantissa = BitsDouble((bits & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL);
  const LogEntry& entry = kLogTable[index];
  const double r = mantissa * entry.inverse - 1.0;  // exact; |r| < 1/250
  // log(1 + r), error below r^7 / 7.
  // Estrin's scheme: the two halves evaluate in parallel.
  const double r2 = r * r;
  const double series = (r + r2 * (-0.5 + r * (1.0 / 3.0))) + (r2 * r2) * ((-0.25 + r * 0.2) + r2 * (-1.0 / 6.0));
  return (exponent * kLn2Hi + entry.logCentre) + (exponent * kLn2Lo + series);
}

// e^x for |x| < 600 (callers clip the range).
double ExpOf(double x) {
  const double scaled = x * (kExpSize / (kLn2Hi + kLn2Lo));
  const int k = static_cast<int>(scaled < 0.0 ? scaled - 0.5 : scaled + 0.5);
  const double r = (x - k * (kLn2Hi / kExpSize)) - k * (kLn2Lo / kExpSize);  // |r| <= ln2/128
  const double r2 = r * r;
  const double poly = (1.0 + r) + r2 * ((0.5 + r * (1.0 / 6.0)) + r2 * (1.0 / 24.0 + r * (1.0 / 120.0)));
  const int power = k >> kExpBits;  // floor division
  const double twoToPower = BitsDouble(static_cast<uint64_t>(1023 + power) << 52);
  return kExpTable[k & (kExpSize - 1)] * poly * twoToPower;
}

// sin and cos of x, |x| < 2^20, sharing one argument reduction.
void SinCosOf(double x, double* sine, double* cosine) {
  const double q = x * (2.0 / kPi);
  const int k = static_cast<int>(q < 0.0 ? q - 0.5 : q + 0.5);
  const double y = (x - k * kHalfPiHi) - k * kHalfPiLo;  // |y| <= pi/4 (a hair more)
  const double z = y * y;
  const double z2 = z * z;
  const double z4 = z2 * z2;
  // Taylor series (the first dropped terms are below 1e-16 relative),
  // evaluated by Estrin's scheme so the halves run in parallel.
  const double sinPoly = ((-1.0 / 6 + z * (1.0 / 120)) + z2 * (-1.0 / 5040 + z * (1.0 / 362880))) +
                         z4 * ((-1.0 / 39916800 + z * (1.0 / 6227020800.0)) + z2 * (-1.0 / 1307674368000.0));
  const double cosPoly = ((-0.5 + z * (1.0 / 24)) + z2 * (-1.0 / 720 + z * (1.0 / 40320))) +
                         z4 * ((-1.0 / 3628800 + z * (1.0 / 479001600.0)) +
                               z2 * (-1.0 / 87178291200.0 + z * (1.0 / 20922789888000.0)));
  const double s = y + (y * z) * sinPoly;
  const double c = 1.0 + z * cosPoly;
  switch (k & 3) {
    case 0:
      *sine = s;
      *cosine = c;
      break;
    case 1:
      *sine = c;
      *cosine = -s;
      break;
    case 2:
      *sine = -s;
      *cosine = -c;
      break;
    default:
      *sine = -c;
      *cosine = s;
      break;
  }
}

// atan(t) for t in [0, 1].
double AtanUnit(double t) {
  const int j = static_cast<int>(t * kAtanSteps + 0.5);
  const double centre = static_cast<double>(j) / kAtanSteps;
  const double u = (t - centre) / (1.0 + t * centre);  // |u| <= 1/32
  const double u2 = u * u;
  return kAtanTable[j] + (u - u * u2 * (1.0 / 3 - u2 * (1.0 / 5 - u2 * (1.0 / 7 - u2 * (1.0 / 9)))));
}

// pow(x, p) for one fixed exponent, by table, giving exactly ColourPow's
// bits. Each binade of x is cut into 128 pieces; around a piece's centre m,
// x^p = m^p (1 + t)^p with |t| <= 1/256, and four terms of the binomial
// series leave a relative error below 1e-11. When the result lies within a
// margin of 4e-11 (relative) of a float rounding boundary it is not trusted
// and ColourPow decides; otherwise every value within the margin, ColourPow's
// included, rounds to the same float. About one call in a thousand falls back.
class FixedPower {
 public:
  FixedPower(float exponent, int lowBinade, int highBinade)
      : exponent_(exponent), lowBinade_(lowBinade), highBinade_(highBinade) {
    const double p = exponent;
    a1_ = p;
    a2_ = p * (p - 1.0) / 2.0;
    a3_ = p * (p - 1.0) * (p - 2.0) / 6.0;
    pieces_.resize(static_cast<size_t>(highBinade - lowBinade) * kPieces);
    for (int binade = lowBinade; binade < highBinade; ++binade) {
      for (int i = 0; i < kPieces; ++i) {
        // The centre is a float, so LogOfFloat takes it exactly.
        const double centre = BitsDouble(static_cast<uint64_t>(1023 + binade) << 52) * (1.0 + (i + 0.5) / kPieces);
        Piece& piece = pieces_[static_cast<size_t>(binade - lowBinade) * kPieces + i];
        piece.centre = centre;
        piece.inverse = 1.0 / centre;
        piece.power = ExpOf(p * LogOfFloat(centre));
      }
    }
  }

  float operator()(float x) const {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int binade = static_cast<int>((bits >> 23) & 0xff) - 127;
    if (binade < lowBinade_ || binade >= highBinade_ || (bits >> 31)) return ColourPow(x, exponent_);
    const Piece& piece = pieces_[static_cast<size_t>(binade - lowBinade_) * kPieces + ((bits >> 16) & (kPieces - 1))];
    const double t = (static_cast<double>(x) - piece.centre) * piece.inverse;
    const double value = piece.power * ((1.0 + t * a1_) + (t * t) * (a2_ + t * a3_));
    const float below = static_cast<float>(value * (1.0 - kMargin));
    const float above = static_cast<float>(value * (1.0 + kMargin));
    if (below == above) return below;
    return ColourPow(x, exponent_);
  }

 private:
  static constexpr int kPieces = 128;
  static constexpr double kMargin = 4e-11;
  struct Piece {
    double centre;
    double inverse;
    double power;  // centre^exponent
  };
  float exponent_;
  int lowBinade_;
  int highBinade_;
  double a1_ = 0, a2_ = 0, a3_ = 0;  // binomial series coefficients
  std::vector<Piece> pieces_;
};

// sRGB encoding takes x in (0.0031308, 1]; the L*a*b* cube root t in
// (0.008856, ~1.1] for colours from the RGB cube. Built on first use, so a
// conversion made while other files are still being initialised is safe.
const FixedPower& EncodePower() {
  static const FixedPower power(0.41666666f, -9, 0);
  return power;
}

const FixedPower& CubeRootPower() {
  static const FixedPower power(0.33333334f, -7, 1);
  return power;
}

// ---------------------------------------------------------------------------
// Pixel byte access at the context's channel positions.

inline uint32_t ChannelShift(int8_t position) { return 8u * static_cast<uint32_t>(position & 3); }

inline uint32_t ChannelByte(Pixel pixel, int8_t position) { return (pixel >> ChannelShift(position)) & 0xffu; }

// trunc(value) as a byte. Producers keep channels within 0..255; anything
// outside (or NaN) saturates instead of wrapping to a far-off colour.
inline uint32_t TruncatedByte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<uint32_t>(value);
}

// 0..1 clamp that also sends NaN to 0.
inline float ClampUnit(float value) {
  if (!(value > 0.0f)) return 0.0f;
  if (value >= 1.0f) return 1.0f;
  return value;
}

inline float ClampByteRange(float value) {
  if (!(value > 0.0f)) return 0.0f;
  if (value > 255.0f) return 255.0f;
  return value;
}

// sRGB companding (IEC 61966-2-1): encoded 0..1 in, linear 0..1 out.
inline float SrgbToLinear(float c) {
  if (c > 0.04045f) return ColourPow((c + 0.055f) / 1.055f, 2.4f);
  return c / 12.92f;
}

// SrgbToLinear(c / 255) * 100 for every whole channel value, built from the
// formula itself, so a table hit gives exactly the bits the formula would.
struct LinearTable {
  float value[256];
  LinearTable() {
    for (int c = 0; c < 256; ++c) value[c] = SrgbToLinear(static_cast<float>(c) / 255.0f) * 100.0f;
  }
};

inline float LinearChannel(float channel) {
  static const LinearTable table;
  if (channel >= 0.0f && channel <= 255.0f) {
    const int whole = static_cast<int>(channel);
    if (static_cast<float>(whole) == channel) return table.value[whole];
  }
  return SrgbToLinear(channel / 255.0f) * 100.0f;
}

// The inverse companding; linear in, encoded out (not yet clamped).
inline float LinearToSrgb(float c) {
  if (c > 0.0031308f) return 1.055f * EncodePower()(c) - 0.055f;
  return 12.92f * c;
}

}  // namespace

float EncodedSrgbChannel(float linear) { return ClampUnit(LinearToSrgb(linear)) * 255.0f; }

namespace {

// CIE L*a*b* companding; 16/116 is the float 0.13793103.
inline float LabCompand(float t) {
  if (t > 0.008856f) return CubeRootPower()(t);
  return 7.787f * t + 16.0f / 116.0f;
}

inline float LabExpand(float v) {
  const float cube = v * v * v;
  if (cube > 0.008856f) return cube;
  return (v - 16.0f / 116.0f) / 7.787f;
}

// fmod(x, y) for y > 0, exactly as the C library's, with the common cases
// done in one subtraction: for |x| < 2y the remainder x - y is exact
// (Sterbenz), and the library's generic loop is slow.
inline float Remainder(float x, float y) {
  const float ax = std::fabs(x);
  if (ax < y) return x;
  if (ax < 2.0f * y) {
    const float r = x - std::copysign(y, x);
    return r == 0.0f ? std::copysign(0.0f, x) : r;
  }
  return std::fmod(x, y);
}

inline ColourTriple Triple(float c0, float c1, float c2, int32_t alpha) { return ColourTriple{c0, c1, c2, alpha}; }

}  // namespace

// ---------------------------------------------------------------------------
// Transcendental functions.

float ColourPow(float base, float exponent) {
  if (__builtin_expect(base > 0.0f && base < INFINITY && std::fabs(exponent) < 1e30f, 1)) {
    const double product = static_cast<double>(exponent) * LogOfFloat(static_cast<double>(base));
    // Beyond these the float result is 0 or infinite whatever the rounding.
    if (product > 100.0) return INFINITY;
    if (product < -120.0) return 0.0f;
    return static_cast<float>(ExpOf(product));
  }
  if (std::isnan(base) || std::isnan(exponent)) return NAN;
  if (exponent == 0.0f) return 1.0f;
  if (base < 0.0f) return NAN;
  if (base == 0.0f) return exponent > 0.0f ? 0.0f : INFINITY;
  if (std::isinf(base)) return exponent > 0.0f ? INFINITY : 0.0f;
  const double product = static_cast<double>(exponent) * LogOfFloat(static_cast<double>(base));
  // Beyond these the float result is 0 or infinite whatever the rounding.
  if (product > 100.0) return INFINITY;
  if (product < -120.0) return 0.0f;
  return static_cast<float>(ExpOf(product));
}

// ColourSin and ColourCos of one angle with one argument reduction.
static void SinCos(float radians, float* sine, float* cosine) {
  if (!(std::fabs(radians) < 1048576.0f)) {  // rare: the general functions reduce it
    *sine = ColourSin(radians);
    *cosine = ColourCos(radians);
    return;
  }
  double s = 0.0;
  double c = 0.0;
  SinCosOf(radians, &s, &c);
  *sine = static_cast<float>(s);
  *cosine = static_cast<float>(c);
}

// Large angles are first brought below 2 pi (fmod is exact, so every build
// agrees); NaN and infinities give NaN.
static double ReducedAngle(float radians) {
  if (std::fabs(radians) < 1048576.0f) return radians;
  if (!std::isfinite(radians)) return NAN;
  return std::fmod(static_cast<double>(radians), 2.0 * kPi);
}

float ColourSin(float radians) {
  const double angle = ReducedAngle(radians);
  if (std::isnan(angle)) return NAN;
  double sine = 0.0;
  double cosine = 0.0;
  SinCosOf(angle, &sine, &cosine);
  return static_cast<float>(sine);
}

float ColourCos(float radians) {
  const double angle = ReducedAngle(radians);
  if (std::isnan(angle)) return NAN;
  double sine = 0.0;
  double cosine = 0.0;
  SinCosOf(angle, &sine, &cosine);
  return static_cast<float>(cosine);
}

float ColourAtan2(float y, float x) {
  if (std::isnan(x) || std::isnan(y)) return NAN;
  const double ax = std::fabs(static_cast<double>(x));
  const double ay = std::fabs(static_cast<double>(y));
  double angle;
  if (ay == 0.0) {
    angle = std::signbit(x) ? kPi : 0.0;
  } else if (ax == 0.0) {
    angle = kPi / 2;
  } else if (std::isinf(ax) || std::isinf(ay)) {
    angle = std::isinf(ax) ? (std::isinf(ay) ? kPi / 4 : 0.0) : kPi / 2;
    if (std::signbit(x)) angle = kPi - angle;
  } else {
    angle = ay <= ax ? AtanUnit(ay / ax) : kPi / 2 - AtanUnit(ax / ay);
    if (std::signbit(x)) angle = kPi - angle;
  }
  return static_cast<float>(std::signbit(y) ? -angle : angle);
}

// ---------------------------------------------------------------------------
// Pixels.

// Un-premultiplies: channel = byte * 255 / alpha; alpha 0 gives black.
ColourTriple PixelToRgb(const PluginContext* context, Pixel pixel) {
  const uint32_t alpha = ChannelByte(pixel, context->AlphaPosition);
  if (alpha == 0) return Triple(0.0f, 0.0f, 0.0f, 0);
  const float a = static_cast<float>(alpha);
  const float r = static_cast<float>(ChannelByte(pixel, context->RedPosition)) * 255.0f / a;
  const float g = static_cast<float>(ChannelByte(pixel, context->GreenPosition)) * 255.0f / a;
  const float b = static_cast<float>(ChannelByte(pixel, context->BluePosition)) * 255.0f / a;
  return Triple(r, g, b, static_cast<int32_t>(alpha));
}

// Premultiplies: byte = trunc(alpha * channel / 255); RGB 0..255 in.
Pixel RgbToPixel(const PluginContext* context, ColourTriple rgb) {
  const float a = static_cast<float>(rgb.alpha);
  const uint32_t r = TruncatedByte(a * rgb.c0 / 255.0f);
  const uint32_t g = TruncatedByte(a * rgb.c1 / 255.0f);
  const uint32_t b = TruncatedByte(a * rgb.c2 / 255.0f);
  const uint32_t alpha = static_cast<uint32_t>(rgb.alpha) & 0xffu;
  return r << ChannelShift(context->RedPosition) | g << ChannelShift(context->GreenPosition) |
         b << ChannelShift(context->BluePosition) | alpha << ChannelShift(context->AlphaPosition);
}

// Complements the colour bytes (markers that stand out on any colour).
Pixel InvertPixel(const PluginContext* context, Pixel pixel) {
  const Pixel colourMask = 0xffu << ChannelShift(context->RedPosition) |
                           0xffu << ChannelShift(context->GreenPosition) |
                           0xffu << ChannelShift(context->BluePosition);
  return pixel ^ colourMask;
}

// ---------------------------------------------------------------------------
// HSV with this program's hue direction: red 1 (and 0), green 2/3, blue 1/3.

// RGB 0..255 in; hue, saturation, value 0..1 out. Greys keep CurrentHsv's hue.
ColourTriple RgbToHsv(ColourTriple rgb) {
  const float r = rgb.c0 / 255.0f;
  const float g = rgb.c1 / 255.0f;
  const float b = rgb.c2 / 255.0f;
  const float minimum = std::fmin(r, std::fmin(g, b));
  const float maximum = std::fmax(r, std::fmax(g, b));
  const float delta = maximum - minimum;
  float hue = 0.0f;
  float saturation = 0.0f;
  if (delta != 0.0f) {
    saturation = delta / maximum;
    const float dR = ((maximum - r) / 6.0f + delta / 2.0f) / delta;
    const float dG = ((maximum - g) / 6.0f + delta / 2.0f) / delta;
    const float dB = ((maximum - b) / 6.0f + delta / 2.0f) / delta;
    if (r == maximum) {
      hue = dB - dG;
    } else if (g == maximum) {
      hue = 1.0f / 3.0f + dR - dB;
    } else {
      hue = 2.0f / 3.0f + dG - dR;
    }
    if (hue < 0.0f) hue += 1.0f;
    if (hue > 1.0f) hue -= 1.0f;
    hue = 1.0f - hue;
  }
  if (saturation < 0.001f) hue = GState.CurrentHsv.c0;
  return Triple(hue, saturation, maximum, rgb.alpha);
}

// Hue any real (taken modulo 1), saturation above 1 treated as 1; RGB out,
// each channel limited to 255 from above.
ColourTriple HsvToRgb(ColourTriple hsv) {
  const float value = hsv.c2;
  if (hsv.c1 == 0.0f) {
    const float grey = std::fmin(value, 1.0f) * 255.0f;
    return Triple(grey, grey, grey, hsv.alpha);
  }
  float h = Remainder(hsv.c0, 1.0f);
  if (h < 0.0f) h += 1.0f;
  const float s = std::fmin(hsv.c1, 1.0f);
  float vh = (1.0f - h) * 6.0f;
  if (vh == 6.0f) vh = 0.0f;
  const int sector = (vh >= 0.0f && vh < 6.0f) ? static_cast<int>(vh) : 0;
  const float f = vh - static_cast<float>(sector);
  const float p = value * (1.0f - s);
  const float q = value * (1.0f - s * f);
  const float t = value * (1.0f - s * (1.0f - f));
  float r, g, b;
  switch (sector) {
    case 0: r = value; g = t; b = p; break;
    case 1: r = q; g = value; b = p; break;
    case 2: r = p; g = value; b = t; break;
    case 3: r = p; g = q; b = value; break;
    case 4: r = t; g = p; b = value; break;
    default: r = value; g = p; b = q; break;
  }
  return Triple(std::fmin(r, 1.0f) * 255.0f, std::fmin(g, 1.0f) * 255.0f, std::fmin(b, 1.0f) * 255.0f, hsv.alpha);
}

// ---------------------------------------------------------------------------
// CIE XYZ, L*a*b*, xyY.

// sRGB primaries, D65 (IEC 61966-2-1); RGB 0..255 in, XYZ 0..~100 out.
ColourTriple RgbToXyz(ColourTriple rgb) {
  const float r = LinearChannel(rgb.c0);
  const float g = LinearChannel(rgb.c1);
  const float b = LinearChannel(rgb.c2);
  const float x = 0.4124f * r + 0.3576f * g + 0.1805f * b;
  const float y = 0.2126f * r + 0.7152f * g + 0.0722f * b;
  const float z = 0.0193f * r + 0.1192f * g + 0.9505f * b;
  return Triple(x, y, z, rgb.alpha);
}

// The inverse; XYZ 0..~100 in, RGB clamped to 0..255 out.
ColourTriple XyzToRgb(ColourTriple xyz) {
  const float x = xyz.c0 / 100.0f;
  const float y = xyz.c1 / 100.0f;
  const float z = xyz.c2 / 100.0f;
  const float r = 3.2406f * x - 1.5372f * y - 0.4986f * z;
  const float g = -0.9689f * x + 1.8758f * y + 0.0415f * z;
  const float b = 0.0557f * x - 0.2040f * y + 1.0570f * z;
  return Triple(EncodedSrgbChannel(r), EncodedSrgbChannel(g), EncodedSrgbChannel(b), xyz.alpha);
}

// CIE 1976 L*a*b* against ReferenceWhite; XYZ in, L 0..100 out.
ColourTriple XyzToLab(ColourTriple xyz) {
  const float fx = LabCompand(xyz.c0 / GState.ReferenceWhite[0]);
  const float fy = LabCompand(xyz.c1 / GState.ReferenceWhite[1]);
  const float fz = LabCompand(xyz.c2 / GState.ReferenceWhite[2]);
  return Triple(116.0f * fy - 16.0f, 500.0f * (fx - fy), 200.0f * (fy - fz), xyz.alpha);
}

ColourTriple LabToXyz(ColourTriple lab) {
  const float fy = (lab.c0 + 16.0f) / 116.0f;
  const float fx = lab.c1 / 500.0f + fy;
  const float fz = fy - lab.c2 / 200.0f;
  return Triple(GState.ReferenceWhite[0] * LabExpand(fx), GState.ReferenceWhite[1] * LabExpand(fy),
                GState.ReferenceWhite[2] * LabExpand(fz), lab.alpha);
}

ColourTriple RgbToLab(ColourTriple rgb) { return XyzToLab(RgbToXyz(rgb)); }

ColourTriple LabToRgb(ColourTriple lab) { return XyzToRgb(LabToXyz(lab)); }

ColourTriple PixelToXyz(const PluginContext* context, Pixel pixel) { return RgbToXyz(PixelToRgb(context, pixel)); }

Pixel XyzToPixel(const PluginContext* context, ColourTriple xyz) { return RgbToPixel(context, XyzToRgb(xyz)); }

// Luminance and chromaticity (Y, x, y); a zero sum gives (0, 0, 0).
ColourTriple XyzToYxy(ColourTriple xyz) {
  const float sum = xyz.c0 + xyz.c1 + xyz.c2;
  if (!(sum > 0.0f)) return Triple(0.0f, 0.0f, 0.0f, xyz.alpha);
  return Triple(xyz.c1, xyz.c0 / sum, xyz.c1 / sum, xyz.alpha);
}

// The inverse; the caller guarantees chromaticity y is not 0.
ColourTriple YxyToXyz(ColourTriple yxy) {
  const float scale = yxy.c0 / yxy.c2;
  return Triple(scale * yxy.c1, yxy.c0, scale * (1.0f - yxy.c1 - yxy.c2), yxy.alpha);
}

// ---------------------------------------------------------------------------
// CIE HSV: hue from the L*a*b* hue angle (red near 0.97, 30 degrees of
// offset so the ring starts where classic HSV's does), saturation = chroma /
// 100, value = L / 100.

ColourTriple RgbToCieHsv(ColourTriple rgb) {
  const ColourTriple lab = RgbToLab(rgb);
  const float pi = 3.1415927f;
  const float angle = ColourAtan2(lab.c2, lab.c1);
  float degrees;
  if (angle > 0.0f) {
    degrees = angle / pi * 180.0f;
  } else {
    degrees = 360.0f - std::fabs(angle) / pi * 180.0f;
  }
  const float saturation = std::sqrt(lab.c2 * lab.c2 + lab.c1 * lab.c1) / 100.0f;
  float hue = (360.0f - Remainder(degrees - 30.0f, 360.0f)) / 360.0f;
  if (saturation < 0.001f) hue = GState.CurrentHsv.c0;
  return Triple(hue, saturation, lab.c0 / 100.0f, rgb.alpha);
}

// Saturation is chroma / 100 and may exceed 1; out-of-gamut colours are
// clamped by XyzToRgb.
ColourTriple CieHsvToRgb(ColourTriple cieHsv) {
  const float lightness = cieHsv.c2 * 100.0f;
  const float degrees = Remainder((1.0f - cieHsv.c0) * 360.0f + 30.0f, 360.0f);
  const float radians = degrees * 0.017453292f;
  float sine;
  float cosine;
  SinCos(radians, &sine, &cosine);
  const float a = cosine * cieHsv.c1 * 100.0f;
  const float b = sine * cieHsv.c1 * 100.0f;
  return LabToRgb(Triple(lightness, a, b, cieHsv.alpha));
}

ColourTriple RgbToPickerHsv(ColourTriple rgb) {
  const float rememberedHue = GState.CurrentHsv.c0;
  ColourTriple hsv = GState.CieHsvMode ? RgbToCieHsv(rgb) : RgbToHsv(rgb);
  if (hsv.c1 == 0.0f) hsv.c0 = rememberedHue;
  return hsv;
}

ColourTriple PickerHsvToRgb(ColourTriple hsv) { return GState.CieHsvMode ? CieHsvToRgb(hsv) : HsvToRgb(hsv); }

ColourTriple PixelToPickerHsv(const PluginContext* context, Pixel pixel) {
  return RgbToPickerHsv(PixelToRgb(context, pixel));
}

Pixel PickerHsvToPixel(const PluginContext* context, ColourTriple hsv) {
  return RgbToPixel(context, PickerHsvToRgb(hsv));
}

// ---------------------------------------------------------------------------
// Luma / colour-difference spaces.

// Rec. 601 luma (weights summed green, red, blue) with the PAL U/V scales;
// RGB 0..255 in, Y 0..255 out. The filter uses Y only.
ColourTriple RgbToYuv(ColourTriple rgb) {
  const float y = 0.587f * rgb.c1 + 0.299f * rgb.c0 + 0.114f * rgb.c2;
  return Triple(y, (rgb.c2 - y) * 0.565f, (rgb.c0 - y) * 0.713f, rgb.alpha);
}

ColourTriple PixelToYuv(const PluginContext* context, Pixel pixel) { return RgbToYuv(PixelToRgb(context, pixel)); }

// The slider's and gamut check's luma with its own rounded weights; RGB
// 0..255 in, (Y, red difference, blue difference) out.
ColourTriple RgbToLumaDiff(ColourTriple rgb) {
  const float y = 0.57f * rgb.c1 + 0.32f * rgb.c0 + 0.11f * rgb.c2;
  return Triple(y, (rgb.c0 - y) * 0.63f, (rgb.c2 - y) * 0.34f, rgb.alpha);
}

ColourTriple PixelToLumaDiff(const PluginContext* context, Pixel pixel) {
  return RgbToLumaDiff(PixelToRgb(context, pixel));
}

// The inverse, each channel clamped to 0..255 (green from the clamped red
// and blue).
ColourTriple LumaDiffToRgb(ColourTriple lumaDiff) {
  const float y = lumaDiff.c0;
  const float r = ClampByteRange(y + lumaDiff.c1 / 0.63f);
  const float b = ClampByteRange(y + lumaDiff.c2 / 0.34f);
  const float g = ClampByteRange((0.11f * b + 0.32f * r - y) / -0.57f);
  return Triple(r, g, b, lumaDiff.alpha);
}

// NTSC broadcast range check. level = 140 - luma on a 0..100 scale, amp the
// chroma amplitude; -1 too bright, +1 too dark, 0 inside (or check off).
int32_t NtscGamutCheck(const PluginContext* context, Pixel pixel) {
  const ColourTriple luma = PixelToLumaDiff(context, pixel);
  if (GState.GamutMode == kGamutOff) return 0;
  // Pixel bytes bound luma and chroma to a few hundred thousand, so the
  // truncations below stay well inside int range.
  const int32_t level = static_cast<int32_t>(140.0f - luma.c0 / 2.56f);
  const int32_t amp = static_cast<int32_t>(0.55f * std::sqrt(luma.c1 * luma.c1 + luma.c2 * luma.c2));
  if (GState.GamutMode == kGamutWide) {
    if (level - amp < 40) return -1;
    if (level + amp > 140) return 1;
    return 0;
  }
  if (GState.GamutMode == kGamutNarrow) {
    if (level - amp < 50) return -1;
    if (level + amp > 130) return 1;
    return 0;
  }
  return 0;
}

float SrgbEncodePower(float x) { return EncodePower()(x); }

float LabCubeRoot(float x) { return CubeRootPower()(x); }
