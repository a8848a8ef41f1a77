#include "engine/download/downloader_factory.h"

#include "engine/download/curl_downloader.h"
#include "engine/download/mt_curl_downloader.h"
#include "engine/download/winhttp_downloader.h"

std::unique_ptr<CDownloader> MakeDownloader(int downloadType, StatusCallback callback,
                                            const std::wstring& url, const std::wstring& filePath) {
  switch (downloadType) {
    case DOWNLOAD_TYPE_WINHTTP:
      return std::make_unique<WinHttpDownloader>(std::move(callback), url, filePath);
    case DOWNLOAD_TYPE_MULTIPART:
      return std::make_unique<CMTCurlDownloader>(std::move(callback), url, filePath);
    default:
      return std::make_unique<CCurlDownloader>(std::move(callback), url, filePath);
  }
}
