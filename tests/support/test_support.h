#pragma once
// Small helpers that the test executables share. Everything here runs inside the Windows test
// program under Wine, so paths are Windows paths.
#include <cstdint>
#include <string>

namespace TestSupport {

// A Unix path as Wine sees it ("/tmp/x" -> "Z:\tmp\x").
std::wstring UnixToWinePath(const std::string& unixPath);

// Folder with the files generated at build time (TESSMARK_TEST_DATA), as a Windows path.
std::wstring TestDataDir();

// Path of a program built next to the test executable ("fake_installer.exe").
std::wstring SiblingProgram(const std::wstring& fileName);

// A fresh folder under the Windows temporary folder, removed with everything in it on
// destruction. The name holds the given tag, the process id and a counter.
class ScratchDir {
public:
  explicit ScratchDir(const std::wstring& tag = L"t");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::wstring& Path() const { return path_; }          // without a trailing backslash
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
private:
  std::wstring path_;
};

bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool ReadBytes(const std::wstring& path, std::string* bytes);
bool FileExists(const std::wstring& path);
bool RemoveTree(const std::wstring& path);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace TestSupport
