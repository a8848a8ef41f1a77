// The window manager's set-up and resources: construction and binding, the process-wide
// settings (module instance, skin folder and archive), fonts, images, default attribute lists,
// option groups, the Window element's attributes, layered mode, opacity and the colour shift.
#include "ui_core/manager/ui_manager.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_globals.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// Font heights beyond this are no font a window can show; a skin that asks for more gets this.
constexpr int kMaxFontSize = 2000;
// X servers refuse windows larger than this in either direction.
constexpr int kMaxWindowExtent = 32767;

const wchar_t kMemoryArchiveName[] = L"membuffer";

void DecimalKey(int id, wchar_t (&key)[16]) { std::swprintf(key, 16, L"%d", id); }

int Clamp(int value, int low, int high) {
  return value < low ? low : (value > high ? high : value);
}

bool IsTrueText(const wchar_t* value) { return NameIsNoCase(value, L"true"); }

// Layered-window functions are looked up once: systems without them keep plain windows.
using SetLayeredWindowAttributesFunction = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);


void SetExStyleBit(HWND window, LONG_PTR bit, bool on) {
  const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  const LONG_PTR wanted = on ? (exStyle | bit) : (exStyle & ~bit);
  if (wanted != exStyle) ::SetWindowLongPtrW(window, GWL_EXSTYLE, wanted);
}

// The shared colours and the shared default font, once per process.
void InitSharedDefaults(TProcessTablesUI& tables) {
  if (!tables.shared.defaultFont.face.IsEmpty()) return;
  tables.shared.disabledColor = 0xFFA7A6AA;
  tables.shared.fontColor = 0xFF000000;
  tables.shared.linkFontColor = 0xFF0000FF;
  tables.shared.linkHoverFontColor = 0xFFD3215F;
  tables.shared.selectedColor = 0xFFBAE4FF;
  LOGFONTW lf = {};
  if (::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf) == 0) return;
  lf.lfCharSet = DEFAULT_CHARSET;
  TFontEntryUI& font = tables.shared.defaultFont;
  font.font.reset(::CreateFontIndirectW(&lf));
  font.face = lf.lfFaceName;
  font.size = -lf.lfHeight;
  font.bold = lf.lfWeight >= FW_BOLD;
  font.underline = lf.lfUnderline == TRUE;
  font.italic = lf.lfItalic == TRUE;
  font.metrics = TEXTMETRICW{};
}

void InitProcessOnce(TProcessTablesUI& tables) {
  if (tables.dirtyPen) return;
  tables.dirtyPen.reset(::CreatePen(PS_SOLID, 1, RGB(220, 0, 0)));
  ::InitCommonControls();
  // Kept loaded for the life of the process; the drawing code looks AlphaBlend up in it.
  static Utils::UniqueLibrary msimg32(::LoadLibraryW(L"msimg32.dll"));
}

template <typename T>
void DeleteMapValues(CStringMapUI& map) {
  for (int i = 0; i < map.GetSize(); ++i) {
    const wchar_t* key = map.GetAt(i);
    if (key != nullptr) delete static_cast<T*>(map.Find(key, false));
  }
  map.Resize(83);
}

TFontEntryUI* FindFontByHandle(const CStringMapUI& fonts, HFONT font) {
  for (int i = 0; i < fonts.GetSize(); ++i) {
    const wchar_t* key = fonts.GetAt(i);
    auto* entry = key != nullptr ? static_cast<TFontEntryUI*>(fonts.Find(key, false)) : nullptr;
    if (entry != nullptr && entry->font.get() == font) return entry;
  }
  return nullptr;
}

TFontEntryUI* FindFontByLook(const CStringMapUI& fonts, const wchar_t* face, int size, bool bold,
                             bool underline, bool italic) {
  for (int i = 0; i < fonts.GetSize(); ++i) {
    const wchar_t* key = fonts.GetAt(i);
    auto* entry = key != nullptr ? static_cast<TFontEntryUI*>(fonts.Find(key, false)) : nullptr;
    if (entry != nullptr && entry->face == face && entry->size == size && entry->bold == bold &&
        entry->underline == underline && entry->italic == italic) {
      return entry;
    }
  }
  return nullptr;
}

