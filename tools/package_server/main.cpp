// package_server.exe: serves every file of a folder as a package on 127.0.0.1.
//   package_server.exe FOLDER [--port N] [--fault FAULT [--fault-count N]] [--seconds N]
//                     [--log FILE]
// The first line printed is the base URL; then one line per package with its digest URL. Each
// file is also reachable as "/<file name>", which redirects to its digest URL. Without
// --seconds it serves until it is ended. With --fault-count the fault hits only that many
// matching requests (a failed first attempt, then a good one); without it, every one. --log
// appends one line per request ("METHOD PATH RANGE STATUS") as the requests arrive.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "package_server.h"

namespace {

std::string Narrow(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

bool ParseNumber(const wchar_t* text, unsigned long max, unsigned long* value) {
  wchar_t* end = nullptr;
  unsigned long n = std::wcstoul(text, &end, 10);
  if (!*text || *end || n > max) return false;
  *value = n;
  return true;
}

// The requests as lines of a file that a script can follow while the server runs.
class RequestLog {
public:
  explicit RequestLog(const std::wstring& path) {
    if (!path.empty()) file_ = _wfopen(path.c_str(), L"ab");
  }
  ~RequestLog() {
    if (file_ != nullptr) std::fclose(file_);
  }
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;
  void Append(const std::vector<PackageServer::RequestRecord>& requests) {
    if (file_ == nullptr) return;
    for (; written_ < requests.size(); ++written_) {
      const PackageServer::RequestRecord& r = requests[written_];
      std::fprintf(file_, "%s %s %s %d\n", r.method.c_str(), r.path.c_str(),
                   r.range.empty() ? "-" : r.range.c_str(), r.status);
    }
    std::fflush(file_);
  }

private:
  FILE* file_ = nullptr;
  size_t written_ = 0;
};

int Usage() {
  std::fprintf(stderr,
               "usage: package_server FOLDER [--port N] [--fault FAULT [--fault-count N]] [--seconds N]"
               " [--log FILE]\n"
               "  FAULT: 404 | 500 | nolength | nolengthcut:N | shortlength:N | cut:N | stall:N | noresponse |\n"
               "        wrongbytes | ignorerange | slow:BYTES_PER_SECOND | garbage, optionally @GET or @HEAD\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring folder;
  unsigned long port = 0, seconds = 0, faultCount = 0;
  std::wstring logPath;
  PackageServer::Fault fault;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == L"--port" && hasValue) {
      if (!ParseNumber(argv[++i], 65535, &port)) return Usage();
    } else if (arg == L"--seconds" && hasValue) {
      if (!ParseNumber(argv[++i], 86400 * 365, &seconds)) return Usage();
    } else if (arg == L"--fault-count" && hasValue) {
      if (!ParseNumber(argv[++i], 1000000, &faultCount) || faultCount == 0) return Usage();
    } else if (arg == L"--log" && hasValue) {
      logPath = argv[++i];
    } else if (arg == L"--fault" && hasValue) {
      if (!PackageServer::ParseFault(Narrow(argv[++i]), &fault)) return Usage();
    } else if (folder.empty() && arg.compare(0, 2, L"--") != 0) {
      folder = arg;
    } else {
      return Usage();
    }
  }
  if (folder.empty()) return Usage();

  PackageServer::Server server;
  std::vector<std::string> packages = server.AddFolder(folder);
  if (packages.empty()) {
    std::fprintf(stderr, "package_server: no readable file in %s\n", Narrow(folder).c_str());
    return 1;
  }
  if (faultCount > 0) {
    server.QueueFault(fault, static_cast<int>(faultCount));
  } else {
    server.SetFault(fault);
  }
  if (!server.Start(static_cast<uint16_t>(port))) {
    std::fprintf(stderr, "package_server: cannot listen on 127.0.0.1:%lu\n", port);
    return 1;
  }
  // Plain "\n" line ends, so that a shell script reading the URLs gets no carriage returns.
  _setmode(_fileno(stdout), _O_BINARY);
  std::printf("%s\n", server.BaseUrl().c_str());
  for (const std::string& path : packages) std::printf("%s\n", server.Url(path).c_str());
  std::fflush(stdout);
  RequestLog log(logPath);
  DWORD start = GetTickCount();
  while (seconds == 0 || GetTickCount() - start < seconds * 1000) {
    Sleep(50);
    log.Append(server.Requests());
  }
  return 0;
}
