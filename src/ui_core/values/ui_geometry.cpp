#include "ui_core/values/ui_geometry.h"

namespace SkinUI {

CRectUI::CRectUI() { left = top = right = bottom = 0; }

CRectUI::CRectUI(const RECT& rc) {
  left = rc.left;
  top = rc.top;
  right = rc.right;
  bottom = rc.bottom;
}

CRectUI::CRectUI(int l, int t, int r, int b) {
  left = l;
  top = t;
  right = r;
  bottom = b;
}

void CRectUI::Join(const RECT& rc) {
  if (rc.left < left) left = rc.left;
  if (rc.top < top) top = rc.top;
  if (rc.right > right) right = rc.right;
  if (rc.bottom > bottom) bottom = rc.bottom;
}

void CRectUI::Offset(int dx, int dy) { ::OffsetRect(this, dx, dy); }

void CRectUI::MoveToOrigin() { Offset(-left, -top); }

CSizeUI::CSizeUI() { cx = cy = 0; }

CSizeUI::CSizeUI(const SIZE& src) {
  cx = src.cx;
  cy = src.cy;
}

CSizeUI::CSizeUI(int width, int height) {
  cx = width;
  cy = height;
}

CPointUI::CPointUI() { x = y = 0; }

CPointUI::CPointUI(const POINT& src) {
  x = src.x;
  y = src.y;
}

CPointUI::CPointUI(int px, int py) {
  x = px;
  y = py;
}

}  // namespace SkinUI
