// One installation end to end through CDownloadInstaller: which stages run in which order, what
// reaches the user interface's callback, the files left behind, and the child programs' command
// lines.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/download/curl_downloader.h"
#include "engine/download/downloader_factory.h"
#include "engine/download/mt_curl_downloader.h"
#include "engine/download/winhttp_downloader.h"
#include "engine/download_installer.h"
#include "engine/system/file_utils.h"
#include "engine/system/installer_settings.h"
#include "engine/status.h"
#include "fake_children.h"
#include "log_capture.h"
#include "package_server.h"
#include "status_recorder.h"
#include "test_support.h"

using namespace TestSupport;
using FakeChildren::Role;
using FakeChildren::ScriptedFake;

namespace {

// The package the server hands out is the fake installer itself, padded past the 1 MiB that the
// download service's packages always exceed (the padding is ignored by Windows).
std::string FakeInstallerPackage() {
  std::string bytes;
  EXPECT_TRUE(ReadBytes(SiblingProgram(L"fake_installer.exe"), &bytes));
  bytes.resize(std::max<size_t>(bytes.size(), 1200 * 1024) + 333, '\0');
  return bytes;
}

std::wstring Widen(const std::string& text) { return FromUtf8(text); }

// Environment of one run: scripts and command-line records for both fake children.
class OrchestratorTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    packagePath_ = server_.AddPackage("BrisolanSetup.exe", FakeInstallerPackage());
    url_ = Widen(server_.Url(packagePath_));
    installDir_ = scratch_.File(L"安装 目录");
    InstallerSettings::Instance().DownloadType = DOWNLOAD_TYPE_SINGLE_CURL;
    InstallerSettings::Instance().Reinstall = false;
    // The copy lives in the prefix's shared temporary folder, where a real installation run by
    // another test program (the end-to-end suite) leaves its own behind.
    DeleteFileW(CDownloadInstaller::GetUninstallerCopyPath().c_str());
    ASSERT_FALSE(FileExists(CDownloadInstaller::GetUninstallerCopyPath()));
  }
  void TearDown() override { DeleteFileW(CDownloadInstaller::GetUninstallerCopyPath().c_str()); }

  // An older installation whose uninstaller is the fake uninstaller.
  std::wstring MakeOldInstallation() {
    const std::wstring oldDir = scratch_.File(L"old version");
    CreateDirectoryW(oldDir.c_str(), nullptr);
    const std::wstring uninstaller = oldDir + L"\\uninst.exe";
    EXPECT_TRUE(CopyFileW(SiblingProgram(L"fake_uninstaller.exe").c_str(), uninstaller.c_str(), FALSE));
    return uninstaller;
  }

  std::wstring PackageFileIn(const std::wstring& dir) const { return dir + L"\\__Package_Tessmark.exe"; }

  ScratchDir scratch_{L"orch"};
  PackageServer::Server server_;
  std::string packagePath_;
  std::wstring url_;
  std::wstring installDir_;
  StatusRecorder ui_;
  ScriptedFake installer_{Role::Installer, "line Progress=0.5\nline InstPath=C:\\Brisolan\nline State=Success\n"};
  ScriptedFake uninstaller_{Role::Uninstaller, "line Progress=0.5\nline State=Success\n"};
};

