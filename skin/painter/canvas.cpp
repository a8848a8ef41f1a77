#include "canvas.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>

namespace SkinPainter {
unsigned char* DeflateSmallest(unsigned char* data, int length, int* outLength, int quality);
}

// stb's own deflate is quick and weak; the images ship inside the program, so every one is
// deflated by zlib at its best instead (about half the bytes).
#define STBIW_ZLIB_COMPRESS SkinPainter::DeflateSmallest
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace SkinPainter {

// A zlib stream of `data`: the smallest of zlib's strategies at level 9, in memory from malloc
// (stb_image_write frees it).
unsigned char* DeflateSmallest(unsigned char* data, int length, int* outLength, int /*quality*/) {
  unsigned char* best = nullptr;
  uLongf bestLength = 0;
  for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE}) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15, 9, strategy) != Z_OK) continue;
    const uLong bound = deflateBound(&z, static_cast<uLong>(length));
    unsigned char* out = static_cast<unsigned char*>(std::malloc(bound));
    z.next_in = data;
    z.avail_in = static_cast<uInt>(length);
    z.next_out = out;
    z.avail_out = static_cast<uInt>(bound);
    const bool done = out != nullptr && deflate(&z, Z_FINISH) == Z_STREAM_END;
    deflateEnd(&z);
    if (done && (best == nullptr || z.total_out < bestLength)) {
      std::free(best);
      best = out;
      bestLength = z.total_out;
    } else {
      std::free(out);
    }
  }
  if (best != nullptr) *outLength = static_cast<int>(bestLength);
  return best;
}

namespace {

constexpr float kPi = 3.14159265358979f;

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

float SegmentDistance(float px, float py, float x0, float y0, float x1, float y1) {
  const float dx = x1 - x0, dy = y1 - y0;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0f;
  t = Clamp01(t);
  const float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

}  // namespace

Paint LinearGradient(float x0, float y0, Color a, float x1, float y1, Color b) {
  const float dx = x1 - x0, dy = y1 - y0;
  const float len2 = std::max(1e-6f, dx * dx + dy * dy);
  return [=](float x, float y) {
    const float t = Clamp01(((x - x0) * dx + (y - y0) * dy) / len2);
    return Mix(a, b, t);
  };
}

Shape RoundRect(float left, float top, float right, float bottom, float radius) {
  const float cx = (left + right) / 2, cy = (top + bottom) / 2;
  const float hx = (right - left) / 2, hy = (bottom - top) / 2;
  radius = std::min(radius, std::min(hx, hy));
  return [=](float x, float y) {
    const float qx = std::fabs(x - cx) - (hx - radius);
    const float qy = std::fabs(y - cy) - (hy - radius);
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
  };
}

Shape Circle(float cx, float cy, float radius) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
}

Shape Stroke(float x0, float y0, float x1, float y1, float width) {
  return [=](float x, float y) { return SegmentDistance(x, y, x0, y0, x1, y1) - width / 2; };
}

Shape Arc(float cx, float cy, float r, float w, float from, float to) {
  const float a0 = from * kPi / 180.0f, a1 = to * kPi / 180.0f;
  // End points of the arc's centre line (angles clockwise from 12 o'clock, y grows downwards).
  const float sx = cx + r * std::sin(a0), sy = cy - r * std::cos(a0);
  const float ex = cx + r * std::sin(a1), ey = cy - r * std::cos(a1);
  return [=](float x, float y) {
    float angle = std::atan2(x - cx, -(y - cy));  // clockwise from 12 o'clock
    while (angle < a0) angle += 2 * kPi;
    while (angle >= a0 + 2 * kPi) angle -= 2 * kPi;
    if (angle <= a1) return std::fabs(std::hypot(x - cx, y - cy) - r) - w / 2;
    const float toStart = std::hypot(x - sx, y - sy), toEnd = std::hypot(x - ex, y - ey);
    return std::min(toStart, toEnd) - w / 2;
  };
}

Shape Union(Shape a, Shape b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Shape Subtract(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Shape Grow(Shape s, float amount) {
  return [=](float x, float y) { return s(x, y) - amount; };
}

Canvas::Canvas(int width, int height, Color fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Blend(int x, int y, Color c, float coverage) {
  const float sa = Clamp01(c.a * coverage);
  if (sa <= 0.0f) return;
  Color& d = pixels_[static_cast<size_t>(y) * width_ + x];
  const float outA = sa + d.a * (1 - sa);
  if (outA <= 0.0f) return;
  d.r = (c.r * sa + d.r * d.a * (1 - sa)) / outA;
  d.g = (c.g * sa + d.g * d.a * (1 - sa)) / outA;
  d.b = (c.b * sa + d.b * d.a * (1 - sa)) / outA;
  d.a = outA;
}

void Canvas::Fill(const Shape& shape, const Paint& paint, float softness) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      const float coverage = Clamp01(0.5f - shape(px, py) / softness);
      if (coverage > 0.0f) Blend(x, y, paint(px, py), coverage);
    }
  }
}

