#include "ui_core/drawing/ui_image.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "ui_core/archives/ui_skin_resource.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_attributes.h"

// Skin images are PNG for the most part; the other formats a designer might drop in are kept,
// the exotic ones (PSD, HDR, PIC, PNM) are left out of the decoder.
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_TGA
// A skin image is never this large; a forged header must not make the decoder allocate gigabytes.
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow=local"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace SkinUI {
namespace {

// Larger image files are refused before they are read.
constexpr size_t kMaxImageFileBytes = 64u << 20;
// Decoded pixels of one image (width x height); 64 MiB of BGRA at most.
constexpr long long kMaxImagePixels = 16LL << 20;
// Rectangle values of a description beyond this are nonsense; clamping keeps the sums that
// place an image inside a control far from overflowing.
constexpr int kMaxDescriptionCoord = 1 << 20;

// The memory DC that holds each loaded image's bitmap, found from the bitmap alone (DrawImage
// takes a bitmap). It lives for the whole process and is never destroyed, because the shared
// image table frees its entries during static destruction.
class EntryDcRegistry {
public:
  static EntryDcRegistry& Get() {
    alignas(EntryDcRegistry) static unsigned char storage[sizeof(EntryDcRegistry)];
    static EntryDcRegistry* registry = new (storage) EntryDcRegistry;
    return *registry;
  }
  void Add(HBITMAP bitmap, HDC dc) {
    std::lock_guard<std::mutex> hold(lock_);
    dcs_[bitmap] = dc;
  }
  // By the DC: the entry's bitmap may have been moved out of it.
  void Remove(HDC dc) {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = dcs_.begin(); it != dcs_.end(); ++it) {
      if (it->second == dc) {
        dcs_.erase(it);
        return;
      }
    }
  }
  HDC Find(HBITMAP bitmap) {
    std::lock_guard<std::mutex> hold(lock_);
    const auto found = dcs_.find(bitmap);
    return found == dcs_.end() ? nullptr : found->second;
  }

private:
  std::mutex lock_;
  std::unordered_map<HBITMAP, HDC> dcs_;
};

// Lets go of the entry's bitmap: out of the registry, out of its DC, then deleted.
void ReleaseEntryBitmap(TImageEntryUI* entry) {
  if (entry->dc) EntryDcRegistry::Get().Remove(entry->dc.get());
  entry->dc.reset();
  entry->bitmap.reset();
  entry->pixels = nullptr;
}

bool IsBlank(wchar_t c) { return c != L'\0' && c <= L' '; }

