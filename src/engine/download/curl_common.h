#pragma once
// What every libcurl user of the installer shares: the process-wide libcurl set-up, the narrow
// form of a URL, owners for easy handles and header lists, libcurl's text for a result, and the
// callback that discards the body of a header-only request.
#include <curl/curl.h>

#include <string>

#include "base/unique_resource.h"

struct CurlEasyTraits {
  using pointer = CURL*;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::curl_easy_cleanup(h); }
};
struct CurlSlistTraits {
  using pointer = curl_slist*;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer list) noexcept { ::curl_slist_free_all(list); }
};
using UniqueCurl = Utils::UniqueResource<CurlEasyTraits>;
using UniqueCurlSlist = Utils::UniqueResource<CurlSlistTraits>;

// Sets libcurl's global state up once per process (curl_global_init is not safe to race, and an
// easy handle made without it would do it unguarded); it is torn down at process exit. True when
// libcurl is ready. Every libcurl user calls it before making its first handle.
bool EnsureCurlGlobalInit();

// The URL as libcurl gets it: UTF-8, except a "file:///" URL, which names a local path and is
// handed over in the ANSI code page.
std::string CurlNarrowUrl(const std::wstring& url);

// libcurl's text for a result, widened for the log.
std::wstring CurlErrorText(CURLcode code);

// Write callback of header-only requests: accepts and drops whatever arrives.
size_t DiscardBodyCallback(char* data, size_t size, size_t count, void* userData);
