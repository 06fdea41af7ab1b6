// Tintwell colour: the transcendental functions of the colour arithmetic.
//
// Layer: colour/ (pure arithmetic). Evaluated in double with only IEEE-exact
// operations (+ - * / sqrt) from tables built at compile time, and rounded
// once to float, so the Windows and Linux builds give the same bits (their C
// libraries' pow, sin and atan2 differ in the last bit).
#include "colour/colour_maths.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "colour/colour_constants.h"

using namespace colour;

namespace {

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
  // Taylor series evaluated by Estrin's scheme so the halves run in parallel.
  const double sinPoly = ((kSin[0] + z * kSin[1]) + z2 * (kSin[2] + z * kSin[3])) +
                         z4 * ((kSin[4] + z * kSin[5]) + z2 * kSin[6]);
  const double cosPoly = ((kCos[0] + z * kCos[1]) + z2 * (kCos[2] + z * kCos[3])) +
                         z4 * ((kCos[4] + z * kCos[5]) + z2 * (kCos[6] + z * kCos[7]));
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
  static const FixedPower power(kSrgbInverseGamma, -9, 0);
  return power;
}

const FixedPower& CubeRootPower() {
  static const FixedPower power(kLabCubeRoot, -7, 1);
  return power;
}

}  // namespace

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

void ColourSinCos(float radians, float* sine, float* cosine) {
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
namespace {

double ReducedAngle(float radians) {
  if (std::fabs(radians) < 1048576.0f) return radians;
  if (!std::isfinite(radians)) return NAN;
  return std::fmod(static_cast<double>(radians), 2.0 * kPi);
}

}  // namespace

namespace {

// Sine and cosine of the reduced angle; both NaN where the angle is.
void ReducedSinCos(float radians, double* sine, double* cosine) {
  const double angle = ReducedAngle(radians);
  *sine = NAN;
  *cosine = NAN;
  if (!std::isnan(angle)) SinCosOf(angle, sine, cosine);
}

}  // namespace

float ColourSin(float radians) {
  double sine, cosine;
  ReducedSinCos(radians, &sine, &cosine);
  return static_cast<float>(sine);
}

float ColourCos(float radians) {
  double sine, cosine;
  ReducedSinCos(radians, &sine, &cosine);
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

float SrgbEncodePower(float x) { return EncodePower()(x); }

float LabCubeRoot(float x) { return CubeRootPower()(x); }
