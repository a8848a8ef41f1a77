// Draws every image of the installer's skin, and its icon, into a folder:
//   paint_skin <stage folder> <icon file>
// The stage folder receives res\... exactly as the layouts name the files; the build packs it.
// One accent colour (a calm blue) carries the brand; everything else is white and greys, so the
// one action on each page stands out.
#include <cmath>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "canvas.h"

using namespace SkinPainter;

namespace {

// The palette.
const Color kAccent = Rgb(0x2B65EC);
const Color kAccentLight = Rgb(0x4D8DF8);
const Color kAccentHot = Rgb(0x3F77F2);
const Color kAccentPressed = Rgb(0x1F4FC2);
const Color kAccentDisabled = Rgb(0xA9C2F4);
const Color kWhite = Rgb(0xFFFFFF);
const Color kBorder = Rgb(0xD0D5DD);
const Color kIconGrey = Rgb(0x868C96);
const Color kTextDark = Rgb(0x1F2329);
const Color kTrack = Rgb(0xE6EAF0);

constexpr int kWindowWidth = 600;
constexpr int kWindowHeight = 400;
constexpr float kHeroBottom = 236;

std::string g_stage;
bool g_failed = false;

void MakeDirs(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
  }
}

void Save(const Canvas& c, const std::string& relative) {
  const std::string path = g_stage + "/" + relative;
  MakeDirs(path.substr(0, path.rfind('/')));
  if (!c.SavePng(path)) {
    std::fprintf(stderr, "paint_skin: cannot write %s\n", path.c_str());
    g_failed = true;
  }
}

// --- the brand mark: a download arrow dropping into a tray --------------------------------

void PaintMark(Canvas& c, float left, float top, float size, const Paint& tile,
               const Paint& glyph) {
  const float s = size;
  c.Fill(RoundRect(left, top, left + s, top + s, s * 0.24f), tile);
  const float w = s * 0.085f;
  auto at = [&](float fx, float fy, float fx2, float fy2) {
    return Stroke(left + fx * s, top + fy * s, left + fx2 * s, top + fy2 * s, w);
  };
  Shape arrow = Union(at(0.5f, 0.22f, 0.5f, 0.58f),
                      Union(at(0.34f, 0.43f, 0.5f, 0.59f), at(0.66f, 0.43f, 0.5f, 0.59f)));
  Shape tray = Union(at(0.25f, 0.62f, 0.25f, 0.76f),
                     Union(at(0.25f, 0.76f, 0.75f, 0.76f), at(0.75f, 0.76f, 0.75f, 0.62f)));
  c.Fill(Union(arrow, tray), glyph);
}

// --- page backgrounds --------------------------------------------------------------------

// The white page with the accent band on top (soft circles give it depth without a picture).
Canvas PageWithBand(float bandBottom) {
  Canvas c(kWindowWidth, kWindowHeight, kWhite);
  Paint band = LinearGradient(0, 0, kAccent, kWindowWidth, bandBottom, kAccentLight);
  c.Fill(RoundRect(-10, -10, kWindowWidth + 10, bandBottom, 0), band);
  Shape inBand = RoundRect(-10, -10, kWindowWidth + 10, bandBottom, 0);
  auto glow = [&](float cx, float cy, float r, float alpha) {
    Shape circle = Circle(cx, cy, r);
    c.Fill([=](float x, float y) { return std::max(circle(x, y), inBand(x, y)); },
           Solid(Rgb(0xFFFFFF, alpha)));
  };
  glow(540, -30, 170, 0.08f);
  glow(600, 150, 90, 0.06f);
  glow(40, bandBottom + 40, 120, 0.07f);
  return c;
}

void PaintBackgrounds() {
  // Start page: the mark above the product name.
  Canvas start = PageWithBand(kHeroBottom);
  PaintMark(start, 264, 52, 72, Solid(kWhite), Solid(kAccent));
  Save(start, "res/mainWnd/bg1.png");

  // Custom page: a lower band that leaves room for the options.
  Save(PageWithBand(96), "res/mainWnd/bg2.png");

  // Progress page: the spinner's frames sit where the mark was.
  Save(PageWithBand(kHeroBottom), "res/mainWnd/bg3.png");

  // Finish page: a check mark in a white disc.
  Canvas finish = PageWithBand(kHeroBottom);
  finish.Fill(Circle(300, 88, 36), Solid(kWhite));
  finish.Fill(Union(Stroke(284, 89, 296, 101, 6.5f), Stroke(296, 101, 318, 77, 6.5f)),
              Solid(kAccent));
  Save(finish, "res/mainWnd/bg4.png");
}

// --- the spinner -------------------------------------------------------------------------

