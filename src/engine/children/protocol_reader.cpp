#include "engine/children/protocol_reader.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "base/log.h"
#include "base/string_utils.h"

namespace Utils {

void OutputLineSplitter::Feed(const char* data, size_t size, const LineSink& sink) {
  const char* end = data + size;
  while (data < end) {
    const char* newline = static_cast<const char*>(std::memchr(data, '\n', end - data));
    const char* stop = newline ? newline : end;
    size_t room = kMaxProtocolLineBytes - pending_.size();
    size_t take = static_cast<size_t>(stop - data);
    if (take > room) {
      take = room;
      cut_ = true;
    }
    pending_.append(data, take);
    if (!newline) break;
    Emit(sink);
    data = newline + 1;
  }
}

void OutputLineSplitter::Finish(const LineSink& sink) {
  if (!pending_.empty() || cut_) Emit(sink);
}

void OutputLineSplitter::Emit(const LineSink& sink) {
  // A line cut at the limit may have lost its CR already; a whole one loses it here.
  if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
  std::string line;
  line.swap(pending_);
  bool whole = !cut_;
  cut_ = false;
  sink(line, whole);
}

std::wstring DecodeOutputLine(const std::string& bytes, UINT codePage, bool* clean) {
  *clean = true;
  size_t length = bytes.find('\0');
  if (length == std::string::npos) {
    length = bytes.size();
  } else {
    *clean = false;
  }
  if (length == 0) return std::wstring();
  UINT page = codePage == 0 ? CP_ACP : codePage;
  int size = static_cast<int>(length);
  int chars = ::MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  DWORD flags = MB_ERR_INVALID_CHARS;
  if (chars <= 0) {
    // Some code pages take no flags at all; for the others the bytes are not valid text.
    if (::GetLastError() != ERROR_INVALID_FLAGS) *clean = false;
    flags = 0;
    chars = ::MultiByteToWideChar(page, 0, bytes.data(), size, nullptr, 0);
    if (chars <= 0) {
      *clean = false;
      return std::wstring();
    }
  }
  std::wstring text(static_cast<size_t>(chars), L'\0');
  ::MultiByteToWideChar(page, flags, bytes.data(), size, &text[0], chars);
  return text;
}

bool MatchKey(const std::wstring& line, const wchar_t* key, std::wstring* rest) {
  size_t keyLength = std::wcslen(key);
  if (line.size() <= keyLength || line.compare(0, keyLength, key) != 0 ||
      line[keyLength] != L'=')
    return false;
  *rest = line.substr(keyLength + 1);
  return true;
}

bool ReadTextValue(const std::wstring& rest, bool whole, TextUse use, std::wstring* value) {
  std::wstring text = Trim(rest);
  if (use == TextUse::Path) {
    if (!whole || text.size() > kMaxProtocolValueChars) return false;
  } else if (text.size() > kMaxProtocolValueChars) {
    text.resize(kMaxProtocolValueChars);
  }
  *value = text;
  return true;
}

bool ReadFraction(const std::wstring& value, double* fraction) {
  const wchar_t* start = value.c_str();
  wchar_t* end = nullptr;
  double number = std::wcstod(start, &end);
  if (end == start || !std::isfinite(number)) return false;
  *fraction = number < 0 ? 0 : (number > 1 ? 1 : number);
  return true;
}

namespace {

// Optional white space, optional sign, decimal digits: the number and whether there was one.
bool ReadDecimal(const std::wstring& value, long long limit, long long* number) {
  size_t i = 0;
  while (i < value.size() && std::iswspace(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) negative = value[i++] == L'-';
  if (i >= value.size() || value[i] < L'0' || value[i] > L'9') return false;
  long long magnitude = 0;
  for (; i < value.size() && value[i] >= L'0' && value[i] <= L'9'; ++i) {
    magnitude = magnitude * 10 + (value[i] - L'0');
    if (magnitude > limit + 1) return false;  // does not fit, whatever the sign
  }
  *number = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

int32_t ReadInt32(const std::wstring& value) {
  long long number = 0;
  if (!ReadDecimal(value, INT32_MAX, &number)) return 0;
  if (number < INT32_MIN || number > INT32_MAX) return 0;
  return static_cast<int32_t>(number);
}

bool ReadCodePageNumber(const std::wstring& value, UINT* codePage, bool* valid) {
  long long number = 0;
  if (!ReadDecimal(value, 0xFFFF, &number)) return false;
  *valid = number == 0 || (number > 0 && number <= 0xFFFF &&
                           ::IsValidCodePage(static_cast<UINT>(number)));
  if (*valid) *codePage = static_cast<UINT>(number);
  return true;
}

namespace {

int StartupStyleOf(const std::wstring& word) {
  if (word == L"AutoStartup") return 1;
  if (word == L"UserStartup") return 2;
  return 0;  // "NonStartup" and every word it does not know
}

}  // namespace

int ProtocolParser::ParseLine(const std::wstring& line, bool whole) {
  std::wstring rest;
  for (size_t i = 0; i < table_.keyCount; ++i) {
    if (MatchKey(line, table_.keys[i].key, &rest)) return Handle(table_.keys[i], rest, whole);
  }
  return PROTOCOL_GO_ON;
}

int ProtocolParser::Handle(const ProtocolKey& key, const std::wstring& rest, bool whole) {
  std::wstring value;
  switch (key.use) {
    case KeyUse::kFraction: {
      double fraction = 0;
      if (ReadFraction(rest, &fraction)) sink_({key.code, fraction, std::wstring()});
      return PROTOCOL_GO_ON;
    }
    case KeyUse::kPath:
    case KeyUse::kDisplayText:
      // A value for the user is shown as decoded; a path is never passed on damaged or cut.
      if (!ReadTextValue(rest, whole, key.use == KeyUse::kPath ? TextUse::Path : TextUse::Display, &value))
        return PROTOCOL_GO_ON;
      if (key.logFormat != nullptr) LogLine(table_.logLabel, __LINE__, key.logFormat, value.c_str());
      sink_({key.code, 0, value});
      return PROTOCOL_GO_ON;
    case KeyUse::kNumber:
      sink_({key.code, static_cast<double>(static_cast<uint32_t>(ReadInt32(rest))), std::wstring()});
      return PROTOCOL_GO_ON;
    case KeyUse::kStartupStyle:
      sink_({key.code, static_cast<double>(StartupStyleOf(Trim(rest))), std::wstring()});
      return PROTOCOL_GO_ON;
    case KeyUse::kState: {
      const std::wstring word = Trim(rest);
      if (word == L"Success") {
        decisive_ = {key.code, 0, std::wstring()};
        return PROTOCOL_SUCCESS;
      }
      if (word == L"Fail") {
        decisive_ = {table_.failureCode, table_.stateFailProgress, table_.stateFailText};
        return PROTOCOL_FAILURE;
      }
      return PROTOCOL_GO_ON;
    }
    case KeyUse::kError:
      // A failure is never lost to a damaged or long text: the text is only what the user sees.
      ReadTextValue(rest, whole, TextUse::Display, &value);
      decisive_ = {table_.failureCode, table_.errorProgress, value};
      return PROTOCOL_FAILURE;
    case KeyUse::kEncoding:
      Encoding(Trim(rest));
      return PROTOCOL_GO_ON;
    case KeyUse::kRecognised:
      return PROTOCOL_GO_ON;
  }
  return PROTOCOL_GO_ON;
}

void ProtocolParser::Encoding(const std::wstring& word) {
  if (word == L"UTF8") {
    codePage_ = CP_UTF8;
    return;
  }
  if (word == L"ACP") {
    codePage_ = 0;
    return;
  }
  if (!table_.numericEncodings) return;  // any other word leaves the code page as it was
  UINT page = 0;
  bool valid = true;
  if (!ReadCodePageNumber(word, &page, &valid)) {
    codePage_ = 0;
  } else if (valid) {
    codePage_ = page;
  } else {
    // Decoding in a code page the system lacks would lose every later line, State included.
    LogLine(table_.logLabel, __LINE__, L"Encode ignored: %ls\r\n", word.c_str());
  }
}

ProtocolRun RunProtocolChild(ChildProcess& child, const std::wstring& commandLine,
                             const UINT& codePage, const ProtocolLineParser& parse) {
  ProtocolRun run;
  if (!child.Start(commandLine)) {
    run.startError = ::GetLastError();
    return run;
  }
  run.started = true;

  OutputLineSplitter splitter;
  auto onLine = [&](const std::string& bytes, bool whole) {
    // After the decisive line the rest is only drained: one run gives one final report.
    if (run.result != PROTOCOL_GO_ON) return;
    bool clean = true;
    std::wstring line = DecodeOutputLine(bytes, codePage, &clean);
    run.result = parse(line, whole && clean);
  };
  child.ReadUntilExit([&](const char* data, size_t size) { splitter.Feed(data, size, onLine); });
  splitter.Finish(onLine);
  run.exitCodeKnown = child.ExitCode(&run.exitCode);
  return run;
}

}  // namespace Utils
