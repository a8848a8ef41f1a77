#include "ui_core/values/xml_doc.h"

#include <windows.h>

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include <vector>

#include "ui_core/archives/skin_archive.h"
#include "ui_core/archives/ui_skin_resource.h"
#include "ui_core/values/ui_names.h"
#include "ui_core/values/ui_string.h"

namespace SkinUI {

namespace {

// Offsets into the text are 32-bit; a longer text could not be described.
constexpr size_t kMaxTextLength = 0xFFFFFFF0u;

// Element records grow by half plus this many.
constexpr uint32_t kElementGrowth = 500;

bool IsSpace(wchar_t c) { return c >= 1 && c <= 32; }

bool IsNameChar(wchar_t c) { return iswalnum(c) || c == L'_' || c == L':'; }

void SkipSpace(wchar_t*& p) {
  while (IsSpace(*p)) ++p;
}

void SkipIdentifier(wchar_t*& p) {
  while (IsNameChar(*p)) ++p;
}

// Copies at most capacity - 1 characters of text and a terminator.
void CopyCut(wchar_t* target, size_t capacity, const wchar_t* text) {
  size_t n = 0;
  if (text != nullptr) {
    while (n + 1 < capacity && text[n] != L'\0') {
      target[n] = text[n];
      ++n;
    }
  }
  target[n] = L'\0';
}

}  // namespace

void CXmlDocUI::FreeDeleter::operator()(void* p) const { free(p); }

// ---- CXmlNodeUI ----

CXmlNodeUI::CXmlNodeUI() : element_(0), attributeCount_(0), attributes_(), doc_(nullptr) {}

CXmlNodeUI::CXmlNodeUI(const CXmlDocUI* doc, uint32_t element)
    : element_(element), attributeCount_(0), attributes_(), doc_(doc) {}

const wchar_t* CXmlNodeUI::GetName() const {
  if (doc_ == nullptr) return nullptr;
  return doc_->text_.get() + doc_->elements_.get()[element_].name;
}

CXmlNodeUI CXmlNodeUI::GetChild() const {
  if (doc_ == nullptr) return CXmlNodeUI();
  const uint32_t child = doc_->elements_.get()[element_].child;
  return child != 0 ? CXmlNodeUI(doc_, child) : CXmlNodeUI();
}

CXmlNodeUI CXmlNodeUI::GetSibling() const {
  if (doc_ == nullptr) return CXmlNodeUI();
  const uint32_t next = doc_->elements_.get()[element_].next;
  return next != 0 ? CXmlNodeUI(doc_, next) : CXmlNodeUI();
}

bool CXmlNodeUI::HasChildren() const {
  return doc_ != nullptr && doc_->elements_.get()[element_].child != 0;
}

bool CXmlNodeUI::HasAttributes() const { return GetAttributeCount() > 0; }

int CXmlNodeUI::GetAttributeCount() const {
  if (doc_ == nullptr) return 0;
  if (attributeCount_ == 0) MapAttributes();
  return attributeCount_;
}

const wchar_t* CXmlNodeUI::GetAttributeName(int index) const {
  if (doc_ == nullptr) return nullptr;
  if (attributeCount_ == 0) MapAttributes();
  if (index < 0 || index >= attributeCount_) return L"";
  return doc_->text_.get() + attributes_[index].name;
}

const wchar_t* CXmlNodeUI::GetAttributeValue(int index) const {
  if (doc_ == nullptr) return nullptr;
  if (attributeCount_ == 0) MapAttributes();
  if (index < 0 || index >= attributeCount_) return L"";
  return doc_->text_.get() + attributes_[index].value;
}

bool CXmlNodeUI::GetAttributeValue(const wchar_t* name, wchar_t* buffer, int length) const {
  if (doc_ == nullptr || name == nullptr || buffer == nullptr || length <= 0) return false;
  if (attributeCount_ == 0) MapAttributes();
  const wchar_t* text = doc_->text_.get();
  for (int i = 0; i < attributeCount_; ++i) {
    if (NameIs(text + attributes_[i].name, name)) {
      CopyCut(buffer, static_cast<size_t>(length), text + attributes_[i].value);
      return true;
    }
  }
  return false;
}

void CXmlNodeUI::MapAttributes() const {
  attributeCount_ = 0;
  if (doc_ == nullptr) return;
  const wchar_t* text = doc_->text_.get();
  const CXmlDocUI::Element& e = doc_->elements_.get()[element_];
  // Everything between the element name and its character data is the start tag. Every scan
  // stays inside it, whatever the parse left there.
  const uint32_t end = e.data;
  uint32_t pos = e.name;
  while (pos < end && text[pos] != L'\0') ++pos;
  ++pos;  // the name's terminator
  while (pos < end && attributeCount_ < kXmlMaxAttributes) {
    while (pos < end && IsSpace(text[pos])) ++pos;
    if (pos >= end) break;
    const uint32_t name = pos;
    while (pos < end && text[pos] != L'\0') ++pos;
    if (pos >= end) break;
    ++pos;
    while (pos < end && IsSpace(text[pos])) ++pos;
    if (pos >= end || text[pos] != L'"') break;
    ++pos;
    attributes_[attributeCount_].name = name;
    attributes_[attributeCount_].value = pos;
    ++attributeCount_;
    while (pos < end && text[pos] != L'\0') ++pos;
    ++pos;
  }
}

// ---- CXmlDocUI ----

CXmlDocUI::CXmlDocUI(const wchar_t* text) {
  if (text != nullptr) Load(text);
}

CXmlDocUI::~CXmlDocUI() = default;

void CXmlDocUI::Release() {
  text_.reset();
  elements_.reset();
  elementCount_ = 0;
  elementCapacity_ = 0;
}

bool CXmlDocUI::SetError(const wchar_t* message, const wchar_t* context) {
  CopyCut(errorMessage_, sizeof(errorMessage_) / sizeof(errorMessage_[0]), message);
  CopyCut(errorContext_, sizeof(errorContext_) / sizeof(errorContext_[0]), context);
  return false;
}

CXmlNodeUI CXmlDocUI::GetRoot() const {
  if (elementCount_ < 2) return CXmlNodeUI();
  return CXmlNodeUI(this, 1);
}

bool CXmlDocUI::Load(const wchar_t* text) {
  Release();
  if (text == nullptr) text = L"";
  const size_t length = wcslen(text);
  if (length > kMaxTextLength) return SetError(L"File too large", nullptr);
  text_.reset(static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t))));
  if (!text_) return SetError(L"Out of memory", nullptr);
  memcpy(text_.get(), text, (length + 1) * sizeof(wchar_t));
  if (!ParseText()) {
    Release();
    return false;
  }
  return true;
}