const wchar_t* SkipBlanks(const wchar_t* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

int Clamp(int value, int low, int high) { return std::min(std::max(value, low), high); }

RECT ParseDescriptionRect(const wchar_t* text, int low) {
  RECT rc = ParseAttributeRect(text);
  rc.left = Clamp(rc.left, low, kMaxDescriptionCoord);
  rc.top = Clamp(rc.top, low, kMaxDescriptionCoord);
  rc.right = Clamp(rc.right, low, kMaxDescriptionCoord);
  rc.bottom = Clamp(rc.bottom, low, kMaxDescriptionCoord);
  return rc;
}

bool IsZero(const RECT& rc) {
  return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

void ApplyItem(TImageDescUI& desc, const CStringUI& key, const CStringUI& value) {
  const wchar_t* v = value.GetData();
  if (key == L"file") {
    desc.imageName = value;
  } else if (key == L"res") {
    desc.imageName = value;
    desc.typeGiven = true;
  } else if (key == L"restype") {
    desc.resourceType = value;
  } else if (key == L"color") {
    desc.imageName = value;
    desc.resourceType = kImageTypeColor;
    desc.typeGiven = true;
  } else if (key == L"dest") {
    desc.dest = ParseDescriptionRect(v, -kMaxDescriptionCoord);
  } else if (key == L"source") {
    desc.source = ParseDescriptionRect(v, 0);
  } else if (key == L"corner" || key == L"scale9") {
    desc.corner = ParseDescriptionRect(v, 0);
  } else if (key == L"mask") {
    desc.mask = ParseAttributeColor(v);
  } else if (key == L"fade") {
    desc.fade = static_cast<BYTE>(Clamp(ParseAttributeInt(v), 0, 255));
  } else if (key == L"hole") {
    desc.hole = ParseAttributeBool(v);
  } else if (key == L"xtiled") {
    desc.xtiled = ParseAttributeBool(v);
  } else if (key == L"ytiled") {
    desc.ytiled = ParseAttributeBool(v);
  } else if (key == L"hsl") {
    desc.useHsl = ParseAttributeBool(v);
  }
}

// A "#123" resource name or type as the numeric id it stands for; null when the text after '#'
// is not a decimal id of 16 bits, which no resource can have. Such a text must not reach
// FindResourceW: Wine's answer to a "#" number beyond 16 bits frees a pointer into the caller's
// text (one character in, so a pointer that never was a heap block).
const wchar_t* HashIdOf(const wchar_t* text) {
  unsigned id = 0;
  const wchar_t* p = text + 1;
  if (*p == L'\0') return nullptr;
  for (; *p != L'\0'; ++p) {
    if (*p < L'0' || *p > L'9') return nullptr;
    id = id * 10 + static_cast<unsigned>(*p - L'0');
    if (id > 0xFFFF) return nullptr;
  }
  return MAKEINTRESOURCEW(id);
}

// A resource type as FindResourceW takes it (see HashIdOf); null when none can match.
const wchar_t* ResourceTypeOf(const wchar_t* type) {
  if (IS_INTRESOURCE(type) || *type != L'#') return type;
  return HashIdOf(type);
}

// A resource name as FindResourceW takes it: a text that starts with a digit is a numeric id, as
// is "#" followed by a number; null when none can match.
const wchar_t* ResourceNameOf(const wchar_t* name) {
  if (IS_INTRESOURCE(name)) return name;
  if (*name == L'#') return HashIdOf(name);
  if (*name < L'0' || *name > L'9') return name;
  const int id = ParseAttributeInt(name);
  return id >= 0 && id <= 0xFFFF ? MAKEINTRESOURCEW(id) : name;
}

bool ReadResourceBytes(const wchar_t* name, const wchar_t* type, std::vector<uint8_t>* bytes) {
  HINSTANCE module = CWindowManagerUI::GetResourceInstance();
  const wchar_t* resourceName = ResourceNameOf(name);
  const wchar_t* resourceType = ResourceTypeOf(type);
  if (resourceName == nullptr || resourceType == nullptr) return false;
  HRSRC resource = ::FindResourceW(module, resourceName, resourceType);
  if (resource == nullptr) return false;
  HGLOBAL loaded = ::LoadResource(module, resource);
  const DWORD size = ::SizeofResource(module, resource);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0 || size > kMaxImageFileBytes) return false;
  const auto* begin = static_cast<const uint8_t*>(data);
  bytes->assign(begin, begin + size);
  return true;
}

// The image file's bytes from where its name and type point (see LoadImage).
bool ReadImageBytes(const wchar_t* name, const wchar_t* type, std::vector<uint8_t>* bytes) {
  if (type != nullptr && *type != L'\0') {
    if (ReadResourceBytes(name, type, bytes)) return true;
  } else {
    switch (ReadSkinResource(name, kMaxImageFileBytes, bytes)) {
      case SkinResourceRead::Ok:
        return true;
      case SkinResourceRead::NotFound:
      case SkinResourceRead::NoArchive:
        break;  // not part of the skin: try the name as a path of its own
      default:
        return false;  // found in the skin, but empty, too large or unreadable
    }
  }
  if (IS_INTRESOURCE(name)) return false;
  return ReadWholeFile(name, kMaxImageFileBytes, bytes) == SkinResourceRead::Ok;
}

// Premultiplies the RGBA pixels into a new 32-bit DIB section (BGRA), masks, and wraps it.
TImageEntryUI* MakeEntry(const uint8_t* rgba, int width, int height, DWORD mask) {
  if (width <= 0 || height <= 0 ||
      static_cast<long long>(width) * static_cast<long long>(height) > kMaxImagePixels) {
    return nullptr;
  }
  void* bits = nullptr;
  Utils::UniqueBitmap bitmap = CreateDib32(width, height, &bits);
  if (!bitmap || bits == nullptr) return nullptr;
  auto* out = static_cast<uint8_t*>(bits);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  bool alpha = false;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* in = rgba + i * 4;
    uint32_t r = in[0], g = in[1], b = in[2];
    const uint32_t a = in[3];
    if (a < 255) {
      r = r * a / 255;
      g = g * a / 255;
      b = b * a / 255;
      alpha = true;
    }
    uint32_t pixel = a << 24 | r << 16 | g << 8 | b;
    if (mask != 0 && pixel == mask) {
      pixel = 0;
      alpha = true;
    }
    std::memcpy(out + i * 4, &pixel, 4);
  }
  Utils::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) return nullptr;
  const HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
  if (old == nullptr || old == HGDI_ERROR) return nullptr;
  auto* entry = new TImageEntryUI;
  entry->bitmap = std::move(bitmap);
  entry->dc = std::move(dc);
  EntryDcRegistry::Get().Add(entry->bitmap.get(), entry->dc.get());
  entry->pixels = out;
  entry->width = width;
  entry->height = height;
  entry->alpha = alpha;
  entry->mask = mask;
  return entry;
}

