#include "ui_controls/periphery/ui_gif_anim.h"

#include <algorithm>
#include <cstring>

#include "ui_controls/installer/ui_gdiplus.h"
#include "ui_core/archives/ui_skin_resource.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

constexpr UINT kFrameTimerId = 100;
// What a frame without a delay of its own (or with 0) stays.
constexpr UINT kDefaultFrameDelayMs = 100;
constexpr UINT kMaxFrameDelayMs = 0x7FFFFFFF;  // USER_TIMER_MAXIMUM
// An animation is a skin file: anything larger is no image this control shows.
constexpr size_t kMaxGifFileBytes = 64u * 1024 * 1024;
constexpr PROPID kPropertyFrameDelay = 0x5100;
// The time dimension of an animation's frames.
constexpr GUID kFrameDimensionTime = {
    0x6AEDBD6D, 0x3FB5, 0x418A, {0x83, 0xA6, 0x7F, 0x45, 0x22, 0x9D, 0xC8, 0x72}};

struct GlobalMemoryTraits {
  using pointer = HGLOBAL;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer memory) noexcept { ::GlobalFree(memory); }
};
using UniqueGlobalMemory = Utils::UniqueResource<GlobalMemoryTraits>;

// The file's bytes from the skin folder or archive, else from the name as a path of its own.
bool ReadGifBytes(const wchar_t* name, std::vector<uint8_t>* bytes) {
  switch (ReadSkinResource(name, kMaxGifFileBytes, bytes)) {
    case SkinResourceRead::Ok:
      return true;
    case SkinResourceRead::NotFound:
    case SkinResourceRead::NoArchive:
      break;  // not part of the skin: try the name as a path
    default:
      return false;  // found in the skin, but empty, too large or unreadable
  }
  return ReadWholeFile(name, kMaxGifFileBytes, bytes) == SkinResourceRead::Ok;
}

// A stream over a copy of the bytes; the stream frees its memory when released.
Utils::ComPtr<IStream> StreamOver(const std::vector<uint8_t>& bytes) {
  Utils::ComPtr<IStream> stream;
  UniqueGlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  if (!memory) return stream;
  void* target = ::GlobalLock(memory.get());
  if (target == nullptr) return stream;
  std::memcpy(target, bytes.data(), bytes.size());
  ::GlobalUnlock(memory.get());
  if (SUCCEEDED(::CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()))) memory.release();
  return stream;
}

// The frame delays of the image, read only within the property's own length.
std::vector<UINT> ReadFrameDelays(Gdiplus::Image& image, bool* present) {
  std::vector<UINT> delays;
  *present = false;
  const UINT size = image.GetPropertyItemSize(kPropertyFrameDelay);
  if (size < sizeof(Gdiplus::PropertyItem)) return delays;
  // 8-byte units: the block starts with the item record, which holds a pointer.
  std::vector<uint64_t> block((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(block.data());
  if (image.GetPropertyItem(kPropertyFrameDelay, size, item) != Gdiplus::Ok) return delays;
  *present = true;
  const auto* begin = reinterpret_cast<const uint8_t*>(block.data());
  const auto* end = begin + size;
  const auto* value = static_cast<const uint8_t*>(item->value);
  if (value == nullptr || value < begin || value > end) return delays;
  const size_t length = std::min<size_t>(item->length, static_cast<size_t>(end - value));
  delays.resize(length / sizeof(UINT));
  if (!delays.empty()) std::memcpy(delays.data(), value, delays.size() * sizeof(UINT));
  return delays;
}

}  // namespace

CGifAnimUI::CGifAnimUI() = default;

CGifAnimUI::~CGifAnimUI() {
  if (manager_ != nullptr) manager_->KillTimer(this, kFrameTimerId);
  FreeGifImage();
}

const wchar_t* CGifAnimUI::GetClass() const { return L"GifAnim"; }

void* CGifAnimUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"GifAnim")) return this;
  return CControlUI::GetInterface(name);
}

void CGifAnimUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"bkimage")) {
    SetBkImage(value);
  } else if (NameIs(name, L"autoplay")) {
    SetAutoPlay(ParseAttributeBool(value));
  } else if (NameIs(name, L"autosize")) {
    SetAutoSize(ParseAttributeBool(value));
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

void CGifAnimUI::SetBkImage(const wchar_t* name) {
  if (name == nullptr || imageName_ == name) return;
  imageName_ = name;
  if (playing_) StopGif();
  FreeGifImage();
  loadFailed_ = false;
  Invalidate();
}

void CGifAnimUI::SetVisible(bool visible) {
  CControlUI::SetVisible(visible);
  if (visible) {
    PlayGif();
  } else if (playing_) {
    StopGif();
  }
}

void CGifAnimUI::DoInit() { InitGifImage(); }

// --- loading -------------------------------------------------------------------------------------

bool CGifAnimUI::LoadGifImage() {
  if (imageName_.IsEmpty() || loadFailed_) return false;
  std::vector<uint8_t> bytes;
  Utils::ComPtr<IStream> stream;
  if (ReadGifBytes(imageName_.GetData(), &bytes)) stream = StreamOver(bytes);
  if (stream && EnsureGdiplus()) {
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream.get()));
    if (image != nullptr && image->GetLastStatus() == Gdiplus::Ok) {
      image_ = std::move(image);
      stream_ = std::move(stream);
      return true;
    }
  }
  loadFailed_ = true;
  return false;
}

void CGifAnimUI::InitGifImage() {
  if (image_ == nullptr && !LoadGifImage()) return;
  frameCount_ = 0;
  const UINT dimensions = image_->GetFrameDimensionsCount();
  if (dimensions > 0) {
    std::vector<GUID> list(dimensions);
    if (image_->GetFrameDimensionsList(list.data(), dimensions) == Gdiplus::Ok) {
      frameCount_ = image_->GetFrameCount(&list[0]);
    }
  }
  frameDelays_ = ReadFrameDelays(*image_, &hasDelayProperty_);
  if (autoSize_) {
    SetFixedWidth(static_cast<int>(image_->GetWidth()));
    SetFixedHeight(static_cast<int>(image_->GetHeight()));
  }
  if (autoPlay_ && hasDelayProperty_) PlayGif();
}

void CGifAnimUI::FreeGifImage() {
  image_.reset();
  stream_.reset();
  frameDelays_.clear();
  hasDelayProperty_ = false;
  frameCount_ = 0;
  currentFrame_ = 0;
}

// --- playing -------------------------------------------------------------------------------------

UINT CGifAnimUI::GetFrameDelay(UINT frame) const {
  if (frame >= frameDelays_.size() || frameDelays_[frame] == 0) return kDefaultFrameDelayMs;
  const unsigned long long ms = static_cast<unsigned long long>(frameDelays_[frame]) * 10;
  return static_cast<UINT>(std::min<unsigned long long>(ms, kMaxFrameDelayMs));
}

void CGifAnimUI::PlayGif() {
  // A single frame has nothing to step to, and an image without frame delays (the pages of a
  // TIFF) is no animation: no timer runs for either.
  if (playing_ || image_ == nullptr || frameCount_ < 2 || !hasDelayProperty_ ||
      manager_ == nullptr) {
    return;
  }
  if (currentFrame_ >= frameCount_) currentFrame_ = 0;
  manager_->KillTimer(this, kFrameTimerId);
  playing_ = manager_->SetTimer(this, kFrameTimerId, GetFrameDelay(currentFrame_));
}

void CGifAnimUI::PauseGif() {
  if (!playing_) return;
  if (manager_ != nullptr) manager_->KillTimer(this, kFrameTimerId);
  playing_ = false;
}

void CGifAnimUI::StopGif() {
  if (manager_ != nullptr) manager_->KillTimer(this, kFrameTimerId);
  currentFrame_ = 0;
  Invalidate();
  playing_ = false;
}

void CGifAnimUI::DoEvent(TInputEventUI& event) {
  if (event.type != kEventTimer || event.wParam != kFrameTimerId) return;
  if (manager_ == nullptr || frameCount_ == 0) return;
  manager_->KillTimer(this, kFrameTimerId);
  Invalidate();
  currentFrame_ = (currentFrame_ + 1) % frameCount_;
  playing_ = manager_->SetTimer(this, kFrameTimerId, GetFrameDelay(currentFrame_));
}

// --- painting ------------------------------------------------------------------------------------

bool CGifAnimUI::DoPaint(HDC hDC, const RECT& /*paint*/, CControlUI* /*stop*/) {
  if (image_ == nullptr) InitGifImage();
  if (hDC == nullptr || image_ == nullptr) return true;
  // The current frame is chosen before the drawing: a tick shows its frame at the next paint.
  if (frameCount_ > 0) image_->SelectActiveFrame(&kFrameDimensionTime, currentFrame_);
  Gdiplus::Graphics graphics(hDC);
  graphics.DrawImage(image_.get(), static_cast<INT>(itemRect_.left),
                     static_cast<INT>(itemRect_.top),
                     static_cast<INT>(itemRect_.right - itemRect_.left),
                     static_cast<INT>(itemRect_.bottom - itemRect_.top));
  return true;
}

}  // namespace SkinUI
