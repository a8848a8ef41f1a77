// package_server.exe: serves every file of a folder as a package on 127.0.0.1.
//   package_server.exe FOLDER [--port N] [--fault FAULT] [--seconds N]
// The first line printed is the base URL; then one line per package with its digest URL. Each
// file is also reachable as "/<file name>", which redirects to its digest URL. Without
// --seconds it serves until it is ended.
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

int Usage() {
  std::fprintf(stderr,
               "usage: package_server FOLDER [--port N] [--fault FAULT] [--seconds N]\n"
               "  FAULT: 404 | 500 | nolength | nolengthcut:N | shortlength:N | cut:N | stall:N | noresponse |\n"
               "        wrongbytes | ignorerange | slow:BYTES_PER_SECOND | garbage, optionally @GET or @HEAD\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring folder;
  unsigned long port = 0, seconds = 0;
  PackageServer::Fault fault;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == L"--port" && hasValue) {
      if (!ParseNumber(argv[++i], 65535, &port)) return Usage();
    } else if (arg == L"--seconds" && hasValue) {
      if (!ParseNumber(argv[++i], 86400 * 365, &seconds)) return Usage();
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
  server.SetFault(fault);
  if (!server.Start(static_cast<uint16_t>(port))) {
    std::fprintf(stderr, "package_server: cannot listen on 127.0.0.1:%lu\n", port);
    return 1;
  }
  // Plain "\n" line ends, so that a shell script reading the URLs gets no carriage returns.
  _setmode(_fileno(stdout), _O_BINARY);
  std::printf("%s\n", server.BaseUrl().c_str());
  for (const std::string& path : packages) std::printf("%s\n", server.Url(path).c_str());
  std::fflush(stdout);
  DWORD start = GetTickCount();
  while (seconds == 0 || GetTickCount() - start < seconds * 1000) Sleep(200);
  return 0;
}