void Canvas::FillAll(const Paint& paint) {
  FillCoverage([](float, float) { return 1.0f; }, paint);
}

void Canvas::FillCoverage(const std::function<float(float, float)>& coverage, const Paint& paint) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      Blend(x, y, paint(px, py), Clamp01(coverage(px, py)));
    }
  }
}

std::vector<uint8_t> Canvas::Rgba8() const {
  std::vector<uint8_t> out;
  out.reserve(pixels_.size() * 4);
  for (const Color& c : pixels_) {
    out.push_back(ToByte(c.r));
    out.push_back(ToByte(c.g));
    out.push_back(ToByte(c.b));
    out.push_back(ToByte(c.a));
  }
  return out;
}

namespace {

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

std::vector<uint8_t> Canvas::Png() const {
  const std::vector<uint8_t> rgba = Rgba8();
  // The same row filter throughout suits one image better than another (flat fills, gradients,
  // soft edges): each filter and stb's choice per row are tried, and the smallest file is kept.
  std::vector<uint8_t> best;
  for (int filter = -1; filter <= 4; ++filter) {
    stbi_write_force_png_filter = filter;
    int length = 0;
    unsigned char* png = stbi_write_png_to_mem(rgba.data(), width_ * 4, width_, height_, 4, &length);
    if (png != nullptr && (best.empty() || static_cast<size_t>(length) < best.size())) {
      best.assign(png, png + length);
    }
    std::free(png);
  }
  stbi_write_force_png_filter = -1;
  return best;
}

bool Canvas::SavePng(const std::string& path) const {
  const std::vector<uint8_t> png = Png();
  return !png.empty() && WriteFile(path, png);
}

namespace {

void PutLe16(std::vector<uint8_t>* out, unsigned v) {
  out->push_back(v & 0xFF);
  out->push_back((v >> 8) & 0xFF);
}
void PutLe32(std::vector<uint8_t>* out, unsigned v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

// One icon image as the DIB that an icon directory entry points to: a BITMAPINFOHEADER of
// double height, the BGRA rows bottom-up, then the 1-bit AND mask (all zero: alpha decides).
std::vector<uint8_t> IconDib(const Canvas& c) {
  std::vector<uint8_t> dib;
  const unsigned w = c.Width(), h = c.Height();
  const unsigned maskStride = ((w + 31) / 32) * 4;
  PutLe32(&dib, 40);
  PutLe32(&dib, w);
  PutLe32(&dib, h * 2);
  PutLe16(&dib, 1);
  PutLe16(&dib, 32);
  PutLe32(&dib, 0);
  PutLe32(&dib, w * h * 4 + maskStride * h);
  for (int i = 0; i < 4; ++i) PutLe32(&dib, 0);
  const std::vector<uint8_t> rgba = c.Rgba8();
  for (int y = static_cast<int>(h) - 1; y >= 0; --y) {
    for (unsigned x = 0; x < w; ++x) {
      const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      dib.push_back(p[2]);
      dib.push_back(p[1]);
      dib.push_back(p[0]);
      dib.push_back(p[3]);
    }
  }
  dib.insert(dib.end(), static_cast<size_t>(maskStride) * h, 0);
  return dib;
}

// From this size on an icon image is stored as PNG.
constexpr int kIconPngSize = 48;

}  // namespace

bool SaveIco(const std::string& path, const std::vector<const Canvas*>& images) {
  std::vector<uint8_t> header;
  std::vector<uint8_t> body;
  PutLe16(&header, 0);
  PutLe16(&header, 1);
  PutLe16(&header, static_cast<unsigned>(images.size()));
  unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
  for (const Canvas* c : images) {
    const std::vector<uint8_t> dib = c->Width() >= kIconPngSize ? c->Png() : IconDib(*c);
    if (dib.empty()) return false;
    header.push_back(c->Width() >= 256 ? 0 : static_cast<uint8_t>(c->Width()));
    header.push_back(c->Height() >= 256 ? 0 : static_cast<uint8_t>(c->Height()));
    header.push_back(0);
    header.push_back(0);
    PutLe16(&header, 1);
    PutLe16(&header, 32);
    PutLe32(&header, static_cast<unsigned>(dib.size()));
    PutLe32(&header, offset);
    offset += static_cast<unsigned>(dib.size());
    body.insert(body.end(), dib.begin(), dib.end());
  }
  header.insert(header.end(), body.begin(), body.end());
  return WriteFile(path, header);
}

}  // namespace SkinPainter