// Three comets on a faint ring. A frame turns them by 10 degrees, so twelve frames make one
// third of a turn, after which the picture repeats seamlessly: at a short frame period the
// motion stays smooth instead of strobing.
void PaintSpinner() {
  constexpr float kSize = 48, kCentre = 24, kRadius = 18, kWidth = 4.5f, kTail = 80;
  constexpr float kPiF = 3.14159265f;
  for (int frame = 0; frame < 12; ++frame) {
    Canvas c(static_cast<int>(kSize), static_cast<int>(kSize));
    Shape ring = [=](float x, float y) {
      return std::fabs(std::hypot(x - kCentre, y - kCentre) - kRadius) - kWidth / 2;
    };
    c.Fill(ring, Solid(Rgb(0xFFFFFF, 0.22f)));
    const float turn = frame * 10.0f;
    auto tailAlpha = [=](float x, float y) {
      float angle = std::atan2(x - kCentre, -(y - kCentre)) * 180.0f / kPiF;
      float best = 0;
      for (int k = 0; k < 3; ++k) {
        float head = turn + k * 120.0f;
        float behind = std::fmod(head - angle + 720.0f, 360.0f);  // degrees behind the head
        if (behind <= kTail) best = std::max(best, std::pow(1.0f - behind / kTail, 1.6f));
      }
      return best;
    };
    c.FillCoverage(
        [=](float x, float y) {
          const float edge = std::min(1.0f, std::max(0.0f, 0.5f - ring(x, y)));
          return edge * tailAlpha(x, y);
        },
        Solid(kWhite));
    for (int k = 0; k < 3; ++k) {  // round heads
      const float a = (turn + k * 120.0f) * kPiF / 180.0f;
      c.Fill(Circle(kCentre + kRadius * std::sin(a), kCentre - kRadius * std::cos(a), kWidth / 2),
             Solid(kWhite));
    }
    char name[64];
    std::snprintf(name, sizeof(name), "res/mainWnd/installBtnAnimate/%03d.png", frame);
    Save(c, name);
  }
}

// --- buttons, boxes, fields --------------------------------------------------------------

// A 24 x 24 nine-grid piece: rounded fill with an optional one-pixel border.
Canvas Piece(Color fill, Color border, float borderWidth, float radius) {
  Canvas c(24, 24);
  if (borderWidth > 0) {
    c.Fill(RoundRect(0, 0, 24, 24, radius), Solid(border));
    c.Fill(RoundRect(borderWidth, borderWidth, 24 - borderWidth, 24 - borderWidth,
                     radius - borderWidth),
           Solid(fill));
  } else {
    c.Fill(RoundRect(0, 0, 24, 24, radius), Solid(fill));
  }
  return c;
}

void PaintButtons() {
  Save(Piece(kAccent, kAccent, 0, 6), "res/common/btn_primary_normal.png");
  Save(Piece(kAccentHot, kAccent, 0, 6), "res/common/btn_primary_hot.png");
  Save(Piece(kAccentPressed, kAccent, 0, 6), "res/common/btn_primary_pushed.png");
  Save(Piece(kAccentDisabled, kAccent, 0, 6), "res/common/btn_primary_disabled.png");
  Save(Piece(kWhite, kBorder, 1, 6), "res/common/btn_secondary_normal.png");
  Save(Piece(Rgb(0xF3F7FF), kAccent, 1, 6), "res/common/btn_secondary_hot.png");
  Save(Piece(Rgb(0xE4ECFD), kAccentPressed, 1, 6), "res/common/btn_secondary_pushed.png");

  Save(Piece(kWhite, kBorder, 1, 4), "res/common/edit_normal.png");
  Save(Piece(kWhite, Rgb(0x9DB8F5), 1, 4), "res/common/edit_hot.png");
  Save(Piece(kWhite, kAccent, 1.5f, 4), "res/common/edit_focused.png");
  Save(Piece(Rgb(0xF5F6F8), kBorder, 1, 4), "res/common/edit_disabled.png");
}

