// The default installation folder and the comparisons of folder names.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/install_folders.h"
#include "test_support.h"

namespace {

TEST(DefaultFolder, AnswersChooseTheFolder) {
  const std::wstring appData = L"C:\\users\\ada\\AppData\\Roaming";
  const std::wstring programs = L"C:\\Program Files (x86)";
  const std::wstring earlier = L"D:\\Apps\\Tessmark";
  const struct {
    const char* what;
    std::wstring earlierFolder;
    bool uninstallerExists;
    bool adminAccount;
    bool runAsAdmin;
    std::wstring appData;
    std::wstring expected;
  } cases[] = {
      {"elevated administrator", L"", false, true, true, appData,
       appData + L"\\zorvi\\Tessmark"},
      {"administrator, not elevated", L"", false, true, false, appData,
       programs + L"\\Tessmark"},
      {"elevated, not an administrator account", L"", false, false, true, appData,
       programs + L"\\Tessmark"},
      {"neither", L"", false, false, false, appData, programs + L"\\Tessmark"},
      {"APPDATA unreadable", L"", false, true, true, L"", programs + L"\\Tessmark"},
      {"earlier installation with its uninstaller entry", earlier, true, true, true, appData,
       earlier},
      {"earlier installation with its uninstaller entry, not elevated", earlier, true, false,
       false, L"", earlier},
      {"earlier installation without its uninstaller entry", earlier, false, true, true, appData,
       appData + L"\\zorvi\\Tessmark"},
      {"earlier installation without its uninstaller entry, not elevated", earlier, false, true,
       false, appData, programs + L"\\Tessmark"},
  };
  for (const auto& c : cases) {
    App::DefaultFolderAnswers answers;
    answers.earlierFolder = c.earlierFolder;
    answers.earlierUninstallerExists = c.uninstallerExists;
    answers.adminAccount = c.adminAccount;
    answers.runAsAdmin = c.runAsAdmin;
    answers.appData = c.appData;
    answers.programFiles = programs;
    EXPECT_EQ(App::ChooseDefaultInstallFolder(answers), c.expected) << c.what;
  }
}

TEST(DefaultFolder, SystemAnswersNameRealFolders) {
  App::DefaultFolderAnswers answers;
  App::QuerySystemFolderAnswers(&answers);
  EXPECT_FALSE(answers.programFiles.empty());
  wchar_t appData[MAX_PATH] = L"";
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
  EXPECT_EQ(answers.appData, length > 0 && length < MAX_PATH ? std::wstring(appData) : L"");
  // A 32-bit program on a 64-bit system installs below "Program Files (x86)"; the system's
  // answer for the 32-bit programs folder is taken as it is.
  wchar_t x86[MAX_PATH] = L"";
  if (SHGetSpecialFolderPathW(nullptr, x86, CSIDL_PROGRAM_FILESX86, FALSE)) {
    EXPECT_EQ(answers.programFiles, x86);
  }
}

TEST(FolderNames, SpellingsOfOneFolderAreTheSameFolder) {
  const struct {
    std::wstring a;
    std::wstring b;
    bool same;
  } cases[] = {
      {L"C:\\a\\Tessmark", L"C:\\a\\Tessmark", true},
      {L"C:\\a\\Tessmark", L"C:\\a\\Tessmark\\", true},
      {L"C:\\a\\Tessmark\\", L"C:\\a\\Tessmark", true},
      {L"C:\\a\\Tessmark\\\\", L"C:\\a\\Tessmark", true},
      {L"c:\\A\\tessmark", L"C:\\a\\Tessmark", true},
      {L"C:/a/Tessmark/", L"C:\\a\\Tessmark", true},
      {L"C:\\", L"C:\\", true},
      {L"C:\\a\\Tessmark", L"C:\\a\\Tessmark2", false},
      {L"C:\\a\\Tessmark", L"C:\\a", false},
      {L"C:\\a", L"C:\\a\\Tessmark", false},
      {L"C:\\a\\Tessmark", L"D:\\a\\Tessmark", false},
      {L"", L"", false},
      {L"C:\\a", L"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(App::IsSameFolder(c.a, c.b), c.same)
        << TestSupport::ToUtf8(c.a) << " | " << TestSupport::ToUtf8(c.b);
  }
  EXPECT_FALSE(App::IsSameFolder(std::wstring(300, L'a'), std::wstring(300, L'a')));
}

TEST(FolderNames, JoinedPathsStayWithinThePathLimit) {
  EXPECT_EQ(App::JoinPath(L"C:\\a", L"Tessmark"), L"C:\\a\\Tessmark");
  EXPECT_EQ(App::JoinPath(L"C:\\a\\", L"Tessmark"), L"C:\\a\\Tessmark");
  EXPECT_EQ(App::JoinPath(L"C:\\" + std::wstring(255, L'x'), L"Tessmark"), L"");
  EXPECT_EQ(App::JoinPath(L"", L"Tessmark"), L"Tessmark");
}

TEST(FolderNames, AnOverlongEnvironmentValueCountsAsUnreadable) {
  const std::wstring name = L"TESSMARK_TEST_LONG_PATH";
  ASSERT_TRUE(SetEnvironmentVariableW(name.c_str(), std::wstring(400, L'p').c_str()));
  EXPECT_EQ(App::ReadEnvironmentPath(name.c_str()), L"");
  ASSERT_TRUE(SetEnvironmentVariableW(name.c_str(), L"C:\\short"));
  EXPECT_EQ(App::ReadEnvironmentPath(name.c_str()), L"C:\\short");
  SetEnvironmentVariableW(name.c_str(), nullptr);
  EXPECT_EQ(App::ReadEnvironmentPath(name.c_str()), L"");
}

}  // namespace
