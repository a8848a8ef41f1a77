#include "ui_controls/installer/ui_gdiplus.h"

namespace SkinUI {
namespace {

// Shut down from the static destructors at process exit: by then no control holds a GDI+
// object any more.
class GdiplusSession {
public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  bool started() const { return started_; }

private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

}  // namespace

bool EnsureGdiplus() {
  static GdiplusSession session;
  return session.started();
}

}  // namespace SkinUI