// Title-bar glyphs, 36 x 36: white on the accent band, with a light plate when hot or pushed.
void PaintTitleButtons() {
  auto plate = [](Canvas& c, float alpha) {
    if (alpha > 0) c.Fill(RoundRect(4, 4, 32, 32, 6), Solid(Rgb(0xFFFFFF, alpha)));
  };
  const char* states[] = {"normal", "hot", "pushed"};
  const float plates[] = {0.0f, 0.16f, 0.26f};
  for (int i = 0; i < 3; ++i) {
    Canvas close(36, 36);
    plate(close, plates[i]);
    close.Fill(Union(Stroke(13, 13, 23, 23, 1.8f), Stroke(23, 13, 13, 23, 1.8f)), Solid(kWhite));
    Save(close, std::string("res/common/sys_close_") + states[i] + ".png");

    Canvas minimise(36, 36);
    plate(minimise, plates[i]);
    minimise.Fill(Stroke(12, 18, 24, 18, 1.8f), Solid(kWhite));
    Save(minimise, std::string("res/common/sys_min_") + states[i] + ".png");

    Canvas back(36, 36);
    plate(back, plates[i]);
    back.Fill(Union(Stroke(21, 11, 14, 18, 2.0f), Stroke(14, 18, 21, 25, 2.0f)), Solid(kWhite));
    Save(back, std::string("res/common/sys_back_") + states[i] + ".png");

    // The message boxes are white: a grey cross that darkens under the pointer.
    Canvas boxClose(30, 30);
    if (i > 0) boxClose.Fill(RoundRect(3, 3, 27, 27, 5), Solid(Rgb(i == 1 ? 0xF0F2F5 : 0xE3E6EB)));
    boxClose.Fill(Union(Stroke(10.5f, 10.5f, 19.5f, 19.5f, 1.6f), Stroke(19.5f, 10.5f, 10.5f, 19.5f, 1.6f)),
                  Solid(i == 0 ? kIconGrey : kTextDark));
    Save(boxClose, std::string("res/common/box_close_") + states[i] + ".png");
  }
}

// Check boxes, 16 x 16.
void PaintCheckBoxes() {
  auto box = [](Color fill, Color border, bool ticked) {
    Canvas c(16, 16);
    c.Fill(RoundRect(0.5f, 0.5f, 15.5f, 15.5f, 3.5f), Solid(border));
    if (!ticked) c.Fill(RoundRect(1.5f, 1.5f, 14.5f, 14.5f, 2.5f), Solid(fill));
    if (ticked) {
      c.Fill(Union(Stroke(4.2f, 8.2f, 7.0f, 11.0f, 1.8f), Stroke(7.0f, 11.0f, 12.0f, 5.2f, 1.8f)),
             Solid(kWhite));
    }
    return c;
  };
  Save(box(kWhite, Rgb(0xB8BEC8), false), "res/common/check_normal.png");
  Save(box(kWhite, kAccent, false), "res/common/check_hot.png");
  Save(box(kWhite, kAccent, true), "res/common/check_selected.png");
  Save(box(kWhite, kAccentHot, true), "res/common/check_selected_hot.png");
}

// The progress bar: a rounded track and a fill, 16 x 8 nine-grid pieces.
void PaintProgress() {
  Canvas track(16, 8);
  track.Fill(RoundRect(0, 0, 16, 8, 4), Solid(kTrack));
  Save(track, "res/mainWnd/installPrg_bk.png");
  Canvas fore(16, 8);
  fore.Fill(RoundRect(0, 0, 16, 8, 4), LinearGradient(0, 0, kAccent, 16, 8, kAccentLight));
  Save(fore, "res/mainWnd/installPrg_fore.png");
  Canvas done(16, 8);
  done.Fill(RoundRect(0, 0, 16, 8, 4), Solid(kAccent));
  Save(done, "res/mainWnd/installPrg3.png");
}

// The drop shadow: a blurred rounded rectangle whose middle the window covers.
void PaintShadow() {
  Canvas c(48, 48);
  c.Fill(RoundRect(16, 18, 32, 34, 6), Solid(Rgb(0x0B1A33, 0.20f)), 14.0f);
  Save(c, "res/common/shadow.png");
}

// The program's icon: the mark on the accent tile.
bool PaintIcon(const std::string& path) {
  const int sizes[] = {16, 24, 32, 48, 64};
  std::vector<Canvas> canvases;
  for (int s : sizes) {
    Canvas c(s, s);
    PaintMark(c, 0, 0, static_cast<float>(s),
              LinearGradient(0, 0, kAccentLight, 0, static_cast<float>(s), kAccent), Solid(kWhite));
    canvases.push_back(c);
  }
  std::vector<const Canvas*> images;
  for (const Canvas& c : canvases) images.push_back(&c);
  return SaveIco(path, images);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: paint_skin <stage folder> <icon file>\n");
    return 2;
  }
  g_stage = argv[1];
  PaintBackgrounds();
  PaintSpinner();
  PaintButtons();
  PaintTitleButtons();
  PaintCheckBoxes();
  PaintProgress();
  PaintShadow();
  if (!PaintIcon(argv[2])) {
    std::fprintf(stderr, "paint_skin: cannot write %s\n", argv[2]);
    g_failed = true;
  }
  return g_failed ? 1 : 0;
}
