// A skin that cannot be loaded: the process shows the "SkinUI" box with the load failure text
// and ends with exit code 1 once the box is closed. The window program runs as a child process;
// the test finds its box, checks it, clicks its button and reads the exit code.
#include <gtest/gtest.h>

#include <string>

#include "base/unique_resource.h"
#include "test_support.h"
#include "window_fixture.h"

namespace {

const wchar_t kFailureText[] = L"\u52A0\u8F7D\u8D44\u6E90\u6587\u4EF6\u5931\u8D25";

struct ChildProcess {
  Utils::UniqueHandle process;
  DWORD id = 0;
};

ChildProcess StartChild(const std::wstring& mode) {
  ChildProcess child;
  std::wstring command = L"\"" + TestSupport::SiblingProgram(L"skin_fail_child.exe") + L"\" " +
                         mode + L" \"" + WindowFixture::SkinFolder() + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return child;
  }
  Utils::UniqueHandle thread(info.hThread);
  child.process.reset(info.hProcess);
  child.id = info.dwProcessId;
  return child;
}

struct BoxSearch {
  DWORD processId;
  HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t title[32] = {};
  ::GetWindowTextW(window, title, 32);
  if (owner == search->processId && wcscmp(title, L"SkinUI") == 0 && ::IsWindowVisible(window)) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

struct ChildSearch {
  const wchar_t* text;
  HWND found;
};

BOOL CALLBACK FindChildByText(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  wchar_t text[64] = {};
  ::GetWindowTextW(window, text, 64);
  if (wcscmp(text, search->text) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindButton(HWND window, LPARAM param) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  if (_wcsicmp(className, L"Button") == 0) {
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
  }
  return TRUE;
}

// The child's "SkinUI" box, waiting while the child lives (at most timeoutMs).
HWND WaitForBox(const ChildProcess& child, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    BoxSearch search = {child.id, nullptr};
    ::EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.box != nullptr) return search.box;
    if (::GetTickCount() - start >= timeoutMs) return nullptr;
    // Waiting on the process: it ending early ends the wait too.
    if (::WaitForSingleObject(child.process.get(), 50) == WAIT_OBJECT_0) return nullptr;
  }
}

DWORD WaitForExit(const ChildProcess& child, DWORD timeoutMs) {
  if (::WaitForSingleObject(child.process.get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(child.process.get(), 99);
    return 0xFFFFFFFF;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(child.process.get(), &code);
  return code;
}

class SkinFailureTest : public testing::TestWithParam<const wchar_t*> {};

TEST_P(SkinFailureTest, ShowsTheSkinUIBoxAndEndsWithExitCodeOne) {
  ChildProcess child = StartChild(GetParam());
  ASSERT_TRUE(child.process) << "could not start skin_fail_child.exe";
  const HWND box = WaitForBox(child, 20000);
  ASSERT_NE(box, nullptr) << "no SkinUI box; exit code " << WaitForExit(child, 1000);

  ChildSearch text = {kFailureText, nullptr};
  ::EnumChildWindows(box, &FindChildByText, reinterpret_cast<LPARAM>(&text));
  EXPECT_NE(text.found, nullptr) << "the box does not say that the resources failed to load";
  // No skinned window of the child is on the screen while the box is.
  const HWND frame = ::FindWindowW(L"TessmarkChildFrame", nullptr);
  EXPECT_TRUE(frame == nullptr || !::IsWindowVisible(frame));

  HWND button = nullptr;
  ::EnumChildWindows(box, &FindButton, reinterpret_cast<LPARAM>(&button));
  ASSERT_NE(button, nullptr);
  ::PostMessageW(button, BM_CLICK, 0, 0);
  EXPECT_EQ(WaitForExit(child, 20000), 1u);
}

INSTANTIATE_TEST_SUITE_P(Skins, SkinFailureTest,
                         testing::Values(L"no-resource", L"no-layout", L"folder-no-layout"));

TEST(SkinLoadTest, LoadableSkinRunsWithoutABoxAndEndsWithItsModalResult) {
  ChildProcess child = StartChild(L"archive-ok");
  ASSERT_TRUE(child.process);
  EXPECT_EQ(WaitForExit(child, 20000), 3u);
}

}  // namespace
