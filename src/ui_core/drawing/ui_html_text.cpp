// The inline mark-up of rich labels. The text is laid out once, line by line, into a list of
// placed runs and images; only then, with every line's height and width known, is it drawn
// (aligned per line and as a block) or measured.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/values/ui_attributes.h"

namespace SkinUI {
namespace {

constexpr wchar_t kEllipsis[] = L"...";
constexpr int kEllipsisLength = 3;
// Numbers in tags (spacing, advance, line height) beyond this are nonsense from a skin.
constexpr int kMaxTagNumber = 10000;
// Coordinates of the layout stay inside this range so that no sum overflows.
constexpr int kMaxLayoutCoord = 1 << 24;
// The fonts that mark-up asks for are added to the window's font table under a small ring of
// ids, so that a text that names thousands of fonts cannot use up the process's GDI objects. The
// ids are negative: no skin can declare a font under them nor name them (GetFont gives the
// default font for a negative id), so no control or native edit is ever given a font that the
// ring frees when it moves on.
constexpr int kMarkupFontIdBase = -0x40000000;
constexpr int kMarkupFontSlots = 64;
// Text of one or two pixels is unreadable, and Wine's rasterizer overruns its own heap when it
// draws marks that sit below the baseline (U+02CD, U+0331, the Hebrew points, U+0EBC) at those
// sizes: a mark-up text that asks for such a size gets this one.
constexpr int kMinFontSize = 3;
constexpr int kMaxFontSize = 500;
constexpr int kDefaultFontSize = 10;
// Text runs are measured in growing chunks, so that a long run that overflows early is not
// measured whole for each of its lines.
constexpr int kFirstMeasureChunk = 256;

enum class VAlign { Bottom, Center, Top };

int ClampInt(long long value, int low, int high) {
  return static_cast<int>(std::min<long long>(std::max<long long>(value, low), high));
}

bool IsBlank(wchar_t c) { return c != L'\0' && c <= L' '; }
bool IsOpener(wchar_t c) { return c == L'<' || c == L'{'; }
bool IsCloser(wchar_t c) { return c == L'>' || c == L'}'; }
bool IsTagLetter(wchar_t c) { return c >= L'a' && c <= L'z'; }

bool IsLatinLetter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
         (c >= 0x00C0 && c <= 0x024F && c != 0x00D7 && c != 0x00F7);
}

// A cut must not split a surrogate pair.
int KeepPairs(const wchar_t* run, int length, int cut) {
  if (cut > 0 && cut < length && IS_HIGH_SURROGATE(run[cut - 1]) &&
      IS_LOW_SURROGATE(run[cut])) {
    return cut > 1 ? cut - 1 : cut + 1;
  }
  return cut;
}

int VerticalOffset(VAlign align, int lineHeight, int itemHeight) {
  switch (align) {
    case VAlign::Top:
      return 0;
    case VAlign::Center:
      return (lineHeight - itemHeight) / 2;
    case VAlign::Bottom:
    default:
      return lineHeight - itemHeight;
  }
}

struct Token {
  enum Kind { kOpen, kClose, kEscape } kind = kOpen;
  wchar_t letter = 0;          // kOpen, kClose; the drawn character for kEscape
  const wchar_t* arg = nullptr;  // kOpen: the argument (may be empty)
  int argLength = 0;
  const wchar_t* at = nullptr;   // kEscape: where the drawn character is in the text
  const wchar_t* next = nullptr;
};

// One placed piece of a line: a text run or an inline image frame.
struct Item {
  bool image = false;
  int x = 0;
  int width = 0;
  int height = 0;  // font height, or the image's height
  VAlign align = VAlign::Bottom;
  // text
  const wchar_t* text = nullptr;
  int length = 0;
  HFONT font = nullptr;
  COLORREF color = 0;
  bool selected = false;
  // image
  HBITMAP bitmap = nullptr;
  bool alpha = false;
  RECT source = {0, 0, 0, 0};
};

struct Line {
  int top = 0;
  int height = 0;
  int width = 0;
  size_t firstItem = 0;
  size_t endItem = 0;
};

struct Link {
  int slot = -1;
  bool started = false;  // its first character or image has been placed
  size_t startLine = 0;
  int startX = 0;
  int fontHeight = 0;
  VAlign align = VAlign::Bottom;
  size_t endLine = 0;
  int endX = 0;
};

struct FontMetrics {
  HFONT font;
  TEXTMETRICW metrics;
};

// Where the search for a free mark-up font id starts; turning it spreads the reuse of ids.
int NextMarkupSlotHint() {
  static std::atomic<unsigned> next{0};
  return static_cast<int>(next.fetch_add(1) % kMarkupFontSlots);
}

class MarkupLayout {
public:
  MarkupLayout(HDC hDC, CWindowManagerUI* manager, const RECT& rc, UINT style, DWORD argb,
               int font, const CStringUI& hoverText, int slots, CStringUI* linkTexts)
      : hDC_(hDC),
        manager_(manager),
        rc_(rc),
        style_(style),
        singleLine_((style & DT_SINGLELINE) != 0),
        hoverText_(hoverText),
        slots_(slots),
        linkTexts_(linkTexts),
        lineTop_(rc.top) {
    fonts_.push_back(manager->GetFont(font));
    used_.push_back(fonts_.back());
    colors_.push_back(ArgbToColorRef(argb));
    aligns_.push_back(VAlign::Bottom);
    spacings_.push_back(0);
    ::SelectObject(hDC_, fonts_.back());
  }

