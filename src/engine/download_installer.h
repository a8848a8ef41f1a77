#pragma once
// Drives one installation: the older version's uninstaller (when there is one), the download of
// the package, then the package's own installer. Every report of the three workers first goes,
// unchanged, to the user interface's callback; then the orchestrator acts on it (creates the
// folder, deletes the package, starts the next stage).
#include <windows.h>

#include <memory>
#include <string>

#include "engine/download/downloader.h"
#include "engine/children/installer.h"
#include "engine/status.h"
#include "engine/children/uninstaller.h"

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

  // What the orchestrator does after forwarding a report (see the table in the .cpp).
  enum class Action { kNone, kCreateInstallDirectory, kStartInstaller, kDeletePackage, kRestartDownload, kStartDownload };

private:
  // Every report of every worker: forwarded first, then logged and acted on.
  void OnStatus(int code, double progress, const wchar_t* text);
  StatusCallback Handler();
  void Act(Action action);
  void DeletePackage();

  std::unique_ptr<CUninstaller> uninstaller_;
  std::unique_ptr<CDownloader> downloader_;
  std::unique_ptr<CInstaller> installer_;
  std::wstring downloadUrl_;  // the URL the next Start downloads from
  std::wstring oldUninstallerPath_;
  std::wstring installDirectory_;
  std::wstring runPackagePath_;  // where the current run downloads the package to
  std::wstring languageCode_;
  bool dsc_;
  bool ssc_;
  bool admin_;
  bool authorization_ = true;
  StatusCallback uiCallback_;

  // What the downloader and the installer runner were made for: a run after the user changed the
  // folder or the URL gets new ones, so that it downloads into and installs from the new folder.
  std::wstring urlOfDownloader_;
  std::wstring packageOfInstaller_;
  // The package deleted last: a run in another folder also removes the earlier run's package.
  std::wstring lastDeletedPackagePath_;
};
