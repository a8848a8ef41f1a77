#include "engine/system/system_info.h"

#include <lm.h>
#include <netlistmgr.h>
#include <objbase.h>
#include <wtsapi32.h>

#include "base/log.h"
#include "base/unique_resource.h"

namespace Utils {

std::wstring OsVersionName(unsigned major, unsigned minor, unsigned build, bool serverR2) {
  build &= 0xFFFF;
  if (major <= 4) return L"XP-";
  if (major == 5) {
    if (minor == 0) return L"2K";
    if (minor == 1) return L"XP";
    if (minor == 2) return serverR2 ? L"Server 2003 R2" : L"Server 2003";
    return L"XP+";
  }
  if (major == 6) {
    static const wchar_t* const names[] = {L"Vista", L"7", L"8", L"8.1"};
    if (minor < 4) return names[minor];
    return L"8.1+";
  }
  if (major == 10) return minor == 0 ? L"10" : L"10+";
  return std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(build);
}

void GetOsName(std::wstring* family, std::wstring* versionName) {
  if (family != nullptr) *family = L"Windows";
  DWORD major = 0, minor = 0, build = 0;
  // RtlGetNtVersionNumbers tells the real version, which GetVersionEx hides from programs
  // without a compatibility manifest.
  Utils::UniqueLibrary ntdll(::LoadLibraryW(L"ntdll.dll"));
  if (ntdll) {
    using GetNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto getNumbers = reinterpret_cast<GetNumbersFn>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll.get(), "RtlGetNtVersionNumbers")));
    if (getNumbers != nullptr) getNumbers(&major, &minor, &build);
  }
  const bool serverR2 = major == 5 && minor == 2 && ::GetSystemMetrics(SM_SERVERR2) != 0;
  if (versionName != nullptr) *versionName = OsVersionName(major, minor, build, serverR2);
}

bool Is64BitOs() {
#if defined(_WIN64)
  return true;
#else
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return false;
  auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")));
  if (isWow64 == nullptr) return false;
  BOOL wow64 = FALSE;
  if (isWow64(::GetCurrentProcess(), &wow64)) return wow64 != FALSE;
  SYSTEM_INFO info = {};
  ::GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
#endif
}

bool IsRunAsAdmin() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
    return false;
  }
  BOOL member = FALSE;
  const BOOL checked = ::CheckTokenMembership(nullptr, administrators, &member);
  ::FreeSid(administrators);
  return checked && member;
}

bool IsAdminAccount(const std::wstring& userName) {
  LPBYTE buffer = nullptr;
  if (::NetUserGetInfo(nullptr, userName.c_str(), 1, &buffer) != NERR_Success || buffer == nullptr) {
    if (buffer != nullptr) ::NetApiBufferFree(buffer);
    return false;
  }
  const bool admin = reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN;
  ::NetApiBufferFree(buffer);
  return admin;
}

bool GetConsoleUserName(std::wstring* userName) {
  const DWORD session = ::WTSGetActiveConsoleSessionId();
  LPWSTR name = nullptr;
  DWORD bytes = 0;
  if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, &name,
                                     &bytes)) {
    return false;
  }
  if (name == nullptr) return false;
  if (userName != nullptr) *userName = name;
  ::WTSFreeMemory(name);
  return true;
}

unsigned NetworkCheckResult(unsigned status, unsigned connectivityFlags) {
  return status * 65536u + connectivityFlags;
}

unsigned NetworkStatus(unsigned connectivityFlags, bool connectedToInternet) {
  if (connectivityFlags == 0) return 1;
  return connectedToInternet ? 0 : 2;
}

namespace {

struct NetworkListManagerTraits {
  using pointer = INetworkListManager*;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer p) noexcept { p->Release(); }
};

}  // namespace

unsigned CheckNetwork() {
  unsigned flags = 0;
  bool internet = false;
  {
    Utils::UniqueResource<NetworkListManagerTraits> manager;
    if (FAILED(::CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL,
                                  IID_INetworkListManager,
                                  reinterpret_cast<void**>(manager.put()))) ||
        !manager) {
      return 0;
    }
    NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
    if (SUCCEEDED(manager.get()->GetConnectivity(&connectivity))) {
      flags = static_cast<unsigned>(connectivity);
    }
    if (flags == 0) {
      UTILS_LOG(L"GetConnectivity %d", static_cast<int>(flags));
    } else {
      VARIANT_BOOL connected = VARIANT_FALSE;
      if (FAILED(manager.get()->IsConnectedToInternet(&connected))) connected = VARIANT_FALSE;
      internet = connected != VARIANT_FALSE;
      if (!internet) UTILS_LOG(L"get_IsConnectedToInternet:%d", static_cast<int>(connected));
    }
  }  // the manager is released before the unused libraries are freed
  ::CoFreeUnusedLibraries();
  return NetworkCheckResult(NetworkStatus(flags, internet), flags);
}

}  // namespace Utils
