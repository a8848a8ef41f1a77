#pragma once
// Skin images: the description a control keeps per image attribute (TImageDescUI) and the
// decoded image a window manager keeps per image name (TImageEntryUI).
//
// A description is a bare image name ("res\mainWnd\bg1.png") or items of the form
// key='value' separated by blanks: file, res, restype, color, dest, source, corner (scale9), mask,
// fade, hole, xtiled, ytiled, hsl. Descriptions come from skins, so they are untrusted text.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/unique_resource.h"
#include "ui_core/values/ui_string.h"

namespace SkinUI {

// Resource type of an image that is a single pixel of a colour ("color='#80FF0000'").
constexpr const wchar_t* kImageTypeColor = L"*COLOR*";

// One decoded image: a 32-bit top-down DIB section with premultiplied BGRA pixels. Owned by a
// window manager's image table (or the process-wide shared table), or by a window shadow.
// Release it with CRenderUI::FreeImage or delete, never by resetting `bitmap` alone: the bitmap
// stays selected into the entry's own memory DC, from which every draw of it blits.
struct TImageEntryUI {
  TImageEntryUI() = default;
  ~TImageEntryUI();
  TImageEntryUI(const TImageEntryUI&) = delete;
  TImageEntryUI& operator=(const TImageEntryUI&) = delete;

  Utils::UniqueBitmap bitmap;
  uint8_t* pixels = nullptr;              // into the DIB section; width * height * 4 bytes
  std::unique_ptr<uint8_t[]> pixelCopy;   // untouched pixels for the colour shift; null unless hsl
  int width = 0;
  int height = 0;
  bool alpha = false;   // some pixel has alpha below 255 (or was masked)
  bool useHsl = false;  // follows the window's hue, saturation and lightness
  CStringUI resourceType;
  DWORD mask = 0;
  // Holds `bitmap` selected for the entry's life (selecting a bitmap costs more than the blit);
  // declared after it so that the DC lets go of the bitmap before the bitmap is deleted.
  Utils::UniqueMemoryDC dc;
};

// The parsed form of one image attribute of a control.
struct TImageDescUI {
  CStringUI description;   // the attribute text
  CStringUI imageName;     // what the image was looked up under (filled by Parse)
  CStringUI resourceType;  // "restype", or kImageTypeColor for "color"; passed on only with res/color
  bool typeGiven = false;  // the description held "res" or "color"
  bool parsed = false;     // parsed once; a failed load is not retried until Clear
  TImageEntryUI* image = nullptr;  // not owned
  RECT dest = {0, 0, 0, 0};        // offsets inside the control's rect; all 0 = the whole rect
  RECT source = {0, 0, 0, 0};      // part of the bitmap; all 0 = the whole bitmap
  RECT corner = {0, 0, 0, 0};      // nine-grid border widths
  DWORD mask = 0;
  BYTE fade = 255;
  bool hole = false;
  bool xtiled = false;
  bool ytiled = false;
  bool useHsl = false;

  TImageDescUI() = default;
  explicit TImageDescUI(const wchar_t* text) { description = text; }

  // Empties both strings, zeroes rectangles and flags, forgets the image, fade back to 255.
  void Clear();
  // Clear, then store a new description (parsed on the next draw).
  void SetDescription(const wchar_t* text);
  // Reads the items of `description` into this record (image name, rectangles, flags). Never
  // fails: unknown keys are ignored, a malformed item ends the parse, numbers are clamped.
  void Parse();
  // Whether the description is the given text and its image is loaded.
  bool IsLoaded(const wchar_t* text) const;
};

}  // namespace SkinUI
