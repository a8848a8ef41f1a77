#pragma once
// "Text": a label for longer, word-wrapped text whose mark-up may hold links. It remembers where
// the links were drawn, shows the hand cursor over them, repaints the one under the pointer and
// sends "link" with the link's index when one is clicked.
#include <windows.h>

#include "ui_controls/installer/ui_label.h"

namespace SkinUI {

class CTextUI : public CLabelUI {
public:
  static constexpr int kMaxLinks = 8;

  CTextUI();
  ~CTextUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  void DoEvent(TInputEventUI& event) override;
  void PaintText(HDC hDC) override;

  // The links of the last paint with mark-up.
  int GetLinkCount() const { return linkCount_; }
  RECT GetLinkRect(int index) const;  // empty outside 0..link count-1
  CStringUI GetLinkText(int index) const;
  int GetHoverLink() const { return hoverLink_; }

private:
  int LinkAt(POINT pt) const;

  int linkCount_ = 0;
  RECT links_[kMaxLinks] = {};
  CStringUI linkTexts_[kMaxLinks];
  int hoverLink_ = -1;
};

}  // namespace SkinUI