  void Run(const CStringUI& text) {
    text_ = text.GetData();
    PrepareCloserIndex(text);
    StartLine();
    const wchar_t* p = text_;
    while (*p != L'\0' && !stopped_ && lineTop_ < rc_.bottom) p = Step(p);
    // A trailing line, or the one line of a text that holds only tags.
    if (lineHasContent_ || (lines_.empty() && lineTop_ < rc_.bottom)) EndLine();
    CloseOpenLinks();
  }

  void Draw(const RECT& clip) {
    const int yOffset = BlockOffset();
    HFONT selectedFont = nullptr;
    for (const Line& line : lines_) {
      const int xOffset = LineOffset(line);
      for (size_t i = line.firstItem; i < line.endItem; ++i) {
        const Item& item = items_[i];
        const int x = item.x + xOffset;
        const int y = line.top + yOffset + VerticalOffset(item.align, line.height, item.height);
        if (item.image) {
          const RECT dest = {x, y, x + item.width, y + item.height};
          CRenderUI::DrawImage(hDC_, item.bitmap, dest, clip, item.source, RECT{0, 0, 0, 0},
                               item.alpha);
          continue;
        }
        if (item.font != selectedFont) {
          ::SelectObject(hDC_, item.font);
          selectedFont = item.font;
        }
        ::SetTextColor(hDC_, item.color);
        ::SetBkMode(hDC_, item.selected ? OPAQUE : TRANSPARENT);
        ::TextOutW(hDC_, x, y, item.text, item.length);
      }
    }
  }

  // The needed rectangle: bottom of the last line (or the lowest image), right of the widest line.
  void Measure(RECT* rc) const {
    int bottom = lines_.empty() ? rc_.top : lines_.back().top + lines_.back().height;
    int widest = 0;
    for (const Line& line : lines_) {
      widest = std::max(widest, line.width);
      for (size_t i = line.firstItem; i < line.endItem; ++i) {
        const Item& item = items_[i];
        if (!item.image) continue;
        bottom = std::max(bottom, line.top + VerticalOffset(item.align, line.height, item.height) +
                                      item.height);
      }
    }
    rc->bottom = bottom;
    rc->right = std::min<LONG>(rc->right, rc_.left + widest);
  }