// Replaces the value under key and frees the one it held. False when the map refused it (the
// new value is then freed as well).
template <typename T>
bool ReplaceMapValue(CStringMapUI& map, const wchar_t* key, T* value) {
  if (T* old = static_cast<T*>(map.Find(key, false))) {
    map.Remove(key);
    delete old;
  }
  if (map.Insert(key, value)) return true;
  delete value;
  return false;
}

void AdjustImagesOf(CStringMapUI& images, const TProcessTablesUI& tables) {
  for (int i = 0; i < images.GetSize(); ++i) {
    const wchar_t* key = images.GetAt(i);
    auto* entry = key != nullptr ? static_cast<TImageEntryUI*>(images.Find(key, false)) : nullptr;
    if (entry != nullptr) {
      CRenderUI::AdjustImage(tables.useHsl, entry, tables.hue, tables.saturation,
                             tables.lightness);
    }
  }
}

}  // namespace

FARPROC CWindowManagerUI::LookupUser32(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 != nullptr ? ::GetProcAddress(user32, name) : nullptr;
}

// --- construction and binding ----------------------------------------------------------------

CWindowManagerUI::CWindowManagerUI() {
  TProcessTablesUI& tables = ProcessTables();
  InitSharedDefaults(tables);
  resources_.disabledColor = tables.shared.disabledColor;
  resources_.fontColor = tables.shared.fontColor;
  resources_.linkFontColor = tables.shared.linkFontColor;
  resources_.linkHoverFontColor = tables.shared.linkHoverFontColor;
  resources_.selectedColor = tables.shared.selectedColor;
  InitProcessOnce(tables);
}

CWindowManagerUI::~CWindowManagerUI() {
  RunDelayedCleanup();
  FreeQueuedNotifies();
  nameIndex_.RemoveAll();
  if (root_ != nullptr) {
    CControlUI* root = root_;
    root_ = nullptr;
    root->Delete();
  }
  RemoveOwnResources();
  DestroyToolTip();
  DropOffscreen();
  paintDC_.reset();
  CPtrArrayUI& live = ProcessTables().liveManagers;
  const int index = live.Find(this);
  if (index >= 0) live.Remove(index);
}

void CWindowManagerUI::RemoveOwnResources() {
  resources_.RemoveAllFonts();
  resources_.RemoveAllImages();
  resources_.RemoveAllAttributeLists();
  RemoveAllWindowCustomAttribute();
  RemoveAllOptionGroups();
  RemoveAllTimers();
}

void CWindowManagerUI::Init(HWND window, const wchar_t* name) {
  nameIndex_.Resize(83);
  RemoveOwnResources();
  name_ = name;
  if (window == paintWindow_) return;
  paintWindow_ = window;
  paintDC_ = Utils::UniqueWindowDC(window);
  CPtrArrayUI& live = ProcessTables().liveManagers;
  if (live.Find(this) < 0) live.Add(this);
}

SIZE CWindowManagerUI::GetClientSize() const {
  RECT client = {0, 0, 0, 0};
  if (paintWindow_ != nullptr) ::GetClientRect(paintWindow_, &client);
  return SIZE{client.right - client.left, client.bottom - client.top};
}

// --- process-wide settings -------------------------------------------------------------------

void CWindowManagerUI::SetInstance(HINSTANCE instance) { ProcessTables().instance = instance; }

HINSTANCE CWindowManagerUI::GetInstance() { return ProcessTables().instance; }

void CWindowManagerUI::SetResourceInstance(HINSTANCE instance) {
  ProcessTables().resourceInstance = instance;
}

HINSTANCE CWindowManagerUI::GetResourceInstance() {
  const TProcessTablesUI& tables = ProcessTables();
  return tables.resourceInstance != nullptr ? tables.resourceInstance : tables.instance;
}

CStringUI CWindowManagerUI::GetInstancePath() {
  HINSTANCE instance = GetInstance();
  if (instance == nullptr) return CStringUI();
  // Long paths exist; a module path never exceeds the 32767 characters of the system's limit.
  std::vector<wchar_t> path(32768, L'\0');
  const DWORD length = ::GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return CStringUI();
  CStringUI folder(path.data(), static_cast<int>(length));
  const int slash = folder.ReverseFind(L'\\');
  return slash < 0 ? CStringUI() : folder.Left(slash + 1);
}

