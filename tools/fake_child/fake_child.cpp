// A stand-in for the package's installer (fake_installer.exe) and for an older version's
// uninstaller (fake_uninstaller.exe): a console program that writes the line protocol to its
// standard output the way a real one does, so the runners can be exercised end to end.
//
// It is driven by a script file whose path comes from the environment, so that the command line
// the runner builds reaches it untouched:
//   TESSMARK_FAKE_INSTALLER_SCRIPT / TESSMARK_FAKE_UNINSTALLER_SCRIPT   the script (UTF-8)
//   TESSMARK_FAKE_INSTALLER_RECORD / TESSMARK_FAKE_UNINSTALLER_RECORD   where to write the
//       command line it was started with (GetCommandLineW, raw UTF-16LE, no byte-order mark)
// Without a script it plays a plausible successful run.
//
// Script directives, one per line ("#" starts a comment line):
//   line TEXT          write TEXT and CR LF in one write
//   lf TEXT            write TEXT and LF in one write
//   raw TEXT           write TEXT with the escapes \r \n \t \0 \\ \xHH decoded, in one write
//   sleep MS           wait
//   flood COUNT TEXT   write TEXT and CR LF, COUNT times, one write each
//   stderr COUNT TEXT  the same on standard error
//   stdin              read standard input until it ends
//   spawn PIDFILE      start a copy of this program that inherits the standard handles and
//                      lingers for a minute; its process id goes to PIDFILE (decimal)
//   crash              die of an access violation
//   exit CODE          end with CODE (decimal, or hexadecimal with 0x); the default is 0
// A script that is named but cannot be read ends the program with exit code 99 and no output.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr bool kUninstaller = FAKE_CHILD_UNINSTALLER != 0;
const wchar_t* const kScriptVariable =
    kUninstaller ? L"TESSMARK_FAKE_UNINSTALLER_SCRIPT" : L"TESSMARK_FAKE_INSTALLER_SCRIPT";
const wchar_t* const kRecordVariable =
    kUninstaller ? L"TESSMARK_FAKE_UNINSTALLER_RECORD" : L"TESSMARK_FAKE_INSTALLER_RECORD";

const wchar_t kLingerSwitch[] = L"--linger";

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[32768];
  DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  return (n > 0 && n < 32768) ? std::wstring(buffer, n) : std::wstring();
}

bool ReadFileBytes(const std::wstring& path, std::string* bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes->append(chunk, got);
  CloseHandle(file);
  return true;
}

bool WriteFileBytes(const std::wstring& path, const void* data, DWORD size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, data, size, &written, nullptr);
  CloseHandle(file);
  return ok && written == size;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                      nullptr, nullptr);
  return out;
}

// Every write is one WriteFile, so the reader sees the pieces exactly as the script cut them
// (as far as the pipe keeps writes apart).
void Write(DWORD which, const std::string& bytes) {
  HANDLE out = GetStdHandle(which);
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr) || written == 0)
      return;
    done += written;
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    switch (c) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '0': out += '\0'; break;
      case 'x':
        if (i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
          out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
          i += 2;
        } else {
          out += "\\x";
        }
        break;
      default: out += c; break;
    }
  }
  return out;
}

// "5 TEXT" -> 5 and "TEXT".
unsigned long CountAndRest(const std::string& arg, std::string* rest) {
  size_t space = arg.find(' ');
  *rest = space == std::string::npos ? std::string() : arg.substr(space + 1);
  return std::strtoul(arg.c_str(), nullptr, 10);
}

void Spawn(const std::string& pidFile) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + kLingerSwitch;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(self, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process))
    return;
  std::string id = std::to_string(process.dwProcessId);
  WriteFileBytes(FromUtf8(pidFile), id.data(), static_cast<DWORD>(id.size()));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

[[noreturn]] void Crash() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  ExitProcess(0xDEAD);
}

int RunScript(const std::string& script) {
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    std::string directive = script.substr(start, end - start);
    start = end + 1;
    if (!directive.empty() && directive.back() == '\r') directive.pop_back();
    if (directive.empty() || directive[0] == '#') continue;
    size_t space = directive.find(' ');
    std::string verb = directive.substr(0, space);
    std::string arg = space == std::string::npos ? std::string() : directive.substr(space + 1);
    std::string rest;
    if (verb == "line") {
      Write(STD_OUTPUT_HANDLE, arg + "\r\n");
    } else if (verb == "lf") {
      Write(STD_OUTPUT_HANDLE, arg + "\n");
    } else if (verb == "raw") {
      Write(STD_OUTPUT_HANDLE, Unescape(arg));
    } else if (verb == "sleep") {
      Sleep(static_cast<DWORD>(std::strtoul(arg.c_str(), nullptr, 10)));
    } else if (verb == "flood") {
      for (unsigned long n = CountAndRest(arg, &rest); n > 0; --n)
        Write(STD_OUTPUT_HANDLE, rest + "\r\n");
    } else if (verb == "stderr") {
      for (unsigned long n = CountAndRest(arg, &rest); n > 0; --n)
        Write(STD_ERROR_HANDLE, rest + "\r\n");
    } else if (verb == "stdin") {
      char chunk[256];
      DWORD got = 0;
      while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), chunk, sizeof chunk, &got, nullptr) &&
             got > 0) {
      }
    } else if (verb == "spawn") {
      Spawn(arg);
    } else if (verb == "crash") {
      Crash();
    } else if (verb == "exit") {
      return static_cast<int>(std::strtoul(arg.c_str(), nullptr, 0));
    }
  }
  return 0;
}

// The folder given with "/D=", which a silent installer takes as the rest of its command line.
std::wstring InstallFolder() {
  std::wstring commandLine = GetCommandLineW();
  size_t at = commandLine.rfind(L" /D=");
  if (at != std::wstring::npos) return commandLine.substr(at + 4);
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  return current;
}

std::string DefaultScript() {
  if (kUninstaller) {
    return "line Encode=UTF8\n"
           "line Progress=0.2\nsleep 100\n"
           "line Progress=0.6\nsleep 100\n"
           "line Progress=1\n"
           "line State=Success\n";
  }
  std::string folder = ToUtf8(InstallFolder());
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  std::string script = "line Encode=UTF8\nline InstallVersion=1.0.0\n";
  for (int step = 1; step <= 9; ++step)
    script += "line Progress=0." + std::to_string(step) + "\nsleep 100\n";
  script += "line InstPath=" + folder + "\n"
            "line ExePath=" + folder + "\\Tessmark.exe\n"
            "line UninstExePath=" + folder + "\\uninst.exe\n"
            "line UninstEp=" + folder + "\\uninst.exe\n"
            "line StartupStyle=UserStartup\n"
            "line Progress=1\n"
            "line State=Success\n";
  return script;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // A crash must end the process at once: no error box, no debugger waiting for a user.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

  if (argc >= 2 && std::wcscmp(argv[1], kLingerSwitch) == 0) {
    Sleep(60000);
    return 0;
  }

  std::wstring record = Environment(kRecordVariable);
  if (!record.empty()) {
    const wchar_t* commandLine = GetCommandLineW();
    WriteFileBytes(record, commandLine,
                   static_cast<DWORD>(std::wcslen(commandLine) * sizeof(wchar_t)));
  }

  std::string script;
  std::wstring scriptPath = Environment(kScriptVariable);
  if (scriptPath.empty()) return RunScript(DefaultScript());
  // A script that was asked for but cannot be read must not pass for a successful run.
  if (!ReadFileBytes(scriptPath, &script)) return 99;
  return RunScript(script);
}
