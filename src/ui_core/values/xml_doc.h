#pragma once
// A small, non-validating XML reader for skin files. The document is parsed in place in one wide
// buffer: terminators are written into the text instead of copying names and values, and the
// element tree is an array of fixed-size records that refer to the text by offsets.
//
// It knows elements, attributes with double-quoted values, character data, the five predefined
// entities, comments and processing instructions; nothing else (no namespaces, DTD, CDATA or
// numeric character references). Skin files come from archives and folders that anyone could
// have edited, so every byte is treated as untrusted: malformed input fails with a message.
#include <stddef.h>
#include <stdint.h>

#include <memory>

namespace SkinUI {

// Encodings of CXmlDocUI::LoadFromMem. Any value other than these two means UTF-16 with a
// byte-order mark.
constexpr int kXmlEncodingUtf8 = 0;
constexpr int kXmlEncodingUtf16 = 1;
constexpr int kXmlEncodingAnsi = 2;

// Skin files larger than this are refused.
constexpr size_t kXmlMaxFileSize = 0x400000;
// Elements nested deeper than this are refused; the parser and the skin builder both recurse
// once per level.
constexpr int kXmlMaxDepth = 256;
// Attributes of one element beyond this many are ignored.
constexpr int kXmlMaxAttributes = 64;

class CXmlDocUI;

// A light handle on one element of a parsed document. It stays valid while the document keeps
// its text: releasing or reloading the document invalidates every node taken from it.
class CXmlNodeUI {
public:
  CXmlNodeUI();  // invalid

  bool IsValid() const { return doc_ != nullptr; }
  const wchar_t* GetName() const;  // null for an invalid node
  CXmlNodeUI GetChild() const;
  CXmlNodeUI GetSibling() const;
  bool HasChildren() const;

  // The attribute queries locate the attributes in the text on first use.
  bool HasAttributes() const;
  int GetAttributeCount() const;
  // Null for an invalid node, "" for an index outside 0..count-1.
  const wchar_t* GetAttributeName(int index) const;
  const wchar_t* GetAttributeValue(int index) const;
  // Copies the value of the first attribute called `name` (case-sensitive) into buffer, at most
  // length - 1 characters and a terminator. False when there is no such attribute.
  bool GetAttributeValue(const wchar_t* name, wchar_t* buffer, int length) const;
  void MapAttributes() const;

private:
  friend class CXmlDocUI;
  CXmlNodeUI(const CXmlDocUI* doc, uint32_t element);

  struct Attribute {
    uint32_t name;   // offsets into the document's text
    uint32_t value;
  };

  uint32_t element_;
  mutable int attributeCount_;
  mutable Attribute attributes_[kXmlMaxAttributes];
  const CXmlDocUI* doc_;
};

class CXmlDocUI {
public:
  explicit CXmlDocUI(const wchar_t* text = nullptr);
  ~CXmlDocUI();
  CXmlDocUI(const CXmlDocUI&) = delete;
  CXmlDocUI& operator=(const CXmlDocUI&) = delete;

  void Release();
  bool Load(const wchar_t* text);
  bool LoadFromMem(const uint8_t* bytes, size_t size, int encoding = kXmlEncodingUtf8);
  // Reads `fileName` from the skin source that the process-wide resource settings select: the
  // resource folder, or an item of the skin archive.
  bool LoadFromFile(const wchar_t* fileName, int encoding = kXmlEncodingUtf8);

  CXmlNodeUI GetRoot() const;  // invalid when the document holds no element

  // Stores the message and the text found at context (null: none); always returns false.
  bool SetError(const wchar_t* message, const wchar_t* context);
  const wchar_t* GetErrorMessage() const { return errorMessage_; }
  const wchar_t* GetErrorContext() const { return errorContext_; }

  // On by default. Off, a space in character data swallows the white space that follows it.
  void SetPreserveWhitespace(bool preserve) { preserveWhitespace_ = preserve; }

private:
  friend class CXmlNodeUI;

  struct Element {
    uint32_t name;    // offset of the element name in the text
    uint32_t child;   // first child, 0 for none
    uint32_t next;    // next sibling, 0 for none
    uint32_t parent;  // 0 for a top-level element
    uint32_t data;    // offset of the character data ('/' of an empty element)
  };

  struct FreeDeleter {
    void operator()(void* p) const;
  };

  bool ParseText();
  bool Parse(wchar_t*& p, uint32_t parent, int depth);
  bool ParseAttributes(wchar_t*& p);
  void ParseData(wchar_t*& p, wchar_t*& out, wchar_t end);
  wchar_t ParseEntity(wchar_t*& p) const;
  uint32_t AddElement();
  bool Fail(const wchar_t* message, const wchar_t* where) { return SetError(message, where); }
  uint32_t OffsetOf(const wchar_t* p) const { return static_cast<uint32_t>(p - text_.get()); }

  std::unique_ptr<wchar_t, FreeDeleter> text_;
  std::unique_ptr<Element, FreeDeleter> elements_;
  uint32_t elementCount_ = 0;
  uint32_t elementCapacity_ = 0;
  bool preserveWhitespace_ = true;
  wchar_t errorMessage_[100] = {};
  wchar_t errorContext_[50] = {};
};

}  // namespace SkinUI