  // Fills the link slots; returns how many were used.
  int StoreLinks(RECT* links, bool drawn) const {
    const int yOffset = drawn ? BlockOffset() : 0;
    for (const Link& link : links_) {
      if (link.slot < 0 || links == nullptr) continue;
      RECT& out = links[link.slot];
      out = RECT{0, 0, 0, 0};
      if (link.startLine >= lines_.size()) continue;
      const Line& first = lines_[link.startLine];
      const int top =
          first.top + yOffset + VerticalOffset(link.align, first.height, link.fontHeight);
      const int xOffset = drawn ? LineOffset(first) : 0;
      if (link.endLine == link.startLine) {
        out = RECT{link.startX + xOffset, top, link.endX + xOffset, top + link.fontHeight};
      } else {
        // A link broken over lines answers over the whole width of the lines it covers.
        const Line& last = lines_[std::min(link.endLine, lines_.size() - 1)];
        const int lastTop =
            last.top + yOffset + VerticalOffset(link.align, last.height, link.fontHeight);
        out = RECT{rc_.left, top, rc_.right, lastTop + link.fontHeight};
      }
    }
    return nextSlot_;
  }

private:
  // --- tokens ---------------------------------------------------------------------------------

  // For every position, the index of the next '>' or '}' at or after it (-1: none), so that
  // looking for the end of a tag never rescans the text.
  void PrepareCloserIndex(const CStringUI& text) {
    const int length = text.GetLength();
    nextCloser_.assign(static_cast<size_t>(length) + 1, -1);
    int next = -1;
    for (int i = length - 1; i >= 0; --i) {
      if (IsCloser(text_[i])) next = i;
      nextCloser_[static_cast<size_t>(i)] = next;
    }
  }

  const wchar_t* FindCloser(const wchar_t* from) const {
    const int index = nextCloser_[static_cast<size_t>(from - text_)];
    return index < 0 ? nullptr : text_ + index;
  }

