#pragma once
// What the package's installer and the old version's uninstaller share: both write lines of the
// form "Key=value" to their standard output, and both runners read them the same way. Here are
// the line cutting, the decoding, the value readers, the parser that reads a runner's table of
// keys one line at a time, and the reading run itself; the tables stay with each runner.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/children/child_process.h"

namespace Utils {

// What parsing a line (or a text of lines) found.
enum ProtocolResult : int {
  PROTOCOL_GO_ON = 0,       // nothing decisive: keep reading
  PROTOCOL_SUCCESS = 1,     // the child reported success
  PROTOCOL_FAILURE = 1000,  // the child reported failure or an error
};

// A line longer than this many bytes is kept only in part; its value is then over-long anyway.
constexpr size_t kMaxProtocolLineBytes = 4096;
// The longest text value taken from a line, in characters.
constexpr size_t kMaxProtocolValueChars = 771;

// Cuts a child's output into lines at LF. A line that arrives in several reads is joined
// before it is handed on, and the CR of a CR LF ending is dropped.
class OutputLineSplitter {
public:
  // The bytes of one line without its line end; whole is false when the line was longer than
  // kMaxProtocolLineBytes and only its beginning is given.
  using LineSink = std::function<void(const std::string& bytes, bool whole)>;

  void Feed(const char* data, size_t size, const LineSink& sink);
  // The output has ended: a last line without line end is handed on as well.
  void Finish(const LineSink& sink);

private:
  void Emit(const LineSink& sink);

  std::string pending_;
  bool cut_ = false;
};

// One line's bytes as wide text in the code page (0 = the ANSI code page, 65001 = UTF-8).
// Bytes from a zero byte on are dropped. *clean is false when the line held a zero byte or bytes
// that are not valid in the code page; such text is decoded with replacement characters.
std::wstring DecodeOutputLine(const std::string& bytes, UINT codePage, bool* clean);

// True when the line begins with the key and an equals sign; *rest is what follows the sign.
bool MatchKey(const std::wstring& line, const wchar_t* key, std::wstring* rest);

// How a text value is going to be used.
enum class TextUse {
  Path,     // a path or URL: a damaged or over-long value is refused, never passed on cut
  Display,  // text for the user: a damaged value is shown as decoded, an over-long one cut
};

// The value of a text key without the white space around it (a Windows child ends its lines
// with CR LF; the CR must never reach the registry or a file name). whole says whether the line
// arrived complete and cleanly decoded. False when the value is refused.
bool ReadTextValue(const std::wstring& rest, bool whole, TextUse use, std::wstring* value);

// A progress fraction: the number at the start of the value, clamped to 0..1. False when the
// value does not begin with a finite number.
bool ReadFraction(const std::wstring& value, double* fraction);

// A 32-bit signed number at the start of the value; 0 when there is none or it does not fit.
int32_t ReadInt32(const std::wstring& value);

// A decimal code page number at the start of the value. False when there is no number; true
// with *valid false when the number names no code page this system can decode.
bool ReadCodePageNumber(const std::wstring& value, UINT* codePage, bool* valid);

// How the value of a key is read and what its report carries.
enum class KeyUse {
  kFraction,      // a progress fraction, clamped to 0..1, reported as the progress
  kPath,          // a path or URL, reported as the text; never passed on cut or damaged
  kDisplayText,   // text for the user, reported as the text (cut when over-long)
  kNumber,        // a 32-bit number, reported as unsigned in the progress field (0 when none)
  kStartupStyle,  // "NonStartup", "AutoStartup", "UserStartup" as 0, 1, 2 (other words 0)
  kState,         // "Success" or "Fail": decisive; other words are skipped
  kError,         // a decisive failure; the value is the text the user sees
  kEncoding,      // the code page of the lines that follow it
  kRecognised,    // known, and nothing to do with it
};

// One row of a runner's table. A line matches the first row whose key it begins with, followed
// by an equals sign.
struct ProtocolKey {
  const wchar_t* key;
  KeyUse use;
  int code;                    // the report's code; for kState the code of success
  const wchar_t* logFormat;    // logged with the value (%ls) before the report; null for none
};

// A runner's table and what it says about the decisive lines and the encodings.
struct ProtocolTable {
  const ProtocolKey* keys;
  size_t keyCount;
  const char* logLabel;        // the function name that the table's log lines carry
  int failureCode;             // reported for State=Fail and for an Error line
  double stateFailProgress;    // progress and text of State=Fail
  const wchar_t* stateFailText;
  double errorProgress;        // progress of an Error line (its text is the line's value)
  bool numericEncodings;       // Encode=<number> names a code page; otherwise only UTF8 and ACP act
};

// One report the parser asks for.
struct ProtocolReport {
  int code = 0;
  double progress = 0;
  std::wstring text;
};

// Reads a runner's lines through its table. Reports of ordinary lines go to the sink at once;
// the report of the decisive line (State or Error) is kept for the runner, which decides when
// to send it.
class ProtocolParser {
public:
  using ReportSink = std::function<void(const ProtocolReport& report)>;
  ProtocolParser(const ProtocolTable& table, ReportSink sink) : table_(table), sink_(std::move(sink)) {}

  // Handles one line (without its line end) and returns a ProtocolResult. whole is false when
  // the line arrived cut or held bytes that are not valid in the code page: then no path is
  // taken from it.
  int ParseLine(const std::wstring& line, bool whole);

  // The report of the decisive line; code 0 while there was none.
  const ProtocolReport& Decisive() const { return decisive_; }
  void ClearDecisive() { decisive_ = ProtocolReport(); }
  // The code page of the output (0 = ANSI, 65001 = UTF-8); Encode lines change it, and it
  // carries over from one run to the next.
  const UINT& CodePage() const { return codePage_; }

private:
  int Handle(const ProtocolKey& key, const std::wstring& rest, bool whole);
  void Encoding(const std::wstring& word);

  const ProtocolTable& table_;
  ReportSink sink_;
  ProtocolReport decisive_;
  UINT codePage_ = 0;
};

// How one run of a protocol child went.
struct ProtocolRun {
  bool started = false;     // false: the pipe or the process could not be made
  DWORD startError = 0;     // GetLastError of the failed start
  int result = PROTOCOL_GO_ON;  // the first decisive line's result
  bool exitCodeKnown = false;
  DWORD exitCode = 0;
};

// Gets one decoded line and whether it arrived whole and clean; returns a ProtocolResult.
using ProtocolLineParser = std::function<int(const std::wstring& line, bool whole)>;

// Starts the child with the command line and hands each line of its output, decoded in the code
// page that codePage holds at that moment (a line may change it for the lines after it), to the
// parser until one is decisive. Whatever the child writes after that is read and dropped, so
// that it cannot block on a full pipe, until the child has ended.
ProtocolRun RunProtocolChild(ChildProcess& child, const std::wstring& commandLine,
                             const UINT& codePage, const ProtocolLineParser& parse);

}  // namespace Utils
