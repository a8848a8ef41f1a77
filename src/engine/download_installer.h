#pragma once
// Drives one installation: the older version's uninstaller (when there is one), the download of
// the package, then the package's own installer. Every report of the three workers first goes,
// unchanged, to the user interface's callback; then the orchestrator acts on it (creates the
// folder, deletes the package, starts the next stage).
#include <windows.h>

#include <memory>
#include <string>

#include "engine/downloader.h"
#include "engine/installer.h"
#include "engine/status.h"
#include "engine/uninstaller.h"

class CDownloadInstaller {
public:
  CDownloadInstaller(StatusCallback uiCallback, std::wstring downloadUrl,
                     std::wstring oldUninstallerPath, std::wstring installDirectory, bool dsc,
                     bool ssc, bool admin);
  // Joins every worker (downloader, installer, uninstaller) before the strings go.
  ~CDownloadInstaller();
  CDownloadInstaller(const CDownloadInstaller&) = delete;
  CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

  // Replaces the options of the next Start. installedPath (the older version's folder) is kept
  // for the caller's sake only.
  void SetOptions(const std::wstring& downloadUrl, const std::wstring& installedPath,
                  const std::wstring& oldUninstallerPath, const std::wstring& installDirectory,
                  bool dsc, bool ssc, bool admin, bool authorization,
                  const std::wstring& languageCode);

  // Begins a run on the calling (UI) thread: the uninstaller first when an older one exists,
  // else the download. May be called again after a failure.
  void Start();

  // installDirectory + "\__Package_Tessmark.exe"
  std::wstring GetPackagePath() const;
  // The older uninstaller's folder.
  std::wstring GetUninstallerDirectory() const;
  // The temporary folder + "\Tessmark_un_asa.exe"; empty when there is no temporary folder.
  static std::wstring GetUninstallerCopyPath();

private:
  void OnDownloadStatus(int code, double progress, const wchar_t* text);
  void OnUninstallStatus(int code, double progress, const wchar_t* text);
  void OnInstallStatus(int code, double progress, const wchar_t* text);
  void Forward(int code, double progress, const wchar_t* text);
  void DeletePackage();

  std::unique_ptr<CUninstaller> uninstaller_;
  std::unique_ptr<CDownloader> downloader_;
  std::unique_ptr<CInstaller> installer_;
  std::wstring downloadUrl_;
  std::wstring oldUninstallerPath_;
  std::wstring installDirectory_;
  std::wstring packagePath_;
  std::wstring languageCode_;
  bool dsc_;
  bool ssc_;
  bool admin_;
  bool authorization_ = true;
  StatusCallback uiCallback_;

  // What the downloader and the installer runner were made for: a run after the user changed the
  // folder or the URL gets new ones, so that it downloads into and installs from the new folder.
  std::wstring downloaderUrl_;
  std::wstring installerPackagePath_;
  // The package deleted last: a run in another folder also removes the earlier run's package.
  std::wstring rememberedPackagePath_;
};
