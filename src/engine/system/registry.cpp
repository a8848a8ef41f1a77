#include "engine/system/registry.h"

#include <vector>

#include "base/unique_resource.h"

namespace Utils {

const wchar_t kProductRegistryKey[] = L"Software\\ZorViSoft\\Tessmark";

bool RegWriteString(const std::wstring& valueName, const std::wstring& text) {
  Utils::UniqueRegKey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kProductRegistryKey, 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  // The terminating zero is stored too, so that readers which trust the data get a
  // terminated string.
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (bytes > MAXDWORD) return false;
  return ::RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

bool RegReadString(const std::wstring& valueName, DWORD* type, std::wstring* text) {
  Utils::UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kProductRegistryKey, 0, KEY_READ, key.put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  // The value may grow between the size query and the read; ask again then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS) {
      return false;
    }
    // Room for an odd byte count and a terminator that the stored data may lack.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    DWORD got = bytes;
    DWORD valueType = REG_NONE;
    const LONG result = ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &valueType,
                                           reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) return false;
    const size_t chars = got / sizeof(wchar_t);
    size_t length = 0;
    while (length < chars && buffer[length] != L'\0') ++length;
    if (type != nullptr) *type = valueType;
    if (text != nullptr) text->assign(buffer.data(), length);
    return true;
  }
  return false;
}

}  // namespace Utils
