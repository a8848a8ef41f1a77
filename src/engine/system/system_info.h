#pragma once
// The installer's questions to Windows: version name, 64-bit system, administrator rights, the
// console user and network connectivity. Failures are results, never exceptions.
#include <windows.h>

#include <string>

namespace Utils {

// Family "Windows" and the version name of the running system ("XP", "7", "10", ...).
void GetOsName(std::wstring* family, std::wstring* versionName);
// The version name for the given numbers (build: its low 16 bits are used) and the
// SM_SERVERR2 metric.
std::wstring OsVersionName(unsigned major, unsigned minor, unsigned build, bool serverR2);

// True when the system is 64-bit (always in a 64-bit build, which only runs on one).
bool Is64BitOs();
// True when the calling thread's token is a member of BUILTIN\Administrators.
bool IsRunAsAdmin();
// True when the local account has administrator privilege.
bool IsAdminAccount(const std::wstring& userName);
// The user name of the active console session; false when it cannot be had.
bool GetConsoleUserName(std::wstring* userName);

// Connectivity: (status << 16) + the connectivity flags. Status 0 is a usable network, 1 no
// connectivity at all (flags 0), 2 connected but not to the internet; the whole result is 0
// when the network list manager cannot be created. The calling thread must have initialised COM.
unsigned CheckNetwork();
// How CheckNetwork composes its result.
unsigned NetworkCheckResult(unsigned status, unsigned connectivityFlags);
// The status for the manager's answers (the internet answer matters only with flags set).
unsigned NetworkStatus(unsigned connectivityFlags, bool connectedToInternet);

}  // namespace Utils
