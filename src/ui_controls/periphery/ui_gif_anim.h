#pragma once
// An animated image ("GifAnim"): a GIF (or any multi-frame image GDI+ reads) loaded from the
// skin folder or archive, drawn into the control's rectangle, its frames stepped by a window
// manager timer with each frame's own delay.
#include <windows.h>
#include <objidl.h>  // GDI+ needs the COM types that WIN32_LEAN_AND_MEAN leaves out

#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "base/unique_resource.h"
#include "ui_core/manager/ui_control.h"

namespace SkinUI {

class CGifAnimUI : public CControlUI {
public:
  CGifAnimUI();
  ~CGifAnimUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetVisible(bool visible = true) override;
  void DoInit() override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;

  // The image to animate (a skin file name, an archive item or a path). A new name stops the
  // animation and unloads the old image; the new one loads at the next paint.
  void SetBkImage(const wchar_t* name);
  const CStringUI& GetBkImage() const { return imageName_; }
  bool IsAutoPlay() const { return autoPlay_; }
  void SetAutoPlay(bool autoPlay) { autoPlay_ = autoPlay; }
  bool IsAutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize) { autoSize_ = autoSize; }

  // Starts stepping the frames from the current one; nothing while playing, or without an
  // image of two or more frames that gives frame delays.
  void PlayGif();
  // Stops stepping and keeps the frame shown.
  void PauseGif();
  // Stops stepping and goes back to the first frame.
  void StopGif();

  bool IsPlaying() const { return playing_; }
  bool IsLoaded() const { return image_ != nullptr; }
  UINT GetFrameCount() const { return frameCount_; }
  UINT GetCurrentFrame() const { return currentFrame_; }
  // How long a frame stays, in milliseconds: its delay from the image, or 100 when the image
  // gives none or 0.
  UINT GetFrameDelay(UINT frame) const;

private:
  // Loads the image and its frame delays; with autosize takes its size, with autoplay plays.
  void InitGifImage();
  bool LoadGifImage();
  void FreeGifImage();

  std::unique_ptr<Gdiplus::Image> image_;
  Utils::ComPtr<IStream> stream_;  // GDI+ reads the frames from it for as long as the image lives
  UINT frameCount_ = 0;
  UINT currentFrame_ = 0;
  std::vector<UINT> frameDelays_;  // hundredths of a second, as many as the image gives
  bool hasDelayProperty_ = false;
  CStringUI imageName_;
  bool autoPlay_ = true;
  bool autoSize_ = false;
  bool playing_ = false;
  bool loadFailed_ = false;  // the current name gave no image: paints do not read it again
};

}  // namespace SkinUI
