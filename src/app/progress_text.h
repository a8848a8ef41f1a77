#pragma once
// The progress page's text, such as "正在安装中:%d%%，请稍候...", with the percentage put in. A
// template may come from the skin, so it is never handed to printf: only "%d" (the number) and
// "%%" (a percent sign) mean something, every other character is copied as it is, and the
// result is bounded.
#include <string>

namespace App {

// At most this many characters of the result are kept.
constexpr size_t kProgressTextMaxLength = 249;

std::wstring FormatProgressText(const std::wstring& templateText, int percent);

}  // namespace App
