#include "engine/download_installer.h"

#include <shlwapi.h>

#include <utility>

#include "engine/downloader_factory.h"
#include "engine/file_utils.h"
#include "engine/installer_settings.h"
#include "base/log.h"
#include "engine/process_lookup.h"

namespace {
const wchar_t kProductInternalName[] = L"Tessmark";
const wchar_t kProductProcessName[] = L"tessmark.exe";
}  // namespace

// The three handlers belong to the run that Start begins: their status words are logged under
// that name, whichever worker thread reports.
#define HANDLER_LOG(word) ::Utils::LogLine("CDownloadInstaller::Start", __LINE__, word)

CDownloadInstaller::CDownloadInstaller(StatusCallback uiCallback, std::wstring downloadUrl,
                                       std::wstring oldUninstallerPath,
                                       std::wstring installDirectory, bool dsc, bool ssc,
                                       bool admin)
    : downloadUrl_(std::move(downloadUrl)),
      oldUninstallerPath_(std::move(oldUninstallerPath)),
      installDirectory_(std::move(installDirectory)),
      dsc_(dsc),
      ssc_(ssc),
      admin_(admin),
      uiCallback_(std::move(uiCallback)) {}

CDownloadInstaller::~CDownloadInstaller() {
  // Each runner joins its own worker; the downloader first, since its success starts the
  // installer runner.
  downloader_.reset();
  installer_.reset();
  uninstaller_.reset();
}

void CDownloadInstaller::SetOptions(const std::wstring& downloadUrl,
                                    const std::wstring& /*installedPath*/,
                                    const std::wstring& oldUninstallerPath,
                                    const std::wstring& installDirectory, bool dsc, bool ssc,
                                    bool admin, bool authorization,
                                    const std::wstring& languageCode) {
  downloadUrl_ = downloadUrl;
  oldUninstallerPath_ = oldUninstallerPath;
  installDirectory_ = installDirectory;
  dsc_ = dsc;
  ssc_ = ssc;
  admin_ = admin;
  authorization_ = authorization;
  languageCode_ = languageCode;
}

std::wstring CDownloadInstaller::GetPackagePath() const {
  return installDirectory_ + L"\\__Package_" + kProductInternalName + L".exe";
}

std::wstring CDownloadInstaller::GetUninstallerDirectory() const {
  wchar_t directory[MAX_PATH] = {};
  lstrcpynW(directory, oldUninstallerPath_.c_str(), MAX_PATH);
  PathRemoveFileSpecW(directory);
  return directory;
}

std::wstring CDownloadInstaller::GetUninstallerCopyPath() {
  const std::wstring folder = Utils::GetTempFolder();
  if (folder.empty()) return std::wstring();
  return folder + L"\\" + kProductInternalName + L"_un_asa.exe";
}

void CDownloadInstaller::Start() {
  packagePath_ = GetPackagePath();
  const int downloadType = InstallerSettings::Instance().DownloadType;
  UTILS_LOG(L"DL_TYPE=%d\r\n", downloadType);

  // A retry after the user changed the URL gets a new downloader (the old one is joined here;
  // after a failure its worker has ended).
  if (!downloader_ || downloaderUrl_ != downloadUrl_) {
    downloader_.reset();
    downloader_ = MakeDownloader(
        downloadType,
        [this](int code, double progress, const wchar_t* text) {
          OnDownloadStatus(code, progress, text);
        },
        downloadUrl_, packagePath_);
    downloaderUrl_ = downloadUrl_;
  }
  // The installer runner keeps the package path it was made with: a new folder needs a new one.
  if (!installer_ || installerPackagePath_ != packagePath_) {
    installer_.reset();
    installer_ = std::make_unique<CInstaller>(
        [this](int code, double progress, const wchar_t* text) {
          OnInstallStatus(code, progress, text);
        },
        L"\"" + packagePath_ + L"\"", installDirectory_, ssc_, dsc_, admin_);
    installerPackagePath_ = packagePath_;
  }
  installer_->SetInstallDirectory(installDirectory_);
  installer_->SetDsc(dsc_);
  installer_->SetSsc(ssc_);
  installer_->SetAdmin(admin_);
  installer_->SetAuthorization(authorization_);
  installer_->SetLanguage(languageCode_);

  if (!oldUninstallerPath_.empty() && PathFileExistsW(oldUninstallerPath_.c_str())) {
    const std::wstring copyPath = GetUninstallerCopyPath();
    // A failed copy leaves the runner without a program: it reports 5004 itself.
    CopyFileW(oldUninstallerPath_.c_str(), copyPath.c_str(), FALSE);
    uninstaller_.reset();
    uninstaller_ = std::make_unique<CUninstaller>(
        [this](int code, double progress, const wchar_t* text) {
          OnUninstallStatus(code, progress, text);
        },
        copyPath, GetUninstallerDirectory());
    if (InstallerSettings::Instance().Reinstall) {
      // The running product holds files the uninstaller must remove.
      while (FindProcessIdByName(kProductProcessName) != 0) Sleep(100);
    }
    uninstaller_->Start();
    return;  // the download starts on 5003
  }
  downloader_->Start(packagePath_);
}