// --- colour shift ------------------------------------------------------------------------------

struct Hsl {
  double h;  // degrees, 0-360
  double s;  // 0-1
  double l;  // 0-1
};

Hsl RgbToHsl(double r, double g, double b) {
  const double maxC = std::max(r, std::max(g, b));
  const double minC = std::min(r, std::min(g, b));
  Hsl out = {0.0, 0.0, (maxC + minC) / 2.0};
  const double delta = maxC - minC;
  if (delta <= 0.0) return out;
  out.s = out.l > 0.5 ? delta / (2.0 - maxC - minC) : delta / (maxC + minC);
  if (maxC == r) {
    out.h = (g - b) / delta + (g < b ? 6.0 : 0.0);
  } else if (maxC == g) {
    out.h = (b - r) / delta + 2.0;
  } else {
    out.h = (r - g) / delta + 4.0;
  }
  out.h *= 60.0;
  return out;
}

double HueToChannel(double p, double q, double t) {
  if (t < 0.0) t += 1.0;
  if (t > 1.0) t -= 1.0;
  if (t < 1.0 / 6.0) return p + (q - p) * 6.0 * t;
  if (t < 1.0 / 2.0) return q;
  if (t < 2.0 / 3.0) return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
  return p;
}

void HslToRgb(const Hsl& in, double* r, double* g, double* b) {
  if (in.s <= 0.0) {
    *r = *g = *b = in.l;
    return;
  }
  const double q = in.l < 0.5 ? in.l * (1.0 + in.s) : in.l + in.s - in.l * in.s;
  const double p = 2.0 * in.l - q;
  const double h = in.h / 360.0;
  *r = HueToChannel(p, q, h + 1.0 / 3.0);
  *g = HueToChannel(p, q, h);
  *b = HueToChannel(p, q, h - 1.0 / 3.0);
}

uint32_t ToByte(double v) {
  const double scaled = std::floor(v * 255.0 + 0.5);
  return static_cast<uint32_t>(std::min(255.0, std::max(0.0, scaled)));
}