  bool ReadToken(const wchar_t* p, Token* token) const {
    if (!IsOpener(p[0]) || p[1] == L'\0') return false;
    // Escapes: "<{>" and "<}>" draw a brace, "{<}" and "{>}" an angle bracket.
    if ((p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') ||
        (p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}')) {
      token->kind = Token::kEscape;
      token->at = p + 1;
      token->next = p + 3;
      return true;
    }
    if (p[1] == L'/' && IsTagLetter(p[2]) && IsCloser(p[3])) {
      token->kind = Token::kClose;
      token->letter = p[2];
      token->next = p + 4;
      return true;
    }
    if (!IsTagLetter(p[1])) return false;
    if (IsCloser(p[2])) {
      token->kind = Token::kOpen;
      token->letter = p[1];
      token->arg = p + 2;
      token->argLength = 0;
      token->next = p + 3;
      return true;
    }
    if (!IsBlank(p[2])) return false;
    const wchar_t* end = FindCloser(p + 3);
    if (end == nullptr) return false;  // a tag without its end is plain text
    token->kind = Token::kOpen;
    token->letter = p[1];
    token->arg = p + 3;
    token->argLength = static_cast<int>(end - (p + 3));
    token->next = end + 1;
    return true;
  }

  static bool IsRawEnd(const wchar_t* p) {
    return IsOpener(p[0]) && p[1] == L'/' && p[2] == L'r' && IsCloser(p[3]);
  }

  // One step of the layout from p; returns where the next step starts.
  const wchar_t* Step(const wchar_t* p) {
    if (*p == L'\r') return p + 1;  // a CR LF pair breaks once, at its LF
    if (*p == L'\n') {
      LineBreak();
      return p + 1;
    }
    if (raw_) {
      if (IsRawEnd(p)) {
        raw_ = false;
        return p + 4;
      }
      const wchar_t* end = p + 1;
      while (*end != L'\0' && *end != L'\n' && *end != L'\r' && !IsRawEnd(end)) ++end;
      return LayoutText(p, end);
    }
    Token token;
    if (ReadToken(p, &token)) {
      switch (token.kind) {
        case Token::kEscape:
          return LayoutText(token.at, token.at + 1) == token.at ? p : token.next;
        case Token::kClose:
          CloseTag(token.letter);
          return token.next;
        case Token::kOpen:
        default:
          OpenTag(token.letter, CStringUI(token.arg, token.argLength));
          return token.next;
      }
    }
    const wchar_t* end = p + 1;
    Token ignored;
    while (*end != L'\0' && *end != L'\n' && *end != L'\r' &&
           !(IsOpener(*end) && ReadToken(end, &ignored))) {
      ++end;
    }
    return LayoutText(p, end);
  }

  // --- lines ----------------------------------------------------------------------------------

  const TEXTMETRICW& Metrics() {
    HFONT font = fonts_.back();
    for (const FontMetrics& known : metrics_) {
      if (known.font == font) return known.metrics;
    }
    FontMetrics entry = {font, {}};
    ::GetTextMetricsW(hDC_, &entry.metrics);
    metrics_.push_back(entry);
    return metrics_.back().metrics;
  }

  int FontLineHeight() {
    const TEXTMETRICW& tm = Metrics();
    return tm.tmHeight + tm.tmExternalLeading;
  }

  void StartLine() {
    x_ = rc_.left;
    lineHasContent_ = false;
    lineFirstItem_ = items_.size();
    lineHeight_ = FontLineHeight();
    if (spacings_.back() > 0) lineHeight_ = std::max(lineHeight_, spacings_.back() + static_cast<int>(Metrics().tmHeight));
  }

  void EndLine() {
    Line line;
    line.top = lineTop_;
    line.height = lineHeight_;
    line.width = std::max(0, x_ - static_cast<int>(rc_.left));
    line.firstItem = lineFirstItem_;
    line.endItem = items_.size();
    lines_.push_back(line);
    lineTop_ = ClampInt(static_cast<long long>(lineTop_) + lineHeight_, -kMaxLayoutCoord,
                        kMaxLayoutCoord);
    StartLine();
  }

  // Line breaks from the text; a single line has none.
  void LineBreak() {
    if (!singleLine_) EndLine();
  }

  void Advance(long long dx) { x_ = ClampInt(x_ + dx, -kMaxLayoutCoord, kMaxLayoutCoord); }

  // --- text -----------------------------------------------------------------------------------

  int Extent(const wchar_t* text, int length) const {
    SIZE size = {0, 0};
    if (length > 0) ::GetTextExtentPoint32W(hDC_, text, length, &size);
    return size.cx;
  }

  void AddText(const wchar_t* text, int length, int width) {
    if (length <= 0) return;
    StartOpenLinks();
    const TEXTMETRICW& tm = Metrics();
    Item item;
    item.x = x_;
    item.width = width;
    item.height = tm.tmHeight;
    item.align = aligns_.back();
    item.text = text;
    item.length = length;
    item.font = fonts_.back();
    item.color = colors_.back();
    item.selected = selected_ > 0;
    items_.push_back(item);
    Advance(width);
    lineHeight_ = std::max(lineHeight_, static_cast<int>(tm.tmHeight + tm.tmExternalLeading));
    lineHasContent_ = true;
  }

  // How many characters of the run fit into `available` pixels, and whether the whole run was
  // measured (then *width is its width).
  int Fit(const wchar_t* run, int length, int available, bool* whole, int* width) const {
    int measured = std::min(length, kFirstMeasureChunk);
    for (;;) {
      int fit = 0;
      SIZE size = {0, 0};
      ::GetTextExtentExPointW(hDC_, run, measured, std::max(0, available), &fit, nullptr, &size);
      if (fit < measured || measured == length) {
        *whole = fit == length;
        *width = size.cx;
        return fit;
      }
      measured = static_cast<int>(std::min<long long>(length, 2LL * measured));
    }
  }

  // The end of the last word that fits: just before the last character that is not a Latin
  // letter, or just after it when it is a blank. 0 when the run is one word.
  static int WordCut(const wchar_t* run, int fit) {
    for (int i = fit; i >= 0; --i) {
      if (!IsLatinLetter(run[i])) return IsBlank(run[i]) ? i + 1 : i;
    }
    return 0;
  }

  // Lays out the characters [begin, end) as far as they go on this line; returns where the
  // layout goes on (begin again when the run moves to the next line as a whole).
  const wchar_t* LayoutText(const wchar_t* begin, const wchar_t* end) {
    const int length = static_cast<int>(end - begin);
    const int available = rc_.right - x_;
    bool whole = false;
    int width = 0;
    const int fit = Fit(begin, length, available, &whole, &width);
    if (whole) {
      AddText(begin, length, width);
      return end;
    }
    const bool ellipsis = (style_ & DT_END_ELLIPSIS) != 0;
    if (singleLine_ && !ellipsis) {
      // One line that is too long is drawn whole and clipped.
      AddText(begin, length, Extent(begin, length));
      return end;
    }
    if (!singleLine_ && (style_ & DT_WORDBREAK) != 0) {
      int cut = KeepPairs(begin, length, WordCut(begin, std::min(fit, length - 1)));
      if (cut == 0 && lineHasContent_) {
        EndLine();
        return begin;
      }
      if (cut == 0) cut = KeepPairs(begin, length, std::max(fit, 1));
      cut = std::min(cut, length);
      AddText(begin, cut, Extent(begin, cut));
      EndLine();
      return begin + cut;
    }
    if (ellipsis) {
      // As much as fits together with the dots; the rest of the run is not shown.
      const int dots = Extent(kEllipsis, kEllipsisLength);
      bool unused = false;
      int shownWidth = 0;
      int shown = Fit(begin, length, available - dots, &unused, &shownWidth);
      shown = KeepPairs(begin, length, shown);
      AddText(begin, shown, Extent(begin, shown));
      AddText(kEllipsis, kEllipsisLength, dots);
      EndLine();
      if (singleLine_) {
        stopped_ = true;
      } else if (*end == L'\r' || *end == L'\n') {
        return end + (end[0] == L'\r' && end[1] == L'\n' ? 2 : 1);
      }
      return end;
    }
    // Several lines without word break: the run wraps after the last character that fits.
    int cut = KeepPairs(begin, length, fit);
    if (cut == 0 && lineHasContent_) {
      EndLine();
      return begin;
    }
    if (cut == 0) cut = KeepPairs(begin, length, 1);
    AddText(begin, cut, Extent(begin, cut));
    EndLine();
    return begin + cut;
  }

  // --- tags -----------------------------------------------------------------------------------

  void SelectCurrentFont() { ::SelectObject(hDC_, fonts_.back()); }

  void PushFont(HFONT font) {
    fonts_.push_back(font != nullptr ? font : fonts_.back());
    if (!IsUsed(fonts_.back())) used_.push_back(fonts_.back());
    SelectCurrentFont();
  }

  void PopFont() {
    if (fonts_.size() > 1) fonts_.pop_back();
    SelectCurrentFont();
  }

  HFONT FindOrAddFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    if (face == nullptr || *face == L'\0') return nullptr;
    HFONT font = manager_->FindFont(face, size, bold, underline, italic);
    if (font != nullptr) return font;
    const int id = FreeMarkupFontId();
    if (id == 0) return nullptr;
    // Only mark-up draws with the ring's fonts, and only while it draws: the font given up is
    // freed, where AddFont would keep it alive for the controls that hold skin fonts.
    manager_->RemoveFont(id);
    return manager_->AddFont(id, face, size, bold, underline, italic);
  }