TEST_F(OrchestratorTest, CleanRunDownloadsInstallsAndLeavesNoPackage) {
  LogCapture log;
  {
    CDownloadInstaller engine(ui_.Callback(), url_, L"", installDir_, true, false, false);
    engine.SetOptions(url_, L"", L"", installDir_, true, false, false, true, L"zh-CN");
    EXPECT_EQ(engine.GetPackagePath(), PackageFileIn(installDir_));
    engine.Start();
    ASSERT_TRUE(ui_.WaitForFinals(1));
  }
  const std::vector<int> expected = {DL_CODE_START, DL_CODE_SUCCESS, IST_CODE_START,
                                     IST_CODE_INST_PATH, IST_CODE_SUCCESS};
  EXPECT_EQ(ui_.Codes(), expected);
  EXPECT_FALSE(FileExists(PackageFileIn(installDir_)));
  EXPECT_FALSE(FileExists(PackageFileIn(installDir_) + L".part"));
  EXPECT_TRUE(FileExists(installDir_));  // made on 1001, with every missing level

  const std::wstring cmd = installer_.RecordedCommandLine();
  const std::wstring head = L"\"" + PackageFileIn(installDir_) + L"\" /S -console=show -version=1.0.0";
  EXPECT_EQ(cmd.compare(0, head.size(), head), 0) << ToUtf8(cmd);
  EXPECT_NE(cmd.find(L"-inslang=\"zh-CN\""), std::wstring::npos) << ToUtf8(cmd);
  const std::wstring tail = L"/D=" + installDir_;
  ASSERT_GE(cmd.size(), tail.size());
  EXPECT_EQ(cmd.substr(cmd.size() - tail.size()), tail) << ToUtf8(cmd);
  EXPECT_FALSE(FileExists(CDownloadInstaller::GetUninstallerCopyPath()));

  // Each stage's status word, once, under the run's name.
  const std::wstring prefix = L"(CDownloadInstaller::Start)<";
  for (const wchar_t* word : {L"DL_TYPE=1\r\n", L"DL_CODE_START\r\n", L"DOWNLOAD_SUCCESS\r\n",
                              L"DL_CODE_SUCCESS\r\n", L"IST_CODE_START\r\n", L"INSTALL_SUCCESS\r\n"}) {
    size_t found = 0;
    for (const std::wstring& line : log.LinesContaining(word))
      if (line.find(prefix) != std::wstring::npos && line.size() >= wcslen(word) &&
          line.compare(line.size() - wcslen(word), std::wstring::npos, word) == 0)
        ++found;
    EXPECT_EQ(found, 1u) << ToUtf8(word);
  }
  EXPECT_TRUE(log.LinesContaining(L"DL_CODE_FAIL").empty());
}

TEST_F(OrchestratorTest, EveryDownloadTypeRunsTheWholeChainWithItsOwnDownloader) {
  // What each downloader asks the server for tells which one ran: the single libcurl downloader
  // a header request and one GET of the whole package, the multi-part one a header request and
  // ranged GETs, the WinHTTP one a plain GET and nothing else.
  struct Case {
    int type;
    size_t heads;
    bool ranged;
  } const cases[] = {
      {0, 1, false}, {DOWNLOAD_TYPE_SINGLE_CURL, 1, false}, {DOWNLOAD_TYPE_WINHTTP, 0, false},
      {DOWNLOAD_TYPE_MULTIPART, 1, true}, {7, 1, false}, {-1, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    ui_.Reset();
    server_.ClearRequests();
    InstallerSettings::Instance().DownloadType = c.type;
    {
      CDownloadInstaller engine(ui_.Callback(), url_, L"", installDir_, true, true, false);
      engine.Start();
      ASSERT_TRUE(ui_.WaitForFinals(1));
    }
    EXPECT_EQ(ui_.Codes().back(), IST_CODE_SUCCESS);
    EXPECT_EQ(server_.CountRequests("HEAD"), c.heads);
    ASSERT_GE(server_.CountRequests("GET"), 1u);
    for (const auto& request : server_.Requests()) {
      if (request.method == "GET") {
        EXPECT_EQ(!request.range.empty(), c.ranged) << request.range;
      }
    }
  }
}

TEST(DownloaderFactory, TypesTwoAndThreeHaveTheirOwnKindAndEveryOtherTypePicksTheSingleDownloader) {
  for (int type : {-1, 0, 1, 2, 3, 4, 7, 1000}) {
    SCOPED_TRACE(type);
    std::unique_ptr<CDownloader> downloader = MakeDownloader(type, nullptr, L"http://127.0.0.1/x", L"");
    EXPECT_EQ(dynamic_cast<WinHttpDownloader*>(downloader.get()) != nullptr, type == DOWNLOAD_TYPE_WINHTTP);
    EXPECT_EQ(dynamic_cast<CMTCurlDownloader*>(downloader.get()) != nullptr, type == DOWNLOAD_TYPE_MULTIPART);
    EXPECT_EQ(dynamic_cast<CCurlDownloader*>(downloader.get()) != nullptr,
              type != DOWNLOAD_TYPE_WINHTTP && type != DOWNLOAD_TYPE_MULTIPART);
  }
}

TEST_F(OrchestratorTest, OlderVersionIsUninstalledFromATemporaryCopyFirst) {
  const std::wstring oldUninstaller = MakeOldInstallation();
  {
    CDownloadInstaller engine(ui_.Callback(), url_, oldUninstaller, installDir_, true, true, false);
    engine.Start();
    ASSERT_TRUE(ui_.WaitForFinals(1));
  }
  const std::vector<StatusReport> reports = ui_.Reports();
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.front().code, UNIST_CODE_PROGRESS);
  const std::vector<int> expected = {UNIST_CODE_SUCCESS, DL_CODE_START, DL_CODE_SUCCESS,
                                     IST_CODE_START, IST_CODE_INST_PATH, IST_CODE_SUCCESS};
  EXPECT_EQ(ui_.Codes(), expected);
  for (const StatusReport& r : reports) EXPECT_NE(r.code, UNIST_CODE_START);

  // The copy ran, not the original: the original's folder is what it is told to remove.
  const std::wstring copy = CDownloadInstaller::GetUninstallerCopyPath();
  EXPECT_TRUE(FileExists(copy));
  const std::wstring cmd = uninstaller_.RecordedCommandLine();
  EXPECT_EQ(cmd.rfind(L"\"" + copy + L"\" /S ", 0), 0u) << ToUtf8(cmd);
  const std::wstring tail = L"_?=" + scratch_.File(L"old version");
  ASSERT_GE(cmd.size(), tail.size());
  EXPECT_EQ(cmd.substr(cmd.size() - tail.size()), tail) << ToUtf8(cmd);
}