// The RGB of `rgb` (alpha ignored) shifted; the neutral values are not handled here.
uint32_t ShiftRgb(uint32_t rgb, short hue, short saturation, short lightness) {
  Hsl hsl = RgbToHsl(((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                     (rgb & 0xFF) / 255.0);
  hsl.h = hue - 180 + hsl.h;
  if (hsl.h <= 0.0) hsl.h += 360.0;
  if (hsl.h > 360.0) hsl.h = std::fmod(hsl.h, 360.0);
  hsl.s = std::min(1.0, std::max(0.0, hsl.s * saturation / 100.0));
  hsl.l = std::min(1.0, std::max(0.0, hsl.l * lightness / 100.0));
  double r = 0, g = 0, b = 0;
  HslToRgb(hsl, &r, &g, &b);
  return ToByte(r) << 16 | ToByte(g) << 8 | ToByte(b);
}

bool IsNeutralShift(short hue, short saturation, short lightness) {
  return hue == 180 && saturation == 100 && lightness == 100;
}

// One premultiplied BGRA pixel shifted: unpremultiplied, shifted, premultiplied again, so that no
// colour component ends above the pixel's alpha.
uint32_t ShiftPremultiplied(uint32_t pixel, short hue, short saturation, short lightness) {
  const uint32_t a = pixel >> 24;
  if (a == 0) return 0;
  uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  if (a < 255) {
    r = std::min<uint32_t>(255, (r * 255 + a / 2) / a);
    g = std::min<uint32_t>(255, (g * 255 + a / 2) / a);
    b = std::min<uint32_t>(255, (b * 255 + a / 2) / a);
  }
  const uint32_t shifted = ShiftRgb(r << 16 | g << 8 | b, hue, saturation, lightness);
  r = (shifted >> 16) & 0xFF;
  g = (shifted >> 8) & 0xFF;
  b = shifted & 0xFF;
  if (a < 255) {
    r = r * a / 255;
    g = g * a / 255;
    b = b * a / 255;
  }
  return a << 24 | r << 16 | g << 8 | b;
}

}  // namespace

// --- the records ---------------------------------------------------------------------------------

TImageEntryUI::~TImageEntryUI() { ReleaseEntryBitmap(this); }

void TImageDescUI::Clear() {
  description.Empty();
  imageName.Empty();
  resourceType.Empty();
  typeGiven = false;
  parsed = false;
  image = nullptr;
  dest = RECT{0, 0, 0, 0};
  source = RECT{0, 0, 0, 0};
  corner = RECT{0, 0, 0, 0};
  mask = 0;
  fade = 255;
  hole = false;
  xtiled = false;
  ytiled = false;
  useHsl = false;
}

void TImageDescUI::SetDescription(const wchar_t* text) {
  Clear();
  description = text;
}

void TImageDescUI::Parse() {
  imageName = description;
  if (description.Find(L'=') < 0) return;  // a bare image name

  CStringUI key;
  CStringUI value;
  const wchar_t* p = description.GetData();
  for (;;) {
    p = SkipBlanks(p);
    if (*p == L'\0') return;
    const wchar_t* keyStart = p;
    while (*p != L'\0' && *p != L'=' && !IsBlank(*p)) ++p;
    key.Assign(keyStart, static_cast<int>(p - keyStart));
    p = SkipBlanks(p);
    if (*p != L'=') return;
    p = SkipBlanks(p + 1);
    if (*p != L'\'') return;
    const wchar_t* valueStart = ++p;
    while (*p != L'\0' && *p != L'\'') ++p;
    if (*p != L'\'') return;  // unterminated value
    value.Assign(valueStart, static_cast<int>(p - valueStart));
    ++p;
    if (!value.IsEmpty()) ApplyItem(*this, key, value);
    if (*p == L'\0') return;
    if (!IsBlank(*p)) return;
  }
}

bool TImageDescUI::IsLoaded(const wchar_t* text) const {
  return image != nullptr && description == text;
}

// --- loading ------------------------------------------------------------------------------------

TImageEntryUI* CRenderUI::LoadImage(const wchar_t* name, const wchar_t* type, DWORD mask) {
  if (name == nullptr || (!IS_INTRESOURCE(name) && *name == L'\0')) return nullptr;
  if (type != nullptr && !IS_INTRESOURCE(type) && std::wcscmp(type, kImageTypeColor) == 0) {
    if (IS_INTRESOURCE(name)) return nullptr;
    const DWORD argb = ParseAttributeColor(name);
    const uint8_t rgba[4] = {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                             static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 24)};
    return MakeEntry(rgba, 1, 1, mask);
  }
  std::vector<uint8_t> bytes;
  if (!ReadImageBytes(name, type, &bytes)) return nullptr;
  return LoadImageFromMemory(bytes.data(), bytes.size(), mask);
}