void CWindowManagerUI::SetResourcePath(const wchar_t* path) {
  CStringUI& folder = ProcessTables().resourceFolder;
  folder = path;
  if (folder.IsEmpty()) return;
  const wchar_t last = folder.GetAt(folder.GetLength() - 1);
  if (last != L'\\' && last != L'/') folder += L'\\';
}

const CStringUI& CWindowManagerUI::GetResourcePath() { return ProcessTables().resourceFolder; }

void CWindowManagerUI::SetResourceZip(const wchar_t* fileName, bool cached) {
  TProcessTablesUI& tables = ProcessTables();
  if (tables.resourceArchiveName == fileName && tables.archiveCached == cached) return;
  tables.cachedArchive.reset();
  tables.resourceArchiveName = fileName;
  tables.archiveCached = cached;
  if (!cached) return;
  const CStringUI path = tables.resourceFolder + tables.resourceArchiveName;
  if (tables.archiveIs7z) {
    tables.cachedArchive.reset(Skin7zOpenFromFile(path.GetData()));
  } else {
    tables.cachedArchive.reset(SkinZipOpen(path.GetData(), 0, kSkinZipFileName));
  }
}

void CWindowManagerUI::SetResourceZipMemory(const void* bytes, size_t size) {
  TProcessTablesUI& tables = ProcessTables();
  if (tables.resourceArchiveName == kMemoryArchiveName) return;
  tables.cachedArchive.reset();
  tables.resourceArchiveName = kMemoryArchiveName;
  tables.archiveCached = true;
  if (bytes == nullptr || size == 0) return;
  if (tables.archiveIs7z) {
    tables.cachedArchive.reset(Skin7zOpenFromMemory(bytes, size));
  } else {
    tables.cachedArchive.reset(SkinZipOpen(bytes, size, kSkinZipMemory));
  }
}

const CStringUI& CWindowManagerUI::GetResourceZip() { return ProcessTables().resourceArchiveName; }

SkinArchiveHandle* CWindowManagerUI::GetResourceZipHandle() {
  return ProcessTables().cachedArchive.get();
}

bool CWindowManagerUI::IsCachedResourceZip() { return ProcessTables().archiveCached; }

void CWindowManagerUI::SetResourceArchive7z(bool is7z) { ProcessTables().archiveIs7z = is7z; }

bool CWindowManagerUI::IsResourceArchive7z() { return ProcessTables().archiveIs7z; }

CPtrArrayUI* CWindowManagerUI::GetPlugins() { return &ProcessTables().plugins; }

void CWindowManagerUI::SetHSL(bool useHsl, short hue, short saturation, short lightness) {
  TProcessTablesUI& tables = ProcessTables();
  tables.useHsl = useHsl;
  tables.hue = static_cast<short>(Clamp(hue, 0, 360));
  tables.saturation = static_cast<short>(Clamp(saturation, 0, 200));
  tables.lightness = static_cast<short>(Clamp(lightness, 0, 200));
  AdjustImagesOf(tables.shared.images, tables);
  for (int i = 0; i < tables.liveManagers.GetSize(); ++i) {
    auto* manager = static_cast<CWindowManagerUI*>(tables.liveManagers[i]);
    AdjustImagesOf(manager->resources_.images, tables);
    if (manager->root_ != nullptr) manager->root_->Invalidate();
  }
}

void CWindowManagerUI::GetHSL(short* hue, short* saturation, short* lightness) {
  const TProcessTablesUI& tables = ProcessTables();
  if (hue != nullptr) *hue = tables.hue;
  if (saturation != nullptr) *saturation = tables.saturation;
  if (lightness != nullptr) *lightness = tables.lightness;
}

bool CWindowManagerUI::IsUseHSL() { return ProcessTables().useHsl; }

// --- fonts -----------------------------------------------------------------------------------

TResourceSetUI& CWindowManagerUI::ResourceSetFor(bool shared) {
  return shared || sharedResources_ ? ProcessTables().shared : resources_;
}

