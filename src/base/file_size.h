#pragma once
// The size of a file, the one way every layer asks for it.
#include <cstdint>
#include <string>

namespace Utils {

// Size in bytes of the file at `path`; -1 when it does not exist, is a folder or cannot be read.
int64_t FileSize(const std::wstring& path);

}  // namespace Utils