TImageEntryUI* CRenderUI::LoadImageFromMemory(const uint8_t* bytes, size_t size, DWORD mask) {
  if (bytes == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX)) return nullptr;
  const int length = static_cast<int>(size);
  int width = 0;
  int height = 0;
  int components = 0;
  if (!stbi_info_from_memory(bytes, length, &width, &height, &components)) return nullptr;
  if (width <= 0 || height <= 0 ||
      static_cast<long long>(width) * static_cast<long long>(height) > kMaxImagePixels) {
    return nullptr;
  }
  stbi_uc* rgba = stbi_load_from_memory(bytes, length, &width, &height, &components, 4);
  if (rgba == nullptr) return nullptr;
  TImageEntryUI* entry = MakeEntry(rgba, width, height, mask);
  stbi_image_free(rgba);
  return entry;
}

void CRenderUI::FreeImage(TImageEntryUI* entry, bool deleteRecord) {
  if (entry == nullptr) return;
  ReleaseEntryBitmap(entry);
  entry->pixelCopy.reset();
  if (deleteRecord) delete entry;
}

// --- drawing a description -----------------------------------------------------------------------

bool CRenderUI::DrawImageString(HDC hDC, CWindowManagerUI* manager, const RECT& item,
                                const RECT& paint, TImageDescUI& image) {
  if (!image.parsed) {
    // Without a window there is nothing to load from yet; the record stays unparsed so that the
    // first paint with a window loads it.
    if (manager == nullptr) return !image.description.IsEmpty();
    image.parsed = true;
    if (image.description.IsEmpty()) return false;
    image.Parse();
    image.image = manager->GetImageEx(image.imageName.GetData(),
                                      image.typeGiven ? image.resourceType.GetData() : nullptr,
                                      image.mask, image.useHsl);
    if (image.image == nullptr) return false;
    if (IsZero(image.source)) {
      image.source = RECT{0, 0, image.image->width, image.image->height};
    }
  }
  TImageEntryUI* entry = image.image;
  if (entry == nullptr) return false;

  RECT& source = image.source;
  source.right = std::min<LONG>(source.right, entry->width);
  source.bottom = std::min<LONG>(source.bottom, entry->height);
  if (hDC == nullptr) return true;

  RECT dest = item;
  if (!IsZero(image.dest)) {
    dest.left = item.left + image.dest.left;
    dest.top = item.top + image.dest.top;
    dest.right = std::min<LONG>(item.right, item.left + image.dest.right);
    dest.bottom = std::min<LONG>(item.bottom, item.top + image.dest.bottom);
  }
  RECT visible;
  if (!::IntersectRect(&visible, &dest, &item) || !::IntersectRect(&visible, &dest, &paint)) {
    return true;
  }
  DrawImage(hDC, entry->bitmap.get(), dest, paint, source, image.corner, entry->alpha, image.fade,
            image.hole, image.xtiled, image.ytiled);
  return true;
}

// --- nine-grid drawing ----------------------------------------------------------------------------

namespace {

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }

// Draws the parts of one image from a memory DC that holds its bitmap.
class NineGridPainter {
public:
  NineGridPainter(HDC target, HDC source, const RECT& paint, bool blend, BYTE fade)
      : target_(target), source_(source), paint_(paint), blend_(blend) {
    function_.BlendOp = AC_SRC_OVER;
    function_.BlendFlags = 0;
    function_.SourceConstantAlpha = fade;
    function_.AlphaFormat = AC_SRC_ALPHA;
    alphaBlend_ = CRenderUI::GetAlphaBlend();
  }

  // One part: unstretched parts are cut to the paint rect, stretched ones drawn whole.
  void Part(const RECT& dst, const RECT& src) const {
    if (Width(dst) <= 0 || Height(dst) <= 0 || Width(src) <= 0 || Height(src) <= 0) return;
    RECT visible;
    if (!::IntersectRect(&visible, &dst, &paint_)) return;
    if (Width(dst) == Width(src) && Height(dst) == Height(src)) {
      Copy(visible, src.left + (visible.left - dst.left), src.top + (visible.top - dst.top));
    } else if (blend_) {
      alphaBlend_(target_, dst.left, dst.top, Width(dst), Height(dst), source_, src.left, src.top,
                  Width(src), Height(src), function_);
    } else {
      ::StretchBlt(target_, dst.left, dst.top, Width(dst), Height(dst), source_, src.left,
                   src.top, Width(src), Height(src), SRCCOPY);
    }
  }