TFontEntryUI* CWindowManagerUI::MakeFontEntry(const wchar_t* face, int size, bool bold,
                                              bool underline, bool italic) {
  LOGFONTW lf = {};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
  // The face field holds 31 characters and the terminator; a longer name is cut, never run past.
  const wchar_t* name = face != nullptr ? face : L"";
  size_t length = std::wcslen(name);
  if (length > LF_FACESIZE - 1) length = LF_FACESIZE - 1;
  std::wmemcpy(lf.lfFaceName, name, length);
  lf.lfFaceName[length] = L'\0';
  size = Clamp(size, -kMaxFontSize, kMaxFontSize);
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfHeight = -size;
  if (bold) lf.lfWeight += FW_BOLD;
  if (underline) lf.lfUnderline = TRUE;
  if (italic) lf.lfItalic = TRUE;
  Utils::UniqueFont font(::CreateFontIndirectW(&lf));
  if (!font) return nullptr;
  auto* entry = new (std::nothrow) TFontEntryUI;
  if (entry == nullptr) return nullptr;
  entry->font = std::move(font);
  entry->face = lf.lfFaceName;
  entry->size = size;
  entry->bold = bold;
  entry->underline = underline;
  entry->italic = italic;
  return entry;
}

void CWindowManagerUI::MeasureFont(TFontEntryUI* entry) {
  if (entry == nullptr || !entry->font) return;
  Utils::UniqueWindowDC screen;
  HDC dc = paintDC_.get();
  if (dc == nullptr) {
    screen = Utils::UniqueWindowDC(nullptr);
    dc = screen.get();
  }
  if (dc == nullptr) return;
  Utils::ScopedSelectObject select(dc, entry->font.get());
  ::GetTextMetricsW(dc, &entry->metrics);
}

HFONT CWindowManagerUI::AddFont(int id, const wchar_t* face, int size, bool bold, bool underline,
                                bool italic, bool shared) {
  TFontEntryUI* entry = MakeFontEntry(face, size, bold, underline, italic);
  if (entry == nullptr) return nullptr;
  // Measured at its first use (GetFontInfo): realising a face is costly, and a skin declares
  // fonts that its first page never shows.
  HFONT font = entry->font.get();
  wchar_t key[16];
  DecimalKey(id, key);
  TResourceSetUI& set = ResourceSetFor(shared);
  // Labels built earlier and open native edits may still hold the font under this id.
  set.RetireFont(key);
  if (!set.fonts.Insert(key, entry)) {
    delete entry;
    return nullptr;
  }
  return font;
}

void CWindowManagerUI::RemoveFont(int id) {
  wchar_t key[16];
  DecimalKey(id, key);
  ResourceSetFor(false).RemoveFont(key);
}

HFONT CWindowManagerUI::FindFontById(int id) {
  TFontEntryUI* entry = ResourceSetFor(false).FindFont(id);
  return entry != nullptr ? entry->font.get() : nullptr;
}

void CWindowManagerUI::SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline,
                                      bool italic, bool shared) {
  TFontEntryUI* entry = MakeFontEntry(face, size, bold, underline, italic);
  if (entry == nullptr) return;
  TResourceSetUI& set = shared ? ProcessTables().shared : resources_;
  // Open native edits and the tooltip may still hold the default font.
  set.RetireDefaultFont();
  set.defaultFont = std::move(*entry);
  delete entry;
  set.defaultFont.metrics = TEXTMETRICW{};  // measured at its first use, as every font
}

HFONT CWindowManagerUI::GetFont(int id) {
  if (id >= 0) {
    if (TFontEntryUI* entry = resources_.FindFont(id)) return entry->font.get();
    if (TFontEntryUI* entry = ProcessTables().shared.FindFont(id)) return entry->font.get();
  }
  TFontEntryUI* fallback = GetDefaultFontInfo();
  return fallback != nullptr ? fallback->font.get() : nullptr;
}

HFONT CWindowManagerUI::FindFont(const wchar_t* face, int size, bool bold, bool underline,
                                 bool italic) {
  TFontEntryUI* entry = FindFontByLook(resources_.fonts, face, size, bold, underline, italic);
  if (entry == nullptr) {
    entry = FindFontByLook(ProcessTables().shared.fonts, face, size, bold, underline, italic);
  }
  return entry != nullptr ? entry->font.get() : nullptr;
}

