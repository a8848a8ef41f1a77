#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "engine/system/process_lookup.h"
#include "base/unique_resource.h"

DWORD FindProcessIdByName(const std::wstring& exeName) {
  Utils::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (lstrcmpW(entry.szExeFile, exeName.c_str()) == 0) return entry.th32ProcessID;
  }
  return 0;
}
