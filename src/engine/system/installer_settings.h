#pragma once
// The installer's settings, filled in three layers, weakest first: built-in defaults, the
// settings file "ZorviInstallerConfig.ini" next to the executable, and the command line.
#include <map>
#include <string>

// The values of the DownloadType setting that pick a downloader; any other value picks the
// single libcurl downloader too.
enum DownloadType : int {
  DOWNLOAD_TYPE_SINGLE_CURL = 1,  // one resumable libcurl transfer
  DOWNLOAD_TYPE_WINHTTP = 2,      // one plain WinHTTP GET
  DOWNLOAD_TYPE_MULTIPART = 3,    // two ranged libcurl transfers in parallel
};

// The command line as options: "-name=value" tokens carry a value, every other token is a key
// with an empty value. Keys are case-sensitive; the first occurrence of a key wins.
class CommandLineOptions {
public:
  // Splits the text as the system splits a command line (the program's own path is a token too).
  static CommandLineOptions Parse(const std::wstring& commandLine);

  // Inserts the key unless it is present already.
  void Insert(const std::wstring& key, const std::wstring& value);
  bool Has(const std::wstring& key) const;
  const std::map<std::wstring, std::wstring>& Items() const { return options_; }

  // The value; the empty string when the key is absent.
  std::wstring GetString(const std::wstring& key) const;
  // The leading decimal number of the value; 0 when the key is absent or the value holds no
  // number; `tooLarge` when the number does not fit an int.
  int GetInt(const std::wstring& key, int tooLarge = 0) const;
  // True only for the exact value "true".
  bool GetBool(const std::wstring& key) const;
  // The leading number of the value ("0.5abc" -> 0.5); `fallback` when the key is absent, the
  // value holds no number, or the number is out of the double's range or not finite.
  double GetDouble(const std::wstring& key, double fallback) const;

private:
  std::map<std::wstring, std::wstring> options_;
};

class InstallerSettings {
public:
  // An HTTP URL on the maker's download service.
  static const wchar_t kBuiltInDownloadUrl[];
  static const wchar_t kConfigFileName[];

  // Built-in defaults, with the URL's route chosen for the running system.
  InstallerSettings();
  // Built-in defaults, with routes chosen for the given Windows version name ("XP", "7", ...).
  explicit InstallerSettings(std::wstring osName);

  // The process-wide settings: defaults and the settings file, loaded before the program's
  // entry function runs.
  static InstallerSettings& Instance();

  // Stores the URL after route expansion.
  void SetDownloadUrl(const std::wstring& url);
  // The URL with every "${ROUTE}" replaced by the route word of this object's system.
  std::wstring ExpandRoute(const std::wstring& url) const;
  static std::wstring ExpandRoute(const std::wstring& url, const std::wstring& osName);
  // "download_silent_xp" for the XP family ("XP-", "XP", "XP+"), else "download_silent".
  static std::wstring RouteWord(const std::wstring& osName);

  // The settings-file layer, from the file next to the executable.
  void LoadConfigIni();
  // The settings-file layer from the given file; nothing changes when it does not exist.
  void LoadConfigIni(const std::wstring& iniPath);
  // The executable's folder followed by "\ZorviInstallerConfig.ini".
  static std::wstring DefaultConfigIniPath();

  std::wstring DownloadUrl;
  int DownloadType = DOWNLOAD_TYPE_SINGLE_CURL;  // see the enum DownloadType
  bool IsCheckNet = false;
  double DownloadScale = 0.7;     // share of the progress bar given to the download
  std::wstring InstCmd;           // appended to the package installer's command line
  bool ResolveRealUrl = true;     // multi-part download asks for the final URL and length first
  int LanguageIndex = -1;         // -1: none chosen
  bool Reinstall = false;

private:
  std::wstring osName_;
};

// The command-line layer: applies "-downloadurl", "-downloadtype", "-downloadscale",
// "-ischecknet", "-instcmd", "-language" and "-insnew" when present; other options have no
// effect. A number too large for its setting, and a scale that holds no number, leave the
// setting as it was.
void ApplyCommandLineOptions(const CommandLineOptions& options, InstallerSettings* settings);
// The process's own command line onto InstallerSettings::Instance().
void ApplyCommandLineOptions();
