// Loading skin files from the resource folder and from zip and 7z skin archives (made by the real
// zip and 7zz tools at build time), with the size limits and the exact messages of each failure.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "ui_core/archives/skin_archive.h"
#include "ui_core/manager/ui_globals.h"
#include "ui_core/values/xml_doc.h"
#include "xml_test_util.h"

using SkinUI::CXmlDocUI;
using SkinUI::ProcessTables;
using XmlTest::Outcome;

namespace {

const wchar_t kMainTree[] =
    L"Window{size=400,300;caption=0,0,0,30}[VerticalLayout{bkcolor=#FFFFFFFF}["
    L"Label{name=title;text=Gr\x00F6\x00DF" L"e \x5B89\x88C5},Button{name=okBtn;text=OK & go}]]";

std::wstring FixtureDir() { return TestSupport::TestDataDir() + L"\\values_xml"; }

// Each test starts from, and leaves behind, the skin source of a fresh process.
class XmlFile : public ::testing::Test {
protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() {
    SkinUI::TProcessTablesUI& t = ProcessTables();
    t.resourceFolder.Empty();
    t.resourceArchiveName.Empty();
    t.cachedArchive.reset();
    t.archiveCached = false;
    t.archiveIs7z = false;
  }

  static std::wstring Load(const wchar_t* name) {
    CXmlDocUI doc;
    const bool loaded = doc.LoadFromFile(name, SkinUI::kXmlEncodingUtf8);
    if (!loaded) {
      EXPECT_STREQ(L"", doc.GetErrorContext()) << (name != nullptr ? name : L"(null)");
    }
    return Outcome(doc, loaded);
  }
};

}  // namespace

TEST_F(XmlFile, FolderFilesLoadUpToTheSizeLimit) {
  TestSupport::ScratchDir dir(L"xmlfolder");
  const std::string exact = "<Window>" + std::string(4194287, ' ') + "</Window>";
  ASSERT_EQ(4194304u, exact.size());
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"Exact.xml"), exact));
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"Big.xml"), exact + " "));
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"Empty.xml"), ""));
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"Broken.xml"), "<Window><Label"));
  std::string main;
  ASSERT_TRUE(TestSupport::ReadBytes(FixtureDir() + L"\\stage\\MainWnd.xml", &main));
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"MainWnd.xml"), main));
  ProcessTables().resourceFolder = (dir.Path() + L"\\").c_str();

  const struct {
    const wchar_t* name;
    std::wstring outcome;
  } cases[] = {
      {L"MainWnd.xml", kMainTree},
      {L"Exact.xml", L"Window"},
      {L"Big.xml", L"error: File too large"},
      {L"Empty.xml", L"error: File is empty"},
      {L"Missing.xml", L"error: Error opening file"},
      {nullptr, L"error: Error opening file"},
      {L"Broken.xml", L"error: Error parsing element name"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.outcome, Load(c.name)) << (c.name != nullptr ? c.name : L"(null)");
  }
}

TEST_F(XmlFile, ArchiveItemsLoadFromZipAnd7z) {
  const struct {
    const wchar_t* name;
    std::wstring outcome;
  } items[] = {
      {L"MainWnd.xml", kMainTree},
      {L"mainwnd.XML", kMainTree},  // item names ignore case
      {L"res/Sub.xml", L"Window[Control{name=sub}]"},
      {L"res\\Sub.xml", L"Window[Control{name=sub}]"},
      {L"Exact.xml", L"Window"},
      {L"Big.xml", L"error: File too large"},
      {L"Empty.xml", L"error: File is empty"},
      {L"Missing.xml", L"error: Could not find ziped file"},
  };
  const struct {
    const wchar_t* archive;
    bool is7z;
  } archives[] = {{L"skin.zip", false}, {L"skin.7z", true}};

  SkinUI::TProcessTablesUI& t = ProcessTables();
  t.resourceFolder = (FixtureDir() + L"\\").c_str();
  for (const auto& a : archives) {
    t.resourceArchiveName = a.archive;
    t.archiveIs7z = a.is7z;
    // Opened for each read.
    t.archiveCached = false;
    for (const auto& c : items) EXPECT_EQ(c.outcome, Load(c.name)) << a.archive << " " << c.name;
    // Kept open for the whole run.
    const std::wstring path = FixtureDir() + L"\\" + a.archive;
    t.cachedArchive.reset(a.is7z ? SkinUI::Skin7zOpenFromFile(path.c_str())
                                 : SkinUI::SkinZipOpen(path.c_str(), 0, SkinUI::kSkinZipFileName));
    ASSERT_NE(nullptr, t.cachedArchive.get()) << a.archive;
    t.archiveCached = true;
    for (const auto& c : items) {
      EXPECT_EQ(c.outcome, Load(c.name)) << "cached " << a.archive << " " << c.name;
    }
    t.cachedArchive.reset();
  }
}

TEST_F(XmlFile, ArchiveThatCannotBeOpenedFails) {
  SkinUI::TProcessTablesUI& t = ProcessTables();
  t.resourceFolder = (FixtureDir() + L"\\").c_str();
  for (bool is7z : {false, true}) {
    t.archiveIs7z = is7z;
    t.resourceArchiveName = L"nothing-here.zip";
    EXPECT_EQ(L"error: Error opening zip file", Load(L"MainWnd.xml")) << is7z;
    // A cached archive whose opening failed.
    t.resourceArchiveName = L"membuffer";
    t.archiveCached = true;
    EXPECT_EQ(L"error: Error opening zip file", Load(L"MainWnd.xml")) << is7z;
    t.archiveCached = false;
  }
}

TEST_F(XmlFile, SevenZipSkinThatIsNoArchiveHasNoSuchFile) {
  // The 7z reader opens a file that holds no 7z archive as an archive without items.
  SkinUI::TProcessTablesUI& t = ProcessTables();
  t.resourceFolder = (FixtureDir() + L"\\").c_str();
  t.archiveIs7z = true;
  t.resourceArchiveName = L"skin.zip";
  EXPECT_EQ(L"error: Could not find ziped file", Load(L"MainWnd.xml"));
}

TEST_F(XmlFile, ItemThatCannotBeExtractedFails) {
  SkinUI::TProcessTablesUI& t = ProcessTables();
  t.resourceFolder = (FixtureDir() + L"\\").c_str();
  t.resourceArchiveName = L"corrupt.zip";
  EXPECT_EQ(L"error: Could not unzip file", Load(L"MainWnd.xml"));
}

TEST_F(XmlFile, ArchiveHeldInMemoryServesItsItems) {
  std::string bytes;
  ASSERT_TRUE(TestSupport::ReadBytes(FixtureDir() + L"\\skin.7z", &bytes));
  SkinUI::TProcessTablesUI& t = ProcessTables();
  t.resourceArchiveName = L"membuffer";
  t.archiveIs7z = true;
  t.archiveCached = true;
  t.cachedArchive.reset(SkinUI::Skin7zOpenFromMemory(bytes.data(), bytes.size()));
  ASSERT_NE(nullptr, t.cachedArchive.get());
  EXPECT_EQ(kMainTree, Load(L"MainWnd.xml"));
  EXPECT_EQ(L"error: Could not find ziped file", Load(L"InstalledPathTipWnd.xml"));
}