void CDownloadInstaller::Forward(int code, double progress, const wchar_t* text) {
  if (uiCallback_) uiCallback_(code, progress, text ? text : L"");
}

void CDownloadInstaller::OnDownloadStatus(int code, double progress, const wchar_t* text) {
  Forward(code, progress, text);
  switch (code) {
    case DL_CODE_START:
      HANDLER_LOG(L"DL_CODE_START\r\n");
      Utils::CreateDirectoryRecursive(installDirectory_);
      break;
    case DL_CODE_PROGRESS:
      HANDLER_LOG(L"DL_CODE_PROGRESS\r\n");
      break;
    case DL_CODE_SUCCESS:
      HANDLER_LOG(L"DOWNLOAD_SUCCESS\r\n");
      if (installer_) installer_->Start();
      HANDLER_LOG(L"DL_CODE_SUCCESS\r\n");
      break;
    case DL_CODE_FAIL:
      HANDLER_LOG(L"DL_CODE_FAIL\r\n");
      DeletePackage();
      break;
    case DL_CODE_RETRY:
      HANDLER_LOG(L"DL_CODE_RETRY\r\n");
      // The downloader's Start accepts a call from inside its own report.
      if (downloader_) downloader_->Start(packagePath_);
      break;
    default:
      break;
  }
}

void CDownloadInstaller::OnUninstallStatus(int code, double progress, const wchar_t* text) {
  Forward(code, progress, text);
  switch (code) {
    case UNIST_CODE_START:
      HANDLER_LOG(L"UNIST_CODE_START\r\n");
      break;
    case UNIST_CODE_PROGRESS:
      HANDLER_LOG(L"UNIST_CODE_PROGRESS\r\n");
      break;
    case UNIST_CODE_SUCCESS:
      HANDLER_LOG(L"UNIST_CODE_SUCCESS\r\n");
      if (installer_ && downloader_) downloader_->Start(packagePath_);
      break;
    case UNIST_CODE_FAIL:
      HANDLER_LOG(L"UNIST_CODE_FAIL\r\n");
      break;
    case UNIST_CODE_ERROR:
      HANDLER_LOG(L"UNIST_CODE_ERROR\r\n");
      break;
    default:
      break;
  }
}

void CDownloadInstaller::OnInstallStatus(int code, double progress, const wchar_t* text) {
  Forward(code, progress, text);
  switch (code) {
    case IST_CODE_START:
      HANDLER_LOG(L"IST_CODE_START\r\n");
      break;
    case IST_CODE_PROGRESS:
      HANDLER_LOG(L"IST_CODE_PROGRESS\r\n");
      break;
    case IST_CODE_SUCCESS:
      HANDLER_LOG(L"INSTALL_SUCCESS\r\n");
      DeletePackage();
      break;
    case IST_CODE_FAIL:
      HANDLER_LOG(L"IST_CODE_FAIL\r\n");
      DeletePackage();
      break;
    default:
      break;
  }
}

namespace {

// The installer has ended when its result arrives, but Windows may keep the program's image
// locked for a moment after the process is gone: try again briefly before giving up.
void DeleteFileSoon(const std::wstring& path) {
  for (int attempt = 0; attempt < 30; ++attempt) {
    if (DeleteFileW(path.c_str())) return;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    Sleep(100);
  }
  UTILS_LOG(L"package not deleted: %lu\r\n", GetLastError());
}

}  // namespace

void CDownloadInstaller::DeletePackage() {
  DeleteFileSoon(packagePath_);
  if (!rememberedPackagePath_.empty() && rememberedPackagePath_ != packagePath_)
    DeleteFileSoon(rememberedPackagePath_);
  rememberedPackagePath_ = packagePath_;
}