TFontEntryUI* CWindowManagerUI::GetFontInfo(int id) {
  TFontEntryUI* entry = nullptr;
  if (id >= 0) {
    entry = resources_.FindFont(id);
    if (entry == nullptr) entry = ProcessTables().shared.FindFont(id);
  }
  if (entry == nullptr) return GetDefaultFontInfo();
  if (entry->metrics.tmHeight == 0) MeasureFont(entry);
  return entry;
}

TFontEntryUI* CWindowManagerUI::GetFontInfoByHandle(HFONT font) {
  TFontEntryUI* entry = FindFontByHandle(resources_.fonts, font);
  if (entry == nullptr) entry = FindFontByHandle(ProcessTables().shared.fonts, font);
  if (entry == nullptr) return GetDefaultFontInfo();
  if (entry->metrics.tmHeight == 0) MeasureFont(entry);
  return entry;
}

TFontEntryUI* CWindowManagerUI::GetDefaultFontInfo() {
  TFontEntryUI* entry = resources_.defaultFont.face.IsEmpty() ? &ProcessTables().shared.defaultFont
                                                              : &resources_.defaultFont;
  if (entry->metrics.tmHeight == 0) MeasureFont(entry);
  return entry;
}

void CWindowManagerUI::RemoveAllFonts(bool shared) {
  if (shared) {
    ProcessTables().shared.RemoveAllFonts();
  } else {
    resources_.RemoveAllFonts();
  }
}

// --- images ----------------------------------------------------------------------------------

TImageEntryUI* CWindowManagerUI::AddImage(const wchar_t* name, const wchar_t* type, DWORD mask,
                                          bool useHsl, bool shared) {
  if (name == nullptr || *name == L'\0') return nullptr;
  TImageEntryUI* entry = nullptr;
  // A colour image's name is its colour ("80FF0000"), never a resource number.
  if (type != nullptr && *type != L'\0' && std::wcscmp(type, kImageTypeColor) != 0 &&
      *name >= L'0' && *name <= L'9') {
    const unsigned id = static_cast<unsigned>(ParseAttributeInt(name)) & 0xFFFFu;
    entry = CRenderUI::LoadImage(MAKEINTRESOURCEW(id), type, mask);
  } else {
    entry = CRenderUI::LoadImage(name, type, mask);
  }
  if (entry == nullptr) return nullptr;
  entry->useHsl = useHsl;
  entry->resourceType = type;
  entry->mask = mask;
  const TProcessTablesUI& tables = ProcessTables();
  if (useHsl && entry->pixels != nullptr && entry->width > 0 && entry->height > 0) {
    const size_t bytes = static_cast<size_t>(entry->width) * static_cast<size_t>(entry->height) * 4;
    entry->pixelCopy.reset(new (std::nothrow) uint8_t[bytes]);
    if (entry->pixelCopy) {
      std::memcpy(entry->pixelCopy.get(), entry->pixels, bytes);
      if (tables.useHsl) {
        CRenderUI::AdjustImage(true, entry, tables.hue, tables.saturation, tables.lightness);
      }
    }
  }
  TResourceSetUI& set = ResourceSetFor(shared);
  // Controls built earlier may still point at the image under this name.
  set.RetireImage(name);
  CStringMapUI& images = set.images;
  if (!images.Insert(name, entry)) {
    CRenderUI::FreeImage(entry);
    return nullptr;
  }
  return entry;
}

TImageEntryUI* CWindowManagerUI::GetImageEx(const wchar_t* name, const wchar_t* type, DWORD mask,
                                            bool useHsl) {
  if (name == nullptr || *name == L'\0') return nullptr;
  TResourceSetUI& shared = ProcessTables().shared;
  TImageEntryUI* entry = resources_.FindImage(name);
  if (entry == nullptr) entry = shared.FindImage(name);
  if (entry != nullptr) return entry;
  AddImage(name, type, mask, useHsl, false);
  return sharedResources_ ? shared.FindImage(name) : resources_.FindImage(name);
}

void CWindowManagerUI::RemoveAllImages(bool shared) {
  if (shared) {
    ProcessTables().shared.RemoveAllImages();
  } else {
    resources_.RemoveAllImages();
  }
}

// --- default attribute lists -----------------------------------------------------------------

