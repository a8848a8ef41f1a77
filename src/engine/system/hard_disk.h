#pragma once
// Free space of the volume that holds a folder.
#include <windows.h>

#include <string>

namespace Utils {

class HardDiskManager {
public:
  HardDiskManager() = default;
  virtual ~HardDiskManager() = default;

  // Fills the three figures for the volume of `directory`; false (and a log line) on failure,
  // with the figures left as they were.
  bool CheckFreeSpace(const std::wstring& directory);

  ULONGLONG FreeBytesAvailable() const { return freeBytesAvailable_; }
  ULONGLONG TotalBytes() const { return totalBytes_; }
  ULONGLONG TotalFreeBytes() const { return totalFreeBytes_; }

private:
  ULONGLONG freeBytesAvailable_ = 0;  // free to the calling user (quotas applied)
  ULONGLONG totalBytes_ = 0;
  ULONGLONG totalFreeBytes_ = 0;
};

}  // namespace Utils
