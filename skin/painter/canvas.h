#pragma once
// A small anti-aliased painter for the skin's images: shapes are signed distance functions, so
// every edge gets exact coverage without supersampling, and colours are blended source-over in
// straight (not premultiplied) RGBA, which is what PNG stores.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace SkinPainter {

struct Color {
  float r = 0, g = 0, b = 0, a = 1;  // 0..1, straight alpha
};

// 0xRRGGBB with an alpha of 0..1.
inline Color Rgb(uint32_t rgb, float alpha = 1.0f) {
  return Color{((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f,
               alpha};
}

inline Color Mix(const Color& a, const Color& b, float t) {
  return Color{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
               a.a + (b.a - a.a) * t};
}

// Signed distance in pixels from a pixel centre to a shape's edge: negative inside.
using Shape = std::function<float(float x, float y)>;
// The colour of a pixel centre (gradients); alpha multiplies the coverage.
using Paint = std::function<Color(float x, float y)>;

inline Paint Solid(Color c) {
  return [c](float, float) { return c; };
}
// Linear gradient from (x0, y0) with colour a to (x1, y1) with colour b.
Paint LinearGradient(float x0, float y0, Color a, float x1, float y1, Color b);

Shape RoundRect(float left, float top, float right, float bottom, float radius);
Shape Circle(float cx, float cy, float radius);
// A line from (x0, y0) to (x1, y1) with round ends, `width` wide.
Shape Stroke(float x0, float y0, float x1, float y1, float width);
// A ring centred on (cx, cy) of radius r and line width w, limited to the angles from `from` to
// `to` (degrees, clockwise from 12 o'clock), with round ends.
Shape Arc(float cx, float cy, float r, float w, float from, float to);
// Both shapes; inside either.
Shape Union(Shape a, Shape b);
// The part of a that lies outside b.
Shape Subtract(Shape a, Shape b);
// The shape grown outwards by `amount` pixels (a soft shadow uses a blurry edge instead).
Shape Grow(Shape s, float amount);

class Canvas {
public:
  Canvas(int width, int height, Color fill = Color{0, 0, 0, 0});

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Blends `paint` where `shape` covers the pixel; `softness` widens the anti-aliased edge
  // (1 = crisp, larger = blurred, for shadows and glows).
  void Fill(const Shape& shape, const Paint& paint, float softness = 1.0f);
  // The paint over the whole canvas.
  void FillAll(const Paint& paint);
  // Fill with the alpha of each pixel taken from `coverage` (0..1) times the paint's alpha.
  void FillCoverage(const std::function<float(float x, float y)>& coverage, const Paint& paint);

  Color At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  // 8-bit RGBA rows, top row first.
  std::vector<uint8_t> Rgba8() const;
  // The image as a PNG file's bytes (empty on failure), and written to `path`.
  std::vector<uint8_t> Png() const;
  bool SavePng(const std::string& path) const;

private:
  void Blend(int x, int y, Color c, float coverage);

  int width_;
  int height_;
  std::vector<Color> pixels_;
};

// Writes an icon file with one 32-bit image per canvas (each square, at most 256 pixels): the
// small ones as bitmaps, those of 48 pixels and more as PNG, which Windows reads since Vista and
// which holds them in a tenth of the bytes.
bool SaveIco(const std::string& path, const std::vector<const Canvas*>& images);

}  // namespace SkinPainter