TEST_F(OrchestratorTest, FailedUninstallationStopsEverything) {
  struct Case {
    const char* script;
    int code;
  };
  const Case cases[] = {
      {"line State=Fail\n", UNIST_CODE_ERROR},
      {"line Error=still running\n", UNIST_CODE_ERROR},
      {"exit 3\n", UNIST_CODE_ERROR},
  };
  const std::wstring oldUninstaller = MakeOldInstallation();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    ui_.Reset();
    server_.ClearRequests();
    uninstaller_.SetScript(c.script);
    {
      CDownloadInstaller engine(ui_.Callback(), url_, oldUninstaller, installDir_, true, true, false);
      engine.Start();
      ASSERT_TRUE(ui_.WaitForFinals(1));
    }
    EXPECT_EQ(ui_.Codes().back(), c.code);
    for (const StatusReport& r : ui_.Reports()) EXPECT_GE(r.code, UNIST_CODE_START) << r.code;
    EXPECT_EQ(server_.CountRequests(""), 0u);
    EXPECT_FALSE(FileExists(PackageFileIn(installDir_)));
  }
}

TEST_F(OrchestratorTest, MissingUninstallerFileMeansNoUninstallStage) {
  CDownloadInstaller engine(ui_.Callback(), url_, scratch_.File(L"gone\\uninst.exe"), installDir_,
                            true, true, false);
  engine.Start();
  ASSERT_TRUE(ui_.WaitForFinals(1));
  EXPECT_EQ(ui_.Codes().front(), DL_CODE_START);
  EXPECT_EQ(ui_.Codes().back(), IST_CODE_SUCCESS);
}

TEST_F(OrchestratorTest, FailedInstallationRemovesThePackage) {
  installer_.SetScript("line Encode=UTF8\nline Progress=0.3\nline Error=磁盘已满\n");
  {
    CDownloadInstaller engine(ui_.Callback(), url_, L"", installDir_, true, true, false);
    engine.Start();
    ASSERT_TRUE(ui_.WaitForFinals(1));
  }
  const std::vector<StatusReport> reports = ui_.Reports();
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back().code, IST_CODE_FAIL);
  EXPECT_EQ(reports.back().progress, 1000);
  EXPECT_EQ(reports.back().text, L"磁盘已满");
  EXPECT_FALSE(FileExists(PackageFileIn(installDir_)));
}

TEST_F(OrchestratorTest, PackageIsRemovedEvenWhileTheInstallerLingersAfterItsResult) {
  // The installer says it succeeded and goes on running for a while: Windows refuses to delete
  // a running program, so the package may only go once the installer has ended.
  installer_.SetScript("line State=Success\nsleep 1500\nline Message=bye\n");
  {
    CDownloadInstaller engine(ui_.Callback(), url_, L"", installDir_, true, true, false);
    engine.Start();
    ASSERT_TRUE(ui_.WaitForFinals(1));
  }
  EXPECT_EQ(ui_.Codes().back(), IST_CODE_SUCCESS);
  EXPECT_FALSE(FileExists(PackageFileIn(installDir_)));
}

