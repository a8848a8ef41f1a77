#include "engine/download/curl_common.h"

#include <windows.h>

#include "base/string_utils.h"

namespace {

class CurlGlobal {
public:
  CurlGlobal() : ready_(curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK) {}
  ~CurlGlobal() {
    if (ready_) curl_global_cleanup();
  }
  bool Ready() const { return ready_; }

private:
  bool ready_;
};

}  // namespace

bool EnsureCurlGlobalInit() {
  static CurlGlobal global;  // initialised once, under the compiler's thread-safe guard
  return global.Ready();
}

std::string CurlNarrowUrl(const std::wstring& url) {
  return Utils::ToString(url, url.compare(0, 8, L"file:///") == 0 ? CP_ACP : CP_UTF8);
}

std::wstring CurlErrorText(CURLcode code) {
  return Utils::ToWString(curl_easy_strerror(code), CP_UTF8);
}

size_t DiscardBodyCallback(char* /*data*/, size_t size, size_t count, void* /*userData*/) {
  return size * count;
}

