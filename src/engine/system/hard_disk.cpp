#include "engine/system/hard_disk.h"

#include "base/log.h"

namespace Utils {

bool HardDiskManager::CheckFreeSpace(const std::wstring& directory) {
  ULARGE_INTEGER available, total, totalFree;
  if (!::GetDiskFreeSpaceExW(directory.c_str(), &available, &total, &totalFree)) {
    UTILS_LOG(L"HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n",
              static_cast<long>(::GetLastError()));
    return false;
  }
  freeBytesAvailable_ = available.QuadPart;
  totalBytes_ = total.QuadPart;
  totalFreeBytes_ = totalFree.QuadPart;
  return true;
}

}  // namespace Utils