void CWindowManagerUI::AddDefaultAttributeList(const wchar_t* className, const wchar_t* list,
                                               bool shared) {
  if (className == nullptr) return;
  auto* copy = new (std::nothrow) CStringUI(list);
  if (copy == nullptr) return;
  ReplaceMapValue(ResourceSetFor(shared).attributeLists, className, copy);
}

const wchar_t* CWindowManagerUI::GetDefaultAttributeList(const wchar_t* className) const {
  const CStringUI* list = resources_.FindAttributeList(className);
  if (list == nullptr) list = ProcessTables().shared.FindAttributeList(className);
  return list != nullptr ? list->GetData() : nullptr;
}

void CWindowManagerUI::RemoveAllDefaultAttributeList(bool shared) {
  if (shared) {
    ProcessTables().shared.RemoveAllAttributeLists();
  } else {
    resources_.RemoveAllAttributeLists();
  }
}

// --- option groups ---------------------------------------------------------------------------

bool CWindowManagerUI::AddOptionGroup(const wchar_t* group, CControlUI* option) {
  if (group == nullptr || option == nullptr) return false;
  if (auto* options = static_cast<CPtrArrayUI*>(optionGroups_.Find(group))) {
    if (options->Find(option) >= 0) return false;
    return options->Add(option);
  }
  auto* options = new (std::nothrow) CPtrArrayUI(6);
  if (options == nullptr) return false;
  if (!options->Add(option) || !optionGroups_.Insert(group, options)) {
    delete options;
    return false;
  }
  return true;
}

CPtrArrayUI* CWindowManagerUI::GetOptionGroup(const wchar_t* group) {
  if (group == nullptr) return nullptr;
  return static_cast<CPtrArrayUI*>(optionGroups_.Find(group));
}

void CWindowManagerUI::RemoveOptionGroup(const wchar_t* group, CControlUI* option) {
  CPtrArrayUI* options = GetOptionGroup(group);
  if (options == nullptr) return;
  const int index = options->Find(option);
  if (index >= 0) options->Remove(index);
  if (options->IsEmpty()) {
    optionGroups_.Remove(group);
    delete options;
  }
}

void CWindowManagerUI::RemoveAllOptionGroups() { DeleteMapValues<CPtrArrayUI>(optionGroups_); }

// --- window attributes -----------------------------------------------------------------------

void CWindowManagerUI::SetWindowAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIsNoCase(name, L"size")) {
    const SIZE size = ParseAttributeSize(value);
    initSize_ = size;
    if (root_ == nullptr && paintWindow_ != nullptr) {
      ::SetWindowPos(paintWindow_, nullptr, 0, 0, Clamp(size.cx, 0, kMaxWindowExtent),
                     Clamp(size.cy, 0, kMaxWindowExtent),
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
  } else if (NameIsNoCase(name, L"sizebox")) {
    sizeBox_ = ParseAttributeRect(value);
  } else if (NameIsNoCase(name, L"caption")) {
    caption_ = ParseAttributeRect(value);
  } else if (NameIsNoCase(name, L"roundcorner")) {
    roundCorner_ = ParseAttributeSize(value);
  } else if (NameIsNoCase(name, L"mininfo")) {
    minInfo_ = ParseAttributeSize(value);
  } else if (NameIsNoCase(name, L"maxinfo")) {
    maxInfo_ = ParseAttributeSize(value);
  } else if (NameIsNoCase(name, L"showdirty")) {
    showDirty_ = IsTrueText(value);
  } else if (NameIs(name, L"noactivate")) {
    noActivate_ = IsTrueText(value);
  } else if (NameIsNoCase(name, L"opacity")) {
    SetOpacity(static_cast<BYTE>(Clamp(ParseAttributeInt(value), 0, 255)));
  } else if (NameIs(name, L"layeredopacity")) {
    SetLayeredOpacity(static_cast<BYTE>(Clamp(ParseAttributeInt(value), 0, 255)));
  } else if (NameIs(name, L"layeredimage")) {
    SetLayered(true);
    SetLayeredImage(value);
  } else if (NameIsNoCase(name, L"disabledfontcolor")) {
    resources_.disabledColor = ParseAttributeColor(value);
  } else if (NameIsNoCase(name, L"defaultfontcolor")) {
    resources_.fontColor = ParseAttributeColor(value);
  } else if (NameIsNoCase(name, L"linkfontcolor")) {
    resources_.linkFontColor = ParseAttributeColor(value);
  } else if (NameIsNoCase(name, L"linkhoverfontcolor")) {
    resources_.linkHoverFontColor = ParseAttributeColor(value);
  } else if (NameIsNoCase(name, L"selectedcolor")) {
    resources_.selectedColor = ParseAttributeColor(value);
  } else {
    AddWindowCustomAttribute(name, value);
  }
}

void CWindowManagerUI::AddWindowCustomAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || *name == L'\0' || value == nullptr || *value == L'\0') return;
  if (windowCustomAttributes_.Find(name) != nullptr) return;  // the first value stays
  auto* copy = new (std::nothrow) CStringUI(value);
  if (copy != nullptr && !windowCustomAttributes_.Insert(name, copy)) delete copy;
}