bool CXmlDocUI::LoadFromMem(const uint8_t* bytes, size_t size, int encoding) {
  Release();
  if (bytes == nullptr && size != 0) return SetError(L"Could not read file", nullptr);
  if (size > kMaxTextLength || size > static_cast<size_t>(INT_MAX)) {
    return SetError(L"File too large", nullptr);
  }

  if (encoding == kXmlEncodingUtf8 || encoding == kXmlEncodingAnsi) {
    const UINT codePage = encoding == kXmlEncodingUtf8 ? CP_UTF8 : CP_ACP;
    if (encoding == kXmlEncodingUtf8 && size > 2 && bytes[0] == 0xEF && bytes[1] == 0xBB &&
        bytes[2] == 0xBF) {
      bytes += 3;
      size -= 3;
    }
    const auto* source = reinterpret_cast<const char*>(bytes);
    const int count = size == 0 ? 0
        : ::MultiByteToWideChar(codePage, 0, source, static_cast<int>(size), nullptr, 0);
    if (size != 0 && count <= 0) return SetError(L"Could not convert text", nullptr);
    text_.reset(static_cast<wchar_t*>(malloc((static_cast<size_t>(count) + 1) * sizeof(wchar_t))));
    if (!text_) return SetError(L"Out of memory", nullptr);
    if (count > 0) {
      ::MultiByteToWideChar(codePage, 0, source, static_cast<int>(size), text_.get(), count);
    }
    text_.get()[count] = L'\0';
  } else {
    // Two bytes per character after a two-byte mark: anything else cannot be UTF-16, and reading
    // it in pairs would run past the end of the block.
    if (size < 2 || size % 2 != 0) return SetError(L"Invalid UTF-16 text", nullptr);
    const bool littleEndian = bytes[0] == 0xFF && bytes[1] == 0xFE;
    const bool bigEndian = bytes[0] == 0xFE && bytes[1] == 0xFF;
    if (!littleEndian && !bigEndian) return SetError(L"Missing byte-order mark", nullptr);
    const size_t count = (size - 2) / 2;
    text_.reset(static_cast<wchar_t*>(malloc((count + 1) * sizeof(wchar_t))));
    if (!text_) return SetError(L"Out of memory", nullptr);
    wchar_t* out = text_.get();
    const uint8_t* in = bytes + 2;
    for (size_t i = 0; i < count; ++i, in += 2) {
      out[i] = littleEndian ? static_cast<wchar_t>(in[0] | (in[1] << 8))
                            : static_cast<wchar_t>((in[0] << 8) | in[1]);
    }
    out[count] = L'\0';
  }

  if (!ParseText()) {
    Release();
    return false;
  }
  return true;
}

