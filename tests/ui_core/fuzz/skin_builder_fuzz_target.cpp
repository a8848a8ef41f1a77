// Fuzz target of the skin builder: the bytes are built as a skin document with a window manager
// of its own (fonts, images, default lists and texts registered), the tree is given the manager
// (which builds the child layouts), laid out twice and freed. Includes and child layouts read the
// files of the seed corpus, so that loops through real files are reached too.
//
// MutateSkinXml is the structure-aware half: it edits the text as elements and attributes
// (element and attribute names from the framework's vocabulary, values that break arithmetic,
// duplicated elements, Includes of the corpus files and of the document itself).
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "test_support.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_globals.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using SkinUI::CControlUI;

void UseCorpusAsSkinFolder() {
  static bool done = false;
  if (done) return;
  done = true;
  const char* source = getenv("TESSMARK_SOURCE_DIR");
  if (source == nullptr) return;
  SkinUI::TProcessTablesUI& t = SkinUI::ProcessTables();
  t.resourceArchiveName.Empty();
  t.cachedArchive.reset();
  t.archiveCached = false;
  t.resourceFolder =
      (TestSupport::UnixToWinePath(source) + L"\\tests\\ui_core\\fuzz\\corpus\\skin\\").c_str();
}

int CountControls(CControlUI* control) {
  int count = 1;
  auto* box = static_cast<SkinUI::IContainerUI*>(control->GetInterface(L"IContainer"));
  for (int i = 0; box != nullptr && i < box->GetCount(); ++i) count += CountControls(box->GetItemAt(i));
  return count;
}

class Random {
public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {  // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }

private:
  uint64_t state_;
};

const char* const kElements[] = {
    "Window", "VerticalLayout", "HorizontalLayout", "VBox", "HBox", "TileLayout", "TabLayout",
    "ChildLayout", "Container", "Control", "ScrollBar", "Include", "TreeNode", "Font", "Image",
    "Default", "MultiLanguage", "Bogus", "label", "GIFANIM"};
const char* const kAttributes[] = {
    "name", "width", "height", "minwidth", "minheight", "maxwidth", "maxheight", "padding",
    "inset", "childpadding", "childalign", "childvalign", "itemsize", "columns", "childvpadding",
    "sepheight", "sepwidth", "sepimm", "selectedid", "xmlfile", "source", "count", "cover",
    "float", "pos", "visible", "id", "size", "default", "value", "vscrollbar", "hscrollbar"};
const char* const kValues[] = {
    "-1", "0", "1", "2147483647", "-2147483648", "99999999999", "0,0", "-5,-5,-5,-5",
    "1,2147483647", "2147483647,1", "true", "", "center", "bottom", "row.xml", "child.xml",
    "MainWnd.xml", "self.xml", "&lt;Window&gt;&lt;Control /&gt;&lt;/Window&gt;", "100000",
    "0.5,0.5,0.5,0.5", "1,2,3,4"};

template <size_t N>
const char* Pick(const char* const (&words)[N], Random* rng) {
  return words[rng->Below(N)];
}

// Positions of every '<' that starts an element (not an end tag, comment or declaration).
std::vector<size_t> ElementStarts(const std::string& text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '<' && text[i + 1] != '/' && text[i + 1] != '!' && text[i + 1] != '?') {
      starts.push_back(i);
    }
  }
  return starts;
}

size_t NameEnd(const std::string& text, size_t from) {
  while (from < text.size() && (isalnum(static_cast<unsigned char>(text[from])) || text[from] == '_')) {
    ++from;
  }
  return from;
}

// Positions of the opening quote of every attribute value.
std::vector<size_t> ValueStarts(const std::string& text) {
  std::vector<size_t> starts;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '"' && text[i - 1] == '=') starts.push_back(i);
  }
  return starts;
}

void MutateOnce(std::string* text, Random* rng) {
  const std::vector<size_t> elements = ElementStarts(*text);
  const std::vector<size_t> values = ValueStarts(*text);
  switch (rng->Below(6)) {
    case 0: {  // rename an element (its end tag keeps the old name half of the time)
      if (elements.empty()) break;
      const size_t at = elements[rng->Below(elements.size())] + 1;
      text->replace(at, NameEnd(*text, at) - at, Pick(kElements, rng));
      break;
    }
    case 1: {  // change an attribute value
      if (values.empty()) break;
      const size_t at = values[rng->Below(values.size())] + 1;
      const size_t end = text->find('"', at);
      if (end == std::string::npos) break;
      text->replace(at, end - at, Pick(kValues, rng));
      break;
    }
    case 2: {  // add an attribute to an element
      if (elements.empty()) break;
      const size_t at = NameEnd(*text, elements[rng->Below(elements.size())] + 1);
      text->insert(at, std::string(" ") + Pick(kAttributes, rng) + "=\"" + Pick(kValues, rng) + "\"");
      break;
    }
    case 3: {  // duplicate an empty element
      const size_t from = elements.empty() ? std::string::npos : elements[rng->Below(elements.size())];
      if (from == std::string::npos) break;
      const size_t end = text->find("/>", from);
      if (end == std::string::npos || text->find('>', from) != end + 1) break;
      const std::string element = text->substr(from, end + 2 - from);
      for (size_t n = 1 + rng->Below(3); n > 0; --n) text->insert(from, element);
      break;
    }
    case 4: {  // insert an Include or a child layout after an element's start tag
      if (elements.empty()) break;
      const size_t close = text->find('>', elements[rng->Below(elements.size())]);
      if (close == std::string::npos || (*text)[close - 1] == '/') break;
      const std::string file = Pick(kValues, rng);
      text->insert(close + 1, rng->Below(2)
                                  ? "<Include source=\"" + file + "\" count=\"" + Pick(kValues, rng) + "\"/>"
                                  : "<ChildLayout xmlfile=\"" + file + "\"/>");
      break;
    }
    case 5: {  // nest the document's first element in a few more layouts
      if (elements.size() < 2) break;
      const size_t at = elements[1];
      const std::string name = Pick(kElements, rng);
      const size_t levels = 1 + rng->Below(8);
      std::string open, close;
      for (size_t i = 0; i < levels; ++i) {
        open += "<" + name + ">";
        close = "</" + name + ">" + close;
      }
      const size_t last = text->rfind("</");
      if (last == std::string::npos || last <= at) break;
      text->insert(last, close);
      text->insert(at, open);
      break;
    }
  }
}

}  // namespace

void MutateSkinXml(std::vector<uint8_t>* bytes, uint64_t seed) {
  Random rng(seed);
  std::string text(bytes->begin(), bytes->end());
  for (size_t steps = 1 + rng.Below(3); steps > 0; --steps) MutateOnce(&text, &rng);
  bytes->assign(text.begin(), text.end());
}

int FuzzSkinBuilderOne(const uint8_t* data, size_t size) {
  UseCorpusAsSkinFolder();
  SkinUI::CWindowManagerUI manager;
  SkinUI::CSkinBuilderUI builder;
  if (!builder.GetMarkup()->LoadFromMem(data, size, SkinUI::kXmlEncodingUtf8)) return 0;
  CControlUI* root = builder.Create(nullptr, &manager, nullptr);
  if (root == nullptr) return 0;
  manager.InitControls(root, nullptr);
  root->SetPos({0, 0, 640, 480}, false);
  root->SetPos({5, 5, 6, 6}, false);
  const int controls = CountControls(root);
  root->Delete();
  return controls;
}