  // An id of the ring that is empty, or whose font this text does not use (the font under it is
  // freed for the new one). 0 when every font of the ring is in use here.
  int FreeMarkupFontId() {
    const int start = NextMarkupSlotHint();
    int reusable = 0;  // no id of the ring
    for (int i = 0; i < kMarkupFontSlots; ++i) {
      const int id = kMarkupFontIdBase + (start + i) % kMarkupFontSlots;
      HFONT held = manager_->FindFontById(id);
      if (held == nullptr) return id;
      if (reusable == 0 && !IsUsed(held)) reusable = id;
    }
    return reusable;
  }

  bool IsUsed(HFONT font) const {
    return std::find(used_.begin(), used_.end(), font) != used_.end();
  }

  // The current font with bold, underline or italic added.
  HFONT DerivedFont(bool bold, bool underline, bool italic) {
    LOGFONTW lf = {};
    if (::GetObjectW(fonts_.back(), sizeof(lf), &lf) != sizeof(lf)) return nullptr;
    lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
    const int size = ClampInt(std::llabs(static_cast<long long>(lf.lfHeight)), kMinFontSize,
                              kMaxFontSize);
    return FindOrAddFont(lf.lfFaceName, size, bold || lf.lfWeight >= FW_BOLD,
                         underline || lf.lfUnderline != 0, italic || lf.lfItalic != 0);
  }

