#pragma once
// A button that plays a numbered series of image files as its background (skin element
// "SequenceButton"); while pushed it can draw its text in an inset rectangle.
#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

#include "app/sequence_control.h"
#include "ui_controls/installer/ui_button.h"

namespace SkinUI {

class CSequenceButtonUI : public CSequenceControlUI<CButtonUI> {
public:
  CSequenceButtonUI();
  ~CSequenceButtonUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void PaintText(HDC hDC) override;

  virtual void SetExtraImage1(const wchar_t* description);
  virtual const wchar_t* GetExtraImage1() const;
  virtual const wchar_t* GetExtraImage2() const;
  virtual void SetExtraImage2(const wchar_t* description);
  virtual RECT GetExtraRect() const;
  virtual void SetExtraRect(RECT insets);
  // Copies one byte of every 32-bit ARGB pixel of `source` (at `sourceOffset` 0..3 within the
  // pixel) to the same pixel of `destination` (at `destinationOffset`). False when the bitmaps
  // differ in size, an offset is outside the pixel or GDI+ cannot lock them.
  virtual bool CopyImageChannel(Gdiplus::Bitmap* source, Gdiplus::Bitmap* destination,
                                int sourceOffset, int destinationOffset);

private:
  CStringUI extraImage1_;
  CStringUI extraImage2_;
  RECT extraRect_ = {0, 0, 0, 0};
};

}  // namespace SkinUI
