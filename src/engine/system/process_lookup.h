#pragma once
#include <windows.h>

#include <string>

// Id of the first running process whose executable file name is exactly `exeName`
// (case-sensitive), 0 when none runs.
DWORD FindProcessIdByName(const std::wstring& exeName);