  // "<f 3>": the window's font 3; "<f Tahoma 12 bold italic>": that face and style.
  HFONT FontFromArgument(const CStringUI& argument) {
    const wchar_t* p = argument.GetData();
    while (IsBlank(*p)) ++p;
    if (*p >= L'0' && *p <= L'9') return manager_->GetFont(ParseAttributeInt(p));
    const wchar_t* faceStart = p;
    while (*p != L'\0' && !IsBlank(*p)) ++p;
    const CStringUI face(faceStart, static_cast<int>(p - faceStart));
    while (IsBlank(*p)) ++p;
    int size = kDefaultFontSize;
    if (*p >= L'0' && *p <= L'9') size = ParseAttributeInt(p);
    size = ClampInt(size, kMinFontSize, kMaxFontSize);
    CStringUI words(argument);
    words.MakeLower();
    return FindOrAddFont(face.GetData(), size, words.Find(L"bold") >= 0,
                         words.Find(L"underline") >= 0, words.Find(L"italic") >= 0);
  }

  void OpenLink(const CStringUI& target) {
    Link link;
    if (nextSlot_ < slots_) {
      link.slot = nextSlot_++;
      if (linkTexts_ != nullptr) linkTexts_[link.slot] = target;
    }
    const bool hovered = !hoverText_.IsEmpty() && hoverText_ == target.GetData();
    colors_.push_back(ArgbToColorRef(hovered ? manager_->GetDefaultLinkHoverFontColor()
                                             : manager_->GetDefaultLinkFontColor()));
    PushFont(DerivedFont(false, true, false));
    link.fontHeight = Metrics().tmHeight;
    link.align = aligns_.back();
    openLinks_.push_back(links_.size());
    links_.push_back(link);
  }

  // Open links start where their first character or image is placed, so that a link whose word
  // moves to the next line starts there.
  void StartOpenLinks() {
    for (size_t index : openLinks_) {
      Link& link = links_[index];
      if (link.started) continue;
      link.started = true;
      link.startLine = lines_.size();
      link.startX = x_;
    }
  }

  void EndLink() {
    StartOpenLinks();  // an empty link starts and ends where it closes
    Link& link = links_[openLinks_.back()];
    openLinks_.pop_back();
    link.endLine = lines_.size();
    link.endX = x_;
    // A link that ends right where a line broke ends on the line before.
    if (!lineHasContent_ && link.endLine > link.startLine && !lines_.empty()) {
      link.endLine = lines_.size() - 1;
      link.endX = rc_.left + lines_.back().width;
    }
  }

  void CloseLink() {
    if (openLinks_.empty()) return;
    EndLink();
    if (colors_.size() > 1) colors_.pop_back();
    PopFont();
  }

  // Links still open when the text ends cover what they hold.
  void CloseOpenLinks() {
    while (!openLinks_.empty()) EndLink();
  }

  void PlaceImage(const CStringUI& argument) {
    CStringUI name;
    CStringUI type;
    bool typeGiven = false;
    DWORD mask = 0;
    bool useHsl = false;
    int count = 1;
    int index = 0;
    if (argument.Find(L"file='") >= 0 || argument.Find(L"res='") >= 0) {
      TImageDescUI desc(argument.GetData());
      desc.Parse();
      name = desc.imageName;
      type = desc.resourceType;
      typeGiven = desc.typeGiven;
      mask = desc.mask;
      useHsl = desc.useHsl;
    } else {
      const wchar_t* p = argument.GetData();
      while (IsBlank(*p)) ++p;
      const wchar_t* nameStart = p;
      while (*p != L'\0' && !IsBlank(*p)) ++p;
      name.Assign(nameStart, static_cast<int>(p - nameStart));
      const wchar_t* next = p;
      count = ParseAttributeInt(p, &next);
      if (next != p) index = ParseAttributeInt(next);
    }
    if (name.IsEmpty()) return;
    TImageEntryUI* image =
        manager_->GetImageEx(name.GetData(), typeGiven ? type.GetData() : nullptr, mask, useHsl);
    if (image == nullptr || !image->bitmap || image->width <= 0 || image->height <= 0) return;
    count = ClampInt(count, 1, image->width);
    if (index < 0 || index >= count) index = 0;
    const int frameWidth = image->width / count;
    if (x_ + frameWidth > rc_.right && lineHasContent_ && !singleLine_) EndLine();
    StartOpenLinks();
    Item item;
    item.image = true;
    item.x = x_;
    item.width = frameWidth;
    item.height = image->height;
    item.align = aligns_.back();
    item.bitmap = image->bitmap.get();
    item.alpha = image->alpha;
    item.source = RECT{frameWidth * index, 0, frameWidth * (index + 1), image->height};
    items_.push_back(item);
    Advance(frameWidth);
    lineHeight_ = std::max(lineHeight_, image->height);
    lineHasContent_ = true;
  }