  // The centre repeated: tiles of the source's size along the tiled directions, the last one cut;
  // along a direction that is not tiled each tile is stretched over the whole centre. Only the
  // tiles that meet the paint rect are drawn.
  void Tiles(const RECT& dst, const RECT& src, bool xtiled, bool ytiled) const {
    const int tileWidth = xtiled ? Width(src) : Width(dst);
    const int tileHeight = ytiled ? Height(src) : Height(dst);
    // A source centre without pixels has nothing to repeat (and would never advance).
    if (tileWidth <= 0 || tileHeight <= 0 || Width(dst) <= 0 || Height(dst) <= 0) return;
    RECT visible;
    if (!::IntersectRect(&visible, &dst, &paint_)) return;
    const int firstX = dst.left + (visible.left - dst.left) / tileWidth * tileWidth;
    const int firstY = dst.top + (visible.top - dst.top) / tileHeight * tileHeight;
    for (int y = firstY; y < visible.bottom; y += tileHeight) {
      const int h = std::min(tileHeight, static_cast<int>(dst.bottom) - y);
      for (int x = firstX; x < visible.right; x += tileWidth) {
        const int w = std::min(tileWidth, static_cast<int>(dst.right) - x);
        const RECT tile = {x, y, x + w, y + h};
        const RECT part = {src.left, src.top, xtiled ? src.left + w : src.right,
                           ytiled ? src.top + h : src.bottom};
        Part(tile, part);
      }
    }
  }

private:
  void Copy(const RECT& dst, int sx, int sy) const {
    if (blend_) {
      alphaBlend_(target_, dst.left, dst.top, Width(dst), Height(dst), source_, sx, sy,
                  Width(dst), Height(dst), function_);
    } else {
      ::BitBlt(target_, dst.left, dst.top, Width(dst), Height(dst), source_, sx, sy, SRCCOPY);
    }
  }

  HDC target_;
  HDC source_;
  const RECT& paint_;
  bool blend_;
  BLENDFUNCTION function_;
  AlphaBlendFunction alphaBlend_;
};

}  // namespace

