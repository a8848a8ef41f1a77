#pragma once
// Picks the downloader kind for a DownloadType setting.
#include <memory>
#include <string>

#include "engine/downloader.h"
#include "engine/status.h"

// 2 WinHTTP, 3 ranged multi-part libcurl, any other value the single resumable libcurl transfer.
std::unique_ptr<CDownloader> MakeDownloader(int downloadType, StatusCallback callback,
                                            const std::wstring& url, const std::wstring& filePath);
