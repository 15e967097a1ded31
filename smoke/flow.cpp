// flow.cpp: flow profile and source map.
//
// The tables must come out the same on every build, so the arithmetic follows a fixed
// recipe: doubles throughout, a few steps rounded once to single precision, angles and
// ramps accumulated by repeated addition, every conversion to an integer truncating.
#include "smoke/flow.h"

#include <cmath>
#include <initializer_list>

#include "smoke/field.h"

namespace {
constexpr int32_t kWaveStartAboveCentre = 100;  // the upper wave starts 100 rows above the centre
constexpr double kWaveAngleStep = 0.034;

double Single(double x) { return static_cast<double>(static_cast<float>(x)); }
}  // namespace

int BuildFlowProfile(int32_t* flowProfile, int32_t amplitude, int32_t width, int32_t height) {
  if (!IsFieldSize(width, height)) return 0;
  const int32_t half = height / 2, quarter = height / 4, centre = width / 2;

  for (int32_t y = half - quarter; y < half + quarter; ++y) flowProfile[y] = centre;

  // The upper wave runs from its start row up to the top, overwriting the band's top rows.
  const int32_t r0 = half - kWaveStartAboveCentre;
  if (r0 >= 0) {
    double angle = 0.0;
    for (int32_t y = r0; y >= 0; --y) {
      flowProfile[y] = static_cast<int32_t>(centre - amplitude * std::sin(angle));
      angle = angle + kWaveAngleStep;
    }
  }
  const int32_t r1 = half + quarter;
  if (r1 < height) {
    double angle = 0.0;
    for (int32_t y = r1; y < height; ++y) {
      flowProfile[y] = static_cast<int32_t>(centre + amplitude * std::sin(angle));
      angle = angle + kWaveAngleStep;
    }
  }
  return 1;
}

int BuildSourceMap(uint32_t* sourceMap, int32_t width, int32_t height, int32_t centreRow,
                   int32_t spread, int32_t rise, int32_t fall, const int32_t* flowProfile) {
  if (!IsFieldSize(width, height) || centreRow < 1 || centreRow >= height) return 0;
  // Speeds beyond a field's height mean nothing; the bound keeps every step in range.
  for (int32_t speed : {spread, rise, fall}) {
    if (speed < 0 || speed > height) return 0;
  }
  for (int32_t y = 0; y < height - 1; ++y) {
    if (flowProfile[y] < 0 || flowProfile[y] > width) return 0;
  }

  int32_t sourceRow[kTableRows];

  // Lower half, bottom up: the speed falls from `fall` rows at the bottom towards 0.
  double acc = fall;
  double dAcc = Single(static_cast<double>(fall + 1) / static_cast<double>(height - centreRow));
  for (int32_t y = height - 1; y >= centreRow; --y) {
    const int32_t s = static_cast<int32_t>(y - acc);
    sourceRow[y] = s < 0 ? 0 : s;
    acc = acc - dAcc;
  }

  // Upper half, top down: the speed falls from `rise` + 1 rows at the top.
  acc = rise + 1;
  dAcc = Single(static_cast<double>(rise) / static_cast<double>(centreRow));
  for (int32_t y = 0; y < centreRow; ++y) {
    const int32_t s = static_cast<int32_t>(y + acc);
    sourceRow[y] = s > centreRow - 1 ? centreRow - 1 : s;
    acc = acc - dAcc;
  }

  for (int32_t y = 0; y < height; ++y) {
    uint32_t* entry = sourceMap + static_cast<size_t>(y) * width;
    const uint32_t rowBase = static_cast<uint32_t>(sourceRow[y]) * static_cast<uint32_t>(width);
    for (int32_t x = 0; x < width; ++x) entry[x] = rowBase + x;
    if (y == height - 1) break;  // the bottom row has no horizontal motion

    const int32_t split = flowProfile[y];
    // Left of the split: take from up to `spread` x split / W columns to the right.
    double u = static_cast<double>(spread * split) / static_cast<double>(width);
    const double du = Single(u / static_cast<double>(split));
    for (int32_t x = 0; x < split - 1; ++x) {
      if (u < 0) u = 0;
      entry[x] = rowBase + x + static_cast<int32_t>(u);
      u = u - du;
    }
    // From the split on: take from columns to the left, fastest at the right edge.
    const int32_t d = width - split;
    double w = static_cast<double>(spread * d) / static_cast<double>(width);
    const double dw = Single(w / static_cast<double>(d));
    for (int32_t x = width - 1; x >= split; --x) {
      if (w < 0) w = 0;
      entry[x] = rowBase + x - static_cast<int32_t>(w);
      w = w - dw;
    }
  }
  return 1;
}
