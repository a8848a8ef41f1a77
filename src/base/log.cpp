#include "base/log.h"

#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <new>

namespace Utils {
namespace {

void DebuggerSink(const wchar_t* line) { ::OutputDebugStringW(line); }

std::atomic<LogSink> g_sink{&DebuggerSink};

// Formats with the MinGW C99 printf family, which both measures and writes (so %ls, %lld and
// %zu mean the same in both steps). Empty on failure.
std::wstring FormatV(const wchar_t* format, va_list args) {
  if (format == nullptr) return std::wstring();
  va_list measure;
  va_copy(measure, args);
  const int length = __mingw_vsnwprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length < 0) return std::wstring();
  std::wstring text;
  try {
    text.resize(static_cast<size_t>(length) + 1);
  } catch (const std::bad_alloc&) {
    return std::wstring();
  }
  va_list write;
  va_copy(write, args);
  const int written = __mingw_vsnwprintf(&text[0], text.size(), format, write);
  va_end(write);
  if (written < 0) return std::wstring();
  text.resize(static_cast<size_t>(written));
  return text;
}

// The text of a small snprintf into a fixed buffer, cut to what the buffer holds.
std::wstring Bounded(const wchar_t* buffer, int written, size_t capacity) {
  if (written <= 0) return std::wstring();
  const size_t n = static_cast<size_t>(written);
  return std::wstring(buffer, n < capacity ? n : capacity - 1);
}

void Write(const std::wstring& line) {
  if (line.empty()) return;
  LogSink sink = g_sink.load();
  sink(line.c_str());
}

}  // namespace

LogSink SetLogSink(LogSink sink) {
  return g_sink.exchange(sink != nullptr ? sink : &DebuggerSink);
}

void DebugPrintf(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const std::wstring line = FormatV(format, args);
  va_end(args);
  Write(line);
}

std::wstring FormatLogPrefix(unsigned processId, unsigned threadId, const SYSTEMTIME& time,
                             const wchar_t* function, int line) {
  wchar_t buffer[128];
  const size_t capacity = sizeof(buffer) / sizeof(buffer[0]);
  std::wstring prefix = Bounded(
      buffer,
      __mingw_snwprintf(buffer, capacity, L"<P%05u><T%05u><%04u-%02u-%02u %02u:%02u:%02u.%03u>(",
                        processId, threadId, time.wYear, time.wMonth, time.wDay, time.wHour,
                        time.wMinute, time.wSecond, time.wMilliseconds),
      capacity);
  if (function != nullptr) prefix += function;
  prefix += Bounded(buffer, __mingw_snwprintf(buffer, capacity, L")<%04d>: ", line), capacity);
  return prefix;
}

std::wstring LogFunctionName(const char* prettyFunction) {
  if (prettyFunction == nullptr) return std::wstring();
  const std::string text(prettyFunction);
  // The parameter list starts at the first "(" outside template brackets; "operator()" keeps
  // its own pair.
  size_t end = std::string::npos;
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (text.compare(i, 8, "operator") == 0 && i + 8 < text.size() &&
        !(isalnum(static_cast<unsigned char>(text[i + 8])) || text[i + 8] == '_' ||
          text[i + 8] == ' ')) {
      // A symbol operator ("operator<", "operator()"): its symbols are part of the name.
      i += 8;
      if (text.compare(i, 2, "()") == 0) {
        ++i;
      } else {
        while (i + 1 < text.size() && text[i + 1] != '(') ++i;
      }
      continue;
    }
    if (c == '<') {
      ++depth;
    } else if (c == '>') {
      if (depth > 0) --depth;
    } else if (c == '(' && depth == 0) {
      end = i;
      break;
    }
  }
  std::string name = text.substr(0, end);
  // The return type (and "static", "virtual") ends at the last space outside template brackets.
  depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == '<') {
      ++depth;
    } else if (c == '>') {
      if (depth > 0) --depth;
    } else if (c == ' ' && depth == 0) {
      start = i + 1;
    }
  }
  name = name.substr(start);
  // Identifiers are plain ASCII; widen byte by byte.
  return std::wstring(name.begin(), name.end());
}

void LogLine(const char* prettyFunction, int line, const wchar_t* format, ...) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  const std::wstring function = LogFunctionName(prettyFunction);
  std::wstring text = FormatLogPrefix(static_cast<unsigned>(::GetCurrentProcessId()),
                                      static_cast<unsigned>(::GetCurrentThreadId()), now,
                                      function.c_str(), line);
  va_list args;
  va_start(args, format);
  const std::wstring message = FormatV(format, args);
  va_end(args);
  try {
    text += message;
  } catch (const std::bad_alloc&) {
    return;
  }
  Write(text);
}

}  // namespace Utils
