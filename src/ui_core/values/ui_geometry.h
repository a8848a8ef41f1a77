#pragma once
// Rectangle, size and point values with the Windows layouts, so that each can be handed to any
// API that expects a RECT, SIZE or POINT.
#include <windows.h>

namespace SkinUI {

class CRectUI : public RECT {
public:
  CRectUI();
  CRectUI(const RECT& rc);  // NOLINT: a RECT is a rectangle value
  CRectUI(int l, int t, int r, int b);

  int GetWidth() const { return right - left; }
  int GetHeight() const { return bottom - top; }
  // Smallest rectangle holding both; empty rectangles are not treated specially.
  void Join(const RECT& rc);
  void Offset(int dx, int dy);
  void MoveToOrigin();  // left and top become 0, the size stays
};

class CSizeUI : public SIZE {
public:
  CSizeUI();
  CSizeUI(const SIZE& src);  // NOLINT: a SIZE is a size value
  CSizeUI(int width, int height);
};

class CPointUI : public POINT {
public:
  CPointUI();
  CPointUI(const POINT& src);  // NOLINT: a POINT is a point value
  CPointUI(int px, int py);
};

}  // namespace SkinUI