const wchar_t* CWindowManagerUI::GetWindowCustomAttribute(const wchar_t* name) const {
  if (name == nullptr) return nullptr;
  const auto* value = static_cast<const CStringUI*>(windowCustomAttributes_.Find(name));
  return value != nullptr ? value->GetData() : nullptr;
}

void CWindowManagerUI::RemoveAllWindowCustomAttribute() {
  DeleteMapValues<CStringUI>(windowCustomAttributes_);
}

DWORD CWindowManagerUI::GetDefaultDisabledColor() const { return resources_.disabledColor; }
DWORD CWindowManagerUI::GetDefaultFontColor() const { return resources_.fontColor; }
DWORD CWindowManagerUI::GetDefaultLinkFontColor() const { return resources_.linkFontColor; }
DWORD CWindowManagerUI::GetDefaultLinkHoverFontColor() const {
  return resources_.linkHoverFontColor;
}
DWORD CWindowManagerUI::GetDefaultSelectedBkColor() const { return resources_.selectedColor; }

// --- layered mode and opacity ----------------------------------------------------------------

void CWindowManagerUI::SetLayered(bool layered) {
  if (paintWindow_ == nullptr || layered == layered_) return;
  if ((::GetWindowLongPtrW(paintWindow_, GWL_STYLE) & WS_CHILD) != 0) return;
  static const FARPROC updateLayered = LookupUser32("UpdateLayeredWindow");
  if (updateLayered == nullptr) return;
  if (layered) {
    ::SetTimer(paintWindow_, kLayeredTimerId, 10, nullptr);
  } else {
    ::KillTimer(paintWindow_, kLayeredTimerId);
  }
  SetExStyleBit(paintWindow_, WS_EX_LAYERED, layered);
  layered_ = layered;
  // A layered window paints through a 32-bit DIB; a plain one may keep a compatible bitmap.
  if (!painting_) DropOffscreen();
  if (root_ != nullptr) root_->NeedUpdate();
  updateNeeded_ = true;
  Invalidate();
}

void CWindowManagerUI::SetLayeredImage(const wchar_t* description) {
  layeredImage_.SetDescription(description);
  // Parses and loads only: without a DC nothing is drawn.
  const RECT none = {0, 0, 0, 0};
  CRenderUI::DrawImageString(nullptr, this, none, none, layeredImage_);
  // The mask is drawn again from the new image on the next paint.
  backgroundBitmap_.reset();
  backgroundPixels_ = nullptr;
}

void CWindowManagerUI::SetLayeredOpacity(BYTE opacity) {
  opacity_ = opacity;
  layeredUpdateNeeded_ = true;
  Invalidate();
}

void CWindowManagerUI::SetOpacity(BYTE opacity) {
  opacity_ = opacity;
  if (paintWindow_ == nullptr) return;
  static const auto setAttributes = reinterpret_cast<SetLayeredWindowAttributesFunction>(
      LookupUser32("SetLayeredWindowAttributes"));
  if (setAttributes == nullptr) return;
  SetExStyleBit(paintWindow_, WS_EX_LAYERED, true);
  setAttributes(paintWindow_, 0, opacity, LWA_ALPHA);
  if (layered_) ::KillTimer(paintWindow_, kLayeredTimerId);
  layered_ = false;
  Invalidate();
}

}  // namespace SkinUI
