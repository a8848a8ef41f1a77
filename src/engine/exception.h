#pragma once
// The engine's exception: wide message text, kept as narrow text in the ANSI code page so that
// what() has something to return. Only the child-process code throws it, and only inside itself.
#include <exception>
#include <string>

#include "engine/string_utils.h"

namespace Utils {

class Exception : public std::exception {
public:
  explicit Exception(const std::wstring& message) : message_(ToString(message, CP_ACP)) {}
  explicit Exception(const wchar_t* message)
      : message_(message != nullptr ? WideToMultiByte(message, CP_ACP) : std::string()) {}
  const char* what() const noexcept override { return message_.c_str(); }

private:
  std::string message_;
};

}  // namespace Utils