  static bool IsBlankText(const CStringUI& text) {
    for (const wchar_t* p = text.GetData(); *p != L'\0'; ++p) {
      if (!IsBlank(*p)) return false;
    }
    return true;
  }

  void OpenTag(wchar_t letter, const CStringUI& argument) {
    const wchar_t* arg = argument.GetData();
    switch (letter) {
      case L'a':
        OpenLink(argument);
        break;
      case L'b':
        PushFont(DerivedFont(true, false, false));
        break;
      case L'c':
        colors_.push_back(ArgbToColorRef(ParseAttributeColor(arg)));
        break;
      case L'f':
        PushFont(FontFromArgument(argument));
        break;
      case L'i':
        if (IsBlankText(argument)) {
          PushFont(DerivedFont(false, false, true));
        } else {
          PlaceImage(argument);
        }
        break;
      case L'n':
        LineBreak();
        break;
      case L'p': {
        if (x_ > rc_.left) LineBreak();
        const int spacing = ClampInt(ParseAttributeInt(arg), 0, kMaxTagNumber);
        spacings_.push_back(spacing);
        lineHeight_ = std::max(lineHeight_, spacing + static_cast<int>(Metrics().tmHeight));
        break;
      }
      case L'r':
        raw_ = true;
        break;
      case L's':
        ++selected_;
        break;
      case L'u':
        PushFont(DerivedFont(false, true, false));
        break;
      case L'v': {
        CStringUI value(argument);
        value.MakeLower();
        const wchar_t* v = value.GetData();
        while (IsBlank(*v)) ++v;
        if (std::wcsncmp(v, L"center", 6) == 0) {
          aligns_.push_back(VAlign::Center);
        } else if (std::wcsncmp(v, L"top", 3) == 0) {
          aligns_.push_back(VAlign::Top);
        } else {
          aligns_.push_back(VAlign::Bottom);
        }
        break;
      }
      case L'x': {
        const int dx = ClampInt(ParseAttributeInt(arg), -kMaxTagNumber, kMaxTagNumber);
        Advance(dx);
        if (dx > 0) lineHasContent_ = true;
        break;
      }
      case L'y':
        lineHeight_ = ClampInt(ParseAttributeInt(arg), 0, kMaxTagNumber);
        break;
      default:
        break;  // unknown tags are left out
    }
  }

  void CloseTag(wchar_t letter) {
    switch (letter) {
      case L'a':
        CloseLink();
        break;
      case L'b':
      case L'f':
      case L'u':
        PopFont();
        break;
      case L'i': {
        const TEXTMETRICW& tm = Metrics();
        if (tm.tmItalic != 0) {
          // The slanted last glyph reaches past its cell; keep the next run clear of it.
          ABC abc = {};
          if (::GetCharABCWidthsW(hDC_, L' ', L' ', &abc) && abc.abcC > 0) Advance(abc.abcC / 2);
        }
        PopFont();
        break;
      }
      case L'c':
        if (colors_.size() > 1) colors_.pop_back();
        break;
      case L'p':
        // The line after the paragraph has the spacing from before it.
        if (spacings_.size() > 1) spacings_.pop_back();
        LineBreak();
        break;
      case L'r':
        raw_ = false;
        break;
      case L's':
        if (selected_ > 0) --selected_;
        break;
      case L'v':
        if (aligns_.size() > 1) aligns_.pop_back();
        break;
      default:
        break;
    }
  }

