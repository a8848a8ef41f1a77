#include "engine/downloader_factory.h"

#include "engine/curl_downloader.h"

std::unique_ptr<CDownloader> MakeDownloader(int downloadType, StatusCallback callback,
                                            const std::wstring& url, const std::wstring& filePath) {
  switch (downloadType) {
    default:
      return std::make_unique<CCurlDownloader>(std::move(callback), url, filePath);
  }
}