bool CXmlDocUI::LoadFromFile(const wchar_t* fileName, int encoding) {
  Release();
  const bool inArchive = SkinResourcesInArchive();
  std::vector<uint8_t> bytes;
  switch (ReadSkinResource(fileName, kXmlMaxFileSize, &bytes)) {
    case SkinResourceRead::Ok:
      return LoadFromMem(bytes.data(), bytes.size(), encoding);
    case SkinResourceRead::NotFound:
      return SetError(inArchive ? L"Could not find ziped file" : L"Error opening file", nullptr);
    case SkinResourceRead::Empty:
      return SetError(L"File is empty", nullptr);
    case SkinResourceRead::TooLarge:
      return SetError(L"File too large", nullptr);
    case SkinResourceRead::NoArchive:
      return SetError(L"Error opening zip file", nullptr);
    case SkinResourceRead::Unreadable:
    default:
      return SetError(inArchive ? L"Could not unzip file" : L"Could not read file", nullptr);
  }
}

uint32_t CXmlDocUI::AddElement() {
  if (elementCount_ >= elementCapacity_) {
    const uint64_t next = static_cast<uint64_t>(elementCapacity_) + elementCapacity_ / 2 +
                          kElementGrowth;
    if (next > UINT32_MAX || next > SIZE_MAX / sizeof(Element)) return 0;
    auto* grown = static_cast<Element*>(
        realloc(elements_.get(), static_cast<size_t>(next) * sizeof(Element)));
    if (grown == nullptr) return 0;
    elements_.release();
    elements_.reset(grown);
    elementCapacity_ = static_cast<uint32_t>(next);
  }
  Element& e = elements_.get()[elementCount_];
  e = Element{0, 0, 0, 0, 0};
  return elementCount_++;
}

bool CXmlDocUI::ParseText() {
  elementCount_ = 0;
  AddElement();  // element 0 is reserved: index 0 means "none"
  if (elementCount_ != 1) return SetError(L"Out of memory", nullptr);
  SetError(L"", nullptr);
  wchar_t* p = text_.get();
  return Parse(p, 0, 1);
}