  // --- alignment ------------------------------------------------------------------------------

  int BlockOffset() const {
    if (lines_.empty()) return 0;
    const int height = lines_.back().top + lines_.back().height - rc_.top;
    const int room = rc_.bottom - rc_.top;
    if ((style_ & DT_VCENTER) != 0) return (room - height) / 2;
    if ((style_ & DT_BOTTOM) != 0) return room - height;
    return 0;
  }

  int LineOffset(const Line& line) const {
    const int room = rc_.right - rc_.left;
    if ((style_ & DT_CENTER) != 0) return (room - line.width) / 2;
    if ((style_ & DT_RIGHT) != 0) return room - line.width;
    return 0;
  }

  HDC hDC_;
  CWindowManagerUI* manager_;
  RECT rc_;
  UINT style_;
  bool singleLine_;
  const CStringUI& hoverText_;
  int slots_;
  CStringUI* linkTexts_;

  const wchar_t* text_ = nullptr;
  std::vector<int> nextCloser_;
  std::vector<HFONT> fonts_;
  std::vector<COLORREF> colors_;
  std::vector<VAlign> aligns_;
  std::vector<int> spacings_;
  std::vector<FontMetrics> metrics_;
  std::vector<HFONT> used_;  // every font this text has used so far
  int selected_ = 0;
  bool raw_ = false;
  bool stopped_ = false;

  int lineTop_;
  int x_ = 0;
  int lineHeight_ = 0;
  bool lineHasContent_ = false;
  size_t lineFirstItem_ = 0;
  std::vector<Item> items_;
  std::vector<Line> lines_;
  std::vector<Link> links_;
  std::vector<size_t> openLinks_;
  int nextSlot_ = 0;
};

RECT ClampLayoutRect(const RECT& rc) {
  return RECT{ClampInt(rc.left, -kMaxLayoutCoord, kMaxLayoutCoord),
              ClampInt(rc.top, -kMaxLayoutCoord, kMaxLayoutCoord),
              ClampInt(rc.right, -kMaxLayoutCoord, kMaxLayoutCoord),
              ClampInt(rc.bottom, -kMaxLayoutCoord, kMaxLayoutCoord)};
}

}  // namespace

void CRenderUI::DrawHtmlText(HDC hDC, CWindowManagerUI* manager, RECT& rc, const wchar_t* text,
                             DWORD argb, RECT* links, CStringUI* linkTexts, int* linkCount,
                             int font, UINT style) {
  const int slots = links != nullptr && linkCount != nullptr ? std::max(0, *linkCount) : 0;
  if (linkCount != nullptr) *linkCount = 0;
  if (hDC == nullptr || manager == nullptr || text == nullptr || *text == L'\0' ||
      ::IsRectEmpty(&rc)) {
    return;
  }
  const bool measureOnly = (style & DT_CALCRECT) != 0;

  // The link under the mouse, from the rectangles of the previous paint.
  CStringUI hoverText;
  if (linkTexts != nullptr) {
    const POINT mouse = manager->GetMousePos();
    for (int i = 0; i < slots; ++i) {
      if (::PtInRect(&links[i], mouse)) {
        hoverText = linkTexts[i];
        break;
      }
    }
  }

  CStringUI shown(text);
  CWindowManagerUI::ProcessMultiLanguageTokens(shown);

  Utils::ScopedSaveDC saved(hDC);
  const RECT area = ClampLayoutRect(rc);
  if (!measureOnly) ::IntersectClipRect(hDC, area.left, area.top, area.right, area.bottom);
  ::SetBkMode(hDC, TRANSPARENT);
  ::SetTextColor(hDC, ArgbToColorRef(argb));
  ::SetBkColor(hDC, ArgbToColorRef(manager->GetDefaultSelectedBkColor()));

  MarkupLayout layout(hDC, manager, area, style, argb, font, hoverText, slots, linkTexts);
  layout.Run(shown);
  if (measureOnly) {
    layout.Measure(&rc);
  } else {
    layout.Draw(area);
  }
  const int found = layout.StoreLinks(links, !measureOnly);
  if (linkCount != nullptr) *linkCount = found;
}

}  // namespace SkinUI
