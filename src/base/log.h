#pragma once
// The log line: one format, one writer. Every line goes through the current sink, which is
// the debugger output unless a test has put its own sink in place.
#include <windows.h>

#include <string>

namespace Utils {

// Receives each finished line (prefix, message and whatever line end the message has).
using LogSink = void (*)(const wchar_t* line);

// Puts a new sink in place (nullptr restores the debugger output) and returns the previous one.
LogSink SetLogSink(LogSink sink);

// Formats one line (wide format; wide strings are %ls) and hands it to the sink. A line that
// cannot be formatted or allocated is dropped.
void DebugPrintf(const wchar_t* format, ...);

// "<P01234><T00056><2024-03-05 07:08:09.010>(Utils::Thread::CallBack)<0101>: "
std::wstring FormatLogPrefix(unsigned processId, unsigned threadId, const SYSTEMTIME& time,
                             const wchar_t* function, int line);

// The qualified function name of a __PRETTY_FUNCTION__ text: no return type, no parameters
// ("static unsigned int Utils::Thread::CallBack(void*)" -> "Utils::Thread::CallBack").
std::wstring LogFunctionName(const char* prettyFunction);

// What UTILS_LOG expands to: prefix for the current process, thread and local time, then the
// message, written as one line.
void LogLine(const char* prettyFunction, int line, const wchar_t* format, ...);

}  // namespace Utils

// UTILS_LOG(L"DL_TYPE=%d\r\n", type): logs under the enclosing function's qualified name and
// the statement's line number.
#define UTILS_LOG(format, ...) ::Utils::LogLine(__PRETTY_FUNCTION__, __LINE__, format, ##__VA_ARGS__)
