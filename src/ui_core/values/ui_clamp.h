#pragma once
// Saturating integer helpers for placement arithmetic. Sizes, positions and ranges come from
// skin attributes and may be as large as an int holds; sums, differences and scaled shares are
// computed wide and clamped instead of wrapping around.
#include <climits>
#include <cmath>

namespace SkinUI {

inline int ClampToInt(long long value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

inline int AddClamped(int a, int b) { return ClampToInt(static_cast<long long>(a) + b); }
inline int SubClamped(int a, int b) { return ClampToInt(static_cast<long long>(a) - b); }

// extent x share, truncated toward zero; a share that is not a finite number counts as 0.
inline int ScaleByShare(int extent, double share) {
  const double product = static_cast<double>(extent) * share;
  if (!std::isfinite(product)) return 0;
  if (product >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (product <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(product);
}

}  // namespace SkinUI