void CRenderUI::DrawImage(HDC hDC, HBITMAP bitmap, const RECT& dest, const RECT& paint,
                          const RECT& source, const RECT& corners, bool alpha, BYTE fade,
                          bool hole, bool xtiled, bool ytiled) {
  if (hDC == nullptr || bitmap == nullptr) return;
  BITMAP info = {};
  if (::GetObjectW(bitmap, sizeof(info), &info) != sizeof(info)) return;
  // The source is cut to the bitmap; a part outside it has nothing to show.
  RECT src = source;
  src.left = std::max<LONG>(src.left, 0);
  src.top = std::max<LONG>(src.top, 0);
  src.right = std::min<LONG>(src.right, info.bmWidth);
  src.bottom = std::min<LONG>(src.bottom, std::abs(info.bmHeight));
  if (src.right <= src.left || src.bottom <= src.top) return;
  if (dest.right <= dest.left || dest.bottom <= dest.top) return;
  const RECT c = {std::max<LONG>(corners.left, 0), std::max<LONG>(corners.top, 0),
                  std::max<LONG>(corners.right, 0), std::max<LONG>(corners.bottom, 0)};

  // A loaded image is already selected into its own DC; any other bitmap is selected into a
  // DC made for this call.
  HDC bitmapDC = EntryDcRegistry::Get().Find(bitmap);
  Utils::UniqueMemoryDC memory;
  HGDIOBJ old = nullptr;
  if (bitmapDC == nullptr) {
    memory.reset(::CreateCompatibleDC(hDC));
    if (!memory) return;
    old = ::SelectObject(memory.get(), bitmap);
    if (old == nullptr || old == HGDI_ERROR) return;  // selected into another DC
    bitmapDC = memory.get();
  }
  const int oldMode = ::SetStretchBltMode(hDC, COLORONCOLOR);

  const NineGridPainter painter(hDC, bitmapDC, paint, alpha || fade != 255, fade);
  if (!hole) {
    const RECT centre = {dest.left + c.left, dest.top + c.top, dest.right - c.right,
                         dest.bottom - c.bottom};
    const RECT centreSource = {src.left + c.left, src.top + c.top, src.right - c.right,
                               src.bottom - c.bottom};
    if (xtiled || ytiled) {
      painter.Tiles(centre, centreSource, xtiled, ytiled);
    } else {
      painter.Part(centre, centreSource);
    }
  }
  // Corners, unstretched.
  if (c.left > 0 && c.top > 0) {
    painter.Part({dest.left, dest.top, dest.left + c.left, dest.top + c.top},
                 {src.left, src.top, src.left + c.left, src.top + c.top});
  }
  if (c.right > 0 && c.top > 0) {
    painter.Part({dest.right - c.right, dest.top, dest.right, dest.top + c.top},
                 {src.right - c.right, src.top, src.right, src.top + c.top});
  }
  if (c.left > 0 && c.bottom > 0) {
    painter.Part({dest.left, dest.bottom - c.bottom, dest.left + c.left, dest.bottom},
                 {src.left, src.bottom - c.bottom, src.left + c.left, src.bottom});
  }
  if (c.right > 0 && c.bottom > 0) {
    painter.Part({dest.right - c.right, dest.bottom - c.bottom, dest.right, dest.bottom},
                 {src.right - c.right, src.bottom - c.bottom, src.right, src.bottom});
  }
  // Edges, stretched along their length.
  if (c.left > 0) {
    painter.Part({dest.left, dest.top + c.top, dest.left + c.left, dest.bottom - c.bottom},
                 {src.left, src.top + c.top, src.left + c.left, src.bottom - c.bottom});
  }
  if (c.top > 0) {
    painter.Part({dest.left + c.left, dest.top, dest.right - c.right, dest.top + c.top},
                 {src.left + c.left, src.top, src.right - c.right, src.top + c.top});
  }
  if (c.right > 0) {
    painter.Part({dest.right - c.right, dest.top + c.top, dest.right, dest.bottom - c.bottom},
                 {src.right - c.right, src.top + c.top, src.right, src.bottom - c.bottom});
  }
  if (c.bottom > 0) {
    painter.Part({dest.left + c.left, dest.bottom - c.bottom, dest.right - c.right, dest.bottom},
                 {src.left + c.left, src.bottom - c.bottom, src.right - c.right, src.bottom});
  }

  ::SetStretchBltMode(hDC, oldMode);
  if (old != nullptr) ::SelectObject(memory.get(), old);
}

// --- colour shift -------------------------------------------------------------------------------

DWORD CRenderUI::AdjustColor(DWORD argb, short hue, short saturation, short lightness) {
  if (IsNeutralShift(hue, saturation, lightness)) return argb;
  return (argb & 0xFF000000u) | ShiftRgb(argb & 0x00FFFFFFu, hue, saturation, lightness);
}

void CRenderUI::AdjustImage(bool useHsl, TImageEntryUI* entry, short hue, short saturation,
                            short lightness) {
  if (entry == nullptr || !entry->useHsl || !entry->bitmap || entry->pixels == nullptr ||
      !entry->pixelCopy || entry->width <= 0 || entry->height <= 0) {
    return;
  }
  ::GdiFlush();
  const size_t count = static_cast<size_t>(entry->width) * static_cast<size_t>(entry->height);
  if (!useHsl || IsNeutralShift(hue, saturation, lightness)) {
    std::memcpy(entry->pixels, entry->pixelCopy.get(), count * 4);
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, entry->pixelCopy.get() + i * 4, 4);
    pixel = ShiftPremultiplied(pixel, hue, saturation, lightness);
    std::memcpy(entry->pixels + i * 4, &pixel, 4);
  }
}

}  // namespace SkinUI
