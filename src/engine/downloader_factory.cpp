#include "engine/downloader_factory.h"

#include "engine/curl_downloader.h"
#include "engine/mt_curl_downloader.h"
#include "engine/winhttp_downloader.h"

std::unique_ptr<CDownloader> MakeDownloader(int downloadType, StatusCallback callback,
                                            const std::wstring& url, const std::wstring& filePath) {
  switch (downloadType) {
    case 2:
      return std::make_unique<WinHttpDownloader>(std::move(callback), url, filePath);
    case 3:
      return std::make_unique<CMTCurlDownloader>(std::move(callback), url, filePath);
    default:
      return std::make_unique<CCurlDownloader>(std::move(callback), url, filePath);
  }
}
