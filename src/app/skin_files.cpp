#include "app/skin_files.h"

#include <string>

namespace App {

const wchar_t kMainWndSkin[] = L"MainWnd.xml";
const wchar_t kMessageBox1Skin[] = L"MessageBox1Wnd.xml";
const wchar_t kMessageBox2Skin[] = L"MessageBox2Wnd.xml";
const wchar_t kNetworkTipSkin[] = L"NetworkTipWnd.xml";
const wchar_t kExitTipSkin[] = L"ExitTipWnd.xml";
const wchar_t kInstalledPathTipSkin[] = L"InstalledPathTipWnd.xml";

SkinUI::TSkinInfoUI SkinInfoFor(const wchar_t* skinFile) {
  SkinUI::TSkinInfoUI info;
  info.resourceType = SkinUI::kSkinFromArchiveResource;
  info.resourceId = SkinUI::kSkinArchiveResourceId;
  info.skinFile = skinFile;
  const std::wstring file(skinFile);
  info.windowClassName = file.substr(0, file.find(L'.')).c_str();
  return info;
}

}  // namespace App