TEST_F(OrchestratorTest, DigestMismatchOnceIsRepeatedThroughTheOrchestrator) {
  PackageServer::Fault wrong;
  wrong.kind = PackageServer::FaultKind::kWrongBytes;
  wrong.method = "GET";
  server_.QueueFault(wrong, 1);
  CDownloadInstaller engine(ui_.Callback(), url_, L"", installDir_, true, true, false);
  engine.Start();
  ASSERT_TRUE(ui_.WaitForFinals(1));
  const std::vector<int> codes = ui_.Codes();
  EXPECT_NE(std::find(codes.begin(), codes.end(), DL_CODE_RETRY), codes.end());
  EXPECT_EQ(codes.back(), IST_CODE_SUCCESS);
}

TEST_F(OrchestratorTest, RetryAfterFailureUsesTheNewFolderAndCleansTheOldOne) {
  // The first run downloads into the first folder and its installation fails; the package it
  // leaves cannot be deleted then (something holds it open). The retry in another folder removes
  // it along with its own.
  installer_.SetScript("line State=Fail\n");
  const std::wstring firstDir = installDir_;
  const std::wstring secondDir = scratch_.File(L"second");
  Utils::UniqueFileHandle holder;
  StatusRecorder firstRun;
  LogCapture log;
  {
    CDownloadInstaller engine(
        [&](int code, double progress, const wchar_t* text) {
          // Before the orchestrator deletes the package on this report.
          if (code == IST_CODE_FAIL)
            holder.reset(CreateFileW(PackageFileIn(firstDir).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
          firstRun.Callback()(code, progress, text);
          ui_.Callback()(code, progress, text);
        },
        url_, L"", firstDir, true, true, false);
    engine.Start();
    ASSERT_TRUE(ui_.WaitForFinals(1));
    EXPECT_EQ(ui_.Codes().back(), IST_CODE_FAIL);
    ASSERT_TRUE(holder);
    ASSERT_TRUE(log.WaitFor(L"package not deleted"));
    holder.reset();
    EXPECT_TRUE(FileExists(PackageFileIn(firstDir)));

    installer_.SetScript("line State=Success\n");
    ui_.Reset();
    engine.SetOptions(url_, L"", L"", secondDir, true, true, false, true, L"");
    engine.Start();
    ASSERT_TRUE(ui_.WaitForFinals(1));
  }  // the handlers have finished once the engine is gone
  EXPECT_EQ(ui_.Codes().back(), IST_CODE_SUCCESS);
  EXPECT_FALSE(FileExists(PackageFileIn(secondDir)));
  EXPECT_FALSE(FileExists(PackageFileIn(firstDir)));
  const std::wstring cmd = installer_.RecordedCommandLine();
  EXPECT_EQ(cmd.rfind(L"\"" + PackageFileIn(secondDir) + L"\"", 0), 0u) << ToUtf8(cmd);
}

TEST_F(OrchestratorTest, RetryAfterAFailedDownloadGetsANewDownloaderOnlyForANewUrl) {
  PackageServer::Fault notFound;
  notFound.kind = PackageServer::FaultKind::kNotFound;
  server_.SetFault(notFound);
  CDownloadInstaller engine(ui_.Callback(), url_, L"", installDir_, true, true, false);
  engine.Start();
  ASSERT_TRUE(ui_.WaitForFinals(1));
  EXPECT_EQ(ui_.Codes().back(), DL_CODE_FAIL);
  EXPECT_FALSE(FileExists(PackageFileIn(installDir_)));

  server_.ClearFaults();
  ui_.Reset();
  engine.Start();
  ASSERT_TRUE(ui_.WaitForFinals(1));
  EXPECT_EQ(ui_.Codes().back(), IST_CODE_SUCCESS);
}

TEST(OrchestratorPaths, PackageUninstallerFolderAndCopyPath) {
  CDownloadInstaller engine(nullptr, L"", L"C:\\Old Brisolan\\uninst.exe", L"D:\\Apps\\Brisolan",
                            true, true, false);
  EXPECT_EQ(engine.GetPackagePath(), L"D:\\Apps\\Brisolan\\__Package_Tessmark.exe");
  EXPECT_EQ(engine.GetUninstallerDirectory(), L"C:\\Old Brisolan");
  const std::wstring copy = CDownloadInstaller::GetUninstallerCopyPath();
  const std::wstring suffix = L"~ZorViTemp.92482B06FB471E17\\\\Tessmark_un_asa.exe";
  ASSERT_GE(copy.size(), suffix.size());
  EXPECT_EQ(copy.substr(copy.size() - suffix.size()), suffix);
}

}  // namespace
