#include "engine/download_installer.h"

#include <shlwapi.h>

#include <utility>

#include "engine/download/downloader_factory.h"
#include "engine/system/file_utils.h"
#include "engine/system/installer_settings.h"
#include "base/log.h"
#include "engine/system/process_lookup.h"

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
  runPackagePath_ = GetPackagePath();
  const int downloadType = InstallerSettings::Instance().DownloadType;
  UTILS_LOG(L"DL_TYPE=%d\r\n", downloadType);

  // A retry after the user changed the URL gets a new downloader (the old one is joined here;
  // after a failure its worker has ended).
  if (!downloader_ || urlOfDownloader_ != downloadUrl_) {
    downloader_.reset();
    downloader_ = MakeDownloader(downloadType, Handler(), downloadUrl_, runPackagePath_);
    urlOfDownloader_ = downloadUrl_;
  }
  // The installer runner keeps the package path it was made with: a new folder needs a new one.
  if (!installer_ || packageOfInstaller_ != runPackagePath_) {
    installer_.reset();
    installer_ = std::make_unique<CInstaller>(Handler(), L"\"" + runPackagePath_ + L"\"", installDirectory_, ssc_,
                                              dsc_, admin_);
    packageOfInstaller_ = runPackagePath_;
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
    uninstaller_ = std::make_unique<CUninstaller>(Handler(), copyPath, GetUninstallerDirectory());
    if (InstallerSettings::Instance().Reinstall) {
      // The running product holds files the uninstaller must remove.
      while (FindProcessIdByName(kProductProcessName) != 0) Sleep(100);
    }
    uninstaller_->Start();
    return;  // the download starts on 5003
  }
  downloader_->Start(runPackagePath_);
}

namespace {

// What follows each report once it has been forwarded: the word logged for it (some codes log
// none) and the action. A code that is not listed is only forwarded.
struct StatusStep {
  int code;
  const wchar_t* words[2];  // logged before and after the action
  CDownloadInstaller::Action action;
};

using Action = CDownloadInstaller::Action;
const StatusStep kStatusSteps[] = {
    {DL_CODE_START, {L"DL_CODE_START\r\n", nullptr}, Action::kCreateInstallDirectory},
    {DL_CODE_PROGRESS, {L"DL_CODE_PROGRESS\r\n", nullptr}, Action::kNone},
    {DL_CODE_SUCCESS, {L"DOWNLOAD_SUCCESS\r\n", L"DL_CODE_SUCCESS\r\n"}, Action::kStartInstaller},
    {DL_CODE_FAIL, {L"DL_CODE_FAIL\r\n", nullptr}, Action::kDeletePackage},
    {DL_CODE_RETRY, {L"DL_CODE_RETRY\r\n", nullptr}, Action::kRestartDownload},
    {IST_CODE_START, {L"IST_CODE_START\r\n", nullptr}, Action::kNone},
    {IST_CODE_PROGRESS, {L"IST_CODE_PROGRESS\r\n", nullptr}, Action::kNone},
    {IST_CODE_SUCCESS, {L"INSTALL_SUCCESS\r\n", nullptr}, Action::kDeletePackage},
    {IST_CODE_FAIL, {L"IST_CODE_FAIL\r\n", nullptr}, Action::kDeletePackage},
    {UNIST_CODE_START, {L"UNIST_CODE_START\r\n", nullptr}, Action::kNone},
    {UNIST_CODE_PROGRESS, {L"UNIST_CODE_PROGRESS\r\n", nullptr}, Action::kNone},
    {UNIST_CODE_SUCCESS, {L"UNIST_CODE_SUCCESS\r\n", nullptr}, Action::kStartDownload},
    {UNIST_CODE_FAIL, {L"UNIST_CODE_FAIL\r\n", nullptr}, Action::kNone},
    {UNIST_CODE_ERROR, {L"UNIST_CODE_ERROR\r\n", nullptr}, Action::kNone},
};

}  // namespace

StatusCallback CDownloadInstaller::Handler() {
  return [this](int code, double progress, const wchar_t* text) { OnStatus(code, progress, text); };
}

void CDownloadInstaller::OnStatus(int code, double progress, const wchar_t* text) {
  if (uiCallback_) uiCallback_(code, progress, text ? text : L"");
  for (const StatusStep& step : kStatusSteps) {
    if (step.code != code) continue;
    if (step.words[0] != nullptr) HANDLER_LOG(step.words[0]);
    Act(step.action);
    if (step.words[1] != nullptr) HANDLER_LOG(step.words[1]);
    return;
  }
}

void CDownloadInstaller::Act(Action action) {
  switch (action) {
    case Action::kNone:
      return;
    case Action::kCreateInstallDirectory:
      Utils::CreateDirectoryRecursive(installDirectory_);
      return;
    case Action::kStartInstaller:
      if (installer_) installer_->Start();
      return;
    case Action::kDeletePackage:
      DeletePackage();
      return;
    case Action::kRestartDownload:
      // The downloader's Start accepts a call from inside its own report.
      if (downloader_) downloader_->Start(runPackagePath_);
      return;
    case Action::kStartDownload:
      if (installer_ && downloader_) downloader_->Start(runPackagePath_);
      return;
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
  DeleteFileSoon(runPackagePath_);
  if (!lastDeletedPackagePath_.empty() && lastDeletedPackagePath_ != runPackagePath_)
    DeleteFileSoon(lastDeletedPackagePath_);
  lastDeletedPackagePath_ = runPackagePath_;
}