bool CXmlDocUI::Parse(wchar_t*& p, uint32_t parent, int depth) {
  SkipSpace(p);
  uint32_t previous = 0;
  for (;;) {
    // A text that ends at the top level or among the root's children is accepted.
    if (*p == L'\0' && parent <= 1) return true;
    SkipSpace(p);
    if (*p != L'<') return Fail(L"Expected start tag", p);
    // The end tag of the enclosing element, which the caller checks. At the top level there is
    // no such element: the stray end tag ends the document, which keeps what it has (skins made
    // for this parser may carry one after their root).
    if (p[1] == L'/') return true;
    *p++ = L'\0';
    SkipSpace(p);

    if (*p == L'!' || *p == L'?') {
      const wchar_t* close = *p == L'!' ? L"->" : L"?>";
      wchar_t* end = wcsstr(p, close);
      if (end == nullptr) return Fail(L"Unterminated comment or declaration", p);
      p = end + 2;
      SkipSpace(p);
      continue;
    }

    if (depth > kXmlMaxDepth) return Fail(L"Elements nested too deeply", p);
    const uint32_t element = AddElement();
    if (element == 0) return Fail(L"Out of memory", p);
    Element* records = elements_.get();
    records[element].name = OffsetOf(p);
    records[element].parent = parent;
    if (previous != 0) {
      records[previous].next = element;
    } else if (parent != 0) {
      records[parent].child = element;
    }

    wchar_t* const nameStart = p;
    SkipIdentifier(p);
    if (*p == L'\0') return Fail(L"Error parsing element name", p);
    wchar_t* const nameEnd = p;
    const size_t nameLength = static_cast<size_t>(nameEnd - nameStart);

    if (!ParseAttributes(p)) return false;
    SkipSpace(p);

    if (p[0] == L'/' && p[1] == L'>') {
      elements_.get()[element].data = OffsetOf(p);
      *p = L'\0';
      p += 2;
    } else {
      if (*p != L'>') return Fail(L"Expected start-tag closing", p);
      ++p;
      elements_.get()[element].data = OffsetOf(p);
      // The name ends here even when the text stops inside this element: a name running into
      // its '>' would otherwise read as "Window>" after an early end.
      *nameEnd = L'\0';
      wchar_t* out = p;
      ParseData(p, out, L'<');
      if (*p == L'\0') {
        *out = L'\0';
        if (parent <= 1) return true;
        return Fail(L"Expected end-tag start", p);
      }
      const bool hasChildren = p[1] != L'/';
      if (hasChildren) {
        if (!Parse(p, element, depth + 1)) return false;
        // The children stop only at an end tag or, inside the root, at the end of the text.
        if (*p == L'\0') return true;
      } else {
        *out = L'\0';
      }
      *p = L'\0';
      p += 2;
      SkipSpace(p);
      if (wcsncmp(p, nameStart, nameLength) != 0) return Fail(L"Unmatched closing tag", p);
      p += nameLength;
      SkipSpace(p);
      if (*p != L'>') return Fail(L"Unmatched closing tag", p);
      ++p;
    }

    *nameEnd = L'\0';
    SkipSpace(p);
    previous = element;
  }
}

bool CXmlDocUI::ParseAttributes(wchar_t*& p) {
  if (*p == L'>') return true;
  // Whatever follows the name ends it. The caller has made sure this is not the end of the text.
  *p++ = L'\0';
  SkipSpace(p);
  while (*p != L'\0') {
    if (*p == L'/' || *p == L'>') return true;
    SkipIdentifier(p);
    wchar_t* const nameEnd = p;
    SkipSpace(p);
    if (*p != L'=') return Fail(L"Error while parsing attributes", p);
    *p++ = L' ';
    *nameEnd = L'\0';
    SkipSpace(p);
    if (*p != L'"') return Fail(L"Expected attribute value", p);
    ++p;
    wchar_t* out = p;
    ParseData(p, out, L'"');
    if (*p == L'\0') return Fail(L"Error while parsing attribute string", p);
    *out = L'\0';
    if (out != p) *p = L' ';
    ++p;
    SkipSpace(p);
  }
  return true;
}

void CXmlDocUI::ParseData(wchar_t*& p, wchar_t*& out, wchar_t end) {
  while (*p != L'\0' && *p != end) {
    if (*p == L'&') {
      while (*p == L'&') {
        ++p;
        *out++ = ParseEntity(p);
      }
    } else if (*p == L' ') {
      *out++ = *p++;
      if (!preserveWhitespace_) SkipSpace(p);
    } else {
      *out++ = *p++;
    }
  }
  // Keep the text a sequence of terminated strings padded with spaces where entities shrank it.
  for (wchar_t* q = out + 1; q < p; ++q) *q = L' ';
}

wchar_t CXmlDocUI::ParseEntity(wchar_t*& p) const {
  static const struct {
    const wchar_t* name;
    size_t length;
    wchar_t ch;
  } kEntities[] = {
      {L"amp;", 4, L'&'}, {L"lt;", 3, L'<'}, {L"gt;", 3, L'>'},
      {L"quot;", 5, L'"'}, {L"apos;", 5, L'\''},
  };
  for (const auto& entity : kEntities) {
    if (wcsncmp(p, entity.name, entity.length) == 0) {
      p += entity.length;
      return entity.ch;
    }
  }
  // Unknown references stay as written: the '&' is kept and what follows is copied as text.
  return L'&';
}

}  // namespace SkinUI
